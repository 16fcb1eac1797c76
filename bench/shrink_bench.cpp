// The shrink run through the core and through the window, and the base
// list with large pastes (1 MB and 10 MB: the time should grow tenfold).

#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <string>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/main_window.h"
#include "core/rules/text.h"
#include "core/state/shrink.h"
#include "bench_states.h"

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

// As BM_WindowClickToResult, with every condition of the main window set.
void BM_WindowClickToResultEveryCondition(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    w.applyConditions(tarnel::everyConditionSet());
    auto* start = w.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) start->click();
}
BENCHMARK(BM_WindowClickToResultEveryCondition)->Unit(benchmark::kMicrosecond);

// As BM_WindowClickToResultEveryCondition, with the conditions saved in a
// scheme file that is open (each run keeps it unmodified).
void BM_WindowClickToResultSchemeOpen(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    w.applyConditions(tarnel::everyConditionSet());
    const QTemporaryDir dir;
    w.saveSchemeFile(dir.filePath(QStringLiteral("scheme.tarnel")));
    auto* start = w.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    for (auto _ : state) start->click();
}
BENCHMARK(BM_WindowClickToResultSchemeOpen)->Unit(benchmark::kMicrosecond);

// Stops a benchmark's clock at the end of the next paint of a window, once armed.
class PaintEnd : public QObject {
public:
    PaintEnd(QWidget* window, benchmark::State& state) : window_(window), state_(state) {
        window->installEventFilter(this);
    }
    bool armed = false;
    std::chrono::steady_clock::time_point stopped;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!armed || watched != window_ || event->type() != QEvent::UpdateRequest) return false;
        armed = false;
        QCoreApplication::sendEvent(window_, event);  // the paint, here and now
        stop();
        return true;
    }
    void stop() {
        state_.PauseTiming();
        stopped = std::chrono::steady_clock::now();
    }

private:
    QWidget* window_;
    benchmark::State& state_;
};

// Click → result shown, in a shown window: the start button clicked from
// inside the event loop, as a player's click arrives, then the event loop
// until the first paint of the window after the result is in the box has
// ended (whatever the click and the event loop do before it counts). That is the time until the
// player sees the result. What the event loop does after the paint (the
// windows that follow a run) is outside the timing; its time per click is
// the counter `after_paint_us`.
// conditions: 0 none, 1 every condition set. windows: 0 the main window
// alone, 1 with 条件统计, 号码诊断, 开奖历史 and 方案组合 open too.
void BM_WindowClickToResultShown(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    if (state.range(0)) w.applyConditions(tarnel::everyConditionSet());
    if (state.range(1)) {
        w.openStatistics();
        w.openDiagnosis();
        w.openHistory();
        w.openCombine();
    }
    w.show();
    w.activateWindow();
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    auto* start = w.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
    PaintEnd paint(&w, state);
    // The paint that shows the result is the next once the result is in the box.
    QObject::connect(&w.document(), &tarnel::ConditionsDocument::runDone, &paint, [&paint] { paint.armed = true; });
    double afterPaint = 0;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        for (auto _ : state) {
            start->click();
            QCoreApplication::processEvents();
            if (paint.armed) {  // nothing was painted
                paint.armed = false;
                paint.stop();
            }
            // All that follows, as the event loop does it before the player's next click.
            for (int i = 0; i < 3; ++i) {
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
            }
            afterPaint += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - paint.stopped).count();
            state.ResumeTiming();
        }
        loop.quit();
    });
    loop.exec();
    state.counters["after_paint_us"] = benchmark::Counter(afterPaint / double(std::max<int64_t>(1, state.iterations())));
}
BENCHMARK(BM_WindowClickToResultShown)
    ->ArgNames({"conditions", "windows"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

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

// 号码诊断 of N numbers with every condition set, the table filled and laid out.
void BM_DiagnoseNumbers(benchmark::State& state) {
    tarnel::RecordingUiServices services;
    tarnel::MainWindow w(services);
    w.applyConditions(tarnel::everyConditionSet());
    tarnel::DiagnosisDialog* dialog = w.openDiagnosis();
    QString text;
    for (int n = 0; n < state.range(0); ++n) text += tarnel::fromStd(tarnel::numberText(n * 7 % 1000, 3)) + u' ';
    for (auto _ : state) {
        dialog->diagnoseText(text);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DiagnoseNumbers)->Arg(20)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
