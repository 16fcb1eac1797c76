#include "core/state/shrink.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstring>
#include <optional>

#include "core/rules/text.h"

namespace tarnel {

ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in, const std::function<void(int)>& afterStage) {
    return runShrink(pool, in, {}, afterStage);
}

ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in, std::span<const ExtraRow> extra,
                       const std::function<void(int)>& afterStage) {
    // A row not set rules out nothing, so only the set rows work; a row
    // with a ready kill set rules its numbers out word by word.
    ShrinkResult result;
    constexpr int output = static_cast<int>(RowId::Output);
    for (int r = 0; r < output; ++r) {
        const ConditionRow& row = kRows[static_cast<std::size_t>(r)];
        if (row.kind == RowKind::Start)
            row.run(pool, in, result);
        else if (row.isSet(in))
            row.killSet ? pool.killAll(row.killSet(in)) : row.run(pool, in, result);
        if (afterStage) afterStage(r);
    }
    for (const ExtraRow& e : extra)
        if (e.ready) pool.killAll(e.kills);
    result = outputResult(pool);
    if (afterStage) afterStage(output);
    return result;
}

ShrinkInputs shrinkInputs(const MainConditions& c) {
    ShrinkInputs in;
    in.source = c.sources;
    in.lists = c.lists;
    for (auto& text : in.lists.pairValues) text = normalizeValueList(text);
    in.positional = positionalInputs(c.positional);
    in.digits = c.digits;
    return in;
}

NumberSet rowKillSet(int row, const ShrinkInputs& in) {
    if (row < 0 || row >= kRowCount) return {};
    return stageKills(static_cast<RowId>(row), in);
}

RowKills computeRowKills(const ShrinkInputs& in, const std::function<void(int)>& afterRow) {
    return computeRowKills(in, {}, afterRow);
}

RowKills computeRowKills(const ShrinkInputs& in, std::span<const ExtraRow> extra,
                         const std::function<void(int)>& afterRow) {
    RowKills kills;
    NumberPool pool;
    ShrinkResult unused;
    for (const ConditionRow& row : kRows) {
        const auto i = static_cast<std::size_t>(row.id);
        if (row.kind == RowKind::Output) break;
        // The first row and the rows not set rule out nothing.
        if (row.kind != RowKind::Start && row.isSet(in)) {
            if (row.killSet) {
                kills.byRow[i] = row.killSet(in);
            } else {
                row.run(pool, in, unused);
                kills.byRow[i] = pool.takeKilled();
            }
        }
        if (afterRow) afterRow(static_cast<int>(i));
    }
    kills.extra.assign(extra.begin(), extra.end());
    return kills;
}

std::array<std::uint8_t, NumberPool::kSize> RowKills::conditionCounts() const {
    std::array<std::uint8_t, NumberPool::kSize> counts{};
    const auto add = [&counts](const NumberSet& set) { forEachNumber(set, [&counts](std::size_t n) { ++counts[n]; }); };
    for (const ConditionRow& row : conditionRows()) add((*this)[row.id]);
    for (const ExtraRow& e : extra) add(e.effectiveKills());
    return counts;
}

std::vector<int> RowKills::killedBy(int number) const {
    const auto n = static_cast<std::size_t>(number);
    std::vector<int> rows;
    for (const ConditionRow& row : namedRows())
        if ((*this)[row.id].test(n)) rows.push_back(rowNumber(row.id));
    for (const ExtraRow& e : extra)
        if (e.effectiveKills().test(n)) rows.push_back(e.number);
    return rows;
}

int RowKills::conditionsAgainst(int number) const {
    const auto n = static_cast<std::size_t>(number);
    int count = 0;
    for (const ConditionRow& row : conditionRows()) count += (*this)[row.id].test(n) ? 1 : 0;
    for (const ExtraRow& e : extra) count += e.effectiveKills().test(n) ? 1 : 0;
    return count;
}

namespace {

// atLeast[j] holds the numbers at least j rows rule out; one more row moves
// its numbers up a step, for every j the span keeps.
void countRow(std::span<NumberSet> atLeast, const NumberSet& row) {
    const NumberSet r = row;  // a copy of its own: the compiler need not fear that the counts overwrite it
    for (std::size_t j = atLeast.size() - 1; j >= 1; --j) atLeast[j] |= atLeast[j - 1] & r;
}

}  // namespace

FixedRowTolerance::FixedRowTolerance(const RowKills& kills, int tolerance)
    : tolerance_(std::max(tolerance, 0)), sources_(~kills.sourceKills()) {
    // Counts above k + 1 are never asked, and the fixed rows reach at most 25.
    atLeast_.assign(std::size_t(std::min(tolerance_, kMaxTolerance)) + 2, NumberSet());
    atLeast_[0].set();
    for (const ConditionRow& row : conditionRows()) countRow(atLeast_, kills[row.id]);
}

NumberSet FixedRowTolerance::survivors(std::span<const ExtraRow> extra) {
    if (tolerance_ == 0) {
        NumberSet out = sources_ & ~atLeast_[1];
        for (const ExtraRow& e : extra) out &= ~e.effectiveKills();
        return out;
    }
    if (tolerance_ >= kConditionRowCount + static_cast<int>(extra.size())) return sources_;
    const std::size_t top = std::size_t(tolerance_) + 1;
    if (extra.empty()) return sources_ & ~atLeast_[top];
    // The fixed rows' counts grown by the extra rows (beyond the 25 only
    // they reach a count), in a buffer kept from call to call.
    counted_.assign(atLeast_.begin(), atLeast_.end());
    counted_.resize(top + 1);
    const std::span<NumberSet> counted(counted_);
    for (const ExtraRow& e : extra)
        if (e.ready) countRow(counted, e.kills);
    return sources_ & ~counted[top];
}

NumberSet survivorsWithTolerance(const RowKills& kills, int tolerance) {
    return FixedRowTolerance(kills, tolerance).survivors(kills.extra);
}

bool survivesWithTolerance(const RowKills& kills, int number, int tolerance) {
    if (kills.sourceKills().test(static_cast<std::size_t>(number))) return false;
    return kills.conditionsAgainst(number) <= std::max(tolerance, 0);
}

ShrinkResult runWithTolerance(NumberPool& pool, const ShrinkInputs& in, int tolerance,
                              const std::function<void(int)>& afterStage) {
    return runWithTolerance(pool, in, tolerance, {}, afterStage);
}

ShrinkResult runWithTolerance(NumberPool& pool, const ShrinkInputs& in, int tolerance,
                              std::span<const ExtraRow> extra, const std::function<void(int)>& afterStage) {
    if (tolerance <= 0) return runShrink(pool, in, extra, afterStage);
    // Each row decides a number on its own, so the tolerant run is every
    // row's kills taken alone, then counted.
    const RowKills kills = computeRowKills(in, extra, afterStage);
    pool.resetTo(survivorsWithTolerance(kills, tolerance));
    ShrinkResult result = outputResult(pool);
    if (afterStage) afterStage(static_cast<int>(RowId::Output));
    return result;
}

MainRun runMain(NumberPool& pool, const MainConditions& conditions, const std::function<void(int)>& afterStage) {
    return runMain(pool, conditions, {}, afterStage);
}

MainRun runMain(NumberPool& pool, const MainConditions& conditions, std::span<const ExtraRow> extra,
                const std::function<void(int)>& afterStage) {
    MainRun run;
    run.inputs = shrinkInputs(conditions);
    run.tolerance = conditions.tolerance;
    run.extra.assign(extra.begin(), extra.end());
    run.pairValueTexts = run.inputs.lists.pairValues;
    run.pairListTexts = run.inputs.positional.pairLists;
    run.result = runWithTolerance(pool, run.inputs, conditions.tolerance, extra, afterStage);
    return run;
}

std::string_view rowName(int row1) {
    const std::optional<RowId> id = rowOfNumber(row1);
    return id ? conditionRow(*id).playerName : std::string_view();
}

bool rowIsSet(int row1, const ShrinkInputs& in) {
    const std::optional<RowId> id = rowOfNumber(row1);
    return id && conditionRow(*id).isSet(in);
}

namespace {
// "000 " … "999 ": what the output writes for each survivor.
const std::array<std::array<char, 4>, NumberPool::kSize>& numberTexts() {
    static const auto texts = [] {
        std::array<std::array<char, 4>, NumberPool::kSize> t{};
        for (int n = 0; n < NumberPool::kSize; ++n)
            t[static_cast<std::size_t>(n)] = {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
                                              static_cast<char>('0' + n % 10), ' '};
        return t;
    }();
    return texts;
}
}  // namespace

ShrinkResult outputResult(const NumberPool& pool) {
    ShrinkResult r;
    const NumberSet alive = pool.aliveSet();
    r.count = static_cast<int>(alive.count());
    if (r.count == 0) {
        r.text = std::string(trimSpaces(kNoSurvivorNotice));
        return r;
    }
    // Survivors ascending, each followed by a space; the last space is cut.
    const auto& texts = numberTexts();
    r.text.resize(static_cast<std::size_t>(r.count) * 4);
    char* out = r.text.data();
    const NumberWords words = numberWords(alive);
    for (std::size_t w = 0; w < kNumberWordCount; ++w) {
        // A word of consecutive survivors holding their own numbers is one
        // stretch of the table.
        if (words[w] == numberWordMask(w) && pool.holdsOwnNumbers()) {
            const std::size_t n = static_cast<std::size_t>(std::popcount(words[w]));
            static_assert(sizeof(texts) == NumberPool::kSize * 4);
            std::memcpy(out, reinterpret_cast<const char*>(texts.data()) + w * 64 * 4, n * 4);
            out += n * 4;
            continue;
        }
        for (std::uint64_t word = words[w]; word != 0; word &= word - 1) {
            const int i = static_cast<int>(w * 64) + std::countr_zero(word);
            std::memcpy(out, texts[static_cast<std::size_t>(pool.value(i))].data(), 4);
            out += 4;
        }
    }
    r.text.pop_back();
    return r;
}

ShrinkResult convertToGroups(NumberPool& pool) {
    ShrinkResult r;
    std::bitset<1000> seen;
    for (int i = 0; i < NumberPool::kSize; ++i) {
        if (!pool.alive(i)) continue;
        auto& d = pool.entry(i).digit;
        for (int pass = 0; pass < 3; ++pass) {
            if (d[1] < d[0]) std::swap(d[0], d[1]);
            if (d[2] < d[1]) std::swap(d[1], d[2]);
        }
        const int group = pool.value(i);
        if (seen.test(static_cast<std::size_t>(group))) continue;
        seen.set(static_cast<std::size_t>(group));
        r.text += pool.text(i);
        r.text += ' ';
        ++r.count;
    }
    r.text = std::string(trimSpaces(r.text));
    return r;
}

}  // namespace tarnel
