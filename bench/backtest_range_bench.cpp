// A backtest limited to the newest draws of a long history: picking the
// range and cutting the history out of 400,000 draws, the walk-forward
// backtest of the last 100 draws against the whole history's, and the CSV
// of a 400,000-row backtest table.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/analysis/backtest_range.h"
#include "core/analysis/walk_forward.h"
#include "core/files/csv.h"
#include "core/files/history_order.h"
#include "core/rules/text.h"

namespace {

const tarnel::History& longHistory() {
    static const tarnel::History history = [] {
        std::mt19937 rng(11);
        std::string text;
        for (int i = 0; i < 400000; ++i)
            text += std::to_string(1000000 + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + "\n";
        return tarnel::readHistory(text);
    }();
    return history;
}

tarnel::MainConditions twoRules() {
    using namespace tarnel;
    MainConditions c;
    c.digits.sumTailKill[3] = true;
    c.rules = {{RuleMeasure::SumTail, RuleSource::Recent, 2, 0, 0, RuleAction::Kill},
               {RuleMeasure::Span, RuleSource::Omission, 30, 5, 30, RuleAction::Keep}};
    return c;
}

void BM_CutTheLast100Of400000(benchmark::State& state) {
    const tarnel::History& h = longHistory();
    const tarnel::BacktestRange range{tarnel::RangeKind::Last, "100", "", ""};
    for (auto _ : state) {
        const std::vector<std::size_t> order = tarnel::timeOrder(h);
        tarnel::LimitedHistory limited = tarnel::limitHistory(h, order, range, 30);
        benchmark::DoNotOptimize(limited.cut);
    }
}
BENCHMARK(BM_CutTheLast100Of400000)->Unit(benchmark::kMillisecond);

void BM_WalkTheLast100Of400000(benchmark::State& state) {
    const tarnel::History& h = longHistory();
    const tarnel::MainConditions c = twoRules();
    const tarnel::BacktestRange range{tarnel::RangeKind::Last, "100", "", ""};
    for (auto _ : state) {
        const std::vector<std::size_t> order = tarnel::timeOrder(h);
        const tarnel::LimitedHistory limited = tarnel::limitHistory(h, order, range, tarnel::rulesLookBack(c.rules));
        benchmark::DoNotOptimize(tarnel::walkBacktest(c, *limited.cut, tarnel::BetKind::Direct, {}));
    }
}
BENCHMARK(BM_WalkTheLast100Of400000)->Unit(benchmark::kMillisecond);

void BM_WalkTheWhole400000(benchmark::State& state) {
    const tarnel::History& h = longHistory();
    const tarnel::MainConditions c = twoRules();
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::walkBacktest(c, h, tarnel::BetKind::Direct, {}));
}
BENCHMARK(BM_WalkTheWhole400000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CsvOf400000Rows(benchmark::State& state) {
    const std::vector<std::string> row{"123456", "1000123", "582", "保留", "800", "1600", "1040", "-560", "-12345.5",
                                       "杀 最近 2 期出现过的 和尾, 跨度"};
    for (auto _ : state) {
        tarnel::CsvWriter csv;
        for (int i = 0; i < 400000; ++i) csv.row(row);
        benchmark::DoNotOptimize(csv.text().size());
    }
}
BENCHMARK(BM_CsvOf400000Rows)->Unit(benchmark::kMillisecond);

}  // namespace
