// The rule search (条件寻优) over 7,600 draws: one search without null runs
// (target 50 ms), and the default search with 99 null runs shared between
// the cores (target 5 s wall time). The null runs are what the time goes
// on, so the second case is measured by the process's CPU time beside the
// wall time: their ratio says how well the cores are shared.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/analysis/rule_search.h"

namespace {

std::vector<int> uniformDraws(std::size_t n) {
    std::mt19937 rng(2026);
    std::vector<int> d(n);
    for (int& x : d) x = int(rng() % 1000);
    return d;
}

void BM_RuleSearchOnce(benchmark::State& state) {
    const std::vector<int> draws = uniformDraws(7600);
    const std::size_t holdout = tarnel::holdoutDrawCount(draws.size(), 0.3);
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::searchOnce(draws, holdout, int(state.range(0))));
}
BENCHMARK(BM_RuleSearchOnce)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_RuleSearchWithNullRuns(benchmark::State& state) {
    const std::vector<int> draws = uniformDraws(7600);
    const tarnel::SearchSettings settings{0.3, 2, int(state.range(0)), 1};
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::searchRules(draws, settings, unsigned(state.range(1))));
}
// Default search: 99 null runs, on one thread and on every core.
BENCHMARK(BM_RuleSearchWithNullRuns)
    ->Args({99, 1})
    ->Args({99, 0})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
