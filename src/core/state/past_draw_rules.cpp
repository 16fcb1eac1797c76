#include "core/state/past_draw_rules.h"

#include <algorithm>
#include <bit>

namespace tarnel {

namespace {

// For every measure and value, the numbers with that value.
using ByValue = std::array<NumberSet, 32>;
const ByValue& numbersByValue(RuleMeasure measure) {
    static const auto sets = [] {
        std::array<ByValue, kRuleMeasureCount> s;
        for (int m = 0; m < kRuleMeasureCount; ++m)
            for (int n = 0; n < NumberPool::kSize; ++n)
                for (std::uint32_t v = measureValues(static_cast<RuleMeasure>(m), n); v; v &= v - 1)
                    s[std::size_t(m)][std::size_t(std::countr_zero(v))].set(std::size_t(n));
        return s;
    }();
    return sets[static_cast<std::size_t>(measure)];
}

std::uint32_t allValues(RuleMeasure measure) {
    return (std::uint32_t(1) << measureInfo(measure).values) - 1;
}

}  // namespace

std::uint32_t ruleValues(const PastDrawRule& rule, std::span<const int> past) {
    if (!ruleReady(rule, past.size())) return 0;
    const auto window = past.last(static_cast<std::size_t>(rule.draws));
    if (rule.from == RuleSource::Recent) {
        std::uint32_t values = 0;
        for (int n : window) values |= measureValues(rule.measure, n);
        return values;
    }
    // Omission: walking back from the newest draw, a value first met j
    // draws back has omission j; values never met have `draws`.
    std::uint32_t met = 0, values = 0;
    const auto keep = [&](std::uint32_t bits, int omission) {
        if (omission >= rule.min && omission <= rule.max) values |= bits;
    };
    for (std::size_t j = 0; j < window.size(); ++j) {
        const std::uint32_t fresh = measureValues(rule.measure, window[window.size() - 1 - j]) & ~met;
        keep(fresh, static_cast<int>(j));
        met |= fresh;
    }
    keep(allValues(rule.measure) & ~met, rule.draws);
    return values;
}

NumberSet ruleKills(const PastDrawRule& rule, std::uint32_t values) {
    NumberSet having;
    const ByValue& byValue = numbersByValue(rule.measure);
    for (std::uint32_t v = values; v; v &= v - 1) having |= byValue[std::size_t(std::countr_zero(v))];
    return rule.action == RuleAction::Kill ? having : ~having;
}

std::vector<int> valueList(std::uint32_t values) {
    std::vector<int> list;
    for (; values; values &= values - 1) list.push_back(std::countr_zero(values));
    return list;
}

std::vector<RuleOutcome> ruleOutcomes(const std::vector<PastDrawRule>& rules, std::span<const int> past) {
    std::vector<RuleOutcome> out;
    out.reserve(rules.size());
    for (const PastDrawRule& rule : rules) {
        RuleOutcome o;
        o.ready = ruleReady(rule, past.size());
        if (o.ready) {
            o.values = ruleValues(rule, past);
            o.kills = ruleKills(rule, o.values);
        }
        out.push_back(o);
    }
    return out;
}

std::vector<NumberSet> killSets(const std::vector<RuleOutcome>& outcomes) {
    std::vector<NumberSet> sets;
    sets.reserve(outcomes.size());
    for (const RuleOutcome& o : outcomes) sets.push_back(o.kills);
    return sets;
}

// ---- tracking along a history ----------------------------------------------------

RuleTracker::RuleTracker(std::vector<PastDrawRule> rules) : rules_(std::move(rules)), tracks_(rules_.size()) {
    for (const PastDrawRule& r : rules_) maxDraws_ = std::max(maxDraws_, static_cast<std::size_t>(r.draws));
    ring_.assign(std::max<std::size_t>(maxDraws_, 1), 0);
    for (Track& t : tracks_) t.last.fill(-1);
}

void RuleTracker::add(int number) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const PastDrawRule& r = rules_[i];
        Track& t = tracks_[i];
        if (r.from == RuleSource::Recent) {
            for (std::uint32_t v = measureValues(r.measure, number); v; v &= v - 1) ++t.count[std::size_t(std::countr_zero(v))];
            // The draw that leaves the window (still in the ring: the window
            // is never longer than the ring).
            const auto draws = static_cast<std::size_t>(r.draws);
            if (seen_ >= draws) {
                const int leaving = ring_[(seen_ - draws) % ring_.size()];
                for (std::uint32_t v = measureValues(r.measure, leaving); v; v &= v - 1)
                    --t.count[std::size_t(std::countr_zero(v))];
            }
        } else {
            for (std::uint32_t v = measureValues(r.measure, number); v; v &= v - 1)
                t.last[std::size_t(std::countr_zero(v))] = static_cast<long long>(seen_);
        }
    }
    ring_[seen_ % ring_.size()] = static_cast<std::uint16_t>(number);
    ++seen_;
}

std::uint32_t RuleTracker::values(std::size_t i) const {
    if (!ready(i)) return 0;
    const PastDrawRule& r = rules_[i];
    const Track& t = tracks_[i];
    const int range = measureInfo(r.measure).values;
    std::uint32_t values = 0;
    for (int v = 0; v < range; ++v) {
        const auto s = std::size_t(v);
        if (r.from == RuleSource::Recent) {
            if (t.count[s] > 0) values |= std::uint32_t(1) << v;
            continue;
        }
        const long long ago = t.last[s] < 0 ? r.draws : static_cast<long long>(seen_) - 1 - t.last[s];
        const long long omission = std::min<long long>(ago, r.draws);
        if (omission >= r.min && omission <= r.max) values |= std::uint32_t(1) << v;
    }
    return values;
}

const NumberSet& RuleTracker::kills(std::size_t i) {
    static const NumberSet none;
    if (!ready(i)) return none;
    Track& t = tracks_[i];
    const std::uint32_t v = values(i);
    if (!t.killsMade || t.killsFor != v) {
        t.kills = ruleKills(rules_[i], v);
        t.killsFor = v;
        t.killsMade = true;
    }
    return t.kills;
}

// ---- tolerance with rules ------------------------------------------------------

ToleranceWithRules::ToleranceWithRules(const RowKills& kills, int tolerance)
    : tolerance_(std::clamp(tolerance, 0, kMaxTolerance)), sources_(~kills.sourceKills()) {
    atLeast_.assign(std::size_t(tolerance_) + 2, NumberSet());
    atLeast_[0].set();
    for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) {
        const NumberSet& row = kills.row(r);
        for (int j = tolerance_ + 1; j >= 1; --j) atLeast_[std::size_t(j)] |= atLeast_[std::size_t(j - 1)] & row;
    }
}

NumberSet ToleranceWithRules::survivors(std::span<const NumberSet> ruleKills) const {
    const std::size_t top = std::size_t(tolerance_) + 1;
    if (ruleKills.empty()) return sources_ & ~atLeast_[top];
    if (tolerance_ == 0) {
        NumberSet out = sources_ & ~atLeast_[1];
        for (const NumberSet& k : ruleKills) out &= ~k;
        return out;
    }
    std::vector<NumberSet> atLeast = atLeast_;
    for (const NumberSet& k : ruleKills)
        for (std::size_t j = top; j >= 1; --j) atLeast[j] |= atLeast[j - 1] & k;
    return sources_ & ~atLeast[top];
}

NumberSet survivorsWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int tolerance) {
    return ToleranceWithRules(kills, tolerance).survivors(ruleKills);
}

bool survivesWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int number, int tolerance) {
    const auto n = static_cast<std::size_t>(number);
    if (kills.sourceKills().test(n)) return false;
    int count = 0;
    for (int r = kFirstConditionRow; r <= kLastConditionRow; ++r) count += kills.row(r).test(n) ? 1 : 0;
    for (const NumberSet& k : ruleKills) count += k.test(n) ? 1 : 0;
    return count <= std::clamp(tolerance, 0, kMaxTolerance);
}

std::vector<int> killedByWithRules(const RowKills& kills, std::span<const NumberSet> ruleKills, int number) {
    std::vector<int> rows = kills.killedBy(number);
    for (std::size_t i = 0; i < ruleKills.size(); ++i)
        if (ruleKills[i].test(static_cast<std::size_t>(number))) rows.push_back(kFirstRuleRow + static_cast<int>(i));
    return rows;
}

// ---- a run with rules ------------------------------------------------------------

RulesRun runMainWithRules(NumberPool& pool, const MainConditions& conditions, std::span<const int> past) {
    RulesRun out;
    if (conditions.rules.empty()) {
        out.run = runMain(pool, conditions);
        return out;
    }
    MainRun& run = out.run;
    run.inputs = shrinkInputs(conditions);
    run.tolerance = conditions.tolerance;
    run.pairValueTexts = run.inputs.lists.pairValues;
    run.pairListTexts = run.inputs.positional.pairLists;
    out.rules = ruleOutcomes(conditions.rules, past);
    const RowKills kills = computeRowKills(run.inputs);
    pool.resetTo(survivorsWithRules(kills, killSets(out.rules), conditions.tolerance));
    run.result = outputResult(pool);
    return out;
}

}  // namespace tarnel
