// Reading a history text of 1 MB and 10 MB (the time should grow tenfold),
// from UTF-8 and from GB18030, with rows in the forms players paste.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>

#include "common/text.h"
#include "run/history.h"

namespace {

std::string historyRows(std::size_t bytes) {
    std::mt19937 rng(5);
    std::string text;
    text.reserve(bytes + 256);
    int issue = 2000001;
    auto digit = [&] { return std::string(1, static_cast<char>('0' + rng() % 10)); };
    while (text.size() < bytes) {
        const std::string is = std::to_string(issue++);
        const std::string day = "2026" + std::string(rng() % 2 ? "-" : "年") + tarnel::numberText(1 + int(rng() % 12), 2) +
                                (rng() % 2 ? "-" : "月") + tarnel::numberText(1 + int(rng() % 28), 2);
        const std::string a = digit(), b = digit(), c = digit();
        switch (rng() % 4) {
            case 0: text += is + " " + a + " " + b + " " + c; break;
            case 1: text += is + " " + a + b + c + " " + day; break;
            case 2:
                text += "第" + is + "期 " + day + "日 21:15 开奖 " + a + "," + b + "," + c + " 试机号 " + digit() + " " +
                        digit() + " " + digit();
                break;
            default:
                text += is + "\t" + a + " " + b + " " + c + "\t" + std::to_string(rng() % 1000) + "," +
                        std::to_string(rng() % 1000) + "\t" + std::to_string(rng() % 100000);
        }
        text += rng() % 16 ? "\r\n" : "\r\n\r\n";
    }
    return text;
}

std::string toGb18030(const std::string& utf8) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* src = const_cast<char*>(utf8.data());
    std::size_t srcLeft = utf8.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

void BM_ReadHistoryUtf8(benchmark::State& state) {
    const std::string text = historyRows(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::readHistory(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReadHistoryUtf8)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_ReadHistoryGb18030(benchmark::State& state) {
    const std::string text = toGb18030(historyRows(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(tarnel::readHistory(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReadHistoryGb18030)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
