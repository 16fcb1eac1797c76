// Number-list conditions with large pastes: each case runs at 1 MB and at
// 10 MB of text, so the two figures side by side show the growth (about
// ten times for a linear pass).
#include <benchmark/benchmark.h>

#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "core/rules/number_lists.h"
#include "ui/windows/main_window.h"
#include "core/rules/number_pool.h"

namespace tarnel {
namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

// `piece` repeated up to `megabytes` MB.
std::string repeated(std::string_view piece, int megabytes) {
    const std::size_t size = static_cast<std::size_t>(megabytes) * kMegabyte;
    std::string out;
    out.reserve(size + piece.size());
    while (out.size() < size) out += piece;
    return out;
}

// A typical paste: numbers, separators, Chinese text, line breaks.
std::string mixedPaste(int megabytes) { return repeated("123 456,789  12345 不懂 a7\r\n", megabytes); }

void runStage(benchmark::State& state, void (*stage)(NumberPool&, const NumberListInputs&),
              const NumberListInputs& in, std::size_t bytes) {
    NumberPool pool;
    for (auto _ : state) {
        pool.reset();
        stage(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_KillDirectNumbers(benchmark::State& state) {
    NumberListInputs in;
    in.directNumbers = mixedPaste(static_cast<int>(state.range(0)));
    runStage(state, killDirectNumbers, in, in.directNumbers.size());
}
BENCHMARK(BM_KillDirectNumbers)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_KillJunkCompounds(benchmark::State& state) {
    // Full groups on every line: the most work a line can ask for.
    NumberListInputs in;
    in.junkCompounds = repeated("0123456789*0123456789*0123456789\r\n12*78*56\r\n", static_cast<int>(state.range(0)));
    runStage(state, killJunkCompounds, in, in.junkCompounds.size());
}
BENCHMARK(BM_KillJunkCompounds)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_TwoDigitCombos(benchmark::State& state) {
    NumberListInputs in;
    in.killPairs = mixedPaste(static_cast<int>(state.range(0)));
    in.mustPairs = in.killPairs;
    in.positionalKill = {in.killPairs, in.killPairs, in.killPairs};
    runStage(
        state,
        [](NumberPool& pool, const NumberListInputs& lists) {
            killTwoDigitCombos(pool, lists);
            keepMustContainTwoDigit(pool, lists);
            killPositionalPairs(pool, lists);
        },
        in, in.killPairs.size() * 5);
}
BENCHMARK(BM_TwoDigitCombos)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_PairValueList(benchmark::State& state) {
    // One box holding the whole paste: cleaning it, then both stages.
    const std::string paste = repeated("3, 18;;0005 99999999999 x ", static_cast<int>(state.range(0)));
    NumberPool pool;
    for (auto _ : state) {
        NumberListInputs in;
        in.pairValues[4] = normalizeValueList(paste);
        in.pairValues[13] = in.pairValues[4];
        pool.reset();
        filterTwoDigitSumsAndDiffs(pool, in);
        killTwoDigitSumTails(pool, in);
        benchmark::DoNotOptimize(pool.aliveCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(paste.size()));
}
BENCHMARK(BM_PairValueList)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Whole runs through the window: the paste sits in T_main_shazhixuan and
// every click of the start button reads it out of the box.
void BM_WindowRunWithPastedList(benchmark::State& state) {
    RecordingUiServices services;
    MainWindow window(services);
    const QString paste = QString::fromStdString(mixedPaste(static_cast<int>(state.range(0))));
    window.findChild<MultiLineBox*>(QStringLiteral("T_main_shazhixuan"))->setText(paste);
    auto* start = window.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) start->click();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * paste.size() * 2);
}
BENCHMARK(BM_WindowRunWithPastedList)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// A run that rewrites a T_lm_he box holding the paste (the paste is put
// back before each run, outside the timing).
void BM_WindowRunRewritingValueBox(benchmark::State& state) {
    RecordingUiServices services;
    MainWindow window(services);
    const QString paste = QString::fromStdString(repeated("3, 7;x ", static_cast<int>(state.range(0))));
    auto* box = window.findChild<LineBox*>(QStringLiteral("T_lm_he[4]"));
    auto* start = window.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(paste);
        state.ResumeTiming();
        start->click();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * paste.size() * 2);
}
BENCHMARK(BM_WindowRunRewritingValueBox)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel
