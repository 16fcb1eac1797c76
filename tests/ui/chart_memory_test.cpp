// The history window's charts hold no more memory after many refreshes than
// after a few: every refresh replaces what the charts show, and the old
// series, axes and bands are freed with it.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count (its header comes with clang's runtime only; GCC's
// runtime exports the same function).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
#include <malloc.h>
#else
#include <malloc.h>
#endif

#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/windows/history_window.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

// Bytes the C heap has handed out and not yet taken back.
std::size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
    std::size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY) used += entry._size;
    return used;
#else
    return mallinfo2().uordblks;
#endif
}

class ChartMemoryTest : public MainWindowFixture {};

TEST_F(ChartMemoryTest, TwoHundredRefreshesOfTheBacktestChartsHoldNoMoreMemory) {
    HistoryWindow* h = w.openHistory();
    testing::StateMaker make(1200);
    QStringList lines;
    for (int i = 0; i < 1200; ++i)
        lines << QStringLiteral("%1 %2").arg(2023001 + i).arg(make.below(1000), 3, 10, QLatin1Char('0'));
    h->setHistoryText(lines.join(QLatin1Char('\n')));
    h->rereadNow();
    MainConditions state;
    for (int tail : {0, 3, 7}) state.digits.sumTailKill[std::size_t(tail)] = true;
    for (int span : {0, 9}) state.digits.spanKill[std::size_t(span)] = true;
    w.applyConditions(state);
    TwoStarWindow* t = w.openTwoStar();
    TwoStarConditions two = twoStarStartState();
    for (int span : {0, 9}) two.span[std::size_t(span)] = true;
    t->applyConditions(two);
    // A few rounds first: caches and pools settle.
    for (int i = 0; i < 20; ++i) h->refreshBacktests();
    const std::size_t before = heapInUse();
    for (int i = 0; i < 200; ++i) h->refreshBacktests();
    const std::size_t after = heapInUse();
    // Leaking one chart's series a refresh would be well above 5 MB here.
    const double grown = (double(after) - double(before)) / 1024;
    EXPECT_LT(grown, 1024.0) << "the heap grew " << grown << " KB over 200 refreshes";
}

}  // namespace
}  // namespace tarnel
