// Digit-property stages over the full pool: counts that follow from the
// players' definitions, and the worked examples of each condition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "core/rules/digit_numeric_text.h"
#include "core/rules/digit_properties.h"
#include "core/state/shrink.h"
#include "support/stage_sets.h"

namespace tarnel {
namespace {

using StageFn = void (*)(NumberPool&, const DigitPropertyInputs&);

// The numbers a stage kills on a fresh pool.
std::set<int> killedBy(StageFn stage, const DigitPropertyInputs& in) {
    return testing::numberSetWith(testing::aliveAfterStage(stage, in), false);
}

std::set<int> survivorsOf(StageFn stage, const DigitPropertyInputs& in) {
    return testing::numberSetWith(testing::aliveAfterStage(stage, in), true);
}

int digitAt(int n, int pos) { return pos == 0 ? n / 100 : pos == 1 ? n / 10 % 10 : n % 10; }
int sumOf(int n) { return n / 100 + n / 10 % 10 + n % 10; }

// The sums 0..27 of which some number is in the set.
std::set<int> sumsOf(const std::set<int>& numbers) {
    std::set<int> sums;
    for (int n : numbers) sums.insert(sumOf(n));
    return sums;
}

std::set<int> range(int from, int to) {
    std::set<int> out;
    for (int v = from; v <= to; ++v) out.insert(v);
    return out;
}

// ---- sum tail, span, banker digits ---------------------------------------

class SumTailBox : public ::testing::TestWithParam<int> {};

TEST_P(SumTailBox, KillsTheHundredNumbersWithThatTail) {
    DigitPropertyInputs in;
    in.sumTailKill[static_cast<std::size_t>(GetParam())] = true;
    const auto killed = killedBy(killBySumTail, in);
    EXPECT_EQ(killed.size(), 100u);
    for (int n : killed) EXPECT_EQ(sumOf(n) % 10, GetParam()) << n;
}

INSTANTIATE_TEST_SUITE_P(AllTails, SumTailBox, ::testing::Range(0, 10));

TEST(SumTail, BoxZeroKillsSumsZeroTenAndTwenty) {
    DigitPropertyInputs in;
    in.sumTailKill[0] = true;
    const auto killed = killedBy(killBySumTail, in);
    for (int n : {0, 19, 28, 109, 550, 992, 884}) EXPECT_TRUE(killed.count(n)) << n;
    for (int n : {1, 999, 11, 300}) EXPECT_FALSE(killed.count(n)) << n;
}

TEST(SumTail, TenBoxesKillEverythingAndNoneKillsNothing) {
    DigitPropertyInputs in;
    EXPECT_TRUE(killedBy(killBySumTail, in).empty());
    in.sumTailKill.fill(true);
    EXPECT_EQ(killedBy(killBySumTail, in).size(), 1000u);
}

struct SpanCase {
    int box;
    std::size_t killed;
};

class SpanBox : public ::testing::TestWithParam<SpanCase> {};

TEST_P(SpanBox, KillsTheNumbersWithThatSpan) {
    DigitPropertyInputs in;
    in.spanKill[static_cast<std::size_t>(GetParam().box)] = true;
    const auto killed = killedBy(killBySpan, in);
    EXPECT_EQ(killed.size(), GetParam().killed);
    for (int n : killed) {
        const int hi = std::max({digitAt(n, 0), digitAt(n, 1), digitAt(n, 2)});
        const int lo = std::min({digitAt(n, 0), digitAt(n, 1), digitAt(n, 2)});
        EXPECT_EQ(hi - lo, GetParam().box) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(AllSpans, SpanBox,
                         ::testing::Values(SpanCase{0, 10}, SpanCase{1, 54}, SpanCase{2, 96}, SpanCase{3, 126},
                                           SpanCase{4, 144}, SpanCase{5, 150}, SpanCase{6, 144},
                                           SpanCase{7, 126}, SpanCase{8, 96}, SpanCase{9, 54}));

TEST(Span, BoxZeroKillsExactlyTheTriplesAndAllBoxesKillEverything) {
    DigitPropertyInputs in;
    in.spanKill[0] = true;
    EXPECT_EQ(killedBy(killBySpan, in), (std::set<int>{0, 111, 222, 333, 444, 555, 666, 777, 888, 999}));
    in.spanKill.fill(true);
    EXPECT_EQ(killedBy(killBySpan, in).size(), 1000u);
}

TEST(BankerDigits, OneBankerWithoutCountKeepsTheNumbersContainingIt) {
    DigitPropertyInputs in;
    in.bankerDigits[5] = true;
    const auto alive = survivorsOf(applyBankerDigits, in);
    EXPECT_EQ(alive.size(), 271u);
    for (int n : alive) EXPECT_TRUE(digitAt(n, 0) == 5 || digitAt(n, 1) == 5 || digitAt(n, 2) == 5) << n;
}

TEST(BankerDigits, TwoOfTwoKeepsNumbersHoldingBoth) {
    DigitPropertyInputs in;
    in.bankerDigits[1] = in.bankerDigits[2] = true;
    in.bankerCount[1] = true;  // 2胆
    const auto alive = survivorsOf(applyBankerDigits, in);
    EXPECT_EQ(alive.size(), 54u);
    for (int n : {112, 120, 212, 921}) EXPECT_TRUE(alive.count(n)) << n;
    for (int n : {111, 134, 222, 0}) EXPECT_FALSE(alive.count(n)) << n;
}

TEST(BankerDigits, ThreeOfThreeKeepsTheSixOrders) {
    DigitPropertyInputs in;
    in.bankerDigits[1] = in.bankerDigits[2] = in.bankerDigits[3] = true;
    in.bankerCount[2] = true;  // 3胆
    EXPECT_EQ(survivorsOf(applyBankerDigits, in), (std::set<int>{123, 132, 213, 231, 312, 321}));
}

TEST(BankerDigits, RepeatedDigitCountsOnce) {
    DigitPropertyInputs in;
    in.bankerDigits[2] = in.bankerDigits[3] = true;
    in.bankerCount[1] = true;
    const auto alive = survivorsOf(applyBankerDigits, in);
    EXPECT_FALSE(alive.count(222));
    EXPECT_FALSE(alive.count(522));
    EXPECT_TRUE(alive.count(223));
}

TEST(BankerDigits, ThreeRequiredWithTwoBankersKillsAll) {
    DigitPropertyInputs in;
    in.bankerDigits[4] = in.bankerDigits[7] = true;
    in.bankerCount[2] = true;
    EXPECT_EQ(killedBy(applyBankerDigits, in).size(), 1000u);
}

TEST(BankerDigits, LowestTickedCountWins) {
    DigitPropertyInputs in;
    in.bankerDigits[1] = in.bankerDigits[2] = true;
    in.bankerCount[0] = in.bankerCount[1] = in.bankerCount[2] = true;  // means 1
    EXPECT_EQ(survivorsOf(applyBankerDigits, in).size(), 1000u - 512u);
    in.bankerCount[0] = false;  // 2胆 and 3胆 mean 2
    EXPECT_EQ(survivorsOf(applyBankerDigits, in).size(), 54u);
}

TEST(BankerDigits, CountBoxesWithoutBankerDigitChangeNothing) {
    DigitPropertyInputs in;
    in.bankerCount = {true, true, true};
    EXPECT_TRUE(killedBy(applyBankerDigits, in).empty());
    in.bankerCount = {false, false, true};
    EXPECT_TRUE(killedBy(applyBankerDigits, in).empty());
}

// ---- sum values ------------------------------------------------------------

struct RangeCase {
    std::string lower;
    std::string upper;
    std::set<int> keptSums;
};

class SumRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SumRange, KeepsExactlyTheSumsInsideTheBounds) {
    DigitPropertyInputs in;
    in.sumLower = GetParam().lower;
    in.sumUpper = GetParam().upper;
    const auto alive = survivorsOf(filterSumValues, in);
    EXPECT_EQ(sumsOf(alive), GetParam().keptSums);
    // Whole sums survive or die together.
    const auto killed = killedBy(filterSumValues, in);
    for (int s : sumsOf(killed)) EXPECT_FALSE(GetParam().keptSums.count(s)) << s;
}

const std::string kMegaDigits(1 << 20, '9');

INSTANTIATE_TEST_SUITE_P(
    Bounds, SumRange,
    ::testing::Values(
        RangeCase{"0", "27", range(0, 27)}, RangeCase{"", "", {0}}, RangeCase{"20", "10", {}},
        RangeCase{"10", "17", range(10, 17)}, RangeCase{"12abc", "27", range(12, 27)},
        RangeCase{" 2 5", "27", range(25, 27)}, RangeCase{"0", "10.5", range(0, 10)},
        RangeCase{"9.5", "27", range(10, 27)}, RangeCase{"0", "1e1", range(0, 10)},
        RangeCase{"1E1", "27", range(10, 27)}, RangeCase{"-5", "+3", range(0, 3)},
        RangeCase{"abc", "27", range(0, 27)}, RangeCase{"0", "2 7", range(0, 27)},
        RangeCase{"0", "\t1\n5", range(0, 15)}, RangeCase{"0", "１５", {0}},
        RangeCase{"0", "5e", range(0, 5)}, RangeCase{"0", "5e+", range(0, 5)},
        RangeCase{"0", "5e-1", {0}}, RangeCase{"0", ".5e1", range(0, 5)},
        RangeCase{"0", "1.5.9", range(0, 1)}, RangeCase{"0", "+-5", {0}}, RangeCase{"0", "- 5", {}},
        RangeCase{"0", "1e999", range(0, 27)}, RangeCase{"1e999", "27", {}},
        RangeCase{"-1e999", "0", {0}}, RangeCase{"0", kMegaDigits, range(0, 27)},
        RangeCase{kMegaDigits, "27", {}}, RangeCase{"-" + kMegaDigits, "3", range(0, 3)},
        RangeCase{"0", "0." + std::string(100000, '0') + "1", {0}},
        RangeCase{"0", "1e-99999999999999999999999", {0}},
        RangeCase{"0", "6" + std::string(1 << 20, 'x'), range(0, 6)},
        RangeCase{"0", std::string(1 << 20, ' ') + "8", range(0, 8)}));

TEST(LeadingNumber, ReadsTheLeadingNumberLeniently) {
    EXPECT_EQ(leadingNumber("12abc"), 12.0);
    EXPECT_EQ(leadingNumber(" 2 5"), 25.0);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("-"), 0.0);
    EXPECT_EQ(leadingNumber("."), 0.0);
    EXPECT_EQ(leadingNumber("-3.25"), -3.25);
    EXPECT_EQ(leadingNumber("+ 7 . 5"), 7.5);
    EXPECT_EQ(leadingNumber("2.5e2"), 250.0);
    EXPECT_EQ(leadingNumber("2.5 E - 1"), 0.25);
    EXPECT_EQ(leadingNumber("4e"), 4.0);
    EXPECT_EQ(leadingNumber("4ex"), 4.0);
    EXPECT_EQ(leadingNumber("\r4"), 0.0);  // only blanks, tabs and line feeds are skipped
    EXPECT_EQ(leadingNumber("0x1A"), 0.0);
    EXPECT_EQ(leadingNumber("١٢"), 0.0);  // digits of other scripts are not numbers here
}

TEST(LeadingNumber, HugeAndTinyValuesAreOrderly) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(leadingNumber("1e999"), inf);
    EXPECT_EQ(leadingNumber("-1e999"), -inf);
    EXPECT_EQ(leadingNumber("1e308"), 1e308);
    EXPECT_EQ(leadingNumber("1e309"), inf);
    EXPECT_EQ(leadingNumber("1e-999"), 0.0);
    EXPECT_EQ(leadingNumber("0e999999999999999999999"), 0.0);
    EXPECT_EQ(leadingNumber("1e99999999999999999999999999"), inf);
    EXPECT_EQ(leadingNumber(kMegaDigits), inf);
    // Digits beyond the significant ones still scale the value.
    EXPECT_EQ(leadingNumber("1" + std::string(1000000, '0') + "e-1000000"), 1.0);
    EXPECT_EQ(leadingNumber("0." + std::string(999999, '0') + "1e1000000"), 1.0);
    EXPECT_EQ(leadingNumber(std::string(1000000, '0') + "27"), 27.0);
    EXPECT_NEAR(leadingNumber("27." + std::string(5000, '9')), 28.0, 1e-12);
}

// The decimal digits of 5^n, most significant first.
std::string powerOfFive(int n) {
    std::vector<int> digits{1};  // least significant first
    for (int k = 0; k < n; ++k) {
        int carry = 0;
        for (int& d : digits) {
            const int v = d * 5 + carry;
            d = v % 10;
            carry = v / 10;
        }
        for (; carry > 0; carry /= 10) digits.push_back(carry % 10);
    }
    std::string text;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) text += static_cast<char>('0' + *it);
    return text;
}

TEST(LeadingNumber, DigitsBeyondTheKeptOnesBreakATie) {
    // 2^-1075 lies exactly halfway between 0 and the smallest double: 323
    // zeros after the point, then the 752 digits of 5^1075.
    const std::string half = "0." + std::string(323, '0') + powerOfFive(1075);
    EXPECT_EQ(leadingNumber(half), 0.0);  // a tie goes to the even neighbour
    // A non-zero digit far beyond the kept ones puts the text above the tie.
    const std::string above = half + std::string(100, '0') + "1";
    const double smallest = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(leadingNumber(above), smallest);
    EXPECT_EQ(leadingNumber("-" + above), -smallest);
    EXPECT_EQ(leadingNumber(half + std::string(100, '0')), 0.0);  // zeros alone do not
    DigitPropertyInputs in;
    in.sumLower = above;  // above 0, so the sum 0 is out of range
    EXPECT_EQ(killedSums(in) & 1u, 1u);
}

struct SumListCase {
    std::string text;
    std::set<int> killedSums;
};

class SumList : public ::testing::TestWithParam<SumListCase> {};

TEST_P(SumList, KillsTheListedSums) {
    DigitPropertyInputs in;
    in.sumKillList = GetParam().text;
    EXPECT_EQ(sumsOf(killedBy(filterSumValues, in)), GetParam().killedSums);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SumList,
    ::testing::Values(SumListCase{"0 1 6 9 11 23", {0, 1, 6, 9, 11, 23}}, SumListCase{"  1   27 ", {1, 27}},
                      SumListCase{"5,6", {}}, SumListCase{"abc", {}}, SumListCase{"", {}},
                      SumListCase{"和值 5", {}}, SumListCase{"5 双", {}},
                      SumListCase{std::string(kSumKillListHint), {}}, SumListCase{"123", {12, 23}},
                      SumListCase{"006 0", {6, 0}}, SumListCase{"3\r\n5", {}}, SumListCase{"1\r\n2", {12}},
                      SumListCase{"7 ０８", {7}}, SumListCase{"00000000000000000000005", {5}},
                      SumListCase{"5 5 5", {5}}, SumListCase{"1" + std::string(1 << 20, '0'), {0, 10}},
                      SumListCase{"27" + std::string(1 << 20, 'z') + " 3", {27, 3}},
                      SumListCase{std::string(1 << 20, ' '), {}}));

TEST(SumList, NormalisedFormPadsAndKeepsOrder) {
    EXPECT_EQ(normalisedSumList("0 1 6 9 11 23"), "00 01 06 09 11 23 ");
    EXPECT_EQ(normalisedSumList("  006   123 "), "06 123 ");
    EXPECT_EQ(normalisedSumList("3,5\r\n7"), "357 ");
    EXPECT_EQ(normalisedSumList("x y"), "");
}

TEST(SumValues, RangeAndListTogether) {
    DigitPropertyInputs in;
    in.sumLower = "10";
    in.sumUpper = "17";
    in.sumKillList = "12 13";
    EXPECT_EQ(sumsOf(survivorsOf(filterSumValues, in)), (std::set<int>{10, 11, 14, 15, 16, 17}));
}

// ---- position grids ----------------------------------------------------------

TEST(CompoundExcludeGrid, KillsTheOneCompound) {
    DigitPropertyInputs in;
    for (int i : {1, 2, 13, 24, 25}) in.compoundExclude[static_cast<std::size_t>(i)] = true;
    EXPECT_EQ(killedBy(applyCompoundExcludeGrid, in), (std::set<int>{134, 135, 234, 235}));
}

TEST(CompoundExcludeGrid, NeedsAllThreeRows) {
    DigitPropertyInputs in;
    for (int i = 0; i < 20; ++i) in.compoundExclude[static_cast<std::size_t>(i)] = true;
    EXPECT_TRUE(killedBy(applyCompoundExcludeGrid, in).empty());
    in.compoundExclude.fill(true);
    EXPECT_EQ(killedBy(applyCompoundExcludeGrid, in).size(), 1000u);
}

TEST(PositionKillGrid, AnySelectedPositionKills) {
    DigitPropertyInputs in;
    in.positionKill[1] = true;       // hundreds 1
    in.positionKill[10 + 3] = true;  // tens 3
    const auto killed = killedBy(applyPositionKillGrid, in);
    EXPECT_EQ(killed.size(), 190u);
    for (int n : killed) EXPECT_TRUE(digitAt(n, 0) == 1 || digitAt(n, 1) == 3) << n;
}

TEST(PositionKillGrid, SingleButtonAndWholeRow) {
    DigitPropertyInputs in;
    in.positionKill[20] = true;  // units 0
    const auto killed = killedBy(applyPositionKillGrid, in);
    EXPECT_EQ(killed.size(), 100u);
    for (int n : killed) EXPECT_EQ(n % 10, 0);
    in.positionKill = {};
    for (int i = 0; i < 10; ++i) in.positionKill[static_cast<std::size_t>(i)] = true;
    EXPECT_EQ(killedBy(applyPositionKillGrid, in).size(), 1000u);
    EXPECT_TRUE(killedBy(applyPositionKillGrid, DigitPropertyInputs{}).empty());
}

// ---- AC value -------------------------------------------------------------------

struct AcCase {
    int box;
    std::size_t killed;
};

class AcBox : public ::testing::TestWithParam<AcCase> {};

TEST_P(AcBox, KillsEveryNumberOfThatValue) {
    DigitPropertyInputs in;
    in.acKill[static_cast<std::size_t>(GetParam().box)] = true;
    EXPECT_EQ(killedBy(killByAcValue, in).size(), GetParam().killed);
}

INSTANTIATE_TEST_SUITE_P(Values, AcBox, ::testing::Values(AcCase{0, 10}, AcCase{1, 390}, AcCase{2, 600}));

TEST(AcValue, Examples) {
    DigitPropertyInputs in;
    in.acKill[1] = true;  // AC 2
    const auto two = killedBy(killByAcValue, in);
    for (int n : {123, 112, 1, 121, 135, 159}) EXPECT_TRUE(two.count(n)) << n;
    EXPECT_FALSE(two.count(13));
    EXPECT_EQ(acValue(0, 1, 3), 3);
    EXPECT_EQ(acValue(1, 5, 9), 2);  // gaps 4, 8, 4
    EXPECT_EQ(acValue(4, 4, 4), 1);
    in.acKill = {true, true, true};
    EXPECT_EQ(killedBy(killByAcValue, in).size(), 1000u);
}

// ---- position patterns -------------------------------------------------------------

struct PatternRow {
    const char* name;
    StageFn stage;
    std::array<bool, 8> DigitPropertyInputs::*row;
    const std::array<std::string_view, 8>* captions;
    const char* firstClassDigits;  // the digits of the first class character
    const char* firstClass;
};

const PatternRow kPatternRows[] = {
    {"big_small", killBigSmallPattern, &DigitPropertyInputs::bigSmall, &kBigSmallCaptions, "56789", "大"},
    {"odd_even", killOddEvenPattern, &DigitPropertyInputs::oddEven, &kOddEvenCaptions, "13579", "奇"},
    {"prime_composite", killPrimeCompositePattern, &DigitPropertyInputs::primeComposite,
     &kPrimeCompositeCaptions, "12357", "质"},
};

class PatternBox : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Each box kills the 125 numbers whose digit classes spell its caption.
TEST_P(PatternBox, KillsTheNumbersSpellingItsCaption) {
    const PatternRow& row = kPatternRows[std::get<0>(GetParam())];
    const int box = std::get<1>(GetParam());
    DigitPropertyInputs in;
    (in.*row.row)[static_cast<std::size_t>(box)] = true;
    const auto killed = killedBy(row.stage, in);
    EXPECT_EQ(killed.size(), 125u);
    const std::string caption((*row.captions)[static_cast<std::size_t>(box)]);
    const std::string first(row.firstClass);
    for (int n : killed) {
        for (int pos = 0; pos < 3; ++pos) {
            const bool inFirst = std::string(row.firstClassDigits).find(char('0' + digitAt(n, pos))) != std::string::npos;
            EXPECT_EQ(caption.substr(static_cast<std::size_t>(pos) * 3, 3) == first, inFirst)
                << row.name << " box " << box << " number " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllBoxes, PatternBox, ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 8)));

TEST(Patterns, EveryRowFullyTickedKillsEverything) {
    for (const PatternRow& row : kPatternRows) {
        DigitPropertyInputs in;
        (in.*row.row).fill(true);
        EXPECT_EQ(killedBy(row.stage, in).size(), 1000u) << row.name;
        EXPECT_TRUE(killedBy(row.stage, DigitPropertyInputs{}).empty()) << row.name;
    }
}

TEST(Patterns, Examples) {
    DigitPropertyInputs in;
    in.bigSmall[2] = true;  // 大小大
    auto killed = killedBy(killBigSmallPattern, in);
    EXPECT_TRUE(killed.count(505));
    EXPECT_TRUE(killed.count(909));
    EXPECT_FALSE(killed.count(550));
    in = {};
    in.oddEven[6] = true;  // 偶奇偶
    killed = killedBy(killOddEvenPattern, in);
    EXPECT_TRUE(killed.count(10));
    EXPECT_TRUE(killed.count(818));
    in = {};
    in.primeComposite[2] = true;  // 质合质
    killed = killedBy(killPrimeCompositePattern, in);
    EXPECT_TRUE(killed.count(101));
    EXPECT_TRUE(killed.count(247));
}

TEST(Patterns, ClassesOfZeroOneAndNine) {
    DigitPropertyInputs in;
    in.bigSmall[4] = in.oddEven[4] = in.primeComposite[4] = true;  // 小小小, 偶偶偶, 合合合
    EXPECT_TRUE(killedBy(killBigSmallPattern, in).count(0));
    EXPECT_TRUE(killedBy(killOddEvenPattern, in).count(0));
    EXPECT_TRUE(killedBy(killPrimeCompositePattern, in).count(0));
    EXPECT_TRUE(killedBy(killPrimeCompositePattern, in).count(999));
    EXPECT_TRUE(killedBy(killBigSmallPattern, in).count(111));
    in = {};
    in.bigSmall[0] = in.oddEven[0] = in.primeComposite[0] = true;  // 大大大, 奇奇奇, 质质质
    EXPECT_TRUE(killedBy(killBigSmallPattern, in).count(999));
    EXPECT_TRUE(killedBy(killOddEvenPattern, in).count(999));
    EXPECT_TRUE(killedBy(killOddEvenPattern, in).count(111));
    EXPECT_TRUE(killedBy(killPrimeCompositePattern, in).count(111));
}

TEST(RoadPattern, CaptionsAreBaseThree) {
    EXPECT_EQ(roadCaption(0), "000");
    EXPECT_EQ(roadCaption(5), "012");
    EXPECT_EQ(roadCaption(13), "111");
    EXPECT_EQ(roadCaption(26), "222");
}

class RoadBox : public ::testing::TestWithParam<int> {};

TEST_P(RoadBox, KillsTheNumbersOfItsRoads) {
    DigitPropertyInputs in;
    in.road[static_cast<std::size_t>(GetParam())] = true;
    const std::string caption = roadCaption(GetParam());
    std::size_t expected = 1;
    for (char r : caption) expected *= r == '0' ? 4 : 3;  // road 0 has four digits, roads 1 and 2 three
    const auto killed = killedBy(killRoadPattern, in);
    EXPECT_EQ(killed.size(), expected);
    for (int n : killed)
        for (int pos = 0; pos < 3; ++pos) EXPECT_EQ(digitAt(n, pos) % 3, caption[static_cast<std::size_t>(pos)] - '0');
}

INSTANTIATE_TEST_SUITE_P(AllBoxes, RoadBox, ::testing::Range(0, kRoadBoxCount));

TEST(RoadPattern, Examples) {
    DigitPropertyInputs in;
    in.road[0] = true;
    EXPECT_EQ(killedBy(killRoadPattern, in).size(), 64u);
    in = {};
    in.road[4] = true;  // 011
    EXPECT_EQ(killedBy(killRoadPattern, in).size(), 36u);
    in = {};
    in.road[5] = true;  // 012
    const auto killed = killedBy(killRoadPattern, in);
    for (int n : {12, 15, 342}) EXPECT_TRUE(killed.count(n)) << n;
    EXPECT_FALSE(killed.count(999));
    in.road.fill(true);
    EXPECT_EQ(killedBy(killRoadPattern, in).size(), 1000u);
}

// ---- forms and shapes ------------------------------------------------------------------

std::set<int> killedBySpecialBox(int box) {
    DigitPropertyInputs in;
    in.special[static_cast<std::size_t>(box)] = true;
    NumberPool pool;
    killForms(pool, in);
    killShapes(pool, in);
    std::set<int> killed;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (!pool.alive(i)) killed.insert(i);
    return killed;
}

class SpecialBox : public ::testing::TestWithParam<std::tuple<int, std::size_t>> {};

TEST_P(SpecialBox, KillCountOverThePool) {
    EXPECT_EQ(killedBySpecialBox(std::get<0>(GetParam())).size(), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(AllBoxes, SpecialBox,
                         ::testing::Values(std::make_tuple(0, 10u), std::make_tuple(1, 270u),
                                           std::make_tuple(2, 720u), std::make_tuple(3, 520u),
                                           std::make_tuple(4, 420u), std::make_tuple(5, 60u),
                                           std::make_tuple(6, 210u), std::make_tuple(7, 210u),
                                           std::make_tuple(8, 285u), std::make_tuple(9, 285u)));

TEST(Forms, ConsecutiveFormsPartitionThePool) {
    std::set<int> all;
    std::size_t total = 0;
    for (int box : {3, 4, 5}) {
        const auto killed = killedBySpecialBox(box);
        total += killed.size();
        all.insert(killed.begin(), killed.end());
    }
    EXPECT_EQ(total, 1000u);
    EXPECT_EQ(all.size(), 1000u);
}

TEST(Forms, ThreeInARunAreTheTenCircularRuns) {
    std::set<int> expected;
    for (int k = 0; k < 10; ++k) {
        int d[3] = {k, (k + 1) % 10, (k + 2) % 10};
        std::sort(d, d + 3);
        do expected.insert(d[0] * 100 + d[1] * 10 + d[2]);
        while (std::next_permutation(d, d + 3));
    }
    EXPECT_EQ(killedBySpecialBox(5), expected);
}

struct FormExample {
    int box;
    std::vector<int> killed;
    std::vector<int> spared;
};

class SpecialExample : public ::testing::TestWithParam<FormExample> {};

TEST_P(SpecialExample, KillsAndSpares) {
    const auto killed = killedBySpecialBox(GetParam().box);
    for (int n : GetParam().killed) EXPECT_TRUE(killed.count(n)) << "box " << GetParam().box << " " << n;
    for (int n : GetParam().spared) EXPECT_FALSE(killed.count(n)) << "box " << GetParam().box << " " << n;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SpecialExample,
    ::testing::Values(FormExample{0, {0, 333, 888}, {7, 181}}, FormExample{1, {7, 181, 100}, {0, 123}},
                      FormExample{2, {123, 470}, {0, 7}},
                      FormExample{3, {0, 555, 135, 246, 153, 114, 252}, {91, 1, 124}},
                      FormExample{4, {95, 909, 112, 121, 100, 99, 125, 152, 124, 903}, {123, 890, 135}},
                      FormExample{5, {91, 123, 312, 789, 890, 901, 89, 190, 980}, {124, 112}},
                      FormExample{6, {12, 112, 19, 99, 122, 113, 123}, {111, 121, 100}},
                      FormExample{7, {211, 221, 100, 321, 311}, {111, 212}},
                      FormExample{8, {121, 132, 154}, {111, 112, 100}},
                      FormExample{9, {101, 907, 901, 212, 312, 514}, {100, 444}}));

TEST(Shapes, TriplesHaveNoShape) {
    DigitPropertyInputs in;
    for (int box = 6; box < 10; ++box) in.special[static_cast<std::size_t>(box)] = true;
    EXPECT_EQ(survivorsOf(killShapes, in), (std::set<int>{0, 111, 222, 333, 444, 555, 666, 777, 888, 999}));
}

TEST(FormsAndShapes, EachStageReadsOnlyItsOwnBoxes) {
    DigitPropertyInputs shapesOnly;
    for (int box = 6; box < 10; ++box) shapesOnly.special[static_cast<std::size_t>(box)] = true;
    EXPECT_TRUE(killedBy(killForms, shapesOnly).empty());
    DigitPropertyInputs formsOnly;
    for (int box = 0; box < 6; ++box) formsOnly.special[static_cast<std::size_t>(box)] = true;
    EXPECT_TRUE(killedBy(killShapes, formsOnly).empty());
    EXPECT_EQ(killedBy(killForms, formsOnly).size(), 1000u);
}

// ---- all stages together ---------------------------------------------------------------

const StageFn kAllStages[] = {killBySumTail,      killBySpan,          applyBankerDigits,     filterSumValues,
                              applyCompoundExcludeGrid, applyPositionKillGrid, killByAcValue,
                              killBigSmallPattern, killOddEvenPattern,  killPrimeCompositePattern,
                              killRoadPattern,    killForms,           killShapes};

TEST(DigitStages, DefaultInputsKillNothing) {
    for (StageFn stage : kAllStages) EXPECT_TRUE(killedBy(stage, DigitPropertyInputs{}).empty());
}

TEST(DigitStages, NeverReviveAnEntry) {
    // Inputs under which every stage kills only a part of the pool.
    DigitPropertyInputs in;
    in.sumTailKill[3] = true;
    in.spanKill[4] = true;
    in.bankerDigits[7] = true;
    in.sumLower = "3";
    in.sumKillList = "9";
    in.compoundExclude[1] = in.compoundExclude[11] = in.compoundExclude[21] = true;
    in.positionKill[25] = true;
    in.acKill[0] = true;
    in.bigSmall[0] = in.oddEven[1] = in.primeComposite[2] = in.road[3] = true;
    in.special[0] = in.special[6] = true;
    for (StageFn stage : kAllStages) {
        NumberPool pool;
        for (int i = 0; i < NumberPool::kSize; i += 2) pool.kill(i);
        stage(pool, in);
        for (int i = 0; i < NumberPool::kSize; i += 2) EXPECT_FALSE(pool.alive(i)) << i;
    }
}

TEST(DigitStages, FullRunWithSeveralConditions) {
    ShrinkInputs in;
    in.digits.sumLower = "10";
    in.digits.sumUpper = "12";
    in.digits.bankerDigits[0] = true;
    in.digits.bankerCount[2] = true;  // three bankers needed, one ticked: everything dies
    NumberPool pool;
    EXPECT_EQ(runShrink(pool, in).count, 0);

    ShrinkInputs narrow;
    narrow.digits.sumUpper = "1";
    narrow.digits.positionKill[0] = true;  // hundreds 0
    NumberPool pool2;
    const ShrinkResult r = runShrink(pool2, narrow);
    EXPECT_EQ(r.text, "100");
    EXPECT_EQ(r.count, 1);
}

}  // namespace
}  // namespace tarnel
