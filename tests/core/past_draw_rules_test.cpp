// Rules that follow past draws: value sets against a plain scan of the past
// draws, kill sets against each number's own values, tolerance with rules
// against counting, runs with rules against runs with the values written in
// as fixed conditions, and walk-forward backtests against a run per draw.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "core/analysis/backtest_money.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "core/state/shrink.h"
#include "support/random_state.h"
#include "support/plain_measures.h"

namespace tarnel {
namespace {

using testing::StateMaker;
using testing::plainMeasureValues;
using testing::randomRule;

// ---- plain references -------------------------------------------------------------

// V for the draw after the first t draws of `past`, by scanning them.
std::set<int> plainV(const PastDrawRule& r, const std::vector<int>& past, std::size_t t) {
    std::set<int> v;
    const int range = measureInfo(r.measure).values;
    if (r.from == RuleSource::Recent) {
        for (std::size_t j = t - std::size_t(r.draws); j < t; ++j)
            for (int x : plainMeasureValues(r.measure, past[j])) v.insert(x);
        return v;
    }
    for (int value = 0; value < range; ++value) {
        int omission = r.draws;
        for (int back = 0; back < r.draws; ++back)
            if (plainMeasureValues(r.measure, past[t - 1 - std::size_t(back)]).count(value)) {
                omission = back;
                break;
            }
        if (omission >= r.min && omission <= r.max) v.insert(value);
    }
    return v;
}

NumberSet plainKills(const PastDrawRule& r, const std::set<int>& v) {
    NumberSet kills;
    for (int n = 0; n < 1000; ++n) {
        bool has = false;
        for (int x : plainMeasureValues(r.measure, n)) has = has || v.count(x);
        kills[std::size_t(n)] = r.action == RuleAction::Kill ? has : !has;
    }
    return kills;
}

std::set<int> asSet(std::uint32_t bits) {
    const std::vector<int> list = valueList(bits);
    return {list.begin(), list.end()};
}

std::vector<int> randomDraws(StateMaker& make, int count) {
    std::vector<int> draws;
    // Few distinct numbers now and then, so that values repeat and omissions stay short.
    const int spread = make.chance(0.3) ? 1 + make.below(20) : 1000;
    for (int i = 0; i < count; ++i) draws.push_back(spread == 1000 ? make.below(1000) : (111 * make.below(10) + make.below(spread) % 10) % 1000);
    return draws;
}

// ---- measures and value sets ---------------------------------------------------------

TEST(PastDrawRules, MeasuresAreEachNumbersOwnValuesInTheirRange) {
    for (const RuleMeasureInfo& m : kRuleMeasures) {
        EXPECT_EQ(measureByKey(m.key), m.measure);
        std::set<int> seen;
        for (int n = 0; n < 1000; ++n) {
            const std::set<int> values = asSet(measureValues(m.measure, n));
            ASSERT_EQ(values, plainMeasureValues(m.measure, n)) << m.key << " " << n;
            for (int v : values) {
                EXPECT_GE(v, 0);
                EXPECT_LT(v, m.values) << m.key;
                seen.insert(v);
            }
        }
        EXPECT_EQ(int(seen.size()), m.values) << m.key << ": every value of the range occurs";
    }
    EXPECT_FALSE(measureByKey("Sum"));
}

TEST(PastDrawRules, ValuesAndKillsFollowAPlainScanOfThePastDraws) {
    StateMaker make(251);
    for (int round = 0; round < 60; ++round) {
        const std::vector<int> past = randomDraws(make, make.below(70));
        std::vector<PastDrawRule> rules;
        for (int i = 1 + make.below(4); i > 0; --i) rules.push_back(randomRule(make, make.chance(0.8) ? 12 : 60));
        RuleTracker tracker(rules);
        MainConditions withRules;
        withRules.rules = rules;
        for (std::size_t t = 0; t <= past.size(); ++t) {
            const std::span<const int> before = std::span<const int>(past).first(t);
            const std::vector<ExtraRow> rows = ruleRows(withRules, before);
            ASSERT_EQ(rows.size(), rules.size());
            for (std::size_t i = 0; i < rules.size(); ++i) {
                const PastDrawRule& r = rules[i];
                const bool ready = t >= std::size_t(r.draws);
                EXPECT_EQ(rows[i].number, 101 + int(i));
                EXPECT_EQ(rows[i].name, ruleSentence(r));
                EXPECT_EQ(rows[i].page, kTabPageCount) << "the rules' page follows the fixed pages";
                ASSERT_EQ(rows[i].ready, ready);
                ASSERT_EQ(tracker.ready(i), ready);
                if (!ready) {
                    EXPECT_EQ(ruleValues(r, before), 0u);
                    EXPECT_TRUE(rows[i].kills.none());
                    EXPECT_TRUE(tracker.kills(i).none());
                    continue;
                }
                const std::set<int> v = plainV(r, past, t);
                ASSERT_EQ(asSet(ruleValues(r, before)), v) << ruleSentence(r) << " after " << t << " draws, round " << round;
                ASSERT_EQ(asSet(tracker.values(i)), v) << ruleSentence(r) << " after " << t << " draws";
                const NumberSet kills = plainKills(r, v);
                ASSERT_EQ(rows[i].kills, kills);
                ASSERT_EQ(tracker.kills(i), kills);
            }
            bool allReady = true;
            for (const PastDrawRule& r : rules) allReady = allReady && t >= std::size_t(r.draws);
            EXPECT_EQ(tracker.allReady(), allReady);
            if (t < past.size()) tracker.add(past[t]);
        }
    }
}

TEST(PastDrawRules, SentencesReadAsTheRule) {
    using enum RuleMeasure;
    EXPECT_EQ(ruleSentence({SumTail, RuleSource::Recent, 2, 0, 0, RuleAction::Kill}), "杀 最近 2 期出现过的 和尾");
    EXPECT_EQ(ruleSentence({Span, RuleSource::Omission, 30, 5, 30, RuleAction::Keep}), "保留 遗漏 5–30 期的 跨度");
    EXPECT_EQ(ruleSentence({Digits, RuleSource::Omission, 10, 0, 0, RuleAction::Kill}), "杀 遗漏 0 期的 数字");
    EXPECT_EQ(ruleSentence({Road, RuleSource::Recent, 1, 0, 0, RuleAction::Keep}), "保留 最近 1 期出现过的 012路");
    // Every measure has a name of its own.
    std::set<std::string_view> names;
    for (const RuleMeasureInfo& m : kRuleMeasures) names.insert(m.name);
    EXPECT_EQ(names.size(), kRuleMeasures.size());
    EXPECT_TRUE(ruleIsValid({Sum, RuleSource::Omission, 1000, 0, 1000, RuleAction::Kill}));
    EXPECT_FALSE(ruleIsValid({Sum, RuleSource::Omission, 10, 3, 2, RuleAction::Kill}));
    EXPECT_FALSE(ruleIsValid({Sum, RuleSource::Omission, 10, 0, 11, RuleAction::Kill}));
    EXPECT_FALSE(ruleIsValid({Sum, RuleSource::Recent, 1001, 0, 0, RuleAction::Kill}));
    EXPECT_FALSE(ruleIsValid({Sum, RuleSource::Recent, 3, 1, 1, RuleAction::Kill}));
}

// ---- tolerance and runs ----------------------------------------------------------------

TEST(PastDrawRules, ToleranceCountsTheConditionsAndTheReadyRules) {
    StateMaker make(907);
    for (int round = 0; round < 80; ++round) {
        const MainConditions state = make.main(0.1);
        const RowKills fixed = computeRowKills(shrinkInputs(state));
        std::vector<ExtraRow> extra(std::size_t(make.below(6)));
        std::vector<NumberSet> ruleKills;  // what each rule rules out, none while not ready
        for (std::size_t i = 0; i < extra.size(); ++i) {
            ExtraRow& e = extra[i];
            e.number = 101 + int(i);
            const int density = 1 + make.below(6);
            for (int n = 0; n < 1000; ++n) e.kills[std::size_t(n)] = make.below(10) < density;
            e.ready = !make.chance(0.2);
            ruleKills.push_back(e.ready ? e.kills : NumberSet());
        }
        const RowKills kills = computeRowKills(shrinkInputs(state), extra);
        for (int k : {0, 1, 2, 3, 5, 9, 25, 26, 28, 31}) {
            const NumberSet kept = survivorsWithTolerance(kills, k);
            ASSERT_EQ(FixedRowTolerance(fixed, k).survivors(extra), kept) << "round " << round << " k " << k;
            if (extra.empty()) {
                EXPECT_EQ(kept, survivorsWithTolerance(fixed, k));
            }
            for (int n = 0; n < 1000; ++n) {
                const std::vector<int> rows = kills.killedBy(n);
                int counted = 0;
                bool sources = true;
                for (int row = 2; row <= 28; ++row)
                    if (fixed.row(row).test(std::size_t(n))) {
                        if (row < 4) sources = false;
                        else ++counted;
                    }
                std::vector<int> expectedRows = fixed.killedBy(n);
                for (std::size_t i = 0; i < ruleKills.size(); ++i)
                    if (ruleKills[i].test(std::size_t(n))) {
                        ++counted;
                        expectedRows.push_back(101 + int(i));
                    }
                ASSERT_EQ(rows, expectedRows);
                const bool survives = sources && counted <= k;
                ASSERT_EQ(kept.test(std::size_t(n)), survives) << "round " << round << " k " << k << " n " << n;
                ASSERT_EQ(survivesWithTolerance(kills, n, k), survives);
            }
        }
    }
}

// The numbers of a set written into the kill-direct-numbers box, after
// what the box holds: a fixed condition that rules out just those numbers.
MainConditions withNumbersKilled(MainConditions state, const NumberSet& numbers) {
    std::string text = state.lists.directNumbers;
    for (int n = 0; n < 1000; ++n)
        if (numbers.test(std::size_t(n))) text += "\r\n" + numberText(n, 3);
    state.lists.directNumbers = text;
    return state;
}

NumberSet aliveIn(const NumberPool& pool) {
    NumberSet alive;
    for (int i = 0; i < NumberPool::kSize; ++i) alive[std::size_t(i)] = pool.alive(i);
    return alive;
}

TEST(PastDrawRules, ARunWithRulesIsTheRunWithTheirValuesAsFixedConditions) {
    StateMaker make(33);
    for (int round = 0; round < 60; ++round) {
        MainConditions state = make.main(0.06);
        state.tolerance = 0;
        const std::vector<int> past = randomDraws(make, make.below(20));
        NumberPool plain;
        const MainRun without = runMain(plain, state);
        NumberPool pool;
        EXPECT_EQ(runMain(pool, state, ruleRows(state, past)).result.text, without.result.text);
        for (int i = 1 + make.below(4); i > 0; --i) state.rules.push_back(randomRule(make, 15));
        NumberSet ruled;
        for (const PastDrawRule& r : state.rules)
            if (past.size() >= std::size_t(r.draws)) ruled |= plainKills(r, plainV(r, past, past.size()));
        const MainRun run = runMain(pool, state, ruleRows(state, past));
        NumberPool fixedPool;
        const MainRun fixed = runMain(fixedPool, withNumbersKilled(state, ruled));
        EXPECT_EQ(run.result.text, fixed.result.text) << "round " << round;
        EXPECT_EQ(run.result.count, fixed.result.count);
        EXPECT_EQ(aliveIn(pool), aliveIn(fixedPool));
        ASSERT_EQ(run.extra.size(), state.rules.size());
    }
}

// ---- walk-forward backtests -----------------------------------------------------------

struct RandomHistory {
    std::string text;
    std::vector<int> lines;  // line of each draw, in the text
};

// Draws with rising issues, falling issues (newest first) or none, and now
// and then a line without a draw.
RandomHistory randomHistory(StateMaker& make, const std::vector<int>& numbers, int way) {
    RandomHistory h;
    int line = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (make.chance(0.05)) {
            h.text += "无开奖\n";
            ++line;
        }
        if (way == 0) h.text += std::to_string(2026000 + i) + " ";
        if (way == 1) h.text += std::to_string(2026000 + numbers.size() - i) + " ";
        h.text += numberText(numbers[i], 3) + "\n";
        h.lines.push_back(++line);
    }
    return h;
}

TEST(PastDrawRules, WalkForwardIsARunPerDrawWithTheRulesLookingBackFromIt) {
    StateMaker make(4096);
    for (int round = 0; round < 40; ++round) {
        MainConditions state = make.main(0.05);
        state.tolerance = make.chance(0.5) ? 0 : 1 + make.below(3);
        for (int i = make.below(5); i > 0; --i) state.rules.push_back(randomRule(make, 10));
        const std::vector<int> numbers = randomDraws(make, make.below(50));
        const int way = make.below(3);
        const RandomHistory h = randomHistory(make, numbers, way);
        const History history = readHistory(h.text);
        ASSERT_EQ(history.draws.size(), numbers.size());
        const BetKind kind = make.chance(0.5) ? BetKind::Group : BetKind::Direct;
        MoneySettings money;
        money.price = 1 + make.below(3);
        const WalkForwardBacktest b = backtestWalkForward(state, history, kind, money);

        // Time order: the file's, reversed when the issues fall throughout.
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < numbers.size(); ++i) order.push_back(way == 1 && numbers.size() > 1 ? numbers.size() - 1 - i : i);
        if (way == 1 && numbers.size() == 1) order = {0};
        std::vector<int> past;
        int maxDraws = 0;
        for (const PastDrawRule& r : state.rules) maxDraws = std::max(maxDraws, r.draws);
        const RowKills fixedKills = computeRowKills(shrinkInputs(state));
        int warmup = 0, total = 0, kept = 0;
        long long bets = 0, hits = 0, run = 0, longest = 0;
        double cost = 0, win = 0, expectedHits = 0;
        ASSERT_EQ(b.draws.size(), numbers.size());
        for (std::size_t i : order) {
            const int n = numbers[i];
            const WalkForwardDraw& d = b.draws[i];
            EXPECT_EQ(d.index, i);
            EXPECT_EQ(history.draws[i].line, h.lines[i]);
            if (int(past.size()) < maxDraws) {
                EXPECT_TRUE(d.warmup) << "round " << round;
                ++warmup;
                past.push_back(n);
                continue;
            }
            ASSERT_FALSE(d.warmup) << "round " << round;
            std::vector<NumberSet> ruleKills;
            for (const PastDrawRule& r : state.rules) ruleKills.push_back(plainKills(r, plainV(r, past, past.size())));
            NumberSet survivors;
            if (state.tolerance == 0) {
                NumberSet ruled;
                for (const NumberSet& k : ruleKills) ruled |= k;
                NumberPool pool;
                runMain(pool, withNumbersKilled(state, ruled));
                survivors = aliveIn(pool);
            } else {
                for (int x = 0; x < 1000; ++x) {
                    int counted = 0;
                    bool sources = true;
                    for (int row : fixedKills.killedBy(x)) {
                        if (row < 4) sources = false;
                        else ++counted;
                    }
                    for (const NumberSet& k : ruleKills) counted += k.test(std::size_t(x)) ? 1 : 0;
                    survivors[std::size_t(x)] = sources && counted <= state.tolerance;
                }
            }
            std::vector<int> killedBy = fixedKills.killedBy(n);
            for (std::size_t r = 0; r < ruleKills.size(); ++r)
                if (ruleKills[r].test(std::size_t(n))) killedBy.push_back(101 + int(r));
            EXPECT_EQ(d.survives, survivors.test(std::size_t(n))) << "round " << round << " draw " << i;
            EXPECT_EQ(d.killedBy, killedBy);
            const DrawMoney m = drawMoney(Bets::main(survivors, kind), n, money);
            EXPECT_EQ(d.money.bets, m.bets);
            EXPECT_EQ(d.money.hit, m.hit);
            EXPECT_DOUBLE_EQ(d.money.win, m.win);
            EXPECT_DOUBLE_EQ(d.money.p, m.p);
            ++total;
            kept += d.survives ? 1 : 0;
            bets += m.bets;
            cost += m.cost;
            win += m.win;
            expectedHits += m.p;
            hits += m.hit ? 1 : 0;
            run = m.hit ? 0 : run + 1;
            longest = std::max(longest, run);
            past.push_back(n);
        }
        EXPECT_EQ(b.warmup, warmup);
        EXPECT_EQ(b.total, total);
        EXPECT_EQ(b.kept, kept);
        EXPECT_EQ(b.skipped, history.skipped);
        EXPECT_EQ(b.money.draws, total);
        EXPECT_EQ(b.money.bets, bets);
        EXPECT_EQ(b.money.hits, hits);
        EXPECT_NEAR(b.money.cost, cost, 1e-6);
        EXPECT_NEAR(b.money.win, win, 1e-6);
        EXPECT_NEAR(b.money.net, win - cost, 1e-6);
        EXPECT_NEAR(b.money.expectedHits, expectedHits, 1e-6);
        EXPECT_EQ(b.money.longestMiss, longest);
        EXPECT_EQ(b.money.currentMiss, run) << "round " << round;
    }
}

TEST(PastDrawRules, WithoutRulesAWalkForwardIsTheFixedBacktest) {
    StateMaker make(77);
    for (int round = 0; round < 20; ++round) {
        MainConditions state = make.main(0.08);
        state.tolerance = make.below(3);
        const RandomHistory h = randomHistory(make, randomDraws(make, make.below(60)), make.below(3));
        const History history = readHistory(h.text);
        const WalkForwardBacktest b = backtestWalkForward(state, history);
        const MoneyReport m = backtestMoney(history, mainBets(shrinkInputs(state), state.tolerance, BetKind::Direct), {});
        EXPECT_EQ(b.warmup, 0);
        EXPECT_EQ(b.total, int(history.draws.size()));
        EXPECT_EQ(b.money.bets, m.totals.bets);
        EXPECT_EQ(b.money.hits, m.totals.hits);
        EXPECT_EQ(b.money.longestMiss, m.totals.longestMiss);
        EXPECT_EQ(b.money.currentMiss, m.totals.currentMiss);
        EXPECT_NEAR(b.money.sdHits, m.totals.sdHits, 1e-9);
    }
}

TEST(PastDrawRules, ClearingEveryConditionEmptiesTheRules) {
    MainConditions state;
    state.rules = {{RuleMeasure::Sum, RuleSource::Recent, 3, 0, 0, RuleAction::Kill}};
    EXPECT_TRUE(restoredConditions(state).rules.empty());
}

}  // namespace
}  // namespace tarnel
