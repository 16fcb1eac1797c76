#include "core/state/past_draw_rule.h"

#include <vector>

#include "core/rules/digits.h"

namespace tarnel {

std::optional<RuleMeasure> measureByKey(std::string_view key) {
    for (const RuleMeasureInfo& m : kRuleMeasures)
        if (m.key == key) return m.measure;
    return std::nullopt;
}

bool ruleIsValid(const PastDrawRule& r) {
    if (static_cast<int>(r.measure) < 0 || static_cast<int>(r.measure) >= kRuleMeasureCount) return false;
    if (r.draws < 1 || r.draws > kRuleMaxDraws) return false;
    if (r.from == RuleSource::Recent) return r.min == 0 && r.max == 0;
    return r.min >= 0 && r.min <= r.max && r.max <= r.draws;
}

std::string ruleSentence(const PastDrawRule& r) {
    std::string s = r.action == RuleAction::Kill ? "杀 " : "保留 ";
    if (r.from == RuleSource::Recent) {
        s += "最近 " + std::to_string(r.draws) + " 期出现过的 ";
    } else {
        s += "遗漏 " + std::to_string(r.min);
        if (r.max != r.min) s += "\u2013" + std::to_string(r.max);
        s += " 期的 ";
    }
    s += measureInfo(r.measure).name;
    return s;
}

namespace {

std::uint32_t valuesOf(RuleMeasure m, int a, int b, int c) {
    const auto bit = [](int v) { return std::uint32_t(1) << v; };
    switch (m) {
        case RuleMeasure::Sum: return bit(digitSum(a, b, c));
        case RuleMeasure::SumTail: return bit(sumTail(a, b, c));
        case RuleMeasure::Span: return bit(span(a, b, c));
        case RuleMeasure::Hundreds: return bit(a);
        case RuleMeasure::Tens: return bit(b);
        case RuleMeasure::Units: return bit(c);
        case RuleMeasure::Digits: return bit(a) | bit(b) | bit(c);
        case RuleMeasure::Form: {
            const int equalPairs = (a == b) + (b == c) + (a == c);
            return bit(equalPairs == 3 ? 2 : equalPairs == 1 ? 1 : 0);
        }
        case RuleMeasure::Big: return bit(isBig(a) + isBig(b) + isBig(c));
        case RuleMeasure::Odd: return bit(isOdd(a) + isOdd(b) + isOdd(c));
        case RuleMeasure::Prime: return bit(isPrime(a) + isPrime(b) + isPrime(c));
        case RuleMeasure::Road: return bit(9 * road(a) + 3 * road(b) + road(c));
    }
    return 0;
}

}  // namespace

std::uint32_t measureValues(RuleMeasure measure, int number) {
    static const auto table = [] {
        std::vector<std::uint32_t> t(std::size_t(kRuleMeasureCount) * 1000);
        for (int m = 0; m < kRuleMeasureCount; ++m)
            for (int n = 0; n < 1000; ++n)
                t[std::size_t(m) * 1000 + std::size_t(n)] = valuesOf(static_cast<RuleMeasure>(m), n / 100, n / 10 % 10, n % 10);
        return t;
    }();
    if (number < 0 || number >= 1000) return 0;
    return table[std::size_t(static_cast<int>(measure)) * 1000 + std::size_t(number)];
}

}  // namespace tarnel
