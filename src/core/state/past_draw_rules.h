#pragma once
// Rules that follow past draws at work: the values a rule takes from the
// draws before the one bet on, whether it is ready and what it rules out.
// For a run each rule becomes a row added after the fixed ones (ruleRows),
// which runs, tolerance (容错), explanations and marks count like any other.
//
// Past draws are given in time order, oldest first, as numbers 0..999; the
// draw bet on is the one after the last of them. Rule i (0-based) is row
// kFirstRuleRow + i.

#include <cstdint>
#include <span>
#include <vector>

#include "core/rules/number_pool.h"
#include "core/state/condition_marks.h"
#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"
#include "core/state/past_draw_rule.h"

namespace tarnel {

inline constexpr int kFirstRuleRow = 101;
// The page holding the rules: the tab after the fixed rows' pages.
inline constexpr int kRulesPage = kTabPageCount;

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

// The rules of `conditions` as rows for the draw after `past`: rule i is
// row kFirstRuleRow + i, named by its sentence, on the rules page, ready
// once enough draws precede, with its kills then (none before).
std::vector<ExtraRow> ruleRows(const MainConditions& conditions, std::span<const int> past);

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

}  // namespace tarnel
