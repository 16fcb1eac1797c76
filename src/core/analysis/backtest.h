#pragma once
// 历史验证: the conditions of a window checked against past draws. Would the
// conditions have kept each winning number, and which rows would have ruled
// it out?

#include <string>
#include <vector>

#include "core/rules/pair_pool.h"
#include "core/files/history.h"
#include "core/state/shrink.h"
#include "core/rules/two_star_run.h"

namespace tarnel {

struct DrawCheck {
    Draw draw;                 // the draw as read (its number: three digits)
    std::string number;        // what was checked: the draw, or its last two digits for the two-star window
    bool survives = false;     // kept by the conditions with the tolerance in force
    std::vector<int> killedBy; // main window: rows 2..28 that rule it out; two-star window: {0} or {}
};

struct Backtest {
    std::vector<DrawCheck> draws;  // in the history's order
    std::vector<int> skipped;      // lines of the history without a draw
    int kept = 0;
    int longestMissRun = 0;        // most draws in a row that the conditions would have missed
    int lastMiss = -1;             // index into draws of the last missed draw, -1 when none
    // How many winning numbers each row would have ruled out, by 1-based row 2..28.
    std::vector<int> killsByRow;
};

// The main window's conditions against every draw of a history.
Backtest backtestMain(const ShrinkInputs& inputs, int tolerance, const History& history);
// The two-star window's conditions against the last two digits of every draw.
Backtest backtestTwoStar(const TwoStarInputs& inputs, const History& history);

}  // namespace tarnel
