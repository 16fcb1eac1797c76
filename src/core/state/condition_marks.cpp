#include "core/state/condition_marks.h"

#include <optional>

#include "core/state/shrink.h"

namespace tarnel {

int tabPageOfRow(int row1) {
    const std::optional<RowId> id = rowOfNumber(row1);
    return id ? conditionRow(*id).page : -1;
}

std::vector<SetCondition> setConditions(const MainConditions& conditions, std::span<const ExtraRow> extra) {
    const ShrinkInputs in = shrinkInputs(conditions);
    std::vector<SetCondition> set;
    for (const ConditionRow& row : namedRows()) {
        if (!row.isSet(in)) continue;
        std::string name(row.playerName);
        if (row.id == RowId::PositionMatch && in.positional.matchRules.size() > 1)
            name.append("(").append(std::to_string(in.positional.matchRules.size())).append("条)");
        set.push_back({rowNumber(row.id), row.page, std::move(name)});
    }
    for (const ExtraRow& e : extra) set.push_back({e.number, e.page, e.name});
    return set;
}

std::array<bool, kTabPageCount> pagesWithConditions(const std::vector<SetCondition>& set) {
    std::array<bool, kTabPageCount> pages{};
    for (const SetCondition& c : set)
        if (c.page >= 0 && c.page < kTabPageCount) pages[static_cast<std::size_t>(c.page)] = true;
    return pages;
}

}  // namespace tarnel
