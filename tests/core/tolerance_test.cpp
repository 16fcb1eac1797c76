// Tolerance (容错): with k = 0 the run is the plain sequential run; more
// tolerance only ever keeps more; a number survives exactly when the pool
// sources keep it and at most k conditions rule it out.

#include <gtest/gtest.h>

#include "core/state/shrink.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

NumberSet aliveIn(const NumberPool& pool) {
    NumberSet alive;
    for (int i = 0; i < NumberPool::kSize; ++i) alive[std::size_t(i)] = pool.alive(i);
    return alive;
}

TEST(Tolerance, ZeroIsThePlainRun) {
    StateMaker make(17);
    for (int round = 0; round < 300; ++round) {
        MainConditions state = make.main(0.06);
        state.tolerance = 0;
        NumberPool sequential;
        const ShrinkResult plain = runShrink(sequential, shrinkInputs(state));
        NumberPool pool;
        const MainRun run = runMain(pool, state);
        EXPECT_EQ(run.result.text, plain.text) << "round " << round;
        EXPECT_EQ(run.result.count, plain.count);
        EXPECT_EQ(aliveIn(pool), aliveIn(sequential));
        // The group conversion sees the same survivors.
        EXPECT_EQ(convertToGroups(pool).text, convertToGroups(sequential).text);
    }
}

TEST(Tolerance, EachNumberSurvivesByItsOwnCountOfConditions) {
    StateMaker make(23);
    for (int round = 0; round < 150; ++round) {
        MainConditions state = make.main(0.15);
        const ShrinkInputs in = shrinkInputs(state);
        const RowKills kills = computeRowKills(in);
        // The rows computed together are the rows computed one by one.
        for (int row = 0; row < kStageCount; ++row) ASSERT_EQ(kills.byRow[std::size_t(row)], rowKillSet(row, in));
        NumberSet previous;
        for (int k = 0; k <= kMaxTolerance; ++k) {
            const NumberSet kept = survivorsWithTolerance(kills, k);
            // The run in stage order keeps the same numbers.
            NumberPool pool;
            runWithTolerance(pool, in, k);
            ASSERT_EQ(aliveIn(pool), kept) << "round " << round << " k " << k;
            EXPECT_EQ(kept & previous, previous) << "k " << k;  // grows with k
            previous = kept;
            for (int n = 0; n < NumberPool::kSize; n += 7) {
                int conditions = 0;
                bool sourcesKeep = true;
                for (int row : kills.killedBy(n)) {
                    if (row < kFirstConditionRow) sourcesKeep = false;
                    else ++conditions;
                }
                const bool expected = sourcesKeep && conditions <= k;
                ASSERT_EQ(kept.test(std::size_t(n)), expected) << "round " << round << " k " << k << " n " << n;
                ASSERT_EQ(survivesWithTolerance(kills, n, k), expected);
            }
        }
        // With every condition tolerated only the pool sources decide.
        EXPECT_EQ(survivorsWithTolerance(kills, kMaxTolerance), ~kills.sourceKills());
    }
}

TEST(Tolerance, RunWritesTheTolerantSurvivorsAndConvertsThem) {
    MainConditions state;
    state.sources.baseList = "123 355 456 999";
    state.digits.sumTailKill[3] = true;  // 355 (sum 13)
    state.digits.spanKill[0] = true;     // 999
    state.digits.sumLower = "14";        // 123 (6), 355 (13)
    state.tolerance = 1;
    NumberPool pool;
    MainRun run = runMain(pool, state);
    EXPECT_EQ(run.result.text, "123 456 999");  // 355 is ruled out twice
    const RowKills kills = computeRowKills(run.inputs);
    EXPECT_EQ(kills.killedBy(355), (std::vector<int>{15, 18}));
    EXPECT_EQ(kills.killedBy(778), (std::vector<int>{3}));  // not in the base list: never tolerated
    EXPECT_FALSE(pool.alive(778));
    state.tolerance = 2;
    run = runMain(pool, state);
    EXPECT_EQ(run.result.text, "123 355 456 999");
    state.digits.special[1] = true;  // 组三: a third condition against 355
    run = runMain(pool, state);
    EXPECT_EQ(run.result.text, "123 456 999");
    EXPECT_EQ(convertToGroups(pool).text, "123 456 999");
}

TEST(RowNames, EveryConditionRowHasAName) {
    for (int row = kFirstSourceRow; row <= kLastConditionRow; ++row) EXPECT_FALSE(rowName(row).empty()) << row;
    EXPECT_EQ(rowName(15), "杀和尾");
    EXPECT_TRUE(rowName(0).empty());
}

TEST(RowIsSet, RowsWithoutInputsKillNothing) {
    StateMaker make(31);
    for (int round = 0; round < 300; ++round) {
        const ShrinkInputs in = shrinkInputs(make.main(0.05));
        const RowKills kills = computeRowKills(in);
        for (int row = kFirstSourceRow; row <= kLastConditionRow; ++row)
            if (!rowIsSet(row, in)) {
                EXPECT_TRUE(kills.row(row).none()) << "round " << round << " row " << row;
            }
    }
    EXPECT_FALSE(rowIsSet(18, shrinkInputs(MainConditions{})));  // the sum box's opening hint is no condition
}

}  // namespace
}  // namespace tarnel
