#pragma once
// 多方案组合: several schemes run each on its own, and the numbers most of
// them agree on. With n results and a tolerance K (0 ≤ K < n) a number is
// kept when at least n − K of the results hold it: K = 0 is the
// intersection, K = n − 1 the union.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/number_pool.h"
#include "core/analysis/backtest_money.h"
#include "core/state/condition_state.h"
#include "core/files/history.h"

namespace tarnel {

// The numbers held by at least results.size() − tolerance of the results.
// Counts are kept bit-sliced: one set per binary digit of the count, so
// adding a result is a ripple of whole-set operations. A tolerance outside
// 0..n − 1 gives the empty set, as do no results.
NumberSet combineResults(std::span<const NumberSet> results, int tolerance);

// The survivors of the main window's run of a condition state, with the
// state's own tolerance (what the start button keeps).
NumberSet mainSurvivors(const MainConditions& conditions);
// The same with the rules (动态条件) looking back on `past`, oldest first.
NumberSet mainSurvivors(const MainConditions& conditions, std::span<const int> past);

// A scheme text read whole and run: its survivors, or why it was refused.
struct SchemeOutcome {
    std::optional<NumberSet> survivors;
    std::string error;
};
SchemeOutcome runSchemeText(std::string_view bytes);
// The same with the scheme's rules looking back on `past`, oldest first
// (without it they are not ready and rule out nothing).
SchemeOutcome runSchemeText(std::string_view bytes, std::span<const int> past);

// The numbers of a set as the result box lists them: ascending, three
// digits each, single spaces.
std::string numberSetText(const NumberSet& numbers);

// ---- a combination against past draws ----------------------------------------

struct CombinedDraw {
    Draw draw;
    bool kept = false;  // the combination holds the draw's number
    int holders = 0;    // how many of the schemes hold it
    DrawMoney money;    // the combination's numbers bought as direct bets
};

struct CombinationBacktest {
    std::vector<CombinedDraw> draws;  // in the history's line order
    std::vector<int> skipped;
    int schemes = 0;
    int kept = 0;
    int lastMiss = -1;           // index into draws of the newest missed draw, -1 when none
    int drawsAfterLastMiss = 0;  // draws after it in time order
    MoneyTotals money;           // longestMiss: draws in a row the combination missed
};

// Every draw of the history checked against the combination of `results`
// with `tolerance`; the same numbers are bought as direct bets for every draw.
CombinationBacktest backtestCombination(std::span<const NumberSet> results, int tolerance, const History& history,
                                        const MoneySettings& money = {});

}  // namespace tarnel
