#include "core/analysis/slip_heading.h"

#include <algorithm>

#include "core/files/history_order.h"

namespace tarnel {

std::string nextIssue(Lottery lottery, std::string_view issue) {
    if (!isIssueOf(lottery, issue)) return {};
    // The last three digits number the draw in its year, the ones before name the year.
    const std::size_t yearDigits = issue.size() - 3;
    int year = 0, number = 0;
    for (std::size_t i = 0; i < yearDigits; ++i) year = year * 10 + (issue[i] - '0');
    for (std::size_t i = yearDigits; i < issue.size(); ++i) number = number * 10 + (issue[i] - '0');
    int modulus = 1;
    for (std::size_t i = 0; i < yearDigits; ++i) modulus *= 10;
    if (++number > 999) {
        number = 1;
        year = (year + 1) % modulus;
    }
    std::string y = std::to_string(year), n = std::to_string(number);
    return std::string(yearDigits - y.size(), '0') + y + std::string(3 - n.size(), '0') + n;
}

std::string latestIssue(const History& history, Lottery lottery) {
    const std::string* best = nullptr;
    for (const Draw& d : history.draws)
        if (isIssueOf(lottery, d.issue) && (!best || compareIssues(d.issue, *best) > 0)) best = &d.issue;
    return best ? *best : std::string();
}

std::string slipIssueError(Lottery lottery, std::string_view issue) {
    if (issue.empty() || isIssueOf(lottery, issue)) return {};
    const std::string name(lotteryName(lottery));
    const std::string example = lottery == Lottery::Fc3d ? "2026225" : "26225";
    const bool digits = std::all_of(issue.begin(), issue.end(), [](char c) { return c >= '0' && c <= '9'; });
    const std::string wanted = name + "的期号是 " + std::to_string(issueLength(lottery)) + " 位数字，如 " + example;
    if (!digits) return "期号只能由数字 0–9 组成：" + wanted + "。";
    return "期号有 " + std::to_string(issue.size()) + " 位：" + wanted + "。";
}

std::string slipHeading(Lottery lottery, std::string_view issue) {
    std::string text(lotteryName(lottery));
    if (!issue.empty()) text += " 第" + std::string(issue) + "期";
    return text;
}

}  // namespace tarnel
