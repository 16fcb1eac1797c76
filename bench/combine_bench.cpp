// 方案组合: combining the results of 10 schemes (target: under 2 ms), the
// same by a plain count per number for comparison, and reading and running
// the 10 scheme files the combination starts from.

#include <benchmark/benchmark.h>
#include <random>

#include "core/rules/text.h"
#include "core/analysis/combine.h"
#include "core/files/scheme.h"

namespace {

using namespace tarnel;

std::vector<NumberSet> tenResults() {
    std::mt19937 rng(10);
    std::vector<NumberSet> results(10);
    for (NumberSet& r : results)
        for (std::size_t i = 0; i < r.size(); ++i) r[i] = rng() % 10 < 6;
    return results;
}

// Ten schemes of different ideas, each with a few conditions and a base list.
std::vector<std::string> tenSchemes() {
    std::mt19937 rng(11);
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
        MainConditions s;
        s.digits.sumTailKill[std::size_t(i)] = true;
        s.digits.spanKill[std::size_t((i + 3) % 10)] = true;
        s.digits.oddEven[std::size_t(i % 8)] = true;
        s.lists.killPairs = numberText(int(rng() % 100), 2);
        std::string base;
        for (int n = 0; n < 700; ++n) base += numberText(int(rng() % 1000), 3) + ' ';
        s.sources.baseList = base;
        s.tolerance = i % 3;
        files.push_back(writeScheme(s, nullptr));
    }
    return files;
}

void BM_CombineTen(benchmark::State& state) {
    const std::vector<NumberSet> results = tenResults();
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(combineResults(results, k));
        k = (k + 1) % 10;
    }
}
BENCHMARK(BM_CombineTen);

// The plain count: one counter per number.
void BM_CombineTenCounting(benchmark::State& state) {
    const std::vector<NumberSet> results = tenResults();
    int k = 0;
    for (auto _ : state) {
        NumberSet kept;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            int holders = 0;
            for (const NumberSet& r : results) holders += r[i];
            kept[i] = holders >= 10 - k;
        }
        benchmark::DoNotOptimize(kept);
        k = (k + 1) % 10;
    }
}
BENCHMARK(BM_CombineTenCounting);

// Reading the ten files' texts and running each, then combining.
void BM_ReadRunAndCombineTen(benchmark::State& state) {
    const std::vector<std::string> files = tenSchemes();
    for (auto _ : state) {
        std::vector<NumberSet> results;
        for (const std::string& f : files) results.push_back(*runSchemeText(f).survivors);
        benchmark::DoNotOptimize(combineResults(results, 3));
    }
}
BENCHMARK(BM_ReadRunAndCombineTen)->Unit(benchmark::kMillisecond);

}  // namespace
