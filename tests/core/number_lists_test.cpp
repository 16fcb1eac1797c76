// Number-list conditions: direct kills, junk compounds, two-digit
// combinations and the two-digit sum/difference boxes. The fast stages are
// checked against the worked examples and, on random awkward texts, against
// plain substring implementations written straight from the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <random>
#include <string>
#include <vector>

#include "core/rules/text.h"
#include "core/rules/number_lists.h"
#include "core/rules/number_pool.h"
#include "support/stage_sets.h"

namespace tarnel {
namespace {

using StageFn = void (*)(NumberPool&, const NumberListInputs&);

std::bitset<1000> aliveAfter(StageFn stage, const NumberListInputs& in) { return testing::aliveAfterStage(stage, in); }

std::vector<int> killedBy(StageFn stage, const NumberListInputs& in) {
    return testing::numbersWith(aliveAfter(stage, in), false);
}

int hundreds(int n) { return testing::hundredsOf(n); }
int tens(int n) { return testing::tensOf(n); }
int units(int n) { return testing::unitsOf(n); }

// ---------------------------------------------------------------------------
// Reference implementations: each rule exactly as worded, with substring
// searches, one entry at a time. Slow, obvious, and independent of the
// digit-window scan used by the stages.

std::string digitText(int d) { return std::string(1, static_cast<char>('0' + d)); }

std::bitset<1000> naiveDirect(const std::string& box) {
    std::bitset<1000> alive;
    alive.set();
    const std::string_view text = trimSpaces(box);
    if (text.empty()) return alive;
    for (int n = 0; n < 1000; ++n)
        if (occursIn(numberText(n, 3), text)) alive.reset(static_cast<std::size_t>(n));
    return alive;
}

std::bitset<1000> naiveJunk(const std::string& box) {
    std::bitset<1000> alive;
    alive.set();
    const std::string text(trimSpaces(box));
    if (text.empty()) return alive;
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const auto at = text.find("\r\n", from);
        lines.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) break;
        from = at + 2;
    }
    for (const auto& line : lines) {
        if (std::count(line.begin(), line.end(), '*') != 2) continue;
        const auto s1 = line.find('*');
        const auto s2 = line.find('*', s1 + 1);
        const std::string g1 = line.substr(0, s1), g2 = line.substr(s1 + 1, s2 - s1 - 1),
                          g3 = line.substr(s2 + 1);
        for (int n = 0; n < 1000; ++n)
            if (occursIn(digitText(hundreds(n)), g1) && occursIn(digitText(tens(n)), g2) &&
                occursIn(digitText(units(n)), g3))
                alive.reset(static_cast<std::size_t>(n));
    }
    return alive;
}

std::vector<std::string> orderedPairTexts(int n) {
    const int h = hundreds(n), t = tens(n), u = units(n);
    return {digitText(h) + digitText(t), digitText(h) + digitText(u), digitText(t) + digitText(h),
            digitText(t) + digitText(u), digitText(u) + digitText(h), digitText(u) + digitText(t)};
}

bool anyPairOccurs(int n, std::string_view text) {
    for (const auto& p : orderedPairTexts(n))
        if (occursIn(p, text)) return true;
    return false;
}

std::bitset<1000> naiveKillPairs(const std::string& box) {
    std::bitset<1000> alive;
    alive.set();
    const std::string_view text = trimSpaces(box);
    if (text.empty()) return alive;
    for (int n = 0; n < 1000; ++n)
        if (anyPairOccurs(n, text)) alive.reset(static_cast<std::size_t>(n));
    return alive;
}

std::bitset<1000> naiveMustPairs(const std::string& box) {
    std::bitset<1000> alive;
    alive.set();
    const std::string_view text = trimSpaces(box);
    if (text.empty()) return alive;
    for (int n = 0; n < 1000; ++n)
        if (!anyPairOccurs(n, text)) alive.reset(static_cast<std::size_t>(n));
    return alive;
}

std::bitset<1000> naivePositional(const std::array<std::string, 3>& boxes) {
    std::bitset<1000> alive;
    alive.set();
    for (int n = 0; n < 1000; ++n) {
        const std::string ht = digitText(hundreds(n)) + digitText(tens(n));
        const std::string hu = digitText(hundreds(n)) + digitText(units(n));
        const std::string tu = digitText(tens(n)) + digitText(units(n));
        if (occursIn(ht, trimSpaces(boxes[0])) || occursIn(hu, trimSpaces(boxes[1])) ||
            occursIn(tu, trimSpaces(boxes[2])))
            alive.reset(static_cast<std::size_t>(n));
    }
    return alive;
}

// The four normalisation steps taken literally, one byte at a time (every
// byte of a multi-byte character is a non-digit, so the outcome is the same
// as per character).
std::string naiveNormalize(const std::string& raw) {
    std::string s(trimSpaces(raw));
    if (s.empty()) return {};
    for (char& c : s)
        if (!isAsciiDigit(c)) c = '*';
    std::string collapsed;
    for (char c : s)
        if (!(c == '*' && !collapsed.empty() && collapsed.back() == '*')) collapsed += c;
    std::replace(collapsed.begin(), collapsed.end(), '*', ' ');
    return std::string(trimSpaces(collapsed));
}

std::vector<std::string> tokens(const std::string& normalized) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from < normalized.size()) {
        auto at = normalized.find(' ', from);
        if (at == std::string::npos) at = normalized.size();
        out.push_back(normalized.substr(from, at - from));
        from = at + 1;
    }
    return out;
}

// A token equals a value when, leading zeros aside, it spells the value.
bool tokenEquals(const std::string& token, int value) {
    const auto first = token.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? "0" : token.substr(first);
    return significant == std::to_string(value);
}

bool listHolds(const std::string& normalized, int value) {
    for (const auto& t : tokens(normalized))
        if (tokenEquals(t, value)) return true;
    return false;
}

std::bitset<1000> naiveSumsAndDiffs(const std::array<std::string, kPairValueBoxes>& boxes) {
    std::array<std::string, 12> lists;
    for (std::size_t k = 0; k < 12; ++k) lists[k] = naiveNormalize(boxes[k]);
    std::bitset<1000> alive;
    alive.set();
    for (int n = 0; n < 1000; ++n) {
        const int h = hundreds(n), t = tens(n), u = units(n);
        const int sums[3] = {h + t, h + u, t + u};
        const int diffs[3] = {std::abs(h - t), std::abs(h - u), std::abs(t - u)};
        auto keepRowFails = [&](int first, const int* v) {
            int active = 0, met = 0;
            for (int c = 0; c < 3; ++c) {
                const auto& list = lists[static_cast<std::size_t>(first + c)];
                if (list.empty()) continue;
                ++active;
                if (listHolds(list, v[c])) ++met;
            }
            return active != met;
        };
        auto excludeRowHits = [&](int first, const int* v) {
            for (int c = 0; c < 3; ++c) {
                const auto& list = lists[static_cast<std::size_t>(first + c)];
                if (!list.empty() && listHolds(list, v[c])) return true;
            }
            return false;
        };
        if (keepRowFails(0, sums) || excludeRowHits(3, sums) || keepRowFails(6, diffs) ||
            excludeRowHits(9, diffs))
            alive.reset(static_cast<std::size_t>(n));
    }
    return alive;
}

std::bitset<1000> naiveSumTails(const std::array<std::string, kPairValueBoxes>& boxes) {
    std::bitset<1000> alive;
    alive.set();
    for (int n = 0; n < 1000; ++n) {
        const int h = hundreds(n), t = tens(n), u = units(n);
        const int tails[3] = {(h + t) % 10, (h + u) % 10, (t + u) % 10};
        for (int c = 0; c < 3; ++c) {
            const std::string list = naiveNormalize(boxes[static_cast<std::size_t>(12 + c)]);
            if (!list.empty() && occursIn(std::to_string(tails[c]), list)) {
                alive.reset(static_cast<std::size_t>(n));
                break;
            }
        }
    }
    return alive;
}

// Random texts built from the pieces that make list matching go wrong:
// digit runs of every length, every kind of line break, stars, spaces at
// the ends, full-width look-alikes and other multi-byte characters.
class AwkwardText {
public:
    explicit AwkwardText(unsigned seed) : rng_(seed) {}

    std::string next(int maxPieces) {
        static const char* const pieces[] = {
            "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "12", "557", "12345", "0099",
            " ", "  ", "\r\n", "\r", "\n", "*", "**", ",", "a", "Z", "\t", "-", "１", "＊",
            "用空格隔开", "不懂使用请看软件教程", "\xF0\x9F\x98\x80" /* emoji */, "\xEF\xBF\xBD"};
        std::uniform_int_distribution<int> count(0, maxPieces);
        std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
        std::string out;
        const int n = count(rng_);
        for (int i = 0; i < n; ++i) out += pieces[pick(rng_)];
        return out;
    }

    // Mostly short value lists (tokens 0..25, some with leading zeros),
    // sometimes empty, sometimes junk.
    std::string valueList() {
        std::uniform_int_distribution<int> kind(0, 9);
        const int k = kind(rng_);
        if (k <= 3) return {};
        if (k == 4) return next(6);
        static const char* const seps[] = {" ", ",", ",,", "  ", "、", "\t", "a"};
        std::uniform_int_distribution<int> tokenCount(1, 3);
        std::uniform_int_distribution<int> value(0, 25);
        std::uniform_int_distribution<std::size_t> sep(0, std::size(seps) - 1);
        std::uniform_int_distribution<int> zeroPad(0, 5);
        std::string out = k == 5 ? " " : "";
        const int n = tokenCount(rng_);
        for (int i = 0; i < n; ++i) {
            if (i) out += seps[sep(rng_)];
            if (zeroPad(rng_) == 0) out += '0';
            out += std::to_string(value(rng_));
        }
        return out;
    }

    // Lines of compounds, some well formed, joined by assorted breaks.
    std::string compoundText() {
        static const char* const groups[] = {"", "1", "12", "7a8", " 5 ", "0123456789", "x", "9,9", "１"};
        static const char* const breaks[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\n\r\n"};
        std::uniform_int_distribution<int> lineCount(1, 4);
        std::uniform_int_distribution<int> starCount(0, 5);
        std::uniform_int_distribution<std::size_t> group(0, std::size(groups) - 1);
        std::uniform_int_distribution<std::size_t> brk(0, std::size(breaks) - 1);
        std::string out;
        const int lines = lineCount(rng_);
        for (int l = 0; l < lines; ++l) {
            if (l) out += breaks[brk(rng_)];
            static const int starChoices[] = {1, 2, 2, 2, 3};
            const int stars = starChoices[static_cast<std::size_t>(starCount(rng_)) % std::size(starChoices)];
            out += groups[group(rng_)];
            for (int s = 0; s < stars; ++s) {
                out += s == 1 && stars == 2 && group(rng_) == 0 ? "＊" : "*";
                out += groups[group(rng_)];
            }
        }
        if (starCount(rng_) == 0) out = "  " + out + "  ";
        return out;
    }

private:
    std::mt19937 rng_;
};

// ---------------------------------------------------------------------------
// Kill direct numbers (杀直选)

struct DirectCase {
    const char* text;
    std::vector<int> killed;
};
void PrintTo(const DirectCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class DirectNumbers : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectNumbers, KillsExactlyTheListedWindows) {
    NumberListInputs in;
    in.directNumbers = GetParam().text;
    EXPECT_EQ(killedBy(killDirectNumbers, in), GetParam().killed);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DirectNumbers,
    ::testing::Values(DirectCase{"", {}}, DirectCase{"不懂使用请看软件教程\r\n", {}},
                      DirectCase{"     ", {}}, DirectCase{"123  557", {123, 557}},
                      DirectCase{"12345", {123, 234, 345}},
                      DirectCase{"  007\r\n", {7}},
                      // one or two digits kill nothing, and a line break separates
                      DirectCase{"1 12 12\r\n3 45\n6", {}},
                      // full-width digits are not digits
                      DirectCase{"１２３ 4５6", {}},
                      DirectCase{"a999b000c", {0, 999}},
                      DirectCase{"9090", {90, 909}}));

TEST(DirectNumbersTest, AlreadyKilledEntriesStayKilled) {
    NumberPool pool;
    pool.kill(500);
    NumberListInputs in;
    in.directNumbers = "123";
    killDirectNumbers(pool, in);
    EXPECT_FALSE(pool.alive(500));
    EXPECT_FALSE(pool.alive(123));
    EXPECT_EQ(pool.aliveCount(), 998);
}

// ---------------------------------------------------------------------------
// Junk compounds (垃圾复式)

const std::vector<int> kCompound127856 = {175, 176, 185, 186, 275, 276, 285, 286};

struct CompoundCase {
    const char* name;
    const char* text;
    std::vector<int> killed;
};
void PrintTo(const CompoundCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class JunkCompounds : public ::testing::TestWithParam<CompoundCase> {};

TEST_P(JunkCompounds, KillsTheCoveredNumbers) {
    NumberListInputs in;
    in.junkCompounds = GetParam().text;
    EXPECT_EQ(killedBy(killJunkCompounds, in), GetParam().killed);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, JunkCompounds,
    ::testing::Values(
        CompoundCase{"Hint", "不懂使用请看软件教程\r\n", {}},
        CompoundCase{"Plain", "12*78*56", kCompound127856},
        CompoundCase{"AmongOtherLines", "abc\r\n1*2\r\n12*78*56\r\n3*4*5*6\r\n\r\n", kCompound127856},
        CompoundCase{"LettersAndSpacesInGroups", " 1 a2 *7x 8* 5,6", kCompound127856},
        CompoundCase{"RepeatedDigits", "2112*8787*6655", kCompound127856},
        CompoundCase{"EmptyFirstGroup", "*78*56", {}},
        CompoundCase{"EmptyMiddleGroup", "12**56", {}},
        CompoundCase{"EmptyLastGroup", "12*78*", {}},
        CompoundCase{"GroupWithoutDigits", "12*ab*56", {}},
        CompoundCase{"OneStar", "12*78", {}},
        CompoundCase{"ThreeStars", "12*78*56*9", {}},
        CompoundCase{"FullWidthAsterisk", "12＊78＊56", {}},
        CompoundCase{"MixedAsterisks", "12*78＊56", {}},
        CompoundCase{"LoneLineFeedJoins", "12*78*56\n3*4*5", {}},
        CompoundCase{"LoneCarriageReturnJoins", "12*78*56\r3*4*5", {}},
        CompoundCase{"TwoLines", "12*78*56\r\n3*4*5", {175, 176, 185, 186, 275, 276, 285, 286, 345}},
        CompoundCase{"OuterSpacesTrimmed", "   0*0*0   ", {0}},
        CompoundCase{"FullWidthDigitsIgnored", "1１*2*3", {123}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JunkCompoundsTest, FullCompoundKillsEverything) {
    NumberListInputs in;
    in.junkCompounds = "0123456789*9876543210*5647382910";
    EXPECT_EQ(aliveAfter(killJunkCompounds, in).count(), 0u);
}

TEST(JunkCompoundsTest, ParseLineGivesDigitSets) {
    const auto line = parseCompoundLine("12*7a8*");
    EXPECT_EQ(line.digits[0], (1u << 1) | (1u << 2));
    EXPECT_EQ(line.digits[1], (1u << 7) | (1u << 8));
    EXPECT_EQ(line.digits[2], 0u);
    const auto notCompound = parseCompoundLine("1*2*3*4");
    EXPECT_EQ(notCompound.digits, (std::array<unsigned, 3>{}));
}

// ---------------------------------------------------------------------------
// Two-digit combinations (杀2码, 必出2码, 定位杀2码)

TEST(KillTwoDigitCombos, TwelveKillsEveryNumberWithAOneAndATwo) {
    NumberListInputs in;
    in.killPairs = "12";
    const auto alive = aliveAfter(killTwoDigitCombos, in);
    for (int n : {120, 201, 12, 121, 312, 210}) EXPECT_FALSE(alive[static_cast<std::size_t>(n)]) << n;
    EXPECT_TRUE(alive[134]);
    EXPECT_TRUE(alive[111]);
    // 1000 - no 1 (729) - no 2 (729) + neither (512)
    EXPECT_EQ(1000 - alive.count(), 54u);
}

TEST(KillTwoDigitCombos, ElevenKillsNumbersWithTwoOnes) {
    NumberListInputs in;
    in.killPairs = "11";
    const auto alive = aliveAfter(killTwoDigitCombos, in);
    for (int n : {110, 101, 111, 11}) EXPECT_FALSE(alive[static_cast<std::size_t>(n)]) << n;
    EXPECT_TRUE(alive[123]);
    EXPECT_TRUE(alive[100]);
    EXPECT_EQ(1000 - alive.count(), 28u);  // 27 with exactly two 1s, and 111
}

TEST(KillTwoDigitCombos, HintAndBlankKillNothing) {
    for (const char* text : {"不懂使用请看软件教程\r\n", "", "   ", "1 2 3", "a,b"}) {
        NumberListInputs in;
        in.killPairs = text;
        EXPECT_EQ(aliveAfter(killTwoDigitCombos, in).count(), 1000u) << text;
    }
}

TEST(KillTwoDigitCombos, LongerRunListsEveryAdjacentPair) {
    NumberListInputs in;
    in.killPairs = "123";  // 12 and 23, not 13
    const auto alive = aliveAfter(killTwoDigitCombos, in);
    EXPECT_FALSE(alive[120]);
    EXPECT_FALSE(alive[302]);
    EXPECT_TRUE(alive[130]);
}

TEST(MustContainTwoDigit, OneListedPairIsEnough) {
    NumberListInputs in;
    in.mustPairs = "12  35";
    const auto alive = aliveAfter(keepMustContainTwoDigit, in);
    for (int n : {125, 352, 120, 530, 153, 21}) EXPECT_TRUE(alive[static_cast<std::size_t>(n)]) << n;
    for (int n : {140, 0, 13, 999}) EXPECT_FALSE(alive[static_cast<std::size_t>(n)]) << n;
}

TEST(MustContainTwoDigit, TextWithoutPairsKillsEverything) {
    for (const char* text : {"abc", "用空格隔开", "7", "1 2 3", "\r\n"}) {
        NumberListInputs in;
        in.mustPairs = text;
        EXPECT_EQ(aliveAfter(keepMustContainTwoDigit, in).count(), 0u) << text;
    }
}

TEST(MustContainTwoDigit, BlankBoxIsInactive) {
    for (const char* text : {"", "    "}) {
        NumberListInputs in;
        in.mustPairs = text;
        EXPECT_EQ(aliveAfter(keepMustContainTwoDigit, in).count(), 1000u);
    }
}

TEST(PositionalPairs, HundredsUnitsBoxKillsInPositionOrder) {
    NumberListInputs in;
    in.positionalKill[1] = "59";
    const auto killed = killedBy(killPositionalPairs, in);
    EXPECT_EQ(killed, (std::vector<int>{509, 519, 529, 539, 549, 559, 569, 579, 589, 599}));
}

TEST(PositionalPairs, HundredsTensBoxKeepsReversedPairs) {
    NumberListInputs in;
    in.positionalKill[0] = "12";
    const auto alive = aliveAfter(killPositionalPairs, in);
    for (int n = 120; n <= 129; ++n) EXPECT_FALSE(alive[static_cast<std::size_t>(n)]);
    for (int n = 210; n <= 219; ++n) EXPECT_TRUE(alive[static_cast<std::size_t>(n)]);
    EXPECT_EQ(alive.count(), 990u);
}

TEST(PositionalPairs, TensUnitsBoxAndHintBox) {
    NumberListInputs in;
    in.positionalKill[0] = "按右边提示格\r\n式输入可定位\r\n杀两码组合\r\n";
    EXPECT_EQ(aliveAfter(killPositionalPairs, in).count(), 1000u);
    in.positionalKill[2] = "00";
    const auto killed = killedBy(killPositionalPairs, in);
    EXPECT_EQ(killed.size(), 10u);
    EXPECT_EQ(killed.front(), 0);
    EXPECT_EQ(killed.back(), 900);
}

// ---------------------------------------------------------------------------
// Value lists of the sum/difference boxes (两码和/差/合)

struct NormalizeCase {
    const char* text;
    const char* normalized;
};
void PrintTo(const NormalizeCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NormalizeValueList : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeValueList, KeepsDigitRunsSeparatedBySingleSpaces) {
    const std::string once = normalizeValueList(GetParam().text);
    EXPECT_EQ(once, GetParam().normalized);
    EXPECT_EQ(once, naiveNormalize(GetParam().text));
    EXPECT_EQ(normalizeValueList(once), once);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NormalizeValueList,
    ::testing::Values(NormalizeCase{"1,,2", "1 2"}, NormalizeCase{"2, 5,12", "2 5 12"},
                      NormalizeCase{"用空格隔开", ""}, NormalizeCase{",,, ;", ""}, NormalizeCase{"", ""},
                      NormalizeCase{"   ", ""}, NormalizeCase{"  7  ", "7"},
                      NormalizeCase{"a1b22c333d", "1 22 333"}, NormalizeCase{"１２ 3", "3"},
                      NormalizeCase{"05、10\t18", "05 10 18"},
                      NormalizeCase{"99999999999999999999999", "99999999999999999999999"}));

TEST(ListedPairValues, ReadsTokensByValue) {
    EXPECT_EQ(listedPairValues("05 1 018"), (1u << 5) | (1u << 1) | (1u << 18));
    EXPECT_EQ(listedPairValues("0 00 000"), 1u);
    EXPECT_EQ(listedPairValues("19 100 99999999999999999999999999 180"), 0u);
    EXPECT_EQ(listedPairValues("00000000000000000000000000017"), 1u << 17);
    EXPECT_EQ(listedPairValues("用空格隔开"), 0u);
}

NumberListInputs withBoxes(std::initializer_list<std::pair<int, const char*>> boxes) {
    NumberListInputs in;
    for (const auto& [k, text] : boxes) in.pairValues[static_cast<std::size_t>(k)] = text;
    return in;
}

TEST(SumsAndDiffs, SumKeepBoxesMustAllHold) {
    const auto alive = aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{0, "10"}, {1, "5"}}));
    EXPECT_TRUE(alive[550]);
    EXPECT_TRUE(alive[461]);
    EXPECT_FALSE(alive[370]);  // 3+0 is not 5
    EXPECT_FALSE(alive[532]);  // 5+3 is not 10
    std::vector<int> survivors;
    for (int n = 0; n < 1000; ++n)
        if (alive[static_cast<std::size_t>(n)]) survivors.push_back(n);
    EXPECT_EQ(survivors, (std::vector<int>{194, 283, 372, 461, 550}));
}

TEST(SumsAndDiffs, ValuesInOneBoxAreAlternatives) {
    const auto alive = aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{2, "3,4"}}));
    for (int n = 0; n < 1000; ++n) {
        const int s = tens(n) + units(n);
        EXPECT_EQ(alive[static_cast<std::size_t>(n)], s == 3 || s == 4) << n;
    }
}

TEST(SumsAndDiffs, SumExcludeZeroAndEighteen) {
    const auto killed = killedBy(filterTwoDigitSumsAndDiffs, withBoxes({{3, "0 18"}}));
    ASSERT_EQ(killed.size(), 20u);
    for (int n : killed) EXPECT_TRUE(n < 10 || n >= 990) << n;
}

TEST(SumsAndDiffs, DifferenceKeepZeroLeavesEqualHundredsAndTens) {
    const auto alive = aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{6, "0"}}));
    EXPECT_EQ(alive.count(), 100u);
    for (int n = 0; n < 1000; ++n) EXPECT_EQ(alive[static_cast<std::size_t>(n)], hundreds(n) == tens(n)) << n;
}

TEST(SumsAndDiffs, DifferenceExcludeNine) {
    const auto killed = killedBy(filterTwoDigitSumsAndDiffs, withBoxes({{9, "9"}}));
    ASSERT_EQ(killed.size(), 20u);
    for (int n : killed) EXPECT_TRUE((n >= 90 && n <= 99) || (n >= 900 && n <= 909)) << n;
}

TEST(SumsAndDiffs, ImpossibleValues) {
    // An unreachable keep value kills everything; an unreachable exclude value nothing.
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{0, "19"}})).count(), 0u);
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{7, "10"}})).count(), 0u);
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{1, "99999999999999999999999999"}})).count(), 0u);
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{4, "99999999999999999999999999 19"}})).count(),
              1000u);
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{10, "10 11"}})).count(), 1000u);
}

TEST(SumsAndDiffs, HintAndSeparatorsOnlyFilterNothing) {
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{0, "用空格隔开"}, {5, " ,, "}, {8, "x"}})).count(),
              1000u);
}

TEST(SumsAndDiffs, LeadingZerosReadByValue) {
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{0, "05"}})),
              aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{0, "5"}})));
}

TEST(SumTails, BoxTwelveZeroKillsSumsZeroAndTen) {
    const auto alive = aliveAfter(killTwoDigitSumTails, withBoxes({{12, "0"}}));
    EXPECT_EQ(alive.count(), 900u);
    for (int n : {0, 190, 550, 910, 374}) EXPECT_FALSE(alive[static_cast<std::size_t>(n)]) << n;
    EXPECT_TRUE(alive[123]);
}

TEST(SumTails, TokenTwelveListsTailsOneAndTwo) {
    const auto alive = aliveAfter(killTwoDigitSumTails, withBoxes({{13, "12"}}));
    EXPECT_EQ(alive.count(), 800u);
    for (int n = 0; n < 1000; ++n) {
        const int tail = (hundreds(n) + units(n)) % 10;
        EXPECT_EQ(alive[static_cast<std::size_t>(n)], tail != 1 && tail != 2) << n;
    }
}

TEST(SumTails, OnlyBoxesTwelveToFourteenCount) {
    // The sum/difference boxes do not feed the tail stage and vice versa.
    EXPECT_EQ(aliveAfter(killTwoDigitSumTails, withBoxes({{0, "1"}, {11, "2"}})).count(), 1000u);
    EXPECT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, withBoxes({{12, "1"}, {14, "2"}})).count(), 1000u);
}

// ---------------------------------------------------------------------------
// Cross-checks against the reference implementations on random texts.

TEST(AgainstSubstringRules, DirectNumbers) {
    AwkwardText gen(1);
    for (int i = 0; i < 400; ++i) {
        NumberListInputs in;
        in.directNumbers = gen.next(30);
        ASSERT_EQ(aliveAfter(killDirectNumbers, in), naiveDirect(in.directNumbers)) << in.directNumbers;
    }
}

TEST(AgainstSubstringRules, JunkCompounds) {
    AwkwardText gen(2);
    for (int i = 0; i < 400; ++i) {
        NumberListInputs in;
        in.junkCompounds = i % 4 == 0 ? gen.next(30) : gen.compoundText();
        ASSERT_EQ(aliveAfter(killJunkCompounds, in), naiveJunk(in.junkCompounds)) << in.junkCompounds;
    }
}

TEST(AgainstSubstringRules, TwoDigitCombos) {
    AwkwardText gen(3);
    for (int i = 0; i < 400; ++i) {
        NumberListInputs in;
        in.killPairs = gen.next(8);
        in.mustPairs = gen.next(8);
        ASSERT_EQ(aliveAfter(killTwoDigitCombos, in), naiveKillPairs(in.killPairs)) << in.killPairs;
        ASSERT_EQ(aliveAfter(keepMustContainTwoDigit, in), naiveMustPairs(in.mustPairs)) << in.mustPairs;
    }
}

TEST(AgainstSubstringRules, PositionalPairs) {
    AwkwardText gen(4);
    for (int i = 0; i < 400; ++i) {
        NumberListInputs in;
        for (auto& box : in.positionalKill) box = gen.next(6);
        ASSERT_EQ(aliveAfter(killPositionalPairs, in), naivePositional(in.positionalKill))
            << in.positionalKill[0] << "|" << in.positionalKill[1] << "|" << in.positionalKill[2];
    }
}

TEST(AgainstSubstringRules, NormalizeValueList) {
    AwkwardText gen(5);
    for (int i = 0; i < 2000; ++i) {
        const std::string text = i % 2 ? gen.next(20) : gen.valueList();
        ASSERT_EQ(normalizeValueList(text), naiveNormalize(text)) << text;
    }
}

TEST(AgainstSubstringRules, SumsDiffsAndTails) {
    AwkwardText gen(6);
    for (int i = 0; i < 300; ++i) {
        NumberListInputs in;
        for (auto& box : in.pairValues) box = gen.valueList();
        // Often only one row is set, so that not everything dies at once.
        if (i % 2) {
            const int keepRow = (i / 2) % 5;
            for (int k = 0; k < kPairValueBoxes; ++k)
                if (k / 3 != keepRow) in.pairValues[static_cast<std::size_t>(k)].clear();
        }
        std::string shown;
        for (const auto& b : in.pairValues) shown += "[" + b + "]";
        ASSERT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, in), naiveSumsAndDiffs(in.pairValues)) << shown;
        ASSERT_EQ(aliveAfter(killTwoDigitSumTails, in), naiveSumTails(in.pairValues)) << shown;
        // The stages see the same thing in the raw and in the cleaned text.
        NumberListInputs cleaned = in;
        for (auto& box : cleaned.pairValues) box = normalizeValueList(box);
        ASSERT_EQ(aliveAfter(filterTwoDigitSumsAndDiffs, cleaned), aliveAfter(filterTwoDigitSumsAndDiffs, in));
        ASSERT_EQ(aliveAfter(killTwoDigitSumTails, cleaned), aliveAfter(killTwoDigitSumTails, in));
    }
}

// ---------------------------------------------------------------------------
// Large pastes: a few megabytes in every box are read in full.

TEST(LargePaste, EveryBoxReadsToTheEnd) {
    std::string filler;
    while (filler.size() < 3'000'000) filler += "abc 不懂 ,\r\n";
    NumberListInputs in;
    in.directNumbers = filler + "918";
    in.junkCompounds = filler + "4*4*4";
    in.killPairs = filler + "77";
    in.mustPairs = filler + "88";
    in.positionalKill = {filler + "01", filler, filler};
    for (auto& box : in.pairValues) box = filler;
    in.pairValues[4] = filler + "3";
    in.pairValues[13] = filler + "5";

    EXPECT_EQ(killedBy(killDirectNumbers, in), std::vector<int>{918});
    EXPECT_EQ(killedBy(killJunkCompounds, in), std::vector<int>{444});
    EXPECT_EQ(killedBy(killTwoDigitCombos, in).size(), 28u);
    EXPECT_EQ(aliveAfter(keepMustContainTwoDigit, in).count(), 28u);
    EXPECT_EQ(killedBy(killPositionalPairs, in).size(), 10u);
    EXPECT_EQ(killedBy(filterTwoDigitSumsAndDiffs, in).size(), 40u);  // H+U = 3
    EXPECT_EQ(killedBy(killTwoDigitSumTails, in).size(), 100u);       // H+U ends in 5
}

}  // namespace
}  // namespace tarnel
