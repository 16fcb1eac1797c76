#include "core/rules/number_lists.h"

#include <bit>

#include "core/rules/digits.h"
#include "core/rules/pair_sets.h"
#include "core/rules/text.h"

namespace tarnel {

namespace {

int numberOf(int a, int b, int c) { return a * 100 + b * 10 + c; }
int pairOf(int a, int b) { return a * 10 + b; }

bool hasDigit(unsigned set, int d) { return (set >> d) & 1u; }

// Two-digit sums run 0..18, differences 0..9.
constexpr int kLargestPairValue = 18;

// One T_lm_he box as the sum/difference stage uses it.
struct ValueBox {
    bool active = false;       // the cleaned list is not empty
    std::uint32_t values = 0;  // bit v: value v is listed
    bool holds(int v) const { return (values >> v) & 1u; }
};

ValueBox valueBox(std::string_view text) {
    return ValueBox{hasAsciiDigit(text), listedPairValues(text)};
}

// The numbers abc in which pair p is one of ab, ac, ba, bc, ca, cb.
const std::array<NumberSet, 100>& numbersHoldingPair() {
    static const auto sets = [] {
        std::array<NumberSet, 100> s;
        for (int n = 0; n < 1000; ++n) {
            const int a = n / 100, b = n / 10 % 10, c = n % 10;
            for (int p : {pairOf(a, b), pairOf(a, c), pairOf(b, a), pairOf(b, c), pairOf(c, a), pairOf(c, b)})
                s[static_cast<std::size_t>(p)].set(static_cast<std::size_t>(n));
        }
        return s;
    }();
    return sets;
}

// The numbers holding any listed pair, in any two of their places.
NumberSet numbersHoldingAnyPair(const PairWindows& listed) {
    NumberSet set;
    for (int p = 0; p < 100; ++p)
        if (listed.contains(p)) set |= numbersHoldingPair()[static_cast<std::size_t>(p)];
    return set;
}

}  // namespace

std::string normalizeValueList(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (char c : text) {
        if (isAsciiDigit(c)) {
            if (!inRun && !out.empty()) out += ' ';
            out += c;
            inRun = true;
        } else {
            inRun = false;
        }
    }
    return out;
}

std::uint32_t listedPairValues(std::string_view text) {
    std::uint32_t values = 0;
    bool inRun = false;
    int value = 0;  // capped just above the largest pair value, so huge tokens cannot overflow
    auto finishRun = [&] {
        if (inRun && value <= kLargestPairValue) values |= 1u << value;
        inRun = false;
        value = 0;
    };
    for (char c : text) {
        if (isAsciiDigit(c)) {
            inRun = true;
            if (value <= kLargestPairValue) value = value * 10 + (c - '0');
        } else {
            finishRun();
        }
    }
    finishRun();
    return values;
}

CompoundLine parseCompoundLine(std::string_view line) {
    CompoundLine compound;
    std::size_t group = 0;
    for (char c : line) {
        if (c == '*') {
            if (++group > 2) return {};  // three or more "*": not a compound
        } else if (isAsciiDigit(c)) {
            compound.digits[group] |= 1u << (c - '0');
        }
    }
    if (group != 2) return {};
    return compound;
}

NumberSet directNumberKills(const NumberListInputs& in) { return NumberWindows(trimSpaces(in.directNumbers)).values(); }

void killDirectNumbers(NumberPool& pool, const NumberListInputs& in) { pool.killAll(directNumberKills(in)); }

void killJunkCompounds(NumberPool& pool, const NumberListInputs& in) {
    const std::string_view text = trimSpaces(in.junkCompounds);
    if (text.empty()) return;

    // Covered units digits for every hundreds-tens prefix. A line costs at
    // most |hundreds| x |tens| <= 5 x its length, so the pass stays linear.
    std::array<unsigned, 100> coveredUnits{};
    bool any = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kCrLf, start);  // a lone CR or LF does not split
        const CompoundLine line =
            parseCompoundLine(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        const auto& [hundreds, tens, units] = line.digits;
        if (units != 0) {
            for (int h = 0; h < 10; ++h) {
                if (!hasDigit(hundreds, h)) continue;
                for (int t = 0; t < 10; ++t) {
                    if (!hasDigit(tens, t)) continue;
                    coveredUnits[static_cast<std::size_t>(pairOf(h, t))] |= units;
                    any = true;
                }
            }
        }
        if (end == std::string_view::npos) break;
        start = end + kCrLf.size();
    }
    if (!any) return;
    // During a run entry n holds n: the covered numbers are the prefix's
    // hundred-number block with those units.
    NumberSet covered;
    for (std::size_t prefix = 0; prefix < coveredUnits.size(); ++prefix)
        for (unsigned units = coveredUnits[prefix] & 0x3ffu; units != 0; units &= units - 1)
            covered.set(prefix * 10 + static_cast<std::size_t>(std::countr_zero(units)));
    pool.killAll(covered);
}

NumberSet twoDigitComboKills(const NumberListInputs& in) {
    return numbersHoldingAnyPair(PairWindows(trimSpaces(in.killPairs)));
}

void killTwoDigitCombos(NumberPool& pool, const NumberListInputs& in) { pool.killAll(twoDigitComboKills(in)); }

void keepMustContainTwoDigit(NumberPool& pool, const NumberListInputs& in) {
    // A box that is not blank is active even when it lists no pair: then
    // nothing can satisfy it and every entry goes.
    pool.killAll(mustContainTwoDigitKills(in));
}

NumberSet mustContainTwoDigitKills(const NumberListInputs& in) {
    const std::string_view text = trimSpaces(in.mustPairs);
    if (text.empty()) return {};
    return ~numbersHoldingAnyPair(PairWindows(text));
}

NumberSet positionalPairKills(const NumberListInputs& in) {
    const PairWindows hundredsTens(trimSpaces(in.positionalKill[0]));
    const PairWindows hundredsUnits(trimSpaces(in.positionalKill[1]));
    const PairWindows tensUnits(trimSpaces(in.positionalKill[2]));
    if (hundredsTens.empty() && hundredsUnits.empty() && tensUnits.empty()) return {};
    // Each listed pair fixes two places; the third runs through all ten digits.
    NumberSet killed;
    auto mark = [&killed](int a, int b, int c) { killed.set(static_cast<std::size_t>(numberOf(a, b, c))); };
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y) {
            const int p = pairOf(x, y);
            const bool ht = hundredsTens.contains(p), hu = hundredsUnits.contains(p), tu = tensUnits.contains(p);
            if (!(ht || hu || tu)) continue;
            for (int d = 0; d < 10; ++d) {
                if (ht) mark(x, y, d);
                if (hu) mark(x, d, y);
                if (tu) mark(d, x, y);
            }
        }
    return killed;
}

void killPositionalPairs(NumberPool& pool, const NumberListInputs& in) { pool.killAll(positionalPairKills(in)); }

void filterTwoDigitSumsAndDiffs(NumberPool& pool, const NumberListInputs& in) {
    pool.killAll(twoDigitSumAndDiffKills(in));
}

NumberSet twoDigitSumAndDiffKills(const NumberListInputs& in) {
    std::array<ValueBox, 12> boxes;
    bool anyActive = false;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        boxes[k] = valueBox(in.pairValues[k]);
        anyActive = anyActive || boxes[k].active;
    }
    if (!anyActive) return {};

    // Rows 0 and 1 hold sums, 2 and 3 differences; columns are the pairs
    // (百十), (百个), (十个). A keep row removes a number whose pair value an
    // active box does not hold; an exclude row one whose value it holds.
    NumberSet killed;
    for (int row = 0; row < 4; ++row) {
        const PairMeasure measure = row < 2 ? PairMeasure::Sum : PairMeasure::Difference;
        const bool keep = row % 2 == 0;
        for (int col = 0; col < kPairValueColumns; ++col) {
            const ValueBox& box = boxes[static_cast<std::size_t>(row * kPairValueColumns + col)];
            if (!box.active) continue;
            const NumberSet holding = numbersWithPairValue(measure, col, box.values);
            killed |= keep ? ~holding : holding;
        }
    }
    return killed;
}

void killTwoDigitSumTails(NumberPool& pool, const NumberListInputs& in) { pool.killAll(twoDigitSumTailKills(in)); }

NumberSet twoDigitSumTailKills(const NumberListInputs& in) {
    constexpr std::size_t first = 4 * kPairValueColumns;  // boxes 12..14
    // A tail is listed when its digit occurs anywhere in the list ("12" lists 1 and 2).
    const unsigned tails[3] = {digitSet(in.pairValues[first]), digitSet(in.pairValues[first + 1]),
                               digitSet(in.pairValues[first + 2])};
    return numbersWithPairValue(PairMeasure::SumTail, 0, tails[0]) |
           numbersWithPairValue(PairMeasure::SumTail, 1, tails[1]) |
           numbersWithPairValue(PairMeasure::SumTail, 2, tails[2]);
}

}  // namespace tarnel
