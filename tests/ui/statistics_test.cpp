// The 工具 menu's statistics window and number diagnosis, and the result
// box's context menu, checked against the engine's own answers for random
// condition states.

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>

#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/statistics_window.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/chart_axes.h"
#include <cmath>
#include "ui/widgets/results_view.h"
#include "ui/windows/two_star_window.h"
#include <QApplication>
#include <QScreen>
#include "ui/widgets/controls.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// Row → (kills of all 1000, kills in the pool or -1 for a pool source).
using RowCounts = std::map<int, std::pair<int, int>>;

RowCounts engineCounts(const ShrinkInputs& in) {
    const RowKills kills = computeRowKills(in);
    RowCounts counts;
    for (int r = kFirstSourceRow; r <= kLastConditionRow; ++r)
        if (rowIsSet(r, in))
            counts[r] = {int(kills.row(r).count()),
                         r < kFirstConditionRow ? -1 : int((kills.row(r) & ~kills.sourceKills()).count())};
    return counts;
}

class ToolsTest : public MainWindowFixture {
protected:
    QAction* toolsAction(const QString& text) {
        for (QAction* menu : w.menuBar()->actions())
            if (menu->menu() && menu->text() == QStringLiteral("工具(&T)"))
                for (QAction* a : menu->menu()->actions())
                    if (a->text() == text) return a;
        ADD_FAILURE() << "no 工具 action " << text.toStdString();
        return nullptr;
    }
    void run(const MainConditions& state) {
        w.applyConditions(state);
        get<QPushButton>("C_guolv_ks")->click();
    }
    QTableWidget* statsTable() { return get<QTableWidget>("Grid_tongji"); }

    // The table as the player reads it; names must be the rows' names.
    RowCounts shownCounts() {
        QTableWidget* t = statsTable();
        RowCounts shown;
        for (int line = 0; line < t->rowCount(); ++line) {
            const int row = t->item(line, 0)->text().toInt();
            EXPECT_EQ(t->item(line, 1)->text(), fromStd(rowName(row)));
            const QString pool = t->item(line, 3)->text();
            shown[row] = {t->item(line, 2)->text().toInt(), pool == QStringLiteral("—") ? -1 : pool.toInt()};
        }
        return shown;
    }

    // The chart's bars are the chosen column of the table's rows, its first
    // row on top; a pool source has no bar of pool kills.
    void expectChartFollowsTable() {
        QTableWidget* t = statsTable();
        const int column = get<QComboBox>("Combo_tongji_tubiao")->currentText() == QStringLiteral("单独排除") ? 2 : 3;
        QStringList names;
        QList<double> values;
        for (int line = 0; line < t->rowCount(); ++line)
            if (t->item(line, column)->text() != QStringLiteral("—")) {
                names << t->item(line, 1)->text();
                values << t->item(line, column)->text().toInt();
            }
        BarChart* chart = get<BarChart>("Chart_tongji");
        if (names.isEmpty()) {
            EXPECT_TRUE(chart->groups().isEmpty());
            EXPECT_EQ(chart->plottableCount(), 0);
            return;
        }
        ASSERT_EQ(chart->groups().size(), 1);
        EXPECT_EQ(chart->plottableCount(), 1);
        EXPECT_EQ(chart->direction(), BarChart::Direction::Across);
        EXPECT_EQ(chart->categories(), names);
        EXPECT_EQ(chart->groups().front().values, values);
        // Every name whole on the axis: its lines put together give it back.
        const QStringList shown = chart->shownCaptions();
        ASSERT_EQ(shown.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QString joined = shown[i];
            joined.remove(QLatin1Char('\n'));
            QString name = names[i];
            name.remove(QLatin1Char(' '));
            joined.remove(QLatin1Char(' '));
            EXPECT_EQ(joined, name);
        }
    }
};

TEST_F(ToolsTest, StatisticsFollowEachRunAsTheEngineCountsItInThePlayersOrder) {
    StateMaker make(41);
    toolsAction(QStringLiteral("条件统计"))->trigger();
    auto* window = w.findChild<StatisticsWindow*>(QStringLiteral("F_tongji"));
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("条件统计"));
    QTableWidget* table = statsTable();
    auto* summary = get<QLabel>("L_tongji_zongji");
    int sortColumn = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    for (int round = 0; round < 24; ++round) {
        MainConditions state = make.main(0.08);
        if (make.chance(0.4)) state.tolerance = make.below(4);
        run(state);
        const ShrinkInputs in = shrinkInputs(w.conditions());
        const RowKills kills = computeRowKills(in);
        EXPECT_EQ(shownCounts(), engineCounts(in)) << "round " << round;
        // The summary's kept count is the run's own count.
        EXPECT_TRUE(summary->text().contains(
            QStringLiteral("大底内 %1 注，当前条件保留 %2 注（容错 %3）")
                .arg(int((~kills.sourceKills()).count()))
                .arg(get<LineBox>("T_dadi_zhushu")->text())
                .arg(w.conditions().tolerance)))
            << summary->text().toStdString();
        // The player's sort holds over runs, numerically.
        for (int line = 1; line < table->rowCount(); ++line) {
            const QVariant a = table->item(line - 1, sortColumn)->data(Qt::UserRole);
            const QVariant b = table->item(line, sortColumn)->data(Qt::UserRole);
            EXPECT_LE(order == Qt::AscendingOrder ? a.toInt() : b.toInt(),
                      order == Qt::AscendingOrder ? b.toInt() : a.toInt())
                << "round " << round << " column " << sortColumn << " line " << line;
        }
        expectChartFollowsTable();
        if (round % 3 == 2) {
            static const int numericColumns[] = {0, 2, 3};
            sortColumn = numericColumns[make.below(3)];
            order = make.chance(0.5) ? Qt::AscendingOrder : Qt::DescendingOrder;
            table->horizontalHeader()->setSortIndicator(sortColumn, order);
            expectChartFollowsTable();
            auto* chartColumn = get<QComboBox>("Combo_tongji_tubiao");
            chartColumn->setCurrentIndex(1 - chartColumn->currentIndex());
            expectChartFollowsTable();
        }
    }
}

TEST_F(ToolsTest, StatisticsFollowTheConditionsUntilTheFirstRunAndThenEachRun) {
    StateMaker make(5);
    // Three states the table tells apart.
    std::vector<MainConditions> states;
    std::vector<RowCounts> counts;
    while (states.size() < 3) {
        MainConditions s = make.main(0.1);
        const RowCounts c = engineCounts(shrinkInputs(s));
        if (c.empty() || std::find(counts.begin(), counts.end(), c) != counts.end()) continue;
        states.push_back(s);
        counts.push_back(c);
    }
    w.applyConditions(states[0]);
    w.openStatistics();
    EXPECT_EQ(shownCounts(), counts[0]);
    w.applyConditions(states[1]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownCounts() == counts[1]; }, 2000));
    get<QPushButton>("C_guolv_ks")->click();
    EXPECT_EQ(shownCounts(), counts[1]);
    // After a run the window shows that run until the next one.
    w.applyConditions(states[2]);
    QTest::qWait(250);
    EXPECT_EQ(shownCounts(), counts[1]);
    get<QPushButton>("C_guolv_ks")->click();
    EXPECT_EQ(shownCounts(), counts[2]);
}

// The names of a 排除它的条件 cell, in order.
QStringList cellNames(QString cell) {
    if (cell == QStringLiteral("—")) return {};
    cell.remove(QStringLiteral("不在大底内（")).replace(QStringLiteral("）"), QString());
    return cell.replace(QStringLiteral("；"), QStringLiteral("、")).split(QStringLiteral("、"));
}

TEST_F(ToolsTest, DiagnosisAnswersAsTheEngineWhenAskedAndAfterEachRun) {
    StateMaker make(77);
    toolsAction(QStringLiteral("号码诊断…"))->trigger();
    auto* dialog = w.findChild<DiagnosisDialog*>(QStringLiteral("F_zhenduan"));
    ASSERT_TRUE(dialog && dialog->isVisible());
    auto* table = get<QTableWidget>("Grid_zhenduan");
    for (int round = 0; round < 20; ++round) {
        MainConditions state = make.main(0.08);
        if (make.chance(0.5)) state.tolerance = make.below(4);
        std::vector<std::string> expected;  // distinct, in typed order
        int found = 0, ignored = 0;
        if (round % 2 == 0) {
            // Typed numbers among repeats, other digit runs and any separators.
            static const char* const separators[] = {" ", ",", "，", "\t", "号", "; ", "a"};
            std::string text;
            for (int i = 1 + make.below(12); i > 0; --i) {
                text += separators[make.below(7)];
                if (make.chance(0.2)) {
                    text += make.chance(0.5) ? "12" : "1234";
                    ++ignored;
                    continue;
                }
                const std::string n = make.chance(0.15) && !expected.empty() ? expected.front()
                                                                              : numberText(make.below(1000), 3);
                text += n;
                ++found;
                if (std::find(expected.begin(), expected.end(), n) == expected.end()) expected.push_back(n);
            }
            w.applyConditions(state);
            get<LineBox>("T_zhenduan_haoma")->setText(fromStd(text));
            get<QPushButton>("C_zhenduan")->click();
            const QString reading = get<QLabel>("L_zhenduan_duqu")->text();
            EXPECT_TRUE(reading.contains(QStringLiteral("读到 %1 个号码").arg(found)) || found == 0)
                << reading.toStdString();
            EXPECT_EQ(reading.contains(QStringLiteral("%1 段不是三位的数字").arg(ignored)), ignored > 0)
                << reading.toStdString();
        } else {
            // The same numbers, the conditions of a new run.
            for (int line = 0; line < table->rowCount(); ++line) expected.push_back(toStd(table->item(line, 0)->text()));
            run(state);
        }
        const RowKills kills = computeRowKills(shrinkInputs(w.conditions()));
        const int tolerance = w.conditions().tolerance;
        ASSERT_EQ(table->rowCount(), int(expected.size())) << "round " << round;
        for (int line = 0; line < table->rowCount(); ++line) {
            const int n = std::stoi(expected[std::size_t(line)]);
            EXPECT_EQ(toStd(table->item(line, 0)->text()), expected[std::size_t(line)]);
            EXPECT_EQ(table->item(line, 1)->text(),
                      survivesWithTolerance(kills, n, tolerance) ? QStringLiteral("保留") : QStringLiteral("排除"))
                << "round " << round << " number " << n;
            QStringList names;
            int conditions = 0;
            for (int r : kills.killedBy(n)) {
                names << fromStd(rowName(r));
                conditions += r >= kFirstConditionRow;
            }
            EXPECT_EQ(cellNames(table->item(line, 3)->text()), names) << "round " << round << " number " << n;
            EXPECT_EQ(table->item(line, 2)->text(), QStringLiteral("%1 / %2").arg(conditions).arg(tolerance));
        }
    }
}

TEST_F(ToolsTest, DiagnosisSaysWhenTheResultBoxHoldsAnEarlierRunAndGivesItsAnswerToo) {
    StateMaker make(90);
    toolsAction(QStringLiteral("号码诊断…"))->trigger();
    auto* dialog = w.findChild<DiagnosisDialog*>(QStringLiteral("F_zhenduan"));
    ASSERT_TRUE(dialog);
    auto* table = get<QTableWidget>("Grid_zhenduan");
    auto* basis = get<QLabel>("L_zhenduan_yiju");
    std::string numbers;
    for (int i = 0; i < 30; ++i) numbers += numberText(make.below(1000), 3) + " ";
    get<LineBox>("T_zhenduan_haoma")->setText(fromStd(numbers));
    get<QPushButton>("C_zhenduan")->click();
    EXPECT_TRUE(basis->text().contains(QStringLiteral("还没有缩水过")));
    for (int round = 0; round < 12; ++round) {
        const MainConditions ran = make.main(0.08);
        run(ran);
        EXPECT_TRUE(basis->text().contains(QStringLiteral("相同"))) << basis->text().toStdString();
        EXPECT_TRUE(table->isColumnHidden(4));
        MainConditions now = ran;
        now.digits.sumTailKill[std::size_t(make.below(10))] ^= true;
        w.applyConditions(now);
        get<QPushButton>("C_zhenduan")->click();
        const RowKills then = computeRowKills(shrinkInputs(ran));
        const bool differs = then.byRow != computeRowKills(shrinkInputs(now)).byRow;
        EXPECT_EQ(table->isColumnHidden(4), !differs);
        EXPECT_EQ(basis->text().contains(QStringLiteral("上次缩水后已改动")), differs);
        if (!differs) continue;
        // Not a check: with TARNEL_SCREENSHOTS set to a folder, the dialog as a player sees it.
        if (const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS"); !folder.isEmpty()) {
            dialog->resize(760, 480);
            QApplication::processEvents();
            dialog->grab().save(folder + QStringLiteral("/diagnosis-last-run.png"));
        }
        for (int line = 0; line < table->rowCount(); ++line) {
            const int n = table->item(line, 0)->text().toInt();
            // The earlier run's answer is the one the result box shows.
            EXPECT_EQ(table->item(line, 4)->text(), survivesWithTolerance(then, n, ran.tolerance)
                                                        ? QStringLiteral("保留")
                                                        : QStringLiteral("排除"));
        }
    }
}

TEST_F(ToolsTest, ResultContextMenuDiagnosesTheNumberUnderThePointerOrTheSelectedOnes) {
    w.show();
    auto* box = get<MultiLineBox>("T_dadi_output");
    {
        std::unique_ptr<QMenu> menu(w.resultContextMenu(box->viewport()->rect().center()));
        EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("diagnose-number")));  // no number in the opening text
    }
    StateMaker make(12);
    MainConditions state;
    state.digits.sumTailKill[std::size_t(make.below(10))] = true;
    state.digits.spanKill[std::size_t(make.below(10))] = true;
    run(state);
    const QStringList numbers = box->toPlainText().split(QLatin1Char(' '));
    ASSERT_GT(numbers.size(), 100);
    auto menuAt = [&](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(w.resultContextMenu(pos));
        EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("edit-copy")));
        EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("select-all")));
        return menu;
    };
    auto pointAt = [&](int offset) {
        QTextCursor c = box->textCursor();
        c.setPosition(offset);
        box->setTextCursor(c);  // scrolls it into view
        return box->cursorRect(c).center() + QPoint(2, 0);
    };
    for (int k = 0; k < 8; ++k) {
        const int i = make.below(int(numbers.size()));
        const QPoint pos = pointAt(4 * i + make.below(3));
        auto menu = menuAt(pos);
        QAction* diagnose = menu->findChild<QAction*>(QStringLiteral("diagnose-number"));
        ASSERT_TRUE(diagnose) << "number " << i;
        EXPECT_EQ(diagnose->text(), QStringLiteral("诊断号码 ") + numbers[i]);
        diagnose->trigger();
        auto* dialog = w.findChild<DiagnosisDialog*>(QStringLiteral("F_zhenduan"));
        ASSERT_TRUE(dialog && dialog->isVisible());
        ASSERT_EQ(dialog->results().size(), 1u);
        EXPECT_EQ(dialog->results().front().number, numbers[i].toInt());
        EXPECT_TRUE(dialog->results().front().survives);  // it is in the result
    }
    for (int k = 0; k < 6; ++k) {
        // From inside number a to inside number b: the whole numbers between.
        const int a = make.below(int(numbers.size()) - 3), b = a + 1 + make.below(5);
        if (b >= numbers.size()) continue;
        QTextCursor c = box->textCursor();
        c.setPosition(4 * a + 1);
        c.setPosition(4 * b + 2, QTextCursor::KeepAnchor);
        box->setTextCursor(c);
        auto menu = menuAt(box->cursorRect().center());
        QAction* diagnose = menu->findChild<QAction*>(QStringLiteral("diagnose-number"));
        const QStringList whole = numbers.mid(a + 1, b - a - 1);
        if (whole.isEmpty()) {
            // Nothing whole selected: the number under the pointer (the selection's end, inside b).
            ASSERT_TRUE(diagnose);
            EXPECT_EQ(diagnose->text(), QStringLiteral("诊断号码 ") + numbers[b]);
            continue;
        }
        ASSERT_TRUE(diagnose);
        EXPECT_EQ(diagnose->text(), whole.size() == 1 ? QStringLiteral("诊断号码 ") + whole.front()
                                                      : QStringLiteral("诊断选中的 %1 个号码").arg(whole.size()));
        diagnose->trigger();
        auto* dialog = w.findChild<DiagnosisDialog*>(QStringLiteral("F_zhenduan"));
        QStringList diagnosed;
        for (const NumberDiagnosis& d : dialog->results()) diagnosed << fromStd(numberText(d.number, 3));
        EXPECT_EQ(diagnosed, whole);
    }
}

// Rows are measured once the table is filled: every row still fits its
// wrapped list of conditions, after a narrow and a wide diagnosis alike.
TEST_F(ToolsTest, DiagnosisRowsFitTheirWrappedConditions) {
    StateMaker make(91);
    toolsAction(QStringLiteral("号码诊断…"))->trigger();
    auto* dialog = w.findChild<DiagnosisDialog*>(QStringLiteral("F_zhenduan"));
    ASSERT_TRUE(dialog);
    auto* table = get<QTableWidget>("Grid_zhenduan");
    for (int width : {420, 900}) {
        dialog->resize(width, 500);
        w.applyConditions(make.main(0.5));
        QString text;
        for (int n = 0; n < 300; ++n) text += fromStd(numberText(make.below(1000), 3)) + u' ';
        dialog->diagnoseText(text);
        QCoreApplication::processEvents();
        ASSERT_GT(table->rowCount(), 100);
        int taller = 0;
        for (int line = 0; line < table->rowCount(); ++line) {
            const QRect wrapped = table->fontMetrics().boundingRect(
                QRect(0, 0, table->columnWidth(3) - 8, 10000), Qt::TextWordWrap, table->item(line, 3)->text());
            EXPECT_GE(table->rowHeight(line), wrapped.height()) << "width " << width << " line " << line;
            taller += table->rowHeight(line) > table->rowHeight(0) || table->rowHeight(line) < table->rowHeight(0);
        }
        if (width == 420) {
            EXPECT_GT(taller, 0) << "some rows wrap to more lines than others";
        }
    }
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

TEST_F(ToolsTest, SecondaryWindowsOpenInsideTheScreen) {
    w.show();
    QWidget* windows[] = {w.openStatistics(), w.openDiagnosis(), w.openResults(), w.openTwoStar()};
    for (QWidget* window : windows) {
        ASSERT_TRUE(window);
        QApplication::processEvents();
        const QRect room = window->screen()->availableGeometry();
        if (window->minimumSizeHint().width() > room.width() || window->minimumSizeHint().height() > room.height())
            continue;  // a window whose controls need more than the screen is laid out elsewhere
        EXPECT_LE(window->width(), room.width()) << window->objectName().toStdString();
        EXPECT_LE(window->height(), room.height() - kTitleBarRoom) << window->objectName().toStdString();
        EXPECT_TRUE(room.contains(window->pos())) << window->objectName().toStdString();
    }
    // A window made larger than the screen is brought back inside it.
    QWidget big;
    big.resize(5000, 4000);
    big.move(-300, 2000);
    fitToScreen(&big);
    const QRect room = big.screen()->availableGeometry();
    EXPECT_EQ(big.size(), QSize(room.width(), room.height() - kTitleBarRoom));
    EXPECT_EQ(big.pos(), QPoint(room.left(), room.top()));
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// The ticks an axis draws, with their labels.
std::pair<QVector<double>, QVector<QString>> ticksOf(QCPAxis* axis) {
    QVector<double> ticks;
    QVector<QString> labels;
    axis->ticker()->generate(axis->range(), QLocale::c(), QLatin1Char('f'), axis->numberPrecision(), ticks, nullptr,
                             &labels);
    return {ticks, labels};
}

TEST(CountAxis, TicksFallOnWholeCountsForEveryTop) {
    QCustomPlot plot;
    for (int top = 0; top <= 5000; top += top < 200 ? 1 : 37) {
        const int step = countTickStep(top);
        ASSERT_GE(step, 1);
        setCountAxis(plot.yAxis, top);
        EXPECT_FALSE(plot.yAxis->subTicks());
        // The axis ends on a whole step at or above the top, in at most eight steps.
        const double end = plot.yAxis->range().upper;
        EXPECT_EQ(plot.yAxis->range().lower, 0.0);
        EXPECT_EQ(end, double(countAxisEnd(top)));
        EXPECT_GE(end, double(std::max(top, 1)));
        EXPECT_EQ(std::fmod(end, double(step)), 0.0) << top;
        EXPECT_LE(end / step, 8.0) << top;
        EXPECT_LT(end - step, double(std::max(top, 1))) << top;  // no step wasted
        // A tick and a whole-number label at every step from 0 to the end.
        const auto [ticks, labels] = ticksOf(plot.yAxis);
        QVector<double> want;
        for (int v = 0; v <= end; v += step) want << v;
        QVector<double> inRange;
        for (double t : ticks)
            if (t >= 0 && t <= end) inRange << t;
        EXPECT_EQ(inRange, want) << top;
        for (int i = 0; i < ticks.size(); ++i) EXPECT_EQ(labels[i], QString::number(ticks[i], 'f', 0)) << top;
    }
}

TEST_F(ToolsTest, StatisticsCountsAreLabelledOnWholeNumbers) {
    StateMaker make(12);
    toolsAction(QStringLiteral("条件统计"))->trigger();
    for (int round = 0; round < 5; ++round) {
        run(make.main(0.1));
        QList<BarChart*> charts = w.findChildren<BarChart*>();
        ASSERT_FALSE(charts.empty());
        for (BarChart* chart : charts) {
            const auto [ticks, labels] = ticksOf(chart->countAxis());
            for (int i = 0; i < ticks.size(); ++i) {
                EXPECT_EQ(ticks[i], std::floor(ticks[i]));
                EXPECT_FALSE(labels[i].contains(QLatin1Char('.'))) << labels[i].toStdString();
            }
            EXPECT_EQ(chart->countTickStep(), std::floor(chart->countTickStep()));
        }
    }
}

}  // namespace
}  // namespace tarnel
