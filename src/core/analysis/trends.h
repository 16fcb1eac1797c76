#pragma once
// 走势统计: for each value of a measure of the winning numbers, how often it
// came, how many draws it has been missing now (当前遗漏) and the longest it
// was ever missing (最大遗漏). Draws count in the order of the history text:
// the last line is the newest draw.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/files/history.h"
#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"
#include "core/state/past_draw_rule.h"

namespace tarnel {

enum class TrendMeasure { Sum, Span, SumTail, Form, BigSmall, OddEven, Road };
inline constexpr int kTrendMeasureCount = 7;
inline constexpr std::array<TrendMeasure, kTrendMeasureCount> kTrendMeasures = {
    TrendMeasure::Sum,      TrendMeasure::Span,    TrendMeasure::SumTail, TrendMeasure::Form,
    TrendMeasure::BigSmall, TrendMeasure::OddEven, TrendMeasure::Road};

// The Chinese name of a measure (和值, 跨度, …).
std::string_view trendMeasureName(TrendMeasure measure);
// How many values a measure has, and the caption of value v as the windows
// show it: the number itself for sums, spans and tails; 豹子/组三/组六; the
// pattern captions of the kill boxes (大大大 …, 奇奇奇 …, 000 … 222).
int trendValueCount(TrendMeasure measure);
std::string trendValueCaption(TrendMeasure measure, int value);
// The value of a three-digit number 0..999 for a measure.
int trendValueOf(TrendMeasure measure, int number);

struct TrendValue {
    int hits = 0;              // draws with this value
    int currentOmission = 0;   // draws after its last one (all draws when it never came)
    int longestOmission = 0;   // longest run of draws without it, the current one included
};

// What 走势统计 offers: the seven measures above, then every measure of the
// rules that follow past draws (动态条件) that is not one of them. 和值, 跨度,
// 和尾, 形态 and 012路 are rule measures too and are listed once, as the
// measures above.
using TrendItem = std::variant<TrendMeasure, RuleMeasure>;
inline constexpr int kTrendItemCount = kTrendMeasureCount + 7;
inline constexpr std::array<TrendItem, kTrendItemCount> kTrendItems = {
    TrendMeasure::Sum,      TrendMeasure::Span,    TrendMeasure::SumTail, TrendMeasure::Form,
    TrendMeasure::BigSmall, TrendMeasure::OddEven, TrendMeasure::Road,    RuleMeasure::Hundreds,
    RuleMeasure::Tens,      RuleMeasure::Units,    RuleMeasure::Digits,   RuleMeasure::Big,
    RuleMeasure::Odd,       RuleMeasure::Prime};

std::string_view trendItemName(TrendItem item);
int trendItemValueCount(TrendItem item);
std::string trendItemValueCaption(TrendItem item, int value);
// The values of a number 0..999, as bits (bit v for value v): one value, or
// for 数字 each of its digits.
std::uint32_t trendItemValues(TrendItem item, int number);

// The rule measure an item stands for, if any, and the rule's value for the
// item's value v (形态 counts its values the other way round).
std::optional<RuleMeasure> trendRuleMeasure(TrendItem item);
int trendRuleValue(TrendItem item, int value);

struct TrendTable {
    TrendMeasure measure = TrendMeasure::Sum;  // of `item`, when it is one of the seven
    TrendItem item = TrendMeasure::Sum;
    int draws = 0;
    std::vector<TrendValue> values;  // by value; a draw counts once for each value it has
};

// One measure over the draws of a history, in its order. The current
// omission of v is the omission of a rule looking back on all these draws:
// 0 when the last draw has v, the number of draws when none has it.
TrendTable trendTable(TrendMeasure measure, const std::vector<Draw>& draws);
TrendTable trendTable(TrendItem item, const std::vector<Draw>& draws);

// The rule a double-click on value v of a table makes: "杀 遗漏 ≥ N 期的 …",
// kill the values missing for N draws or more (N the value's current
// omission) among the D last draws (D the table's draws, 1..1000): every
// value missing as long as v or longer, v included. None for an item that is
// no rule measure, a value out of range, or a value of the last draw (N = 0
// would take every value and rule out all 1000 numbers).
std::optional<PastDrawRule> trendKillRule(const TrendTable& table, int value);

// The kill box of the main window that rules out exactly the numbers with
// one value of a measure: the row it belongs to, and the box as a note
// names it ("杀和尾 3").
struct TrendBox {
    RowId row;
    std::string caption;
};
// Ticks the box of `value` in `state` and says which it is. Sums have no box
// per value: then, and for a value out of range, nothing is ticked.
std::optional<TrendBox> tickTrendBox(MainConditions& state, TrendMeasure measure, int value);
// The same for every item: 百位, 十位 and 个位 select the digit's button in
// their row of the 定位杀 grid; the other items of the rules have no box.
std::optional<TrendBox> tickTrendBox(MainConditions& state, TrendItem item, int value);

}  // namespace tarnel
