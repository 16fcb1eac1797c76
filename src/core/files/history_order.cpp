#include "core/files/history_order.h"

#include <algorithm>
#include <numeric>

namespace tarnel {

namespace {

std::string_view withoutLeadingZeros(std::string_view s) {
    const std::size_t first = s.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

}  // namespace

int compareIssues(std::string_view a, std::string_view b) {
    a = withoutLeadingZeros(a);
    b = withoutLeadingZeros(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void NewestFirstCheck::add(std::string_view issue) {
    if (!decreasing_) return;
    if (issue.empty() || (seen_ && compareIssues(issue, previous_) >= 0)) {
        decreasing_ = false;
        previous_.clear();
        previous_.shrink_to_fit();
        return;
    }
    seen_ = true;
    previous_.assign(issue);
}

bool historyIsNewestFirst(const History& history) {
    if (history.newestFirst) return *history.newestFirst;
    NewestFirstCheck check;
    for (const Draw& d : history.draws) {
        check.add(d.issue);
        if (!check.newestFirst()) return false;
    }
    return check.newestFirst();
}

std::vector<std::size_t> timeOrder(const History& history) {
    std::vector<std::size_t> order(history.draws.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    if (historyIsNewestFirst(history)) std::reverse(order.begin(), order.end());
    return order;
}

HistoryQuality historyQuality(const History& history) {
    HistoryQuality q;
    q.newestFirst = historyIsNewestFirst(history);

    std::vector<std::size_t> withIssue;
    for (std::size_t i = 0; i < history.draws.size(); ++i)
        if (!history.draws[i].issue.empty()) withIssue.push_back(i);

    // Repeats: equal issues sort together; each group is listed once, by
    // the line of its first draw.
    std::vector<std::size_t> sorted = withIssue;
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
        return compareIssues(history.draws[a].issue, history.draws[b].issue) < 0;
    });
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i + 1;
        while (j < sorted.size() && compareIssues(history.draws[sorted[i]].issue, history.draws[sorted[j]].issue) == 0) ++j;
        if (j - i > 1) {
            IssueRepeat r;
            r.issue = history.draws[sorted[i]].issue;
            for (std::size_t k = i; k < j; ++k) r.lines.push_back(history.draws[sorted[k]].line);
            q.repeats.push_back(std::move(r));
        }
        i = j;
    }
    std::sort(q.repeats.begin(), q.repeats.end(),
              [](const IssueRepeat& a, const IssueRepeat& b) { return a.lines.front() < b.lines.front(); });

    // Out of order: steps against the way most steps go (rising when as
    // many rise as fall); equal issues are repeats, not steps.
    long long rises = 0, falls = 0;
    for (std::size_t k = 1; k < withIssue.size(); ++k) {
        const int c = compareIssues(history.draws[withIssue[k]].issue, history.draws[withIssue[k - 1]].issue);
        if (c > 0) ++rises;
        if (c < 0) ++falls;
    }
    const int against = rises >= falls ? -1 : 1;
    for (std::size_t k = 1; k < withIssue.size(); ++k) {
        const Draw& d = history.draws[withIssue[k]];
        const Draw& before = history.draws[withIssue[k - 1]];
        if (compareIssues(d.issue, before.issue) == against)
            q.outOfOrder.push_back({d.line, d.issue, before.line, before.issue});
    }
    return q;
}

}  // namespace tarnel
