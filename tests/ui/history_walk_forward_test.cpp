// Backtests with rules that follow past draws in the 开奖历史 window: every
// figure of the 历史验证 tab (rows, greyed warm-up draws, summary, money,
// charts, droughts) against the core's walk-forward backtest called
// directly; the tab following the rule list; and the remembered history
// reaching the rules as the program starts, before the window is opened.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <cmath>
#include <map>

#include "core/analysis/combine.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history_order.h"
#include "core/state/past_draw_rules.h"
#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/money_chart.h"
#include "ui/widgets/price_settings.h"
#include "ui/windows/history_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// A history text with issues, oldest first or newest first, now and then
// with a line that is not a draw.
QString historyText(StateMaker& make, int draws, bool newestFirst) {
    QStringList lines;
    for (int i = 0; i < draws; ++i)
        lines << QStringLiteral("%1 2025-%2-%3 %4")
                     .arg(2025001 + i)
                     .arg(1 + i % 12)
                     .arg(1 + i % 28)
                     .arg(make.below(1000), 3, 10, QLatin1Char('0'));
    if (newestFirst) std::reverse(lines.begin(), lines.end());
    if (make.chance(0.3)) lines.insert(make.below(int(lines.size())), QStringLiteral("开奖公告"));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString rowCaption(int row, const MainConditions& state) {
    if (row >= kFirstRuleRow) return QString::fromStdString(ruleSentence(state.rules[std::size_t(row - kFirstRuleRow)]));
    return QString::fromUtf8(rowName(row).data(), qsizetype(rowName(row).size()));
}

QCPGraph* line(MoneyChart* chart, const QString& name) { return chart->line(name); }

// The last point of a line.
QCPGraphData lastPoint(QCPGraph* line) { return *(line->data()->constEnd() - 1); }

// The bars of the kills chart by caption.
std::map<QString, int> bars(BarChart* chart) {
    std::map<QString, int> out;
    if (chart->groups().isEmpty()) return out;
    const QStringList& captions = chart->categories();
    for (int i = 0; i < captions.size(); ++i) out[captions[i]] = int(chart->groups().front().values.value(i));
    return out;
}

class HistoryWalkForwardTest : public MainWindowFixture {
protected:
    HistoryWalkForwardTest() {
        HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt")));
        PriceSettings::setPrices(MoneyPrices{});
    }
    ~HistoryWalkForwardTest() override { PriceSettings::setPrices(MoneyPrices{}); }

    QTemporaryDir store;
};

// Over random histories (either order), random fixed conditions with
// tolerance, one to three random rules of both kinds, direct and group bets
// and random prices, every figure of the tab is the walk-forward backtest's.
TEST_F(HistoryWalkForwardTest, FiguresMatchTheWalkForwardBacktest) {
    HistoryWindow* h = w.openHistory();
    StateMaker make(2026);
    int warmupSeen = 0, scoredSeen = 0, ruleKillsSeen = 0, nextDiffers = 0;
    for (int round = 0; round < 24; ++round) {
        MainConditions state = make.main(0.03);
        state.tolerance = make.below(3);
        const int rules = 1 + make.below(3);
        for (int r = 0; r < rules; ++r) state.rules.push_back(testing::randomRule(make, round % 6 == 5 ? 200 : 30));
        const bool group = round % 2 == 1;
        const MoneyPrices prices{1 + make.below(4) * 0.5, 500.0 + make.below(1000), 100.0 + make.below(400),
                                 50.0 + make.below(200), 100, group};
        PriceSettings::setPrices(prices);
        h->setHistoryText(historyText(make, 20 + make.below(140), round % 3 == 0));
        h->rereadNow();
        w.applyConditions(state);
        h->refreshBacktests();

        const MainConditions& shown = w.conditions();
        ASSERT_EQ(shown.rules, state.rules);
        const History& history = h->history();
        const MoneySettings money{prices.price, prices.direct, prices.group3, prices.group6, prices.twoStar};
        const WalkForwardBacktest ref =
            backtestWalkForward(shown, history, group ? BetKind::Group : BetKind::Direct, money);
        BacktestView* view = h->mainBacktest();
        const BacktestModel& m = view->model();
        ASSERT_EQ(m.rowCount(), int(history.draws.size()));

        // Rows: warm-up draws greyed with nothing that counts; the others
        // with the result, the draw's own bets and the rows that ruled it out.
        std::map<QString, int> kills;
        double cumulative = 0;
        for (std::size_t i : timeOrder(history)) {
            const WalkForwardDraw& d = ref.draws[i];
            const int r = int(i);
            auto cell = [&](int column, int role = Qt::DisplayRole) { return m.data(m.index(r, column), role); };
            ASSERT_EQ(m.isWarmup(r), d.warmup) << "round " << round << " row " << r;
            if (d.warmup) {
                EXPECT_EQ(cell(BacktestModel::Result).toString(), BacktestModel::warmupCaption());
                for (int c = 0; c < BacktestModel::ColumnCount; ++c)
                    EXPECT_EQ(cell(c, Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray)) << c;
                for (int c : {BacktestModel::Bets, BacktestModel::Cost, BacktestModel::Win, BacktestModel::Net,
                              BacktestModel::Cumulative, BacktestModel::KilledBy})
                    EXPECT_TRUE(cell(c).toString().isEmpty()) << c;
                continue;
            }
            // With 组选 bets a row speaks of hits: a group bet may hit a draw the conditions ruled out.
            const QString result = group ? (d.money.hit ? QStringLiteral("中") : QStringLiteral("未中"))
                                         : (d.survives ? QStringLiteral("保留") : QStringLiteral("排除"));
            EXPECT_EQ(cell(BacktestModel::Result).toString(), result);
            EXPECT_EQ(cell(BacktestModel::Bets).toInt(), d.money.bets);
            EXPECT_NEAR(cell(BacktestModel::Cost).toString().toDouble(), d.money.cost, 0.006);
            EXPECT_NEAR(cell(BacktestModel::Win).toString().toDouble(), d.money.win, 0.006);
            cumulative += d.money.win - d.money.cost;
            EXPECT_NEAR(cell(BacktestModel::Cumulative).toString().toDouble(), cumulative, 0.006);
            QStringList names;
            for (int row : d.killedBy) {
                names << rowCaption(row, shown);
                ++kills[rowCaption(row, shown)];
                ruleKillsSeen += row >= kFirstRuleRow;
            }
            EXPECT_EQ(cell(BacktestModel::KilledBy).toString(), names.join(QStringLiteral("、")));
        }

        // The summary counts the scored draws and names the warm-up draws.
        const int total = ref.total;
        ASSERT_EQ(ref.warmup + ref.total, int(history.draws.size()));
        warmupSeen += ref.warmup;
        scoredSeen += ref.total;
        const QString summary = view->summaryText();
        EXPECT_TRUE(summary.startsWith(QStringLiteral("共 %1 期，其中 %2 期为预热期，不计入统计")
                                           .arg(history.draws.size())
                                           .arg(ref.warmup)))
            << summary.toStdString();
        const QString moneyText = view->moneyText();
        if (total == 0) {
            EXPECT_TRUE(summary.contains(QStringLiteral("没有可以验证的开奖号码"))) << summary.toStdString();
            EXPECT_TRUE(moneyText.contains(QStringLiteral("全部 %1 期都是预热期").arg(ref.warmup)));
            EXPECT_TRUE(line(view->moneyChart(), QStringLiteral("按条件投注")) == nullptr);
            EXPECT_EQ(view->droughtTable()->rowCount(), 0);
            continue;
        }
        int longest = 0, run = 0;
        for (std::size_t i : timeOrder(history)) {
            if (ref.draws[i].warmup) continue;
            run = ref.draws[i].survives ? 0 : run + 1;
            longest = std::max(longest, run);
        }
        if (group) {
            // One language with the money sentence: hits, and runs without one.
            EXPECT_TRUE(summary.contains(QStringLiteral("其余 %1 期，中 %2 期").arg(total).arg(ref.money.hits)))
                << summary.toStdString();
            EXPECT_TRUE(summary.contains(QStringLiteral("未中 %1 期；最长连续未中 %2 期；")
                                             .arg(total - ref.money.hits)
                                             .arg(ref.money.longestMiss)))
                << summary.toStdString();
            EXPECT_FALSE(summary.contains(QStringLiteral("保留")) || summary.contains(QStringLiteral("排除")))
                << summary.toStdString();
            EXPECT_FALSE(view->headerText().contains(QStringLiteral("保留"))) << view->headerText().toStdString();
        } else {
            EXPECT_TRUE(summary.contains(QStringLiteral("其余 %1 期，保留 %2 期").arg(total).arg(ref.kept)));
            EXPECT_TRUE(summary.contains(QStringLiteral("排除 %1 期；最长连续排除 %2 期；").arg(total - ref.kept).arg(longest)))
                << summary.toStdString();
        }

        // Money beside random bets of the same sizes, over the scored draws only.
        const MoneyTotals& t = ref.money;
        ASSERT_EQ(t.draws, total);
        if (t.bets > 0) {
            EXPECT_TRUE(moneyText.startsWith(QStringLiteral("共 %1 期（不含 %2 期预热期），中 %3 期，随机投注同样注数平均中 %4 期（±%5）")
                                                 .arg(total)
                                                 .arg(ref.warmup)
                                                 .arg(t.hits)
                                                 .arg(QString::number(t.expectedHits, 'f', 1),
                                                      QString::number(t.sdHits, 'f', 1))))
                << moneyText.toStdString();
            EXPECT_TRUE(moneyText.contains(QStringLiteral("最长连续不中 %1 期").arg(t.longestMiss)));
            // The chart's last points: the net, and random bets' mean, after the last scored draw.
            QCPGraph* actual = line(view->moneyChart(), QStringLiteral("按条件投注"));
            QCPGraph* mean = line(view->moneyChart(), QStringLiteral("随机投注平均"));
            ASSERT_TRUE(actual && mean);
            EXPECT_EQ(lastPoint(actual).key, double(total));
            EXPECT_NEAR(lastPoint(actual).value, t.net, 1e-6);
            EXPECT_NEAR(lastPoint(mean).value, t.expectedWin - t.cost, 1e-6);
            // Droughts go by the bets about to be made: the run for the draw after the newest.
            const Bets next = Bets::main(mainSurvivors(shown, drawsInTimeOrder(history)),
                                         group ? BetKind::Group : BetKind::Direct);
            QTableWidget* drought = view->droughtTable();
            ASSERT_GT(drought->rowCount(), 0);
            if (next.count() > 0) {
                EXPECT_TRUE(drought->item(0, 0)->text().startsWith(QStringLiteral("每期 %1 注").arg(next.count())))
                    << drought->item(0, 0)->text().toStdString();
                nextDiffers += next.count() != ref.draws[timeOrder(history).back()].money.bets ? 1 : 0;
            }
        }
        // The bars: how many scored draws each condition, rules included, ruled out.
        EXPECT_EQ(bars(view->chart()), kills) << "round " << round;
    }
    // The random cases met warm-up and scored draws and rules at work.
    EXPECT_GT(warmupSeen, 0);
    EXPECT_GT(scoredSeen, 1000);
    EXPECT_GT(ruleKillsSeen, 0);
    EXPECT_GT(nextDiffers, 0);
}

// With 组选 bets the fixed conditions' backtest speaks of hits too: a row
// says 中 or 未中 by whether a bet hit its draw, whatever the prize, and
// the summary counts what the money sentence counts.
TEST_F(HistoryWalkForwardTest, GroupBetsSpeakOfHitsWithFixedConditionsToo) {
    HistoryWindow* h = w.openHistory();
    StateMaker make(1313);
    int hitButRuledOut = 0;
    for (int round = 0; round < 8; ++round) {
        PriceSettings::setPrices(MoneyPrices{2, 1040, 346, 173, 100, true});
        h->setHistoryText(historyText(make, 60 + make.below(200), round % 2 == 0));
        h->rereadNow();
        w.applyConditions(make.main(0.06));
        h->refreshBacktests();
        const NumberSet kept = mainSurvivors(w.conditions());
        const Bets bets = Bets::main(kept, BetKind::Group);
        const History& history = h->history();
        const BacktestModel& m = h->mainBacktest()->model();
        ASSERT_EQ(m.rowCount(), int(history.draws.size()));
        long long hits = 0;
        for (int r = 0; r < m.rowCount(); ++r) {
            const int n = std::stoi(history.draws[std::size_t(r)].number);
            const bool hit = bets.hits(n);
            hits += hit ? 1 : 0;
            hitButRuledOut += hit && !kept[std::size_t(n)] ? 1 : 0;
            EXPECT_EQ(m.data(m.index(r, BacktestModel::Result), Qt::DisplayRole).toString(),
                      hit ? QStringLiteral("中") : QStringLiteral("未中"))
                << "round " << round << " row " << r;
        }
        const QString summary = h->mainBacktest()->summaryText();
        EXPECT_TRUE(summary.startsWith(QStringLiteral("共 %1 期，中 %2 期（").arg(history.draws.size()).arg(hits)))
            << summary.toStdString();
        if (bets.count() > 0) {
            EXPECT_TRUE(h->mainBacktest()->moneyText().startsWith(
                QStringLiteral("共 %1 期，中 %2 期，").arg(history.draws.size()).arg(hits)));
        }
    }
    EXPECT_GT(hitButRuledOut, 0) << "no draw that a group bet hit though its number was ruled out";
}

// Which rows are warm-up draws, exactly: the first `draws` of the rule that
// looks back furthest, in time order (the last lines of a newest-first
// table); a history shorter than that is warm-up throughout.
TEST_F(HistoryWalkForwardTest, WarmupDrawsAreTheFirstInTimeOrder) {
    HistoryWindow* h = w.openHistory();
    MainConditions state = w.conditions();
    PastDrawRule recent;  // 杀 最近 3 期出现过的 和尾
    recent.measure = RuleMeasure::SumTail;
    recent.draws = 3;
    PastDrawRule omission;  // 保留 遗漏 0–5 期的 跨度
    omission.measure = RuleMeasure::Span;
    omission.from = RuleSource::Omission;
    omission.draws = 5;
    omission.max = 5;
    omission.action = RuleAction::Keep;
    state.rules = {recent, omission};
    w.applyConditions(state);
    StateMaker make(7);
    for (const bool newestFirst : {false, true}) {
        QStringList lines;
        for (int i = 0; i < 12; ++i) lines << QStringLiteral("%1 %2").arg(2026001 + i).arg(make.below(1000), 3, 10, QLatin1Char('0'));
        if (newestFirst) std::reverse(lines.begin(), lines.end());
        h->setHistoryText(lines.join(QLatin1Char('\n')));
        h->rereadNow();
        const BacktestModel& m = h->mainBacktest()->model();
        ASSERT_EQ(m.rowCount(), 12);
        for (int r = 0; r < 12; ++r) EXPECT_EQ(m.isWarmup(r), newestFirst ? r >= 7 : r < 5) << r;
        EXPECT_TRUE(h->mainBacktest()->summaryText().startsWith(QStringLiteral("共 12 期，其中 5 期为预热期，不计入统计")));
    }
    // Too short a history: every draw is warm-up, nothing is scored.
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n2026003 789\n"));
    h->rereadNow();
    const BacktestModel& m = h->mainBacktest()->model();
    for (int r = 0; r < 3; ++r) EXPECT_TRUE(m.isWarmup(r));
    EXPECT_EQ(h->mainBacktest()->summaryText(),
              QStringLiteral("共 3 期，其中 3 期为预热期，不计入统计（动态条件回看的开奖期数还不够）；没有可以验证的开奖号码。"));
    EXPECT_EQ(h->mainBacktest()->moneyText(), QStringLiteral("全部 3 期都是预热期，没有可以计算盈亏的开奖号码。"));
}

// The tab follows the rule list as it follows the conditions: rules added,
// changed or removed re-run it; without rules it is the fixed backtest of
// today, every draw scored and nothing greyed.
TEST_F(HistoryWalkForwardTest, FollowsTheRuleListAndWithoutRulesIsTheFixedBacktest) {
    HistoryWindow* h = w.openHistory();
    StateMaker make(99);
    h->setHistoryText(historyText(make, 80, false));
    h->rereadNow();
    MainConditions state = make.main(0.03);
    w.applyConditions(state);
    h->refreshBacktests();
    auto expectFixed = [&] {
        const BacktestFigures* f = h->mainBacktest()->model().figures();
        ASSERT_TRUE(f);
        EXPECT_FALSE(f->walksForward);
        EXPECT_EQ(f->warmupDraws, 0);
        const Backtest ref = backtestMain(shrinkInputs(w.conditions()), w.conditions().tolerance, h->history());
        ASSERT_EQ(f->backtest.draws.size(), ref.draws.size());
        for (std::size_t i = 0; i < ref.draws.size(); ++i) {
            EXPECT_FALSE(h->mainBacktest()->model().isWarmup(int(i)));
            EXPECT_EQ(f->backtest.draws[i].survives, ref.draws[i].survives);
            EXPECT_EQ(f->backtest.draws[i].killedBy, ref.draws[i].killedBy);
        }
        EXPECT_EQ(f->timeOrder.size(), ref.draws.size());
        EXPECT_FALSE(h->mainBacktest()->summaryText().contains(QStringLiteral("预热")));
        EXPECT_FALSE(h->mainBacktest()->moneyText().contains(QStringLiteral("预热")));
    };
    expectFixed();
    for (int step = 0; step < 6; ++step) {
        std::vector<PastDrawRule> rules;
        for (int r = 0; r < 1 + step % 3; ++r) rules.push_back(testing::randomRule(make, 20));
        w.document().setRules(rules);  // no refresh asked for: the tab follows by itself
        const WalkForwardBacktest ref = backtestWalkForward(w.conditions(), h->history());
        const BacktestFigures* f = h->mainBacktest()->model().figures();
        ASSERT_TRUE(f && f->walksForward);
        EXPECT_EQ(f->warmupDraws, ref.warmup);
        EXPECT_EQ(f->backtest.kept, ref.kept);
        EXPECT_NEAR(f->money.totals.net, ref.money.net, 1e-6);
    }
    w.document().setRules({});
    expectFixed();
}

// A walk-forward backtest as a player sees it: three rules over 150 draws,
// the first draws of the table greyed as warm-up.
TEST_F(HistoryWalkForwardTest, Screenshot) {
    const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_SCREENSHOTS not set";
    HistoryWindow* h = w.openHistory();
    StateMaker make(150);
    h->setHistoryText(historyText(make, 150, false).remove(QStringLiteral("开奖公告\n")));
    h->rereadNow();
    MainConditions state;
    PastDrawRule tails;  // 杀 最近 2 期出现过的 和尾
    tails.draws = 2;
    PastDrawRule spans;  // 保留 遗漏 0–8 期的 跨度 (looking back 12 draws)
    spans.measure = RuleMeasure::Span;
    spans.from = RuleSource::Omission;
    spans.draws = 12;
    spans.max = 8;
    spans.action = RuleAction::Keep;
    PastDrawRule hundreds;  // 杀 最近 1 期出现过的 百位
    hundreds.measure = RuleMeasure::Hundreds;
    state.rules = {tails, spans, hundreds};
    w.applyConditions(state);
    h->refreshBacktests();
    h->resize(1366, 740);
    h->show();
    auto* tabs = h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"));
    tabs->setCurrentWidget(h->mainBacktest());
    QTest::qWait(300);  // the charts lay out their legends after the first paint
    h->grab().save(QDir(folder).filePath(QStringLiteral("history-walk-forward.png")));
}

// The remembered history reaches the document as the program starts: the
// rules are ready before 开奖历史 is ever opened, for a small file at once
// and for a large one once it has been read away from the window's thread.
class SavedHistoryAtStartTest : public ::testing::Test {
protected:
    SavedHistoryAtStartTest() {
        HistoryWindow::setStoragePath(path());
        QDir().mkpath(store.filePath(QStringLiteral("data")));
    }
    QString path() const { return store.filePath(QStringLiteral("data/history.txt")); }
    void write(const QByteArray& bytes) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A history of `draws` lines; the numbers oldest first into `numbers`.
    QByteArray history(int draws, std::vector<int>& numbers) {
        StateMaker make{unsigned(draws)};
        QByteArray text;
        for (int i = 0; i < draws; ++i) {
            numbers.push_back(make.below(1000));
            text += QStringLiteral("%1 2025-01-01 %2\n").arg(2000001 + i).arg(numbers.back(), 3, 10, QLatin1Char('0')).toUtf8();
        }
        return text;
    }
    static void expectRulesReady(ConditionsDocument& document, const std::vector<int>& numbers) {
        PastDrawRule rule;  // 杀 最近 2 期出现过的 和尾
        rule.draws = 2;
        document.setRules({rule});
        const std::vector<ExtraRow>& rows = document.ruleRows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_TRUE(rows[0].ready);
        EXPECT_EQ(rows[0].kills, ruleKills(rule, ruleValues(rule, numbers)));
        EXPECT_EQ(document.pastDraws(), numbers);
    }

    QTemporaryDir store;
    RecordingUiServices services;
};

TEST_F(SavedHistoryAtStartTest, RulesSeeTheSavedHistoryWithoutTheWindow) {
    {  // small: read as the main window is made
        std::vector<int> numbers;
        write(history(300, numbers));
        MainWindow w(services);
        EXPECT_EQ(w.document().history()->draws.size(), numbers.size());
        expectRulesReady(w.document(), numbers);
        EXPECT_EQ(w.findChild<HistoryWindow*>(), nullptr);
        // Opening the window later reads the same draws.
        HistoryWindow* h = w.openHistory();
        EXPECT_EQ(h->history().draws.size(), numbers.size());
        EXPECT_EQ(w.document().pastDraws(), numbers);
    }
    {  // large: read away from the window's thread, then handed over
        std::vector<int> numbers;
        write(history(20000, numbers));
        ASSERT_GT(QFileInfo(path()).size(), 256 * 1024);
        MainWindow w(services);
        QTRY_COMPARE_WITH_TIMEOUT(w.document().history()->draws.size(), numbers.size(), 20000);
        expectRulesReady(w.document(), numbers);
        EXPECT_EQ(w.findChild<HistoryWindow*>(), nullptr);
    }
    EXPECT_TRUE(services.messages().isEmpty());
}

// The window opened (and its draws changed) before the large file's reading
// ends: that reading no longer replaces the window's draws.
TEST_F(SavedHistoryAtStartTest, ALateReadingNeverReplacesTheWindowsDraws) {
    std::vector<int> numbers;
    write(history(30000, numbers));
    MainWindow w(services);
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n"));
    h->rereadNow();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.document().pastDraws(), (std::vector<int>{123, 456}));
}

// A history.txt that cannot be read is left alone at start: nothing is
// said until the window opens, which puts it aside and says so once.
TEST_F(SavedHistoryAtStartTest, AnUnreadableFileKeepsTheWindowsHandling) {
    ASSERT_TRUE(QDir().mkpath(path()));  // a folder where the file should be
    MainWindow w(services);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.document().history()->draws.empty());
    EXPECT_TRUE(services.messages().isEmpty());
    w.openHistory();
    ASSERT_EQ(services.messages().size(), 1);
    EXPECT_TRUE(services.messages().front().text.contains(QStringLiteral("保存的开奖历史无法读取")));
    EXPECT_FALSE(QFileInfo(path()).isDir());
}

}  // namespace
}  // namespace tarnel
