#include "conditions/number_lists.h"

#include "common/digits.h"
#include "common/text.h"

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

void killDirectNumbers(NumberPool& pool, const NumberListInputs& in) {
    const std::string_view text = trimSpaces(in.directNumbers);
    if (text.empty()) return;
    const NumberWindows listed(text);
    if (listed.empty()) return;
    pool.killWhere([&](int a, int b, int c) { return listed.contains(numberOf(a, b, c)); });
}

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
    pool.killWhere([&](int a, int b, int c) {
        return hasDigit(coveredUnits[static_cast<std::size_t>(pairOf(a, b))], c);
    });
}

void killTwoDigitCombos(NumberPool& pool, const NumberListInputs& in) {
    const std::string_view text = trimSpaces(in.killPairs);
    if (text.empty()) return;
    const PairWindows listed(text);
    if (listed.empty()) return;
    pool.killWhere([&](int a, int b, int c) {
        return listed.contains(pairOf(a, b)) || listed.contains(pairOf(a, c)) ||
               listed.contains(pairOf(b, a)) || listed.contains(pairOf(b, c)) ||
               listed.contains(pairOf(c, a)) || listed.contains(pairOf(c, b));
    });
}

void keepMustContainTwoDigit(NumberPool& pool, const NumberListInputs& in) {
    // A box that is not blank is active even when it lists no pair: then
    // nothing can satisfy it and every entry goes.
    const std::string_view text = trimSpaces(in.mustPairs);
    if (text.empty()) return;
    const PairWindows listed(text);
    pool.killWhere([&](int a, int b, int c) {
        return !(listed.contains(pairOf(a, b)) || listed.contains(pairOf(a, c)) ||
                 listed.contains(pairOf(b, a)) || listed.contains(pairOf(b, c)) ||
                 listed.contains(pairOf(c, a)) || listed.contains(pairOf(c, b)));
    });
}

void killPositionalPairs(NumberPool& pool, const NumberListInputs& in) {
    const PairWindows hundredsTens(trimSpaces(in.positionalKill[0]));
    const PairWindows hundredsUnits(trimSpaces(in.positionalKill[1]));
    const PairWindows tensUnits(trimSpaces(in.positionalKill[2]));
    if (hundredsTens.empty() && hundredsUnits.empty() && tensUnits.empty()) return;
    pool.killWhere([&](int a, int b, int c) {
        return hundredsTens.contains(pairOf(a, b)) || hundredsUnits.contains(pairOf(a, c)) ||
               tensUnits.contains(pairOf(b, c));
    });
}

void filterTwoDigitSumsAndDiffs(NumberPool& pool, const NumberListInputs& in) {
    std::array<ValueBox, 12> boxes;
    bool anyActive = false;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        boxes[k] = valueBox(in.pairValues[k]);
        anyActive = anyActive || boxes[k].active;
    }
    if (!anyActive) return;

    // Keep row: every active box of the row must hold its pair's value.
    auto keepFails = [&](int row, const std::array<int, 3>& v) {
        for (int col = 0; col < kPairValueColumns; ++col) {
            const ValueBox& box = boxes[static_cast<std::size_t>(row * kPairValueColumns + col)];
            if (box.active && !box.holds(v[static_cast<std::size_t>(col)])) return true;
        }
        return false;
    };
    // Exclude row: any active box holding its pair's value removes the entry.
    auto excluded = [&](int row, const std::array<int, 3>& v) {
        for (int col = 0; col < kPairValueColumns; ++col) {
            const ValueBox& box = boxes[static_cast<std::size_t>(row * kPairValueColumns + col)];
            if (box.active && box.holds(v[static_cast<std::size_t>(col)])) return true;
        }
        return false;
    };

    pool.killWhere([&](int a, int b, int c) {
        const std::array<int, 3> sums = {pairSum(a, b), pairSum(a, c), pairSum(b, c)};
        const std::array<int, 3> diffs = {pairDiff(a, b), pairDiff(a, c), pairDiff(b, c)};
        return keepFails(0, sums) || excluded(1, sums) || keepFails(2, diffs) || excluded(3, diffs);
    });
}

void killTwoDigitSumTails(NumberPool& pool, const NumberListInputs& in) {
    constexpr std::size_t first = 4 * kPairValueColumns;  // boxes 12..14
    // A tail is listed when its digit occurs anywhere in the list ("12" lists 1 and 2).
    const unsigned tails[3] = {digitSet(in.pairValues[first]), digitSet(in.pairValues[first + 1]),
                               digitSet(in.pairValues[first + 2])};
    if ((tails[0] | tails[1] | tails[2]) == 0) return;
    pool.killWhere([&](int a, int b, int c) {
        return hasDigit(tails[0], pairSumTail(a, b)) || hasDigit(tails[1], pairSumTail(a, c)) ||
               hasDigit(tails[2], pairSumTail(b, c));
    });
}

}  // namespace tarnel
