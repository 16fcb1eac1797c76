#pragma once
// What a list box will be read as, shown beside the box while the player
// types: how many numbers, pairs or sums its rule finds in the text now,
// and a warning when part of the text will not be read as the player
// probably meant. Every count comes from the same readers the run uses.
// Each function is linear in the text.

#include <string>
#include <string_view>

namespace tarnel {

// The boxes that show a feedback line.
enum class ListBox {
    BaseList,        // T_jichu_dadi (大底号码)
    DirectNumbers,   // T_main_shazhixuan (杀直选)
    JunkCompounds,   // T_main_laji_fushi (垃圾复式)
    KillPairs,       // T_main_sha_2ma (杀2码)
    MustPairs,       // T_main_bichu_2ma (必出2码)
    PositionalKill,  // T_main_dw_sha 0..2 (定位杀2码)
    PositionalPairs, // T_main_dw2m 0..2 (定位2码)
    SumKillList,     // T__hezhi_zhiding_sha (指定杀和值)
    TwoStarBase,     // T_2d_dd[0] (二星大底)
    TwoStarKill,     // T_2d_dd[1] (二星杀垃圾)
};

struct InputFeedback {
    // What the rule reads, e.g. "识别 315 个号码"; empty when the box sets no condition.
    std::string info;
    // What the player should know, e.g. "含全角数字，不会被识别", several
    // joined by "；"; empty when none.
    std::string warning;
    // The distinct numbers, pairs or sums read (junk compounds: numbers
    // covered); -1 when the box sets no condition.
    int count = -1;

    bool operator==(const InputFeedback&) const = default;
};

InputFeedback inputFeedback(ListBox box, std::string_view text);

// What the sum range boxes (T_hezhi_fanwei_1 / _2, 和值范围) are read as:
// the sums the range keeps, why it rules out everything when it does, and
// how a bound that is not a plain number was read. Empty while the range
// keeps every sum and both bounds are plain numbers; only a warning when it
// keeps none. `count` is how many
// sums 0..27 the range keeps.
InputFeedback sumRangeFeedback(std::string_view lower, std::string_view upper);

// Captions of the feedback lines.
inline constexpr std::string_view kFullWidthDigitsWarning = "含全角数字，不会被识别";
inline constexpr std::string_view kLongDigitRunWarning = "含长数字串，将按每连续三位读取";
inline constexpr std::string_view kHintMixedWarning = "提示文字与号码混在一起，本框条件不生效";
inline constexpr std::string_view kNothingReadWarning = "一个也没识别出，本框会排除全部号码";

// Pieces of text the rules skip that players easily mistake for numbers.
bool hasFullWidthDigit(std::string_view text);       // ０..９ (U+FF10..U+FF19)
bool hasDigitRunLongerThan(std::string_view text, int length);

}  // namespace tarnel
