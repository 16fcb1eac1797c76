#pragma once
// A backtest limited to part of the history: the last N draws, or the draws
// from one issue to another. Rules that follow past draws still look back
// on the draws before the range, so a limited backtest is the backtest of a
// cut history: the draws the rules look back on (as warm-up draws, counted
// nowhere) and then the range. Every figure is over the range alone.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/files/history.h"
#include "core/state/past_draw_rule.h"

namespace tarnel {

enum class RangeKind { All, Last, Issues };

// The range as the player typed it.
struct BacktestRange {
    RangeKind kind = RangeKind::All;
    std::string last;  // Last: how many of the newest draws
    std::string from;  // Issues: the first issue; empty: from the oldest draw
    std::string to;    // Issues: the last issue; empty: up to the newest draw
    bool operator==(const BacktestRange&) const = default;
};

// The draws a range takes, as positions in time order (oldest first):
// [first, end). Refused with a message in Chinese: a count that is not a
// whole number of at least 1, an issue that is not digits or not in the
// history, the first issue after the last, or a history with draws without
// issues when issues are asked for.
struct RangePick {
    std::string error;     // non-empty: refused, why
    std::size_t first = 0;
    std::size_t end = 0;
    std::size_t total = 0;  // the draws of the whole history
    bool ok() const { return error.empty(); }
    std::size_t count() const { return end - first; }
    bool whole() const { return first == 0 && end == total; }
};

// `order` is the history's time order (timeOrder(history)).
RangePick pickBacktestRange(const History& history, std::span<const std::size_t> order, const BacktestRange& range);

// The most draws the rules look back on (0 without rules).
std::size_t rulesLookBack(std::span<const PastDrawRule> rules);

// The history a limited backtest runs on: the `lookBack` draws before the
// range (fewer where the history starts later) and the range's draws, in
// the history's line order and keeping its time order. The skipped lines
// are the whole history's.
History cutHistory(const History& history, std::span<const std::size_t> order, const RangePick& pick,
                   std::size_t lookBack);

// What a range took, in a sentence: "验证最近 30 期（2026195 期至 2026224 期）"
// with, when rules look back before it, how many draws before the range
// serve as warm-up. Empty for the whole history.
std::string rangeDescription(const History& history, std::span<const std::size_t> order, const BacktestRange& range,
                             const RangePick& pick, std::size_t lookBack);

// A history limited as a backtest takes it: the cut history (none for the
// whole history) with its time order, what the range took, or why not.
struct LimitedHistory {
    std::string error;           // the range refused: why
    std::string note;            // rangeDescription (empty for the whole history)
    std::optional<History> cut;  // empty: the whole history
    std::vector<std::size_t> order;  // the cut's time order
};
LimitedHistory limitHistory(const History& history, std::span<const std::size_t> order, const BacktestRange& range,
                            std::size_t lookBack);

}  // namespace tarnel
