// Opening and closing the two-star window again and again keeps nothing:
// the style draws every new window with palettes it has seen before (its
// pixmap cache keys repeat instead of piling up), no widget stays behind,
// and the heap stays flat.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <malloc.h>
#include <set>
#include <utility>

#include "ui/widgets/appearance.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

#if defined(__SANITIZE_ADDRESS__)
#define TARNEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNEL_ASAN 1
#endif
#endif

namespace tarnel {
namespace {

// Fusion, noting the identity of every palette it is asked to draw with:
// the identity its pixmap cache keys are made of.
class PaletteRecorder : public QProxyStyle {
public:
    PaletteRecorder() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    std::set<qint64>* keys = nullptr;

    void drawPrimitive(PrimitiveElement e, const QStyleOption* o, QPainter* p, const QWidget* w) const override {
        note(o);
        QProxyStyle::drawPrimitive(e, o, p, w);
    }
    void drawControl(ControlElement e, const QStyleOption* o, QPainter* p, const QWidget* w) const override {
        note(o);
        QProxyStyle::drawControl(e, o, p, w);
    }
    void drawComplexControl(ComplexControl c, const QStyleOptionComplex* o, QPainter* p,
                            const QWidget* w) const override {
        note(o);
        QProxyStyle::drawComplexControl(c, o, p, w);
    }

private:
    void note(const QStyleOption* o) const {
        if (o && keys) keys->insert(o->palette.cacheKey());
    }
};

// Puts the program's style over the recorder for one test, and the
// program's own style back afterwards.
struct RecordedStyle {
    std::set<qint64> keys;
    RecordedStyle() {
        auto* recorder = new PaletteRecorder;
        recorder->keys = &keys;
        QApplication::setStyle(makeProgramStyle(recorder));
    }
    ~RecordedStyle() { QApplication::setStyle(makeProgramStyle()); }
    RecordedStyle(const RecordedStyle&) = delete;
    RecordedStyle& operator=(const RecordedStyle&) = delete;
};

// One opening as the player makes it: the window drawn whole, then closed
// and gone.
void openDrawAndClose(MainWindow& main) {
    TwoStarWindow* w = main.openTwoStar();
    ASSERT_NE(w, nullptr);
    (void)w->grab();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ASSERT_EQ(main.twoStarWindow(), nullptr);
}

TEST(TwoStarMemory, WindowsMadeAgainAndButtonsRecolouredDrawWithPalettesSeenBefore) {
    RecordedStyle style;  // before the main window, so that it is drawn with it too
    RecordingUiServices services;
    MainWindow main(services);
    openDrawAndClose(main);
    const std::size_t firstOpening = style.keys.size();
    const qsizetype widgets = QApplication::allWidgets().size();
    ASSERT_GT(firstOpening, 0u);
    for (int i = 0; i < 6; ++i) {
        openDrawAndClose(main);
        EXPECT_EQ(style.keys.size(), firstOpening) << "opening " << i + 2 << " drew with palettes never seen";
        EXPECT_EQ(QApplication::allWidgets().size(), widgets) << "opening " << i + 2 << " left widgets behind";
    }

    // A grid button flipped on and off paints in two colours, whatever
    // the number of flips.
    TwoStarWindow* w = main.openTwoStar();
    auto* banker = w->findChild<ToggleButton*>(QStringLiteral("C_2d_dm[0]"));
    ASSERT_NE(banker, nullptr);
    for (int i = 0; i < 2; ++i) {
        banker->click();
        (void)banker->grab();
    }
    const std::size_t bothColours = style.keys.size();
    for (int i = 0; i < 20; ++i) {
        banker->click();
        (void)banker->grab();
        EXPECT_EQ(banker->isSelected(), i % 2 == 0);
    }
    EXPECT_EQ(style.keys.size(), bothColours);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The shared palettes change nothing the player sees: both windows, with
// grid buttons in both colours, come out the same to the pixel as with
// plain Fusion.
TEST(TwoStarMemory, ProgramStyleDrawsExactlyAsFusion) {
    const auto draw = [](QStyle* style) {
        QApplication::setStyle(style);
        RecordingUiServices services;
        MainWindow main(services);
        TwoStarWindow* w = main.openTwoStar();
        for (const char* name : {"C_2d_dm[3]", "C_2d_kua[5]", "C_2d_xt[2]"})
            w->findChild<ToggleButton*>(QString::fromLatin1(name))->click();
        std::pair<QImage, QImage> images{main.grab().toImage(), w->grab().toImage()};
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return images;
    };
    const auto fusion = draw(QStyleFactory::create(QStringLiteral("Fusion")));
    const auto program = draw(makeProgramStyle());
    EXPECT_FALSE(fusion.second.isNull());
    EXPECT_TRUE(fusion.first == program.first) << "main window";
    EXPECT_TRUE(fusion.second == program.second) << "two-star window";
}

TEST(TwoStarMemory, HeapStaysFlatOverManyOpenings) {
#ifdef TARNEL_ASAN
    GTEST_SKIP() << "the address sanitizer's allocator is not the one mallinfo2 reports on";
#else
    const auto heap = [] {
#ifdef _WIN32
        // The C runtime's heap walked block by block: the blocks in use.
        double used = 0;
        _HEAPINFO entry{};
        while (_heapwalk(&entry) == _HEAPOK)
            if (entry._useflag == _USEDENTRY) used += double(entry._size);
        return used;
#else
        malloc_trim(0);
        const struct mallinfo2 info = mallinfo2();
        return double(info.uordblks + info.hblkhd);
#endif
    };
    RecordingUiServices services;
    MainWindow main(services);
    for (int i = 0; i < 20; ++i) openDrawAndClose(main);  // what every later opening shares
    const double before = heap();
    constexpr int kOpenings = 80;
    for (int i = 0; i < kOpenings; ++i) openDrawAndClose(main);
    // Each opening used to keep about 40 KB, over 3 MB here; what is left
    // now is noise of the allocator.
    EXPECT_LT(heap() - before, 1024.0 * 1024.0) << "kept " << (heap() - before) / kOpenings << " bytes an opening";
#endif
}

}  // namespace
}  // namespace tarnel
