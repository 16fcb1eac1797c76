// Trend statistics for every measure of the rules (动态条件): counts and
// omissions against a plain scan of the draws, the measures listed once, and
// the rule a double-click makes against the rules' own value sets.

#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <vector>

#include "core/analysis/trends.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "core/state/shrink.h"
#include "support/random_state.h"
#include "support/plain_measures.h"

namespace tarnel {
namespace {

using testing::StateMaker;
using testing::plainMeasureValues;

// Whether `number` has `value`, from a table of the plain values made once.
bool has(RuleMeasure m, int number, int value) {
    static const std::vector<std::uint32_t> table = [] {
        std::vector<std::uint32_t> bits(std::size_t(kRuleMeasureCount) * 1000);
        for (int k = 0; k < kRuleMeasureCount; ++k)
            for (int n = 0; n < 1000; ++n)
                for (int v : plainMeasureValues(RuleMeasure(k), n))
                    bits[std::size_t(k) * 1000 + std::size_t(n)] |= std::uint32_t(1) << v;
        return bits;
    }();
    return (table[std::size_t(m) * 1000 + std::size_t(number)] >> value) & 1u;
}

// Draws now and then from a small pool, so that values missing for long and
// values that never come both occur; now and then more than 1000 of them.
std::vector<int> randomNumbers(StateMaker& make) {
    const int count = make.below(6) == 0 ? make.below(3) : make.below(8) == 0 ? 1000 + make.below(300) : make.below(300);
    const int pool = make.chance(0.3) ? 1 + make.below(40) : 1000;
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(make.below(pool));
    return numbers;
}

std::vector<Draw> asDraws(const std::vector<int>& numbers) {
    std::vector<Draw> draws;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        draws.push_back({int(i) + 1, std::to_string(2026001 + i), numberText(numbers[i], 3)});
    return draws;
}

// How many of the last `window` draws come after the latest with `value`; `window` when none has it.
int plainOmission(RuleMeasure m, const std::vector<int>& numbers, int value, int window) {
    const int n = int(numbers.size());
    for (int k = 0; k < window && k < n; ++k)
        if (has(m, numbers[std::size_t(n - 1 - k)], value)) return k;
    return window;
}

TEST(TrendItems, EveryRuleMeasureIsListedOnceAfterTheSevenMeasures) {
    // The seven measures keep their places; then the rule measures they lack.
    for (int i = 0; i < kTrendMeasureCount; ++i) EXPECT_EQ(kTrendItems[std::size_t(i)], TrendItem(kTrendMeasures[std::size_t(i)]));
    std::multiset<RuleMeasure> listed;
    std::set<std::string_view> names;
    for (TrendItem item : kTrendItems) {
        names.insert(trendItemName(item));
        if (const std::optional<RuleMeasure> m = trendRuleMeasure(item)) {
            listed.insert(*m);
            EXPECT_EQ(trendItemValueCount(item), measureInfo(*m).values) << trendItemName(item);
        }
    }
    EXPECT_EQ(int(names.size()), kTrendItemCount);
    EXPECT_EQ(int(listed.size()), kRuleMeasureCount);
    for (const RuleMeasureInfo& m : kRuleMeasures) EXPECT_EQ(listed.count(m.measure), 1u) << m.name;
    // An item that is a rule measure has, for every number, the rule's values.
    for (TrendItem item : kTrendItems) {
        const std::optional<RuleMeasure> m = trendRuleMeasure(item);
        if (!m) continue;
        for (int n = 0; n < 1000; ++n) {
            std::set<int> mapped;
            for (std::uint32_t bits = trendItemValues(item, n); bits; bits &= bits - 1)
                mapped.insert(trendRuleValue(item, std::countr_zero(bits)));
            ASSERT_EQ(mapped, plainMeasureValues(*m, n)) << trendItemName(item) << " " << n;
        }
    }
}

TEST(TrendItems, CountsAndOmissionsFollowAPlainScanForEveryRuleMeasure) {
    StateMaker make(29);
    for (int round = 0; round < 60; ++round) {
        const std::vector<int> numbers = randomNumbers(make);
        const std::vector<Draw> draws = asDraws(numbers);
        const int n = int(numbers.size());
        for (TrendItem item : kTrendItems) {
            const std::optional<RuleMeasure> m = trendRuleMeasure(item);
            if (!m) continue;
            const TrendTable t = trendTable(item, draws);
            ASSERT_EQ(t.draws, n);
            ASSERT_EQ(t.item, item);
            ASSERT_EQ(int(t.values.size()), trendItemValueCount(item));
            for (int v = 0; v < trendItemValueCount(item); ++v) {
                const int w = trendRuleValue(item, v);
                int hits = 0, longest = 0, gap = 0;
                for (int number : numbers) {
                    if (has(*m, number, w)) {
                        ++hits;
                        gap = 0;
                    } else {
                        longest = std::max(longest, ++gap);
                    }
                }
                const TrendValue& got = t.values[std::size_t(v)];
                const std::string what = std::string(trendItemName(item)) + " " + trendItemValueCaption(item, v) +
                                         " round " + std::to_string(round);
                EXPECT_EQ(got.hits, hits) << what;
                EXPECT_EQ(got.currentOmission, plainOmission(*m, numbers, w, n)) << what;
                EXPECT_EQ(got.longestOmission, longest) << what;
            }
        }
    }
}

// The rule of a double-click takes, through the rules' own machinery, the
// values missing at least as long as the one clicked (that one included),
// and rules out every number that has it.
TEST(TrendItems, TheKillRuleOfAValueTakesTheValuesMissingAtLeastAsLong) {
    StateMaker make(31);
    int made = 0, refused = 0;
    for (int round = 0; round < 60; ++round) {
        const std::vector<int> numbers = randomNumbers(make);
        const std::vector<Draw> draws = asDraws(numbers);
        const int n = int(numbers.size());
        for (TrendItem item : kTrendItems) {
            const TrendTable t = trendTable(item, draws);
            EXPECT_FALSE(trendKillRule(t, -1));
            EXPECT_FALSE(trendKillRule(t, trendItemValueCount(item)));
            const std::optional<RuleMeasure> m = trendRuleMeasure(item);
            const int window = std::clamp(n, 1, kRuleMaxDraws);
            std::vector<int> omissions;  // of each rule value in the rule's window
            for (int u = 0; m && u < measureInfo(*m).values; ++u) omissions.push_back(plainOmission(*m, numbers, u, window));
            for (int v = 0; v < trendItemValueCount(item); ++v) {
                const std::optional<PastDrawRule> rule = trendKillRule(t, v);
                const int w = m ? trendRuleValue(item, v) : 0;
                const int omission = m ? omissions[std::size_t(w)] : 0;
                if (!m || n == 0 || omission == 0) {
                    EXPECT_FALSE(rule) << trendItemName(item) << " " << v;
                    ++refused;
                    continue;
                }
                ASSERT_TRUE(rule) << trendItemName(item) << " " << v;
                ++made;
                EXPECT_TRUE(ruleIsValid(*rule));
                EXPECT_EQ(*rule, (PastDrawRule{*m, RuleSource::Omission, window, omission, window, RuleAction::Kill}));
                const std::uint32_t values = ruleValues(*rule, numbers);
                for (int u = 0; u < measureInfo(*m).values; ++u)
                    EXPECT_EQ((values >> u) & 1u, std::uint32_t(omissions[std::size_t(u)] >= omission))
                        << ruleSentence(*rule) << " value " << u;
                EXPECT_TRUE((values >> w) & 1u);
                const NumberSet kills = ruleKills(*rule, values);
                for (int number = 0; number < 1000; ++number) {
                    if (has(*m, number, w)) {
                        ASSERT_TRUE(kills[std::size_t(number)]) << ruleSentence(*rule) << " " << number;
                    }
                }
            }
        }
    }
    EXPECT_GT(made, 100);
    EXPECT_GT(refused, 100);
}

// A double-click ticks the box that rules out exactly the numbers with the value
// clicked; items without such a box change nothing.
TEST(TrendItems, TheBoxOfAValueRulesOutExactlyItsNumbers) {
    StateMaker make(37);
    int ticked = 0;
    for (TrendItem item : kTrendItems) {
        for (int v = -1; v <= trendItemValueCount(item); ++v) {
            const MainConditions before = make.main(0.05);
            MainConditions state = before;
            const std::optional<TrendBox> box = tickTrendBox(state, item, v);
            const std::string what = std::string(trendItemName(item)) + " " + std::to_string(v);
            const std::optional<RuleMeasure> m = trendRuleMeasure(item);
            const bool hasBox = v >= 0 && v < trendItemValueCount(item) && item != TrendItem(TrendMeasure::Sum) &&
                                (!m || (*m != RuleMeasure::Digits && *m != RuleMeasure::Big && *m != RuleMeasure::Odd &&
                                        *m != RuleMeasure::Prime));
            ASSERT_EQ(box.has_value(), hasBox) << what;
            if (!box) {
                EXPECT_EQ(state, before) << what;
                continue;
            }
            ++ticked;
            MainConditions alone;
            tickTrendBox(alone, item, v);
            const NumberSet kills = rowKills(box->row, shrinkInputs(alone));
            for (int n = 0; n < 1000; ++n) {
                const bool withValue = m ? has(*m, n, trendRuleValue(item, v)) : ((trendItemValues(item, n) >> v) & 1u) != 0;
                ASSERT_EQ(bool(kills[std::size_t(n)]), withValue) << what << " number " << n;
            }
        }
    }
    EXPECT_EQ(ticked, 10 + 10 + 3 + 8 + 8 + 27 + 30);
}

}  // namespace
}  // namespace tarnel
