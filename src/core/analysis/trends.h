#pragma once
// 走势统计: for each value of a measure of the winning numbers, how often it
// came, how many draws it has been missing now (当前遗漏) and the longest it
// was ever missing (最大遗漏). Draws count in the order of the history text:
// the last line is the newest draw.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/history.h"
#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"

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

struct TrendTable {
    TrendMeasure measure = TrendMeasure::Sum;
    int draws = 0;
    std::vector<TrendValue> values;  // by value
};

// One measure over the draws of a history, in its order.
TrendTable trendTable(TrendMeasure measure, const std::vector<Draw>& draws);

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

}  // namespace tarnel
