// tarnel-cli backtest of long histories, one process per run: the time, and
// the peak memory per draw beyond what the program needs for a history of a
// single draw. Lines as results tables give them (issue, draw, date, about
// 26 bytes); the history's text is held whole, so it counts in the figure.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "core/rules/text.h"
#include "core/files/scheme.h"

extern char** environ;

namespace {

std::string tempPath(const char* name) {
    return "/tmp/tarnel-bench-" + std::to_string(getpid()) + "-" + name;
}

void writeHistory(const std::string& path, long draws) {
    std::mt19937 rng(11);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    for (long i = 0; i < draws; ++i) {
        const std::string line = std::to_string(2000000000L + i) + " " + tarnel::numberText(int(rng() % 1000), 3) + " 2026-12-06\n";
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
}

// Runs the backtest with its answer thrown away; peak resident kilobytes and
// seconds. A child started from this (large) process would count this
// process's peak as its own, so the small GNU time program starts it and
// says its peak.
constexpr const char* kTime = "/usr/bin/time";

bool runCli(const std::string& scheme, const std::string& history, long& peakKb, double& seconds) {
    const std::string report = tempPath("time.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {kTime, "-f", "%M", "-o", report.c_str(), TARNEL_CLI, "backtest", scheme.c_str(), history.c_str(),
                          "--bet", "group", nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int err = posix_spawn(&pid, kTime, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::FILE* f = std::fopen(report.c_str(), "r");
    const bool read = f && std::fscanf(f, "%ld", &peakKb) == 1;
    if (f) std::fclose(f);
    std::remove(report.c_str());
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_CliBacktestMemoryPerDraw(benchmark::State& state) {
    const long draws = state.range(0);
    const std::string scheme = tempPath("scheme.tarnel"), one = tempPath("one.txt"), many = tempPath("many.txt");
    {
        std::FILE* f = std::fopen(scheme.c_str(), "wb");
        tarnel::MainConditions conditions;
        conditions.lists.killPairs = "12 34";
        const std::string text = tarnel::writeScheme(conditions, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    writeHistory(one, 1);
    writeHistory(many, draws);
    long baseKb = 0, peakKb = 0;
    double seconds = 0, total = 0;
    if (access(kTime, X_OK) != 0) state.SkipWithError("needs /usr/bin/time (the Debian package time)");
    else if (!runCli(scheme, one, baseKb, seconds)) state.SkipWithError("tarnel-cli failed");
    for (auto _ : state) {
        if (!runCli(scheme, many, peakKb, seconds)) {
            state.SkipWithError("tarnel-cli failed");
            break;
        }
        total += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["bytes_per_draw"] = double(peakKb - baseKb) * 1024.0 / double(draws);
    state.counters["ns_per_draw"] = total / double(state.iterations()) * 1e9 / double(draws);
    std::remove(scheme.c_str());
    std::remove(one.c_str());
    std::remove(many.c_str());
}
BENCHMARK(BM_CliBacktestMemoryPerDraw)->Arg(250000)->Arg(1000000)->Arg(2000000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
