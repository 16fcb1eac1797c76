#include "core/analysis/backtest_range.h"

#include <algorithm>
#include <limits>

#include "core/files/history_order.h"

namespace tarnel {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What the player typed, quoted in a message: at most 20 characters.
std::string quoted(std::string_view s) {
    std::size_t at = 0;
    int chars = 0;
    while (at < s.size() && chars < 20) {
        const auto lead = static_cast<unsigned char>(s[at]);
        at += lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        ++chars;
    }
    at = std::min(at, s.size());
    return "“" + std::string(s.substr(0, at)) + (at < s.size() ? "…" : "") + "”";
}

std::string count(std::size_t n) { return std::to_string(n); }

// The issue of the draw at time position t.
const std::string& issueAt(const History& h, std::span<const std::size_t> order, std::size_t t) {
    return h.draws[order[t]].issue;
}

RangePick refused(RangePick pick, std::string why) {
    pick.error = std::move(why);
    pick.first = pick.end = 0;
    return pick;
}

}  // namespace

RangePick pickBacktestRange(const History& history, std::span<const std::size_t> order, const BacktestRange& range) {
    RangePick pick;
    pick.total = order.size();
    pick.end = order.size();
    switch (range.kind) {
        case RangeKind::All:
            return pick;
        case RangeKind::Last: {
            const std::string_view typed = trimmed(range.last);
            if (typed.empty()) return refused(pick, "请填写要验证最近多少期。");
            if (!allDigits(typed)) return refused(pick, quoted(typed) + "不是期数：最近期数只能填 1 以上的整数。");
            // More digits than any history has draws: the whole history.
            std::size_t n = 0;
            for (char c : typed) {
                n = n * 10 + std::size_t(c - '0');
                if (n > (std::size_t(1) << 40)) break;
            }
            if (n == 0) return refused(pick, "最近期数至少为 1 期。");
            pick.first = order.size() - std::min(n, order.size());
            return pick;
        }
        case RangeKind::Issues:
            break;
    }
    const std::string_view from = trimmed(range.from);
    const std::string_view to = trimmed(range.to);
    if (!from.empty() && !allDigits(from)) return refused(pick, "起始期号" + quoted(from) + "只能由数字 0–9 组成。");
    if (!to.empty() && !allDigits(to)) return refused(pick, "结束期号" + quoted(to) + "只能由数字 0–9 组成。");
    for (std::size_t t = 0; t < order.size(); ++t) {
        const Draw& d = history.draws[order[t]];
        if (d.issue.empty())
            return refused(pick, "开奖历史第 " + std::to_string(d.line) +
                                     " 行的开奖号码没有期号：按期号范围验证需要每期都有期号，可以改用“最近 N 期”。");
    }
    if (order.empty()) return pick;
    const std::string span = "（开奖历史从 " + issueAt(history, order, 0) + " 期到 " +
                             issueAt(history, order, order.size() - 1) + " 期）";
    // From the first draw of issue `from` to the last draw of issue `to`, in time order.
    std::size_t first = 0, last = order.size() - 1;
    if (!from.empty()) {
        first = order.size();
        for (std::size_t t = 0; t < order.size() && first == order.size(); ++t)
            if (compareIssues(issueAt(history, order, t), from) == 0) first = t;
        if (first == order.size()) return refused(pick, "起始期号 " + std::string(from) + " 不在开奖历史中" + span + "。");
    }
    if (!to.empty()) {
        last = order.size();
        for (std::size_t t = order.size(); t-- > 0 && last == order.size();)
            if (compareIssues(issueAt(history, order, t), to) == 0) last = t;
        if (last == order.size()) return refused(pick, "结束期号 " + std::string(to) + " 不在开奖历史中" + span + "。");
    }
    if (first > last)
        return refused(pick, "起始期号 " + issueAt(history, order, first) + " 在结束期号 " + issueAt(history, order, last) +
                                 " 之后：请把较早的一期填在前面。");
    pick.first = first;
    pick.end = last + 1;
    return pick;
}

std::size_t rulesLookBack(std::span<const PastDrawRule> rules) {
    std::size_t most = 0;
    for (const PastDrawRule& r : rules) most = std::max(most, std::size_t(std::max(r.draws, 0)));
    return most;
}

History cutHistory(const History& history, std::span<const std::size_t> order, const RangePick& pick,
                   std::size_t lookBack) {
    History cut;
    cut.skipped = history.skipped;
    cut.skippedFullWidth = history.skippedFullWidth;
    cut.convertedFromGb18030 = history.convertedFromGb18030;
    cut.newestFirst = historyIsNewestFirst(history);
    if (!pick.ok() || pick.first >= pick.end || pick.end > order.size()) return cut;
    const std::size_t from = pick.first - std::min(pick.first, lookBack);
    // A stretch of time order is a stretch of lines, one way or the other.
    std::size_t low = order[from], high = order[from];
    for (std::size_t t = from; t < pick.end; ++t) {
        low = std::min(low, order[t]);
        high = std::max(high, order[t]);
    }
    cut.draws.assign(history.draws.begin() + std::ptrdiff_t(low), history.draws.begin() + std::ptrdiff_t(high) + 1);
    return cut;
}

std::string rangeDescription(const History& history, std::span<const std::size_t> order, const BacktestRange& range,
                             const RangePick& pick, std::size_t lookBack) {
    if (!pick.ok() || range.kind == RangeKind::All || pick.count() == 0) return {};
    std::string text;
    const std::string& a = issueAt(history, order, pick.first);
    const std::string& b = issueAt(history, order, pick.end - 1);
    const std::string issues = a.empty() || b.empty() ? std::string()
                               : pick.count() == 1   ? a + " 期"
                                                     : a + " 期至 " + b + " 期";
    if (range.kind == RangeKind::Last) {
        text = "验证最近 " + count(pick.count()) + " 期";
        if (pick.whole()) text += "（即全部开奖历史）";
        if (!issues.empty()) text += "：" + issues;
    } else {
        text = "验证 " + issues + "，共 " + count(pick.count()) + " 期";
    }
    const std::size_t before = std::min(lookBack, pick.first);
    if (before > 0)
        text += "；动态条件另回看此前 " + count(before) + " 期，这些期只作预热，不计入统计";
    if (lookBack > pick.first) {
        const std::size_t inside = std::min(lookBack - pick.first, pick.count());
        text += std::string(before > 0 ? "，" : "；") + "范围内最早的 " + count(inside) +
                " 期之前开奖期数不够动态条件回看，也是预热期";
    }
    text += "。盈亏和与随机投注的比较只按这个范围计算。";
    return text;
}

LimitedHistory limitHistory(const History& history, std::span<const std::size_t> order, const BacktestRange& range,
                            std::size_t lookBack) {
    LimitedHistory limited;
    const RangePick pick = pickBacktestRange(history, order, range);
    if (!pick.ok()) {
        limited.error = pick.error;
        return limited;
    }
    limited.note = rangeDescription(history, order, range, pick, lookBack);
    if (pick.whole()) return limited;  // nothing before it to look back on
    limited.cut = cutHistory(history, order, pick, lookBack);
    limited.order = timeOrder(*limited.cut);
    return limited;
}

}  // namespace tarnel
