// The two-star run: pool, banker groups, digit grids, the two number lists,
// output and group conversion.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/rules/digits.h"
#include "core/rules/pair_grids.h"
#include "core/rules/pair_pool.h"
#include "core/rules/two_star_run.h"

namespace tarnel {
namespace {

std::set<int> killedBy(const TwoStarInputs& in) {
    PairPool pool;
    runTwoStar(pool, in);
    std::set<int> killed;
    for (int i = 0; i < PairPool::kSize; ++i)
        if (!pool.alive(i)) killed.insert(i);
    return killed;
}

std::set<int> numbersWhere(const std::function<bool(int, int)>& pred) {
    std::set<int> out;
    for (int n = 0; n < 100; ++n)
        if (pred(n / 10, n % 10)) out.insert(n);
    return out;
}

std::string survivorsText(const TwoStarInputs& in) {
    PairPool pool;
    return runTwoStar(pool, in).text;
}

std::string allPairsText() {
    std::string text;
    for (int n = 0; n < 100; ++n) {
        if (n) text += ' ';
        text += static_cast<char>('0' + n / 10);
        text += static_cast<char>('0' + n % 10);
    }
    return text;
}

// The collapse as the window's ten replace passes do it, pair by pair.
std::string tenPasses(std::string text) {
    for (int pass = 0; pass < 10; ++pass) {
        std::string out;
        for (std::size_t i = 0; i < text.size();) {
            if (text.compare(i, 2, "  ") == 0) {
                out += ' ';
                i += 2;
            } else {
                out += text[i++];
            }
        }
        text = std::move(out);
    }
    return text;
}

// ---- pool, output, groups -------------------------------------------------

TEST(PairPool, RebuildMakesEveryEntryAliveWithItsTwoDigitText) {
    PairPool pool;
    pool.kill(7);
    pool.kill(99);
    EXPECT_EQ(pool.killedMark(7), "*");
    EXPECT_EQ(pool.killedMark(8), "");
    pool.reset();
    EXPECT_EQ(pool.aliveCount(), 100);
    EXPECT_EQ(pool.text(7), "07");
    EXPECT_EQ(pool.text(90), "90");
    EXPECT_EQ(pool.tens(90), 9);
    EXPECT_EQ(pool.units(90), 0);
}

TEST(TwoStarRun, NothingSetPrintsAllHundredAndEmptiesTheHintOfTheBaseList) {
    TwoStarInputs in;
    in.baseList = "输入大底号码";
    in.killList = "杀直选号码\r\n";
    PairPool pool;
    const TwoStarResult r = runTwoStar(pool, in);
    EXPECT_EQ(r.count, 100);
    EXPECT_EQ(r.text, allPairsText());
    EXPECT_EQ(r.baseList, "");
}

TEST(TwoStarRun, RunStartsFromAFreshPool) {
    PairPool pool;
    TwoStarInputs in;
    in.span[0] = true;
    EXPECT_EQ(runTwoStar(pool, in).count, 90);
    EXPECT_EQ(runTwoStar(pool, TwoStarInputs{}).count, 100);
}

TEST(TwoStarRun, NoSurvivorGivesEmptyTextAndZero) {
    TwoStarInputs in;
    in.kind = {true, true, true};
    PairPool pool;
    const TwoStarResult r = runTwoStar(pool, in);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.count, 0);
    const TwoStarResult g = pairGroups(pool);
    EXPECT_EQ(g.text, "");
    EXPECT_EQ(g.count, 0);
}

TEST(PairGroups, FullPoolGivesFiftyFiveGroups) {
    PairPool pool;
    const TwoStarResult g = pairGroups(pool);
    EXPECT_EQ(g.count, 55);
    EXPECT_EQ(g.text.rfind("00 01 02 03 04 05 06 07 08 09 11 12 ", 0), 0u) << g.text;
    EXPECT_TRUE(g.text.ends_with(" 88 89 99")) << g.text;
    EXPECT_EQ(g.text.size(), 55u * 3 - 1);
}

struct GroupCase {
    std::string base;
    std::string groups;
};

class PairGroupsOf : public ::testing::TestWithParam<GroupCase> {};

TEST_P(PairGroupsOf, SurvivorsOfTheBaseList) {
    TwoStarInputs in;
    in.baseList = GetParam().base;
    PairPool pool;
    runTwoStar(pool, in);
    const TwoStarResult g = pairGroups(pool);
    EXPECT_EQ(g.text, GetParam().groups);
    const auto words = g.text.empty() ? 0 : std::count(g.text.begin(), g.text.end(), ' ') + 1;
    EXPECT_EQ(g.count, words);
}

INSTANTIATE_TEST_SUITE_P(Cases, PairGroupsOf,
                         ::testing::Values(GroupCase{"73", "37"}, GroupCase{"37 73", "37"},
                                           GroupCase{"55", "55"},
                                           // order of the first survivor, not sorted
                                           GroupCase{"30 12", "12 03"}, GroupCase{"21 12 30 03", "03 12"}));

// ---- banker groups ----------------------------------------------------------

struct BankerNineCase {
    std::vector<int> counts;  // selected count buttons of row 1
    bool repeats;
    std::vector<int> survivingOf;  // which of 19, 91, 99, 12 survive
};

class BankerNine : public ::testing::TestWithParam<BankerNineCase> {};

TEST_P(BankerNine, HitsOfNineteenNinetyOneNinetyNineAndTwelve) {
    TwoStarInputs in;
    in.bankerDigit[9] = true;
    for (int c : GetParam().counts) in.bankerCount[static_cast<std::size_t>(c)] = true;
    in.countRepeats = GetParam().repeats;
    const std::set<int> killed = killedBy(in);
    std::vector<int> surviving;
    for (int n : {19, 91, 99, 12})
        if (!killed.count(n)) surviving.push_back(n);
    EXPECT_EQ(surviving, GetParam().survivingOf);
}

INSTANTIATE_TEST_SUITE_P(Table, BankerNine,
                         ::testing::Values(BankerNineCase{{}, false, {19, 91, 99}},
                                           BankerNineCase{{}, true, {19, 91, 99}},
                                           BankerNineCase{{1}, false, {19, 91, 99}},
                                           BankerNineCase{{1}, true, {19, 91}},
                                           BankerNineCase{{2}, false, {}},
                                           BankerNineCase{{0}, true, {12}},
                                           BankerNineCase{{0, 1, 2}, true, {19, 91, 99, 12}}));

TEST(PairBankers, CountTwoWithRepeatsKeepsOnlyNinetyNine) {
    TwoStarInputs in;
    in.bankerDigit[9] = true;
    in.bankerCount[2] = true;
    in.countRepeats = true;
    PairPool pool;
    EXPECT_EQ(runTwoStar(pool, in).text, "99");
}

TEST(PairBankers, DefaultCountMeansAtLeastOneBankerDigit) {
    TwoStarInputs in;
    in.bankerDigit[13] = true;  // row 2, digit 3
    in.bankerDigit[17] = true;  // row 2, digit 7
    EXPECT_EQ(killedBy(in), numbersWhere([](int t, int u) {
                  return t != 3 && t != 7 && u != 3 && u != 7;
              }));
}

TEST(PairBankers, CountButtonsWithoutAnyDigitKillNothing) {
    TwoStarInputs in;
    in.bankerCount = {true, false, false, true, false, false, false, false, true};
    in.countRepeats = true;
    EXPECT_TRUE(killedBy(in).empty());
}

TEST(PairBankers, RowWithCountsButNoDigitIsSkippedWhileOthersApply) {
    TwoStarInputs in;
    in.bankerCount[0] = true;    // row 1: count 0, no digit
    in.bankerDigit[25] = true;   // row 3: digit 5
    EXPECT_EQ(killedBy(in), numbersWhere([](int t, int u) { return t != 5 && u != 5; }));
}

TEST(PairBankers, CountZeroAloneKillsEveryNumberWithABankerDigit) {
    TwoStarInputs in;
    in.bankerDigit[4] = true;
    in.bankerDigit[6] = true;
    in.bankerCount[0] = true;
    EXPECT_EQ(killedBy(in), numbersWhere([](int t, int u) { return t == 4 || t == 6 || u == 4 || u == 6; }));
}

TEST(PairBankers, FullRowKillsNothing) {
    TwoStarInputs in;
    for (int k = 10; k < 20; ++k) in.bankerDigit[static_cast<std::size_t>(k)] = true;
    for (int c = 3; c < 6; ++c) in.bankerCount[static_cast<std::size_t>(c)] = true;
    for (bool repeats : {false, true}) {
        in.countRepeats = repeats;
        EXPECT_TRUE(killedBy(in).empty());
    }
}

TEST(PairBankers, RowsIntersect) {
    TwoStarInputs in;
    in.bankerDigit[1] = true;   // row 1: digit 1
    in.bankerDigit[12] = true;  // row 2: digit 2
    EXPECT_EQ(survivorsText(in), "12 21");
}

TEST(PairBankers, DefaultCountOnlyForRowsWithoutACount) {
    TwoStarInputs in;
    in.bankerDigit[1] = true;  // row 1: digit 1, count 0 only
    in.bankerCount[0] = true;
    in.bankerDigit[12] = true;  // row 2: digit 2, no count: at least one
    const std::set<int> survivors = [&] {
        const std::set<int> killed = killedBy(in);
        std::set<int> alive;
        for (int n = 0; n < 100; ++n)
            if (!killed.count(n)) alive.insert(n);
        return alive;
    }();
    EXPECT_EQ(survivors, numbersWhere([](int t, int u) { return t != 1 && u != 1 && (t == 2 || u == 2); }));
    EXPECT_EQ(survivors.size(), 17u);
}

// ---- digit grids ------------------------------------------------------------

class PairSpan : public ::testing::TestWithParam<int> {};

TEST_P(PairSpan, KillsExactlyThatSpan) {
    const int s = GetParam();
    TwoStarInputs in;
    in.span[static_cast<std::size_t>(s)] = true;
    const std::set<int> killed = killedBy(in);
    EXPECT_EQ(killed, numbersWhere([s](int t, int u) { return pairDiff(t, u) == s; }));
    EXPECT_EQ(killed.size(), s == 0 ? 10u : 2u * static_cast<unsigned>(10 - s));
}

INSTANTIATE_TEST_SUITE_P(AllSpans, PairSpan, ::testing::Range(0, 10));

TEST(PairSpan, SpanNineIsZeroNineAndNinetyOnly) {
    TwoStarInputs in;
    in.span[9] = true;
    EXPECT_EQ(killedBy(in), (std::set<int>{9, 90}));
}

class PairSum : public ::testing::TestWithParam<int> {};

// A chosen sum of 1 must not catch the sums 10..18 and the other way round.
TEST_P(PairSum, KillsExactlyThatSum) {
    const int s = GetParam();
    TwoStarInputs in;
    in.sum[static_cast<std::size_t>(s)] = true;
    EXPECT_EQ(killedBy(in), numbersWhere([s](int t, int u) { return t + u == s; }));
}

INSTANTIATE_TEST_SUITE_P(AllSums, PairSum, ::testing::Range(0, 19));

TEST(PairSum, ZeroEighteenAndNine) {
    TwoStarInputs in;
    in.sum[0] = true;
    EXPECT_EQ(killedBy(in), std::set<int>{0});
    in = {};
    in.sum[18] = true;
    EXPECT_EQ(killedBy(in), std::set<int>{99});
    in = {};
    in.sum[9] = true;
    EXPECT_EQ(killedBy(in), (std::set<int>{9, 18, 27, 36, 45, 54, 63, 72, 81, 90}));
}

TEST(PairPosition, TensZeroAndUnitsZeroKillNineteen) {
    TwoStarInputs in;
    in.position[0] = true;   // tens 0
    in.position[19] = true;  // units 0: the units row runs 19 down to 10
    const std::set<int> killed = killedBy(in);
    EXPECT_EQ(killed, numbersWhere([](int t, int u) { return t == 0 || u == 0; }));
    EXPECT_EQ(killed.size(), 19u);
}

TEST(PairPosition, UnitsButtonKillsByItsCaptionNotItsIndex) {
    for (int index = 10; index < 20; ++index) {
        TwoStarInputs in;
        in.position[static_cast<std::size_t>(index)] = true;
        const int digit = 19 - index;
        EXPECT_EQ(gridCaption(PairGrid::Position, index), std::to_string(digit));
        EXPECT_EQ(killedBy(in), numbersWhere([digit](int, int u) { return u == digit; })) << index;
    }
}

TEST(PairCompound, OneRowAloneKillsNothing) {
    TwoStarInputs in;
    in.compound[1] = in.compound[2] = true;
    EXPECT_TRUE(killedBy(in).empty());
    in = {};
    in.compound[13] = true;
    EXPECT_TRUE(killedBy(in).empty());
}

TEST(PairCompound, KillsTheWholeCompound) {
    TwoStarInputs in;
    in.compound[1] = in.compound[2] = true;
    in.compound[13] = true;  // units 3
    EXPECT_EQ(killedBy(in), (std::set<int>{13, 23}));
    in.compound[10] = in.compound[19] = true;  // units 0 and 9 as well
    EXPECT_EQ(killedBy(in), (std::set<int>{10, 13, 19, 20, 23, 29}));
}

struct ShapeCase {
    int index;
    std::function<bool(int, int)> has;
};

class PairShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(PairShape, KillsItsTwentyFive) {
    TwoStarInputs in;
    in.shape[static_cast<std::size_t>(GetParam().index)] = true;
    const std::set<int> killed = killedBy(in);
    EXPECT_EQ(killed, numbersWhere(GetParam().has)) << gridCaption(PairGrid::Shape, GetParam().index);
    EXPECT_EQ(killed.size(), 25u);
}

bool small(int d) { return !isBig(d); }
bool even(int d) { return !isOdd(d); }
bool composite(int d) { return !isPrime(d); }

INSTANTIATE_TEST_SUITE_P(
    AllShapes, PairShape,
    ::testing::Values(ShapeCase{0, [](int t, int u) { return isBig(t) && isBig(u); }},
                      ShapeCase{1, [](int t, int u) { return isBig(t) && small(u); }},
                      ShapeCase{2, [](int t, int u) { return small(t) && isBig(u); }},
                      ShapeCase{3, [](int t, int u) { return small(t) && small(u); }},
                      ShapeCase{4, [](int t, int u) { return isOdd(t) && isOdd(u); }},
                      ShapeCase{5, [](int t, int u) { return isOdd(t) && even(u); }},
                      ShapeCase{6, [](int t, int u) { return even(t) && isOdd(u); }},
                      ShapeCase{7, [](int t, int u) { return even(t) && even(u); }},
                      ShapeCase{8, [](int t, int u) { return isPrime(t) && isPrime(u); }},
                      ShapeCase{9, [](int t, int u) { return isPrime(t) && composite(u); }},
                      ShapeCase{10, [](int t, int u) { return composite(t) && isPrime(u); }},
                      ShapeCase{11, [](int t, int u) { return composite(t) && composite(u); }}));

TEST(PairShape, AllTwelveKillEverything) {
    TwoStarInputs in;
    in.shape.fill(true);
    EXPECT_EQ(killedBy(in).size(), 100u);
}

TEST(PairShape, FiftyEightHasOneShapeInEachClass) {
    for (int index : {0, 5, 9}) {
        TwoStarInputs in;
        in.shape[static_cast<std::size_t>(index)] = true;
        EXPECT_TRUE(killedBy(in).count(58)) << index;
    }
}

class PairRoad : public ::testing::TestWithParam<int> {};

TEST_P(PairRoad, KillsItsRoadPattern) {
    const int index = GetParam();
    const int rt = index / 3, ru = index % 3;  // captions "00".."22" in order
    TwoStarInputs in;
    in.road[static_cast<std::size_t>(index)] = true;
    EXPECT_EQ(gridCaption(PairGrid::Road, index), std::to_string(rt) + std::to_string(ru));
    EXPECT_EQ(killedBy(in), numbersWhere([&](int t, int u) { return road(t) == rt && road(u) == ru; }));
}

INSTANTIATE_TEST_SUITE_P(AllRoads, PairRoad, ::testing::Range(0, 9));

TEST(PairRoad, DoubleZeroKillsSixteen) {
    TwoStarInputs in;
    in.road[0] = true;
    const std::set<int> killed = killedBy(in);
    EXPECT_EQ(killed.size(), 16u);
    EXPECT_TRUE(killed.count(0) && killed.count(3) && killed.count(30) && killed.count(99));
}

TEST(PairKinds, PairsConsecutiveAndMixedSplitThePool) {
    const std::size_t sizes[3] = {10, 20, 70};
    std::set<int> all;
    for (int k = 0; k < 3; ++k) {
        TwoStarInputs in;
        in.kind[static_cast<std::size_t>(k)] = true;
        const std::set<int> killed = killedBy(in);
        EXPECT_EQ(killed.size(), sizes[k]) << k;
        all.insert(killed.begin(), killed.end());
    }
    EXPECT_EQ(all.size(), 100u);
}

TEST(PairKinds, ZeroAndNineAreNeighbours) {
    TwoStarInputs in;
    in.kind[1] = true;
    const std::set<int> killed = killedBy(in);
    for (int n : {9, 90, 1, 10, 12, 21, 89, 98}) EXPECT_TRUE(killed.count(n)) << n;
    for (int n : {0, 2, 20, 19, 91}) EXPECT_FALSE(killed.count(n)) << n;
}

// ---- the two lists ---------------------------------------------------------

struct ListCase {
    std::string text;
    std::set<int> killed;
};

class PairKillList : public ::testing::TestWithParam<ListCase> {};

TEST_P(PairKillList, KillsEveryTwoDigitWindow) {
    TwoStarInputs in;
    in.killList = GetParam().text;
    EXPECT_EQ(killedBy(in), GetParam().killed);
}

INSTANTIATE_TEST_SUITE_P(Cases, PairKillList,
                         ::testing::Values(ListCase{"5 12", {12}}, ListCase{"512", {51, 12}},
                                           ListCase{"1234", {12, 23, 34}}, ListCase{"12\r\n34,56", {12, 34, 56}},
                                           ListCase{"杀直选号码\r\n", {}}, ListCase{"", {}},
                                           ListCase{"１２ 1２", {}},  // full-width digits are not digits
                                           ListCase{" 07 ", {7}}));

struct BaseCase {
    std::string typed;
    std::string rewritten;
    std::string survivors;
};

class PairBaseList : public ::testing::TestWithParam<BaseCase> {};

TEST_P(PairBaseList, RewritesAndKeeps) {
    TwoStarInputs in;
    in.baseList = GetParam().typed;
    PairPool pool;
    const TwoStarResult r = runTwoStar(pool, in);
    EXPECT_EQ(r.baseList, GetParam().rewritten);
    EXPECT_EQ(r.text, GetParam().survivors);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairBaseList,
    ::testing::Values(BaseCase{"7", "7", ""}, BaseCase{"12,34;56", "12 34 56", "12 34 56"},
                      BaseCase{"abc XYZ", "", allPairsText()}, BaseCase{"", "", allPairsText()},
                      BaseCase{"\r\n 12 \r\n\r\n345\t", "12 345", "12 34 45"},
                      BaseCase{"大底：12，99。", "12 99", "12 99"}, BaseCase{"07", "07", "07"}));

TEST(PairBaseList, EachCharacterIsOneSeparatorWhateverItsEncodedLength) {
    // 1024 separators collapse into one space, 1025 leave two.
    std::string cjk;
    for (int i = 0; i < 1024; ++i) cjk += "中";
    EXPECT_EQ(normalizePairList("12" + cjk + "34"), "12 34");
    EXPECT_EQ(normalizePairList("12" + cjk + "中34"), "12  34");
}

TEST(PairBaseList, StrayContinuationBytesStillSeparateDigits) {
    EXPECT_EQ(normalizePairList("1\x85" "2"), "1 2");
    EXPECT_EQ(normalizePairList("12\xE4\xB8\xAD" "34\xFF" "56"), "12 34 56");
}

TEST(PairBaseList, LongRunsOfSeparatorsLeaveMoreSpacesButTheSameResult) {
    TwoStarInputs in;
    in.baseList = "12" + std::string(1024, ',') + "34";
    PairPool pool;
    EXPECT_EQ(runTwoStar(pool, in).baseList, "12 34");
    in.baseList = "12" + std::string(1025, ';') + "34";
    const TwoStarResult r = runTwoStar(pool, in);
    EXPECT_EQ(r.baseList, "12  34");
    EXPECT_EQ(r.text, "12 34");
}

TEST(CollapseSpaces, RunLengthsAroundThePowersOfTwo) {
    const std::pair<std::size_t, std::size_t> cases[] = {{1, 1},    {2, 1},    {3, 1},    {1023, 1}, {1024, 1},
                                                         {1025, 2}, {2048, 2}, {2049, 3}, {5000, 5}};
    for (auto [run, kept] : cases)
        EXPECT_EQ(collapseSpaces("a" + std::string(run, ' ') + "b"), "a" + std::string(kept, ' ') + "b") << run;
}

TEST(CollapseSpaces, AgreesWithTenPairPasses) {
    std::mt19937 rng(6);
    std::uniform_int_distribution<int> len(0, 3000), pick(0, 9);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int n = len(rng);
        while (static_cast<int>(text.size()) < n) {
            // Mostly spaces, with long runs now and then.
            const int p = pick(rng);
            if (p < 6) text += ' ';
            else if (p < 7) text += std::string(static_cast<std::size_t>(len(rng) / 2), ' ');
            else text += static_cast<char>('0' + p);
        }
        ASSERT_EQ(collapseSpaces(text), tenPasses(text)) << round;
    }
}

TEST(TwoStarRun, HugeAndMalformedPastesAreReadInOnePass) {
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string junk(4 << 20, ' ');
    for (char& c : junk) c = static_cast<char>(byte(rng));  // not valid UTF-8
    TwoStarInputs in;
    in.baseList = junk;
    in.killList = junk;
    PairPool pool;
    const TwoStarResult r = runTwoStar(pool, in);
    for (char c : r.baseList) ASSERT_TRUE(c == ' ' || (c >= '0' && c <= '9'));
    EXPECT_EQ(r.count, 0);  // every pair occurs in both texts of this size
}

TEST(TwoStarRun, ConditionsCombine) {
    TwoStarInputs in;
    in.baseList = "10 11 12 13 14 15 16 17 18 19";
    in.killList = "17";
    in.span[0] = true;      // 11
    in.sum[4] = true;       // 13
    in.road[5] = true;      // "12": 12, 15, 18
    in.bankerDigit[1] = true;  // every one of them has a 1
    PairPool pool;
    const TwoStarResult r = runTwoStar(pool, in);
    EXPECT_EQ(r.text, "10 14 16 19");
    EXPECT_EQ(r.count, 4);
}

}  // namespace
}  // namespace tarnel
