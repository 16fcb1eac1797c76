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

std::vector<ExtraRow> ruleRows(const MainConditions& conditions, std::span<const int> past) {
    std::vector<ExtraRow> rows;
    rows.reserve(conditions.rules.size());
    for (const PastDrawRule& rule : conditions.rules) {
        ExtraRow row;
        row.number = kFirstRuleRow + static_cast<int>(rows.size());
        row.name = ruleSentence(rule);
        row.page = kRulesPage;
        row.ready = ruleReady(rule, past.size());
        if (row.ready) row.kills = ruleKills(rule, ruleValues(rule, past));
        rows.push_back(std::move(row));
    }
    return rows;
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

}  // namespace tarnel
