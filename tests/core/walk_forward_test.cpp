// Walk-forward backtests held in bounded memory, and combinations of
// schemes with rules walking forward, against plain reckoning over random
// conditions, rules and histories: a run per draw with the rules looking
// back from it.
#include <gtest/gtest.h>

#include "core/analysis/combine.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history_order.h"
#include "core/rules/text.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::randomRule;
using testing::StateMaker;

History randomHistory(StateMaker& make, int draws) {
    const bool falling = make.chance(0.5);
    std::string text;
    for (int i = 0; i < draws; ++i) {
        text += std::to_string(falling ? 2026900 - i : 2026000 + i) + " " + numberText(make.below(1000), 3) + "\n";
        if (make.chance(0.05)) text += "停售\n";
    }
    return readHistory(text);
}

TEST(WalkForward, TheBoundedBacktestIsTheFullOneAndPricesTheNextDraw) {
    StateMaker make(3506);
    int ruleRowsSeen = 0, nextDiffers = 0;
    for (int round = 0; round < 40; ++round) {
        MainConditions state = make.main(0.04);
        state.tolerance = make.chance(0.5) ? 0 : 1 + make.below(3);
        for (int i = make.below(5); i > 0; --i) state.rules.push_back(randomRule(make, 15));
        const History history = randomHistory(make, make.below(80));
        const BetKind kind = make.chance(0.5) ? BetKind::Group : BetKind::Direct;
        MoneySettings money;
        money.price = 1 + make.below(3);
        const WalkForwardBacktest full = backtestWalkForward(state, history, kind, money);
        const WalkedBacktest b = walkBacktest(state, history, kind, money);

        ASSERT_EQ(b.draws.size(), history.draws.size());
        EXPECT_EQ(b.timeOrder, timeOrder(history));
        EXPECT_EQ(b.numbers, drawsInTimeOrder(history));
        EXPECT_EQ(b.warmup, full.warmup);
        EXPECT_EQ(b.total, full.total);
        EXPECT_EQ(b.kept, full.kept);
        EXPECT_EQ(b.money.hits, full.money.hits);
        EXPECT_NEAR(b.money.net, full.money.net, 1e-6);
        EXPECT_EQ(b.money.longestMiss, full.money.longestMiss);
        EXPECT_EQ(b.money.currentMiss, full.money.currentMiss);
        std::vector<int> kills(std::size_t(kFirstRuleRow) + state.rules.size(), 0);
        for (std::size_t t = 0; t < b.timeOrder.size(); ++t) {
            const std::size_t i = b.timeOrder[t];
            const WalkForwardDraw& want = full.draws[i];
            const WalkedDraw& got = b.draws[i];
            ASSERT_EQ(got.warmup, want.warmup) << "round " << round << " draw " << i;
            // The rule rows worked out again for one draw are those of the walk.
            std::vector<int> rules;
            for (int row : want.killedBy)
                if (row >= kFirstRuleRow) rules.push_back(row);
            EXPECT_EQ(ruleRowsAt(state.rules, b.numbers, t), rules) << "round " << round << " draw " << i;
            ruleRowsSeen += int(rules.size());
            if (want.warmup) continue;
            EXPECT_EQ(got.survives, want.survives);
            EXPECT_EQ(got.money.bets, want.money.bets);
            EXPECT_EQ(got.money.hit, want.money.hit);
            EXPECT_DOUBLE_EQ(got.money.win, want.money.win);
            for (int row : want.killedBy) ++kills[std::size_t(row)];
        }
        EXPECT_EQ(b.killsByRow, kills);
        // The next draw: the run as the start button makes it now.
        const Bets next = Bets::main(mainSurvivors(state, b.numbers), kind);
        EXPECT_EQ(b.nextBets, next.count()) << "round " << round;
        EXPECT_DOUBLE_EQ(b.nextChance, next.chance());
        if (b.total > 0) nextDiffers += next.count() != b.draws[b.timeOrder.back()].money.bets ? 1 : 0;
    }
    EXPECT_GT(ruleRowsSeen, 0);
    EXPECT_GT(nextDiffers, 0);
}

// Each scheme run for each draw with its rules looking back from that
// draw, the runs combined by counting, bought as direct bets.
TEST(WalkForward, ACombinationWalksForwardAsARunPerSchemePerDraw) {
    StateMaker make(3502);
    int warmups = 0, scored = 0, changes = 0;
    for (int round = 0; round < 30; ++round) {
        const int n = 2 + make.below(3);
        std::vector<MainConditions> schemes;
        std::size_t lookBack = 0;
        for (int k = 0; k < n; ++k) {
            MainConditions s = make.main(0.02);
            s.tolerance = make.below(2);
            for (int i = make.below(3); i > 0; --i) {
                s.rules.push_back(randomRule(make, 10));
                lookBack = std::max(lookBack, std::size_t(s.rules.back().draws));
            }
            schemes.push_back(s);
        }
        const int tolerance = make.below(n);
        const History history = randomHistory(make, make.below(50));
        MoneySettings money;
        money.direct = 900 + make.below(200);
        const CombinationBacktest b = backtestCombination(schemes, tolerance, history, money);

        const std::vector<std::size_t> order = timeOrder(history);
        const std::vector<int> past = drawsInTimeOrder(history);
        ASSERT_EQ(b.draws.size(), history.draws.size());
        EXPECT_EQ(b.skipped, history.skipped);
        int kept = 0, warm = 0;
        long long hits = 0, bets = 0;
        std::optional<NumberSet> first;
        for (std::size_t t = 0; t < order.size(); ++t) {
            const CombinedDraw& d = b.draws[order[t]];
            EXPECT_EQ(d.draw.number, history.draws[order[t]].number);
            ASSERT_EQ(d.warmup, t < lookBack) << "round " << round << " draw " << t;
            if (d.warmup) {
                ++warm;
                continue;
            }
            std::vector<NumberSet> runs;
            for (const MainConditions& s : schemes) runs.push_back(mainSurvivors(s, std::span<const int>(past).first(t)));
            NumberSet combined;
            for (std::size_t x = 0; x < combined.size(); ++x) {
                int holders = 0;
                for (const NumberSet& r : runs) holders += r[x] ? 1 : 0;
                combined[x] = holders >= n - tolerance;
            }
            if (!first) first = combined;
            changes += combined != *first ? 1 : 0;
            const auto x = std::size_t(past[t]);
            int holders = 0;
            for (const NumberSet& r : runs) holders += r[x] ? 1 : 0;
            EXPECT_EQ(d.kept, bool(combined[x])) << "round " << round << " draw " << t;
            EXPECT_EQ(d.holders, holders);
            EXPECT_EQ(d.money.bets, int(combined.count()));
            EXPECT_EQ(d.money.hit, bool(combined[x]));
            EXPECT_DOUBLE_EQ(d.money.win, combined[x] ? money.direct : 0);
            EXPECT_NEAR(d.money.p, combined.count() / 1000.0, 1e-12);
            kept += d.kept ? 1 : 0;
            hits += d.money.hit ? 1 : 0;
            bets += d.money.bets;
        }
        warmups += warm;
        scored += int(order.size()) - warm;
        EXPECT_EQ(b.warmup, warm);
        EXPECT_EQ(b.total, int(order.size()) - warm);
        EXPECT_EQ(b.kept, kept);
        EXPECT_EQ(b.money.hits, hits);
        EXPECT_EQ(b.money.bets, bets);
        // What the combination is now: each scheme's run looking back on every draw.
        std::vector<NumberSet> now;
        for (const MainConditions& s : schemes) now.push_back(mainSurvivors(s, past));
        EXPECT_EQ(b.next, now);
        EXPECT_EQ(b.nextCombined, combineResults(now, tolerance));
        // Without rules: the fixed backtest, draw for draw.
        std::vector<MainConditions> fixed = schemes;
        std::vector<NumberSet> alone;
        for (MainConditions& s : fixed) {
            s.rules.clear();
            alone.push_back(mainSurvivors(s));
        }
        const CombinationBacktest walked = backtestCombination(fixed, tolerance, history, money);
        const CombinationBacktest same = backtestCombination(alone, tolerance, history, money);
        EXPECT_EQ(walked.warmup, 0);
        EXPECT_EQ(walked.kept, same.kept);
        EXPECT_EQ(walked.lastMiss, same.lastMiss);
        EXPECT_EQ(walked.drawsAfterLastMiss, same.drawsAfterLastMiss);
        EXPECT_NEAR(walked.money.net, same.money.net, 1e-6);
        EXPECT_EQ(walked.money.longestMiss, same.money.longestMiss);
        EXPECT_EQ(walked.money.currentMiss, same.money.currentMiss);
        for (std::size_t i = 0; i < walked.draws.size(); ++i) EXPECT_EQ(walked.draws[i].holders, same.draws[i].holders);
    }
    EXPECT_GT(warmups, 0);
    EXPECT_GT(scored, 300);
    EXPECT_GT(changes, 0) << "no combination that changed from draw to draw";
}

}  // namespace
}  // namespace tarnel
