#include "conditions/digit_properties.h"

#include <cstdlib>

#include "common/digits.h"
#include "common/text.h"
#include "conditions/digit_numeric_text.h"

namespace tarnel {

namespace {

// Bit i set when box i of a digit row is ticked.
template <std::size_t N>
unsigned tickedMask(const std::array<bool, N>& row) {
    unsigned mask = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (row[i]) mask |= 1u << i;
    return mask;
}

bool inMask(unsigned mask, int value) { return (mask >> value) & 1u; }

// A row's selection text: the caption of each ticked box followed by "*".
template <std::size_t N, class Caption>
std::string selectionText(const std::array<bool, N>& ticked, Caption caption, std::size_t first = 0,
                          std::size_t last = N) {
    std::string text;
    for (std::size_t i = first; i < last; ++i)
        if (ticked[i]) {
            text += caption(i);
            text += '*';
        }
    return text;
}

// The three position rows of a 30-button grid as digit masks.
std::array<unsigned, 3> gridRows(const std::array<bool, 30>& grid) {
    std::array<unsigned, 3> rows{};
    for (int pos = 0; pos < 3; ++pos)
        for (int d = 0; d < 10; ++d)
            if (grid[static_cast<std::size_t>(pos * 10 + d)]) rows[static_cast<std::size_t>(pos)] |= 1u << d;
    return rows;
}

// Kills by a two-class pattern of the three digits (大/小, 奇/偶, 质/合).
// Pattern code: bit 2 hundreds, bit 1 tens, bit 0 units, set when the digit
// is in the first class.
template <class InFirstClass>
void killByClassPattern(NumberPool& pool, const std::array<bool, 8>& ticked,
                        const std::array<std::string_view, 8>& captions, std::string_view firstClass,
                        std::string_view secondClass, InFirstClass inFirstClass) {
    const std::string selection = selectionText(ticked, [&](std::size_t i) { return captions[i]; });
    if (selection.empty()) return;
    std::array<bool, 8> selected{};
    for (int code = 0; code < 8; ++code) {
        std::string pattern;
        for (int bit = 2; bit >= 0; --bit) pattern += ((code >> bit) & 1) ? firstClass : secondClass;
        selected[static_cast<std::size_t>(code)] = occursIn(pattern, selection);
    }
    pool.killWhere([&](int a, int b, int c) {
        const int code = (inFirstClass(a) ? 4 : 0) | (inFirstClass(b) ? 2 : 0) | (inFirstClass(c) ? 1 : 0);
        return selected[static_cast<std::size_t>(code)];
    });
}

// Pair counts of the form stage over the pairs (1,2), (1,3), (2,3).
struct PairCounts {
    int equal = 0;     // difference 0
    int adjacent = 0;  // difference 1
    int wrap = 0;      // difference 9: 0 and 9 count as neighbours
};

PairCounts pairCounts(int a, int b, int c) {
    PairCounts n;
    for (int diff : {pairDiff(a, b), pairDiff(a, c), pairDiff(b, c)}) {
        if (diff == 0) ++n.equal;
        if (diff == 1) ++n.adjacent;
        if (diff == 9) ++n.wrap;
    }
    return n;
}

std::string_view repetitionForm(const PairCounts& n) {
    if (n.equal == 3) return "豹子";
    if (n.equal == 1) return "组三";
    return "组六";
}

std::string_view consecutiveForm(const PairCounts& n) {
    if (n.adjacent == 0 && n.wrap == 0) return "不连";
    if ((n.adjacent == 2 && n.equal == 0) || (n.adjacent == 1 && n.wrap == 1)) return "3连";
    if ((n.adjacent == 1 && n.equal == 0 && n.wrap == 0) || (n.adjacent == 2 && n.equal == 1) ||
        (n.wrap == 1 && n.equal == 0 && n.adjacent == 0) || (n.wrap == 2 && n.equal == 1 && n.adjacent == 0))
        return "2连";
    return "-";
}

// 上 uphill, 下 downhill, 凹 valley, 凸 peak, "-" for none (all digits equal).
std::string_view shapeOf(int a, int b, int c) {
    if (a <= b && b <= c && a < c) return "上";
    if (a >= b && b >= c && a > c) return "下";
    if (b < a && b < c) return "凹";
    if (b > a && b > c) return "凸";
    return "-";
}

}  // namespace

std::string roadCaption(int index) {
    std::string text(3, '0');
    for (int i = 2; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<char>('0' + index % 3);
        index /= 3;
    }
    return text;
}

int acValue(int a, int b, int c) {
    const int x = pairDiff(a, b), y = pairDiff(a, c), z = pairDiff(b, c);
    int ac = 3;
    if (y == x) --ac;
    if (z == x) --ac;
    if (z == y) --ac;
    return ac == 0 ? 1 : ac;
}

void killBySumTail(NumberPool& pool, const DigitPropertyInputs& in) {
    const unsigned tails = tickedMask(in.sumTailKill);
    if (!tails) return;
    pool.killWhere([tails](int a, int b, int c) { return inMask(tails, sumTail(a, b, c)); });
}

void killBySpan(NumberPool& pool, const DigitPropertyInputs& in) {
    const unsigned spans = tickedMask(in.spanKill);
    if (!spans) return;
    pool.killWhere([spans](int a, int b, int c) { return inMask(spans, span(a, b, c)); });
}

void applyBankerDigits(NumberPool& pool, const DigitPropertyInputs& in) {
    const unsigned bankers = tickedMask(in.bankerDigits);
    if (!bankers) return;
    // The lowest ticked count box wins; none ticked means one.
    int required = 1;
    if (in.bankerCount[0]) required = 1;
    else if (in.bankerCount[1]) required = 2;
    else if (in.bankerCount[2]) required = 3;
    pool.killWhere([bankers, required](int a, int b, int c) {
        return bankerHits(std::array{a, b, c}, bankers, /*repeats=*/false) < required;
    });
}

void filterSumValues(NumberPool& pool, const DigitPropertyInputs& in) {
    // Sum range, both bounds inclusive, compared as real numbers. A bound
    // beyond the range of a double reads as ±infinity, so a huge upper bound
    // keeps everything and a huge lower bound keeps nothing.
    const double lower = leadingNumber(in.sumLower);
    const double upper = leadingNumber(in.sumUpper);
    pool.killWhere([lower, upper](int a, int b, int c) {
        const double sum = digitSum(a, b, c);
        return sum < lower || sum > upper;
    });

    // Sums to kill; a box still holding its hint is ignored.
    const std::string_view typed = trimSpaces(in.sumKillList);
    if (occursIn("值", typed) || occursIn("双", typed)) return;
    const std::string list = normalisedSumList(typed);
    if (list.empty()) return;
    // A sum is listed when its two-digit text occurs in the list text.
    const PairWindows listed(list);
    pool.killWhere([&listed](int a, int b, int c) { return listed.contains(digitSum(a, b, c)); });
}

void applyCompoundExcludeGrid(NumberPool& pool, const DigitPropertyInputs& in) {
    const auto rows = gridRows(in.compoundExclude);
    if (!rows[0] || !rows[1] || !rows[2]) return;
    pool.killWhere([&rows](int a, int b, int c) {
        return inMask(rows[0], a) && inMask(rows[1], b) && inMask(rows[2], c);
    });
}

void applyPositionKillGrid(NumberPool& pool, const DigitPropertyInputs& in) {
    const auto rows = gridRows(in.positionKill);
    if (!rows[0] && !rows[1] && !rows[2]) return;
    pool.killWhere([&rows](int a, int b, int c) {
        return inMask(rows[0], a) || inMask(rows[1], b) || inMask(rows[2], c);
    });
}

void killByAcValue(NumberPool& pool, const DigitPropertyInputs& in) {
    // Box i stands for AC value i + 1.
    const unsigned values = tickedMask(in.acKill) << 1;
    if (!values) return;
    pool.killWhere([values](int a, int b, int c) { return inMask(values, acValue(a, b, c)); });
}

void killBigSmallPattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByClassPattern(pool, in.bigSmall, kBigSmallCaptions, "大", "小", [](int d) { return isBig(d); });
}

void killOddEvenPattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByClassPattern(pool, in.oddEven, kOddEvenCaptions, "奇", "偶", [](int d) { return isOdd(d); });
}

void killPrimeCompositePattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByClassPattern(pool, in.primeComposite, kPrimeCompositeCaptions, "质", "合", [](int d) { return isPrime(d); });
}

void killRoadPattern(NumberPool& pool, const DigitPropertyInputs& in) {
    const std::string selection = selectionText(in.road, [](std::size_t i) { return roadCaption(int(i)); });
    if (selection.empty()) return;
    // Road pattern of a number, read as a base-3 code, is the index whose caption it equals.
    std::array<bool, kRoadBoxCount> selected{};
    for (int code = 0; code < kRoadBoxCount; ++code)
        selected[static_cast<std::size_t>(code)] = occursIn(roadCaption(code), selection);
    pool.killWhere([&selected](int a, int b, int c) {
        return selected[static_cast<std::size_t>(road(a) * 9 + road(b) * 3 + road(c))];
    });
}

void killForms(NumberPool& pool, const DigitPropertyInputs& in) {
    const std::string selection = selectionText(
        in.special, [](std::size_t i) { return kSpecialCaptions[i]; }, 0, kFirstShapeBox);
    if (selection.empty()) return;
    // Each form text is looked up once; a number then only names its forms.
    const std::array<bool, 3> repetition = {occursIn("豹子", selection), occursIn("组三", selection),
                                            occursIn("组六", selection)};
    const std::array<bool, 4> consecutive = {occursIn("不连", selection), occursIn("2连", selection),
                                             occursIn("3连", selection), occursIn("-", selection)};
    const auto index = [](std::string_view form, std::initializer_list<std::string_view> forms) {
        std::size_t i = 0;
        for (std::string_view f : forms) {
            if (f == form) return i;
            ++i;
        }
        return i;
    };
    pool.killWhere([&](int a, int b, int c) {
        const PairCounts n = pairCounts(a, b, c);
        return repetition[index(repetitionForm(n), {"豹子", "组三", "组六"})] ||
               consecutive[index(consecutiveForm(n), {"不连", "2连", "3连", "-"})];
    });
}

void killShapes(NumberPool& pool, const DigitPropertyInputs& in) {
    const std::string selection = selectionText(
        in.special, [](std::size_t i) { return kSpecialCaptions[i]; }, kFirstShapeBox, kSpecialCaptions.size());
    if (selection.empty()) return;
    const std::array<std::string_view, 5> shapes = {"上", "下", "凹", "凸", "-"};
    std::array<bool, 5> selected{};
    for (std::size_t i = 0; i < shapes.size(); ++i) selected[i] = occursIn(shapes[i], selection);
    pool.killWhere([&](int a, int b, int c) {
        const std::string_view shape = shapeOf(a, b, c);
        for (std::size_t i = 0; i < shapes.size(); ++i)
            if (shapes[i] == shape) return selected[i];
        return false;
    });
}

}  // namespace tarnel
