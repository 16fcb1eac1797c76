#pragma once
// The rows of the run, one entry each: what a row is called, where its
// controls sit, what it reads, when it counts as set and what it rules out.
// The run, tolerance, statistics, explanations, feedback, tab marks, trends
// and backtests all walk this one table; adding a condition is one entry
// here, its rule and its panel.
//
// Rows are named by `RowId`. The numbers players and files know them by
// (1 pool initialisation … 29 output) are only how an id prints, written in
// kRowNumbers beside each id; rowNumber() and rowOfNumber() read them.
//
// Rows decided at run time (rules that follow past draws) come after the
// fixed rows as `ExtraRow`s: conditions like the 25, each with the number
// it prints as (101, 102, …), a name, a page and its kill set.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/number_pool.h"

namespace tarnel {

struct ShrinkInputs;
struct ShrinkResult;

enum class RowId : std::uint8_t {
    PoolStart,            // 号码初始化
    CompoundDigits,       // 复式输入
    BaseList,             // 大底号码
    DirectNumbers,        // 杀直选
    JunkCompounds,        // 垃圾复式
    KillPairs,            // 杀2码
    MustPairs,            // 必出2码
    PositionalPairKill,   // 定位杀2码
    PairSumsAndDiffs,     // 两码和差
    PairSumTails,         // 两码合排除
    PositionMatch,        // 位置匹配
    PositionalPairs,      // 定位2码
    PositionalGrid,       // 定位容对
    AnyTwoSumTails,       // 任意两码合保留
    SumTails,             // 杀和尾
    Spans,                // 杀跨度
    BankerDigits,         // 胆码
    Sums,                 // 和值
    CompoundExclude,      // 排除复式
    PositionKill,         // 定位杀
    BankerGroups,         // 胆组
    AcValues,             // AC值
    BigSmall,             // 大小形态
    OddEven,              // 奇偶形态
    PrimeComposite,       // 质合形态
    Roads,                // 012路
    Forms,                // 特别排除(形态)
    Shapes,               // 特别排除(走势)
    Output,               // 输出
};
inline constexpr int kRowCount = static_cast<int>(RowId::Output) + 1;

// What part a row plays in a run.
enum class RowKind : std::uint8_t {
    Start,       // fills the pool
    PoolSource,  // decides which numbers the pool holds: always applies, never tolerated
    Condition,   // rules numbers out; tolerance counts these
    Output,      // writes the survivors
};

// A control a row reads, as the scheme file names it: `control` alone, or
// `control[first]` … `control[last]`.
struct RowKey {
    std::string_view control;
    int first = -1;  // -1: a control without an index
    int last = -1;
};

struct ConditionRow {
    RowId id;
    RowKind kind;
    std::string_view name;        // the stage as logs and tests name it
    std::string_view playerName;  // as statistics, explanations and `tarnel-cli rows` show it
    int page;                     // the tab page holding its controls, -1 when always in sight
    std::span<const RowKey> keys;
    // The stage: reads its own inputs and kills in the pool (the output row
    // writes the result instead).
    void (*run)(NumberPool& pool, const ShrinkInputs& in, ShrinkResult& out);
    // Whether the player has set it (a box with digits, a ticked box, a
    // selected button). A row that is not set rules out nothing.
    bool (*isSet)(const ShrinkInputs& in);
    // What it rules out, taken straight from ready sets, or null where only
    // running the stage on a full pool tells.
    NumberSet (*killSet)(const ShrinkInputs& in);
};

extern const std::array<ConditionRow, kRowCount> kRows;

inline const ConditionRow& conditionRow(RowId id) { return kRows[static_cast<std::size_t>(id)]; }

// How each row prints, written once beside its id. Files, `tarnel-cli` and
// the backtests name rows by these numbers, so a new row takes a number of
// its own and no published number ever moves; the checks below hold every
// number to one row at compile time.
struct RowNumber {
    RowId id;
    int number;
};
inline constexpr std::array<RowNumber, kRowCount> kRowNumbers = {{
    {RowId::PoolStart, 1},         {RowId::CompoundDigits, 2},     {RowId::BaseList, 3},
    {RowId::DirectNumbers, 4},     {RowId::JunkCompounds, 5},      {RowId::KillPairs, 6},
    {RowId::MustPairs, 7},         {RowId::PositionalPairKill, 8}, {RowId::PairSumsAndDiffs, 9},
    {RowId::PairSumTails, 10},     {RowId::PositionMatch, 11},     {RowId::PositionalPairs, 12},
    {RowId::PositionalGrid, 13},   {RowId::AnyTwoSumTails, 14},    {RowId::SumTails, 15},
    {RowId::Spans, 16},            {RowId::BankerDigits, 17},      {RowId::Sums, 18},
    {RowId::CompoundExclude, 19},  {RowId::PositionKill, 20},      {RowId::BankerGroups, 21},
    {RowId::AcValues, 22},         {RowId::BigSmall, 23},          {RowId::OddEven, 24},
    {RowId::PrimeComposite, 25},   {RowId::Roads, 26},             {RowId::Forms, 27},
    {RowId::Shapes, 28},           {RowId::Output, 29},
}};
// The highest number a fixed row prints as; rows added at run time print
// from 101 on, above every fixed row.
inline constexpr int kMaxRowNumber = [] {
    int most = 0;
    for (const RowNumber& r : kRowNumbers) most = r.number > most ? r.number : most;
    return most;
}();

// Whether a table of printed numbers names every row once, gives no two
// rows the same number, and keeps to 1..100 (101 on belongs to the rows
// added at run time).
constexpr bool validRowNumbers(std::span<const RowNumber> table) {
    if (table.size() != std::size_t(kRowCount)) return false;
    for (int id = 0; id < kRowCount; ++id) {
        int seen = 0;
        for (const RowNumber& r : table) seen += static_cast<int>(r.id) == id;
        if (seen != 1) return false;
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].number < 1 || table[i].number > 100) return false;
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (table[i].number == table[j].number) return false;
    }
    return true;
}
static_assert(validRowNumbers(kRowNumbers), "every row prints as a number of its own, from 1 to 100");

// How a row prints, and back.
constexpr int rowNumber(RowId id) {
    for (const RowNumber& r : kRowNumbers)
        if (r.id == id) return r.number;
    return 0;
}
constexpr std::optional<RowId> rowOfNumber(int number) {
    for (const RowNumber& r : kRowNumbers)
        if (r.number == number) return r.id;
    return std::nullopt;
}

constexpr bool isPoolSource(RowId id) {
    return id == RowId::CompoundDigits || id == RowId::BaseList;
}
constexpr bool isCondition(RowId id) { return id > RowId::BaseList && id < RowId::Output; }

// How many fixed conditions there are (the most a tolerance can forgive of them).
inline constexpr int kConditionRowCount = static_cast<int>(RowId::Output) - static_cast<int>(RowId::DirectNumbers);

// The pool sources and conditions (the rows an answer names), in order.
std::span<const ConditionRow> namedRows();
// The conditions alone, in order.
std::span<const ConditionRow> conditionRows();

// The scheme keys a row reads, one per control ("T_lm_he[0]", …).
std::vector<std::string> rowControlNames(RowId id);

// What one row rules out on its own: its kill set where it has one, else
// its stage run on a full pool. The first and last rows rule out nothing.
NumberSet rowKills(RowId id, const ShrinkInputs& in);
// The same, always by running the stage on a full pool.
NumberSet stageKills(RowId id, const ShrinkInputs& in);

// ---- rows added at run time -------------------------------------------------------

// A condition decided at run time, after the fixed rows. A row that is not
// ready rules out nothing, whatever `kills` holds.
struct ExtraRow {
    int number = 0;     // as it prints: 101, 102, …
    std::string name;   // as the player reads it
    int page = -1;      // the tab page holding it, -1 when always in sight
    bool ready = true;
    NumberSet kills;

    const NumberSet& effectiveKills() const;
};

}  // namespace tarnel
