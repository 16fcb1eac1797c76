// The pool, the run, the pool sources, the output and the group conversion.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/rules/text.h"
#include "core/rules/number_pool.h"
#include "core/rules/pool_sources.h"
#include "core/state/shrink.h"

namespace tarnel {
namespace {

std::vector<int> survivors(const NumberPool& pool) {
    std::vector<int> out;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (pool.alive(i)) out.push_back(pool.value(i));
    return out;
}

ShrinkResult runWith(const ShrinkInputs& in) {
    NumberPool pool;
    return runShrink(pool, in);
}

// ---------------------------------------------------------------- pool

// Kills by predicate, by set and one at a time, then takes, over random
// steps, against a plain model: a bool per number and the kills since the take.
TEST(NumberPool, KillsAndTakesMatchAPlainModel) {
    std::mt19937 rng(17);
    NumberPool pool;
    std::vector<bool> dead(NumberPool::kSize, false);
    NumberSet since;
    for (int step = 0; step < 3000; ++step) {
        switch (rng() % 5) {
            case 0: {
                const int i = int(rng() % 1000);
                if (!dead[std::size_t(i)]) since.set(std::size_t(i));
                dead[std::size_t(i)] = true;
                pool.kill(i);
                break;
            }
            case 1: {
                NumberSet set;
                for (int k = int(rng() % 40); k > 0; --k) set.set(rng() % 1000);
                for (std::size_t i = 0; i < 1000; ++i)
                    if (set[i] && !dead[i]) dead[i] = true, since.set(i);
                pool.killAll(set);
                break;
            }
            case 2: {
                const int tail = int(rng() % 10);
                for (std::size_t i = 0; i < 1000; ++i)
                    if (int(i % 10) == tail && !dead[i]) dead[i] = true, since.set(i);
                pool.killWhere([tail](int, int, int c) { return c == tail; });
                break;
            }
            case 3: {
                ASSERT_EQ(pool.takeKilled(), since) << "step " << step;
                for (std::size_t i = 0; i < 1000; ++i)
                    if (since[i]) dead[i] = false;
                since.reset();
                break;
            }
            default:
                if (rng() % 20 == 0) {
                    pool.reset();
                    dead.assign(dead.size(), false);
                    since.reset();
                }
        }
        for (int i = 0; i < NumberPool::kSize; ++i) ASSERT_EQ(pool.alive(i), !dead[std::size_t(i)]) << "step " << step;
        ASSERT_EQ(pool.aliveCount(), int(std::count(dead.begin(), dead.end(), false)));
    }
}

TEST(NumberPool, EntriesHoldTheirNumbersInAscendingOrder) {
    NumberPool pool;
    EXPECT_EQ(pool.text(0), "000");
    EXPECT_EQ(pool.text(7), "007");
    EXPECT_EQ(pool.text(10), "010");
    EXPECT_EQ(pool.text(999), "999");
    for (int i = 0; i < NumberPool::kSize; ++i) {
        ASSERT_EQ(pool.digit(i, 0) * 100 + pool.digit(i, 1) * 10 + pool.digit(i, 2), i);
        ASSERT_TRUE(pool.alive(i));
    }
}

TEST(NumberPool, ResetRevivesAndRestoresDigits) {
    NumberPool pool;
    pool.killWhere([](int a, int, int) { return a == 3; });
    EXPECT_EQ(pool.aliveCount(), 900);
    convertToGroups(pool);  // sorts survivors' digits
    pool.reset();
    EXPECT_EQ(pool.aliveCount(), 1000);
    EXPECT_EQ(pool.text(321), "321");
}

// ---------------------------------------------------------------- output

TEST(Output, NoConditionListsAllThousandNumbers) {
    const ShrinkResult r = runWith({});
    EXPECT_EQ(r.count, 1000);
    ASSERT_EQ(r.text.size(), 3999u);
    EXPECT_EQ(r.text.substr(0, 12), "000 001 002 ");
    EXPECT_EQ(r.text.substr(r.text.size() - 7), "998 999");
    std::string expected;
    for (int v = 0; v < 1000; ++v) expected += numberText(v, 3) + (v < 999 ? " " : "");
    EXPECT_EQ(r.text, expected);
}

TEST(Output, EverythingKilledGivesTheTwoPartNotice) {
    NumberPool pool;
    pool.killWhere([](int, int, int) { return true; });
    const ShrinkResult r = outputResult(pool);
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.text,
              "没有符合条件的号码，请检测过滤条件\r\n\r\n注意：同一条件下的选项不要全部打勾，否则得0注");
}

TEST(Output, SingleSurvivorHasNoSurroundingSpaces) {
    NumberPool pool;
    pool.killWhere([](int a, int b, int c) { return !(a == 0 && b == 0 && c == 7); });
    const ShrinkResult r = outputResult(pool);
    EXPECT_EQ(r.text, "007");
    EXPECT_EQ(r.count, 1);
}

TEST(ShrinkRun, TableHasTheFixedOrderAndEveryRowRuns) {
    ASSERT_EQ(kStageTable.size(), 29u);
    EXPECT_EQ(kStageTable.front().name, "pool initialisation");
    EXPECT_EQ(kStageTable[1].name, "compound digit input");
    EXPECT_EQ(kStageTable[2].name, "base-number list");
    EXPECT_EQ(kStageTable[20].name, "banker groups");
    EXPECT_EQ(kStageTable.back().name, "output");
    std::vector<int> seen;
    NumberPool pool;
    runShrink(pool, {}, [&](int row) { seen.push_back(row); });
    ASSERT_EQ(seen.size(), 29u);
    for (int i = 0; i < 29; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
}

TEST(ShrinkRun, PreviousRunDoesNotCarryOver) {
    NumberPool pool;
    ShrinkInputs in;
    in.source.baseList = "123";
    EXPECT_EQ(runShrink(pool, in).count, 1);
    EXPECT_EQ(runShrink(pool, {}).count, 1000);
}

// ---------------------------------------------------------------- pool sources

struct CompoundCase {
    bool on;
    std::array<std::string, 3> boxes;
    int survivors;
};

class CompoundDigits : public ::testing::TestWithParam<CompoundCase> {};

TEST_P(CompoundDigits, KeepsNumbersAllowedAtEveryPosition) {
    const CompoundCase& c = GetParam();
    ShrinkInputs in;
    in.source.compoundOn = c.on;
    in.source.compoundDigits = c.boxes;
    EXPECT_EQ(runWith(in).count, c.survivors);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompoundDigits,
    ::testing::Values(CompoundCase{true, {"12", "0 5 9", "35"}, 12},
                      CompoundCase{true, {"1a2 2", "x0,5;9", "3 5 5"}, 12},  // separators, repeats, letters
                      CompoundCase{true, {"12", "", "35"}, 0},              // one empty box kills all
                      CompoundCase{true, {"0123456789", "9876543210", "0123456789"}, 1000},
                      CompoundCase{false, {"1", "", ""}, 1000},              // unticked: ignored
                      CompoundCase{true, {"１２", "0", "0"}, 0}));          // full-width digits are no digits

TEST(CompoundDigits, ExactSurvivorsOfTheWorkedExample) {
    ShrinkInputs in;
    in.source.compoundOn = true;
    in.source.compoundDigits = {"12", "0 5 9", "35"};
    NumberPool pool;
    runShrink(pool, in);
    EXPECT_EQ(survivors(pool),
              (std::vector<int>{103, 105, 153, 155, 193, 195, 203, 205, 253, 255, 293, 295}));
}

struct BaseListCase {
    std::string text;
    std::vector<int> survivors;  // empty with `all` meaning nothing killed
    bool all;
};

class BaseList : public ::testing::TestWithParam<BaseListCase> {};

TEST_P(BaseList, KeepsNumbersWhoseDigitsStandConsecutively) {
    const BaseListCase& c = GetParam();
    ShrinkInputs in;
    in.source.baseList = c.text;
    NumberPool pool;
    runShrink(pool, in);
    if (c.all)
        EXPECT_EQ(pool.aliveCount(), 1000);
    else
        EXPECT_EQ(survivors(pool), c.survivors);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BaseList,
    ::testing::Values(BaseListCase{"\r\n大底号码\r\n\r\n双击清空\r\n", {}, true},
                      BaseListCase{"", {}, true},
                      BaseListCase{"no digits at all!", {}, true},
                      BaseListCase{"12 34", {}, false},
                      BaseListCase{"1234", {123, 234}, false},
                      BaseListCase{"007\r\n7", {7}, false},
                      BaseListCase{"123,456", {123, 456}, false},
                      BaseListCase{"456 123 456", {123, 456}, false},
                      BaseListCase{"１２３ 12３", {}, false},         // full-width digits separate
                      BaseListCase{"12\r\n3", {}, false},              // a line break separates
                      BaseListCase{"九9９8", {}, false}));

// The windowed scan must agree with the plain substring rule on any text.
TEST(DigitWindows, AgreesWithSubstringSearch) {
    const std::vector<std::string> texts = {
        "", "1", "12", "123", "1234567890", "0a01b012c0123", "99\r\n999\n9", "5５55", "\xff\xfe" "123\x00" "456",
        std::string("12\0" "34", 5), "0000", "1 2 3 12 23 123 9876"};
    for (const std::string& t : texts) {
        const NumberWindows three(t);
        const PairWindows two(t);
        for (int v = 0; v < 1000; ++v)
            ASSERT_EQ(three.contains(v), occursIn(numberText(v, 3), t)) << "text " << t << " number " << v;
        for (int v = 0; v < 100; ++v)
            ASSERT_EQ(two.contains(v), occursIn(numberText(v, 2), t)) << "text " << t << " pair " << v;
    }
}

TEST(TextRules, TrimRemovesOnlyPlainSpaces) {
    EXPECT_EQ(trimSpaces("  12 3  "), "12 3");
    EXPECT_EQ(trimSpaces("\t1 "), "\t1");
    EXPECT_EQ(trimSpaces("    "), "");
    EXPECT_EQ(trimSpaces("\xe3\x80\x80" "1"), "\xe3\x80\x80" "1");  // ideographic space stays
}

// ---------------------------------------------------------------- group conversion

struct GroupCase {
    std::vector<int> alive;
    std::string text;
    int count;
};

class GroupConversion : public ::testing::TestWithParam<GroupCase> {};

TEST_P(GroupConversion, ReducesSurvivorsToSortedDigits) {
    const GroupCase& c = GetParam();
    NumberPool pool;
    const std::set<int> keep(c.alive.begin(), c.alive.end());
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (!keep.count(i)) pool.kill(i);
    const ShrinkResult r = convertToGroups(pool);
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(r.count, c.count);
}

INSTANTIATE_TEST_SUITE_P(Cases, GroupConversion,
                         ::testing::Values(GroupCase{{123, 321}, "123", 1},
                                           GroupCase{{112, 121, 211}, "112", 1},
                                           GroupCase{{12, 300}, "012 003", 2},  // first-seen order
                                           GroupCase{{}, "", 0},
                                           GroupCase{{999}, "999", 1},
                                           GroupCase{{210, 102, 21}, "012", 1}));

TEST(GroupConversion, FullPoolGivesAll220GroupForms) {
    NumberPool pool;
    const ShrinkResult r = convertToGroups(pool);
    EXPECT_EQ(r.count, 220);
    EXPECT_EQ(r.text.substr(0, 8), "000 001 ");
    EXPECT_EQ(r.text.size(), 220u * 4 - 1);
    // Every group form is sorted and appears once.
    std::set<std::string> seen;
    for (std::size_t i = 0; i < r.text.size(); i += 4) {
        const std::string g = r.text.substr(i, 3);
        EXPECT_TRUE(g[0] <= g[1] && g[1] <= g[2]) << g;
        EXPECT_TRUE(seen.insert(g).second) << g;
    }
}

}  // namespace
}  // namespace tarnel
