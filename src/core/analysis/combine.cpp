#include "core/analysis/combine.h"

#include <algorithm>
#include <bit>

#include "core/rules/text.h"
#include "core/files/history_order.h"
#include "core/files/scheme.h"
#include "core/state/past_draw_rules.h"
#include "core/state/shrink.h"

namespace tarnel {

NumberSet combineResults(std::span<const NumberSet> results, int tolerance) {
    const int n = static_cast<int>(results.size());
    if (n == 0 || tolerance < 0 || tolerance >= n) return {};
    // planes[i] holds bit i of every number's count.
    const int width = std::bit_width(static_cast<unsigned>(n));
    std::vector<NumberSet> planes(static_cast<std::size_t>(width));
    for (const NumberSet& result : results) {
        NumberSet carry = result;
        for (NumberSet& plane : planes) {
            const NumberSet next = plane & carry;
            plane ^= carry;
            carry = next;
            if (carry.none()) break;
        }
    }
    // count ≥ threshold, decided from the highest bit down: `greater` once a
    // higher bit of the count exceeds the threshold's, `equal` while all agree.
    const unsigned threshold = static_cast<unsigned>(n - tolerance);
    NumberSet greater;
    NumberSet equal;
    equal.set();
    for (int bit = width - 1; bit >= 0; --bit) {
        const NumberSet& plane = planes[static_cast<std::size_t>(bit)];
        if ((threshold >> bit) & 1u) {
            equal &= plane;
        } else {
            greater |= equal & plane;
            equal &= ~plane;
        }
    }
    return greater | equal;
}

// Without past draws no rule is ready: the rules rule out nothing.
NumberSet mainSurvivors(const MainConditions& conditions) { return mainSurvivors(conditions, {}); }

NumberSet mainSurvivors(const MainConditions& conditions, std::span<const int> past) {
    NumberPool pool;
    runMain(pool, conditions, ruleRows(conditions, past));
    NumberSet alive;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (pool.alive(i)) alive.set(static_cast<std::size_t>(i));
    return alive;
}

SchemeOutcome runSchemeText(std::string_view bytes) {
    SchemeReading reading = readScheme(bytes);
    if (!reading.scheme) return {std::nullopt, std::move(reading.error)};
    return {mainSurvivors(reading.scheme->main), {}};
}

SchemeOutcome runSchemeText(std::string_view bytes, std::span<const int> past) {
    SchemeReading reading = readScheme(bytes);
    if (!reading.scheme) return {std::nullopt, std::move(reading.error)};
    return {mainSurvivors(reading.scheme->main, past), {}};
}

std::string numberSetText(const NumberSet& numbers) {
    std::string text;
    text.reserve(numbers.count() * 4);
    for (int i = 0; i < NumberPool::kSize; ++i) {
        if (!numbers[static_cast<std::size_t>(i)]) continue;
        if (!text.empty()) text += ' ';
        text += numberText(i, 3);
    }
    return text;
}

// ---- a combination against past draws ----------------------------------------

CombinationBacktest backtestCombination(std::span<const NumberSet> results, int tolerance, const History& history,
                                        const MoneySettings& money) {
    CombinationBacktest b;
    b.skipped = history.skipped;
    b.schemes = static_cast<int>(results.size());
    const NumberSet combined = combineResults(results, tolerance);
    MoneyReport report = backtestMoney(history, Bets::main(combined, BetKind::Direct), money);
    b.money = report.totals;
    b.draws.reserve(history.draws.size());
    for (std::size_t i = 0; i < history.draws.size(); ++i) {
        const Draw& draw = history.draws[i];
        const auto n = static_cast<std::size_t>(std::stoi(draw.number));
        CombinedDraw d{draw, combined[n], 0, report.draws[i]};
        for (const NumberSet& r : results) d.holders += r[n] ? 1 : 0;
        b.kept += d.kept ? 1 : 0;
        b.draws.push_back(std::move(d));
    }
    // The newest miss, and how many draws came after it.
    const std::vector<std::size_t> order = timeOrder(history);
    for (std::size_t t = order.size(); t-- > 0;) {
        if (!b.draws[order[t]].kept) {
            b.lastMiss = static_cast<int>(order[t]);
            b.drawsAfterLastMiss = static_cast<int>(order.size() - 1 - t);
            break;
        }
    }
    return b;
}

}  // namespace tarnel
