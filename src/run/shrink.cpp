#include "run/shrink.h"

#include <bitset>

#include "common/text.h"

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

MainRun runMain(NumberPool& pool, const MainConditions& conditions, const std::function<void(int)>& afterStage) {
    const ShrinkInputs in = shrinkInputs(conditions);
    MainRun run;
    run.pairValueTexts = in.lists.pairValues;
    run.pairListTexts = in.positional.pairLists;
    run.result = runShrink(pool, in, afterStage);
    return run;
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
