// Two-star run: an empty run, a run with every grid in use, and runs over
// large pasted lists (the lists are read in one pass each).
#include <benchmark/benchmark.h>

#include <string>

#include "core/rules/two_star_run.h"

namespace {

using tarnel::PairPool;
using tarnel::TwoStarInputs;

void BM_TwoStarEmptyRun(benchmark::State& state) {
    PairPool pool;
    const TwoStarInputs in;
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::runTwoStar(pool, in));
}
BENCHMARK(BM_TwoStarEmptyRun);

void BM_TwoStarEveryGrid(benchmark::State& state) {
    PairPool pool;
    TwoStarInputs in;
    in.bankerDigit[3] = in.bankerDigit[17] = in.bankerDigit[25] = true;
    in.bankerCount[1] = in.bankerCount[2] = true;
    in.span[4] = in.sum[11] = in.position[2] = in.position[15] = true;
    in.compound[5] = in.compound[16] = in.shape[1] = in.road[4] = in.kind[1] = true;
    in.killList = "12 34 56";
    in.baseList = "00 11 22 33 44 55 66 77 88 99 13 37 57 73";
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::runTwoStar(pool, in));
}
BENCHMARK(BM_TwoStarEveryGrid);

void BM_TwoStarPastedLists(benchmark::State& state) {
    PairPool pool;
    TwoStarInputs in;
    const std::string chunk = "12，34 56\r\n中文 78;";
    while (in.baseList.size() < static_cast<std::size_t>(state.range(0))) in.baseList += chunk;
    in.killList = in.baseList;
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::runTwoStar(pool, in));
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_TwoStarPastedLists)->Arg(1 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
