// The feedback lines on large pastes: each box kind read at 1 MB and at
// 10 MB, so the two figures side by side show the growth (about ten times
// for a linear pass). A line reads its box once per settled burst of typing.
#include <benchmark/benchmark.h>

#include <string>

#include "core/state/input_feedback.h"

namespace tarnel {
namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

std::string paste(int megabytes) {
    const std::size_t size = static_cast<std::size_t>(megabytes) * kMegabyte;
    const std::string_view piece = "123 456,789  12345 不懂 a7 １２\r\n12*78*56\r\n";
    std::string out;
    out.reserve(size + piece.size());
    while (out.size() < size) out += piece;
    return out;
}

void BM_InputFeedback(benchmark::State& state, ListBox box) {
    const std::string text = paste(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(inputFeedback(box, text).count);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(BM_InputFeedback, BaseList, ListBox::BaseList)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InputFeedback, JunkCompounds, ListBox::JunkCompounds)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InputFeedback, MustPairs, ListBox::MustPairs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InputFeedback, PositionalPairs, ListBox::PositionalPairs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InputFeedback, SumKillList, ListBox::SumKillList)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InputFeedback, TwoStarBase, ListBox::TwoStarBase)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel
