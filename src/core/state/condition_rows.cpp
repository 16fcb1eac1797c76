#include "core/state/condition_rows.h"

#include <bit>

#include "core/rules/text.h"
#include "core/state/shrink.h"

namespace tarnel {

namespace {

// ---- what rows read and when they are set ----------------------------------------

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

// The first and last rows: nothing a player sets.
bool neverSet(const ShrinkInputs&) { return false; }

bool anyText(const std::array<std::string, 3>& texts) {
    return !texts[0].empty() || !texts[1].empty() || !texts[2].empty();
}

// A positional pair list is a condition when anything is left of it once
// cleaned as its stage cleans it: digits, or a line break standing alone,
// which leaves the list without a pair (and so rules out every number).
bool anyPairList(const std::array<std::string, 3>& lists) {
    for (const std::string& list : lists)
        if (hasAsciiDigit(list) || !cleanPairListText(list).empty()) return true;
    return false;
}

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

// A family stage `fn(pool, family inputs)` as a row's stage.
#define TARNEL_STAGE(fn, member) [](NumberPool& p, const ShrinkInputs& in, ShrinkResult&) { fn(p, in.member); }
// A row set exactly when `expr` (of `in`) holds.
#define TARNEL_SET(expr) [](const ShrinkInputs& in) -> bool { return expr; }
// A row that rules out the numbers `expr` (of `in`) names.
#define TARNEL_KILLS(expr) [](const ShrinkInputs& in) -> NumberSet { return expr; }
// A row that rules out the numbers whose `measure` takes a value `values(in.digits)` names.
#define TARNEL_MEASURE(measure, values) \
    [](const ShrinkInputs& in) -> NumberSet { return numbersWhose(Measure::measure, values(in.digits)); }

constexpr RowKey kCompoundKeys[] = {{"Check_fs_ip"}, {"T_dadi_in", 0, 2}};
constexpr RowKey kBaseListKeys[] = {{"T_jichu_dadi"}};
constexpr RowKey kDirectKeys[] = {{"T_main_shazhixuan"}};
constexpr RowKey kJunkKeys[] = {{"T_main_laji_fushi"}};
constexpr RowKey kKillPairKeys[] = {{"T_main_sha_2ma"}};
constexpr RowKey kMustPairKeys[] = {{"T_main_bichu_2ma"}};
constexpr RowKey kPositionalKillKeys[] = {{"T_main_dw_sha", 0, 2}};
constexpr int kFirstSumTailBox = 12;  // T_lm_he 0..11 sums and differences, 12..14 sum tails
constexpr RowKey kPairValueKeys[] = {{"T_lm_he", 0, kFirstSumTailBox - 1}};
constexpr RowKey kPairTailKeys[] = {{"T_lm_he", kFirstSumTailBox, kPairValueBoxes - 1}};
constexpr RowKey kMatchKeys[] = {{"L_wz_pp"}};
constexpr RowKey kPairListKeys[] = {{"T_main_dw2m", 0, 2}};
constexpr RowKey kGridKeys[] = {{"C_3d_dwrd", 0, 33}};
constexpr RowKey kAnyTwoKeys[] = {{"C_ry2m_he", 0, 9}};
constexpr RowKey kSumTailKeys[] = {{"Check_hewei_sha", 0, 9}};
constexpr RowKey kSpanKeys[] = {{"Check_kuadu_sha", 0, 9}};
constexpr RowKey kBankerDigitKeys[] = {{"Check_danma_chu", 0, 9}, {"Check_danma_chu_geshu", 0, 2}};
constexpr RowKey kSumKeys[] = {{"T_hezhi_fanwei_1"}, {"T_hezhi_fanwei_2"}, {"T__hezhi_zhiding_sha"}};
constexpr RowKey kCompoundExcludeKeys[] = {{"C_fushi_paichu", 0, 29}};
constexpr RowKey kPositionKillKeys[] = {{"C_dingwei_sha", 0, 29}};
constexpr RowKey kBankerGroupKeys[] = {
    {"Check_danzu_sx0"}, {"Check_danma_jc"}, {"C_danzu", 0, 39}, {"C_danzu_gs", 0, 15}};
constexpr RowKey kAcKeys[] = {{"Check_ac", 0, 2}};
constexpr RowKey kBigSmallKeys[] = {{"Check_pailie_daxiao", 0, 7}};
constexpr RowKey kOddEvenKeys[] = {{"Check_pailie_jiou", 0, 7}};
constexpr RowKey kPrimeKeys[] = {{"Check_pailie_zhihe", 0, 7}};
constexpr RowKey kRoadKeys[] = {{"Check_012_paichu", 0, kRoadBoxCount - 1}};
constexpr RowKey kFormKeys[] = {{"Check_tebie_paichu", 0, kFirstShapeBox - 1}};
constexpr RowKey kShapeKeys[] = {{"Check_tebie_paichu", kFirstShapeBox, int(kSpecialCaptions.size()) - 1}};

// Tab pages of the rows whose controls sit on the tabs.
constexpr int kAlwaysInSight = -1;
constexpr int kDirectPage = 0, kJunkPage = 1, kKillPairPage = 2, kMustPairPage = 3, kPositionalKillPage = 5,
              kPairListPage = 6, kOtherPage = 7, kMatchPage = 8, kGridPage = 9;

constexpr auto kSource = RowKind::PoolSource;
constexpr auto kCondition = RowKind::Condition;

}  // namespace

constexpr std::array<ConditionRow, kRowCount> kRows = {{
    {RowId::PoolStart, RowKind::Start, "pool initialisation", "号码初始化", kAlwaysInSight, {},
     [](NumberPool& p, const ShrinkInputs&, ShrinkResult&) { p.reset(); }, neverSet, nullptr},
    {RowId::CompoundDigits, kSource, "compound digit input", "复式输入", kAlwaysInSight, kCompoundKeys,
     TARNEL_STAGE(killByCompoundDigits, source), TARNEL_SET(in.source.compoundOn), nullptr},
    {RowId::BaseList, kSource, "base-number list", "大底号码", kAlwaysInSight, kBaseListKeys,
     TARNEL_STAGE(keepBaseList, source), TARNEL_SET(hasAsciiDigit(in.source.baseList)), nullptr},
    {RowId::DirectNumbers, kCondition, "kill direct numbers", "杀直选", kDirectPage, kDirectKeys,
     TARNEL_STAGE(killDirectNumbers, lists), TARNEL_SET(hasAsciiDigit(in.lists.directNumbers)),
     TARNEL_KILLS(directNumberKills(in.lists))},
    {RowId::JunkCompounds, kCondition, "kill junk compounds", "垃圾复式", kJunkPage, kJunkKeys,
     TARNEL_STAGE(killJunkCompounds, lists), TARNEL_SET(hasAsciiDigit(in.lists.junkCompounds)), nullptr},
    {RowId::KillPairs, kCondition, "kill two-digit combinations", "杀2码", kKillPairPage, kKillPairKeys,
     TARNEL_STAGE(killTwoDigitCombos, lists), TARNEL_SET(hasAsciiDigit(in.lists.killPairs)),
     TARNEL_KILLS(twoDigitComboKills(in.lists))},
    {RowId::MustPairs, kCondition, "must-contain two-digit combinations", "必出2码", kMustPairPage, kMustPairKeys,
     TARNEL_STAGE(keepMustContainTwoDigit, lists), TARNEL_SET(!trimSpaces(in.lists.mustPairs).empty()),
     TARNEL_KILLS(mustContainTwoDigitKills(in.lists))},
    {RowId::PositionalPairKill, kCondition, "positional kill of two-digit combinations", "定位杀2码",
     kPositionalKillPage, kPositionalKillKeys, TARNEL_STAGE(killPositionalPairs, lists),
     TARNEL_SET(anyDigits(in.lists.positionalKill)), TARNEL_KILLS(positionalPairKills(in.lists))},
    {RowId::PairSumsAndDiffs, kCondition, "two-digit sum and difference", "两码和差", kOtherPage, kPairValueKeys,
     TARNEL_STAGE(filterTwoDigitSumsAndDiffs, lists), TARNEL_SET(anyDigits(in.lists.pairValues, 0, kFirstSumTailBox - 1)),
     TARNEL_KILLS(twoDigitSumAndDiffKills(in.lists))},
    {RowId::PairSumTails, kCondition, "two-digit sum-tail exclude", "两码合排除", kOtherPage, kPairTailKeys,
     TARNEL_STAGE(killTwoDigitSumTails, lists),
     TARNEL_SET(anyDigits(in.lists.pairValues, kFirstSumTailBox, kPairValueBoxes - 1)),
     TARNEL_KILLS(twoDigitSumTailKills(in.lists))},
    {RowId::PositionMatch, kCondition, "position match rules", "位置匹配", kMatchPage, kMatchKeys,
     TARNEL_STAGE(applyPositionMatchRules, positional), TARNEL_SET(!in.positional.matchRules.empty()), nullptr},
    {RowId::PositionalPairs, kCondition, "positional two-digit keep", "定位2码", kPairListPage, kPairListKeys,
     TARNEL_STAGE(keepPositionalPairs, positional), TARNEL_SET(anyPairList(in.positional.pairLists)), nullptr},
    {RowId::PositionalGrid, kCondition, "positional pair grid", "定位容对", kGridPage, kGridKeys,
     TARNEL_STAGE(applyPositionalDigitGrid, positional), TARNEL_SET(anyText(in.positional.gridRows)), nullptr},
    {RowId::AnyTwoSumTails, kCondition, "any-two-digit sum keep", "任意两码合保留", kOtherPage, kAnyTwoKeys,
     TARNEL_STAGE(keepAnyTwoDigitSumTail, positional), TARNEL_SET(!in.positional.anyTwoSumTails.empty()),
     TARNEL_KILLS(anyTwoDigitSumTailKills(in.positional))},
    {RowId::SumTails, kCondition, "sum-tail kill", "杀和尾", kAlwaysInSight, kSumTailKeys,
     TARNEL_STAGE(killBySumTail, digits), TARNEL_SET(any(in.digits.sumTailKill)),
     TARNEL_MEASURE(SumTail, killedSumTails)},
    {RowId::Spans, kCondition, "span kill", "杀跨度", kAlwaysInSight, kSpanKeys, TARNEL_STAGE(killBySpan, digits),
     TARNEL_SET(any(in.digits.spanKill)), TARNEL_MEASURE(Span, killedSpans)},
    {RowId::BankerDigits, kCondition, "banker digits", "胆码", kAlwaysInSight, kBankerDigitKeys,
     TARNEL_STAGE(applyBankerDigits, digits), TARNEL_SET(any(in.digits.bankerDigits)), nullptr},
    {RowId::Sums, kCondition, "sum values", "和值", kAlwaysInSight, kSumKeys, TARNEL_STAGE(filterSumValues, digits),
     TARNEL_SET(in.digits.sumLower != kSumLowerInitial || in.digits.sumUpper != kSumUpperInitial ||
                (in.digits.sumKillList != kSumKillListHint && hasAsciiDigit(in.digits.sumKillList))),
     TARNEL_MEASURE(Sum, killedSums)},
    {RowId::CompoundExclude, kCondition, "exclude-compound grid", "排除复式", kAlwaysInSight, kCompoundExcludeKeys,
     TARNEL_STAGE(applyCompoundExcludeGrid, digits), TARNEL_SET(any(in.digits.compoundExclude)), nullptr},
    {RowId::PositionKill, kCondition, "position kill grid", "定位杀", kAlwaysInSight, kPositionKillKeys,
     TARNEL_STAGE(applyPositionKillGrid, digits), TARNEL_SET(any(in.digits.positionKill)), nullptr},
    {RowId::BankerGroups, kCondition, "banker groups", "胆组", kAlwaysInSight, kBankerGroupKeys,
     TARNEL_STAGE(applyBankerGroups, positional),
     TARNEL_SET(in.positional.bankerOn &&
                (!in.positional.bankerDigits[0].empty() || !in.positional.bankerDigits[1].empty() ||
                 !in.positional.bankerDigits[2].empty() || !in.positional.bankerDigits[3].empty())),
     nullptr},
    {RowId::AcValues, kCondition, "AC value", "AC值", kAlwaysInSight, kAcKeys, TARNEL_STAGE(killByAcValue, digits),
     TARNEL_SET(any(in.digits.acKill)), TARNEL_MEASURE(Ac, killedAcValues)},
    {RowId::BigSmall, kCondition, "big/small pattern", "大小形态", kAlwaysInSight, kBigSmallKeys,
     TARNEL_STAGE(killBigSmallPattern, digits), TARNEL_SET(any(in.digits.bigSmall)),
     TARNEL_MEASURE(BigSmall, killedBigSmall)},
    {RowId::OddEven, kCondition, "odd/even pattern", "奇偶形态", kAlwaysInSight, kOddEvenKeys,
     TARNEL_STAGE(killOddEvenPattern, digits), TARNEL_SET(any(in.digits.oddEven)),
     TARNEL_MEASURE(OddEven, killedOddEven)},
    {RowId::PrimeComposite, kCondition, "prime/composite pattern", "质合形态", kAlwaysInSight, kPrimeKeys,
     TARNEL_STAGE(killPrimeCompositePattern, digits), TARNEL_SET(any(in.digits.primeComposite)),
     TARNEL_MEASURE(PrimeComposite, killedPrimeComposite)},
    {RowId::Roads, kCondition, "012-road pattern", "012路", kAlwaysInSight, kRoadKeys,
     TARNEL_STAGE(killRoadPattern, digits), TARNEL_SET(any(in.digits.road)), TARNEL_MEASURE(Road, killedRoads)},
    {RowId::Forms, kCondition, "form exclusion", "特别排除(形态)", kAlwaysInSight, kFormKeys,
     TARNEL_STAGE(killForms, digits), TARNEL_SET(any(in.digits.special, 0, kFirstShapeBox - 1)),
     TARNEL_KILLS(numbersWhose(Measure::Repetition, killedRepetitionForms(in.digits)) |
                  numbersWhose(Measure::Consecutive, killedConsecutiveForms(in.digits)))},
    {RowId::Shapes, kCondition, "shape exclusion", "特别排除(走势)", kAlwaysInSight, kShapeKeys,
     TARNEL_STAGE(killShapes, digits), TARNEL_SET(any(in.digits.special, kFirstShapeBox, in.digits.special.size() - 1)),
     TARNEL_MEASURE(Shape, killedShapes)},
    {RowId::Output, RowKind::Output, "output", "输出", kAlwaysInSight, {},
     [](NumberPool& p, const ShrinkInputs&, ShrinkResult& out) { out = outputResult(p); },
     neverSet, nullptr},
}};

#undef TARNEL_STAGE
#undef TARNEL_SET
#undef TARNEL_KILLS
#undef TARNEL_MEASURE

namespace {

// The table lists every id once, in id order, the pool sources and the
// conditions where the id says.
constexpr bool tableInIdOrder() {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const ConditionRow& r = kRows[i];
        if (static_cast<std::size_t>(r.id) != i) return false;
        if ((r.kind == RowKind::PoolSource) != isPoolSource(r.id)) return false;
        if ((r.kind == RowKind::Condition) != isCondition(r.id)) return false;
    }
    return kRows.front().kind == RowKind::Start && kRows.back().kind == RowKind::Output;
}

static_assert(tableInIdOrder());

}  // namespace

std::span<const ConditionRow> namedRows() {
    static_assert(isPoolSource(RowId::CompoundDigits) && isCondition(RowId::DirectNumbers));
    return std::span<const ConditionRow>(kRows).subspan(static_cast<std::size_t>(RowId::CompoundDigits),
                                                        static_cast<std::size_t>(RowId::Output) -
                                                            static_cast<std::size_t>(RowId::CompoundDigits));
}

std::span<const ConditionRow> conditionRows() {
    return namedRows().subspan(static_cast<std::size_t>(RowId::DirectNumbers) -
                               static_cast<std::size_t>(RowId::CompoundDigits));
}

std::vector<std::string> rowControlNames(RowId id) {
    std::vector<std::string> names;
    for (const RowKey& key : conditionRow(id).keys) {
        if (key.first < 0) {
            names.emplace_back(key.control);
            continue;
        }
        for (int i = key.first; i <= key.last; ++i)
            names.push_back(std::string(key.control) + '[' + std::to_string(i) + ']');
    }
    return names;
}

NumberSet stageKills(RowId id, const ShrinkInputs& in) {
    const ConditionRow& row = conditionRow(id);
    if (row.kind == RowKind::Start || row.kind == RowKind::Output) return {};
    NumberPool pool;
    ShrinkResult unused;
    row.run(pool, in, unused);
    return pool.takeKilled();
}

NumberSet rowKills(RowId id, const ShrinkInputs& in) {
    const ConditionRow& row = conditionRow(id);
    return row.killSet ? row.killSet(in) : stageKills(id, in);
}

const NumberSet& ExtraRow::effectiveKills() const {
    static const NumberSet none;
    return ready ? kills : none;
}

}  // namespace tarnel
