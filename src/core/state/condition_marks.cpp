#include "core/state/condition_marks.h"

#include "core/state/shrink.h"

namespace tarnel {

int tabPageOfRow(int row1) {
    switch (row1) {
        case 4: return 0;   // 杀直选
        case 5: return 1;   // 垃圾复式
        case 6: return 2;   // 杀2码
        case 7: return 3;   // 必出2码
        case 8: return 5;   // 定位杀2码
        case 12: return 6;  // 定位2码
        case 9:             // 两码和差
        case 10:            // 两码合排除
        case 14: return 7;  // 任意两码合保留: all on 其它
        case 11: return 8;  // 位置匹配
        case 13: return 9;  // 定位容对
        default: return -1;
    }
}

std::vector<SetCondition> setConditions(const MainConditions& conditions) {
    const ShrinkInputs in = shrinkInputs(conditions);
    std::vector<SetCondition> set;
    for (int row = kFirstSourceRow; row <= kLastConditionRow; ++row) {
        if (!rowIsSet(row, in)) continue;
        std::string name(rowName(row));
        if (row == 11 && in.positional.matchRules.size() > 1)
            name.append("(").append(std::to_string(in.positional.matchRules.size())).append("条)");
        set.push_back({row, tabPageOfRow(row), std::move(name)});
    }
    return set;
}

std::array<bool, kTabPageCount> pagesWithConditions(const std::vector<SetCondition>& set) {
    std::array<bool, kTabPageCount> pages{};
    for (const SetCondition& c : set)
        if (c.page >= 0) pages[static_cast<std::size_t>(c.page)] = true;
    return pages;
}

}  // namespace tarnel
