#include "core/state/shrink.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <optional>

#include "core/rules/text.h"

namespace tarnel {

namespace {

// Wraps a family stage `fn(pool, family inputs)` as a table row.
#define TARNEL_STAGE(name, fn, member) \
    Stage { name, [](NumberPool& p, const ShrinkInputs& in, ShrinkResult&) { fn(p, in.member); } }

}  // namespace

const std::array<Stage, kStageCount> kStageTable = {{
    {"pool initialisation", [](NumberPool& p, const ShrinkInputs&, ShrinkResult&) { p.reset(); }},
    TARNEL_STAGE("compound digit input", killByCompoundDigits, source),
    TARNEL_STAGE("base-number list", keepBaseList, source),
    TARNEL_STAGE("kill direct numbers", killDirectNumbers, lists),
    TARNEL_STAGE("kill junk compounds", killJunkCompounds, lists),
    TARNEL_STAGE("kill two-digit combinations", killTwoDigitCombos, lists),
    TARNEL_STAGE("must-contain two-digit combinations", keepMustContainTwoDigit, lists),
    TARNEL_STAGE("positional kill of two-digit combinations", killPositionalPairs, lists),
    TARNEL_STAGE("two-digit sum and difference", filterTwoDigitSumsAndDiffs, lists),
    TARNEL_STAGE("two-digit sum-tail exclude", killTwoDigitSumTails, lists),
    TARNEL_STAGE("position match rules", applyPositionMatchRules, positional),
    TARNEL_STAGE("positional two-digit keep", keepPositionalPairs, positional),
    TARNEL_STAGE("positional pair grid", applyPositionalDigitGrid, positional),
    TARNEL_STAGE("any-two-digit sum keep", keepAnyTwoDigitSumTail, positional),
    TARNEL_STAGE("sum-tail kill", killBySumTail, digits),
    TARNEL_STAGE("span kill", killBySpan, digits),
    TARNEL_STAGE("banker digits", applyBankerDigits, digits),
    TARNEL_STAGE("sum values", filterSumValues, digits),
    TARNEL_STAGE("exclude-compound grid", applyCompoundExcludeGrid, digits),
    TARNEL_STAGE("position kill grid", applyPositionKillGrid, digits),
    TARNEL_STAGE("banker groups", applyBankerGroups, positional),
    TARNEL_STAGE("AC value", killByAcValue, digits),
    TARNEL_STAGE("big/small pattern", killBigSmallPattern, digits),
    TARNEL_STAGE("odd/even pattern", killOddEvenPattern, digits),
    TARNEL_STAGE("prime/composite pattern", killPrimeCompositePattern, digits),
    TARNEL_STAGE("012-road pattern", killRoadPattern, digits),
    TARNEL_STAGE("form exclusion", killForms, digits),
    TARNEL_STAGE("shape exclusion", killShapes, digits),
    {"output", [](NumberPool& p, const ShrinkInputs&, ShrinkResult& out) { out = outputResult(p); }},
}};

#undef TARNEL_STAGE

ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in,
                       const std::function<void(int)>& afterStage) {
    ShrinkResult result;
    for (int row = 0; row < kStageCount; ++row) {
        kStageTable[static_cast<std::size_t>(row)].run(pool, in, result);
        if (afterStage) afterStage(row);
    }
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
    NumberSet killed;
    if (row <= 0 || row >= kStageCount - 1) return killed;
    NumberPool pool;
    ShrinkResult unused;
    kStageTable[static_cast<std::size_t>(row)].run(pool, in, unused);
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (!pool.alive(i)) killed.set(static_cast<std::size_t>(i));
    return killed;
}

namespace {

// For every measure and value (below 32: the values are bit masks), the
// numbers with that value.
using ValueSets = std::array<NumberSet, 32>;
const ValueSets& numbersByValue(Measure measure) {
    static const auto sets = [] {
        std::array<ValueSets, kMeasureCount> s;
        for (int m = 0; m < kMeasureCount; ++m) {
            const auto& table = measureTable(static_cast<Measure>(m));
            for (std::size_t n = 0; n < table.size(); ++n)
                if (table[n] < 32) s[static_cast<std::size_t>(m)][table[n]].set(n);
        }
        return s;
    }();
    return sets[static_cast<std::size_t>(measure)];
}

NumberSet numbersWhose(Measure measure, std::uint32_t values) {
    NumberSet set;
    const ValueSets& byValue = numbersByValue(measure);
    for (; values; values &= values - 1) set |= byValue[static_cast<std::size_t>(std::countr_zero(values))];
    return set;
}

// The rows whose stages decide from ready sets (a measure's values, pair
// lists), as those sets: the same numbers as their stages kill, without a pool.
std::optional<NumberSet> setRowKills(int row, const ShrinkInputs& in) {
    const DigitPropertyInputs& d = in.digits;
    switch (row + 1) {
        case 4: return directNumberKills(in.lists);
        case 6: return twoDigitComboKills(in.lists);
        case 7: return mustContainTwoDigitKills(in.lists);
        case 8: return positionalPairKills(in.lists);
        case 9: return twoDigitSumAndDiffKills(in.lists);
        case 10: return twoDigitSumTailKills(in.lists);
        case 14: return anyTwoDigitSumTailKills(in.positional);
        case 15: return numbersWhose(Measure::SumTail, killedSumTails(d));
        case 16: return numbersWhose(Measure::Span, killedSpans(d));
        case 18: return numbersWhose(Measure::Sum, killedSums(d));
        case 22: return numbersWhose(Measure::Ac, killedAcValues(d));
        case 23: return numbersWhose(Measure::BigSmall, killedBigSmall(d));
        case 24: return numbersWhose(Measure::OddEven, killedOddEven(d));
        case 25: return numbersWhose(Measure::PrimeComposite, killedPrimeComposite(d));
        case 26: return numbersWhose(Measure::Road, killedRoads(d));
        case 27:
            return numbersWhose(Measure::Repetition, killedRepetitionForms(d)) |
                   numbersWhose(Measure::Consecutive, killedConsecutiveForms(d));
        case 28: return numbersWhose(Measure::Shape, killedShapes(d));
        default: return std::nullopt;
    }
}

}  // namespace

RowKills computeRowKills(const ShrinkInputs& in, const std::function<void(int)>& afterRow) {
    RowKills kills;
    NumberPool pool;
    ShrinkResult unused;
    for (int row = 0; row < kStageCount - 1; ++row) {
        if (auto set = setRowKills(row, in)) {
            kills.byRow[static_cast<std::size_t>(row)] = *set;
        } else {
            kStageTable[static_cast<std::size_t>(row)].run(pool, in, unused);
            kills.byRow[static_cast<std::size_t>(row)] = pool.takeKilled();
        }
        if (afterRow) afterRow(row);
    }
    return kills;
}

std::array<std::uint8_t, NumberPool::kSize> RowKills::conditionCounts() const {
    std::array<std::uint8_t, NumberPool::kSize> counts{};
    for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) {
        const NumberSet& set = row(r);
        forEachNumber(set, [&counts](std::size_t n) { ++counts[n]; });
    }
    return counts;
}

std::vector<int> RowKills::killedBy(int number) const {
    std::vector<int> rows;
    for (int r = kFirstSourceRow; r <= kLastConditionRow; ++r)
        if (row(r).test(static_cast<std::size_t>(number))) rows.push_back(r);
    return rows;
}

NumberSet survivorsWithTolerance(const RowKills& kills, int tolerance) {
    NumberSet out = ~kills.sourceKills();
    if (tolerance <= 0) {
        for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) out &= ~kills.row(r);
        return out;
    }
    // atLeast[j]: the numbers at least j conditions rule out, for j up to
    // k + 1, grown row by row without counting number by number.
    tolerance = std::min(tolerance, kMaxTolerance);
    std::array<NumberSet, kMaxTolerance + 2> atLeast;
    atLeast[0].set();
    for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) {
        const NumberSet& row = kills.row(r);
        for (int j = tolerance + 1; j >= 1; --j) atLeast[std::size_t(j)] |= atLeast[std::size_t(j - 1)] & row;
    }
    return out & ~atLeast[std::size_t(tolerance + 1)];
}

bool survivesWithTolerance(const RowKills& kills, int number, int tolerance) {
    const auto n = static_cast<std::size_t>(number);
    if (kills.sourceKills().test(n)) return false;
    int count = 0;
    for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) count += kills.row(r).test(n) ? 1 : 0;
    return count <= std::max(tolerance, 0);
}

ShrinkResult runWithTolerance(NumberPool& pool, const ShrinkInputs& in, int tolerance,
                              const std::function<void(int)>& afterStage) {
    if (tolerance <= 0) return runShrink(pool, in, afterStage);
    // Each row decides a number on its own, so the tolerant run is every
    // row's kills taken alone, then counted.
    const RowKills kills = computeRowKills(in, afterStage);
    pool.resetTo(survivorsWithTolerance(kills, tolerance));
    ShrinkResult result = outputResult(pool);
    if (afterStage) afterStage(kStageCount - 1);
    return result;
}

MainRun runMain(NumberPool& pool, const MainConditions& conditions, const std::function<void(int)>& afterStage) {
    MainRun run;
    run.inputs = shrinkInputs(conditions);
    run.tolerance = conditions.tolerance;
    run.pairValueTexts = run.inputs.lists.pairValues;
    run.pairListTexts = run.inputs.positional.pairLists;
    run.result = runWithTolerance(pool, run.inputs, conditions.tolerance, afterStage);
    return run;
}

namespace {

constexpr std::array<std::string_view, kStageCount> kRowNames = {
    "号码初始化", "复式输入", "大底号码", "杀直选", "垃圾复式", "杀2码", "必出2码", "定位杀2码",
    "两码和差", "两码合排除", "位置匹配", "定位2码", "定位容对", "任意两码合保留", "杀和尾", "杀跨度",
    "胆码", "和值", "排除复式", "定位杀", "胆组", "AC值", "大小形态", "奇偶形态", "质合形态",
    "012路", "特别排除(形态)", "特别排除(走势)", "输出"};

template <std::size_t N>
bool any(const std::array<bool, N>& flags, std::size_t first = 0, std::size_t last = N - 1) {
    for (std::size_t i = first; i <= last; ++i)
        if (flags[i]) return true;
    return false;
}

template <std::size_t N>
bool anyDigits(const std::array<std::string, N>& texts, std::size_t first = 0, std::size_t last = N - 1) {
    for (std::size_t i = first; i <= last; ++i)
        if (hasAsciiDigit(texts[i])) return true;
    return false;
}

bool anyText(const std::array<std::string, 3>& texts) {
    return !texts[0].empty() || !texts[1].empty() || !texts[2].empty();
}

}  // namespace

std::string_view rowName(int row1) {
    if (row1 < 1 || row1 > kStageCount) return {};
    return kRowNames[static_cast<std::size_t>(row1 - 1)];
}

bool rowIsSet(int row1, const ShrinkInputs& in) {
    const auto& s = in.source;
    const auto& l = in.lists;
    const auto& p = in.positional;
    const auto& d = in.digits;
    switch (row1) {
        case 2: return s.compoundOn;
        case 3: return hasAsciiDigit(s.baseList);
        case 4: return hasAsciiDigit(l.directNumbers);
        case 5: return hasAsciiDigit(l.junkCompounds);
        case 6: return hasAsciiDigit(l.killPairs);
        case 7: return !trimSpaces(l.mustPairs).empty();
        case 8: return anyDigits(l.positionalKill);
        case 9: return anyDigits(l.pairValues, 0, 11);
        case 10: return anyDigits(l.pairValues, 12, 14);
        case 11: return !p.matchRules.empty();
        case 12: return anyDigits(p.pairLists);
        case 13: return anyText(p.gridRows);
        case 14: return !p.anyTwoSumTails.empty();
        case 15: return any(d.sumTailKill);
        case 16: return any(d.spanKill);
        case 17: return any(d.bankerDigits);
        case 18:
            return d.sumLower != kSumLowerInitial || d.sumUpper != kSumUpperInitial ||
                   (d.sumKillList != kSumKillListHint && hasAsciiDigit(d.sumKillList));
        case 19: return any(d.compoundExclude);
        case 20: return any(d.positionKill);
        case 21: return p.bankerOn && (!p.bankerDigits[0].empty() || !p.bankerDigits[1].empty() ||
                                       !p.bankerDigits[2].empty() || !p.bankerDigits[3].empty());
        case 22: return any(d.acKill);
        case 23: return any(d.bigSmall);
        case 24: return any(d.oddEven);
        case 25: return any(d.primeComposite);
        case 26: return any(d.road);
        case 27: return any(d.special, 0, kFirstShapeBox - 1);
        case 28: return any(d.special, kFirstShapeBox, d.special.size() - 1);
        default: return false;
    }
}

ShrinkResult outputResult(const NumberPool& pool) {
    ShrinkResult r;
    r.text.reserve(4000);
    for (int i = 0; i < NumberPool::kSize; ++i) {
        if (!pool.alive(i)) continue;
        r.text += pool.text(i);
        r.text += ' ';
        ++r.count;
    }
    if (r.count == 0) r.text = kNoSurvivorNotice;
    r.text = std::string(trimSpaces(r.text));
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
