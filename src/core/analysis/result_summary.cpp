#include "core/analysis/result_summary.h"

#include <array>

#include "core/rules/text.h"

namespace tarnel {

namespace {

int tenPower(int width) {
    int p = 1;
    for (int i = 0; i < width; ++i) p *= 10;
    return p;
}

// The digits of a number, most significant first (at most three).
std::array<int, 3> digitsOf(int number, int width) {
    std::array<int, 3> d{};
    for (int i = width - 1; i >= 0; --i) {
        d[static_cast<std::size_t>(i)] = number % 10;
        number /= 10;
    }
    return d;
}

}  // namespace

std::vector<int> resultNumbers(std::string_view text, int width) {
    std::vector<int> numbers;
    if (width < 1 || width > 3) return numbers;
    std::vector<bool> seen(static_cast<std::size_t>(tenPower(width)), false);
    forEachDigitRun(text, [&](std::string_view run) {
        if (run.size() != static_cast<std::size_t>(width)) return true;
        int value = 0;
        for (char c : run) value = value * 10 + (c - '0');
        if (!seen[static_cast<std::size_t>(value)]) {
            seen[static_cast<std::size_t>(value)] = true;
            numbers.push_back(value);
        }
        return true;
    });
    return numbers;
}

GroupForm groupForm(int number, int width) {
    const auto d = digitsOf(number, width);
    if (width == 2) return d[0] == d[1] ? GroupForm::AllSame : GroupForm::AllDifferent;
    const int equalPairs = (d[0] == d[1]) + (d[0] == d[2]) + (d[1] == d[2]);
    if (equalPairs == 3) return GroupForm::AllSame;
    return equalPairs == 1 ? GroupForm::TwoSame : GroupForm::AllDifferent;
}

int groupKey(int number, int width) {
    // Counting the digits sorts them.
    std::array<int, 10> seen{};
    const auto d = digitsOf(number, width);
    for (int i = 0; i < width; ++i) ++seen[static_cast<std::size_t>(d[static_cast<std::size_t>(i)])];
    int key = 0;
    for (int digit = 0; digit < 10; ++digit)
        for (int k = 0; k < seen[static_cast<std::size_t>(digit)]; ++k) key = key * 10 + digit;
    return key;
}

ResultSummary summarizeNumbers(const std::vector<int>& numbers, int width) {
    ResultSummary s;
    s.width = width;
    s.bySum.assign(static_cast<std::size_t>(9 * width + 1), 0);
    std::vector<bool> groupSeen(static_cast<std::size_t>(tenPower(width)), false);
    for (int n : numbers) {
        ++s.direct;
        const int key = groupKey(n, width);
        if (!groupSeen[static_cast<std::size_t>(key)]) {
            groupSeen[static_cast<std::size_t>(key)] = true;
            ++s.groups;
        }
        switch (groupForm(n, width)) {
            case GroupForm::AllSame: ++s.allSame; break;
            case GroupForm::TwoSame: ++s.twoSame; break;
            case GroupForm::AllDifferent: ++s.allDifferent; break;
        }
        const auto d = digitsOf(n, width);
        int sum = 0;
        for (int i = 0; i < width; ++i) sum += d[static_cast<std::size_t>(i)];
        ++s.bySum[static_cast<std::size_t>(sum)];
    }
    return s;
}

std::int64_t betCostFen(int bets, int priceFen) { return std::int64_t(bets) * priceFen; }

std::string yuanText(std::int64_t fen) {
    const bool negative = fen < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(-(fen + 1)) + 1 : std::uint64_t(fen);
    const auto cents = static_cast<int>(magnitude % 100);
    std::string out = negative ? "-" : "";
    out += std::to_string(magnitude / 100);
    out += '.';
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
    return out;
}

std::string formatNumbers(const std::vector<int>& numbers, int width, NumberSeparator separator, int perLine) {
    if (separator == NumberSeparator::LineBreak) perLine = 1;
    const std::string_view between = separator == NumberSeparator::Comma ? "," : " ";
    std::string out;
    out.reserve(numbers.size() * static_cast<std::size_t>(width + 2));
    int inLine = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (perLine > 0 && inLine == perLine) {
                out += kCrLf;
                inLine = 0;
            } else {
                out += between;
            }
        }
        out += numberText(numbers[i], width);
        ++inLine;
    }
    return out;
}

}  // namespace tarnel
