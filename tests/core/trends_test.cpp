// Trend statistics agree with a plain recount of the draws, and every value
// stands for exactly the numbers its kill box rules out.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/rules/text.h"
#include "core/rules/digit_properties.h"
#include "core/analysis/trends.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// Draws with the values clustered now and then, so that long omissions and
// values that never come both occur.
std::vector<Draw> randomDraws(StateMaker& make, int count) {
    std::vector<Draw> draws;
    const int pool = make.chance(0.3) ? 1 + make.below(30) : 1000;
    for (int i = 0; i < count; ++i) draws.push_back({i + 1, std::to_string(2026001 + i), numberText(make.below(pool), 3)});
    return draws;
}

// The caption of a number's value, worked out from its digits directly.
std::string captionOf(TrendMeasure m, const std::string& number) {
    const int a = number[0] - '0', b = number[1] - '0', c = number[2] - '0';
    std::string text;
    switch (m) {
        case TrendMeasure::Sum: return std::to_string(a + b + c);
        case TrendMeasure::Span: return std::to_string(std::max({a, b, c}) - std::min({a, b, c}));
        case TrendMeasure::SumTail: return std::to_string((a + b + c) % 10);
        case TrendMeasure::Form: {
            const std::set<int> distinct{a, b, c};
            return distinct.size() == 1 ? "豹子" : distinct.size() == 2 ? "组三" : "组六";
        }
        case TrendMeasure::BigSmall:
            for (int d : {a, b, c}) text += d >= 5 ? "大" : "小";
            return text;
        case TrendMeasure::OddEven:
            for (int d : {a, b, c}) text += d % 2 ? "奇" : "偶";
            return text;
        case TrendMeasure::Road:
            for (int d : {a, b, c}) text += char('0' + d % 3);
            return text;
    }
    return text;
}

TEST(Trends, CountsAndOmissionsAgreeWithARecountFromTheGaps) {
    StateMaker make(83);
    for (int round = 0; round < 80; ++round) {
        const std::vector<Draw> draws = randomDraws(make, make.below(5) == 0 ? make.below(3) : make.below(400));
        const int n = int(draws.size());
        for (TrendMeasure m : kTrendMeasures) {
            const TrendTable t = trendTable(m, draws);
            ASSERT_EQ(t.draws, n);
            ASSERT_EQ(int(t.values.size()), trendValueCount(m));
            int total = 0;
            for (int v = 0; v < trendValueCount(m); ++v) {
                const std::string caption = trendValueCaption(m, v);
                // Positions of the value, framed by one before the first draw and one after the last.
                std::vector<int> at{-1};
                for (int i = 0; i < n; ++i)
                    if (captionOf(m, draws[std::size_t(i)].number) == caption) at.push_back(i);
                const int hits = int(at.size()) - 1;
                at.push_back(n);
                int longest = 0;
                for (std::size_t k = 1; k < at.size(); ++k) longest = std::max(longest, at[k] - at[k - 1] - 1);
                const TrendValue& got = t.values[std::size_t(v)];
                EXPECT_EQ(got.hits, hits) << trendMeasureName(m) << " " << caption << " round " << round;
                EXPECT_EQ(got.currentOmission, n - 1 - at[at.size() - 2]) << trendMeasureName(m) << " " << caption;
                EXPECT_EQ(got.longestOmission, longest) << trendMeasureName(m) << " " << caption;
                total += got.hits;
            }
            EXPECT_EQ(total, n) << "every draw has exactly one value of " << trendMeasureName(m);
        }
    }
}

TEST(Trends, CaptionsAreDistinctAndEveryNumberHasOneOfThem) {
    for (TrendMeasure m : kTrendMeasures) {
        std::set<std::string> captions;
        for (int v = 0; v < trendValueCount(m); ++v) captions.insert(trendValueCaption(m, v));
        EXPECT_EQ(int(captions.size()), trendValueCount(m)) << trendMeasureName(m);
        for (int n = 0; n < 1000; ++n) {
            const int v = trendValueOf(m, n);
            ASSERT_TRUE(v >= 0 && v < trendValueCount(m)) << trendMeasureName(m) << " " << n;
            EXPECT_EQ(trendValueCaption(m, v), captionOf(m, numberText(n, 3))) << trendMeasureName(m) << " " << n;
        }
    }
}

// The box a double-click ticks: for these measures, box v of its row rules
// out exactly the numbers whose value is v.
TEST(Trends, TheKillBoxOfAValueRulesOutExactlyItsNumbers) {
    struct Row {
        TrendMeasure measure;
        std::uint32_t (*killed)(const DigitPropertyInputs&);
        Measure engine;
        std::function<void(DigitPropertyInputs&, int)> tick;
    };
    const std::vector<Row> rows = {
        {TrendMeasure::SumTail, killedSumTails, Measure::SumTail, [](auto& in, int v) { in.sumTailKill[std::size_t(v)] = true; }},
        {TrendMeasure::Span, killedSpans, Measure::Span, [](auto& in, int v) { in.spanKill[std::size_t(v)] = true; }},
        {TrendMeasure::Form, killedRepetitionForms, Measure::Repetition, [](auto& in, int v) { in.special[std::size_t(v)] = true; }},
        {TrendMeasure::BigSmall, killedBigSmall, Measure::BigSmall, [](auto& in, int v) { in.bigSmall[std::size_t(v)] = true; }},
        {TrendMeasure::OddEven, killedOddEven, Measure::OddEven, [](auto& in, int v) { in.oddEven[std::size_t(v)] = true; }},
        {TrendMeasure::Road, killedRoads, Measure::Road, [](auto& in, int v) { in.road[std::size_t(v)] = true; }},
    };
    for (const Row& row : rows) {
        for (int v = 0; v < trendValueCount(row.measure); ++v) {
            DigitPropertyInputs in{};
            row.tick(in, v);
            const std::uint32_t killed = row.killed(in);
            for (int n = 0; n < 1000; ++n) {
                const bool ruledOut = (killed >> measureTable(row.engine)[std::size_t(n)]) & 1u;
                EXPECT_EQ(ruledOut, trendValueOf(row.measure, n) == v)
                    << trendMeasureName(row.measure) << " box " << v << " number " << n;
            }
        }
    }
}

}  // namespace
}  // namespace tarnel
