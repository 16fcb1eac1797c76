#include "core/analysis/condition_report.h"

#include <bitset>

#include "core/rules/text.h"
#include "core/state/input_feedback.h"

namespace tarnel {

ConditionStatistics conditionStatistics(const ShrinkInputs& in, const RowKills& kills, int tolerance) {
    ConditionStatistics s;
    const NumberSet outside = kills.sourceKills();
    const auto add = [&](int row, std::string_view name, const NumberSet& killed, bool source) {
        s.rows.push_back({row, static_cast<int>(killed.count()), source ? -1 : static_cast<int>((killed & ~outside).count()),
                          std::string(name)});
        if (!source) ++s.conditionRows;
    };
    for (const ConditionRow& row : namedRows())
        if (row.isSet(in)) add(rowNumber(row.id), row.playerName, kills[row.id], row.kind == RowKind::PoolSource);
    for (const ExtraRow& e : kills.extra)
        if (e.ready) add(e.number, e.name, e.kills, false);
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
    const auto n = static_cast<std::size_t>(number);
    for (const ConditionRow& row : namedRows()) {
        if (!kills[row.id].test(n)) continue;
        d.rows.push_back(rowNumber(row.id));
        (row.kind == RowKind::PoolSource ? d.sourceNames : d.conditionNames).emplace_back(row.playerName);
    }
    for (const ExtraRow& e : kills.extra) {
        if (!e.effectiveKills().test(n)) continue;
        d.rows.push_back(e.number);
        d.conditionNames.push_back(e.name);
    }
    d.inPool = d.sourceNames.empty();
    d.conditions = static_cast<int>(d.conditionNames.size());
    d.survives = survivesWithTolerance(kills, number, tolerance);
    return d;
}

}  // namespace tarnel
