#include "core/rules/pair_grids.h"

namespace tarnel {

int gridSize(PairGrid grid) {
    switch (grid) {
        case PairGrid::BankerDigit: return 30;
        case PairGrid::BankerCount: return 9;
        case PairGrid::Span: return 10;
        case PairGrid::Sum: return 19;
        case PairGrid::Position: return 20;
        case PairGrid::Compound: return 20;
        case PairGrid::Shape: return static_cast<int>(kShapeCaptions.size());
        case PairGrid::Road: return static_cast<int>(kRoadCaptions.size());
        case PairGrid::Kind: return static_cast<int>(kKindCaptions.size());
    }
    return 0;
}

std::string gridCaption(PairGrid grid, int index) {
    if (index < 0 || index >= gridSize(grid)) return {};
    const auto i = static_cast<std::size_t>(index);
    switch (grid) {
        case PairGrid::BankerDigit: return std::to_string(index % 10);
        case PairGrid::BankerCount: return std::to_string(index % 3);
        case PairGrid::Span:
        case PairGrid::Sum: return std::to_string(index);
        // The units row is shown 0..9 left to right, which is indexes 19 down to 10.
        case PairGrid::Position: return std::to_string(index < 10 ? index : 19 - index);
        case PairGrid::Compound: return std::to_string(index < 10 ? index : index - 10);
        case PairGrid::Shape: return std::string(kShapeCaptions[i]);
        case PairGrid::Road: return std::string(kRoadCaptions[i]);
        case PairGrid::Kind: return std::string(kKindCaptions[i]);
    }
    return {};
}

}  // namespace tarnel
