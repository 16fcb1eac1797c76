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

    // Adds a draw to those seen without betting on it: a walk that starts
    // part-way along a history is fed the draws its rules look back on.
    void skip(int number) { tracker_.add(number); }
    // Whether every rule can look back far enough for the next draw.
    bool ready() const { return tracker_.allReady(); }
    // The survivors of the run for the next draw, as the start button makes
    // them: a rule that is not ready yet rules out nothing.
    const NumberSet& survivorsForNext();
    // The bets bought on the next draw: those of the run above.
    Bets betsForNext();

    // The fixed rows alone (without the rule rows).
    const RowKills& fixedKills() const { return kills_; }
    std::size_t ruleCount() const { return tracker_.size(); }
    // The most draws a rule looks back on (0 without rules).
    std::size_t lookBack() const { return lookBack_; }

private:
    RowKills kills_;
    FixedRowTolerance tolerance_;
    RuleTracker tracker_;
    BetKind kind_;
    MoneySettings money_;
    std::vector<ExtraRow> rules_;  // the rule rows, their kills those of the draw bet on
    std::size_t lookBack_ = 0;
    NumberSet survivors_;          // of the last survivorsForNext()
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

// The rule rows (101…) that rule out draw t of `numbers` (time order) with
// the rules looking back from it; empty for a warm-up draw. It reads only
// the draws the rules look back on, so a table can ask for the rows it
// shows instead of keeping every draw's list.
std::vector<int> ruleRowsAt(std::span<const PastDrawRule> rules, std::span<const int> numbers, std::size_t t);

// ---- a walk-forward backtest held in bounded memory ------------------------------

// One scored or warm-up draw in a few bytes: no list of rows, however many
// rules there are.
struct WalkedDraw {
    bool warmup = false;
    bool survives = false;
    DrawMoney money;  // scored draws only
};

// A walk-forward backtest as a window keeps it: by draw in the history's
// line order a WalkedDraw, the fixed rows' kills once, and for each row how
// many scored draws it ruled out. Its memory grows with the draws and with
// the rules, never with their product.
struct WalkedBacktest {
    std::vector<WalkedDraw> draws;       // in the history's line order
    std::vector<std::size_t> timeOrder;  // every draw's index, oldest first
    std::vector<int> numbers;            // the draws in time order, for ruleRowsAt
    std::vector<int> killsByRow;         // scored draws each row ruled out: rows 2..28, then 101…
    int warmup = 0;
    int total = 0;
    int kept = 0;
    MoneyTotals money;                   // over the scored draws
    // The bets bought on the draw after the newest: the run as the start
    // button makes it now (a rule not yet ready rules out nothing).
    int nextBets = 0;
    double nextChance = 0;
};

WalkedBacktest walkBacktest(const MainConditions& conditions, const History& history, BetKind kind,
                            const MoneySettings& money);

}  // namespace tarnel
