// Memory and time of a walk-forward backtest with many rules: 1,000 rules
// over 100,000 draws. Case 0 keeps every draw's list of the rows that ruled
// it out (backtestWalkForward, what the 开奖历史 window held before: memory
// in proportion to rules × draws); case 1 is what the window keeps now
// (walkBacktest: a few bytes a draw, the rows worked out again for the rows
// shown). Counters: held_MB, the heap the result holds beyond the history
// (the walk itself holds a few kilobytes a rule while it runs);
// bytes_per_draw, held_MB by draw.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <random>
#include <string>

#include "core/analysis/walk_forward.h"
#include "core/rules/text.h"

namespace {

double heapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / double(1 << 20);
}

tarnel::History manyDraws(int n) {
    std::mt19937 rng(35);
    std::string text;
    text.reserve(std::size_t(n) * 12);
    for (int i = 0; i < n; ++i) text += std::to_string(2000000 + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + "\n";
    return tarnel::readHistory(text);
}

// Rules of every measure and kind; a tolerance that lets numbers through
// however many rules rule them out.
tarnel::MainConditions manyRules(int rules) {
    using namespace tarnel;
    std::mt19937 rng(6);
    MainConditions c;
    c.tolerance = 9;
    for (int i = 0; i < rules; ++i) {
        PastDrawRule r;
        r.measure = static_cast<RuleMeasure>(rng() % kRuleMeasureCount);
        r.from = rng() % 2 ? RuleSource::Recent : RuleSource::Omission;
        r.draws = 1 + int(rng() % 30);
        if (r.from == RuleSource::Omission) {
            r.min = int(rng() % std::uint32_t(r.draws + 1));
            r.max = r.min + int(rng() % std::uint32_t(r.draws - r.min + 1));
        }
        r.action = rng() % 2 ? RuleAction::Kill : RuleAction::Keep;
        c.rules.push_back(r);
    }
    return c;
}

// Arguments: 0 every draw's rows kept, 1 bounded; rules; draws.
void BM_WalkForwardMemory(benchmark::State& state) {
    const bool bounded = state.range(0) == 1;
    const tarnel::History history = manyDraws(int(state.range(2)));
    const tarnel::MainConditions c = manyRules(int(state.range(1)));
    double held = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const double before = heapMegabytes();
        if (bounded) {
            tarnel::WalkedBacktest b = tarnel::walkBacktest(c, history, tarnel::BetKind::Direct, {});
            held = heapMegabytes() - before;
            // A table asks for the rows of the draws it shows: a screenful.
            for (std::size_t t = b.numbers.size() - 40; t < b.numbers.size(); ++t)
                benchmark::DoNotOptimize(tarnel::ruleRowsAt(c.rules, b.numbers, t));
            benchmark::DoNotOptimize(b);
        } else {
            tarnel::WalkForwardBacktest b = tarnel::backtestWalkForward(c, history);
            held = heapMegabytes() - before;
            benchmark::DoNotOptimize(b);
        }
    }
    state.counters["held_MB"] = held;
    state.counters["bytes_per_draw"] = held * double(1 << 20) / double(state.range(2));
}
BENCHMARK(BM_WalkForwardMemory)
    ->Args({0, 1000, 100000})
    ->Args({1, 1000, 100000})
    ->Args({1, 10, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
