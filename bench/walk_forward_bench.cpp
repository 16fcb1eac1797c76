// Walk-forward backtests with rules that follow past draws: 10,000 draws,
// five rules of both kinds (target under 50 ms). Each draw takes the fixed
// rows' kill sets, computed once, and the rules' kill sets for that draw;
// beside it the same backtest made of a whole run per draw, for the ratio.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/analysis/walk_forward.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"

namespace {

tarnel::History tenThousandDraws() {
    std::mt19937 rng(9);
    std::string text;
    for (int i = 0; i < 10000; ++i) text += std::to_string(2026000 + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + "\r\n";
    return tarnel::readHistory(text);
}

tarnel::MainConditions withFiveRules(int tolerance) {
    using namespace tarnel;
    MainConditions c;
    c.digits.sumTailKill[3] = true;
    c.digits.spanKill[0] = true;
    c.digits.oddEven[0] = true;
    c.lists.killPairs = "12 34 56";
    c.tolerance = tolerance;
    c.rules = {
        {RuleMeasure::SumTail, RuleSource::Recent, 2, 0, 0, RuleAction::Kill},
        {RuleMeasure::Span, RuleSource::Omission, 30, 5, 30, RuleAction::Keep},
        {RuleMeasure::Digits, RuleSource::Recent, 1, 0, 0, RuleAction::Kill},
        {RuleMeasure::Sum, RuleSource::Omission, 100, 0, 40, RuleAction::Keep},
        {RuleMeasure::Road, RuleSource::Recent, 10, 0, 0, RuleAction::Kill},
    };
    return c;
}

// Arguments: bets (0 direct, 1 group), tolerance.
void BM_WalkForward10kDrawsFiveRules(benchmark::State& state) {
    const tarnel::History history = tenThousandDraws();
    const tarnel::MainConditions c = withFiveRules(int(state.range(1)));
    const tarnel::BetKind kind = state.range(0) ? tarnel::BetKind::Group : tarnel::BetKind::Direct;
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::backtestWalkForward(c, history, kind));
}
BENCHMARK(BM_WalkForward10kDrawsFiveRules)->Args({0, 0})->Args({1, 0})->Args({0, 2})->Unit(benchmark::kMillisecond);

// The same draws with a whole run (the fixed rows included) for each draw.
void BM_WalkForward10kDrawsWholeRunPerDraw(benchmark::State& state) {
    const tarnel::History history = tenThousandDraws();
    const tarnel::MainConditions c = withFiveRules(0);
    const std::vector<int> past = tarnel::drawsInTimeOrder(history);
    for (auto _ : state) {
        long long kept = 0;
        for (std::size_t t = 100; t < past.size(); ++t) {
            tarnel::NumberPool pool;
            tarnel::runMain(pool, c, tarnel::ruleRows(c, std::span<const int>(past).first(t)));
            kept += pool.alive(past[t]);
        }
        benchmark::DoNotOptimize(kept);
    }
}
BENCHMARK(BM_WalkForward10kDrawsWholeRunPerDraw)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
