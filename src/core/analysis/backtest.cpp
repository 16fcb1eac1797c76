#include "core/analysis/backtest.h"

#include <algorithm>

namespace tarnel {

namespace {

void summarise(Backtest& b) {
    int run = 0;
    for (std::size_t i = 0; i < b.draws.size(); ++i) {
        if (b.draws[i].survives) {
            ++b.kept;
            run = 0;
        } else {
            b.lastMiss = static_cast<int>(i);
            b.longestMissRun = std::max(b.longestMissRun, ++run);
        }
    }
}

}  // namespace

Backtest backtestMain(const ShrinkInputs& inputs, int tolerance, const History& history) {
    Backtest b;
    b.skipped = history.skipped;
    b.killsByRow.assign(static_cast<std::size_t>(kMaxRowNumber) + 1, 0);
    const RowKills kills = computeRowKills(inputs);
    b.draws.reserve(history.draws.size());
    for (const Draw& draw : history.draws) {
        const int n = std::stoi(draw.number);
        DrawCheck check{draw, draw.number, survivesWithTolerance(kills, n, tolerance), kills.killedBy(n)};
        for (int row : check.killedBy) ++b.killsByRow[static_cast<std::size_t>(row)];
        b.draws.push_back(std::move(check));
    }
    summarise(b);
    return b;
}

Backtest backtestTwoStar(const TwoStarInputs& inputs, const History& history) {
    Backtest b;
    b.skipped = history.skipped;
    b.killsByRow.assign(1, 0);
    PairPool pool;
    runTwoStar(pool, inputs);
    b.draws.reserve(history.draws.size());
    for (const Draw& draw : history.draws) {
        const std::string pair = twoStarDraw(draw);
        const bool kept = pool.alive(std::stoi(pair));
        DrawCheck check{draw, pair, kept, kept ? std::vector<int>{} : std::vector<int>{0}};
        if (!kept) ++b.killsByRow[0];
        b.draws.push_back(std::move(check));
    }
    summarise(b);
    return b;
}

}  // namespace tarnel
