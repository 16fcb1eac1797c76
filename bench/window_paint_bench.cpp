// Drawing whole windows with the program's style beside plain Fusion: what
// looking up one shared palette per set of colours costs at each drawing.
// Argument 0 draws with plain Fusion, 1 with the program's style.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStyleFactory>

#include "ui/widgets/appearance.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace {

using tarnel::MainWindow;
using tarnel::RecordingUiServices;
using tarnel::TwoStarWindow;

// The style of one case, and the program's own back afterwards.
struct CaseStyle {
    explicit CaseStyle(bool program) {
        QApplication::setStyle(program ? tarnel::makeProgramStyle() : QStyleFactory::create(QStringLiteral("Fusion")));
    }
    ~CaseStyle() { QApplication::setStyle(tarnel::makeProgramStyle()); }
    CaseStyle(const CaseStyle&) = delete;
    CaseStyle& operator=(const CaseStyle&) = delete;
};

void BM_DrawMainWindow(benchmark::State& state) {
    const CaseStyle style(state.range(0) == 1);
    RecordingUiServices services;
    MainWindow w(services);
    for (auto _ : state) benchmark::DoNotOptimize(w.grab());
}
BENCHMARK(BM_DrawMainWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DrawTwoStarWindow(benchmark::State& state) {
    const CaseStyle style(state.range(0) == 1);
    RecordingUiServices services;
    MainWindow w(services);
    TwoStarWindow* twoStar = w.openTwoStar();
    for (auto _ : state) benchmark::DoNotOptimize(twoStar->grab());
    twoStar->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_DrawTwoStarWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The two-star window made, drawn whole and closed, as a player opens it.
void BM_OpenDrawCloseTwoStar(benchmark::State& state) {
    const CaseStyle style(state.range(0) == 1);
    RecordingUiServices services;
    MainWindow w(services);
    for (auto _ : state) {
        TwoStarWindow* twoStar = w.openTwoStar();
        benchmark::DoNotOptimize(twoStar->grab());
        twoStar->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_OpenDrawCloseTwoStar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
