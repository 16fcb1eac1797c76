// Digit-property stages: the cost of one stage over the full pool, and of
// the sum boxes when they hold a megabyte of text.
#include <benchmark/benchmark.h>

#include <string>

#include "core/rules/digit_numeric_text.h"
#include "core/rules/digit_properties.h"

namespace tarnel {
namespace {

using StageFn = void (*)(NumberPool&, const DigitPropertyInputs&);

// Inputs under which each stage kills part of the pool.
DigitPropertyInputs typicalInputs() {
    DigitPropertyInputs in;
    in.sumTailKill[3] = in.spanKill[0] = in.bankerDigits[5] = true;
    in.sumLower = "5";
    in.sumUpper = "22";
    in.sumKillList = "0 1 6 9 11 23";
    in.compoundExclude[1] = in.compoundExclude[13] = in.compoundExclude[24] = true;
    in.positionKill[7] = in.acKill[0] = true;
    in.bigSmall[0] = in.oddEven[4] = in.primeComposite[2] = in.road[5] = true;
    in.special[0] = in.special[5] = in.special[6] = true;
    return in;
}

void runStage(benchmark::State& state, StageFn stage) {
    const DigitPropertyInputs in = typicalInputs();
    NumberPool pool;
    for (auto _ : state) {
        pool.reset();
        stage(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
}

BENCHMARK_CAPTURE(runStage, sum_tail, killBySumTail);
BENCHMARK_CAPTURE(runStage, banker_digits, applyBankerDigits);
BENCHMARK_CAPTURE(runStage, sum_values, filterSumValues);
BENCHMARK_CAPTURE(runStage, compound_grid, applyCompoundExcludeGrid);
BENCHMARK_CAPTURE(runStage, ac_value, killByAcValue);
BENCHMARK_CAPTURE(runStage, big_small, killBigSmallPattern);
BENCHMARK_CAPTURE(runStage, road, killRoadPattern);
BENCHMARK_CAPTURE(runStage, forms, killForms);
BENCHMARK_CAPTURE(runStage, shapes, killShapes);

void AllDigitStages(benchmark::State& state) {
    const DigitPropertyInputs in = typicalInputs();
    NumberPool pool;
    const StageFn stages[] = {killBySumTail, killBySpan, applyBankerDigits, filterSumValues,
                              applyCompoundExcludeGrid, applyPositionKillGrid, killByAcValue,
                              killBigSmallPattern, killOddEvenPattern, killPrimeCompositePattern,
                              killRoadPattern, killForms, killShapes};
    for (auto _ : state) {
        pool.reset();
        for (StageFn s : stages) s(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
}
BENCHMARK(AllDigitStages);

// Bytes of text per second for the sum boxes: should stay flat as the text grows.
void SumBoundText(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), '9');
    for (auto _ : state) benchmark::DoNotOptimize(leadingNumber(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SumBoundText)->Arg(1 << 10)->Arg(1 << 20);

void SumListText(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0))) text += "12 7,x 和 25 ";
    DigitPropertyInputs in;
    in.sumKillList = text;
    NumberPool pool;
    for (auto _ : state) {
        pool.reset();
        filterSumValues(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(SumListText)->Arg(1 << 10)->Arg(1 << 20);

}  // namespace
}  // namespace tarnel
