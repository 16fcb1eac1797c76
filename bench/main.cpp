// Benchmarks run with a QApplication (offscreen unless told otherwise), so
// window-level cases can click real buttons.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "common/qt/appearance.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tarnel::applyAppearance(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
