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
    bool warmup = false;  // some scheme's rule cannot look back far enough yet: counted nowhere
    bool kept = false;    // the combination holds the draw's number
    int holders = 0;      // how many of the schemes hold it
    DrawMoney money;      // the combination's numbers bought as direct bets
};

struct CombinationBacktest {
    std::vector<CombinedDraw> draws;  // in the history's line order
    std::vector<int> skipped;
    int schemes = 0;
    int warmup = 0;              // warm-up draws
    int total = 0;               // scored draws
    int kept = 0;
    int lastMiss = -1;           // index into draws of the newest missed draw, -1 when none
    int drawsAfterLastMiss = 0;  // scored draws after it in time order
    MoneyTotals money;           // longestMiss: scored draws in a row the combination missed
    // The combination for the draw after the newest: each scheme run as the
    // start button runs it, its rules looking back on the whole history.
    std::vector<NumberSet> next;  // by scheme
    NumberSet nextCombined;
};

// Every draw of the history checked against the combination of the schemes
// with `tolerance`, walking forward in time order: for each draw every
// scheme is run as the start button runs it, its rules (动态条件) looking back
// from that draw, and the combination of those runs is bought as direct
// bets. A draw before which some scheme's rule is not ready is a warm-up
// draw. Schemes without rules give the same numbers for every draw.
// The same with fixed results, bought alike for every draw (schemes
// without rules).
CombinationBacktest backtestCombination(std::span<const NumberSet> results, int tolerance, const History& history,
                                        const MoneySettings& money = {});

CombinationBacktest backtestCombination(std::span<const MainConditions> schemes, int tolerance, const History& history,
                                        const MoneySettings& money = {});

}  // namespace tarnel
