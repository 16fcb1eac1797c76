// The run's fast paths against the plain run they replaced: the pool's
// kill state kept as words, the rows not set skipped, ready kill sets ruled
// out word by word, and the result written from a table of number texts.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/rules/digits.h"
#include "core/rules/text.h"
#include "core/state/shrink.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// Every row's stage run in order on the pool, then the survivors written
// number by number: the run before it had fast paths.
ShrinkResult plainRun(NumberPool& pool, const ShrinkInputs& in) {
    ShrinkResult unused;
    for (const ConditionRow& row : kRows)
        if (row.kind != RowKind::Output) row.run(pool, in, unused);
    ShrinkResult r;
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

TEST(FastRun, MatchesThePlainRunOverRandomStates) {
    StateMaker make(3031);
    NumberPool pool;  // reused run after run, as the window does
    for (int round = 0; round < 400; ++round) {
        const double p = round % 4 == 0 ? 0.5 : 0.03 + 0.01 * (round % 10);
        const ShrinkInputs in = shrinkInputs(make.main(p));
        NumberPool plainPool;
        const ShrinkResult plain = plainRun(plainPool, in);
        int stages = 0;
        const ShrinkResult fast = runShrink(pool, in, [&stages](int) { ++stages; });
        ASSERT_EQ(fast.text, plain.text) << "round " << round;
        ASSERT_EQ(fast.count, plain.count);
        ASSERT_EQ(stages, kStageCount);
        for (int i = 0; i < NumberPool::kSize; ++i) ASSERT_EQ(pool.alive(i), plainPool.alive(i)) << i;
        // The rows taken together for tolerance are each row's stage alone.
        const RowKills kills = computeRowKills(in);
        for (const ConditionRow& row : namedRows()) ASSERT_EQ(kills[row.id], stageKills(row.id, in)) << row.name;
    }
}

// ---- the stages now built from ready sets, against their rules number by number ----

template <class Pred>
NumberSet numbersWhere(Pred pred) {
    NumberSet set;
    for (int n = 0; n < NumberPool::kSize; ++n) set[std::size_t(n)] = pred(n / 100, n / 10 % 10, n % 10);
    return set;
}

template <std::size_t N>
unsigned ticked(const std::array<bool, N>& boxes, std::size_t first, std::size_t count) {
    unsigned mask = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (boxes[first + i]) mask |= 1u << i;
    return mask;
}

unsigned outcomeOf(int a, int b) { return a > b ? 1u : a == b ? 2u : 4u; }

// What each of these rows rules out, decided number by number as its rule reads.
NumberSet plainKills(RowId id, const ShrinkInputs& in) {
    const auto& s = in.source;
    const auto& d = in.digits;
    const auto& p = in.positional;
    switch (id) {
        case RowId::CompoundDigits: {
            if (!s.compoundOn) return {};
            const unsigned allowed[3] = {digitSet(s.compoundDigits[0]), digitSet(s.compoundDigits[1]),
                                         digitSet(s.compoundDigits[2])};
            return numbersWhere([&](int a, int b, int c) {
                return !inDigitSet(allowed[0], a) || !inDigitSet(allowed[1], b) || !inDigitSet(allowed[2], c);
            });
        }
        case RowId::JunkCompounds: {
            const std::string_view text = trimSpaces(in.lists.junkCompounds);
            if (text.empty()) return {};
            std::vector<CompoundLine> lines;
            for (std::size_t start = 0;;) {
                const std::size_t end = text.find("\r\n", start);
                lines.push_back(parseCompoundLine(text.substr(start, end == std::string_view::npos ? end : end - start)));
                if (end == std::string_view::npos) break;
                start = end + 2;
            }
            return numbersWhere([&](int a, int b, int c) {
                for (const CompoundLine& line : lines)
                    if (inDigitSet(line.digits[0], a) && inDigitSet(line.digits[1], b) && inDigitSet(line.digits[2], c))
                        return true;
                return false;
            });
        }
        case RowId::BankerDigits: {
            const unsigned bankers = ticked(d.bankerDigits, 0, 10);
            if (!bankers) return {};
            const int required = d.bankerCount[0] ? 1 : d.bankerCount[1] ? 2 : d.bankerCount[2] ? 3 : 1;
            return numbersWhere(
                [&](int a, int b, int c) { return bankerHits(std::array{a, b, c}, bankers, false) < required; });
        }
        case RowId::CompoundExclude:
        case RowId::PositionKill: {
            const auto& grid = id == RowId::CompoundExclude ? d.compoundExclude : d.positionKill;
            const unsigned rows[3] = {ticked(grid, 0, 10), ticked(grid, 10, 10), ticked(grid, 20, 10)};
            if (id == RowId::CompoundExclude ? !(rows[0] && rows[1] && rows[2]) : !(rows[0] || rows[1] || rows[2]))
                return {};
            return numbersWhere([&](int a, int b, int c) {
                const bool hits[3] = {inDigitSet(rows[0], a), inDigitSet(rows[1], b), inDigitSet(rows[2], c)};
                return id == RowId::CompoundExclude ? hits[0] && hits[1] && hits[2] : hits[0] || hits[1] || hits[2];
            });
        }
        case RowId::PositionMatch: {
            if (p.matchRules.empty()) return {};
            std::vector<MatchRule> rules;
            for (const std::string& line : p.matchRules)
                if (const auto rule = parseMatchRule(line)) rules.push_back(*rule);
            return numbersWhere([&](int a, int b, int c) {
                const int digit[3] = {a, b, c};
                for (const MatchRule& r : rules)
                    if (r.outcomes & outcomeOf(digit[r.first], digit[r.second])) return false;
                return true;
            });
        }
        case RowId::PositionalGrid: {
            if (p.gridRows[0].empty() && p.gridRows[1].empty() && p.gridRows[2].empty()) return {};
            const unsigned rows[3] = {digitSet(p.gridRows[0]), digitSet(p.gridRows[1]), digitSet(p.gridRows[2])};
            const unsigned counts = digitSet(p.gridCounts.empty() ? std::string_view("123") : p.gridCounts);
            return numbersWhere([&](int a, int b, int c) {
                return !inDigitSet(counts, int(inDigitSet(rows[0], a)) + int(inDigitSet(rows[1], b)) +
                                               int(inDigitSet(rows[2], c)));
            });
        }
        case RowId::BankerGroups: {
            if (!p.bankerOn) return {};
            std::vector<std::pair<unsigned, unsigned>> groups;
            for (std::size_t g = 0; g < p.bankerDigits.size(); ++g)
                if (!p.bankerDigits[g].empty())
                    groups.emplace_back(digitSet(p.bankerDigits[g]),
                                        digitSet(p.bankerCounts[g].empty() ? std::string_view("123") : p.bankerCounts[g]));
            return numbersWhere([&](int a, int b, int c) {
                for (const auto& [digits, counts] : groups)
                    if (!inDigitSet(counts, bankerHits(std::array{a, b, c}, digits, p.bankerRepeats))) return true;
                return false;
            });
        }
        default:
            return stageKills(id, in);
    }
}

TEST(FastRun, StagesFromReadySetsMatchTheirRulesNumberByNumber) {
    StateMaker make(3037);
    const RowId rows[] = {RowId::CompoundDigits, RowId::JunkCompounds,  RowId::BankerDigits,
                          RowId::CompoundExclude, RowId::PositionKill,  RowId::PositionMatch,
                          RowId::PositionalGrid,  RowId::BankerGroups};
    std::map<RowId, int> ruledOut;  // rounds where the row ruled out some but not all
    for (int round = 0; round < 600; ++round) {
        MainConditions state = make.main(round % 3 == 0 ? 0.5 : 0.15);
        if (round % 2 == 0) state.positional.bankerOn = true;
        if (round % 5 == 0) {
            state.sources.compoundOn = true;
            for (std::string& digits : state.sources.compoundDigits)
                if (make.chance(0.8)) digits = make.numberList(1 + make.below(6), 1, false);
        }
        if (round % 4 == 1) {
            std::string junk;
            for (int line = make.below(3); line >= 0; --line) {
                if (!junk.empty()) junk += "\r\n";
                junk += make.numberList(1 + make.below(4), 1, false) + "*" + make.numberList(1 + make.below(4), 1, false) +
                        "*" + make.numberList(1 + make.below(4), 1, false);
            }
            state.lists.junkCompounds = junk;
        }
        const ShrinkInputs in = shrinkInputs(state);
        for (RowId id : rows) {
            const NumberSet kills = stageKills(id, in);
            ASSERT_EQ(kills, plainKills(id, in)) << conditionRow(id).name << " round " << round;
            if (kills.any() && !kills.all()) ++ruledOut[id];
        }
    }
    for (RowId id : rows) EXPECT_GT(ruledOut[id], 20) << conditionRow(id).name;
}

TEST(FastRun, SetsAsWordsAndPoolStatesMatchBitByBit) {
    std::mt19937 rng(5);
    NumberPool pool;
    for (int round = 0; round < 200; ++round) {
        NumberSet set;
        const unsigned density = 1 + rng() % 8;
        for (std::size_t n = 0; n < set.size(); ++n) set[n] = rng() % density == 0;
        const NumberWords words = numberWords(set);
        for (std::size_t n = 0; n < set.size(); ++n) ASSERT_EQ(((words[n / 64] >> (n % 64)) & 1) != 0, set[n]) << n;
        EXPECT_EQ(words.back() & ~numberWordMask(kNumberWordCount - 1), 0u);
        EXPECT_EQ(numberSet(words), set);
        std::size_t visited = 0, last = 0;
        forEachNumber(set, [&](std::size_t n) {
            EXPECT_TRUE(set[n]);
            EXPECT_TRUE(visited == 0 || n > last);
            last = n;
            ++visited;
        });
        EXPECT_EQ(visited, set.count());

        pool.resetTo(set);
        EXPECT_EQ(pool.aliveSet(), set);
        EXPECT_EQ(pool.aliveCount(), int(set.count()));
        // The survivors in writing order, converted to groups, then a reset
        // brings back every entry with its own number.
        const ShrinkResult out = outputResult(pool);
        EXPECT_EQ(out.count, int(set.count()));
        if (set.any()) {
            EXPECT_EQ(out.text.size(), set.count() * 4 - 1);
        }
        convertToGroups(pool);
        pool.reset();
        for (int i = 0; i < NumberPool::kSize; ++i) ASSERT_EQ(pool.value(i), i);
        EXPECT_EQ(pool.aliveCount(), NumberPool::kSize);
    }
}

}  // namespace
}  // namespace tarnel
