#include "core/analysis/walk_forward.h"

#include <algorithm>

#include "core/files/history_order.h"

namespace tarnel {

std::vector<int> drawsInTimeOrder(const History& history) {
    std::vector<int> numbers;
    numbers.reserve(history.draws.size());
    for (std::size_t i : timeOrder(history)) {
        const std::string& d = history.draws[i].number;
        numbers.push_back((d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0'));
    }
    return numbers;
}

WalkForward::WalkForward(const MainConditions& conditions, BetKind kind, const MoneySettings& money)
    : kills_(computeRowKills(shrinkInputs(conditions))),
      tolerance_(kills_, conditions.tolerance),
      tracker_(conditions.rules),
      kind_(kind),
      money_(money),
      rules_(ruleRows(conditions, {})) {
    for (const PastDrawRule& r : conditions.rules) lookBack_ = std::max(lookBack_, static_cast<std::size_t>(r.draws));
}

const NumberSet& WalkForward::survivorsForNext() {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        ExtraRow& row = rules_[i];
        row.ready = tracker_.ready(i);
        row.kills = tracker_.kills(i);  // none while not ready
    }
    survivors_ = tolerance_.survivors(rules_);
    return survivors_;
}

Bets WalkForward::betsForNext() { return Bets::main(survivorsForNext(), kind_); }

WalkForward::Step WalkForward::next(int number) {
    Step step;
    step.warmup = !tracker_.allReady();
    if (!step.warmup) {
        for (std::size_t i = 0; i < rules_.size(); ++i) {
            ExtraRow& row = rules_[i];
            row.ready = true;
            row.kills = tracker_.kills(i);
            if (row.kills.test(static_cast<std::size_t>(number))) step.ruleRows.push_back(row.number);
        }
        const NumberSet survivors = tolerance_.survivors(rules_);
        step.survives = survivors.test(static_cast<std::size_t>(number));
        // Rules often give the same values draw after draw: the bets are
        // made again only when the survivors change.
        if (!haveBets_ || survivors != betsFor_) {
            bets_ = Bets::main(survivors, kind_);
            betsFor_ = survivors;
            haveBets_ = true;
        }
        step.money = drawMoney(bets_, number, money_);
    }
    tracker_.add(number);
    return step;
}

WalkForwardBacktest backtestWalkForward(const MainConditions& conditions, const History& history, BetKind kind,
                                        const MoneySettings& money) {
    WalkForwardBacktest b;
    b.skipped = history.skipped;
    b.draws.resize(history.draws.size());
    WalkForward walk(conditions, kind, money);
    MoneyTally tally;
    for (std::size_t i : timeOrder(history)) {
        const std::string& d = history.draws[i].number;
        const int n = (d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0');
        WalkForward::Step step = walk.next(n);
        WalkForwardDraw& draw = b.draws[i];
        draw.index = i;
        draw.warmup = step.warmup;
        if (step.warmup) {
            ++b.warmup;
            continue;
        }
        draw.survives = step.survives;
        draw.killedBy = walk.fixedKills().killedBy(n);
        draw.killedBy.insert(draw.killedBy.end(), step.ruleRows.begin(), step.ruleRows.end());
        draw.money = step.money;
        ++b.total;
        b.kept += step.survives ? 1 : 0;
        tally.add(step.money);
    }
    // Added in time order: the run without a hit at the end is the newest.
    b.money = tally.totals(false);
    return b;
}

std::vector<int> ruleRowsAt(std::span<const PastDrawRule> rules, std::span<const int> numbers, std::size_t t) {
    std::vector<int> rows;
    if (t >= numbers.size()) return rows;
    const std::span<const int> past = numbers.first(t);
    for (const PastDrawRule& r : rules)
        if (!ruleReady(r, past.size())) return rows;  // a warm-up draw
    const int n = numbers[t];
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const PastDrawRule& r = rules[i];
        const bool has = (measureValues(r.measure, n) & ruleValues(r, past)) != 0;
        if (has == (r.action == RuleAction::Kill)) rows.push_back(kFirstRuleRow + static_cast<int>(i));
    }
    return rows;
}

WalkedBacktest walkBacktest(const MainConditions& conditions, const History& history, BetKind kind,
                            const MoneySettings& money) {
    WalkedBacktest b;
    b.draws.resize(history.draws.size());
    b.timeOrder = timeOrder(history);
    b.numbers.reserve(b.timeOrder.size());
    for (std::size_t i : b.timeOrder) {
        const std::string& d = history.draws[i].number;
        b.numbers.push_back((d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0'));
    }
    b.killsByRow.assign(static_cast<std::size_t>(kFirstRuleRow) + conditions.rules.size(), 0);
    WalkForward walk(conditions, kind, money);
    MoneyTally tally;
    for (std::size_t t = 0; t < b.timeOrder.size(); ++t) {
        const int n = b.numbers[t];
        const WalkForward::Step step = walk.next(n);
        WalkedDraw& draw = b.draws[b.timeOrder[t]];
        draw.warmup = step.warmup;
        if (step.warmup) {
            ++b.warmup;
            continue;
        }
        draw.survives = step.survives;
        draw.money = step.money;
        for (int row : walk.fixedKills().killedBy(n)) ++b.killsByRow[static_cast<std::size_t>(row)];
        for (int row : step.ruleRows) ++b.killsByRow[static_cast<std::size_t>(row)];
        ++b.total;
        b.kept += step.survives ? 1 : 0;
        tally.add(step.money);
    }
    b.money = tally.totals(false);
    const Bets next = walk.betsForNext();
    b.nextBets = next.count();
    b.nextChance = next.chance();
    return b;
}

}  // namespace tarnel
