// Engine tests of the banker-group and positional stages.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/rules/text.h"
#include "core/rules/positional.h"
#include "core/state/shrink.h"
#include "support/stage_sets.h"

namespace tarnel {
namespace {

using StageFn = void (*)(NumberPool&, const PositionalInputs&);

std::vector<int> survivorsOf(StageFn stage, const PositionalInputs& in) {
    return testing::numbersWith(testing::aliveAfterStage(stage, in), true);
}

std::set<int> survivorSet(StageFn stage, const PositionalInputs& in) {
    return testing::numberSetWith(testing::aliveAfterStage(stage, in), true);
}

bool survives(const std::set<int>& s, int n) { return s.count(n) == 1; }

int countWhere(bool (*pred)(int, int, int)) {
    int n = 0;
    for (int v = 0; v < 1000; ++v) n += pred(v / 100, v / 10 % 10, v % 10) ? 1 : 0;
    return n;
}

std::string rule(const char* a, const char* rel, const char* b) { return matchRuleLine(a, rel, b); }

// ---- 胆组 ------------------------------------------------------------------

PositionalInputs bankerOn() {
    PositionalInputs in;
    in.bankerOn = true;
    return in;
}

TEST(BankerGroups, SwitchOffKillsNothingWhateverIsSelected) {
    PositionalInputs in;
    in.bankerOn = false;
    in.bankerDigits = {"9", "12", "0123456789", "5"};
    in.bankerCounts = {"3", "0", "", "2"};
    in.bankerRepeats = true;
    EXPECT_EQ(survivorsOf(applyBankerGroups, in).size(), 1000u);
}

TEST(BankerGroups, CountsWithoutDigitsKillNothing) {
    PositionalInputs in = bankerOn();
    in.bankerCounts = {"0", "3", "12", "0123"};
    EXPECT_EQ(survivorsOf(applyBankerGroups, in).size(), 1000u);
}

TEST(BankerGroups, NoCountMeansAtLeastOneDigit) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "45";
    const auto s = survivorSet(applyBankerGroups, in);
    // Numbers holding neither 4 nor 5: 8 choices per position.
    EXPECT_EQ(s.size(), 1000u - 512u);
    EXPECT_TRUE(survives(s, 4));
    EXPECT_TRUE(survives(s, 545));
    EXPECT_FALSE(survives(s, 123));
    EXPECT_FALSE(survives(s, 0));
}

TEST(BankerGroups, CountZeroOnlyKeepsNumbersWithoutTheDigits) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "45";
    in.bankerCounts[0] = "0";
    const auto s = survivorSet(applyBankerGroups, in);
    EXPECT_EQ(s.size(), 512u);
    for (int v : s) {
        const std::string t = numberText(v, 3);
        EXPECT_EQ(t.find_first_of("45"), std::string::npos) << t;
    }
}

TEST(BankerGroups, SingleDigitCountOneWithoutRepeats) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "9";
    in.bankerCounts[0] = "1";
    const auto s = survivorSet(applyBankerGroups, in);
    for (int v : {99, 909, 999, 19}) EXPECT_TRUE(survives(s, v)) << v;
    EXPECT_FALSE(survives(s, 123));
    EXPECT_EQ(s.size(), 271u);  // every number holding a 9
}

TEST(BankerGroups, SingleDigitCountOneWithRepeats) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "9";
    in.bankerCounts[0] = "1";
    in.bankerRepeats = true;
    const auto s = survivorSet(applyBankerGroups, in);
    EXPECT_TRUE(survives(s, 19));
    for (int v : {99, 909, 999}) EXPECT_FALSE(survives(s, v)) << v;
    EXPECT_EQ(s.size(), 243u);  // exactly one position is 9
}

TEST(BankerGroups, TwoGroupsMustBothHold) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "12";
    in.bankerCounts[0] = "1";
    in.bankerDigits[1] = "78";
    in.bankerCounts[1] = "1";
    const auto s = survivorSet(applyBankerGroups, in);
    EXPECT_TRUE(survives(s, 137));
    EXPECT_TRUE(survives(s, 811));  // one distinct hit in the first group
    EXPECT_FALSE(survives(s, 127));
    EXPECT_FALSE(survives(s, 345));
    EXPECT_FALSE(survives(s, 178));  // two hits in the second group
}

TEST(BankerGroups, GroupFilledByAllKeepsEverything) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[2] = "0123456789";
    in.bankerCounts[2] = "0123";
    EXPECT_EQ(survivorsOf(applyBankerGroups, in).size(), 1000u);
    in.bankerRepeats = true;
    EXPECT_EQ(survivorsOf(applyBankerGroups, in).size(), 1000u);
}

TEST(BankerGroups, WorkedExampleOneOrTwoOfFiveDigits) {
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "45789";
    in.bankerCounts[0] = "12";
    const auto s = survivorSet(applyBankerGroups, in);
    EXPECT_FALSE(survives(s, 457));
    EXPECT_FALSE(survives(s, 123));
    EXPECT_TRUE(survives(s, 145));
    EXPECT_TRUE(survives(s, 444));  // one distinct banker digit
    EXPECT_TRUE(survives(s, 449));
    in.bankerRepeats = true;
    const auto r = survivorSet(applyBankerGroups, in);
    EXPECT_FALSE(survives(r, 444));
    EXPECT_FALSE(survives(r, 449));
    EXPECT_TRUE(survives(r, 144));
}

TEST(BankerGroups, EmptyGroupIsSkippedBesideAnActiveOne) {
    PositionalInputs in = bankerOn();
    in.bankerCounts[0] = "0";  // no digits: ignored
    in.bankerDigits[3] = "1";
    EXPECT_EQ(survivorsOf(applyBankerGroups, in).size(), 271u);
}

TEST(BankerGroups, CountAboveTheDigitsKillsEverything) {
    // A count accepted earlier stays even after digits are deselected.
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "7";
    in.bankerCounts[0] = "3";
    EXPECT_TRUE(survivorsOf(applyBankerGroups, in).empty());
    in.bankerRepeats = true;
    EXPECT_EQ(survivorsOf(applyBankerGroups, in), std::vector<int>{777});
}

TEST(BankerGroups, KilledEntriesStayKilled) {
    NumberPool pool;
    pool.kill(137);
    PositionalInputs in = bankerOn();
    in.bankerDigits[0] = "0123456789";
    in.bankerCounts[0] = "0123";
    applyBankerGroups(pool, in);
    EXPECT_FALSE(pool.alive(137));
    EXPECT_EQ(pool.aliveCount(), 999);
}

struct HitsCase {
    int number;
    const char* digits;
    int withoutRepeats;
    int withRepeats;
};

class BankerHitsTest : public ::testing::TestWithParam<HitsCase> {};

TEST_P(BankerHitsTest, CountsDistinctOrEveryPosition) {
    const HitsCase& c = GetParam();
    const int h = c.number / 100, t = c.number / 10 % 10, u = c.number % 10;
    EXPECT_EQ(bankerHits(h, t, u, digitSet(c.digits), false), c.withoutRepeats);
    EXPECT_EQ(bankerHits(h, t, u, digitSet(c.digits), true), c.withRepeats);
}

INSTANTIATE_TEST_SUITE_P(Numbers, BankerHitsTest,
                         ::testing::Values(HitsCase{99, "9", 1, 2}, HitsCase{999, "9", 1, 3},
                                           HitsCase{909, "9", 1, 2}, HitsCase{19, "9", 1, 1},
                                           HitsCase{123, "9", 0, 0}, HitsCase{121, "12", 2, 3},
                                           HitsCase{112, "12", 2, 3}, HitsCase{211, "12", 2, 3},
                                           HitsCase{345, "345", 3, 3}, HitsCase{353, "35", 2, 3},
                                           HitsCase{0, "0", 1, 3}, HitsCase{0, "", 0, 0}));

// ---- 位置匹配 --------------------------------------------------------------

TEST(PositionMatch, EmptyListKillsNothing) {
    PositionalInputs in;
    EXPECT_EQ(survivorsOf(applyPositionMatchRules, in).size(), 1000u);
}

TEST(PositionMatch, HundredsGreaterThanUnits) {
    PositionalInputs in;
    in.matchRules = {rule("百", "大于", "个")};
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_EQ(s.size(), 450u);
    for (int v : {0, 111, 12}) EXPECT_FALSE(survives(s, v)) << v;
    EXPECT_TRUE(survives(s, 210));
    for (int v : s) EXPECT_GT(v / 100, v % 10) << v;
}

TEST(PositionMatch, RulesCombineWithOr) {
    PositionalInputs in;
    in.matchRules = {rule("百", "大于", "个"), rule("百", "小于", "个")};
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_EQ(s.size(), 900u);
    for (int v = 0; v < 1000; ++v) EXPECT_EQ(survives(s, v), v / 100 != v % 10) << v;
}

TEST(PositionMatch, RulesOnDifferentPositionsCombineWithOr) {
    PositionalInputs in;
    in.matchRules = {rule("百", "等于", "十"), rule("十", "等于", "个")};
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_EQ(s.size(), 190u);
    EXPECT_TRUE(survives(s, 112));
    EXPECT_TRUE(survives(s, 122));
    EXPECT_FALSE(survives(s, 121));
}

TEST(PositionMatch, PositionComparedWithItself) {
    PositionalInputs in;
    in.matchRules = {rule("十", "等于", "十")};
    EXPECT_EQ(survivorsOf(applyPositionMatchRules, in).size(), 1000u);
    in.matchRules = {rule("个", "不等于", "个")};
    EXPECT_TRUE(survivorsOf(applyPositionMatchRules, in).empty());
}

TEST(PositionMatch, HundredsNotEqualTensKillsEqualPairs) {
    PositionalInputs in;
    in.matchRules = {rule("百", "不等于", "十")};
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_FALSE(survives(s, 5));    // 005
    EXPECT_FALSE(survives(s, 119));
    EXPECT_TRUE(survives(s, 100));
    for (int v = 0; v < 1000; ++v) EXPECT_EQ(survives(s, v), v / 100 != v / 10 % 10) << v;
}

TEST(PositionMatch, DuplicateRulesChangeNothing) {
    PositionalInputs once, twice;
    once.matchRules = {rule("十", "小于等于", "百")};
    twice.matchRules = {rule("十", "小于等于", "百"), rule("十", "小于等于", "百")};
    EXPECT_EQ(survivorsOf(applyPositionMatchRules, once), survivorsOf(applyPositionMatchRules, twice));
    EXPECT_EQ(survivorsOf(applyPositionMatchRules, once).size(), 550u);
}

struct RelationCase {
    const char* relation;
    std::size_t survivors;  // of 百 <relation> 个
    bool (*holds)(int, int, int);
};

class RelationTest : public ::testing::TestWithParam<RelationCase> {};

TEST_P(RelationTest, EachRelationWord) {
    const RelationCase& c = GetParam();
    PositionalInputs in;
    in.matchRules = {rule("百", c.relation, "个")};
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_EQ(s.size(), c.survivors);
    EXPECT_EQ(static_cast<int>(c.survivors), countWhere(c.holds));
    for (int v = 0; v < 1000; ++v) EXPECT_EQ(survives(s, v), c.holds(v / 100, v / 10 % 10, v % 10)) << v;
}

INSTANTIATE_TEST_SUITE_P(
    Words, RelationTest,
    ::testing::Values(RelationCase{"大于", 450, [](int h, int, int u) { return h > u; }},
                      RelationCase{"小于", 450, [](int h, int, int u) { return h < u; }},
                      RelationCase{"等于", 100, [](int h, int, int u) { return h == u; }},
                      RelationCase{"大于等于", 550, [](int h, int, int u) { return h >= u; }},
                      RelationCase{"小于等于", 550, [](int h, int, int u) { return h <= u; }},
                      RelationCase{"不等于", 900, [](int h, int, int u) { return h != u; }}));

struct ParseCase {
    std::string line;
    bool valid;
    int first, second;
    unsigned outcomes;  // bit 0 greater, bit 1 equal, bit 2 less
};

class ParseRuleTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseRuleTest, ReadsPositionsAndRelation) {
    const ParseCase& c = GetParam();
    const auto r = parseMatchRule(c.line);
    ASSERT_EQ(r.has_value(), c.valid);
    if (!r) return;
    EXPECT_EQ(r->first, c.first);
    EXPECT_EQ(r->second, c.second);
    EXPECT_EQ(r->outcomes, c.outcomes);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseRuleTest,
    ::testing::Values(
        ParseCase{rule("百", "大于", "个"), true, 0, 2, 1},
        ParseCase{rule("个", "大于等于", "十"), true, 2, 1, 3},
        ParseCase{rule("十", "不等于", "百"), true, 1, 0, 5},
        ParseCase{"   " + rule("百", "小于", "百") + "  ", true, 0, 0, 4},
        // Typed digits stand for themselves.
        ParseCase{"1 等于 3", true, 0, 2, 2},
        ParseCase{"2等于等于3", true, 1, 2, 0},
        // The relation is read up to the third-from-last character.
        ParseCase{rule("百", "大于", "十个"), true, 0, 2, 1},
        ParseCase{"1等于x3", true, 0, 2, 2},
        ParseCase{"1等于3", true, 0, 2, 0},
        // Unknown or missing relation: a rule that never holds.
        ParseCase{rule("百", "", "个"), true, 0, 2, 0},
        ParseCase{rule("百", "greater", "个"), true, 0, 2, 0},
        ParseCase{"1", true, 0, 0, 0},
        ParseCase{"13", true, 0, 2, 0},
        ParseCase{"百个", true, 0, 2, 0},
        // Ends that name no position of a three-digit number.
        ParseCase{"", false, 0, 0, 0}, ParseCase{"         ", false, 0, 0, 0},
        ParseCase{rule("千", "大于", "个"), false, 0, 0, 0},
        ParseCase{rule("百", "大于", "4"), false, 0, 0, 0},
        ParseCase{rule("0", "大于", "个"), false, 0, 0, 0},
        ParseCase{rule("9", "大于", "9"), false, 0, 0, 0},
        ParseCase{rule("百位", "大于", "个"), true, 0, 2, 0},
        ParseCase{"大于", false, 0, 0, 0}, ParseCase{"\xff\xfe\x80", false, 0, 0, 0},
        ParseCase{"1\x80\x80\x80", false, 0, 0, 0}, ParseCase{"1\x80\x80 等于 \x80" "3", true, 0, 2, 0}));

TEST(PositionMatch, OnlyRulesThatNeverHoldKillEverything) {
    PositionalInputs in;
    in.matchRules = {rule("百", "大于", "9"), rule("百", "胜过", "个"), "", "十"};
    EXPECT_TRUE(survivorsOf(applyPositionMatchRules, in).empty());
}

TEST(PositionMatch, BrokenLinesBesideAGoodRuleAreIgnored) {
    PositionalInputs in;
    in.matchRules = {rule("百", "大于", "9"), "", rule("十", "大于", "个"), "只有中文"};
    EXPECT_EQ(survivorsOf(applyPositionMatchRules, in).size(), 450u);
}

TEST(PositionMatch, ThousandsOfRulesPastTheOldTableSize) {
    // Rule 1500 is the only one that keeps numbers with equal tens and units.
    PositionalInputs in;
    for (int i = 0; i < 3000; ++i)
        in.matchRules.push_back(i == 1500 ? rule("十", "等于", "个") : rule("百", "大于", "百"));
    const auto s = survivorSet(applyPositionMatchRules, in);
    EXPECT_EQ(s.size(), 100u);
    EXPECT_TRUE(survives(s, 455));
}

TEST(PositionMatch, KilledEntriesStayKilled) {
    NumberPool pool;
    pool.kill(210);
    PositionalInputs in;
    in.matchRules = {rule("百", "大于", "个")};
    applyPositionMatchRules(pool, in);
    EXPECT_FALSE(pool.alive(210));
    EXPECT_EQ(pool.aliveCount(), 449);
}

TEST(PositionMatch, RuleLineHasNineSpacesBetweenParts) {
    EXPECT_EQ(matchRuleLine("百", "大于", "个"), "百         大于         个");
    EXPECT_EQ(matchRuleLine("", "", ""), std::string(18, ' '));
}

// ---- 定位2码 ---------------------------------------------------------------

struct CleanCase {
    std::string typed;
    std::string cleaned;
};

class CleanPairListTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanPairListTest, KeepsDigitsAndSingleSpaces) {
    EXPECT_EQ(cleanPairListText(GetParam().typed), GetParam().cleaned);
    // Cleaning is stable: a written-back text stays as it is.
    EXPECT_EQ(cleanPairListText(GetParam().cleaned), GetParam().cleaned);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanPairListTest,
    ::testing::Values(CleanCase{"", ""}, CleanCase{"   ", ""}, CleanCase{"按右边提示格\r\n式输入可定位\r\n两码组合\r\n", ""},
                      CleanCase{"按右边提示格式输入可定位两码组合", ""}, CleanCase{"12  45  38", "12 45 38"},
                      CleanCase{"  12 ", "12"}, CleanCase{"1a2  b3", "12 3"}, CleanCase{"12\r\n34\r\n", "12 34"},
                      CleanCase{"12\r\n\r\n\r\n34", "12 34"}, CleanCase{"12 \r\n 34", "12 34"},
                      CleanCase{"1\rx\n2", "1 2"},  // CR and LF meet once the letter is gone
                      CleanCase{"12\n34", "12\n34"}, CleanCase{"12\r34", "12\r34"},
                      CleanCase{"１２ 34", "34"},  // full-width digits are not digits
                      CleanCase{"12,34;56", "123456"}, CleanCase{"12" + std::string(5000, ' ') + "34", "12 34"},
                      CleanCase{"\xff\xfe" "12\x80 \t34", "12 34"}));

TEST(PositionalPairs, EmptyListsKillNothing) {
    PositionalInputs in;
    in.pairLists = {"", "   ", "按右边提示格\r\n式输入可定位\r\n两码组合\r\n"};
    EXPECT_EQ(survivorsOf(keepPositionalPairs, in).size(), 1000u);
}

TEST(PositionalPairs, HundredsTensPairs) {
    PositionalInputs in;
    in.pairLists[0] = "12 45";
    std::vector<int> expected;
    for (int v = 120; v <= 129; ++v) expected.push_back(v);
    for (int v = 450; v <= 459; ++v) expected.push_back(v);
    EXPECT_EQ(survivorsOf(keepPositionalPairs, in), expected);
}

TEST(PositionalPairs, TwoListsMustBothHold) {
    PositionalInputs in;
    in.pairLists[0] = "12";
    in.pairLists[1] = "14";
    EXPECT_EQ(survivorsOf(keepPositionalPairs, in), std::vector<int>{124});
    in.pairLists[1] = "";
    in.pairLists[2] = "34";
    EXPECT_TRUE(survivorsOf(keepPositionalPairs, in).empty());
}

TEST(PositionalPairs, EachListReadsItsOwnPositions) {
    PositionalInputs in;
    in.pairLists[1] = "07";
    auto s = survivorSet(keepPositionalPairs, in);
    EXPECT_EQ(s.size(), 10u);
    EXPECT_TRUE(survives(s, 57));  // 0 5 7
    in.pairLists[1] = "";
    in.pairLists[2] = "07";
    s = survivorSet(keepPositionalPairs, in);
    EXPECT_EQ(s.size(), 10u);
    EXPECT_TRUE(survives(s, 907));
}

TEST(PositionalPairs, LettersAndSpacesDropped) {
    PositionalInputs in;
    in.pairLists[0] = "1a2  b3";
    const auto s = survivorsOf(keepPositionalPairs, in);
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ(s.front(), 120);
    EXPECT_EQ(s.back(), 129);
}

TEST(PositionalPairs, DigitRunHoldsEveryPairInIt) {
    PositionalInputs in;
    in.pairLists[0] = "123";
    const auto s = survivorSet(keepPositionalPairs, in);
    EXPECT_EQ(s.size(), 20u);
    EXPECT_TRUE(survives(s, 125));
    EXPECT_TRUE(survives(s, 230));
    EXPECT_FALSE(survives(s, 130));
}

TEST(PositionalPairs, SingleDigitsMatchNothing) {
    PositionalInputs in;
    in.pairLists[2] = "1 2 3";
    EXPECT_TRUE(survivorsOf(keepPositionalPairs, in).empty());
}

TEST(PositionalPairs, MegabytePasteMatchesSubstringRule) {
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789      \r\nabc,";
    std::string typed;
    typed.reserve(2'000'000);
    while (typed.size() < 2'000'000) {
        const char c = alphabet[rng() % alphabet.size()];
        typed += c;
        if (rng() % 97 == 0) typed += "胆码";
    }
    // Keep the list sparse enough to leave some pairs out.
    for (char& c : typed)
        if (c == '7' || c == '8') c = ' ';
    const std::string cleaned = cleanPairListText(typed);
    PositionalInputs in;
    in.pairLists[0] = typed;
    const auto s = survivorSet(keepPositionalPairs, in);
    for (int v = 0; v < 1000; v += 10) {
        const std::string pair = numberText(v / 10, 2);
        EXPECT_EQ(survives(s, v), cleaned.find(pair) != std::string::npos) << pair;
    }
    EXPECT_FALSE(survives(s, 170));
    EXPECT_TRUE(survives(s, 120));
}

// ---- 定位容对 --------------------------------------------------------------

PositionalInputs gridRows123(const char* counts) {
    PositionalInputs in;
    in.gridRows = {"1*", "2*", "3*"};
    in.gridCounts = counts;
    return in;
}

TEST(PositionalDigitGrid, DefaultCountsKeepAnyHit) {
    PositionalInputs in;
    in.gridRows = {"1*", "2*", ""};
    const auto s = survivorSet(applyPositionalDigitGrid, in);
    EXPECT_EQ(s.size(), 190u);
    for (int v = 0; v < 1000; ++v) EXPECT_EQ(survives(s, v), v / 100 == 1 || v / 10 % 10 == 2) << v;
}

struct GridCountCase {
    const char* counts;
    std::size_t survivors;
};

class GridCountTest : public ::testing::TestWithParam<GridCountCase> {};

TEST_P(GridCountTest, HitCountsOfOneDigitPerRow) {
    const auto s = survivorsOf(applyPositionalDigitGrid, gridRows123(GetParam().counts));
    EXPECT_EQ(s.size(), GetParam().survivors);
}

INSTANTIATE_TEST_SUITE_P(Counts, GridCountTest,
                         ::testing::Values(GridCountCase{"0*", 729}, GridCountCase{"1*", 243},
                                           GridCountCase{"2*", 27}, GridCountCase{"3*", 1},
                                           GridCountCase{"", 271}, GridCountCase{"0*3*", 730},
                                           GridCountCase{"0*1*2*3*", 1000}));

TEST(PositionalDigitGrid, CountThreeKeepsOnly123) {
    EXPECT_EQ(survivorsOf(applyPositionalDigitGrid, gridRows123("3*")), std::vector<int>{123});
}

TEST(PositionalDigitGrid, CountZeroKeepsNumbersMissingEveryRow) {
    const auto s = survivorSet(applyPositionalDigitGrid, gridRows123("0*"));
    for (int v = 0; v < 1000; ++v)
        EXPECT_EQ(survives(s, v), v / 100 != 1 && v / 10 % 10 != 2 && v % 10 != 3) << v;
}

TEST(PositionalDigitGrid, CountsAloneKillNothing) {
    PositionalInputs in;
    in.gridCounts = "0*";
    EXPECT_EQ(survivorsOf(applyPositionalDigitGrid, in).size(), 1000u);
}

TEST(PositionalDigitGrid, EverythingSelectedKeepsAll) {
    PositionalInputs in;
    const char* row = "0*1*2*3*4*5*6*7*8*9*";
    in.gridRows = {row, row, row};
    in.gridCounts = "0*1*2*3*";
    EXPECT_EQ(survivorsOf(applyPositionalDigitGrid, in).size(), 1000u);
}

TEST(PositionalDigitGrid, EmptyRowNeverHits) {
    PositionalInputs in;
    in.gridRows = {"", "", "1*3*8*"};
    in.gridCounts = "1*";
    const auto s = survivorSet(applyPositionalDigitGrid, in);
    EXPECT_EQ(s.size(), 300u);
    EXPECT_TRUE(survives(s, 998));
    EXPECT_FALSE(survives(s, 110));
}

// ---- 任意两码合保留 --------------------------------------------------------

TEST(AnyTwoSumTail, NoSelectionKillsNothing) {
    PositionalInputs in;
    EXPECT_EQ(survivorsOf(keepAnyTwoDigitSumTail, in).size(), 1000u);
}

TEST(AnyTwoSumTail, AllTailsKeepEverything) {
    PositionalInputs in;
    in.anyTwoSumTails = "0123456789";
    EXPECT_EQ(survivorsOf(keepAnyTwoDigitSumTail, in).size(), 1000u);
}

struct TailCase {
    const char* tails;
    std::vector<int> kept;
    std::vector<int> killed;
};

class AnyTwoSumTailTest : public ::testing::TestWithParam<TailCase> {};

TEST_P(AnyTwoSumTailTest, WorkedNumbers) {
    PositionalInputs in;
    in.anyTwoSumTails = GetParam().tails;
    const auto s = survivorSet(keepAnyTwoDigitSumTail, in);
    for (int v : GetParam().kept) EXPECT_TRUE(survives(s, v)) << v;
    for (int v : GetParam().killed) EXPECT_FALSE(survives(s, v)) << v;
}

INSTANTIATE_TEST_SUITE_P(Tails, AnyTwoSumTailTest,
                         ::testing::Values(TailCase{"0", {0, 190, 505, 55, 37}, {123, 111}},
                                           TailCase{"9", {450, 909, 18}, {111, 0}},
                                           TailCase{"8", {990, 44, 404}, {123, 0}},
                                           TailCase{"29", {111, 450}, {0, 123}}));

TEST(AnyTwoSumTail, SelectionsUnite) {
    PositionalInputs a, b, both;
    a.anyTwoSumTails = "0";
    b.anyTwoSumTails = "7";
    both.anyTwoSumTails = "07";
    const auto sa = survivorSet(keepAnyTwoDigitSumTail, a);
    const auto sb = survivorSet(keepAnyTwoDigitSumTail, b);
    const auto sboth = survivorSet(keepAnyTwoDigitSumTail, both);
    std::set<int> united = sa;
    united.insert(sb.begin(), sb.end());
    EXPECT_EQ(sboth, united);
    EXPECT_LT(sa.size(), 1000u);
    EXPECT_GT(sa.size(), 0u);
}

TEST(AnyTwoSumTail, KilledEntriesStayKilled) {
    NumberPool pool;
    pool.kill(0);
    PositionalInputs in;
    in.anyTwoSumTails = "0123456789";
    keepAnyTwoDigitSumTail(pool, in);
    EXPECT_FALSE(pool.alive(0));
}

// ---- the stage table ---------------------------------------------------------

TEST(PositionalInRun, EveryStageIsCalledByTheRun) {
    ShrinkInputs in;
    in.positional.matchRules = {rule("百", "大于", "十")};  // h > t
    in.positional.pairLists[2] = "12 34 56";                // t u in {12, 34, 56}
    in.positional.gridRows = {"9*", "", ""};                 // h = 9 (counts 1..3)
    in.positional.anyTwoSumTails = "3";                     // some pair tail 3
    in.positional.bankerOn = true;
    in.positional.bankerDigits[0] = "4";
    in.positional.bankerCounts[0] = "0";  // no 4
    NumberPool pool;
    const ShrinkResult r = runShrink(pool, in);
    // 9tu with tu in {12, 56} (34 holds a 4); 912: 1+2=3 ✓; 956: no tail 3 (4, 5, 1).
    EXPECT_EQ(r.text, "912");
    EXPECT_EQ(r.count, 1);
}

}  // namespace
}  // namespace tarnel
