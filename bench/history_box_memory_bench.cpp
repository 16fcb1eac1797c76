// Memory a multi-line box holds after many large pastes, each over the
// whole text (select all, paste), as a player replaces a history again and
// again. Counters: heap_MB is the heap in use after the pastes, rss_MB the
// resident size gained, both against the moment before the box was made;
// pastes is how many went in. Case 0 is the box; case 1 is a plain text
// edit given the same grouped text with its undo on, which is how the box
// held a paste before its undo was bounded.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

#include "ui/widgets/text_boxes.h"

namespace {

// Draws as a player pastes them, one a line: about `bytes` bytes.
QString historyText(qsizetype bytes, int seed) {
    QString text;
    text.reserve(bytes + 32);
    for (int i = 0; text.size() < bytes; ++i)
        text += QStringLiteral("%1 %2\n").arg(2000000 + i).arg((i * 7919 + seed * 104729) % 1000, 3, 10, QLatin1Char('0'));
    return text;
}

// In use from the heap, large blocks (which malloc maps apart) included.
double heapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / double(1 << 20);
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / double(1 << 20);
}

void BM_RepeatedLargePastes(benchmark::State& state) {
    const bool reference = state.range(0) == 1;
    const int pastes = int(state.range(1));
    // Two texts in turn, so that no paste finds its own text already there.
    const QString texts[2] = {historyText(10'000'000, 1), historyText(10'000'000, 2)};
    for (auto _ : state) {
        malloc_trim(0);
        const double heapBefore = heapMegabytes();
        const double residentBefore = residentMegabytes();
        {
            QWidget window;
            QPlainTextEdit* box = reference ? new QPlainTextEdit(&window)
                                            : new tarnel::MultiLineBox(QStringLiteral("T_ls_haoma"), &window);
            box->setGeometry(0, 0, 600, 400);
            box->setLineWrapMode(QPlainTextEdit::NoWrap);
            window.show();
            for (int i = 0; i < pastes; ++i) {
                box->selectAll();
                if (reference) {
                    QTextCursor cursor = box->textCursor();
                    cursor.insertText(tarnel::toDocumentText(texts[i % 2]).text);
                } else {
                    QGuiApplication::clipboard()->setText(texts[i % 2]);
                    box->paste();
                    QGuiApplication::clipboard()->clear();
                }
                QApplication::processEvents();
            }
            malloc_trim(0);
            state.counters["heap_MB"] = heapMegabytes() - heapBefore;
            state.counters["rss_MB"] = residentMegabytes() - residentBefore;
            state.counters["undo_on"] = box->document()->isUndoRedoEnabled() ? 1 : 0;
        }
    }
    state.counters["pastes"] = pastes;
    state.SetLabel(reference ? "text edit, undo on" : "MultiLineBox");
}
BENCHMARK(BM_RepeatedLargePastes)
    ->Args({0, 1})->Args({1, 1})
    ->Args({0, 4})->Args({1, 4})
    ->Args({0, 16})->Args({1, 16})
    ->Args({0, 41})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
