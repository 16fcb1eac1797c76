#include "core/rules/positional.h"

#include <bit>

#include "core/rules/digits.h"
#include "core/rules/text.h"
#include "core/rules/pair_sets.h"

namespace tarnel {

namespace {

constexpr unsigned kGreater = 1u << 0;
constexpr unsigned kEqual = 1u << 1;
constexpr unsigned kLess = 1u << 2;

bool inSet(unsigned set, int digit) { return inDigitSet(set, digit); }

// The outcomes a relation word accepts; 0 for any other text.
unsigned relationOutcomes(std::string_view relation) {
    if (relation == kMatchRelations[0]) return kGreater;          // 大于
    if (relation == kMatchRelations[1]) return kLess;             // 小于
    if (relation == kMatchRelations[2]) return kEqual;            // 等于
    if (relation == kMatchRelations[3]) return kGreater | kEqual;  // 大于等于
    if (relation == kMatchRelations[4]) return kLess | kEqual;    // 小于等于
    if (relation == kMatchRelations[5]) return kGreater | kLess;  // 不等于
    return 0;
}

unsigned compareOutcome(int a, int b) { return a > b ? kGreater : a == b ? kEqual : kLess; }

// 百 → 1, 十 → 2, 个 → 3 everywhere in the text.
std::string positionWordsToCodes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (std::size_t p = 0; p < kMatchPositions.size(); ++p) {
            const std::string_view word = kMatchPositions[p];
            if (text.substr(i, word.size()) == word) {
                out += static_cast<char>('1' + p);
                i += word.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

bool isPositionCode(char c) { return c >= '1' && c <= '3'; }

// Drops the last UTF-8 character of a text. A stray continuation byte
// counts as a character of its own.
std::string_view dropLastCharacter(std::string_view text) {
    if (text.empty()) return text;
    auto isContinuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
    std::size_t last = text.size() - 1;
    std::size_t start = last;
    while (start > 0 && last - start < 3 && isContinuation(start)) --start;
    if (start == last || static_cast<unsigned char>(text[start]) < 0xC0) start = last;
    return text.substr(0, start);
}

}  // namespace

// ---- 位置匹配 --------------------------------------------------------------

std::string matchRuleLine(std::string_view first, std::string_view relation, std::string_view second) {
    constexpr std::string_view kGap = "         ";  // nine spaces
    std::string line;
    line.reserve(first.size() + relation.size() + second.size() + 2 * kGap.size());
    line += first;
    line += kGap;
    line += relation;
    line += kGap;
    line += second;
    return line;
}

std::optional<MatchRule> parseMatchRule(std::string_view line) {
    const std::string coded = positionWordsToCodes(trimSpaces(line));
    if (coded.empty() || !isPositionCode(coded.front()) || !isPositionCode(coded.back())) return std::nullopt;
    MatchRule rule;
    rule.first = coded.front() - '1';
    rule.second = coded.back() - '1';
    // Both ends are single ASCII characters; the relation runs from the
    // second character to the third-from-last.
    std::string_view middle(coded);
    middle.remove_prefix(1);
    middle = middle.empty() ? middle : middle.substr(0, middle.size() - 1);
    middle = dropLastCharacter(middle);
    rule.outcomes = relationOutcomes(trimSpaces(middle));
    return rule;
}

void applyPositionMatchRules(NumberPool& pool, const PositionalInputs& in) {
    if (in.matchRules.empty()) return;
    // Rules between the same two positions merge; any number of lines
    // reduces to at most nine position pairs.
    unsigned holds[3][3] = {};
    for (const std::string& line : in.matchRules)
        if (const auto rule = parseMatchRule(line)) holds[rule->first][rule->second] |= rule->outcomes;

    struct Check {
        int first, second;
        unsigned outcomes;
    };
    Check checks[9];
    int checkCount = 0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            if (holds[a][b] != 0) checks[checkCount++] = {a, b, holds[a][b]};

    // A number is kept when one check holds: the union of the numbers each
    // check keeps, taken from ready sets by positions and outcome.
    static const auto byOutcome = [] {
        std::array<std::array<std::array<NumberSet, 3>, 3>, 3> sets;  // [first][second][outcome bit]
        for (int n = 0; n < NumberPool::kSize; ++n) {
            const int d[3] = {n / 100, n / 10 % 10, n % 10};
            for (std::size_t a = 0; a < 3; ++a)
                for (std::size_t b = 0; b < 3; ++b)
                    sets[a][b][static_cast<std::size_t>(std::countr_zero(compareOutcome(d[a], d[b])))].set(
                        static_cast<std::size_t>(n));
        }
        return sets;
    }();
    NumberSet kept;
    for (int k = 0; k < checkCount; ++k)
        for (std::size_t bit = 0; bit < 3; ++bit)
            if ((checks[k].outcomes >> bit) & 1u) kept |= byOutcome[std::size_t(checks[k].first)][std::size_t(checks[k].second)][bit];
    pool.killAll(~kept);
}

// ---- 定位2码 ---------------------------------------------------------------

std::string cleanPairListText(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (isAsciiDigit(c) || c == ' ' || c == '\r' || c == '\n') kept += c;

    std::string out;
    out.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        char c = kept[i];
        if (c == '\r' && i + 1 < kept.size() && kept[i + 1] == '\n') {
            c = ' ';
            ++i;
        }
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return std::string(trimSpaces(out));
}

void keepPositionalPairs(NumberPool& pool, const PositionalInputs& in) {
    // Position pairs of the three lists: 百十, 百个, 十个.
    constexpr int kPositions[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    std::array<std::optional<PairWindows>, 3> lists;
    bool any = false;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const std::string cleaned = cleanPairListText(in.pairLists[i]);
        if (cleaned.empty()) continue;
        lists[i].emplace(cleaned);
        any = true;
    }
    if (!any) return;
    pool.killWhere([&](int h, int t, int u) {
        const int d[3] = {h, t, u};
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (!lists[i]) continue;
            const int pair = d[kPositions[i][0]] * 10 + d[kPositions[i][1]];
            if (!lists[i]->contains(pair)) return true;
        }
        return false;
    });
}

// ---- 定位容对 --------------------------------------------------------------

namespace {

// The numbers by how many hits they score (0..3), as sets.
using HitSets = std::array<NumberSet, 4>;

// A hit for every position whose digit is in that position's set: none,
// exactly one (an odd count that is not three), exactly two, all three.
HitSets positionHits(const std::array<unsigned, 3>& sets) {
    const NumberSet h = numbersWithDigitAt(0, sets[0]), t = numbersWithDigitAt(1, sets[1]),
                    u = numbersWithDigitAt(2, sets[2]);
    const NumberSet any = h | t | u, three = h & t & u, one = (h ^ t ^ u) & ~three;
    return {~any, one, any & ~one & ~three, three};
}

// A hit for every digit of `digits` a number holds (a digit held twice counts once).
HitSets heldDigitHits(unsigned digits) {
    std::array<NumberSet, 5> atLeast;  // atLeast[k]: k hits or more
    atLeast[0].set();
    for (int d = 0; d < 10; ++d) {
        if (!inSet(digits, d)) continue;
        for (std::size_t k = 4; k >= 1; --k) atLeast[k] |= atLeast[k - 1] & numbersHoldingDigit(d);
    }
    return {atLeast[0] & ~atLeast[1], atLeast[1] & ~atLeast[2], atLeast[2] & ~atLeast[3], atLeast[3]};
}

// The numbers whose hits are not among `counts` (bit k for k hits).
NumberSet numbersOutsideHits(const HitSets& byHits, unsigned counts) {
    NumberSet outside;
    for (std::size_t hits = 0; hits < byHits.size(); ++hits)
        if (!inSet(counts, int(hits))) outside |= byHits[hits];
    return outside;
}

}  // namespace

void applyPositionalDigitGrid(NumberPool& pool, const PositionalInputs& in) {
    const auto& rows = in.gridRows;
    if (rows[0].empty() && rows[1].empty() && rows[2].empty()) return;
    const unsigned counts = digitSet(in.gridCounts.empty() ? std::string_view("123") : in.gridCounts);
    pool.killAll(numbersOutsideHits(positionHits({digitSet(rows[0]), digitSet(rows[1]), digitSet(rows[2])}), counts));
}

// ---- 任意两码合保留 --------------------------------------------------------

void keepAnyTwoDigitSumTail(NumberPool& pool, const PositionalInputs& in) {
    pool.killAll(anyTwoDigitSumTailKills(in));
}

NumberSet anyTwoDigitSumTailKills(const PositionalInputs& in) {
    if (in.anyTwoSumTails.empty()) return {};
    const unsigned tails = digitSet(in.anyTwoSumTails);
    return ~(numbersWithPairValue(PairMeasure::SumTail, PairPlaces::HundredsTens, tails) |
             numbersWithPairValue(PairMeasure::SumTail, PairPlaces::HundredsUnits, tails) |
             numbersWithPairValue(PairMeasure::SumTail, PairPlaces::TensUnits, tails));
}

// ---- 胆组 ------------------------------------------------------------------

int bankerHits(int hundreds, int tens, int units, unsigned digits, bool repeats) {
    return bankerHits(std::array{hundreds, tens, units}, digits, repeats);
}

void applyBankerGroups(NumberPool& pool, const PositionalInputs& in) {
    if (!in.bankerOn) return;
    struct Group {
        unsigned digits, counts;
    };
    Group groups[kBankerGroupCount];
    int groupCount = 0;
    for (int g = 0; g < kBankerGroupCount; ++g) {
        const std::string& digits = in.bankerDigits[static_cast<std::size_t>(g)];
        if (digits.empty()) continue;
        const std::string& counts = in.bankerCounts[static_cast<std::size_t>(g)];
        groups[groupCount++] = {digitSet(digits), digitSet(counts.empty() ? std::string_view("123") : counts)};
    }
    if (groupCount == 0) return;
    // A number falls when any group misses its counts. With repeats every
    // position holding a group digit hits; without, every group digit held.
    NumberSet killed;
    for (int g = 0; g < groupCount; ++g) {
        const unsigned digits = groups[g].digits;
        killed |= numbersOutsideHits(in.bankerRepeats ? positionHits({digits, digits, digits}) : heldDigitHits(digits),
                                     groups[g].counts);
    }
    pool.killAll(killed);
}

}  // namespace tarnel
