#include "core/rules/pair_step_kills.h"

namespace tarnel {

std::vector<int> PairStepKills::killedBy(int pair) const {
    std::vector<int> steps;
    for (int s = 0; s < kTwoStarStepCount; ++s)
        if (byStep[static_cast<std::size_t>(s)].test(static_cast<std::size_t>(pair))) steps.push_back(s);
    return steps;
}

PairStepKills computePairStepKills(const TwoStarInputs& in) {
    PairStepKills kills;
    for (int s = 1; s + 1 < kTwoStarStepCount; ++s) {
        PairPool pool;
        TwoStarResult ignored;
        kTwoStarSteps[static_cast<std::size_t>(s)].run(pool, in, ignored);
        auto& set = kills.byStep[static_cast<std::size_t>(s)];
        for (int i = 0; i < PairPool::kSize; ++i)
            if (!pool.alive(i)) set.set(static_cast<std::size_t>(i));
    }
    return kills;
}

std::string_view pairStepName(int step) {
    static constexpr std::array<std::string_view, kTwoStarStepCount> names = {
        "", "胆组", "杀跨", "杀和值", "定位杀", "复式排除", "杀形态", "杀012路", "杀对子连号杂号", "杀垃圾", "大底号码", ""};
    if (step < 0 || step >= kTwoStarStepCount) return {};
    return names[static_cast<std::size_t>(step)];
}

}  // namespace tarnel
