// A backtest limited to the last N draws or a range of issues in the 开奖历史
// window: the tab shows the backtest of the cut history (the core's, called
// directly), bad ranges are refused in words with nothing shown, and
// 导出CSV… writes the table as shown with its summary, whole or not at all.
// Slips name the lottery and the issue they are for.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/analysis/backtest_range.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history_order.h"
#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/conditions_document.h"
#include "ui/panels/backtest_range_bar.h"
#include "ui/widgets/price_settings.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/text_boxes.h"
#include "ui/windows/combine_window.h"
#include "ui/windows/history_window.h"
#include "core/analysis/combine.h"
#include "core/files/scheme.h"
#include "core/rules/text.h"

namespace tarnel {
namespace {

using testing::StateMaker;

QString historyText(StateMaker& make, int draws, bool newestFirst) {
    QStringList lines;
    for (int i = 0; i < draws; ++i)
        lines << QStringLiteral("%1 %2").arg(2026001 + i).arg(make.below(1000), 3, 10, QLatin1Char('0'));
    if (newestFirst) std::reverse(lines.begin(), lines.end());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// RFC 4180 records (the text after the byte order mark).
std::vector<QStringList> csvRecords(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes.mid(3));
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            row << field;
            field.clear();
            rows.push_back(row);
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

class BacktestRangeTest : public MainWindowFixture {
protected:
    BacktestRangeTest() {
        HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt")));
        PriceSettings::setPrices(MoneyPrices{});
    }
    ~BacktestRangeTest() override { PriceSettings::setPrices(MoneyPrices{}); }

    QTemporaryDir store;
};

// Over random histories, rules and ranges, the limited tab is the core's
// backtest of the cut history, row for row and in its money sentence.
TEST_F(BacktestRangeTest, ALimitedTabIsTheBacktestOfTheCutHistory) {
    HistoryWindow* h = w.openHistory();
    StateMaker make(3811);
    BacktestView* view = h->mainBacktest();
    BacktestRangeBar* bar = view->rangeBar();
    for (int round = 0; round < 16; ++round) {
        MainConditions state = make.main(0.03);
        for (int r = make.below(3); r > 0; --r) state.rules.push_back(testing::randomRule(make, 20));
        h->setHistoryText(historyText(make, 30 + make.below(90), round % 2 == 1));
        h->rereadNow();
        w.applyConditions(state);
        const History& history = h->history();
        const int n = int(history.draws.size());
        BacktestRange range;
        if (round % 3 == 0) {
            range = {RangeKind::Last, std::to_string(1 + make.below(n + 5)), "", ""};
        } else {
            const int a = make.below(n), b = a + make.below(n - a);
            range = {RangeKind::Issues, "", std::to_string(2026001 + a), std::to_string(2026001 + b)};
        }
        bar->setRange(range);
        h->refreshBacktests();
        SCOPED_TRACE("round " + std::to_string(round));

        const std::vector<std::size_t> order = timeOrder(history);
        const RangePick pick = pickBacktestRange(history, order, range);
        ASSERT_TRUE(pick.ok()) << pick.error;
        const History cut = cutHistory(history, order, pick, rulesLookBack(state.rules));
        ASSERT_EQ(view->model().rowCount(), int(cut.draws.size()));
        for (std::size_t i = 0; i < cut.draws.size(); ++i)
            EXPECT_EQ(view->model().data(view->model().index(int(i), BacktestModel::Line), Qt::DisplayRole).toInt(),
                      cut.draws[i].line);
        const WalkedBacktest ref = walkBacktest(w.conditions(), cut, BetKind::Direct, MoneySettings{});
        EXPECT_TRUE(view->summaryText().startsWith(ref.warmup > 0 ? QStringLiteral("共 %1 期，其中 %2 期为预热期")
                                                                        .arg(cut.draws.size())
                                                                        .arg(ref.warmup)
                                                                  : QStringLiteral("共 %1 期").arg(ref.total)))
            << view->summaryText().toStdString();
        if (ref.money.bets > 0) {
            EXPECT_TRUE(view->moneyText().contains(
                QStringLiteral("中 %1 期，随机投注同样注数平均中 %2 期")
                    .arg(ref.money.hits)
                    .arg(QString::number(ref.money.expectedHits, 'f', 1))))
                << view->moneyText().toStdString();
        }
        if (!pick.whole()) {
            EXPECT_TRUE(bar->noteText().startsWith(QStringLiteral("验证"))) << bar->noteText().toStdString();
        }

        // The CSV: the columns as shown, every row, then the summary.
        const std::vector<QStringList> records = csvRecords(bar->csvBytes());
        ASSERT_GE(records.size(), cut.draws.size() + 1);
        QStringList header;
        for (int c = 0; c < BacktestModel::ColumnCount; ++c)
            header << view->model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_EQ(records[0], header);
        for (int r = 0; r < view->model().rowCount(); ++r)
            for (int c = 0; c < BacktestModel::ColumnCount; ++c)
                ASSERT_EQ(records[std::size_t(r) + 1][c],
                          view->model().data(view->model().index(r, c), Qt::DisplayRole).toString());
        EXPECT_EQ(records.back(), QStringList{view->moneyText()});
    }
}

TEST_F(BacktestRangeTest, BadRangesAreRefusedInWordsAndTheWholeHistoryComesBack) {
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n2026003 789\n2026004 012\n"));
    h->rereadNow();
    BacktestView* view = h->mainBacktest();
    BacktestRangeBar* bar = view->rangeBar();
    const struct {
        BacktestRange range;
        QString message;
    } bad[] = {
        {{RangeKind::Last, "0", "", ""}, QStringLiteral("最近期数至少为 1 期。")},
        {{RangeKind::Last, "-2", "", ""}, QStringLiteral("“-2”不是期数：最近期数只能填 1 以上的整数。")},
        {{RangeKind::Issues, "", "2026004", "2026002"},
         QStringLiteral("起始期号 2026004 在结束期号 2026002 之后：请把较早的一期填在前面。")},
        {{RangeKind::Issues, "", "2025001", ""},
         QStringLiteral("起始期号 2025001 不在开奖历史中（开奖历史从 2026001 期到 2026004 期）。")},
        {{RangeKind::Issues, "", "20260x1", ""}, QStringLiteral("起始期号“20260x1”只能由数字 0–9 组成。")},
    };
    for (const auto& b : bad) {
        bar->setRange(b.range);
        h->refreshBacktests();
        EXPECT_EQ(bar->noteText(), b.message);
        EXPECT_EQ(view->summaryText(), QStringLiteral("没有验证：") + b.message);
        EXPECT_EQ(view->model().rowCount(), 0);
    }
    bar->setRange({RangeKind::Issues, "", "2026002", "2026003"});
    h->refreshBacktests();
    EXPECT_EQ(view->model().rowCount(), 2);
    EXPECT_EQ(bar->noteText(), QStringLiteral("验证 2026002 期至 2026003 期，共 2 期。盈亏和与随机投注的比较只按这个范围计算。"));
    // Draws without issues cannot be taken by issue.
    h->setHistoryText(QStringLiteral("123\n456\n"));
    h->rereadNow();
    EXPECT_EQ(bar->noteText(),
              QStringLiteral("开奖历史第 1 行的开奖号码没有期号：按期号范围验证需要每期都有期号，可以改用“最近 N 期”。"));
    bar->setRange({});
    h->refreshBacktests();
    EXPECT_EQ(view->model().rowCount(), 2);
    EXPECT_TRUE(bar->noteText().isEmpty());
}

TEST_F(BacktestRangeTest, CsvExportIsWrittenWholeOrNotAtAll) {
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2026001 123\n2026002 456\n2026003 789\n"));
    h->rereadNow();
    BacktestView* view = h->mainBacktest();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("验证"));  // .csv is added
    services.setNextPath(path);
    view->findChild<QPushButton*>(QStringLiteral("Frame_yanzheng_daochu"))->click();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    QFile written(path + QStringLiteral(".csv"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes, view->rangeBar()->csvBytes());
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF\xE8\xA1\x8C\xE5\x8F\xB7,"));  // the mark, then 行号
    EXPECT_EQ(bytes.count("\r\n"), bytes.count("\n"));
    // Where it cannot be written: a message naming it; what was there stays.
    const QString folder = dir.filePath(QStringLiteral("a-folder.csv"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
    services.setNextPath(folder);
    view->rangeBar()->exportCsv();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("验证结果没有导出到“%1”：").arg(folder)))
        << messages[0].text.toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inside")).isDir());
    // Nothing to export says so.
    h->setHistoryText(QString());
    h->rereadNow();
    view->rangeBar()->exportCsv();
    ASSERT_EQ(services.messages().size(), 1);
    EXPECT_EQ(services.takeMessages()[0].text, QStringLiteral("没有可以导出的验证结果。"));
}

// 方案组合's backtest takes the same ranges: the combination's backtest of
// the cut history, its schemes' rules looking back before the range.
TEST_F(BacktestRangeTest, TheCombinationsBacktestTakesARangeToo) {
    StateMaker make(3812);
    QStringList paths;
    std::vector<MainConditions> states;
    for (int i = 0; i < 2; ++i) {
        states.push_back(make.main(0.01));
        states.back().rules.push_back(testing::randomRule(make, 6));
        const QString path = store.filePath(QStringLiteral("方案%1.tarnel").arg(i));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string bytes = writeScheme(states.back(), nullptr);
        f.write(bytes.data(), qsizetype(bytes.size()));
        paths << path;
    }
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(historyText(make, 60, true));
    h->rereadNow();
    CombineWindow* c = w.openCombine();
    c->addSchemeFiles(paths);
    BacktestRangeBar* bar = c->backtestRange();
    for (const BacktestRange& range : {BacktestRange{RangeKind::Last, "12", "", ""},
                                       BacktestRange{RangeKind::Issues, "", "2026010", "2026030"}}) {
        bar->setRange(range);
        const History& history = h->history();
        const std::vector<std::size_t> order = timeOrder(history);
        const RangePick pick = pickBacktestRange(history, order, range);
        std::size_t lookBack = 0;
        for (const MainConditions& s : states) lookBack = std::max(lookBack, rulesLookBack(s.rules));
        const History cut = cutHistory(history, order, pick, lookBack);
        const CombinationBacktest want = backtestCombination(states, 0, cut);
        const CombinationBacktestModel& m = c->backtestModel();
        ASSERT_EQ(m.rowCount(), int(cut.draws.size()));
        EXPECT_TRUE(c->backtestSummary().contains(QStringLiteral("保留 %1 期").arg(want.kept)))
            << c->backtestSummary().toStdString();
        EXPECT_TRUE(bar->noteText().startsWith(QStringLiteral("验证"))) << bar->noteText().toStdString();
    }
    bar->setRange({RangeKind::Last, "x", "", ""});
    EXPECT_EQ(c->backtestModel().rowCount(), 0);
    EXPECT_EQ(c->backtestSummary(), QStringLiteral("没有验证：“x”不是期数：最近期数只能填 1 以上的整数。"));
}

// ---- slips -----------------------------------------------------------------

TEST_F(BacktestRangeTest, SlipsNameTheLotteryAndTheIssueAfterTheNewestDraw) {
    MultiLineBox box(QStringLiteral("T_test"));
    box.setText(QStringLiteral("132 142"));
    ResultsView view(&box, 3, services, nullptr);
    const QString plain = view.slipText();
    EXPECT_TRUE(view.slipHeading().isEmpty()) << "without a source the slips name nothing";
    ResultsView::SlipTarget target{Lottery::Fc3d, "2026224"};
    view.setSlipTargetSource([&target] { return target; });
    EXPECT_EQ(view.slipIssue(), QStringLiteral("2026225"));
    EXPECT_EQ(view.slipHeading(), QStringLiteral("福彩3D 第2026225期"));
    EXPECT_EQ(view.slipText(), plain) << "the copied slips are as before";
    EXPECT_EQ(view.headedSlipText(), QStringLiteral("福彩3D 第2026225期\r\n") + plain);
    EXPECT_TRUE(view.slipHtml().contains(QStringLiteral("福彩3D 第2026225期")));
    view.findChild<QPushButton*>(QStringLiteral("C_jg_tzd_copy_qihao"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), view.headedSlipText());
    services.takeNotices();

    // The player's issue, checked; a bad one is refused before printing.
    view.setSlipIssue(QStringLiteral("20262"));
    EXPECT_EQ(view.slipIssueMessage(), QStringLiteral("期号有 5 位：福彩3D的期号是 7 位数字，如 2026225。"));
    QTemporaryDir dir;
    services.setNextPath(dir.filePath(QStringLiteral("slips.pdf")));
    view.exportSlipsPdf();
    auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("投注单的期号不对，请改正后再打印或导出：期号有 5 位：福彩3D的期号是 7 位数字，如 2026225。"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("slips.pdf"))));
    view.setSlipIssue(QStringLiteral("2026300"));
    EXPECT_EQ(view.slipHeading(), QStringLiteral("福彩3D 第2026300期"));
    EXPECT_TRUE(view.slipIssueMessage().isEmpty());
    // A newer draw suggests again; another lottery without issues names the lottery alone.
    target.latestIssue = "2026225";
    EXPECT_EQ(view.slipIssue(), QStringLiteral("2026226"));
    target = {Lottery::Pl3, ""};
    EXPECT_EQ(view.slipIssue(), QString());
    EXPECT_EQ(view.slipHeading(), QStringLiteral("排列三"));
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("L_jg_tzd_qihao_tishi"))->text(),
              QStringLiteral("开奖历史中没有这个彩种的期号：投注单只写彩种。"));
    view.setSlipIssue(QStringLiteral("26a01"));
    EXPECT_EQ(view.slipIssueMessage(), QStringLiteral("期号只能由数字 0–9 组成：排列三的期号是 5 位数字，如 26225。"));
    view.copyHeadedSlips();
    EXPECT_EQ(services.takeMessages().size(), 1);
}

TEST_F(BacktestRangeTest, TheMainWindowsSlipsFollowTheChosenLotterysDraws) {
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2026223 123\n26230 111\n2026224 456\n"));
    h->rereadNow();
    w.document().setLottery(Lottery::Fc3d);
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("123 456"));
    get<QPushButton>("C_guolv_ks")->click();
    ResultsView* view = w.openResults();
    EXPECT_EQ(view->slipIssue(), QStringLiteral("2026225"));
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("L_jg_tzd_caizhong"))->text(), QStringLiteral("彩种：福彩3D"));
    // The other lottery brings its own draws: the slip follows them.
    w.document().setLottery(Lottery::Pl3);
    EXPECT_EQ(view->slipIssue(), QString()) << "排列三 has no draws yet";
    h->setHistoryText(QStringLiteral("26229 123\n26230 111\n"));
    h->rereadNow();
    EXPECT_EQ(view->slipIssue(), QStringLiteral("26231"));
    EXPECT_EQ(view->slipHeading(), QStringLiteral("排列三 第26231期"));
    w.document().setLottery(Lottery::Fc3d);
}

// Screenshots for the documentation, when asked for.
TEST_F(BacktestRangeTest, Screenshots) {
    const QByteArray shots = qgetenv("TARNEL_RANGE_SHOTS");
    if (shots.isEmpty()) GTEST_SKIP() << "TARNEL_RANGE_SHOTS names the folder for the screenshots";
    const QString folder = QString::fromLocal8Bit(shots);
    StateMaker make(3899);
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(historyText(make, 400, false));
    h->rereadNow();
    MainConditions state = w.conditions();
    PastDrawRule rule;
    rule.measure = RuleMeasure::SumTail;
    rule.draws = 2;
    state.rules.push_back(rule);
    w.applyConditions(state);
    auto* tabs = h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"));
    tabs->setCurrentWidget(h->mainBacktest());
    h->mainBacktest()->rangeBar()->setRange({RangeKind::Issues, "", "2026301", "2026400"});
    h->refreshBacktests();
    h->resize(1200, 720);
    h->show();
    QTest::qWait(300);
    h->grab().save(folder + QStringLiteral("/backtest-range.png"));

    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("123 124 125 133 134 135 456 457 789"));
    get<QPushButton>("C_guolv_ks")->click();
    ResultsView* view = w.openResults();
    view->findChild<QTabWidget*>(QStringLiteral("Tab_jg"))->setCurrentIndex(1);
    view->resize(920, 600);
    view->show();
    QTest::qWait(300);
    view->grab().save(folder + QStringLiteral("/slip-issue.png"));
    services.setNextPath(folder + QStringLiteral("/slip-issue.pdf"));
    view->exportSlipsPdf();
}

}  // namespace
}  // namespace tarnel
