#pragma once
// The shrink run (缩水): rebuild the pool, let every condition stage kill,
// write the survivors. The stage table fixes the order.

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>
#include <string>
#include <string_view>

#include "core/rules/digit_properties.h"
#include "core/rules/number_lists.h"
#include "core/rules/pool_sources.h"
#include "core/rules/positional.h"
#include "core/rules/number_pool.h"
#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"

namespace tarnel {

// Everything the stages read, derived from the condition state once per run.
struct ShrinkInputs {
    PoolSourceInputs source;
    NumberListInputs lists;
    PositionalInputs positional;
    DigitPropertyInputs digits;
};

// What the output stage writes: T_dadi_output and T_dadi_zhushu.
struct ShrinkResult {
    std::string text;
    int count = 0;
};

inline constexpr std::string_view kNoSurvivorNotice =
    "没有符合条件的号码，请检测过滤条件\r\n\r\n注意：同一条件下的选项不要全部打勾，否则得0注";

// The stage table is the row registry (core/state/condition_rows.h), in order.
using Stage = ConditionRow;
inline constexpr int kStageCount = kRowCount;
inline constexpr const std::array<Stage, kStageCount>& kStageTable = kRows;

// Runs the whole table. `afterStage`, when set, is called with the 0-based
// row index after each row (used to observe a run). Extra rows, the ready
// ones, rule out their numbers after the last condition, before the output.
ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in,
                       const std::function<void(int)>& afterStage = {});
ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in, std::span<const ExtraRow> extra,
                       const std::function<void(int)>& afterStage = {});

// The output stage on its own: survivors ascending, single spaces, count.
ShrinkResult outputResult(const NumberPool& pool);

// Direct → group conversion (直选转组选) of the survivors of a finished run.
// Sorts each survivor's digits in the pool; group forms appear in the order
// of the first survivor producing them. No survivor gives "" and 0.
ShrinkResult convertToGroups(NumberPool& pool);

// ---- a run from the condition state ----------------------------------------

// The stage inputs of a condition state (reading them changes nothing).
ShrinkInputs shrinkInputs(const MainConditions& conditions);

// ---- rows one at a time: tolerance (容错) and explanations -------------------

// Rows as players and files number them (rowNumber of the registry): 2 and 3
// are the pool sources, 4..28 the conditions.
inline constexpr int kFirstSourceRow = rowNumber(RowId::CompoundDigits);
inline constexpr int kFirstConditionRow = rowNumber(RowId::DirectNumbers);
inline constexpr int kLastConditionRow = rowNumber(RowId::Shapes);
inline constexpr int kMaxTolerance = kConditionRowCount;

// What each row rules out on its own. Every stage decides a number from its
// own digits and the row's inputs, so the run keeps exactly the numbers no
// row rules out, and tolerance can count the rows that do. Extra rows count
// as conditions after the fixed ones.
struct RowKills {
    std::array<NumberSet, kStageCount> byRow;  // by row id
    std::vector<ExtraRow> extra;               // rows added at run time, in order

    const NumberSet& operator[](RowId id) const { return byRow[static_cast<std::size_t>(id)]; }
    // By the number a fixed row prints as.
    const NumberSet& row(int row1) const { return byRow[static_cast<std::size_t>(row1 - 1)]; }
    NumberSet sourceKills() const { return (*this)[RowId::CompoundDigits] | (*this)[RowId::BaseList]; }
    // How many of the conditions (the 25 and the ready extra rows) rule out each number.
    std::array<std::uint8_t, NumberPool::kSize> conditionCounts() const;
    // The rows that rule out `number`, as they print: 2..28 ascending, then
    // the extra rows in order.
    std::vector<int> killedBy(int number) const;
    // The conditions (extra rows included) that rule out `number`.
    int conditionsAgainst(int number) const;
};

// `afterRow`, when set, is called with the 0-based row index after each row.
RowKills computeRowKills(const ShrinkInputs& in, const std::function<void(int)>& afterRow = {});
RowKills computeRowKills(const ShrinkInputs& in, std::span<const ExtraRow> extra,
                         const std::function<void(int)>& afterRow = {});

// With tolerance k a number survives when both pool sources keep it and at
// most k of the conditions rule it out; k = 0 is the plain run.
NumberSet survivorsWithTolerance(const RowKills& kills, int tolerance);

// The same counted in two steps: the fixed rows of `kills` once (its extra
// rows are not read), then any extra rows per call, for runs that change
// only their extra rows (a walk-forward backtest, draw after draw).
class FixedRowTolerance {
public:
    FixedRowTolerance(const RowKills& kills, int tolerance);
    NumberSet survivors(std::span<const ExtraRow> extra);

private:
    int tolerance_ = 0;
    NumberSet sources_;               // what the pool sources keep
    std::vector<NumberSet> atLeast_;  // [j]: the numbers at least j fixed conditions rule out, j = 0..min(k, 25) + 1
    std::vector<NumberSet> counted_;  // the same with the extra rows of the last call, j = 0..k + 1
};

// The run with tolerance k, as the start button performs it. With k = 0 it
// is runShrink; otherwise the pool keeps survivorsWithTolerance.
ShrinkResult runWithTolerance(NumberPool& pool, const ShrinkInputs& in, int tolerance,
                              const std::function<void(int)>& afterStage = {});
ShrinkResult runWithTolerance(NumberPool& pool, const ShrinkInputs& in, int tolerance,
                              std::span<const ExtraRow> extra, const std::function<void(int)>& afterStage = {});
bool survivesWithTolerance(const RowKills& kills, int number, int tolerance);

// Row r (0-based index into the stage table) applied alone to a fresh full
// pool: the numbers it kills. The first and last rows kill nothing.
NumberSet rowKillSet(int row, const ShrinkInputs& in);

// The player's name of a row by the number it prints as (2..28), as
// statistics and explanations show it; empty for any other number.
std::string_view rowName(int row1);
// Whether a row (by the number it prints as) has inputs set: the rows the
// statistics list.
bool rowIsSet(int row1, const ShrinkInputs& in);

// ---- a run from the condition state ------------------------------------------

// A whole run as the start button performs it: the result, the stage inputs
// it read (for statistics and explanations), and the texts of the boxes a
// run rewrites, which the window writes back.
struct MainRun {
    ShrinkResult result;
    ShrinkInputs inputs;
    int tolerance = 0;
    std::vector<ExtraRow> extra;                              // the rows added at run time it counted
    std::array<std::string, kPairValueBoxes> pairValueTexts;  // T_lm_he, cleaned
    std::array<std::string, 3> pairListTexts;                 // T_main_dw2m, cleaned
};
MainRun runMain(NumberPool& pool, const MainConditions& conditions,
                const std::function<void(int)>& afterStage = {});
// The same with rows added at run time, which tolerance counts with the conditions.
MainRun runMain(NumberPool& pool, const MainConditions& conditions, std::span<const ExtraRow> extra,
                const std::function<void(int)>& afterStage = {});

}  // namespace tarnel
