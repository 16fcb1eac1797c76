// Combining schemes: the bit-sliced combination against plain counting, a
// scheme read whole against its own run, and the backtest of a combination
// against draw-by-draw reckoning.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/rules/text.h"
#include "core/analysis/combine.h"
#include "core/files/scheme.h"
#include "core/state/shrink.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// The plain reading of the rule: count the results holding each number.
NumberSet countedCombination(const std::vector<NumberSet>& results, int tolerance) {
    NumberSet kept;
    const int n = int(results.size());
    if (n == 0 || tolerance < 0 || tolerance >= n) return kept;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        int holders = 0;
        for (const NumberSet& r : results) holders += r[i];
        if (holders >= n - tolerance) kept.set(i);
    }
    return kept;
}

NumberSet randomSet(std::mt19937& rng, double density) {
    std::bernoulli_distribution in(density);
    NumberSet s;
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = in(rng);
    return s;
}

TEST(Combine, EveryToleranceKeepsWhatCountingKeeps) {
    std::mt19937 rng(26);
    const double densities[] = {0.0, 0.02, 0.3, 0.5, 0.9, 1.0};
    for (int n = 0; n <= 40; n += (n < 17 ? 1 : 7)) {
        for (int round = 0; round < 6; ++round) {
            std::vector<NumberSet> results;
            for (int i = 0; i < n; ++i) results.push_back(randomSet(rng, densities[(round + i) % 6]));
            // Every K in range, and a few outside it.
            for (int k = -2; k <= n + 1; ++k)
                EXPECT_EQ(combineResults(results, k), countedCombination(results, k)) << "n " << n << " K " << k;
            if (n > 0) {
                NumberSet all, any;
                all.set();
                for (const NumberSet& r : results) all &= r, any |= r;
                EXPECT_EQ(combineResults(results, 0), all);
                EXPECT_EQ(combineResults(results, n - 1), any);
            }
        }
    }
}

TEST(Combine, SchemeTextRunsAsTheStartButtonRuns) {
    StateMaker make(261);
    int telling = 0;  // rounds where the tolerance changes the combination
    for (int round = 0; round < 40; ++round) {
        // A handful of schemes, loose enough that their results overlap.
        const int n = 2 + make.below(5);
        std::vector<MainConditions> states;
        std::vector<NumberSet> read;
        for (int i = 0; i < n; ++i) {
            states.push_back(make.main(0.008 + 0.01 * make.below(3)));
            const SchemeOutcome outcome = runSchemeText(writeScheme(states.back(), nullptr));
            ASSERT_TRUE(outcome.survivors) << outcome.error;
            read.push_back(*outcome.survivors);
        }
        // Each scheme alone, as a run of its conditions with its own tolerance.
        std::vector<NumberSet> alone;
        for (const MainConditions& s : states) {
            NumberPool pool;
            const MainRun run = runMain(pool, s);
            NumberSet kept;
            for (int i = 0; i < NumberPool::kSize; ++i)
                if (pool.alive(i)) kept.set(std::size_t(i));
            EXPECT_EQ(int(kept.count()), run.result.count);
            alone.push_back(kept);
        }
        ASSERT_EQ(read, alone) << "round " << round;
        const NumberSet all = combineResults(read, 0);
        telling += all.any() && all != combineResults(read, n - 1);
        for (int k = 0; k < n; ++k) {
            const NumberSet combined = combineResults(read, k);
            EXPECT_EQ(combined, countedCombination(alone, k));
            // The text lists exactly these numbers, ascending, one space apart.
            const std::string text = numberSetText(combined);
            EXPECT_EQ(text.size(), combined.none() ? 0 : combined.count() * 4 - 1);
            for (std::size_t i = 0, at = 0; i < combined.size(); ++i)
                if (combined[i]) {
                    EXPECT_EQ(text.substr(at, 3), numberText(int(i), 3));
                    at += 4;
                }
        }
    }
    EXPECT_GE(telling, 10);
}

TEST(Combine, RefusedSchemeSaysWhy) {
    for (const char* bad : {"", "{", "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Combo_rongcuo\":\"10\"}}",
                            "{\"format\":\"other\",\"version\":1}"}) {
        const SchemeOutcome outcome = runSchemeText(bad);
        EXPECT_FALSE(outcome.survivors) << bad;
        EXPECT_FALSE(outcome.error.empty()) << bad;
    }
}

TEST(Combine, BacktestReckonsEveryDrawAndTheMoney) {
    std::mt19937 rng(263);
    StateMaker make(264);
    for (int round = 0; round < 30; ++round) {
        const int n = 2 + make.below(4);
        std::vector<NumberSet> results;
        for (int i = 0; i < n; ++i) results.push_back(randomSet(rng, 0.2 + 0.15 * make.below(5)));
        const int k = make.below(n);
        // Issues falling or rising, so both time orders are taken.
        const bool falling = make.chance(0.5);
        std::string text;
        const int draws = make.below(60);
        std::vector<int> numbers;
        for (int i = 0; i < draws; ++i) {
            numbers.push_back(make.below(1000));
            text += std::to_string(falling ? 2026500 - i : 2026000 + i) + " " + numberText(numbers.back(), 3) + "\n";
            if (make.chance(0.1)) text += "没有开奖号码\n";
        }
        const History history = readHistoryText(text);
        MoneySettings prices;
        prices.price = 1.5 + make.below(3);
        prices.direct = 900.0 + make.below(300);
        const CombinationBacktest b = backtestCombination(results, k, history, prices);

        const NumberSet combined = countedCombination(results, k);
        const double p = double(combined.count()) / 1000;
        ASSERT_EQ(b.draws.size(), numbers.size());
        EXPECT_EQ(b.skipped, history.skipped);
        int kept = 0, longest = 0, run = 0, current = 0, lastMiss = -1, after = 0;
        double win = 0;
        for (int t = 0; t < draws; ++t) {
            // Oldest first: the last line is the oldest when issues fall.
            const std::size_t i = std::size_t(falling ? draws - 1 - t : t);
            const CombinedDraw& d = b.draws[i];
            EXPECT_EQ(d.draw.number, numberText(numbers[i], 3));
            EXPECT_EQ(d.kept, bool(combined[std::size_t(numbers[i])]));
            int holders = 0;
            for (const NumberSet& r : results) holders += r[std::size_t(numbers[i])];
            EXPECT_EQ(d.holders, holders);
            EXPECT_EQ(d.money.bets, int(combined.count()));
            EXPECT_EQ(d.money.hit, d.kept);
            kept += d.kept;
            win += d.kept ? prices.direct : 0;
            run = d.kept ? 0 : run + 1;
            longest = std::max(longest, run);
            current = run;
            after = d.kept ? after + 1 : 0;
            if (!d.kept) lastMiss = int(i);
        }
        const MoneyTotals& m = b.money;
        EXPECT_EQ(b.kept, kept);
        EXPECT_EQ(m.hits, kept);
        EXPECT_EQ(m.draws, draws);
        EXPECT_EQ(m.bets, (long long)combined.count() * draws);
        EXPECT_NEAR(m.cost, double(combined.count()) * draws * prices.price, 1e-6);
        EXPECT_NEAR(m.win, win, 1e-6);
        EXPECT_NEAR(m.net, win - m.cost, 1e-6);
        EXPECT_NEAR(m.expectedHits, draws * p, 1e-6);
        EXPECT_NEAR(m.sdHits, std::sqrt(draws * p * (1 - p)), 1e-6);
        EXPECT_NEAR(m.expectedWin, draws * p * prices.direct, 1e-6);
        EXPECT_EQ(m.longestMiss, longest);
        EXPECT_EQ(m.currentMiss, current);
        EXPECT_EQ(b.lastMiss, lastMiss);
        if (lastMiss >= 0) {
            EXPECT_EQ(b.drawsAfterLastMiss, after);
        }
    }
}

}  // namespace
}  // namespace tarnel
