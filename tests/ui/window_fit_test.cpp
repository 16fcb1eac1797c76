// The main window on laptop screens: every command in sight without
// scrolling, every condition reachable by scrolling down only, the regions
// in their reading order whatever the arrangement; the history window's
// minimum size; the results view's words after 转为组选.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <random>
#include <set>

#include "main_window_fixture.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/text_boxes.h"
#include "ui/widgets/window_fit.h"
#include "ui/windows/history_window.h"
#include "ui/windows/two_star_window.h"
#include "ui/windows/combine_window.h"
#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/statistics_window.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

// 1366 x 768 and 1024 x 768 laptops, with a title bar, and with a taskbar too.
const QSize kLaptopSizes[] = {QSize(1366, 768), QSize(1366, 736), QSize(1366, 690),
                              QSize(1366, 658), QSize(1024, 768), QSize(1024, 736)};

// The commands, the result box and the figures beside it.
const char* const kCommands[] = {"C_guolv_ks", "C_copy",        "C_zhi_zu",      "C_all_cls",
                                 "C_lishi",    "C_chakan_jieguo", "C_op_2d",      "T_dadi_output",
                                 "T_dadi_zhushu", "Combo_rongcuo", "L_yuji_zhushu", "Check_fs_ip"};

// A control of each condition region, in the designed reading order: upper
// left, middle left, middle right, then the bottom row left to right.
const char* const kRegionMarks[] = {"C_ding_anniu[0]", "Check_hewei_sha[0]", "Check_012_paichu[0]",
                                    "Check_danzu_sx0", "T_jichu_dadi",       "Check_tebie_paichu[0]"};

QString sizeText(QSize s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

struct HistoryStore {
    QTemporaryDir store;
};

class WindowFitTest : public HistoryStore, public MainWindowFixture {
protected:
    WindowFitTest() { HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt"))); }

    QScrollArea* area() { return w.findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly); }

    void showAt(QSize size) {
        w.show();
        w.resize(size);
        QApplication::processEvents();
        QApplication::processEvents();  // a second pass for a fit the scroll area asked for
    }

    // The region (a child of the scrolled content) that holds a control.
    QWidget* regionOf(const QString& name) {
        QWidget* c = get(name);
        while (c && c->parentWidget() != area()->widget()) c = c->parentWidget();
        if (!c) ADD_FAILURE() << name.toStdString() << " is not in the scrolled conditions";
        return c;
    }

    static QRect inWindow(QWidget* c) { return QRect(c->mapTo(c->window(), QPoint(0, 0)), c->size()); }
};

TEST_F(WindowFitTest, CommandsShowWithoutScrollingAndEveryConditionScrollsDownIntoSight) {
    showAt(QSize(1366, 768));
    const int designedResultHeight = get("T_dadi_output")->height();
    for (QSize size : kLaptopSizes) {
        showAt(size);
        const QString at = sizeText(size);
        ASSERT_EQ(w.size(), size) << "the window grew at " << at.toStdString();
        QScrollArea* scroll = area();
        EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0) << "the conditions scroll across at " << at.toStdString();
        if (w.resultColumnBeside()) {
            // The result box gets the room of the whole column.
            QWidget* output = get("T_dadi_output");
            EXPECT_GE(output->height(), 10 * output->fontMetrics().lineSpacing()) << at.toStdString();
            EXPECT_GE(output->height(), 2 * designedResultHeight) << at.toStdString();
        }
        for (int page = 0; page < 10; ++page) {
            get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), page))->click();
            QApplication::processEvents();
            QScrollBar* down = scroll->verticalScrollBar();
            for (int value : {0, down->maximum() / 2, down->maximum()}) {
                down->setValue(value);
                for (const char* name : kCommands) {
                    QWidget* c = get(QString::fromUtf8(name));
                    EXPECT_TRUE(w.rect().contains(inWindow(c))) << name << " at " << at.toStdString();
                    EXPECT_EQ(c->visibleRegion().boundingRect(), c->rect())
                        << name << " is cut at " << at.toStdString() << " scrolled to " << value;
                }
            }
            // Every control of the conditions comes whole into sight when scrolled to.
            int controls = 0;
            for (QWidget* c : scroll->widget()->findChildren<QWidget*>()) {
                if (!c->isVisible() || !(c->focusPolicy() & Qt::TabFocus) || c->focusProxy()) continue;
                ++controls;
                // Scrolled down as far as it takes to bring the control's top in sight.
                QScrollBar* bar = scroll->verticalScrollBar();
                bar->setValue(std::clamp(c->mapTo(scroll->widget(), QPoint(0, 0)).y(), 0, bar->maximum()));
                const QRect shown(c->mapTo(scroll->viewport(), QPoint(0, 0)), c->size());
                EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
                    << c->objectName().toStdString() << " on page " << page << " at " << at.toStdString();
                EXPECT_TRUE(w.rect().contains(inWindow(c))) << c->objectName().toStdString();
            }
            EXPECT_GT(controls, 100) << "page " << page;
        }
    }
    // Where the designed grid shows whole it stays; on a laptop with a taskbar
    // the result column stands beside.
    showAt(QSize(1920, 1040));
    EXPECT_FALSE(w.resultColumnBeside());
    showAt(QSize(1366, 690));
    EXPECT_TRUE(w.resultColumnBeside());
    showAt(QSize(1024, 768));
    EXPECT_TRUE(w.resultColumnBeside());
}

TEST_F(WindowFitTest, RegionsKeepTheirReadingOrderInEveryArrangement) {
    for (QSize size : {QSize(1920, 1040), QSize(1366, 768), QSize(1366, 690), QSize(1366, 400), QSize(1100, 700),
                       QSize(1024, 768), QSize(800, 600), QSize(1366, 768)}) {
        showAt(size);
        const QString at = sizeText(size);
        QRect previous;
        for (const char* mark : kRegionMarks) {
            QWidget* region = regionOf(QString::fromUtf8(mark));
            ASSERT_TRUE(region);
            const QRect r = inWindow(region);
            if (!previous.isNull()) {
                const bool below = r.top() > previous.bottom();
                const bool besideInBand = r.left() > previous.right() && r.top() <= previous.bottom();
                EXPECT_TRUE(below || besideInBand) << mark << " out of reading order at " << at.toStdString();
            }
            previous = r;
        }
        // The result column stays right of the tab area, the commands under it.
        // (Of the tab area, the part in sight: at 800 px it scrolls across under the column.)
        const QRect tabsArea =
            inWindow(regionOf(QStringLiteral("C_ding_anniu[0]"))) & inWindow(area()->viewport());
        const QRect result = inWindow(get(QStringLiteral("T_dadi_output"))->parentWidget()->parentWidget());
        const QRect commands = inWindow(get(QStringLiteral("C_guolv_ks"))->parentWidget());
        EXPECT_GT(result.left(), tabsArea.right()) << at.toStdString();
        EXPECT_GT(commands.top(), result.bottom()) << at.toStdString();
    }
}

TEST_F(WindowFitTest, ANoteInTheStatusBarMovesNothingAndHidesNoCommand) {
    auto* status = w.findChild<QStatusBar*>(QStringLiteral("StatusBar"));
    ASSERT_TRUE(status);
    status->clearMessage();  // a note left by an earlier window's last conditions
    // Heights around the one where the designed grid stops fitting.
    showAt(QSize(1366, 768));
    ASSERT_FALSE(w.resultColumnBeside());
    const int spare = area()->height() - area()->widget()->minimumSizeHint().height();
    ASSERT_GE(spare, 0);
    for (int height = 768 - spare - 30; height <= 768 - spare + 30; height += 3) {
        showAt(QSize(1366, height));
        const bool beside = w.resultColumnBeside();
        const auto geometries = [&] {
            QList<QRect> out;
            for (const char* name : kRegionMarks) out << inWindow(get(QString::fromUtf8(name)));
            for (const char* name : kCommands) out << inWindow(get(QString::fromUtf8(name)));
            return out;
        };
        const QList<QRect> before = geometries();
        status->showMessage(QStringLiteral("一行说明"));
        QApplication::processEvents();
        QApplication::processEvents();
        ASSERT_TRUE(status->isVisible());
        EXPECT_EQ(w.resultColumnBeside(), beside) << height;
        for (const char* name : kCommands)
            EXPECT_EQ(get(QString::fromUtf8(name))->visibleRegion().boundingRect(), get(QString::fromUtf8(name))->rect())
                << name << " is cut at " << height << " with a note";
        status->clearMessage();
        QApplication::processEvents();
        QApplication::processEvents();
        const QList<QRect> after = geometries();
        for (int i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]) << "control " << i << " at " << height;
    }
}

TEST_F(WindowFitTest, TheHistoryWindowFitsALaptopScreen) {
    HistoryWindow* h = w.openHistory();
    auto* tabs = h->findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    for (QSize screen : {QSize(1024, 768), QSize(1366, 690)}) {
        const QSize room(screen.width(), screen.height() - kTitleBarRoom);
        EXPECT_LE(h->minimumSizeHint().width(), room.width());
        EXPECT_LE(h->minimumSizeHint().height(), room.height());
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            h->resize(room);
            QApplication::processEvents();
            EXPECT_EQ(h->size(), room) << "tab " << t << " at " << sizeText(screen).toStdString();
            for (QPushButton* b : tabs->currentWidget()->findChildren<QPushButton*>()) {
                if (!b->isVisible()) continue;
                EXPECT_TRUE(h->rect().contains(inWindow(b))) << b->text().toStdString();
            }
        }
    }
}

// ---- every window on a laptop screen ----------------------------------------------

// Whether a widget lies inside the scrolled part of a scroll area (a table's
// cells, a scrolled page): cut there is scrolled, not lost.
bool scrolledInside(QWidget* c) {
    for (QWidget* p = c->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (auto* area = qobject_cast<QAbstractScrollArea*>(p->parentWidget()); area && area->viewport() == p) return true;
    return false;
}

// Everything a window shows is whole: each visible control, label, table
// and chart lies inside the window and inside every widget around it, and
// a wrapped label has the height its words need. (The parts of a scroll
// area itself, its headers and bars, go with it.)
void expectNothingCut(QWidget* window, const std::string& where) {
    int checked = 0;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->isVisible() || c->isWindow() || scrolledInside(c)) continue;
        if (qobject_cast<QAbstractScrollArea*>(c->parentWidget())) continue;
        const bool shows = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLabel*>(c) ||
                           qobject_cast<QAbstractScrollArea*>(c) || qobject_cast<QComboBox*>(c) ||
                           qobject_cast<QLineEdit*>(c);
        if (!shows) continue;
        if (auto* l = qobject_cast<QLabel*>(c); l && l->text().isEmpty() && !l->pixmap()) continue;
        ++checked;
        const std::string name = c->metaObject()->className() + std::string(" ") + c->objectName().toStdString() +
                                 (qobject_cast<QLabel*>(c) ? " \"" + qobject_cast<QLabel*>(c)->text().left(20).toStdString() + "\"" : "");
        for (QWidget* p = c->parentWidget(); p; p = p->isWindow() ? nullptr : p->parentWidget())
            EXPECT_TRUE(p->rect().contains(QRect(c->mapTo(p, QPoint(0, 0)), c->size())))
                << name << " is cut by " << p->metaObject()->className() << " at " << where;
        EXPECT_GT(c->height(), 0) << name << " has no room at " << where;
        if (auto* l = qobject_cast<QLabel*>(c); l && l->wordWrap()) {
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << name << " loses lines at " << where;
        }
    }
    EXPECT_GT(checked, 0) << where;
}

TEST_F(WindowFitTest, EveryWindowFitsLaptopScreensWithNothingCut) {
    // The history window with draws, rules and both backtests, its widest case.
    MainConditions state;
    testing::StateMaker make(7);
    for (int r = 0; r < 6; ++r) state.rules.push_back(testing::randomRule(make, 30));
    w.applyConditions(state);
    w.openTwoStar();
    HistoryWindow* h = w.openHistory();
    QString draws;
    for (int i = 0; i < 300; ++i) draws += QStringLiteral("%1 %2\n").arg(2024001 + i).arg((i * 37) % 1000, 3, 10, QLatin1Char('0'));
    h->setHistoryText(draws);
    h->rereadNow();
    h->refreshBacktests();
    auto* tabs = h->findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);

    const std::vector<std::pair<const char*, QWidget*>> windows{
        {"history", h},
        {"combine", w.openCombine()},
        {"guide", w.openGuide()},
        {"results", w.openResults()},
        {"two-star", w.openTwoStar()},
        {"statistics", w.openStatistics()},
        {"diagnosis", w.openDiagnosis()}};
    for (const auto& [name, window] : windows) {
        // Opened the first time through the screen fitting, like every window.
        EXPECT_TRUE(window->property("tarnelFitted").toBool()) << name << " opens without fitting the screen";
        for (QSize screen : {QSize(1366, 690), QSize(1024, 768)}) {
            const QRect area(QPoint(0, 0), screen);
            const QSize room(screen.width(), screen.height() - kTitleBarRoom);
            const std::string at = std::string(name) + " at " + sizeText(screen).toStdString();
            EXPECT_LE(window->minimumSizeHint().width(), room.width()) << at;
            EXPECT_LE(window->minimumSizeHint().height(), room.height()) << at;
            // As it would first open: larger than the screen and above it.
            window->resize(1500, 1000);
            window->move(-20, -40);
            fitToArea(window, area);
            QApplication::processEvents();
            EXPECT_LE(window->width(), room.width()) << at;
            EXPECT_LE(window->height(), room.height()) << at;
            EXPECT_GE(window->x(), 0) << at;
            EXPECT_GE(window->y(), 0) << at << ": the title bar is above the screen";
            const int pages = window == h ? tabs->count() : 1;
            for (int t = 0; t < pages; ++t) {
                if (window == h) tabs->setCurrentIndex(t);
                QApplication::processEvents();
                expectNothingCut(window, at + " tab " + std::to_string(t));
            }
        }
    }
}

// The print preview of the slips opens within the screen it is on.
TEST_F(WindowFitTest, ThePrintPreviewOpensWithinTheScreen) {
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("013 024 035"));
    get<QPushButton>("C_guolv_ks")->click();
    ResultsView* view = w.openResults();
    QSize shown, room;
    QTimer::singleShot(0, view, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog);
        shown = dialog->size();
        room = dialog->screen()->availableGeometry().size() - QSize(0, kTitleBarRoom);
        dialog->close();
    });
    view->previewSlips();
    ASSERT_TRUE(shown.isValid());
    EXPECT_LE(shown.height(), room.height());
    EXPECT_LE(shown.width(), room.width());
}

// ---- the results view after 转为组选 ---------------------------------------------------

struct Forms {
    int same = 0, twoSame = 0, different = 0;
};
Forms formsByHand(const std::vector<int>& numbers, int width) {
    Forms f;
    for (int n : numbers) {
        const QString t = QString::number(n).rightJustified(width, QLatin1Char('0'));
        const std::set<QChar> distinct(t.begin(), t.end());
        if (distinct.size() == 1)
            ++f.same;
        else if (int(distinct.size()) == width)
            ++f.different;
        else
            ++f.twoSame;
    }
    return f;
}

QString yuan(long long fen) { return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0')); }

QString label(ResultsView* view, const char* name) {
    auto* l = view->findChild<QLabel*>(QString::fromUtf8(name));
    return l ? l->text() : QStringLiteral("(no %1)").arg(QString::fromUtf8(name));
}

void expectStraightWords(ResultsView* view) {
    const ResultSummary& s = view->summary();
    EXPECT_FALSE(view->groupForms());
    EXPECT_EQ(label(view, "L_jg_zhushu"), QStringLiteral("直选 %1 注　　组选 %2 注").arg(s.direct).arg(s.groups));
    EXPECT_TRUE(label(view, "L_jg_jine").startsWith(QStringLiteral("直选 ")));
}

TEST_F(WindowFitTest, AfterGroupConversionTheResultsViewCountsAndPricesGroupBets) {
    std::mt19937 rng(2811);
    ResultsView* view = w.openResults();
    for (int round = 0; round < 14; ++round) {
        // A random base list, with a few numbers of equal digits now and then.
        std::vector<int> all(1000);
        for (int i = 0; i < 1000; ++i) all[std::size_t(i)] = i;
        std::shuffle(all.begin(), all.end(), rng);
        all.resize(std::size_t(std::uniform_int_distribution<int>(1, 400)(rng)));
        if (round % 3 == 0) all.push_back(111 * std::uniform_int_distribution<int>(0, 9)(rng));
        QStringList base;
        for (int n : all) base << QString::number(n).rightJustified(3, QLatin1Char('0'));
        get<MultiLineBox>("T_jichu_dadi")->setText(base.join(QLatin1Char(' ')));

        get<QPushButton>("C_zhi_zu")->click();
        QApplication::processEvents();
        ASSERT_TRUE(view->groupForms()) << "round " << round;
        // The box lists each group form once; count them off the box.
        const std::vector<int> numbers = resultNumbers(toStd(get<MultiLineBox>("T_dadi_output")->text()), 3);
        ASSERT_EQ(view->numbers().size(), numbers.size());
        const Forms f = formsByHand(numbers, 3);
        const long long fen = view->priceFen();
        const int groupBets = f.twoSame + f.different;
        QString counts = QStringLiteral("组选 %1 注（组三 %2 注，组六 %3 注）").arg(groupBets).arg(f.twoSame).arg(f.different);
        QString cost = QStringLiteral("组选 %1 元").arg(yuan(fen * groupBets));
        if (f.same > 0) {
            counts += QStringLiteral("，豹子 %1 注按直选").arg(f.same);
            cost += QStringLiteral("　　豹子直选 %1 元　　合计 %2 元").arg(yuan(fen * f.same), yuan(fen * (groupBets + f.same)));
        }
        EXPECT_EQ(label(view, "L_jg_zhushu"), counts) << "round " << round;
        EXPECT_EQ(label(view, "L_jg_jine"), cost) << "round " << round;
        // The straight numbers the group bets cover are the survivors of the run.
        const int covered = f.same + 3 * f.twoSame + 6 * f.different;
        std::set<int> survivors;
        for (int n : all) survivors.insert(n);
        int coveredSurvivorsOrMore = 0;
        for (int n = 0; n < 1000; ++n)
            coveredSurvivorsOrMore += std::count(numbers.begin(), numbers.end(), groupKey(n, 3)) > 0;
        EXPECT_EQ(covered, coveredSurvivorsOrMore);
        EXPECT_GE(covered, int(survivors.size()));
        EXPECT_TRUE(label(view, "L_jg_xingtai")
                        .endsWith(QStringLiteral("组六 %1　　相当于直选 %2 注").arg(f.different).arg(covered)));
        // Group forms are cut into group tickets, equal digits or not.
        EXPECT_EQ(view->slipMode(), ResultsView::SlipMode::Group);

        // A straight run, or a hand edit of the box, speaks of straight bets again.
        if (round % 2 == 0) {
            get<QPushButton>("C_guolv_ks")->click();
        } else {
            auto* box = get<MultiLineBox>("T_dadi_output");
            box->setText(box->text() + QStringLiteral(" "));
        }
        QApplication::processEvents();
        expectStraightWords(view);
    }
    // A straight run that happens to write the very text the conversion wrote.
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("123 321"));
    get<QPushButton>("C_zhi_zu")->click();
    QApplication::processEvents();
    ASSERT_TRUE(view->groupForms());
    const QString converted = get<MultiLineBox>("T_dadi_output")->text();
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("123"));
    get<QPushButton>("C_guolv_ks")->click();
    QApplication::processEvents();
    ASSERT_EQ(get<MultiLineBox>("T_dadi_output")->text(), converted);
    expectStraightWords(view);
    EXPECT_EQ(label(view, "L_jg_zhushu"), QStringLiteral("直选 1 注　　组选 1 注"));
}

TEST_F(WindowFitTest, TheTwoStarResultsViewSpeaksOfGroupsAfterItsConversion) {
    TwoStarWindow* two = w.openTwoStar();
    two->findChild<QPushButton*>("C_2d_ks[1]")->click();
    two->findChild<QPushButton*>("C_2d_chakan")->click();
    ResultsView* view = two->findChild<ResultsView*>();
    ASSERT_TRUE(view);
    QApplication::processEvents();
    ASSERT_TRUE(view->groupForms());
    const long long fen = view->priceFen();
    EXPECT_EQ(label(view, "L_jg_zhushu"), QStringLiteral("组选 55 注（对子 10 注，非对子 45 注）"));
    EXPECT_EQ(label(view, "L_jg_xingtai"), QStringLiteral("对子 10　　非对子 45　　相当于直选 100 注"));
    EXPECT_EQ(label(view, "L_jg_jine"), QStringLiteral("组选 %1 元").arg(yuan(fen * 55)));
    two->findChild<QPushButton*>("C_2d_ks[0]")->click();
    QApplication::processEvents();
    expectStraightWords(view);
    EXPECT_EQ(view->summary().direct, 100);
}

// Not a check: with TARNEL_SCREENSHOTS set to a folder, the main window as
// it opens on this screen, the history window and the results view after
// 转为组选 are saved there, named by the screen's size.
TEST_F(WindowFitTest, Screenshots) {
    const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_SCREENSHOTS not set";
    // Which platform drew them (scripts/windows.sh wants Windows' own).
    RecordProperty("platform", QGuiApplication::platformName().toStdString());
    const QSize screen = w.screen()->size();
    const QString suffix = sizeText(screen) + QStringLiteral(".png");
    w.resize(w.sizeHint());
    fitToScreen(&w);
    w.show();
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("013 024 035 046 112 123 134 145 156 167 178 189 "
                                                              "224 235 246 257 268 279 333 345 356 367 378 389"));
    get<QPushButton>("C_guolv_ks")->click();
    QTest::qWait(300);
    w.grab().save(QDir(folder).filePath(QStringLiteral("main-window-") + suffix));
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2024001 123\n2024002 456\n2024003 789\n2024004 012\n2024005 345\n"
                                     "2024006 678\n2024007 901\n2024008 234\n2024009 567\n2024010 890\n"));
    h->rereadNow();
    h->findChild<QTabWidget*>()->setCurrentIndex(1);
    QTest::qWait(500);
    h->grab().save(QDir(folder).filePath(QStringLiteral("history-window-") + suffix));
    h->close();
    get<QPushButton>("C_zhi_zu")->click();
    ResultsView* view = w.openResults();
    QTest::qWait(300);
    view->grab().save(QDir(folder).filePath(QStringLiteral("results-group-") + suffix));
    // The guide's pictures of this release: the slips, the rules page, the
    // two-star backtest and a combination of schemes.
    view->findChild<QTabWidget*>(QStringLiteral("Tab_jg"))->setCurrentIndex(1);
    QTest::qWait(300);
    view->grab().save(QDir(folder).filePath(QStringLiteral("slips-") + suffix));
    view->close();
    MainConditions rules = w.conditions();
    testing::StateMaker make(3);
    for (int r = 0; r < 3; ++r) rules.rules.push_back(testing::randomRule(make, 20));
    w.applyConditions(rules);
    get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), 9))->click();
    QTest::qWait(300);
    w.grab().save(QDir(folder).filePath(QStringLiteral("rules-") + suffix));
    w.openTwoStar();
    h = w.openHistory();
    h->findChild<QTabWidget*>()->setCurrentIndex(2);
    h->refreshBacktests();
    QTest::qWait(500);
    h->grab().save(QDir(folder).filePath(QStringLiteral("two-star-backtest-") + suffix));
    h->close();
    CombineWindow* combine = w.openCombine();
    combine->addCurrentConditions();
    const QString scheme = store.filePath(QStringLiteral("和尾.tarnel"));
    MainConditions other;
    other.sources.baseList = "013 024 035 046 112 123 134 145 156 167 178 189 224 235 246 257";
    w.applyConditions(other);
    w.saveSchemeFile(scheme);
    combine->addSchemeFiles({scheme});
    QTest::qWait(500);
    combine->grab().save(QDir(folder).filePath(QStringLiteral("combine-") + suffix));
}

}  // namespace
}  // namespace tarnel
