#include "run/combine.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/text.h"
#include "run/scheme.h"
#include "run/shrink.h"

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

NumberSet mainSurvivors(const MainConditions& conditions) {
    NumberPool pool;
    runMain(pool, conditions);
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

namespace {

// Compares two issues (ASCII digit strings) as whole numbers of any length.
int compareIssues(std::string_view a, std::string_view b) {
    const auto strip = [](std::string_view s) {
        const std::size_t first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : s.substr(first);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

std::vector<std::size_t> timeOrder(const History& history) {
    const std::vector<Draw>& draws = history.draws;
    std::vector<std::size_t> order(draws.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    bool falling = !draws.empty() && std::all_of(draws.begin(), draws.end(), [](const Draw& d) { return !d.issue.empty(); });
    for (std::size_t i = 1; falling && i < draws.size(); ++i)
        falling = compareIssues(draws[i - 1].issue, draws[i].issue) > 0;
    if (falling) std::reverse(order.begin(), order.end());
    return order;
}

CombinationBacktest backtestCombination(std::span<const NumberSet> results, int tolerance, const History& history,
                                        const BetPrices& prices) {
    CombinationBacktest b;
    b.skipped = history.skipped;
    b.schemes = static_cast<int>(results.size());
    const NumberSet combined = combineResults(results, tolerance);
    const int bets = static_cast<int>(combined.count());
    b.draws.reserve(history.draws.size());
    for (const Draw& draw : history.draws) {
        const auto n = static_cast<std::size_t>(std::stoi(draw.number));
        CombinedDraw d;
        d.draw = draw;
        d.kept = combined[n];
        for (const NumberSet& r : results) d.holders += r[n] ? 1 : 0;
        d.bets = bets;
        d.win = d.kept ? prices.directPrize : 0;
        b.kept += d.kept ? 1 : 0;
        b.draws.push_back(std::move(d));
    }

    // Every draw bets the same numbers: p is the same for each.
    const double p = bets / 1000.0;
    CombinationMoney& m = b.money;
    int run = 0;
    for (std::size_t index : timeOrder(history)) {
        const CombinedDraw& d = b.draws[index];
        m.bets += d.bets;
        m.cost += d.bets * prices.price;
        m.win += d.win;
        m.expectedHits += p;
        m.sdHits += p * (1 - p);  // the variance until the end
        m.expectedWin += p * prices.directPrize;
        if (d.kept) {
            ++m.hits;
            run = 0;
        } else {
            b.lastMiss = static_cast<int>(index);
            b.drawsAfterLastMiss = 0;
            m.longestMiss = std::max(m.longestMiss, ++run);
            continue;
        }
        ++b.drawsAfterLastMiss;
    }
    m.currentMiss = run;
    m.net = m.win - m.cost;
    m.sdHits = std::sqrt(m.sdHits);
    b.longestMissRun = m.longestMiss;
    return b;
}

}  // namespace tarnel
