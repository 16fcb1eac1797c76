#pragma once
// The button grids of the two-star window and their captions. A stage
// reads a grid as the captions of its selected buttons, so the captions
// here are data the conditions depend on, not decoration.

#include <array>
#include <string>
#include <string_view>

namespace tarnel {

enum class PairGrid {
    BankerDigit,  // C_2d_dm: three rows of "0".."9" (胆码)
    BankerCount,  // C_2d_dm_rc: three rows of "0" "1" "2" (出胆个数)
    Span,         // C_2d_kua: "0".."9" (杀跨)
    Sum,          // C_2d_he: "0".."18" (杀和值)
    Position,     // C_2d_dw: tens "0".."9", then units "9" down to "0" (定位杀)
    Compound,     // C_2d_fs: tens "0".."9", then units "0".."9" (复式排除)
    Shape,        // C_2d_xt: size, parity and prime shapes (形态)
    Road,         // C_2d_012: "00".."22" (012路)
    Kind,         // C_2d_duizi: pairs, consecutive, mixed
};

inline constexpr std::array<std::string_view, 12> kShapeCaptions = {
    "大大", "大小", "小大", "小小", "单单", "单双", "双单", "双双", "质质", "质合", "合质", "合合"};
inline constexpr std::array<std::string_view, 9> kRoadCaptions = {"00", "01", "02", "10", "11",
                                                                   "12", "20", "21", "22"};
inline constexpr std::array<std::string_view, 3> kKindCaptions = {"杀对子", "杀连号", "杀杂号"};

// Number of buttons of a grid.
int gridSize(PairGrid grid);

// Caption of button `index` of a grid (empty outside the grid).
std::string gridCaption(PairGrid grid, int index);

}  // namespace tarnel
