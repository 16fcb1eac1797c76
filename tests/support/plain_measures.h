#pragma once
// The values of a number for each measure of the rules, worked out from its
// digits the plain way: the reference the rules and the trend tables are
// checked against.

#include <algorithm>
#include <set>

#include "core/state/past_draw_rule.h"

namespace tarnel::testing {

inline std::set<int> plainMeasureValues(RuleMeasure m, int number) {
    const int a = number / 100, b = number / 10 % 10, c = number % 10;
    const auto count = [&](auto in) { return int(in(a)) + int(in(b)) + int(in(c)); };
    switch (m) {
        case RuleMeasure::Sum: return {a + b + c};
        case RuleMeasure::SumTail: return {(a + b + c) % 10};
        case RuleMeasure::Span: return {std::max({a, b, c}) - std::min({a, b, c})};
        case RuleMeasure::Hundreds: return {a};
        case RuleMeasure::Tens: return {b};
        case RuleMeasure::Units: return {c};
        case RuleMeasure::Digits: return {a, b, c};
        case RuleMeasure::Form: {
            const std::size_t distinct = std::set<int>{a, b, c}.size();
            return {distinct == 3 ? 0 : distinct == 2 ? 1 : 2};
        }
        case RuleMeasure::Big: return {count([](int d) { return d >= 5; })};
        case RuleMeasure::Odd: return {count([](int d) { return d % 2 == 1; })};
        case RuleMeasure::Prime: return {count([](int d) { return d == 1 || d == 2 || d == 3 || d == 5 || d == 7; })};
        case RuleMeasure::Road: return {9 * (a % 3) + 3 * (b % 3) + c % 3};
    }
    return {};
}

}  // namespace tarnel::testing
