#pragma once
// Rules that follow past draws at work: the values a rule takes from the
// draws before the one bet on, whether it is ready, what it rules out, and
// runs and tolerance (容错) with rules beside the fixed rows.
//
// Past draws are given in time order, oldest first, as numbers 0..999; the
// draw bet on is the one after the last of them. Rule i (0-based) is row
// kFirstRuleRow + i.

#include <cstdint>
#include <span>
#include <vector>

#include "core/rules/number_pool.h"
#include "core/state/condition_state.h"
#include "core/state/past_draw_rule.h"
#include "core/state/shrink.h"

namespace tarnel {

inline constexpr int kFirstRuleRow = 101;

// A rule is ready once `draws` draws precede the one bet on.
inline bool ruleReady(const PastDrawRule& rule, std::size_t pastDraws) {
    return pastDraws >= static_cast<std::size_t>(rule.draws);
}

// The value set V (bit v for value v) from the last `draws` of `past`;
// 0 when the rule is not ready.
std::uint32_t ruleValues(const PastDrawRule& rule, std::span<const int> past);

// The numbers a rule with value set V rules out: kill, those with a value
// in V; keep, those with none.
NumberSet ruleKills(const PastDrawRule& rule, std::uint32_t values);

// The values of a set, ascending.
std::vector<int> valueList(std::uint32_t values);

// What a rule does for the draw bet on.
struct RuleOutcome {
    bool ready = false;
    std::uint32_t values = 0;  // 0 when not ready
    NumberSet kills;           // empty when not ready
};
std::vector<RuleOutcome> ruleOutcomes(const std::vector<PastDrawRule>& rules, std::span<const int> past);

// Follows rules along a history one draw at a time, in time order: after
// add() of the draws so far, outcome(i) is rule i for the next draw. Each
// step costs a few operations per value, whatever the rules look back on.
class RuleTracker {
public:
    explicit RuleTracker(std::vector<PastDrawRule> rules);
    void add(int number);
    std::size_t seen() const { return seen_; }
    std::size_t size() const { return rules_.size(); }
    bool ready(std::size_t i) const { return ruleReady(rules_[i], seen_); }
    // Every rule ready (true when there are none).
    bool allReady() const { return seen_ >= maxDraws_; }
    std::uint32_t values(std::size_t i) const;
    // The rule's kills for the next draw; remembered while its values stay.
    const NumberSet& kills(std::size_t i);

private:
    std::vector<PastDrawRule> rules_;
    std::size_t maxDraws_ = 0;
    std::size_t seen_ = 0;
    std::vector<std::uint16_t> ring_;   // the last maxDraws_ draws
    struct Track {
        std::array<int, 32> count{};    // recent: draws in the window with each value
        std::array<long long, 32> last; // omission: the latest draw with each value, -1 when none
        std::uint32_t killsFor = 0;     // the values `kills` was made from
        bool killsMade = false;
        NumberSet kills;
    };
    std::vector<Track> tracks_;
};

// ---- tolerance with rules ------------------------------------------------------

// With tolerance k a number survives when both pool sources keep it and at
// most k of the 25 conditions and the rules rule it out; a rule that is not
// ready has empty kills. The fixed rows are counted once, the rules per call.
class ToleranceWithRules {
public:
    ToleranceWithRules(const RowKills& kills, int tolerance);
    NumberSet survivors(std::span<const NumberSet> ruleKills) const;

private:
    int tolerance_ = 0;
    NumberSet sources_;                // what the pool sources keep
    std::vector<NumberSet> atLeast_;   // [j]: the numbers at least j conditions rule out, j = 0..k+1
};

NumberSet survivorsWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int tolerance);
bool survivesWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int number, int tolerance);
// Rows 2..28 and the rule rows 101… that rule out `number`, ascending.
std::vector<int> killedByWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int number);

// The kill sets of outcomes, in rule order.
std::vector<NumberSet> killSets(const std::vector<RuleOutcome>& outcomes);

// ---- a run with rules ------------------------------------------------------------

// The run the start button performs with the rules looking back on `past`:
// without rules exactly runMain; with them every row's kills, the ready
// rules' kills, counted with the tolerance in force.
struct RulesRun {
    MainRun run;
    std::vector<RuleOutcome> rules;
};
RulesRun runMainWithRules(NumberPool& pool, const MainConditions& conditions, std::span<const int> past);

}  // namespace tarnel
