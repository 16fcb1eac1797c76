// Backtests agree with the runs: a draw is kept exactly when the run of the
// same conditions keeps its number, and the summary counts what the list shows.

#include <gtest/gtest.h>

#include "core/analysis/backtest.h"
#include "core/rules/text.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

std::string randomHistory(StateMaker& make, int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int n = make.below(1000);
        const std::string number = numberText(n, 3);
        switch (make.below(4)) {
            case 0: text += std::to_string(2026000 + i) + " " + number; break;
            case 1: text += std::to_string(2026000 + i) + " " + number.substr(0, 1) + "," + number.substr(1, 1) + "," + number.substr(2, 1); break;
            case 2: text += number + " 2026-12-06"; break;
            default: text += "junk " + std::to_string(make.below(100)); break;
        }
        text += make.chance(0.5) ? "\r\n" : "\n";
    }
    return text;
}

TEST(Backtest, KeptExactlyWhenTheRunKeepsTheDraw) {
    StateMaker make(61);
    for (int round = 0; round < 60; ++round) {
        MainConditions state = make.main(0.08);
        state.tolerance = make.below(3);
        const History history = readHistory(randomHistory(make, 40));
        const Backtest b = backtestMain(shrinkInputs(state), state.tolerance, history);
        NumberPool pool;
        runMain(pool, state);
        ASSERT_EQ(b.draws.size(), history.draws.size());
        int kept = 0, run = 0, longest = 0, last = -1;
        std::vector<int> byRow(kStageCount + 1, 0);
        for (std::size_t i = 0; i < b.draws.size(); ++i) {
            const DrawCheck& d = b.draws[i];
            EXPECT_EQ(d.number, history.draws[i].number);
            EXPECT_EQ(d.survives, pool.alive(std::stoi(d.number))) << "round " << round << " draw " << d.number;
            if (state.tolerance == 0) {
                EXPECT_EQ(d.survives, d.killedBy.empty());
            }
            for (int row : d.killedBy) ++byRow[std::size_t(row)];
            if (d.survives) {
                ++kept;
                run = 0;
            } else {
                last = int(i);
                longest = std::max(longest, ++run);
            }
        }
        EXPECT_EQ(b.kept, kept);
        EXPECT_EQ(b.longestMissRun, longest);
        EXPECT_EQ(b.lastMiss, last);
        EXPECT_EQ(b.killsByRow, byRow);
        EXPECT_EQ(b.skipped, history.skipped);
    }
}

TEST(Backtest, TwoStarChecksTheLastTwoDigits) {
    StateMaker make(62);
    for (int round = 0; round < 60; ++round) {
        const TwoStarConditions state = make.twoStar(0.1);
        const History history = readHistory(randomHistory(make, 30));
        const Backtest b = backtestTwoStar(state, history);
        PairPool pool;
        runTwoStar(pool, state);
        for (const DrawCheck& d : b.draws) {
            EXPECT_EQ(d.number, d.draw.number.substr(1));
            EXPECT_EQ(d.survives, pool.alive(std::stoi(d.number)));
            EXPECT_EQ(d.killedBy, d.survives ? std::vector<int>{} : std::vector<int>{0});
        }
    }
}

}  // namespace
}  // namespace tarnel
