#pragma once
// Which conditions are set, for the marks on the tab buttons and the
// one-line summary under the result: the rows with inputs set, named as
// the statistics name them, with the tab page each one lives on.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"

namespace tarnel {

inline constexpr int kTabPageCount = 10;

// The tab page (0..9) holding the controls of a row (by the number it
// prints as), or -1 for rows whose controls are always in sight.
int tabPageOfRow(int row1);

struct SetCondition {
    int row = 0;       // as it prints: 2..28, extra rows 101…
    int page = -1;     // tab page holding it, -1 when always in sight
    std::string name;  // e.g. "杀和尾", "位置匹配(2条)"
};

// The rows with inputs set, in stage order, then every extra row.
std::vector<SetCondition> setConditions(const MainConditions& conditions, std::span<const ExtraRow> extra = {});

// Per tab page: whether it holds a set condition.
std::array<bool, kTabPageCount> pagesWithConditions(const std::vector<SetCondition>& set);

}  // namespace tarnel
