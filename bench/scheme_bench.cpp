// Runs from the condition state against runs from ready stage inputs, and
// scheme files with a pasted 1 MB base list: written, read, and saved and
// opened through the window.

#include <QAbstractButton>
#include <QDir>
#include <benchmark/benchmark.h>
#include <random>

#include "ui/widgets/ui_services.h"
#include "core/rules/text.h"
#include "ui/windows/main_window.h"
#include "core/analysis/backtest.h"
#include "core/analysis/backtest_money.h"
#include "core/files/scheme.h"
#include "core/state/shrink.h"
#include "bench_states.h"

namespace {

using namespace tarnel;

std::string numbersText(std::size_t bytes) {
    std::mt19937 rng(3);
    std::string text;
    while (text.size() < bytes) text += numberText(int(rng() % 1000), 3) + ((rng() % 8 == 0) ? "\r\n" : " ");
    return text;
}

void BM_RunFromStageInputs(benchmark::State& state) {
    NumberPool pool;
    const ShrinkInputs in = shrinkInputs(everyConditionSet());
    for (auto _ : state) benchmark::DoNotOptimize(runShrink(pool, in));
}
BENCHMARK(BM_RunFromStageInputs)->Unit(benchmark::kMicrosecond);

// Arg: the tolerance (容错).
void BM_RunFromConditionState(benchmark::State& state) {
    NumberPool pool;
    MainConditions conditions = everyConditionSet();
    conditions.tolerance = int(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(runMain(pool, conditions));
}
BENCHMARK(BM_RunFromConditionState)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

// What each row rules out on its own, for statistics and explanations.
void BM_RowKills(benchmark::State& state) {
    const ShrinkInputs in = shrinkInputs(everyConditionSet());
    for (auto _ : state) benchmark::DoNotOptimize(computeRowKills(in));
}
BENCHMARK(BM_RowKills)->Unit(benchmark::kMicrosecond);

MainConditions withBaseList() {
    MainConditions s = everyConditionSet();
    s.sources.baseList = numbersText(1 << 20);
    return s;
}

void BM_SchemeWrite1MB(benchmark::State& state) {
    const MainConditions s = withBaseList();
    for (auto _ : state) benchmark::DoNotOptimize(writeScheme(s, nullptr));
}
BENCHMARK(BM_SchemeWrite1MB)->Unit(benchmark::kMillisecond);

void BM_SchemeRead1MB(benchmark::State& state) {
    const std::string bytes = writeScheme(withBaseList(), nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(readScheme(bytes));
}
BENCHMARK(BM_SchemeRead1MB)->Unit(benchmark::kMillisecond);

void BM_WindowSaveAndOpen1MB(benchmark::State& state) {
    RecordingUiServices services;
    MainWindow w(services);
    w.applyConditions(withBaseList());
    const QString path = QDir::temp().filePath(QStringLiteral("tarnel-bench-%1.tarnel").arg(getpid()));
    for (auto _ : state) {
        w.saveSchemeFile(path);
        w.openSchemeFile(path);
    }
    QFile::remove(path);
}
BENCHMARK(BM_WindowSaveAndOpen1MB)->Unit(benchmark::kMillisecond);

// From a change of a condition to the forecast label, with a pasted 100 KB
// base list (the 100 ms the window waits for quiet is not counted).
void BM_WindowForecastAfterChange(benchmark::State& state) {
    RecordingUiServices services;
    MainWindow w(services);
    MainConditions s = everyConditionSet();
    s.sources.baseList = numbersText(100 << 10);
    w.applyConditions(s);
    auto* box = w.findChild<QAbstractButton*>(QStringLiteral("Check_hewei_sha[5]"));
    for (auto _ : state) {
        box->click();
        w.conditionsSettled();
    }
}
BENCHMARK(BM_WindowForecastAfterChange)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// 历史验证 of 10,000 draws with every condition set.
void BM_Backtest10kDraws(benchmark::State& state) {
    std::mt19937 rng(9);
    std::string text;
    for (int i = 0; i < 10000; ++i) text += std::to_string(2026000 + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + "\r\n";
    const tarnel::History history = tarnel::readHistory(text);
    const tarnel::ShrinkInputs in = tarnel::shrinkInputs(everyConditionSet());
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::backtestMain(in, 0, history));
}
BENCHMARK(BM_Backtest10kDraws)->Unit(benchmark::kMillisecond);

// The same backtest with what the bets cost and won beside it: direct bets
// (0) and group bets (1), the bets made from the conditions as they stand.
void BM_Backtest10kDrawsWithMoney(benchmark::State& state) {
    std::mt19937 rng(9);
    std::string text;
    for (int i = 0; i < 10000; ++i) text += std::to_string(2026000 + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + "\r\n";
    const tarnel::History history = tarnel::readHistory(text);
    const tarnel::ShrinkInputs in = tarnel::shrinkInputs(everyConditionSet());
    const tarnel::BetKind kind = state.range(0) ? tarnel::BetKind::Group : tarnel::BetKind::Direct;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarnel::backtestMain(in, 0, history));
        benchmark::DoNotOptimize(tarnel::backtestMoney(history, tarnel::mainBets(in, 0, kind), tarnel::MoneySettings{}));
    }
}
BENCHMARK(BM_Backtest10kDrawsWithMoney)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A scheme of `bytes` bytes that is mostly one array of empty objects under
// an unknown key: read (arg 1 = 0), or refused for a key repeated at its end
// (arg 1 = 1). The time should grow in step with the size.
void BM_SchemeReadManyObjects(benchmark::State& state) {
    const std::size_t bytes = std::size_t(state.range(0)) << 10;
    std::string text = R"({"format":"tarnel-scheme","version":1,"many":[{})";
    text.reserve(bytes + 64);
    while (text.size() < bytes) text += ",{}";
    text += state.range(1) ? R"(],"many":1})" : "]}\n";
    for (auto _ : state) {
        const tarnel::SchemeReading reading = tarnel::readScheme(text);
        if (bool(reading.scheme) == bool(state.range(1))) state.SkipWithError("unexpected outcome");
        benchmark::DoNotOptimize(reading);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_SchemeReadManyObjects)
    ->Args({480, 0})->Args({4 << 10, 0})->Args({64 << 10, 0})->Args({64 << 10, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
