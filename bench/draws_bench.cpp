// The draws store: importing a history of 100,000 draws into a new store
// (reading the text, the merge, one write), and reading back the 10,000 draws
// a lottery keeps, as the history window does when it opens.

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>

#include "core/files/draw_merge.h"
#include "data/draw_store.h"

namespace {

std::string historyText(int count) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        const int year = 2000 + k / 1000, n = k % 1000;
        char line[64];
        std::snprintf(line, sizeof line, "%04d%03d %04d-%02d-%02d %d %d %d\n", year, n, year, 1 + n % 12, 1 + n % 28,
                      k % 10, (k / 10) % 10, (k / 100) % 10);
        text += line;
    }
    return text;
}

void BM_ImportDraws(benchmark::State& state) {
    const std::string text = historyText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        tarnel::DrawStore store(tarnel::drawStorePath(dir.path()));
        state.ResumeTiming();
        const tarnel::StoreMerge merged = store.merge(tarnel::Lottery::Fc3d, tarnel::historyDraws(text));
        if (!merged.ok() || merged.plan.added.size() != std::size_t(state.range(0))) state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_ImportDraws)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadStoredDraws(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = tarnel::drawStorePath(dir.path());
    {
        tarnel::DrawStore store(path);
        store.merge(tarnel::Lottery::Fc3d, tarnel::historyDraws(historyText(static_cast<int>(state.range(0)))));
    }
    for (auto _ : state) {
        tarnel::DrawStore store(path);  // opened afresh, as a window opening does
        const auto draws = store.draws(tarnel::Lottery::Fc3d);
        if (!draws || draws->size() != std::size_t(state.range(0))) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(draws);
    }
}
BENCHMARK(BM_ReadStoredDraws)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
