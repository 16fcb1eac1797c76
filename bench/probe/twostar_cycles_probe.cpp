// Opens and closes the two-star window again and again, and prints the heap
// in use and the resident size as it goes: where memory kept per cycle shows.
// tarnel-twostar-probe [CYCLES [keep]]
#include <QApplication>
#include <QPixmapCache>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

#include "ui/widgets/appearance.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace {
double heapKb() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1024.0;
}
double residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tarnel::applyAppearance(app);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 2000;
    tarnel::RecordingUiServices services;
    tarnel::MainWindow main(services);
    main.show();
    QApplication::processEvents();
    // TARNEL_CLEAR_PIXMAPS=1: empties Qt's pixmap cache after every cycle, to tell its share.
    const bool clearPixmaps = qEnvironmentVariableIsSet("TARNEL_CLEAR_PIXMAPS");
    std::printf("pixmap cache limit %d KB\n", QPixmapCache::cacheLimit());
    const auto cycle = [&main, clearPixmaps] {
        tarnel::TwoStarWindow* w = main.openTwoStar();
        QApplication::processEvents();
        w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        if (clearPixmaps) QPixmapCache::clear();
    };
    cycle();  // the first one loads what every later one shares
    malloc_trim(0);
    const double heap0 = heapKb(), rss0 = residentKb();
    std::printf("cycles heap_KB_kept rss_KB_kept heap_KB_per_cycle\n");
    for (int i = 1; i <= cycles; ++i) {
        cycle();
        if (i == 10 || i == 50 || i % 200 == 0 || i == cycles) {
            malloc_trim(0);
            const double heap = heapKb() - heap0;
            std::printf("%d %.0f %.0f %.2f\n", i, heap, residentKb() - rss0, heap / i);
            std::fflush(stdout);
        }
    }
    // With a second argument the program ends without tearing anything down,
    // so that a heap profiler lists what the cycles kept as never freed.
    if (argc > 2) _exit(0);
    return 0;
}
