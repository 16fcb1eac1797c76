// What keeping the last conditions costs the window: one write of last.tarnel
// after a change (the window does at most one a second), beside the work the
// window does anyway once a change settles (BM_WindowForecastAfterChange).

#include <QAbstractButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

#include "ui/widgets/data_folder.h"
#include "ui/widgets/ui_services.h"
#include "core/rules/text.h"
#include "ui/windows/main_window.h"

namespace {

using namespace tarnel;

// Arg: the size of the pasted base list in bytes (0: the hint text).
void BM_LastConditionsWriteAfterChange(benchmark::State& state) {
    QTemporaryDir dir;
    const QString before = dataFolder();
    setDataFolder(dir.path());
    RecordingUiServices services;
    MainWindow w(services);
    MainConditions s;
    if (state.range(0) > 0) {
        std::mt19937 rng(5);
        s.sources.baseList.clear();
        while (s.sources.baseList.size() < std::size_t(state.range(0)))
            s.sources.baseList += numberText(int(rng() % 1000), 3) + " ";
    }
    s.digits.sumTailKill[3] = true;
    w.applyConditions(s);
    auto* box = w.findChild<QAbstractButton*>(QStringLiteral("Check_kuadu_sha[5]"));
    for (auto _ : state) {
        box->click();
        w.writeLastConditions();
    }
    state.counters["writes"] = w.lastConditionsWrites();
    setDataFolder(before);
}
BENCHMARK(BM_LastConditionsWriteAfterChange)->Arg(0)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
