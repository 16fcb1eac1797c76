// Reading a history text of 1 MB and 10 MB (the time should grow tenfold),
// from UTF-8 and from GB18030, with rows in the forms players paste; and
// how long the history window stops answering while it reads 10 MB.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "ui/widgets/ui_services.h"
#include "core/rules/text.h"
#include "ui/windows/main_window.h"
#include "core/files/history.h"
#include "ui/windows/history_window.h"

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

// ---- the window -------------------------------------------------------------------

namespace {

// The longest the window stops answering while a pasted history of about
// 300,000 draws (10 MB) is read after the typing pause: the event loop is
// turned every millisecond and the widest gap between turns is reported,
// for the first paste and for the edits after it.
void BM_HistoryWindowLongestStall(benchmark::State& state) {
    using namespace tarnel;
    RecordingUiServices services;
    MainWindow w(services);
    HistoryWindow::setStoragePath(QDir::temp().filePath(QStringLiteral("tarnel-bench-%1/history.txt").arg(getpid())));
    HistoryWindow* h = w.openHistory();
    const std::string rows = historyRows(std::size_t(state.range(0)) << 20);
    const QString text = QString::fromUtf8(rows.data(), qsizetype(rows.size()));
    double longest = 0, first = 0;
    int round = 0;
    for (auto _ : state) {
        h->setHistoryText(round++ % 2 ? text : text + QStringLiteral("2099001 123\n"));
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        double widest = 0;
        // The pause, then the reading: until the status shows the new count.
        while (clock.elapsed() < 400 || h->isReading()) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
            const qint64 now = clock.nsecsElapsed();
            widest = std::max(widest, double(now - last) / 1e6);
            last = now;
        }
        // The first round includes the box laying out 10 MB of new text.
        (round == 1 ? first : longest) = std::max(round == 1 ? first : longest, widest);
        state.SetIterationTime(widest / 1e3);
    }
    state.counters["first_ms"] = first;
    state.counters["longest_ms"] = longest;
    QDir(QFileInfo(HistoryWindow::storagePath()).absolutePath()).removeRecursively();
}
BENCHMARK(BM_HistoryWindowLongestStall)->Arg(10)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / double(1 << 20);
}

// Opening a history file of Arg MB in 开奖历史 (as 打开文件… does, the
// player agreeing to replace the box): the longest the event loop stops
// turning (a timer ticks every millisecond; manual time), the whole time
// (total_ms), and the memory the process holds afterwards beyond what it
// held before (rss_MB) against the file's size.
void BM_HistoryWindowOpenFile(benchmark::State& state) {
    using namespace tarnel;
    RecordingUiServices services;
    services.setYesNoAnswer(true);
    MainWindow w(services);
    const QString folder = QDir::temp().filePath(QStringLiteral("tarnel-bench-open-%1").arg(getpid()));
    QDir().mkpath(folder);
    HistoryWindow::setStoragePath(folder + QStringLiteral("/history.txt"));
    HistoryWindow* h = w.openHistory();
    const QString path = folder + QStringLiteral("/draws.txt");
    {
        const std::string rows = historyRows(std::size_t(state.range(0)) << 20);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(rows.data(), qint64(rows.size()));
    }
    const double before = residentMegabytes();
    double widest = 0, total = 0;
    for (auto _ : state) {
        h->setHistoryText(QString());
        h->rereadNow();
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            widest = std::max(widest, double(now - last) / 1e6);
            last = now;
        });
        ticker.start();
        if (!h->openHistoryFile(path)) state.SkipWithError("the file was not opened");
        const qint64 now = clock.nsecsElapsed();
        widest = std::max(widest, double(now - last) / 1e6);
        total = double(now) / 1e6;
        state.SetIterationTime(widest / 1e3);
    }
    QApplication::processEvents();
    state.counters["longest_ms"] = widest;
    state.counters["total_ms"] = total;
    state.counters["rss_MB"] = residentMegabytes() - before;
    state.counters["file_MB"] = double(state.range(0));
    QDir(folder).removeRecursively();
}
BENCHMARK(BM_HistoryWindowOpenFile)->Arg(8)->Arg(63)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
