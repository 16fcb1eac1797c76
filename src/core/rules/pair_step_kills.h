#pragma once
// What each condition of the two-star window rules out on its own, so that
// a backtest can say which conditions would have missed a draw. Every step
// of the two-star run decides a pair from its own digits and the step's
// inputs, so a pair survives the run exactly when no step rules it out.

#include <array>
#include <bitset>
#include <string_view>
#include <vector>

#include "core/rules/pair_pool.h"
#include "core/rules/two_star_run.h"

namespace tarnel {

struct PairStepKills {
    // By step index of the run (0 = rebuild and the last = output kill nothing).
    std::array<std::bitset<PairPool::kSize>, kTwoStarStepCount> byStep;
    // The steps that rule out `pair` (0..99), ascending.
    std::vector<int> killedBy(int pair) const;
};

PairStepKills computePairStepKills(const TwoStarInputs& in);

// The player's name of a step, as the two-star window labels its conditions
// (胆组, 杀跨, …); empty for the rebuild and output steps.
std::string_view pairStepName(int step);

}  // namespace tarnel
