#include "core/analysis/walk_forward.h"

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
      rules_(ruleRows(conditions, {})) {}

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

}  // namespace tarnel
