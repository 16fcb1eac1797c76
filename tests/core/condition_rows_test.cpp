// The row registry against a plain reference: the rows as the stage table
// and the per-row switches used to spell them out, number by number. Over
// random condition states the registry-driven run, tolerance, explanations
// and statistics agree with a from-scratch count; extra rows added at run
// time count with the conditions; every row reads exactly its scheme keys;
// a trend value ticks the box that rules out exactly that value.

#include <gtest/gtest.h>

#include <random>

#include <algorithm>
#include <map>
#include <set>

#include "core/analysis/condition_report.h"
#include "core/analysis/trends.h"
#include "core/files/scheme.h"
#include "core/rules/text.h"
#include "core/state/condition_marks.h"
#include "core/state/condition_rows.h"
#include "core/state/input_feedback.h"
#include "core/state/shrink.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// ---- the reference: rows by number, as the switches had them ----------------------

using RefStage = void (*)(NumberPool&, const ShrinkInputs&);

struct RefRow {
    int number;
    const char* name;
    int page;
    RefStage stage;
};

#define REF(number, name, page, fn, member) \
    RefRow { number, name, page, [](NumberPool& p, const ShrinkInputs& in) { fn(p, in.member); } }

const RefRow kRefRows[] = {
    REF(2, "复式输入", -1, killByCompoundDigits, source),
    REF(3, "大底号码", -1, keepBaseList, source),
    REF(4, "杀直选", 0, killDirectNumbers, lists),
    REF(5, "垃圾复式", 1, killJunkCompounds, lists),
    REF(6, "杀2码", 2, killTwoDigitCombos, lists),
    REF(7, "必出2码", 3, keepMustContainTwoDigit, lists),
    REF(8, "定位杀2码", 5, killPositionalPairs, lists),
    REF(9, "两码和差", 7, filterTwoDigitSumsAndDiffs, lists),
    REF(10, "两码合排除", 7, killTwoDigitSumTails, lists),
    REF(11, "位置匹配", 8, applyPositionMatchRules, positional),
    REF(12, "定位2码", 6, keepPositionalPairs, positional),
    REF(13, "定位容对", 9, applyPositionalDigitGrid, positional),
    REF(14, "任意两码合保留", 7, keepAnyTwoDigitSumTail, positional),
    REF(15, "杀和尾", -1, killBySumTail, digits),
    REF(16, "杀跨度", -1, killBySpan, digits),
    REF(17, "胆码", -1, applyBankerDigits, digits),
    REF(18, "和值", -1, filterSumValues, digits),
    REF(19, "排除复式", -1, applyCompoundExcludeGrid, digits),
    REF(20, "定位杀", -1, applyPositionKillGrid, digits),
    REF(21, "胆组", -1, applyBankerGroups, positional),
    REF(22, "AC值", -1, killByAcValue, digits),
    REF(23, "大小形态", -1, killBigSmallPattern, digits),
    REF(24, "奇偶形态", -1, killOddEvenPattern, digits),
    REF(25, "质合形态", -1, killPrimeCompositePattern, digits),
    REF(26, "012路", -1, killRoadPattern, digits),
    REF(27, "特别排除(形态)", -1, killForms, digits),
    REF(28, "特别排除(走势)", -1, killShapes, digits),
};
#undef REF

constexpr int kRefFirstCondition = 4;

// Whether a row has inputs set, as the switch over row numbers said it.
bool refIsSet(int row, const ShrinkInputs& in) {
    const auto& s = in.source;
    const auto& l = in.lists;
    const auto& p = in.positional;
    const auto& d = in.digits;
    const auto any = [](const auto& flags, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i)
            if (flags[i]) return true;
        return false;
    };
    const auto anyAll = [&](const auto& flags) { return any(flags, 0, flags.size() - 1); };
    const auto digits = [](const auto& texts, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i)
            if (hasAsciiDigit(texts[i])) return true;
        return false;
    };
    switch (row) {
        case 2: return s.compoundOn;
        case 3: return hasAsciiDigit(s.baseList);
        case 4: return hasAsciiDigit(l.directNumbers);
        case 5: return hasAsciiDigit(l.junkCompounds);
        case 6: return hasAsciiDigit(l.killPairs);
        case 7: return !trimSpaces(l.mustPairs).empty();
        case 8: return digits(l.positionalKill, 0, 2);
        case 9: return digits(l.pairValues, 0, 11);
        case 10: return digits(l.pairValues, 12, 14);
        case 11: return !p.matchRules.empty();
        // A lone line break left in a pair list leaves it without a pair,
        // which rules out every number: set, unlike the old switch said.
        case 12:
            return digits(p.pairLists, 0, 2) || !cleanPairListText(p.pairLists[0]).empty() ||
                   !cleanPairListText(p.pairLists[1]).empty() || !cleanPairListText(p.pairLists[2]).empty();
        case 13: return !p.gridRows[0].empty() || !p.gridRows[1].empty() || !p.gridRows[2].empty();
        case 14: return !p.anyTwoSumTails.empty();
        case 15: return anyAll(d.sumTailKill);
        case 16: return anyAll(d.spanKill);
        case 17: return anyAll(d.bankerDigits);
        case 18:
            return d.sumLower != kSumLowerInitial || d.sumUpper != kSumUpperInitial ||
                   (d.sumKillList != kSumKillListHint && hasAsciiDigit(d.sumKillList));
        case 19: return anyAll(d.compoundExclude);
        case 20: return anyAll(d.positionKill);
        case 21:
            return p.bankerOn && (!p.bankerDigits[0].empty() || !p.bankerDigits[1].empty() ||
                                  !p.bankerDigits[2].empty() || !p.bankerDigits[3].empty());
        case 22: return anyAll(d.acKill);
        case 23: return anyAll(d.bigSmall);
        case 24: return anyAll(d.oddEven);
        case 25: return anyAll(d.primeComposite);
        case 26: return anyAll(d.road);
        case 27: return any(d.special, 0, 5);
        case 28: return any(d.special, 6, 9);
        default: return false;
    }
}

NumberSet refKills(const RefRow& row, const ShrinkInputs& in) {
    NumberPool pool;
    row.stage(pool, in);
    NumberSet killed;
    for (int n = 0; n < NumberPool::kSize; ++n) killed[std::size_t(n)] = !pool.alive(n);
    return killed;
}

NumberSet aliveIn(const NumberPool& pool) {
    NumberSet alive;
    for (int n = 0; n < NumberPool::kSize; ++n) alive[std::size_t(n)] = pool.alive(n);
    return alive;
}

// A made-up rule: a number is ruled out when `pick` says so; not ready
// rules out nothing whatever its set.
ExtraRow madeUpRow(StateMaker& make, int number) {
    ExtraRow row;
    row.number = number;
    row.name = "试验条件" + std::to_string(number);
    row.page = make.below(12) - 1;  // -1, the ten pages, and one past them
    row.ready = make.chance(0.8);
    const double density = make.chance(0.3) ? 0.9 : 0.02 * make.below(15);
    for (int n = 0; n < NumberPool::kSize; ++n) row.kills[std::size_t(n)] = make.chance(density);
    return row;
}

// Everything a run and its reports say, counted number by number from the
// reference rows and the extra rows.
struct Reference {
    std::map<int, NumberSet> kills;  // by row number, rows 2..28 and the extra rows
    std::vector<int> order;          // row numbers in the order answers list them
    std::set<int> sources;

    Reference(const ShrinkInputs& in, const std::vector<ExtraRow>& extra) {
        for (const RefRow& r : kRefRows) {
            kills[r.number] = refKills(r, in);
            order.push_back(r.number);
            if (r.number < kRefFirstCondition) sources.insert(r.number);
        }
        for (const ExtraRow& e : extra) {
            kills[e.number] = e.ready ? e.kills : NumberSet();
            order.push_back(e.number);
        }
    }
    std::vector<int> killedBy(int n) const {
        std::vector<int> rows;
        for (int r : order)
            if (kills.at(r).test(std::size_t(n))) rows.push_back(r);
        return rows;
    }
    bool survives(int n, int k) const {
        int conditions = 0;
        for (int r : killedBy(n)) {
            if (sources.count(r)) return false;
            ++conditions;
        }
        return conditions <= k;
    }
    NumberSet survivors(int k) const {
        NumberSet out;
        for (int n = 0; n < NumberPool::kSize; ++n) out[std::size_t(n)] = survives(n, k);
        return out;
    }
};

// ---- the fixed rows ---------------------------------------------------------------------

TEST(ConditionRows, RegistryIsTheOldTableRowByRow) {
    ASSERT_EQ(namedRows().size(), std::size(kRefRows));
    EXPECT_EQ(int(conditionRows().size()), kConditionRowCount);
    EXPECT_EQ(kConditionRowCount, 25);
    for (std::size_t i = 0; i < namedRows().size(); ++i) {
        const ConditionRow& row = namedRows()[i];
        const RefRow& ref = kRefRows[i];
        EXPECT_EQ(rowNumber(row.id), ref.number);
        EXPECT_EQ(rowOfNumber(ref.number), row.id);
        EXPECT_EQ(row.playerName, ref.name);
        EXPECT_EQ(row.page, ref.page) << ref.name;
        EXPECT_EQ(tabPageOfRow(ref.number), ref.page);
        EXPECT_EQ(rowName(ref.number), ref.name);
        EXPECT_EQ(row.kind == RowKind::PoolSource, ref.number < kRefFirstCondition);
        EXPECT_EQ(row.kind == RowKind::Condition, ref.number >= kRefFirstCondition);
    }
    EXPECT_EQ(rowNumber(RowId::PoolStart), 1);
    EXPECT_EQ(rowNumber(RowId::Output), 29);
    for (int outside : {0, 30, 101}) {
        EXPECT_FALSE(rowOfNumber(outside)) << outside;
        EXPECT_TRUE(rowName(outside).empty());
        EXPECT_EQ(tabPageOfRow(outside), -1);
    }
}

// The table of printed numbers is checked when the program compiles: the
// same check refuses a table where a row was given another row's number,
// lost its entry, appears twice or strays into the run-time rows' 101….
TEST(ConditionRows, PrintedNumberCheckRefusesEveryBrokenTable) {
    static_assert(validRowNumbers(kRowNumbers));
    std::mt19937 rng(36);
    for (int round = 0; round < 200; ++round) {
        auto table = kRowNumbers;
        std::shuffle(table.begin(), table.end(), rng);  // the order of the entries is free
        EXPECT_TRUE(validRowNumbers(table));
        const std::size_t i = rng() % table.size(), j = (i + 1 + rng() % (table.size() - 1)) % table.size();
        auto broken = table;
        switch (round % 4) {
        case 0: broken[i].number = broken[j].number; break;  // two rows, one number
        case 1: broken[i].id = broken[j].id; break;          // a row twice, another missing
        case 2: broken[i].number = 101 + int(rng() % 50); break;
        case 3: broken[i].number = -int(rng() % 3); break;
        }
        EXPECT_FALSE(validRowNumbers(broken)) << "round " << round;
        EXPECT_FALSE(validRowNumbers(std::span(table).first(table.size() - 1)));
    }
}

TEST(ConditionRows, RunToleranceAndReportsAgreeWithACountNumberByNumber) {
    StateMaker make(2312);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        MainConditions state = make.main(0.03 + 0.01 * make.below(15));
        const ShrinkInputs in = shrinkInputs(state);
        const Reference ref(in, {});
        const RowKills kills = computeRowKills(in);
        for (const RefRow& r : kRefRows) {
            const RowId id = *rowOfNumber(r.number);
            ASSERT_EQ(kills[id], ref.kills.at(r.number)) << r.name;
            // A kill set taken from ready sets is what its stage does on a pool.
            ASSERT_EQ(rowKills(id, in), ref.kills.at(r.number)) << r.name;
            ASSERT_EQ(conditionRow(id).isSet(in), refIsSet(r.number, in)) << r.name;
        }

        // The plain run in stage order against the reference stages one after another.
        NumberPool sequential;
        for (const RefRow& r : kRefRows) r.stage(sequential, in);
        NumberPool pool;
        const ShrinkResult plain = runShrink(pool, in);
        EXPECT_EQ(aliveIn(pool), aliveIn(sequential));
        EXPECT_EQ(plain.text, outputResult(sequential).text);

        for (int k : {0, 1, 2, 3, 6, 25, 26}) {
            const NumberSet expected = ref.survivors(k);
            ASSERT_EQ(survivorsWithTolerance(kills, k), expected) << "k " << k;
            state.tolerance = k;
            runMain(pool, state);
            ASSERT_EQ(aliveIn(pool), expected) << "k " << k;
        }
        for (int n = round % 5; n < NumberPool::kSize; n += 5) {
            ASSERT_EQ(kills.killedBy(n), ref.killedBy(n)) << n;
            ASSERT_EQ(survivesWithTolerance(kills, n, 1), ref.survives(n, 1)) << n;
        }

        // Statistics: the set rows in order, what each rules out of all numbers and of the pool.
        const int tolerance = make.below(4);
        const ConditionStatistics stats = conditionStatistics(in, kills, tolerance);
        const NumberSet outside = ref.kills.at(2) | ref.kills.at(3);
        std::size_t listed = 0;
        int conditions = 0;
        for (const RefRow& r : kRefRows) {
            if (!refIsSet(r.number, in)) {
                EXPECT_TRUE(ref.kills.at(r.number).none()) << r.name;
                continue;
            }
            ASSERT_LT(listed, stats.rows.size());
            const RowStatistic& s = stats.rows[listed++];
            EXPECT_EQ(s.row, r.number);
            EXPECT_EQ(s.name, r.name);
            EXPECT_EQ(s.kills, int(ref.kills.at(r.number).count()));
            const bool source = r.number < kRefFirstCondition;
            EXPECT_EQ(s.poolKills, source ? -1 : int((ref.kills.at(r.number) & ~outside).count()));
            conditions += source ? 0 : 1;
        }
        EXPECT_EQ(listed, stats.rows.size());
        EXPECT_EQ(stats.conditionRows, conditions);
        EXPECT_EQ(stats.poolSize, int((~outside).count()));
        EXPECT_EQ(stats.kept, int(ref.survivors(tolerance).count()));

        // The diagnosis names the same rows.
        const int n = make.below(1000);
        const NumberDiagnosis d = diagnoseNumber(kills, n, tolerance);
        std::vector<std::string> sourceNames, conditionNames;
        for (int r : ref.killedBy(n))
            (r < kRefFirstCondition ? sourceNames : conditionNames).push_back(std::string(rowName(r)));
        EXPECT_EQ(d.rows, ref.killedBy(n));
        EXPECT_EQ(d.sourceNames, sourceNames);
        EXPECT_EQ(d.conditionNames, conditionNames);
        EXPECT_EQ(d.inPool, sourceNames.empty());
        EXPECT_EQ(d.conditions, int(conditionNames.size()));
        EXPECT_EQ(d.survives, ref.survives(n, tolerance));
    }
}

// Texts that sit at the edges of what a box holds: lone line breaks, blanks,
// tabs, hint texts, full-width digits, a digit or two.
std::string oddText(StateMaker& make) {
    static const char* const pieces[] = {"\r", "\n", "\r\n", " ", "\t", "*", "值", "双击清空", "１", "",
                                         "5",  "12", "大于", "百", "-",  "."};
    std::string text;
    for (int n = make.below(4); n >= 0; --n) text += pieces[make.below(16)];
    return text;
}

TEST(ConditionRows, ARowNotSetRulesOutNothingWhateverItsBoxesHold) {
    StateMaker make(4242);
    for (int round = 0; round < 600; ++round) {
        MainConditions state;
        for (ControlField& f : mainControls(state)) {
            if (!make.chance(0.3)) continue;
            if (auto* text = std::get_if<std::string*>(&f.value)) **text = oddText(make);
            if (auto* flag = std::get_if<bool*>(&f.value)) **flag = make.chance(0.5);
        }
        const ShrinkInputs in = shrinkInputs(state);
        for (const ConditionRow& row : namedRows())
            if (!row.isSet(in)) {
                EXPECT_TRUE(rowKills(row.id, in).none()) << row.playerName << " round " << round;
            }
    }
    // A pair list left with a lone line break holds no pair: its stage rules
    // out every number, so the row is set and its feedback line says so.
    for (const char* text : {"\n", "\r", " \r ", "a\nb"}) {
        MainConditions c;
        c.positional.pairLists[1] = text;
        const ShrinkInputs in = shrinkInputs(c);
        EXPECT_TRUE(conditionRow(RowId::PositionalPairs).isSet(in)) << text;
        EXPECT_EQ(rowKills(RowId::PositionalPairs, in).count(), 1000u) << text;
        EXPECT_EQ(inputFeedback(ListBox::PositionalPairs, text).warning, kNothingReadWarning) << text;
    }
}

// ---- scheme keys ----------------------------------------------------------------------

TEST(ConditionRows, EachRowReadsExactlyItsSchemeKeys) {
    MainConditions probe;
    std::set<std::string> controls;
    for (const ControlField& f : mainControls(probe)) controls.insert(f.key);
    std::map<std::string, RowId> owner;
    for (const ConditionRow& row : namedRows()) {
        EXPECT_FALSE(row.keys.empty()) << row.playerName;
        for (const std::string& key : rowControlNames(row.id)) {
            EXPECT_TRUE(controls.count(key)) << key;
            EXPECT_TRUE(owner.emplace(key, row.id).second) << key << " belongs to two rows";
        }
    }
    // Every control a run reads belongs to a row; the rest is the set tool,
    // the tolerance and the match rule editor.
    for (const std::string& key : controls) {
        const bool outsideTheRows = key.rfind("T_dd_jiaoji", 0) == 0 || key == "Combo_rongcuo" || key.rfind("C_wz_pp", 0) == 0;
        EXPECT_EQ(owner.count(key) == 0, outsideTheRows) << key;
    }

    // Changing every control but a row's own leaves the row as it was; its
    // own controls change it now and then.
    StateMaker make(777);
    std::map<RowId, int> changedByOwnKeys;
    for (int round = 0; round < 80; ++round) {
        const MainConditions base = make.main(0.08);
        const ShrinkInputs baseIn = shrinkInputs(base);
        for (const ConditionRow& row : namedRows()) {
            const std::vector<std::string> own = rowControlNames(row.id);
            const auto isOwn = [&own](const ControlField& f) { return std::count(own.begin(), own.end(), f.key) > 0; };
            for (bool ownKeys : {false, true}) {
                MainConditions changed = base;
                std::vector<ControlField> fields = mainControls(changed);
                std::erase_if(fields, [&](const ControlField& f) { return isOwn(f) != ownKeys; });
                make.scramble(std::move(fields), 0.5);
                const ShrinkInputs in = shrinkInputs(changed);
                const bool same = rowKills(row.id, in) == rowKills(row.id, baseIn) && row.isSet(in) == row.isSet(baseIn);
                if (!ownKeys) {
                    ASSERT_TRUE(same) << row.playerName << " round " << round;
                } else if (!same) {
                    ++changedByOwnKeys[row.id];
                }
            }
        }
    }
    for (const ConditionRow& row : namedRows()) EXPECT_GT(changedByOwnKeys[row.id], 0) << row.playerName;
}

// ---- rows added at run time ----------------------------------------------------------

TEST(ExtraRows, CountWithTheConditionsWhileThePoolSourcesAlwaysApply) {
    StateMaker make(101);
    for (int round = 0; round < 80; ++round) {
        SCOPED_TRACE(round);
        MainConditions state = make.main(0.03 + 0.01 * make.below(10));
        const ShrinkInputs in = shrinkInputs(state);
        std::vector<ExtraRow> extra;
        for (int i = make.below(5); i > 0; --i) extra.push_back(madeUpRow(make, 101 + int(extra.size())));
        const Reference ref(in, extra);
        const RowKills kills = computeRowKills(in, extra);
        ASSERT_EQ(kills.extra.size(), extra.size());

        const int most = kConditionRowCount + int(extra.size());
        for (int k = 0; k <= most; k += (k < 4 ? 1 : 7)) {
            const NumberSet expected = ref.survivors(k);
            ASSERT_EQ(survivorsWithTolerance(kills, k), expected) << "k " << k;
            NumberPool pool;
            runWithTolerance(pool, in, k, extra);
            ASSERT_EQ(aliveIn(pool), expected) << "k " << k;
        }
        // Everything tolerated: only the pool sources decide.
        EXPECT_EQ(survivorsWithTolerance(kills, most), ~(ref.kills.at(2) | ref.kills.at(3)));

        // Without tolerance: the plain run, then the ready extra rows.
        NumberPool plain;
        runShrink(plain, in);
        NumberSet expected = aliveIn(plain);
        for (const ExtraRow& e : extra)
            if (e.ready) expected &= ~e.kills;
        NumberPool pool;
        state.tolerance = 0;
        const MainRun run = runMain(pool, state, extra);
        EXPECT_EQ(aliveIn(pool), expected);
        EXPECT_EQ(run.result.count, int(expected.count()));
        EXPECT_EQ(run.extra.size(), extra.size());

        const auto counts = kills.conditionCounts();
        for (int n = round % 3; n < NumberPool::kSize; n += 3) {
            const std::vector<int> by = ref.killedBy(n);
            ASSERT_EQ(kills.killedBy(n), by) << n;
            const auto conditions = std::count_if(by.begin(), by.end(), [](int r) { return r >= kRefFirstCondition; });
            ASSERT_EQ(counts[std::size_t(n)], conditions) << n;
            ASSERT_EQ(survivesWithTolerance(kills, n, 2), ref.survives(n, 2)) << n;
        }

        // Statistics list the ready extra rows after the fixed ones; the
        // diagnosis names them among the conditions.
        const ConditionStatistics stats = conditionStatistics(in, kills, 1);
        const NumberSet outside = ref.kills.at(2) | ref.kills.at(3);
        std::vector<const ExtraRow*> ready;
        for (const ExtraRow& e : extra)
            if (e.ready) ready.push_back(&e);
        ASSERT_GE(stats.rows.size(), ready.size());
        const std::size_t first = stats.rows.size() - ready.size();
        for (std::size_t i = 0; i < ready.size(); ++i) {
            const RowStatistic& s = stats.rows[first + i];
            EXPECT_EQ(s.row, ready[i]->number);
            EXPECT_EQ(s.name, ready[i]->name);
            EXPECT_EQ(s.kills, int(ready[i]->kills.count()));
            EXPECT_EQ(s.poolKills, int((ready[i]->kills & ~outside).count()));
        }
        EXPECT_EQ(stats.kept, int(ref.survivors(1).count()));
        const int n = make.below(1000);
        const NumberDiagnosis d = diagnoseNumber(kills, n, 1);
        EXPECT_EQ(d.rows, ref.killedBy(n));
        for (const ExtraRow* e : ready) {
            EXPECT_EQ(std::count(d.conditionNames.begin(), d.conditionNames.end(), e->name), e->kills.test(std::size_t(n)) ? 1 : 0);
        }

        // Tab marks: every extra row, ready or not, on its page.
        const std::vector<SetCondition> set = setConditions(state, extra);
        ASSERT_GE(set.size(), extra.size());
        std::array<bool, kTabPageCount> pages = pagesWithConditions(setConditions(state));
        for (std::size_t i = 0; i < extra.size(); ++i) {
            const SetCondition& c = set[set.size() - extra.size() + i];
            EXPECT_EQ(c.row, extra[i].number);
            EXPECT_EQ(c.name, extra[i].name);
            if (extra[i].page >= 0 && extra[i].page < kTabPageCount) pages[std::size_t(extra[i].page)] = true;
        }
        EXPECT_EQ(pagesWithConditions(set), pages);
    }
}

// ---- trends -------------------------------------------------------------------------

TEST(TrendBoxes, AValueTicksTheBoxThatRulesOutExactlyThatValue) {
    const std::map<TrendMeasure, std::string> group = {
        {TrendMeasure::SumTail, "杀和尾"}, {TrendMeasure::Span, "杀跨度"},         {TrendMeasure::Form, "特别排除"},
        {TrendMeasure::BigSmall, "杀形态排列"}, {TrendMeasure::OddEven, "杀形态排列"}, {TrendMeasure::Road, "012路排除"}};
    StateMaker make(5);
    for (TrendMeasure m : kTrendMeasures) {
        for (int v = -1; v <= trendValueCount(m); ++v) {
            // A state with other conditions set: ticking changes only the box's own row.
            const MainConditions before = make.main(0.05);
            MainConditions state = before;
            const std::optional<TrendBox> box = tickTrendBox(state, m, v);
            const bool inRange = v >= 0 && v < trendValueCount(m);
            if (m == TrendMeasure::Sum || !inRange) {
                EXPECT_FALSE(box) << int(m) << " " << v;
                EXPECT_EQ(state, before);
                continue;
            }
            ASSERT_TRUE(box) << int(m) << " " << v;
            EXPECT_EQ(box->caption, group.at(m) + " " + trendValueCaption(m, v));
            // Alone, the ticked box rules out the numbers with that value.
            MainConditions alone;
            tickTrendBox(alone, m, v);
            NumberSet withValue;
            for (int n = 0; n < NumberPool::kSize; ++n) withValue[std::size_t(n)] = trendValueOf(m, n) == v;
            EXPECT_EQ(rowKills(box->row, shrinkInputs(alone)), withValue) << box->caption;
            // In the busy state the only control that changed is one of the row's.
            const std::vector<std::string> own = rowControlNames(box->row);
            MainConditions copy = before;
            const std::vector<ControlField> was = mainControls(copy), now = mainControls(state);
            int changed = 0;
            for (std::size_t i = 0; i < was.size(); ++i) {
                const bool same = std::visit(
                    [&](auto* a) { return *a == *std::get<decltype(a)>(now[i].value); }, was[i].value);
                if (same) continue;
                ++changed;
                EXPECT_TRUE(std::count(own.begin(), own.end(), was[i].key)) << was[i].key;
            }
            EXPECT_LE(changed, 1);
        }
    }
}

}  // namespace
}  // namespace tarnel
