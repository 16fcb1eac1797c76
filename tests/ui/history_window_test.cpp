// The window of past draws as the player uses it: pasting and opening
// draws, the remembered history, the backtest tabs against the engine's own
// backtests, and the trend table ticking kill boxes on the main window.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTabWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ui/widgets/controls.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "ui/windows/history_window.h"
#include "support/random_state.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// Lines as players paste them: issue and digits in several layouts, dates, junk and blank lines.
QString randomHistory(StateMaker& make, int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const std::string number = numberText(make.below(1000), 3);
        switch (make.below(5)) {
            case 0: text += std::to_string(2026000 + i) + " 2026-03-" + std::to_string(1 + i % 28) + " " + number; break;
            case 1: text += std::to_string(2026000 + i) + "\t" + number.substr(0, 1) + "," + number.substr(1, 1) + "," + number.substr(2, 1); break;
            case 2: text += number; break;
            case 3: text += "第" + std::to_string(i) + "期 未开奖"; break;
            default: text += make.chance(0.5) ? "" : "  "; break;
        }
        text += "\n";
    }
    return QString::fromStdString(text);
}

History coreRead(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

// Declared before the main window, so the folder outlives it.
struct HistoryStore {
    QTemporaryDir store;
};

class HistoryWindowTest : public HistoryStore, public MainWindowFixture {
protected:
    // Each test remembers its history in its own folder: ctest runs tests side by side.
    HistoryWindowTest() { HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt"))); }

    HistoryWindow* open() { return w.openHistory(); }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // The backtest a view shows, row by row, equals the engine's.
    static void expectShows(const BacktestView& view, const Backtest& want, bool twoStar) {
        const BacktestModel& m = view.model();
        ASSERT_EQ(m.rowCount(), int(want.draws.size()));
        for (int r = 0; r < m.rowCount(); ++r) {
            const DrawCheck& d = want.draws[std::size_t(r)];
            auto cell = [&](int c) { return m.data(m.index(r, c), Qt::DisplayRole).toString(); };
            EXPECT_EQ(cell(BacktestModel::Line), QString::number(d.draw.line));
            EXPECT_EQ(cell(BacktestModel::Issue), fromStd(d.draw.issue));
            EXPECT_TRUE(cell(BacktestModel::Number).endsWith(fromStd(d.number)));
            EXPECT_EQ(cell(BacktestModel::Result), d.survives ? QStringLiteral("保留") : QStringLiteral("排除"));
            QStringList names;
            if (twoStar) {
                if (!d.killedBy.empty()) names << QStringLiteral("二星缩水条件");
            } else {
                for (int row : d.killedBy) names << fromStd(rowName(row));
            }
            EXPECT_EQ(cell(BacktestModel::KilledBy), names.join(QStringLiteral("、"))) << "row " << r;
        }
        const QString summary = view.summaryText();
        const int total = int(want.draws.size());
        EXPECT_TRUE(summary.contains(QStringLiteral("共 %1 期，保留 %2 期").arg(total).arg(want.kept))) << summary.toStdString();
        EXPECT_TRUE(summary.contains(QStringLiteral("排除 %1 期").arg(total - want.kept))) << summary.toStdString();
        EXPECT_TRUE(summary.contains(QStringLiteral("最长连续排除 %1 期").arg(want.longestMissRun))) << summary.toStdString();
        if (want.lastMiss >= 0)
            EXPECT_TRUE(summary.contains(QStringLiteral("最近一次排除：第 %1 行").arg(want.draws[std::size_t(want.lastMiss)].draw.line)));
        else
            EXPECT_TRUE(summary.contains(QStringLiteral("没有排除过")));
    }

    QTemporaryDir dir;
};

TEST_F(HistoryWindowTest, OpensFromTheMenuAndTheButtonAsOneWindow) {
    QPushButton* button = get<QPushButton>(QStringLiteral("C_lishi"));
    ASSERT_TRUE(button);
    button->click();
    HistoryWindow* h = w.findChild<HistoryWindow*>(QStringLiteral("F_lishi"));
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(h->isWindow());
    EXPECT_EQ(h->windowTitle(), QStringLiteral("开奖历史"));
    h->close();
    QMenu* menu = get<QMenu>(QStringLiteral("Menu_lishi"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), QStringLiteral("历史(&H)"));
    ASSERT_FALSE(menu->actions().isEmpty());
    menu->actions().first()->trigger();
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(w.findChildren<HistoryWindow*>().size(), 1);
    // It fits a 1366 x 768 screen.
    EXPECT_LE(h->minimumSizeHint().width(), 1366);
    EXPECT_LE(h->minimumSizeHint().height(), 700);
}

TEST_F(HistoryWindowTest, ShowsTheDrawCountAndSkippedLinesOfPastedTextWithoutChangingIt) {
    HistoryWindow* h = open();
    StateMaker make(7);
    for (int round = 0; round < 12; ++round) {
        const QString text = randomHistory(make, make.below(80));
        h->setHistoryText(text);
        h->rereadNow();
        const History want = coreRead(text);
        EXPECT_EQ(h->historyText(), text);
        ASSERT_EQ(h->history().draws.size(), want.draws.size());
        EXPECT_EQ(h->history().skipped, want.skipped);
        const QString status = h->statusText();
        EXPECT_TRUE(status.startsWith(QStringLiteral("已读取 %1 期开奖号码").arg(want.draws.size()))) << status.toStdString();
        if (want.skipped.empty()) {
            EXPECT_FALSE(status.contains(QStringLiteral("跳过")));
        } else {
            EXPECT_TRUE(status.contains(QStringLiteral("跳过 %1 行").arg(want.skipped.size())));
            EXPECT_TRUE(status.contains(QStringLiteral("第 %1").arg(want.skipped.front())));
        }
    }
}

TEST_F(HistoryWindowTest, TypingIsReadAfterAPause) {
    HistoryWindow* h = open();
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n"));
    EXPECT_TRUE(h->history().draws.empty()) << "read at once while typing";
    EXPECT_TRUE(QTest::qWaitFor([&] { return h->history().draws.size() == 2; }, 3000));
}

// A long history is read away from the window: the box takes typing while
// a reading is under way, the newest text wins, and nothing typed is lost
// when the program ends mid-reading.
TEST_F(HistoryWindowTest, LongHistoriesAreReadInTheBackgroundAndTheNewestTextWins) {
    StateMaker make(29);
    HistoryWindow* h = open();
    QString text = randomHistory(make, 30000);
    for (int round = 0; round < 4; ++round) {
        h->setHistoryText(text);
        // Wait for the pause to end and a reading to begin, then type on.
        ASSERT_TRUE(QTest::qWaitFor([&] { return h->isReading(); }, 3000) ||
                    h->history().draws.size() == coreRead(text).draws.size());
        text += QStringLiteral("%1 %2\n").arg(2027000 + round).arg(make.below(1000), 3, 10, QLatin1Char('0'));
        h->setHistoryText(text);
    }
    const History want = coreRead(text);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h->isReading() && h->history().draws.size() == want.draws.size(); },
                                20000));
    EXPECT_EQ(h->history().draws.back().number, want.draws.back().number);
    EXPECT_EQ(h->history().skipped, want.skipped);
    QFile saved(HistoryWindow::storagePath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), text);
    saved.close();

    // The program ends while a reading is under way, with more typed after it.
    h->setHistoryText(text + QStringLiteral("2028001 777\n"));
    (void)QTest::qWaitFor([&] { return h->isReading(); }, 3000);  // it may be done already
    h->setHistoryText(text + QStringLiteral("2028001 777\n2028002 778\n"));
    w.close();
    delete h;
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), text + QStringLiteral("2028001 777\n2028002 778\n"));
}

TEST_F(HistoryWindowTest, BadFilesGiveOneMessageAndKeepTheText) {
    HistoryWindow* h = open();
    const QString mine = QStringLiteral("2026001 2026-01-01 1 2 3\n我的笔记\n");
    h->setHistoryText(mine);
    h->rereadNow();
    services.takeMessages();

    const QString junk = writeFile(QStringLiteral("junk.txt"), QByteArray("只有说明\nno draws here 12\n\n"));
    const QString binary = writeFile(QStringLiteral("binary.bin"), QByteArray("123\0\x01\x02 456\n", 12));
    const QString missing = dir.filePath(QStringLiteral("gone.txt"));
    // One byte over the limit every history has (a sparse file: refused by its size, unread).
    const QString big = writeFile(QStringLiteral("big.txt"), QByteArray("2026001 2026-01-01 1 2 3\n"));
    ASSERT_TRUE(QFile::resize(big, qint64(kHistoryMaxBytes) + 1));
    for (const QString& path : {junk, binary, missing, dir.path(), big}) {
        EXPECT_FALSE(h->openHistoryFile(path)) << path.toStdString();
        const auto messages = services.takeMessages();
        ASSERT_EQ(messages.size(), 1) << path.toStdString();
        EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
        EXPECT_EQ(h->historyText(), mine);
        EXPECT_EQ(h->history().draws.size(), 1u);
    }

    // A good file replaces the text once the player agrees; refusing keeps it.
    const QString good = writeFile(QStringLiteral("good.txt"), QByteArray("2026001 111\r\n2026002 2 2 2\r\nxx\r\n"));
    services.setYesNoAnswer(false);
    EXPECT_FALSE(h->openHistoryFile(good));
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_EQ(h->historyText(), mine);
    services.setYesNoAnswer(true);
    EXPECT_TRUE(h->openHistoryFile(good));
    EXPECT_EQ(h->history().draws.size(), 2u);
    EXPECT_EQ(h->history().skipped, std::vector<int>{3});
    services.setNextPath(good);
    get<QPushButton>(QStringLiteral("C_ls_dakai"))->click();
    EXPECT_EQ(h->history().draws.size(), 2u);
}

TEST_F(HistoryWindowTest, TheHistoryIsRememberedBetweenStartsAndClearingAsksFirst) {
    StateMaker make(11);
    const QString text = randomHistory(make, 50);
    {
        HistoryWindow* h = open();
        EXPECT_TRUE(h->historyText().isEmpty());
        h->setHistoryText(text);  // still waiting for the pause when the program ends
    }
    w.close();
    {
        RecordingUiServices s2;
        MainWindow next(s2);
        HistoryWindow* h = next.openHistory();
        EXPECT_EQ(h->historyText(), text);
        EXPECT_EQ(h->history().draws.size(), coreRead(text).draws.size());

        s2.setYesNoAnswer(false);
        h->findChild<QPushButton*>(QStringLiteral("C_ls_qingkong"))->click();
        EXPECT_EQ(s2.takeMessages().size(), 1) << "clearing asks first";
        EXPECT_EQ(h->historyText(), text);
        s2.setYesNoAnswer(true);
        h->clearHistory();
        EXPECT_EQ(s2.takeMessages().size(), 1);
        EXPECT_TRUE(h->historyText().isEmpty());
    }
    RecordingUiServices s3;
    MainWindow third(s3);
    EXPECT_TRUE(third.openHistory()->historyText().isEmpty());
}

TEST_F(HistoryWindowTest, BacktestTabsShowTheEngineBacktestsAfterEveryRun) {
    HistoryWindow* h = open();
    StateMaker make(29);
    QPushButton* start = get<QPushButton>(QStringLiteral("C_guolv_ks"));
    for (int round = 0; round < 15; ++round) {
        MainConditions state = make.main(0.08);
        state.tolerance = make.below(3);
        const QString text = randomHistory(make, 20 + make.below(60));
        h->setHistoryText(text);
        h->rereadNow();
        w.applyConditions(state);
        start->click();  // a run refreshes the backtest
        const History history = coreRead(text);
        const MainConditions& shown = w.conditions();
        expectShows(*h->mainBacktest(), backtestMain(shrinkInputs(shown), shown.tolerance, history), false);

        TwoStarWindow* t = w.openTwoStar();
        t->applyConditions(make.twoStar(0.08));
        h->refreshBacktests();
        expectShows(*h->twoStarBacktest(), backtestTwoStar(t->conditions(), history), true);
    }
    // Without history nothing is checked, and the views say why.
    h->setHistoryText(QString());
    h->rereadNow();
    EXPECT_EQ(h->mainBacktest()->model().rowCount(), 0);
    EXPECT_TRUE(h->mainBacktest()->summaryText().contains(QStringLiteral("还没有开奖历史")));
}

TEST_F(HistoryWindowTest, TrendTableShowsTheCountsOfTheHistory) {
    HistoryWindow* h = open();
    StateMaker make(5);
    const QString text = randomHistory(make, 150);
    h->setHistoryText(text);
    h->rereadNow();
    auto* grid = get<QTableWidget>(QStringLiteral("Grid_zoushi"));
    const History history = coreRead(text);
    for (TrendMeasure m : kTrendMeasures) {
        h->showTrend(m);
        const TrendTable want = trendTable(m, history.draws);
        ASSERT_EQ(grid->rowCount(), trendValueCount(m));
        for (int v = 0; v < grid->rowCount(); ++v) {
            EXPECT_EQ(grid->item(v, 0)->text(), fromStd(trendValueCaption(m, v)));
            EXPECT_EQ(grid->item(v, 1)->text().toInt(), want.values[std::size_t(v)].hits);
            EXPECT_EQ(grid->item(v, 3)->text().toInt(), want.values[std::size_t(v)].currentOmission);
            EXPECT_EQ(grid->item(v, 4)->text().toInt(), want.values[std::size_t(v)].longestOmission);
        }
    }
    EXPECT_TRUE(grid->toolTip().contains(QStringLiteral("最后一行是最新一期")));
}

// A double-click on a value ticks the box that kills exactly the numbers with
// that value: after it, a run keeps every number except those.
TEST_F(HistoryWindowTest, DoubleClickOnATrendValueTicksItsKillBox) {
    HistoryWindow* h = open();
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n"));
    h->rereadNow();
    h->showTrend(TrendMeasure::SumTail);
    auto* grid = get<QTableWidget>(QStringLiteral("Grid_zoushi"));
    h->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h));
    h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"))->setCurrentIndex(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->isVisible() && grid->viewport()->height() > 0; }));
    const QRect cell = grid->visualRect(grid->model()->index(3, 1));
    ASSERT_TRUE(grid->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(w.conditions().digits.sumTailKill[3]);
    EXPECT_EQ(std::count(w.conditions().digits.sumTailKill.begin(), w.conditions().digits.sumTailKill.end(), true), 1);

    for (TrendMeasure m : kTrendMeasures) {
        h->showTrend(m);
        for (int v = 0; v < trendValueCount(m); ++v) {
            w.applyConditions(MainConditions{});
            h->pickTrendValue(v);
            NumberPool pool;
            runMain(pool, w.conditions());
            for (int n = 0; n < 1000; ++n) {
                const bool killed = m != TrendMeasure::Sum && trendValueOf(m, n) == v;
                ASSERT_EQ(pool.alive(n), !killed) << trendMeasureName(m) << " value " << v << " number " << n;
            }
        }
    }
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// A paste holding a line of a megabyte (a digit run) among draws is kept
// exactly, saved exactly, and read as the core reads it.
TEST_F(HistoryWindowTest, AMegabyteLineAmongDrawsIsKeptAndReadAsTheCoreReadsIt) {
    StateMaker make(41);
    HistoryWindow* h = open();
    QString run;
    for (int i = 0; i < 1'000'000; ++i) run += QChar(u'0' + make.below(10));
    const QString text = randomHistory(make, 40) + run + QStringLiteral("\n") + randomHistory(make, 40);
    auto* box = h->findChild<MultiLineBox*>(QStringLiteral("T_ls_haoma"));
    ASSERT_TRUE(box);
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    box->paste();
    EXPECT_TRUE(h->historyText() == text);
    const History want = coreRead(text);
    ASSERT_TRUE(QTest::qWaitFor([&] { return h->history().draws.size() == want.draws.size(); }, 20000));
    EXPECT_EQ(h->history().skipped, want.skipped);
    h->close();
    QFile saved(store.filePath(QStringLiteral("data/history.txt")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(saved.readAll()) == text);
}

}  // namespace
}  // namespace tarnel
