#include "analysis/condition_report.h"

#include <bitset>

#include "common/text.h"
#include "run/input_feedback.h"

namespace tarnel {

ConditionStatistics conditionStatistics(const ShrinkInputs& in, const RowKills& kills, int tolerance) {
    ConditionStatistics s;
    const NumberSet outside = kills.sourceKills();
    for (int r = kFirstSourceRow; r <= kLastConditionRow; ++r) {
        if (!rowIsSet(r, in)) continue;
        const bool source = r < kFirstConditionRow;
        s.rows.push_back({r, static_cast<int>(kills.row(r).count()),
                          source ? -1 : static_cast<int>((kills.row(r) & ~outside).count())});
        if (!source) ++s.conditionRows;
    }
    s.poolSize = static_cast<int>((~outside).count());
    s.kept = static_cast<int>(survivorsWithTolerance(kills, tolerance).count());
    s.tolerance = tolerance;
    return s;
}

NumberReading readNumbers(std::string_view text) {
    NumberReading reading;
    std::bitset<1000> seen;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isAsciiDigit(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && isAsciiDigit(text[i])) ++i;
        if (i - start != 3) {
            ++reading.ignored;
            continue;
        }
        ++reading.found;
        const int n = (text[start] - '0') * 100 + (text[start + 1] - '0') * 10 + (text[start + 2] - '0');
        if (!seen.test(static_cast<std::size_t>(n))) {
            seen.set(static_cast<std::size_t>(n));
            reading.numbers.push_back(n);
        }
    }
    reading.fullWidth = hasFullWidthDigit(text);
    return reading;
}

NumberDiagnosis diagnoseNumber(const RowKills& kills, int number, int tolerance) {
    NumberDiagnosis d;
    d.number = number;
    d.rows = kills.killedBy(number);
    d.inPool = !kills.sourceKills().test(static_cast<std::size_t>(number));
    for (int r : d.rows) d.conditions += r >= kFirstConditionRow ? 1 : 0;
    d.survives = survivesWithTolerance(kills, number, tolerance);
    return d;
}

}  // namespace tarnel
