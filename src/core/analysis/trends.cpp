#include "core/analysis/trends.h"

#include <algorithm>
#include <bit>

#include "core/rules/digits.h"
#include "core/rules/digit_properties.h"

namespace tarnel {
namespace {

// Pattern captions in the order of the kill boxes, and the box of a number's
// pattern: big/small and odd/even read hundreds, tens, units.
template <class InFirst>
int patternBox(const std::array<std::string_view, 8>& captions, std::string_view first, std::string_view second,
               int number, InFirst inFirst) {
    std::string caption;
    for (int d : {number / 100, number / 10 % 10, number % 10}) caption += inFirst(d) ? first : second;
    return int(std::find(captions.begin(), captions.end(), caption) - captions.begin());
}

}  // namespace

std::string_view trendMeasureName(TrendMeasure measure) {
    switch (measure) {
        case TrendMeasure::Sum: return "和值";
        case TrendMeasure::Span: return "跨度";
        case TrendMeasure::SumTail: return "和尾";
        case TrendMeasure::Form: return "形态（豹子/组三/组六）";
        case TrendMeasure::BigSmall: return "大小形态";
        case TrendMeasure::OddEven: return "奇偶形态";
        case TrendMeasure::Road: return "012路形态";
    }
    return "";
}

int trendValueCount(TrendMeasure measure) {
    switch (measure) {
        case TrendMeasure::Sum: return 28;
        case TrendMeasure::Span:
        case TrendMeasure::SumTail: return 10;
        case TrendMeasure::Form: return 3;
        case TrendMeasure::BigSmall:
        case TrendMeasure::OddEven: return 8;
        case TrendMeasure::Road: return kRoadBoxCount;
    }
    return 0;
}

std::string trendValueCaption(TrendMeasure measure, int value) {
    switch (measure) {
        case TrendMeasure::Sum:
        case TrendMeasure::Span:
        case TrendMeasure::SumTail: return std::to_string(value);
        case TrendMeasure::Form: return std::string(kSpecialCaptions[std::size_t(value)]);
        case TrendMeasure::BigSmall: return std::string(kBigSmallCaptions[std::size_t(value)]);
        case TrendMeasure::OddEven: return std::string(kOddEvenCaptions[std::size_t(value)]);
        case TrendMeasure::Road: return roadCaption(value);
    }
    return {};
}

int trendValueOf(TrendMeasure measure, int number) {
    const int a = number / 100, b = number / 10 % 10, c = number % 10;
    switch (measure) {
        case TrendMeasure::Sum: return digitSum(a, b, c);
        case TrendMeasure::Span: return span(a, b, c);
        case TrendMeasure::SumTail: return sumTail(a, b, c);
        case TrendMeasure::Form: return measureTable(Measure::Repetition)[std::size_t(number)];
        case TrendMeasure::BigSmall:
            return patternBox(kBigSmallCaptions, "大", "小", number, [](int d) { return isBig(d); });
        case TrendMeasure::OddEven:
            return patternBox(kOddEvenCaptions, "奇", "偶", number, [](int d) { return isOdd(d); });
        case TrendMeasure::Road: return measureTable(Measure::Road)[std::size_t(number)];
    }
    return 0;
}

std::string_view trendItemName(TrendItem item) {
    if (const auto* m = std::get_if<TrendMeasure>(&item)) return trendMeasureName(*m);
    return measureInfo(std::get<RuleMeasure>(item)).name;
}

int trendItemValueCount(TrendItem item) {
    if (const auto* m = std::get_if<TrendMeasure>(&item)) return trendValueCount(*m);
    return measureInfo(std::get<RuleMeasure>(item)).values;
}

std::string trendItemValueCaption(TrendItem item, int value) {
    if (const auto* m = std::get_if<TrendMeasure>(&item)) return trendValueCaption(*m, value);
    return std::to_string(value);
}

std::uint32_t trendItemValues(TrendItem item, int number) {
    if (const auto* m = std::get_if<TrendMeasure>(&item)) return std::uint32_t(1) << trendValueOf(*m, number);
    return measureValues(std::get<RuleMeasure>(item), number);
}

std::optional<RuleMeasure> trendRuleMeasure(TrendItem item) {
    if (const auto* r = std::get_if<RuleMeasure>(&item)) return *r;
    switch (std::get<TrendMeasure>(item)) {
        case TrendMeasure::Sum: return RuleMeasure::Sum;
        case TrendMeasure::Span: return RuleMeasure::Span;
        case TrendMeasure::SumTail: return RuleMeasure::SumTail;
        case TrendMeasure::Form: return RuleMeasure::Form;
        case TrendMeasure::Road: return RuleMeasure::Road;
        case TrendMeasure::BigSmall:
        case TrendMeasure::OddEven: break;
    }
    return std::nullopt;
}

int trendRuleValue(TrendItem item, int value) {
    // The kill boxes read 豹子, 组三, 组六; a rule counts equal digits the other way.
    if (item == TrendItem(TrendMeasure::Form)) return 2 - value;
    return value;
}

TrendTable trendTable(TrendMeasure measure, const std::vector<Draw>& draws) {
    return trendTable(TrendItem(measure), draws);
}

TrendTable trendTable(TrendItem item, const std::vector<Draw>& draws) {
    // The values of every number once, then one pass over the draws.
    std::array<std::uint32_t, 1000> valuesOf{};
    for (int n = 0; n < 1000; ++n) valuesOf[std::size_t(n)] = trendItemValues(item, n);

    TrendTable table;
    if (const auto* m = std::get_if<TrendMeasure>(&item)) table.measure = *m;
    table.item = item;
    table.draws = int(draws.size());
    table.values.assign(std::size_t(trendItemValueCount(item)), TrendValue{});
    std::vector<int> last(table.values.size(), -1);  // index of the value's last draw
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const std::string& s = draws[i].number;
        const int n = (s[0] - '0') * 100 + (s[1] - '0') * 10 + (s[2] - '0');
        for (std::uint32_t bits = valuesOf[std::size_t(n)]; bits; bits &= bits - 1) {
            const auto v = std::size_t(std::countr_zero(bits));
            TrendValue& t = table.values[v];
            ++t.hits;
            t.longestOmission = std::max(t.longestOmission, int(i) - last[v] - 1);
            last[v] = int(i);
        }
    }
    for (std::size_t v = 0; v < table.values.size(); ++v) {
        TrendValue& t = table.values[v];
        t.currentOmission = table.draws - last[v] - 1;
        t.longestOmission = std::max(t.longestOmission, t.currentOmission);
    }
    return table;
}

std::optional<PastDrawRule> trendKillRule(const TrendTable& table, int value) {
    const std::optional<RuleMeasure> measure = trendRuleMeasure(table.item);
    if (!measure || value < 0 || value >= int(table.values.size())) return std::nullopt;
    PastDrawRule rule;
    rule.measure = *measure;
    rule.from = RuleSource::Omission;
    rule.draws = std::clamp(table.draws, 1, kRuleMaxDraws);
    rule.min = std::clamp(table.values[std::size_t(value)].currentOmission, 0, rule.draws);
    rule.max = rule.draws;
    rule.action = RuleAction::Kill;
    if (rule.min == 0) return std::nullopt;
    return rule;
}

std::optional<TrendBox> tickTrendBox(MainConditions& state, TrendMeasure measure, int value) {
    if (value < 0 || value >= trendValueCount(measure)) return std::nullopt;
    DigitPropertyInputs& d = state.digits;
    const auto v = std::size_t(value);
    const auto tick = [&](RowId row, bool& box, std::string_view group) {
        box = true;
        return TrendBox{row, std::string(group) + ' ' + trendValueCaption(measure, value)};
    };
    switch (measure) {
        case TrendMeasure::SumTail: return tick(RowId::SumTails, d.sumTailKill[v], "杀和尾");
        case TrendMeasure::Span: return tick(RowId::Spans, d.spanKill[v], "杀跨度");
        case TrendMeasure::Form: return tick(RowId::Forms, d.special[v], "特别排除");
        case TrendMeasure::BigSmall: return tick(RowId::BigSmall, d.bigSmall[v], "杀形态排列");
        case TrendMeasure::OddEven: return tick(RowId::OddEven, d.oddEven[v], "杀形态排列");
        case TrendMeasure::Road: return tick(RowId::Roads, d.road[v], "012路排除");
        case TrendMeasure::Sum: break;
    }
    return std::nullopt;
}

std::optional<TrendBox> tickTrendBox(MainConditions& state, TrendItem item, int value) {
    if (const auto* m = std::get_if<TrendMeasure>(&item)) return tickTrendBox(state, *m, value);
    if (value < 0 || value >= trendItemValueCount(item)) return std::nullopt;
    int position = 0;
    switch (std::get<RuleMeasure>(item)) {
        case RuleMeasure::Hundreds: position = 0; break;
        case RuleMeasure::Tens: position = 1; break;
        case RuleMeasure::Units: position = 2; break;
        default: return std::nullopt;
    }
    state.digits.positionKill[std::size_t(10 * position + value)] = true;
    return TrendBox{RowId::PositionKill,
                    "定位杀 " + std::string(trendItemName(item)) + ' ' + trendItemValueCaption(item, value)};
}

}  // namespace tarnel
