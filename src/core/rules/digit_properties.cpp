#include "core/rules/digit_properties.h"

#include <cstdlib>

#include "core/rules/digits.h"
#include "core/rules/text.h"
#include "core/rules/digit_numeric_text.h"

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

// Pattern code of a two-class pattern (大/小, 奇/偶, 质/合): bit 2
// hundreds, bit 1 tens, bit 0 units, set when the digit is in the first class.
template <class InFirstClass>
int classCode(int a, int b, int c, InFirstClass inFirstClass) {
    return (inFirstClass(a) ? 4 : 0) | (inFirstClass(b) ? 2 : 0) | (inFirstClass(c) ? 1 : 0);
}

// The pattern codes whose text occurs in the row's selection text.
std::uint32_t selectedClassCodes(const std::array<bool, 8>& ticked, const std::array<std::string_view, 8>& captions,
                                 std::string_view firstClass, std::string_view secondClass) {
    const std::string selection = selectionText(ticked, [&](std::size_t i) { return captions[i]; });
    if (selection.empty()) return 0;
    std::uint32_t selected = 0;
    for (int code = 0; code < 8; ++code) {
        std::string pattern;
        for (int bit = 2; bit >= 0; --bit) pattern += ((code >> bit) & 1) ? firstClass : secondClass;
        if (occursIn(pattern, selection)) selected |= 1u << code;
    }
    return selected;
}

// Kills the numbers whose measure is one of `values`.
void killByMeasure(NumberPool& pool, Measure measure, std::uint32_t values) {
    if (!values) return;
    const auto& table = measureTable(measure);
    pool.killWhere([&table, values](int a, int b, int c) {
        return (values >> table[static_cast<std::size_t>(a * 100 + b * 10 + c)]) & 1u;
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

constexpr std::array<std::string_view, 3> kRepetitionForms = {"豹子", "组三", "组六"};
constexpr std::array<std::string_view, 4> kConsecutiveForms = {"不连", "2连", "3连", "-"};
constexpr std::array<std::string_view, 5> kShapes = {"上", "下", "凹", "凸", "-"};

template <std::size_t N>
int indexIn(const std::array<std::string_view, N>& texts, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return static_cast<int>(N);
}

// The texts of `texts` that occur in `selection`, as a mask.
template <std::size_t N>
std::uint32_t occurring(const std::array<std::string_view, N>& texts, std::string_view selection) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (occursIn(texts[i], selection)) mask |= 1u << i;
    return mask;
}

std::string formSelection(const DigitPropertyInputs& in) {
    return selectionText(in.special, [](std::size_t i) { return kSpecialCaptions[i]; }, 0, kFirstShapeBox);
}

std::string shapeSelection(const DigitPropertyInputs& in) {
    return selectionText(in.special, [](std::size_t i) { return kSpecialCaptions[i]; }, kFirstShapeBox,
                         kSpecialCaptions.size());
}

}  // namespace

int measureOf(Measure measure, int a, int b, int c) {
    switch (measure) {
        case Measure::SumTail: return sumTail(a, b, c);
        case Measure::Span: return span(a, b, c);
        case Measure::Sum: return digitSum(a, b, c);
        case Measure::Ac: return acValue(a, b, c);
        case Measure::BigSmall: return classCode(a, b, c, [](int d) { return isBig(d); });
        case Measure::OddEven: return classCode(a, b, c, [](int d) { return isOdd(d); });
        case Measure::PrimeComposite: return classCode(a, b, c, [](int d) { return isPrime(d); });
        case Measure::Road: return road(a) * 9 + road(b) * 3 + road(c);
        case Measure::Repetition: return indexIn(kRepetitionForms, repetitionForm(pairCounts(a, b, c)));
        case Measure::Consecutive: return indexIn(kConsecutiveForms, consecutiveForm(pairCounts(a, b, c)));
        case Measure::Shape: return indexIn(kShapes, shapeOf(a, b, c));
    }
    return 0;
}

const std::array<std::uint8_t, 1000>& measureTable(Measure measure) {
    using Table = std::array<std::array<std::uint8_t, 1000>, kMeasureCount>;
    static const Table tables = [] {
        Table t{};
        for (int m = 0; m < kMeasureCount; ++m)
            for (int n = 0; n < 1000; ++n)
                t[std::size_t(m)][std::size_t(n)] =
                    static_cast<std::uint8_t>(measureOf(static_cast<Measure>(m), n / 100, n / 10 % 10, n % 10));
        return t;
    }();
    return tables[static_cast<std::size_t>(measure)];
}

std::uint32_t killedSumTails(const DigitPropertyInputs& in) { return tickedMask(in.sumTailKill); }
std::uint32_t killedSpans(const DigitPropertyInputs& in) { return tickedMask(in.spanKill); }
// Box i stands for AC value i + 1.
std::uint32_t killedAcValues(const DigitPropertyInputs& in) { return tickedMask(in.acKill) << 1; }

std::uint32_t killedSums(const DigitPropertyInputs& in) {
    // Sum range, both bounds inclusive, compared as real numbers. A bound
    // beyond the range of a double reads as ±infinity, so a huge upper bound
    // keeps everything and a huge lower bound keeps nothing.
    const double lower = leadingNumber(in.sumLower);
    const double upper = leadingNumber(in.sumUpper);
    std::uint32_t killed = 0;
    for (int sum = 0; sum <= 27; ++sum)
        if (double(sum) < lower || double(sum) > upper) killed |= 1u << sum;

    // Sums to kill; a box still holding its hint is ignored.
    const std::string_view typed = trimSpaces(in.sumKillList);
    if (occursIn("值", typed) || occursIn("双", typed)) return killed;
    const std::string list = normalisedSumList(typed);
    if (list.empty()) return killed;
    // A sum is listed when its two-digit text occurs in the list text.
    const PairWindows listed(list);
    for (int sum = 0; sum <= 27; ++sum)
        if (listed.contains(sum)) killed |= 1u << sum;
    return killed;
}

std::uint32_t killedBigSmall(const DigitPropertyInputs& in) {
    return selectedClassCodes(in.bigSmall, kBigSmallCaptions, "大", "小");
}
std::uint32_t killedOddEven(const DigitPropertyInputs& in) {
    return selectedClassCodes(in.oddEven, kOddEvenCaptions, "奇", "偶");
}
std::uint32_t killedPrimeComposite(const DigitPropertyInputs& in) {
    return selectedClassCodes(in.primeComposite, kPrimeCompositeCaptions, "质", "合");
}

std::uint32_t killedRoads(const DigitPropertyInputs& in) {
    const std::string selection = selectionText(in.road, [](std::size_t i) { return roadCaption(int(i)); });
    if (selection.empty()) return 0;
    // Road pattern of a number, read as a base-3 code, is the index whose caption it equals.
    std::uint32_t selected = 0;
    for (int code = 0; code < kRoadBoxCount; ++code)
        if (occursIn(roadCaption(code), selection)) selected |= 1u << code;
    return selected;
}

std::uint32_t killedRepetitionForms(const DigitPropertyInputs& in) {
    const std::string selection = formSelection(in);
    return selection.empty() ? 0 : occurring(kRepetitionForms, selection);
}
std::uint32_t killedConsecutiveForms(const DigitPropertyInputs& in) {
    const std::string selection = formSelection(in);
    return selection.empty() ? 0 : occurring(kConsecutiveForms, selection);
}
std::uint32_t killedShapes(const DigitPropertyInputs& in) {
    const std::string selection = shapeSelection(in);
    return selection.empty() ? 0 : occurring(kShapes, selection);
}

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
    killByMeasure(pool, Measure::SumTail, killedSumTails(in));
}

void killBySpan(NumberPool& pool, const DigitPropertyInputs& in) { killByMeasure(pool, Measure::Span, killedSpans(in)); }

void applyBankerDigits(NumberPool& pool, const DigitPropertyInputs& in) {
    const unsigned bankers = tickedMask(in.bankerDigits);
    if (!bankers) return;
    // The lowest ticked count box wins; none ticked means one.
    int required = 1;
    if (in.bankerCount[0]) required = 1;
    else if (in.bankerCount[1]) required = 2;
    else if (in.bankerCount[2]) required = 3;
    // Without repeats a number's hits are the banker digits it holds: count
    // them digit by digit as sets, atLeast[k] holding k or more.
    std::array<NumberSet, 4> atLeast;
    atLeast[0].set();
    for (int d = 0; d < 10; ++d) {
        if (!inMask(bankers, d)) continue;
        for (int k = required; k >= 1; --k)
            atLeast[std::size_t(k)] |= atLeast[std::size_t(k - 1)] & numbersHoldingDigit(d);
    }
    pool.killAll(~atLeast[std::size_t(required)]);
}

void filterSumValues(NumberPool& pool, const DigitPropertyInputs& in) {
    killByMeasure(pool, Measure::Sum, killedSums(in));
}

void applyCompoundExcludeGrid(NumberPool& pool, const DigitPropertyInputs& in) {
    const auto rows = gridRows(in.compoundExclude);
    if (!rows[0] || !rows[1] || !rows[2]) return;
    pool.killAll(numbersWithDigitAt(0, rows[0]) & numbersWithDigitAt(1, rows[1]) & numbersWithDigitAt(2, rows[2]));
}

void applyPositionKillGrid(NumberPool& pool, const DigitPropertyInputs& in) {
    const auto rows = gridRows(in.positionKill);
    if (!rows[0] && !rows[1] && !rows[2]) return;
    pool.killAll(numbersWithDigitAt(0, rows[0]) | numbersWithDigitAt(1, rows[1]) | numbersWithDigitAt(2, rows[2]));
}

void killByAcValue(NumberPool& pool, const DigitPropertyInputs& in) { killByMeasure(pool, Measure::Ac, killedAcValues(in)); }

void killBigSmallPattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByMeasure(pool, Measure::BigSmall, killedBigSmall(in));
}

void killOddEvenPattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByMeasure(pool, Measure::OddEven, killedOddEven(in));
}

void killPrimeCompositePattern(NumberPool& pool, const DigitPropertyInputs& in) {
    killByMeasure(pool, Measure::PrimeComposite, killedPrimeComposite(in));
}

void killRoadPattern(NumberPool& pool, const DigitPropertyInputs& in) { killByMeasure(pool, Measure::Road, killedRoads(in)); }

void killForms(NumberPool& pool, const DigitPropertyInputs& in) {
    const std::uint32_t repetition = killedRepetitionForms(in);
    const std::uint32_t consecutive = killedConsecutiveForms(in);
    if (!repetition && !consecutive) return;
    const auto& repetitions = measureTable(Measure::Repetition);
    const auto& consecutives = measureTable(Measure::Consecutive);
    pool.killWhere([&, repetition, consecutive](int a, int b, int c) {
        const auto n = static_cast<std::size_t>(a * 100 + b * 10 + c);
        return ((repetition >> repetitions[n]) & 1u) || ((consecutive >> consecutives[n]) & 1u);
    });
}

void killShapes(NumberPool& pool, const DigitPropertyInputs& in) { killByMeasure(pool, Measure::Shape, killedShapes(in)); }

}  // namespace tarnel
