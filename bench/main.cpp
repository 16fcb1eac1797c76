// Benchmarks run with a QApplication (offscreen unless told otherwise), so
// window-level cases can click real buttons.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "ui/widgets/appearance.h"
#include "ui/widgets/data_folder.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tarnel::applyAppearance(app);
    // The windows measured here keep their files away from the player's.
    QTemporaryDir data;
    tarnel::setDataFolder(data.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
