#include "core/analysis/condition_report.h"

#include <bitset>

#include "core/rules/text.h"
#include "core/state/input_feedback.h"

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
    forEachDigitRun(text, [&](std::string_view run) {
        if (run.size() != 3) {
            ++reading.ignored;
            return true;
        }
        ++reading.found;
        const int n = threeDigitValue(run);
        if (!seen.test(static_cast<std::size_t>(n))) {
            seen.set(static_cast<std::size_t>(n));
            reading.numbers.push_back(n);
        }
        return true;
    });
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
