#include "core/analysis/money_amount.h"

namespace tarnel {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

Amount readAmount(std::string_view text, std::int64_t minFen, std::int64_t maxFen) {
    Amount a;
    if (text.empty()) {
        a.problem = AmountProblem::Empty;
        return a;
    }
    if (text[0] == '-') {
        a.problem = AmountProblem::Negative;
        return a;
    }
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    const std::string_view whole = text.substr(0, i);
    std::string_view decimals;
    if (i < text.size()) {
        if (text[i] != '.') {
            a.problem = AmountProblem::NotANumber;
            return a;
        }
        decimals = text.substr(i + 1);
        for (char c : decimals)
            if (!isDigit(c)) {
                a.problem = AmountProblem::NotANumber;
                return a;
            }
    }
    if (whole.empty() || (i < text.size() && decimals.empty())) {
        a.problem = AmountProblem::NotANumber;
        return a;
    }
    // Whole yuan, without leading zeros; more digits than any range holds is too large.
    std::size_t first = 0;
    while (first + 1 < whole.size() && whole[first] == '0') ++first;
    const std::string_view yuan = whole.substr(first);
    if (yuan.size() > 15) {
        a.problem = AmountProblem::TooLarge;
        return a;
    }
    std::int64_t fen = 0;
    for (char c : yuan) fen = fen * 10 + (c - '0');
    fen *= 100;
    for (std::size_t k = 0; k < decimals.size(); ++k) {
        const int digit = decimals[k] - '0';
        if (k == 0) fen += 10 * digit;
        if (k == 1) fen += digit;
        if (k >= 2 && digit != 0) {
            // More than the fen: out of range when above the largest amount, else too fine.
            a.problem = fen >= maxFen ? AmountProblem::TooLarge : AmountProblem::TooManyDecimals;
            return a;
        }
    }
    if (fen > maxFen) {
        a.problem = AmountProblem::TooLarge;
        return a;
    }
    if (fen < minFen) {
        a.problem = AmountProblem::TooSmall;
        return a;
    }
    a.fen = fen;
    return a;
}

}  // namespace tarnel
