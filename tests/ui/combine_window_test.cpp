// 方案组合 as the player uses it: schemes added through the file dialog and
// by dropping, removed, the tolerance chosen, bad and missing files kept in
// their rows, the list remembered, the numbers sent to the base list, and
// the backtest of the combination against the draws of 开奖历史.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "ui/widgets/controls.h"
#include "ui/widgets/price_settings.h"
#include "ui/widgets/results_view.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "ui/windows/combine_window.h"
#include "ui/windows/history_window.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history_order.h"
#include "support/cli_run.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

struct Folder {
    QTemporaryDir dir;
};

class CombineWindowTest : public Folder, public MainWindowFixture {
protected:
    CombineWindowTest() {
        QSettings().remove(QStringLiteral("combine"));
        HistoryWindow::setStoragePath(dir.filePath(QStringLiteral("data/history.txt")));
    }

    QString writeFile(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), qsizetype(bytes.size()));
        return path;
    }

    // Loose random schemes, so that their results overlap.
    std::vector<MainConditions> writeSchemes(StateMaker& make, int n, QStringList& paths) {
        std::vector<MainConditions> states;
        for (int i = 0; i < n; ++i) {
            states.push_back(make.main(0.01));
            paths << writeFile(QStringLiteral("方案%1.tarnel").arg(i), writeScheme(states.back(), nullptr));
        }
        return states;
    }

    static void drop(QWidget* target, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

    template <class T = QWidget>
    static T* in(CombineWindow* c, const QString& name) {
        T* w = c->findChild<T*>(name);
        if (!w) ADD_FAILURE() << "no control " << name.toStdString();
        return w;
    }

    static QString cell(CombineWindow* c, int row, int column) {
        return in<QTableWidget>(c, QStringLiteral("Grid_zh_fangan"))->item(row, column)->text();
    }

};

TEST_F(CombineWindowTest, AddRemoveToleranceAndSendToBaseList) {
    StateMaker make(2601);
    QStringList paths;
    std::vector<MainConditions> states = writeSchemes(make, 4, paths);
    CombineWindow* c = openCombineWindow(w, services);
    EXPECT_EQ(c, openCombineWindow(w, services));  // one window

    // One through the file dialog, the others dropped.
    services.setNextPath(paths[0]);
    in<QPushButton>(c, QStringLiteral("C_zh_tianjia"))->click();
    ASSERT_EQ(c->entries().size(), 1u);
    EXPECT_FALSE(c->combined());
    EXPECT_FALSE(in<QPushButton>(c, QStringLiteral("C_zh_fasong"))->isEnabled());
    drop(c, paths.mid(1));
    ASSERT_EQ(c->entries().size(), 4u);
    EXPECT_TRUE(services.takeMessages().isEmpty());
    drop(c, {paths[2]});  // already listed: said, not added
    EXPECT_EQ(c->entries().size(), 4u);
    EXPECT_EQ(services.takeMessages().size(), 1);

    std::vector<NumberSet> alone;
    for (const MainConditions& s : states) alone.push_back(mainSurvivors(s));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(cell(c, row, 0), QStringLiteral("方案%1").arg(row));
        EXPECT_EQ(cell(c, row, 1), QString::number(alone[std::size_t(row)].count()));
    }

    auto* tolerance = in<QComboBox>(c, QStringLiteral("Combo_zh_rongcuo"));
    ASSERT_EQ(tolerance->count(), 4);  // 0..n − 1
    for (int k = 3; k >= 0; --k) {
        tolerance->setCurrentIndex(k);
        emit tolerance->activated(k);
        ASSERT_TRUE(c->combined());
        EXPECT_EQ(*c->combined(), combineResults(alone, k)) << "K " << k;
        EXPECT_EQ(c->tolerance(), k);
        if (c->combined()->any()) {
            EXPECT_EQ(c->resultText(), fromStd(numberSetText(*c->combined())));
        }
    }

    // Removing rows keeps K in range.
    tolerance->setCurrentIndex(3);
    emit tolerance->activated(3);
    auto* list = in<QTableWidget>(c, QStringLiteral("Grid_zh_fangan"));
    list->selectRow(1);
    in<QPushButton>(c, QStringLiteral("C_zh_yichu"))->click();
    alone.erase(alone.begin() + 1);
    ASSERT_EQ(c->entries().size(), 3u);
    EXPECT_EQ(cell(c, 1, 0), QStringLiteral("方案2"));
    EXPECT_EQ(tolerance->count(), 3);
    EXPECT_EQ(c->tolerance(), 2);
    EXPECT_EQ(tolerance->currentText(), QStringLiteral("2"));
    EXPECT_EQ(*c->combined(), combineResults(alone, 2));
    c->removeRow(0);
    c->removeRow(0);
    EXPECT_EQ(c->tolerance(), 0);
    EXPECT_FALSE(c->combined());
    EXPECT_FALSE(tolerance->isEnabled());
    drop(c, {paths[0], paths[1]});
    alone = {mainSurvivors(states[3]), mainSurvivors(states[0]), mainSurvivors(states[1])};
    c->setTolerance(1);
    ASSERT_TRUE(c->combined());
    ASSERT_TRUE(c->combined()->any());
    EXPECT_EQ(*c->combined(), combineResults(alone, 1));

    // 发送到大底 puts the numbers in the main window's base list; the run keeps them.
    in<QPushButton>(c, QStringLiteral("C_zh_fasong"))->click();
    EXPECT_EQ(w.conditions().sources.baseList, numberSetText(*c->combined()));
    EXPECT_EQ(mainSurvivors(w.conditions()), *c->combined());

    // Copy, export, and the results view reads the combination.
    in<QPushButton>(c, QStringLiteral("C_zh_fuzhi"))->click();
    EXPECT_EQ(services.takeNotices().size(), 1);
    services.setNextPath(dir.filePath(QStringLiteral("导出")));
    in<QPushButton>(c, QStringLiteral("C_zh_daochu"))->click();
    QFile exported(dir.filePath(QStringLiteral("导出.txt")));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(exported.readAll()), c->resultText());
    ResultsView* view = c->openResults();
    EXPECT_EQ(int(view->numbers().size()), int(c->combined()->count()));
}

TEST_F(CombineWindowTest, BadAndMissingFilesStayInTheirRowsAndTheListIsRemembered) {
    StateMaker make(2602);
    QStringList paths;
    const std::vector<MainConditions> states = writeSchemes(make, 2, paths);
    const QString bad = writeFile(QStringLiteral("坏.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Combo_rongcuo\":\"12\"}}");
    const QString gone = writeFile(QStringLiteral("将删除.tarnel"), writeScheme(states[0], nullptr));
    CombineWindow* c = openCombineWindow(w, services);
    c->addSchemeFiles({paths[0], bad, paths[1], gone});
    c->setTolerance(2);
    ASSERT_EQ(c->entries().size(), 4u);
    EXPECT_EQ(cell(c, 1, 1), QStringLiteral("—"));
    EXPECT_TRUE(cell(c, 1, 2).contains(QStringLiteral("Combo_rongcuo"))) << cell(c, 1, 2).toStdString();
    EXPECT_FALSE(c->combined());
    EXPECT_TRUE(c->statusText().contains(QStringLiteral("第 2 行“坏”"))) << c->statusText().toStdString();
    EXPECT_TRUE(c->resultText().isEmpty());
    EXPECT_FALSE(in<QPushButton>(c, QStringLiteral("C_zh_fasong"))->isEnabled());
    EXPECT_EQ(c->tolerance(), 2);

    // Fixed on disk and read again, it takes part.
    writeFile(QStringLiteral("坏.tarnel"), writeScheme(states[1], nullptr));
    in<QPushButton>(c, QStringLiteral("C_zh_shuaxin"))->click();
    ASSERT_TRUE(c->combined());
    const std::vector<NumberSet> four = {mainSurvivors(states[0]), mainSurvivors(states[1]), mainSurvivors(states[1]),
                                         mainSurvivors(states[0])};
    EXPECT_EQ(*c->combined(), combineResults(four, 2));

    // A start after the file has gone: the row is shown missing, not dropped.
    ASSERT_TRUE(QFile::remove(gone));
    delete c;
    c = openCombineWindow(w, services);
    ASSERT_EQ(c->entries().size(), 4u);
    EXPECT_EQ(c->tolerance(), 2);
    EXPECT_EQ(cell(c, 3, 0), QStringLiteral("将删除"));
    EXPECT_TRUE(cell(c, 3, 2).contains(QStringLiteral("找不到文件")));
    EXPECT_FALSE(c->combined());
    if (const QByteArray shots = qgetenv("TARNEL_SCREENSHOTS"); !shots.isEmpty()) {
        c->resize(900, 560);
        c->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/combine-window-missing.png"));
    }
    c->removeRow(3);
    ASSERT_TRUE(c->combined());
    EXPECT_EQ(*c->combined(), combineResults(std::vector<NumberSet>(four.begin(), four.begin() + 3), 2));
}

TEST_F(CombineWindowTest, CurrentConditionsFollowTheMainWindow) {
    StateMaker make(2603);
    QStringList paths;
    const std::vector<MainConditions> states = writeSchemes(make, 1, paths);
    CombineWindow* c = openCombineWindow(w, services);
    c->addSchemeFiles(paths);
    in<QPushButton>(c, QStringLiteral("C_zh_dangqian"))->click();
    in<QPushButton>(c, QStringLiteral("C_zh_dangqian"))->click();  // once only
    EXPECT_EQ(services.takeMessages().size(), 1);
    ASSERT_EQ(c->entries().size(), 2u);
    EXPECT_EQ(cell(c, 1, 0), QStringLiteral("当前条件"));
    EXPECT_EQ(*c->combined(), combineResults(std::vector<NumberSet>{mainSurvivors(states[0]), NumberSet().set()}, 0));

    MainConditions next = w.conditions();
    next.digits.sumTailKill[3] = true;
    w.applyConditions(next);
    const NumberSet want = mainSurvivors(states[0]) & mainSurvivors(next);
    for (int i = 0; i < 40 && !(c->combined() && *c->combined() == want); ++i) QTest::qWait(50);
    ASSERT_TRUE(c->combined());
    EXPECT_EQ(*c->combined(), want);
    EXPECT_EQ(cell(c, 1, 1), QStringLiteral("900"));
}

TEST_F(CombineWindowTest, BacktestOfTheCombinationFollowsTheHistory) {
    StateMaker make(2604);
    QStringList paths;
    const std::vector<MainConditions> states = writeSchemes(make, 3, paths);
    CombineWindow* c = openCombineWindow(w, services);
    EXPECT_TRUE(c->backtestSummary().contains(QStringLiteral("还没有开奖历史")));
    c->addSchemeFiles(paths);
    c->setTolerance(1);

    // Newest first, as results tables are: issues fall.
    std::string text;
    for (int i = 0; i < 80; ++i) text += std::to_string(2026300 - i) + " " + numberText(make.below(1000), 3) + "\n";
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(fromStd(text));
    h->rereadNow();

    std::vector<NumberSet> alone;
    for (const MainConditions& s : states) alone.push_back(mainSurvivors(s));
    const CombinationBacktest want = backtestCombination(alone, 1, readHistoryText(text));
    const CombinationBacktestModel& m = c->backtestModel();
    ASSERT_EQ(m.rowCount(), 80);
    for (int r = 0; r < 80; ++r) {
        const CombinedDraw& d = want.draws[std::size_t(r)];
        EXPECT_EQ(m.data(m.index(r, CombinationBacktestModel::Number), Qt::DisplayRole).toString(), fromStd(d.draw.number));
        EXPECT_EQ(m.data(m.index(r, CombinationBacktestModel::Result), Qt::DisplayRole).toString(),
                  d.kept ? QStringLiteral("保留") : QStringLiteral("排除"));
    }
    const QString summary = c->backtestSummary();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("共 80 期，保留 %1 期").arg(want.kept))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("随机选同样多的号码"))) << summary.toStdString();

    // A bad row: no combination, no backtest.
    c->addSchemeFiles({writeFile(QStringLiteral("坏.tarnel"), "not json")});
    EXPECT_EQ(m.rowCount(), 0);
    c->removeRow(3);
    EXPECT_EQ(m.rowCount(), 80);

    // A new history is checked again.
    h->setHistoryText(QStringLiteral("582\n"));
    h->rereadNow();
    EXPECT_EQ(m.rowCount(), 1);

    // For the documentation: three schemes of different ideas and the main window's own.
    if (const QByteArray shots = qgetenv("TARNEL_SCREENSHOTS"); !shots.isEmpty()) {
        while (!c->entries().empty()) c->removeRow(0);
        MainConditions tails, spans, pattern, current;
        tails.digits.sumTailKill[0] = tails.digits.sumTailKill[5] = true;
        spans.digits.spanKill[0] = spans.digits.spanKill[1] = spans.digits.spanKill[9] = true;
        pattern.digits.oddEven[0] = pattern.digits.oddEven[7] = true;
        current.digits.bigSmall[0] = current.digits.bigSmall[7] = true;
        c->addSchemeFiles({writeFile(QStringLiteral("和尾.tarnel"), writeScheme(tails, nullptr)),
                           writeFile(QStringLiteral("跨度.tarnel"), writeScheme(spans, nullptr)),
                           writeFile(QStringLiteral("奇偶形态.tarnel"), writeScheme(pattern, nullptr))});
        w.applyConditions(current);
        c->addCurrentConditions();
        c->setTolerance(1);
        h->setHistoryText(fromStd(text));
        h->rereadNow();
        c->resize(900, 760);
        c->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/combine-window.png"));
    }
}

// Schemes with rules (动态条件) run as the start button runs them, the rules
// looking back on the draws of 开奖历史, and the backtest walks forward: over
// random schemes and histories each count is the core's run (and
// tarnel-cli combine --history gives the same combination), and every row
// is what plain reckoning with each scheme's run for that draw gives.
TEST_F(CombineWindowTest, SchemesWithRulesLookBackAndTheBacktestWalksForward) {
    StateMaker make(3535);
    CombineWindow* c = openCombineWindow(w, services);
    HistoryWindow* h = w.openHistory();
    const MoneyPrices prices = PriceSettings::prices();
    int differ = 0, warmups = 0, scored = 0;
    for (int round = 0; round < 8; ++round) {
        while (!c->entries().empty()) c->removeRow(0);
        const int n = 2 + make.below(3);
        std::vector<MainConditions> states;
        QStringList paths;
        std::size_t lookBack = 0;
        for (int i = 0; i < n; ++i) {
            MainConditions s = make.main(0.01);
            for (int r = make.below(3) + (i == 0 ? 1 : 0); r > 0; --r) {
                s.rules.push_back(testing::randomRule(make, 12));
                lookBack = std::max(lookBack, std::size_t(s.rules.back().draws));
            }
            states.push_back(s);
            paths << writeFile(QStringLiteral("规则%1_%2.tarnel").arg(round).arg(i), writeScheme(s, nullptr));
        }
        const bool falling = make.chance(0.5);
        std::string text;
        const int draws = 5 + make.below(60);
        for (int i = 0; i < draws; ++i)
            text += std::to_string(falling ? 2026500 - i : 2026000 + i) + " " + numberText(make.below(1000), 3) + "\n";
        const QString historyPath = writeFile(QStringLiteral("历史%1.txt").arg(round), text);
        h->setHistoryText(fromStd(text));
        h->rereadNow();
        c->addSchemeFiles(paths);
        const int k = make.below(n);
        c->setTolerance(k);

        // The counts: each scheme as the start button runs it now.
        const History history = readHistoryText(text);
        const std::vector<int> past = drawsInTimeOrder(history);
        std::vector<NumberSet> now;
        for (std::size_t i = 0; i < states.size(); ++i) {
            now.push_back(mainSurvivors(states[i], past));
            ASSERT_TRUE(c->entries()[i].survivors) << toStd(c->entries()[i].problem);
            EXPECT_EQ(*c->entries()[i].survivors, now.back()) << "round " << round << " scheme " << i;
            EXPECT_EQ(cell(c, int(i), 1), QString::number(now.back().count()));
            differ += now.back() != mainSurvivors(states[i]) ? 1 : 0;
        }
        ASSERT_TRUE(c->combined());
        EXPECT_EQ(*c->combined(), combineResults(now, k));
        if (round < 3) {
            QStringList args{QStringLiteral("combine")};
            args << paths << QStringLiteral("--tolerance") << QString::number(k) << QStringLiteral("--history")
                 << historyPath;
            const testing::CliRun run = testing::cli(QStringLiteral(TARNEL_CLI), args);
            ASSERT_EQ(run.code, 0) << run.err;
            EXPECT_EQ(run.out.substr(0, run.out.find(',')),
                      "{\"count\":" + std::to_string(c->combined()->count()));
            if (c->combined()->any()) {
                EXPECT_NE(run.out.find(numberSetText(*c->combined()).substr(0, 3)), std::string::npos);
            }
        }

        // The rows, draw by draw in time order.
        const CombinationBacktestModel& m = c->backtestModel();
        ASSERT_EQ(m.rowCount(), draws);
        const std::vector<std::size_t> order = timeOrder(history);
        int hits = 0, warm = 0;
        for (std::size_t t = 0; t < order.size(); ++t) {
            const int row = int(order[t]);
            auto shown = [&](int column) { return m.data(m.index(row, column), Qt::DisplayRole).toString(); };
            if (t < lookBack) {
                EXPECT_EQ(shown(CombinationBacktestModel::Result), QStringLiteral("预热")) << "round " << round;
                ++warm;
                continue;
            }
            std::vector<NumberSet> then;
            for (const MainConditions& s : states) then.push_back(mainSurvivors(s, std::span<const int>(past).first(t)));
            const NumberSet combined = combineResults(then, k);
            const auto drawn = std::size_t(past[t]);
            int holders = 0;
            for (const NumberSet& r : then) holders += r[drawn] ? 1 : 0;
            EXPECT_EQ(shown(CombinationBacktestModel::Result),
                      combined[drawn] ? QStringLiteral("保留") : QStringLiteral("排除"))
                << "round " << round << " draw " << t;
            EXPECT_EQ(shown(CombinationBacktestModel::Holders), QStringLiteral("%1 / %2").arg(holders).arg(n));
            EXPECT_NEAR(shown(CombinationBacktestModel::Win).toDouble(), combined[drawn] ? prices.direct : 0, 0.005);
            hits += combined[drawn] ? 1 : 0;
            ++scored;
        }
        warmups += warm;
        const QString summary = c->backtestSummary();
        if (warm > 0) {
            EXPECT_TRUE(summary.startsWith(QStringLiteral("共 %1 期，其中 %2 期为预热期").arg(draws).arg(warm)))
                << summary.toStdString();
        }
        if (warm < draws) {
            EXPECT_TRUE(summary.contains(QStringLiteral("中奖 %1 期").arg(hits))) << summary.toStdString();
        }
    }
    // The random cases met rules at work, warm-up draws and scored draws.
    EXPECT_GT(differ, 0);
    EXPECT_GT(warmups, 0);
    EXPECT_GT(scored, 100);
}

TEST_F(CombineWindowTest, ToolsMenuOpensTheOneWindow) {
    QAction* open = nullptr;
    for (QAction* menu : w.menuBar()->actions())
        if (menu->menu() && menu->text().startsWith(QStringLiteral("工具")))
            for (QAction* a : menu->menu()->actions())
                if (a->text() == QStringLiteral("方案组合…")) open = a;
    ASSERT_TRUE(open);
    open->trigger();
    auto* c = w.findChild<CombineWindow*>();
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->windowTitle(), QStringLiteral("方案组合"));
    open->trigger();
    EXPECT_EQ(w.findChildren<CombineWindow*>().size(), 1);
}

}  // namespace
}  // namespace tarnel
