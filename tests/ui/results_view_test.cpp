// The results view, the run keys, Chinese message boxes, the focus frame,
// the layout on small screens and the display scale, through the real
// controls of the main and two-star windows.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "ui/windows/statistics_window.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/display_scale.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/results_view.h"
#include "main_window_fixture.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

QString numberQ(int n, int width = 3) { return QString::number(n).rightJustified(width, QLatin1Char('0')); }

QString joined(const std::vector<int>& numbers, const QString& sep = QStringLiteral(" "), int width = 3) {
    QStringList parts;
    for (int n : numbers) parts << numberQ(n, width);
    return parts.join(sep);
}

// The figures as a player would count them off the number texts.
struct Expected {
    int direct = 0, groups = 0, same = 0, twoSame = 0, different = 0;
};
Expected countByHand(const std::vector<int>& numbers, int width = 3) {
    Expected e;
    std::set<QString> groups;
    for (int n : numbers) {
        QString t = numberQ(n, width);
        ++e.direct;
        const std::set<QChar> distinct(t.begin(), t.end());
        if (distinct.size() == 1)
            ++e.same;
        else if (int(distinct.size()) == width)
            ++e.different;
        else
            ++e.twoSame;
        std::sort(t.begin(), t.end());
        groups.insert(t);
    }
    e.groups = int(groups.size());
    return e;
}

std::vector<int> randomNumbers(std::mt19937& rng, int size, int pool = 1000) {
    std::vector<int> all(static_cast<std::size_t>(pool));
    for (int i = 0; i < pool; ++i) all[std::size_t(i)] = i;
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(std::size_t(size));
    return all;
}

QString yuan(long long fen) { return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0')); }

class ResultsViewTest : public MainWindowFixture {
protected:
    void TearDown() override {
        QSettings().remove(QStringLiteral("results"));
        if (displayScale() != 100) setDisplayScale(100);
        QSettings().remove(QStringLiteral("view"));
    }
    void runWithBase(const std::vector<int>& numbers) {
        get<MultiLineBox>("T_jichu_dadi")->setText(joined(numbers, QStringLiteral(",  ")));
        get<QPushButton>("C_guolv_ks")->click();
    }
    template <class T = QWidget>
    T* inView(ResultsView* view, const QString& name) {
        T* c = view->findChild<T*>(name);
        if (!c) ADD_FAILURE() << "no control " << name.toStdString() << " in the results view";
        return c;
    }
    void activate(QWidget* window) {
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // Every visible widget's place in the window, by object path.
    std::map<QString, QRect> geometries(const QSet<QString>& skip) {
        std::map<QString, QRect> out;
        int unnamed = 0;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (!c->isVisible() || c->window() != &w) continue;
            bool skipped = false;
            for (QWidget* p = c; p && p != &w; p = p->parentWidget()) skipped = skipped || skip.contains(p->objectName());
            if (skipped) continue;
            const QString key = (c->objectName().isEmpty() ? QStringLiteral("#%1").arg(unnamed++) : c->objectName()) +
                                QLatin1Char('/') + QString::fromUtf8(c->metaObject()->className());
            out[key] = QRect(c->mapTo(&w, QPoint(0, 0)), c->size());
        }
        return out;
    }
};

TEST_F(ResultsViewTest, FiguresMatchACountByHandForRandomResultsAndFollowEachRun) {
    std::mt19937 rng(4242);
    ResultsView* view = nullptr;
    for (int size : {1, 7, 64, 300, 999, 1000}) {
        std::vector<int> numbers = randomNumbers(rng, size);
        runWithBase(numbers);
        if (!view) {
            get<QPushButton>("C_chakan_jieguo")->click();
            view = w.findChild<ResultsView*>();
            ASSERT_TRUE(view);
        }
        QApplication::processEvents();  // the open view follows the run by itself
        std::sort(numbers.begin(), numbers.end());
        const Expected e = countByHand(numbers);
        EXPECT_EQ(view->numbers(), numbers);
        EXPECT_EQ(inView<QLabel>(view, "L_jg_zhushu")->text(),
                  QStringLiteral("直选 %1 注　　组选 %2 注").arg(e.direct).arg(e.groups));
        EXPECT_EQ(inView<QLabel>(view, "L_jg_xingtai")->text(),
                  QStringLiteral("豹子 %1　　组三 %2　　组六 %3").arg(e.same).arg(e.twoSame).arg(e.different));
        EXPECT_EQ(inView<QLabel>(view, "L_jg_jine")->text(),
                  QStringLiteral("直选 %1 元　　组选 %2 元").arg(yuan(200LL * e.direct), yuan(200LL * e.groups)));
        auto* grid = inView<QTableWidget>(view, "Grid_jg_haoma");
        ASSERT_EQ(grid->rowCount(), (size + 9) / 10);
        EXPECT_EQ(grid->item(0, 0)->text(), numberQ(numbers.front()));
        EXPECT_EQ(grid->item((size - 1) / 10, (size - 1) % 10)->text(), numberQ(numbers.back()));
    }
    // After the conversion the view counts the group forms the box shows.
    get<QPushButton>("C_zhi_zu")->click();
    QApplication::processEvents();
    EXPECT_EQ(view->summary().direct, 220);
    EXPECT_EQ(view->summary().groups, 220);
    // No survivor: nothing to copy or send.
    get<QCheckBox>("Check_hewei_sha[0]")->setChecked(true);
    for (int t = 1; t < 10; ++t) get<QCheckBox>(indexedName("Check_hewei_sha", t))->setChecked(true);
    get<QPushButton>("C_guolv_ks")->click();
    QApplication::processEvents();
    EXPECT_EQ(view->summary().direct, 0);
    EXPECT_FALSE(inView<QPushButton>(view, "C_jg_copy")->isEnabled());
    EXPECT_FALSE(inView<QPushButton>(view, "C_jg_fasong[0]")->isEnabled());
}

// All ten columns of numbers show side by side, whatever the widest glyph of
// the header's font (Windows' interface fonts have very wide ones).
TEST_F(ResultsViewTest, TheNumberGridShowsEveryColumnWithoutScrolling) {
    std::mt19937 rng(7);
    runWithBase(randomNumbers(rng, 300));
    ResultsView* view = w.openResults();
    auto* grid = inView<QTableWidget>(view, "Grid_jg_haoma");
    // The interface font (a CJK one here, as on Windows) a size up: its widest
    // glyph is wider than a column of four digits.
    QFont wide = QApplication::font();
    wide.setPointSizeF(wide.pointSizeF() * 2);
    for (const QFont& font : {grid->horizontalHeader()->font(), wide}) {
        grid->horizontalHeader()->setFont(font);
        view->resize(view->sizeHint());
        view->show();
        QApplication::processEvents();
        const int last = grid->columnCount() - 1;
        EXPECT_LE(grid->columnViewportPosition(last) + grid->columnWidth(last), grid->viewport()->width())
            << "header font " << grid->horizontalHeader()->fontMetrics().maxWidth() << " px at its widest";
        EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    }
}

TEST_F(ResultsViewTest, ThePriceIsRememberedAndPricesBothKindsOfBet) {
    runWithBase({123, 321, 555, 556});
    ResultsView* view = w.openResults();
    inView<QDoubleSpinBox>(view, "Spin_jg_danjia")->setValue(2.5);
    EXPECT_EQ(inView<QLabel>(view, "L_jg_jine")->text(), QStringLiteral("直选 10.00 元　　组选 7.50 元"));
    RecordingUiServices others;
    MainWindow again(others);
    ResultsView* second = again.openResults();
    EXPECT_EQ(second->priceFen(), 250);
    EXPECT_DOUBLE_EQ(inView<QDoubleSpinBox>(second, "Spin_jg_danjia")->value(), 2.5);
}

TEST_F(ResultsViewTest, CopyAndExportUseTheChosenSeparatorAndNumbersPerLine) {
    std::mt19937 rng(99);
    QTemporaryDir dir;
    const QString seps[3] = {QStringLiteral(" "), QStringLiteral(","), QStringLiteral("\r\n")};
    for (int round = 0; round < 12; ++round) {
        std::vector<int> numbers = randomNumbers(rng, 1 + int(rng() % 60));
        runWithBase(numbers);
        std::sort(numbers.begin(), numbers.end());
        ResultsView* view = w.openResults();
        const int sep = round % 3;
        const int perLine = int(rng() % 8);
        inView<QComboBox>(view, "Combo_jg_fenge")->setCurrentIndex(sep);
        inView<QSpinBox>(view, "Spin_jg_meihang")->setValue(perLine);
        // Reference: lines of perLine numbers (one line when 0; one number a line for line breaks).
        const int chunk = sep == 2 ? 1 : perLine == 0 ? int(numbers.size()) : perLine;
        QStringList lines;
        for (std::size_t i = 0; i < numbers.size(); i += std::size_t(chunk))
            lines << joined(std::vector<int>(numbers.begin() + long(i),
                                             numbers.begin() + long(std::min(numbers.size(), i + std::size_t(chunk)))),
                            seps[sep]);
        const QString expected = lines.join(QStringLiteral("\r\n"));

        inView<QPushButton>(view, "C_jg_copy")->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), expected) << round;
        EXPECT_EQ(services.takeNotices(), QStringList{kCopyNoticeText});

        const QString path = dir.filePath(QStringLiteral("out%1").arg(round));
        services.setNextPath(path);
        inView<QPushButton>(view, "C_jg_export")->click();
        QFile file(path + QStringLiteral(".txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(file.readAll()), expected);
    }
    // An export that cannot be written says so and leaves nothing behind.
    services.setNextPath(dir.filePath(QStringLiteral("missing/folder/x.txt")));
    inView<QPushButton>(w.openResults(), "C_jg_export")->click();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    // The layout chosen last is there next time.
    RecordingUiServices others;
    MainWindow again(others);
    EXPECT_EQ(inView<QComboBox>(again.openResults(), "Combo_jg_fenge")->currentIndex(), 11 % 3);
}

TEST_F(ResultsViewTest, SendingWritesTheNumbersAndARunFromThemKeepsTheSameSet) {
    QTemporaryDir dir;
    services.setNextPath(dir.filePath(QStringLiteral("a.tarnel")));
    ASSERT_TRUE(w.saveSchemeAs());
    ASSERT_FALSE(w.schemeModified());

    std::mt19937 rng(7);
    const std::vector<int> base = randomNumbers(rng, 200);
    runWithBase(base);
    get<QCheckBox>("Check_hewei_sha[3]")->setChecked(true);  // sum tail 3 goes
    get<QPushButton>("C_guolv_ks")->click();
    std::vector<int> kept;
    for (int n : base)
        if ((n / 100 + n / 10 % 10 + n % 10) % 10 != 3) kept.push_back(n);
    std::sort(kept.begin(), kept.end());
    const QString keptText = joined(kept);
    ASSERT_EQ(get<MultiLineBox>("T_dadi_output")->text(), keptText);

    ResultsView* view = w.openResults();
    inView<QPushButton>(view, "C_jg_fasong[0]")->click();
    EXPECT_EQ(get<MultiLineBox>("T_jichu_dadi")->text(), keptText);
    EXPECT_TRUE(w.schemeModified());  // the player's own change, as far as the scheme goes
    get<QCheckBox>("Check_hewei_sha[3]")->setChecked(false);
    get<QPushButton>("C_guolv_ks")->click();
    QApplication::processEvents();  // the view follows the run
    EXPECT_EQ(get<MultiLineBox>("T_dadi_output")->text(), keptText);

    // Lists A and B of the set tool: A gets this result, B the next one; AB交集 gives the common numbers.
    inView<QPushButton>(view, "C_jg_fasong[1]")->click();
    EXPECT_EQ(get<MultiLineBox>("T_dd_jiaoji[0]")->text(), keptText);
    EXPECT_FALSE(get<QWidget>("Frame_ding[4]")->isHidden());  // the set tool page is shown
    get<QCheckBox>("Check_hewei_sha[5]")->setChecked(true);
    get<QPushButton>("C_guolv_ks")->click();
    QApplication::processEvents();
    inView<QPushButton>(view, "C_jg_fasong[2]")->click();
    std::vector<int> both;
    for (int n : kept)
        if ((n / 100 + n / 10 % 10 + n % 10) % 10 != 5) both.push_back(n);
    EXPECT_EQ(get<MultiLineBox>("T_dd_jiaoji[1]")->text(), joined(both));
    get<QPushButton>("C_jiaoji_xuanzhe[0]")->click();
    EXPECT_EQ(get<LineBox>("T_jiaoji_zhushu")->text(), QString::number(both.size()));
}

TEST_F(ResultsViewTest, TheCountBoxIsReadOnlyButKeepsItsText) {
    LineBox* count = get<LineBox>("T_dadi_zhushu");
    EXPECT_TRUE(count->isReadOnly());
    w.show();
    count->setFocus();
    QTest::keyClicks(count, "77");
    EXPECT_EQ(count->text(), "0");
    get<QPushButton>("C_guolv_ks")->click();
    EXPECT_EQ(count->text(), "1000");
}

TEST_F(ResultsViewTest, F5AndCtrlEnterRunLikeTheStartButton) {
    activate(&w);
    auto* kills = get<MultiLineBox>("T_main_shazhixuan");
    kills->setText(QStringLiteral("123 456"));
    kills->setFocus();
    QTest::keyClick(kills, Qt::Key_F5);
    EXPECT_EQ(w.runCount(), 1);
    EXPECT_EQ(get<LineBox>("T_dadi_zhushu")->text(), "998");
    kills->setFocus();
    QTest::keyClick(kills, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(kills, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(w.runCount(), 3);
    EXPECT_EQ(kills->text(), QStringLiteral("123 456"));  // no line break typed
    EXPECT_EQ(QApplication::focusWidget(), get<QPushButton>("C_guolv_ks"));  // as after a click
    get<QPushButton>("C_guolv_ks")->setEnabled(false);  // a run under way
    QTest::keyClick(get<QPushButton>("C_guolv_ks"), Qt::Key_F5);
    EXPECT_EQ(w.runCount(), 3);
    get<QPushButton>("C_guolv_ks")->setEnabled(true);

    // The two-star window runs its own start button.
    TwoStarWindow* two = w.openTwoStar();
    activate(two);
    QTest::keyClick(two->findChild<QWidget*>("T_2d_dd[1]"), Qt::Key_F5);
    EXPECT_EQ(two->findChild<QLabel*>("L_zhushu")->text(), "100");
    EXPECT_EQ(w.runCount(), 3);
}

TEST_F(ResultsViewTest, EscClosesTheResultsViewAndTheStatistics) {
    activate(&w);
    ResultsView* view = w.openResults();
    activate(view);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    StatisticsWindow* stats = w.openStatistics();
    activate(stats);
    QTest::keyClick(stats, Qt::Key_Escape);
    EXPECT_FALSE(stats->isVisible());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ResultsViewTest, TheTwoStarWindowHasItsOwnResultsView) {
    TwoStarWindow* two = w.openTwoStar();
    two->findChild<QPushButton*>("C_2d_ks[0]")->click();
    two->findChild<QPushButton*>("C_2d_chakan")->click();
    ResultsView* view = two->findChild<ResultsView*>();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->summary().direct, 100);
    EXPECT_EQ(view->summary().groups, 55);
    EXPECT_EQ(inView<QLabel>(view, "L_jg_xingtai")->text(), QStringLiteral("对子 10　　非对子 90"));
    // A double-click on the result box opens the same view; sending fills the base list.
    two->findChild<MultiLineBox*>("T_2d_dd[2]")->setText(QStringLiteral("12 34 99 5 123"));
    QTest::mouseDClick(two->findChild<MultiLineBox*>("T_2d_dd[2]")->viewport(), Qt::LeftButton);
    EXPECT_EQ(two->findChildren<ResultsView*>().size(), 1);
    EXPECT_EQ(view->numbers(), (std::vector<int>{12, 34, 99}));
    inView<QPushButton>(view, "C_jg_fasong[0]")->click();
    EXPECT_EQ(two->findChild<MultiLineBox*>("T_2d_dd[0]")->text(), QStringLiteral("12 34 99"));
    two->findChild<QPushButton*>("C_2d_ks[0]")->click();
    EXPECT_EQ(two->findChild<QLabel*>("L_zhushu")->text(), "3");
}

TEST_F(ResultsViewTest, TickingCompoundInputMovesNothingElse) {
    w.resize(1366, 768);
    w.show();
    QApplication::processEvents();
    const QSet<QString> digitBoxes = {"T_dadi_in[0]", "T_dadi_in[1]", "T_dadi_in[2]", "tarnelFocusFrame"};
    const auto before = geometries(digitBoxes);
    get<QCheckBox>("Check_fs_ip")->setChecked(true);
    QApplication::processEvents();
    EXPECT_TRUE(get<QWidget>("T_dadi_in[1]")->isVisible());
    EXPECT_EQ(geometries(digitBoxes), before);
    get<QCheckBox>("Check_fs_ip")->setChecked(false);
    QApplication::processEvents();
    EXPECT_EQ(geometries(digitBoxes), before);
}

TEST_F(ResultsViewTest, TheRunControlsStayInSightOnSmallScreens) {
    const char* const names[] = {"C_guolv_ks", "C_copy", "C_zhi_zu", "T_dadi_zhushu", "C_chakan_jieguo", "T_dadi_output"};
    w.show();
    for (QSize size : {QSize(1366, 768), QSize(1024, 768), QSize(800, 600), QSize(1366, 768)}) {
        w.resize(size);
        QApplication::processEvents();
        ASSERT_EQ(w.size(), size);
        EXPECT_EQ(w.resultColumnBeside(), size.width() < 1366) << size.width();  // the designed grid where it fits
        for (const char* name : names) {
            QWidget* c = get(QString::fromUtf8(name));
            const QRect inWindow(c->mapTo(&w, QPoint(0, 0)), c->size());
            EXPECT_TRUE(w.rect().contains(inWindow)) << name << " at " << size.width();
            EXPECT_EQ(c->visibleRegion().boundingRect(), c->rect()) << name << " is cut at " << size.width();
        }
    }
    // The tab order is the same in both layouts.
    auto chain = [&] {
        QStringList names;
        QWidget* c = get("C_ding_anniu[0]");
        for (int i = 0; i < 400 && c; ++i, c = c->nextInFocusChain())
            if ((c->focusPolicy() & Qt::TabFocus) && !c->objectName().isEmpty()) names << c->objectName();
        return names;
    };
    const QStringList wide = chain();
    w.resize(1024, 768);
    QApplication::processEvents();
    EXPECT_EQ(chain(), wide);
}

TEST_F(ResultsViewTest, DisplayScaleIsRememberedGrowsTheTextAndCutsNoCaption) {
    const double basePoint = QApplication::font().pointSizeF();
    QPushButton* digit = get<QPushButton>("C_fushi_paichu[0]");
    const QSize digitSize = digit->minimumSize();
    QAction* act = w.menuBar()->findChild<QAction*>("Act_bili_150");
    ASSERT_TRUE(act);
    act->trigger();
    EXPECT_EQ(savedDisplayScale(), 150);
    EXPECT_NEAR(QApplication::font().pointSizeF(), basePoint * 1.5, 0.01);
    EXPECT_EQ(digit->minimumSize(), digitSize * 1.5);

    w.resize(1366, 768);
    w.show();
    QTest::qWait(50);
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (!b->isVisible() || b->text().isEmpty()) continue;
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width()) << b->objectName().toStdString();
        EXPECT_LE(b->fontMetrics().height(), b->height()) << b->objectName().toStdString();
    }
    // Windows made later come up scaled as well.
    RecordingUiServices others;
    MainWindow later(others);
    later.show();
    EXPECT_EQ(later.findChild<QPushButton*>("C_fushi_paichu[0]")->minimumSize(), digitSize * 1.5);

    w.menuBar()->findChild<QAction*>("Act_bili_100")->trigger();
    EXPECT_EQ(savedDisplayScale(), 100);
    EXPECT_NEAR(QApplication::font().pointSizeF(), basePoint, 0.01);
    EXPECT_EQ(digit->minimumSize(), digitSize);
}

TEST(ChineseDialogs, MessageBoxesNameTheirButtonsInChinese) {
    DesktopUiServices desktop;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        caption = box->buttons().value(0)->text();
        box->accept();
    });
    desktop.showMessage(nullptr, QStringLiteral("温情提示"), QStringLiteral("测试"));
    EXPECT_EQ(caption, QStringLiteral("确定"));

    // Qt's own texts come from the system's translations.
    ASSERT_TRUE(loadChineseQtTexts(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST(FocusFrame, FollowsTheKeyboardFocusAcrossWindows) {
    showFocusFrame(*qApp);
    RecordingUiServices services;
    MainWindow w(services);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* start = w.findChild<QWidget*>("C_guolv_ks");
    start->setFocus();
    EXPECT_EQ(focusFrameTarget(), start);
    ResultsView* view = w.openResults();
    QApplication::setActiveWindow(view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    auto* price = view->findChild<QDoubleSpinBox*>("Spin_jg_danjia");
    price->setFocus();
    EXPECT_EQ(focusFrameTarget(), price);  // the spin box, not its inner edit
    view->close();
    delete view;  // the frame went with it; the next focus makes a new one
    QApplication::setActiveWindow(&w);
    start->setFocus();
    w.findChild<QWidget*>("C_copy")->setFocus();
    EXPECT_EQ(focusFrameTarget(), w.findChild<QWidget*>("C_copy"));
    showFocusFrame(*qApp, false);
    EXPECT_EQ(focusFrameTarget(), nullptr);
}

}  // namespace
}  // namespace tarnel
