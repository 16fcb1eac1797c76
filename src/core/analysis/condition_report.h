#pragma once
// What the statistics window (条件统计) and the number diagnosis (号码诊断)
// show, read off the rows' kill sets: for each row with inputs set how many
// numbers it rules out, and for a number whether it survives and which rows
// rule it out.

#include <string>
#include <string_view>
#include <vector>

#include "core/state/shrink.h"

namespace tarnel {

// One row with inputs set.
struct RowStatistic {
    int row = 0;        // as it prints: 2..28, extra rows 101…
    int kills = 0;      // of all 1000 numbers, those this row rules out on its own
    int poolKills = 0;  // of the numbers both pool sources keep; -1 for a pool source
    std::string name;   // the player's name of the row
};

struct ConditionStatistics {
    std::vector<RowStatistic> rows;  // the rows with inputs set, ascending, then the ready extra rows
    int poolSize = 0;                // numbers both pool sources keep (大底内)
    int kept = 0;                    // numbers surviving with the tolerance
    int tolerance = 0;
    int conditionRows = 0;           // how many of `rows` are conditions (4..28, extra rows)
};

ConditionStatistics conditionStatistics(const ShrinkInputs& in, const RowKills& kills, int tolerance);

// The numbers a player typed: every maximal run of exactly three ASCII
// digits, whatever separates them.
struct NumberReading {
    std::vector<int> numbers;  // distinct, in the order first read
    int found = 0;             // runs of three digits, repeats included
    int ignored = 0;           // runs of ASCII digits of any other length
    bool fullWidth = false;    // the text holds full-width digits (０..９), which are not read
};
NumberReading readNumbers(std::string_view text);

// One number as the diagnosis shows it.
struct NumberDiagnosis {
    int number = 0;
    bool survives = false;  // with the tolerance
    bool inPool = false;    // both pool sources keep it
    std::vector<int> rows;  // the rows that rule it out, as RowKills::killedBy lists them
    int conditions = 0;     // how many of `rows` are conditions (4..28, extra rows)
    std::vector<std::string> sourceNames;     // the pool sources of `rows`, by name
    std::vector<std::string> conditionNames;  // the conditions of `rows`, by name
};
NumberDiagnosis diagnoseNumber(const RowKills& kills, int number, int tolerance);

}  // namespace tarnel
