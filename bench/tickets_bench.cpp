// Bet slips: cutting results of 100, 500 and 1000 numbers into tickets.
// Random results are the hard case (few large tickets fit); a result made
// of a few overlapping tickets is the common one after a shrink. The
// results view cuts when its 投注单 tab is shown: about 100 ms is the aim
// for 1000 numbers.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/analysis/tickets.h"

namespace tarnel {
namespace {

TicketNumberSet randomResult(int size) {
    std::mt19937 rng(static_cast<unsigned>(size));
    std::vector<int> all(1000);
    for (int i = 0; i < 1000; ++i) all[std::size_t(i)] = i;
    std::shuffle(all.begin(), all.end(), rng);
    TicketNumberSet s;
    for (int i = 0; i < size; ++i) s.set(std::size_t(all[std::size_t(i)]));
    return s;
}

// Overlapping tickets of about three digits a place, the last one cut short at `size` numbers.
TicketNumberSet structuredResult(int size) {
    std::mt19937 rng(static_cast<unsigned>(size) * 7u + 1u);
    TicketNumberSet s;
    while (int(s.count()) < size) {
        DirectTicket t;
        for (unsigned& p : t.places) p = (rng() & rng() & 0x3FFu) | (1u << (rng() % 10));
        TicketNumberSet add = t.numbers() & ~s;
        for (std::size_t n = 0; n < 1000 && int(s.count()) < size; ++n)
            if (add[n]) s.set(n);
    }
    return s;
}

void BM_CutDirectRandom(benchmark::State& state) {
    const TicketNumberSet s = randomResult(int(state.range(0)));
    std::size_t tickets = 0;
    for (auto _ : state) tickets = cutDirect(s).size();
    state.counters["tickets"] = double(tickets);
    state.counters["plain"] = double(plainDirectCut(s).size());
}
BENCHMARK(BM_CutDirectRandom)->Arg(100)->Arg(500)->Arg(900)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_CutDirectStructured(benchmark::State& state) {
    const TicketNumberSet s = structuredResult(int(state.range(0)));
    std::size_t tickets = 0;
    for (auto _ : state) tickets = cutDirect(s).size();
    state.counters["tickets"] = double(tickets);
    state.counters["plain"] = double(plainDirectCut(s).size());
}
BENCHMARK(BM_CutDirectStructured)->Arg(100)->Arg(500)->Arg(900)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PlainCut(benchmark::State& state) {
    const TicketNumberSet s = randomResult(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(plainDirectCut(s).size());
}
BENCHMARK(BM_PlainCut)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_CutGroups(benchmark::State& state) {
    const TicketNumberSet s = randomResult(int(state.range(0)));
    std::vector<int> numbers;
    for (int n = 0; n < 1000; ++n)
        if (s[std::size_t(n)]) numbers.push_back(n);
    std::size_t tickets = 0;
    for (auto _ : state) tickets = cutGroups(numbers).size();
    state.counters["tickets"] = double(tickets);
}
BENCHMARK(BM_CutGroups)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnel
