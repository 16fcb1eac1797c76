// The shrink run through the core and through the window, and the base
// list with large pastes (1 MB and 10 MB: the time should grow tenfold).

#include <QPushButton>
#include <benchmark/benchmark.h>
#include <random>
#include <string>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "core/rules/text.h"
#include "core/state/shrink.h"

namespace {

std::string pastedNumbers(std::size_t bytes) {
    std::mt19937 rng(7);
    std::string text;
    text.reserve(bytes + 8);
    while (text.size() < bytes) {
        text += tarnel::numberText(static_cast<int>(rng() % 1000), 3);
        text += (rng() % 8 == 0) ? "\r\n" : " ";
    }
    return text;
}

void BM_CoreRunNoCondition(benchmark::State& state) {
    tarnel::NumberPool pool;
    const tarnel::ShrinkInputs in;
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::runShrink(pool, in));
}
BENCHMARK(BM_CoreRunNoCondition);

void BM_CoreRunBaseListPaste(benchmark::State& state) {
    tarnel::NumberPool pool;
    tarnel::ShrinkInputs in;
    in.source.baseList = pastedNumbers(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::runShrink(pool, in));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CoreRunBaseListPaste)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_WindowClickToResult(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    auto* start = w.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) start->click();
}
BENCHMARK(BM_WindowClickToResult)->Unit(benchmark::kMicrosecond);

void BM_WindowClickBaseListPaste(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    auto* box = w.findChild<tarnel::MultiLineBox*>(QStringLiteral("T_jichu_dadi"));
    box->setText(tarnel::fromStd(pastedNumbers(static_cast<std::size_t>(state.range(0)))));
    auto* start = w.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) start->click();
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_WindowClickBaseListPaste)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
