// Which two-star conditions rule out a pair: each step alone against the
// whole run, over random conditions.
#include <gtest/gtest.h>

#include "core/rules/pair_pool.h"
#include "support/random_state.h"
#include "core/rules/pair_step_kills.h"
#include "core/rules/two_star_run.h"

namespace tarnel {
namespace {

TEST(PairStepKills, APairSurvivesTheRunExactlyWhenNoStepRulesItOut) {
    testing::StateMaker make(41);
    int killedSomewhere = 0, byTwoOrMore = 0;
    for (int round = 0; round < 400; ++round) {
        const TwoStarInputs in = make.twoStar(round % 2 ? 0.05 : 0.15);
        PairPool pool;
        runTwoStar(pool, in);
        const PairStepKills kills = computePairStepKills(in);
        for (int pair = 0; pair < PairPool::kSize; ++pair) {
            const std::vector<int> steps = kills.killedBy(pair);
            ASSERT_EQ(pool.alive(pair), steps.empty()) << "round " << round << " pair " << pair;
            for (int s : steps) {
                // Each named step, applied alone to a full pool, kills the pair.
                ASSERT_FALSE(pairStepName(s).empty()) << s;
                PairPool alone;
                TwoStarResult ignored;
                kTwoStarSteps[std::size_t(s)].run(alone, in, ignored);
                ASSERT_FALSE(alone.alive(pair));
            }
            killedSomewhere += !steps.empty();
            byTwoOrMore += steps.size() > 1;
        }
    }
    // The random conditions reach both cases.
    EXPECT_GT(killedSomewhere, 1000);
    EXPECT_GT(byTwoOrMore, 100);
    EXPECT_TRUE(pairStepName(0).empty());
    EXPECT_TRUE(pairStepName(kTwoStarStepCount - 1).empty());
    EXPECT_EQ(pairStepName(3), "杀和值");
}

}  // namespace
}  // namespace tarnel
