// Banker-group and positional stages: cost per run against input size.
#include <benchmark/benchmark.h>

#include <string>

#include "core/rules/positional.h"

namespace {

using namespace tarnel;

std::string pairPaste(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 16);
    unsigned x = 12345;
    while (text.size() < bytes) {
        x = x * 1103515245u + 12345u;
        text += static_cast<char>('0' + (x >> 16) % 10);
        text += static_cast<char>('0' + (x >> 20) % 10);
        text += (x >> 24) % 8 == 0 ? "\r\n" : "  ";
        if ((x >> 8) % 50 == 0) text += "胆x";
    }
    return text;
}

void BM_CleanPairList(benchmark::State& state) {
    const std::string text = pairPaste(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(cleanPairListText(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CleanPairList)->Arg(1 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMicrosecond);

void BM_KeepPositionalPairs(benchmark::State& state) {
    PositionalInputs in;
    for (auto& list : in.pairLists) list = pairPaste(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        NumberPool pool;
        keepPositionalPairs(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 3);
}
BENCHMARK(BM_KeepPositionalPairs)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_PositionMatchRules(benchmark::State& state) {
    PositionalInputs in;
    const char* positions[3] = {"百", "十", "个"};
    for (int i = 0; i < state.range(0); ++i)
        in.matchRules.push_back(matchRuleLine(positions[i % 3], std::string(kMatchRelations[i % 6]),
                                              positions[(i / 3) % 3]));
    for (auto _ : state) {
        NumberPool pool;
        applyPositionMatchRules(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PositionMatchRules)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_GridSumTailBanker(benchmark::State& state) {
    PositionalInputs in;
    in.gridRows = {"1*3*", "2*", "0*9*"};
    in.gridCounts = "1*2*";
    in.anyTwoSumTails = "0357";
    in.bankerOn = true;
    in.bankerDigits = {"45789", "12", "", "0369"};
    in.bankerCounts = {"12", "", "", "01"};
    for (auto _ : state) {
        NumberPool pool;
        applyPositionalDigitGrid(pool, in);
        keepAnyTwoDigitSumTail(pool, in);
        applyBankerGroups(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
}
BENCHMARK(BM_GridSumTailBanker)->Unit(benchmark::kMicrosecond);

}  // namespace
