// 开奖历史 opening on the kept draws of the chosen lottery: 10,000 draws in
// draws.sqlite, the window built, its 开奖号码 box filled with them and read,
// the backtests made and the window painted once.

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>

#include "core/files/draw_merge.h"
#include "data/draw_store.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/draws_panel.h"
#include "ui/windows/history_window.h"
#include "ui/windows/main_window.h"

namespace {

std::vector<tarnel::StoredDraw> keptDraws(int count) {
    std::vector<tarnel::StoredDraw> draws;
    for (int k = 0; k < count; ++k) {
        const int year = 2000 + k / 1000, n = k % 1000;
        char issue[16], date[16], number[8];
        std::snprintf(issue, sizeof issue, "%04d%03d", year, n);
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, 1 + n % 12, 1 + n % 28);
        std::snprintf(number, sizeof number, "%03d", (k * 7919) % 1000);
        draws.push_back({issue, date, number});
    }
    return draws;
}

void BM_HistoryWindowOpensOnKeptDraws(benchmark::State& state) {
    using namespace tarnel;
    QTemporaryDir dir;
    // The settings the window writes stay in this folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    DrawsPanel::setStorePath(dir.filePath(QStringLiteral("draws.sqlite")));
    HistoryWindow::setStoragePath(dir.filePath(QStringLiteral("history.txt")));
    {
        DrawStore store(DrawsPanel::storePath());
        if (!store.merge(Lottery::Fc3d, keptDraws(int(state.range(0)))).ok()) state.SkipWithError("no store");
    }
    RecordingUiServices services;
    MainWindow w(services);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        HistoryWindow* h = w.openHistory();
        const double built = double(clock.nsecsElapsed()) / 1e6;
        QApplication::processEvents();  // shown and painted
        state.counters["built_ms"] = built;
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (h->history().draws.size() != std::size_t(state.range(0)) || !h->showsStoredDraws())
            state.SkipWithError("the kept draws were not shown");
        delete h;
        QApplication::processEvents();
    }
    DrawsPanel::setStorePath({});
    HistoryWindow::setStoragePath({});
}
BENCHMARK(BM_HistoryWindowOpensOnKeptDraws)->Arg(10000)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
