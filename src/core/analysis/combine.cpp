#include "core/analysis/combine.h"

#include <algorithm>
#include <bit>

#include "core/rules/text.h"
#include "core/analysis/walk_forward.h"
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
        CombinedDraw d{draw, false, combined[n], 0, report.draws[i]};
        for (const NumberSet& r : results) d.holders += r[n] ? 1 : 0;
        b.kept += d.kept ? 1 : 0;
        b.draws.push_back(std::move(d));
    }
    b.total = static_cast<int>(b.draws.size());
    b.next.assign(results.begin(), results.end());
    b.nextCombined = combined;
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

CombinationBacktest backtestCombination(std::span<const MainConditions> schemes, int tolerance, const History& history,
                                        const MoneySettings& money) {
    if (std::all_of(schemes.begin(), schemes.end(), [](const MainConditions& c) { return c.rules.empty(); })) {
        // Nothing looks back: the same numbers for every draw.
        std::vector<NumberSet> results;
        for (const MainConditions& c : schemes) results.push_back(mainSurvivors(c));
        return backtestCombination(results, tolerance, history, money);
    }
    CombinationBacktest b;
    b.skipped = history.skipped;
    b.schemes = static_cast<int>(schemes.size());
    // One walk per scheme: its fixed rows once, its rules draw by draw.
    std::vector<WalkForward> walks;
    walks.reserve(schemes.size());
    for (const MainConditions& c : schemes) walks.emplace_back(c, BetKind::Direct, money);
    std::vector<NumberSet> results(schemes.size());
    const auto runAll = [&] {
        for (std::size_t k = 0; k < walks.size(); ++k) results[k] = walks[k].survivorsForNext();
    };
    b.draws.resize(history.draws.size());
    MoneyTally tally;
    bool haveBets = false;
    NumberSet betsFor;
    Bets bets;
    for (std::size_t i : timeOrder(history)) {
        const Draw& draw = history.draws[i];
        const int number = (draw.number[0] - '0') * 100 + (draw.number[1] - '0') * 10 + (draw.number[2] - '0');
        const auto n = static_cast<std::size_t>(number);
        CombinedDraw& d = b.draws[i];
        d.draw = draw;
        d.warmup = !std::all_of(walks.begin(), walks.end(), [](const WalkForward& w) { return w.ready(); });
        if (d.warmup) {
            ++b.warmup;
        } else {
            runAll();
            const NumberSet combined = combineResults(results, tolerance);
            if (!haveBets || combined != betsFor) {
                bets = Bets::main(combined, BetKind::Direct);
                betsFor = combined;
                haveBets = true;
            }
            d.kept = combined[n];
            for (const NumberSet& r : results) d.holders += r[n] ? 1 : 0;
            d.money = drawMoney(bets, number, money);
            tally.add(d.money);
            ++b.total;
            b.kept += d.kept ? 1 : 0;
        }
        for (WalkForward& w : walks) w.skip(number);
    }
    // Added in time order: the run without a hit at the end is the newest.
    b.money = tally.totals(false);
    runAll();
    b.next = results;
    b.nextCombined = combineResults(results, tolerance);
    // The newest scored miss, and how many scored draws came after it.
    const std::vector<std::size_t> order = timeOrder(history);
    int after = 0;
    for (std::size_t t = order.size(); t-- > 0;) {
        const CombinedDraw& d = b.draws[order[t]];
        if (d.warmup) continue;
        if (!d.kept) {
            b.lastMiss = static_cast<int>(order[t]);
            b.drawsAfterLastMiss = after;
            break;
        }
        ++after;
    }
    return b;
}

}  // namespace tarnel
