#pragma once
// Backtests with rules that follow past draws walk forward: every draw is
// bet on with the rules looking back from it, in time order, as if the
// player had applied them that day. A draw before which some rule is not
// ready is a warm-up draw: listed, and left out of every count and total.

#include <cstdint>
#include <span>
#include <vector>

#include "core/analysis/backtest_money.h"
#include "core/files/history.h"
#include "core/state/condition_state.h"
#include "core/state/past_draw_rules.h"
#include "core/state/shrink.h"

namespace tarnel {

// The draws of a history as numbers, oldest first.
std::vector<int> drawsInTimeOrder(const History& history);

// One step at a time: next(number) bets on `number` as the draw after those
// seen so far, then adds it to them. The fixed rows are computed and
// counted once; each step swaps in the rule rows' kill sets for that draw.
class WalkForward {
public:
    WalkForward(const MainConditions& conditions, BetKind kind, const MoneySettings& money);

    struct Step {
        bool warmup = false;
        bool survives = false;
        std::vector<int> ruleRows;  // the rule rows 101… that rule the draw out (ready rules only)
        DrawMoney money;
    };
    Step next(int number);

    // The fixed rows alone (without the rule rows).
    const RowKills& fixedKills() const { return kills_; }
    std::size_t ruleCount() const { return tracker_.size(); }

private:
    RowKills kills_;
    FixedRowTolerance tolerance_;
    RuleTracker tracker_;
    BetKind kind_;
    MoneySettings money_;
    std::vector<ExtraRow> rules_;  // the rule rows, their kills those of the draw bet on
    bool haveBets_ = false;
    NumberSet betsFor_;  // the survivors `bets_` was made from
    Bets bets_;
};

struct WalkForwardDraw {
    std::size_t index = 0;     // into history.draws
    bool warmup = false;
    bool survives = false;     // scored draws only
    std::vector<int> killedBy; // rows 2..28 and rule rows 101…, ascending
    DrawMoney money;           // scored draws only
};

struct WalkForwardBacktest {
    std::vector<WalkForwardDraw> draws;  // in the history's line order
    std::vector<int> skipped;
    int warmup = 0;  // warm-up draws
    int total = 0;   // scored draws
    int kept = 0;
    MoneyTotals money;  // over the scored draws
};

WalkForwardBacktest backtestWalkForward(const MainConditions& conditions, const History& history,
                                        BetKind kind = BetKind::Direct, const MoneySettings& money = {});

}  // namespace tarnel
