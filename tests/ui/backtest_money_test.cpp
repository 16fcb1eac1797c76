// The money of the backtest tabs as a player sees it: the per-draw columns,
// the summary sentence, the profit-and-loss chart beside random bets and the
// drought table, checked against a plain bet-by-bet reference; the price and
// prize fields (and the bad values they refuse); the tabs following the
// conditions without a run; and histories listed newest first.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <set>

#include "ui/widgets/bar_chart.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/money_chart.h"
#include "ui/widgets/results_view.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "ui/windows/history_window.h"
#include "ui/widgets/price_settings.h"
#include "support/random_state.h"
#include "core/rules/pair_step_kills.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

struct Store {
    QTemporaryDir store;
};

// Prizes as the reference reads them.
struct Prizes {
    double price = 2, direct = 1040, group3 = 346, group6 = 173, twoStar = 100;
};

// The draws of a history text with issues, oldest first; listed newest
// first when asked, and now and then with a line that is not a draw.
QString historyText(StateMaker& make, int draws, bool newestFirst, std::vector<int>* numbers = nullptr) {
    QStringList lines;
    for (int i = 0; i < draws; ++i) {
        const int n = make.below(1000);
        if (numbers) numbers->push_back(n);
        lines << QStringLiteral("%1 2025-%2-%3 %4")
                     .arg(2025001 + i)
                     .arg(1 + i % 12)
                     .arg(1 + i % 28)
                     .arg(n, 3, 10, QLatin1Char('0'));
    }
    if (newestFirst) std::reverse(lines.begin(), lines.end());
    if (numbers && newestFirst) std::reverse(numbers->begin(), numbers->end());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

int formKey(int n) {
    int d[3] = {n / 100, n / 10 % 10, n % 10};
    std::sort(d, d + 3);
    return d[0] * 100 + d[1] * 10 + d[2];
}

bool allEqual(int n) { return n / 100 == n / 10 % 10 && n / 10 % 10 == n % 10; }
bool twoEqual(int n) {
    const int a = n / 100, b = n / 10 % 10, c = n % 10;
    return !allEqual(n) && (a == b || b == c || a == c);
}

// One draw's money, bet by bet.
struct RefDraw {
    int bets = 0;
    double cost = 0, win = 0, p = 0, expectedWin = 0;
    double winSquare = 0;  // mean of the square of a random draw's win
};

RefDraw mainReference(const NumberSet& survivors, bool group, int draw, const Prizes& z) {
    RefDraw r;
    if (!group) {
        for (int n = 0; n < 1000; ++n) {
            if (!survivors.test(std::size_t(n))) continue;
            ++r.bets;
            if (n == draw) r.win = z.direct;
        }
        r.p = r.bets / 1000.0;
        r.expectedWin = r.p * z.direct;
        r.winSquare = r.p * z.direct * z.direct;
    } else {
        std::set<int> forms, direct;
        for (int n = 0; n < 1000; ++n) {
            if (!survivors.test(std::size_t(n))) continue;
            if (allEqual(n)) direct.insert(n);
            else forms.insert(formKey(n));
        }
        r.bets = int(forms.size() + direct.size());
        if (allEqual(draw)) {
            if (direct.count(draw)) r.win = z.direct;
        } else if (forms.count(formKey(draw))) {
            r.win = twoEqual(draw) ? z.group3 : z.group6;
        }
        // Each bet's chance times its prize.
        for (int f : forms) {
            const bool three = twoEqual(f);
            r.p += three ? 3 / 1000.0 : 6 / 1000.0;
            r.expectedWin += three ? 3 / 1000.0 * z.group3 : 6 / 1000.0 * z.group6;
            r.winSquare += three ? 3 / 1000.0 * z.group3 * z.group3 : 6 / 1000.0 * z.group6 * z.group6;
        }
        r.p += double(direct.size()) / 1000;
        r.expectedWin += double(direct.size()) / 1000 * z.direct;
        r.winSquare += double(direct.size()) / 1000 * z.direct * z.direct;
    }
    r.cost = r.bets * z.price;
    return r;
}

double yuanOf(const QString& text) { return text.toDouble(); }

class BacktestMoneyTest : public Store, public MainWindowFixture {
protected:
    BacktestMoneyTest() {
        HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt")));
        PriceSettings::setPrices(MoneyPrices{});
    }
    ~BacktestMoneyTest() override { PriceSettings::setPrices(MoneyPrices{}); }

    QLineEdit* field(BacktestView* view, const char* suffix) {
        auto* edit = view->findChild<QLineEdit*>(view->objectName() + QLatin1String(suffix));
        EXPECT_TRUE(edit) << suffix;
        return edit;
    }
    // Types a value into a field and leaves it, as a player does.
    void type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }

    // Every cell and text of a tab is free of NaN and infinity.
    static void expectNoNan(const BacktestView& view) {
        const BacktestModel& m = view.model();
        QStringList texts = {view.summaryText(), view.moneyText(), view.headerText()};
        for (int r = 0; r < m.rowCount(); r += std::max(1, m.rowCount() / 50))
            for (int c = 0; c < m.columnCount(); ++c) texts << m.data(m.index(r, c), Qt::DisplayRole).toString();
        QTableWidget* drought = view.droughtTable();
        for (int r = 0; r < drought->rowCount(); ++r)
            for (int c = 0; c < drought->columnCount(); ++c)
                if (drought->item(r, c)) texts << drought->item(r, c)->text();
        for (const QString& t : texts) {
            EXPECT_FALSE(t.contains(QStringLiteral("nan"), Qt::CaseInsensitive)) << t.toStdString();
            EXPECT_FALSE(t.contains(QStringLiteral("inf"), Qt::CaseInsensitive)) << t.toStdString();
        }
    }

    // The last point of a line of the money chart.
    static QCPGraphData lastPoint(QCPGraph* line) { return *(line->data()->constEnd() - 1); }

    HistoryWindow* h = nullptr;
};

// Columns, summary, chart and droughts against the bet-by-bet reference, for
// direct and group bets, random conditions, prices and prizes, histories in
// either order.
TEST_F(BacktestMoneyTest, MoneyColumnsSummaryChartAndDroughtsMatchBetByBet) {
    h = w.openHistory();
    StateMaker make(2024);
    for (int round = 0; round < 16; ++round) {
        MainConditions state = make.main(0.06);
        state.tolerance = make.below(3);
        Prizes z;
        z.price = 1 + make.below(4) * 0.5;
        z.direct = 500 + make.below(1000);
        z.group3 = 100 + make.below(400);
        z.group6 = 50 + make.below(200);
        const bool group = round % 2 == 1;
        const bool newestFirst = round % 3 == 0;
        PriceSettings::setPrices(MoneyPrices{z.price, z.direct, z.group3, z.group6, 100, group});
        std::vector<int> numbers;
        h->setHistoryText(historyText(make, 30 + make.below(120), newestFirst, &numbers));
        h->rereadNow();
        w.applyConditions(state);
        h->refreshBacktests();

        const MainConditions& shown = w.conditions();
        const NumberSet survivors = survivorsWithTolerance(computeRowKills(shrinkInputs(shown)), shown.tolerance);
        BacktestView* view = h->mainBacktest();
        const BacktestModel& m = view->model();
        ASSERT_EQ(m.rowCount(), int(numbers.size()));
        // Time order: the reversed rows of a newest-first table.
        std::vector<double> cumulative(numbers.size());
        double net = 0, cost = 0, win = 0, expected = 0, expectedWin = 0, variance = 0, winVariance = 0;
        int hits = 0, longest = 0, run = 0;
        for (std::size_t k = 0; k < numbers.size(); ++k) {
            const std::size_t i = newestFirst ? numbers.size() - 1 - k : k;
            const RefDraw r = mainReference(survivors, group, numbers[i], z);
            net += r.win - r.cost;
            cumulative[i] = net;
            cost += r.cost;
            win += r.win;
            expected += r.p;
            variance += r.p * (1 - r.p);
            expectedWin += r.expectedWin;
            winVariance += r.winSquare - r.expectedWin * r.expectedWin;
            hits += r.win > 0;
            run = r.win > 0 ? 0 : run + 1;
            longest = std::max(longest, run);
            auto cell = [&](int c) { return m.data(m.index(int(i), c), Qt::DisplayRole).toString(); };
            ASSERT_EQ(cell(BacktestModel::Bets).toInt(), r.bets) << "round " << round << " row " << i;
            EXPECT_NEAR(yuanOf(cell(BacktestModel::Cost)), r.cost, 0.005);
            EXPECT_NEAR(yuanOf(cell(BacktestModel::Win)), r.win, 0.005);
            EXPECT_NEAR(yuanOf(cell(BacktestModel::Net)), r.win - r.cost, 0.005);
        }
        for (std::size_t i = 0; i < numbers.size(); ++i)
            EXPECT_NEAR(yuanOf(m.data(m.index(int(i), BacktestModel::Cumulative), Qt::DisplayRole).toString()),
                        cumulative[i], 0.01);

        const QString money = view->moneyText();
        if (survivors.none()) {
            EXPECT_TRUE(money.contains(QStringLiteral("没有留下任何号码"))) << money.toStdString();
        } else {
            // Figures shown with one decimal are compared to within that decimal.
            static const QRegularExpression head(QStringLiteral("^共 (\\d+) 期，中 (\\d+) 期，随机投注同样注数平均中 ([0-9.]+) 期（±([0-9.]+)）；"));
            const QRegularExpressionMatch got = head.match(money);
            ASSERT_TRUE(got.hasMatch()) << money.toStdString();
            EXPECT_EQ(got.captured(1).toULongLong(), numbers.size());
            EXPECT_EQ(got.captured(2).toInt(), hits);
            EXPECT_NEAR(got.captured(3).toDouble(), expected, 0.0501);
            EXPECT_NEAR(got.captured(4).toDouble(), std::sqrt(variance), 0.0501);
            EXPECT_TRUE(money.contains(QStringLiteral("最长连续不中 %1 期").arg(longest))) << money.toStdString();
            EXPECT_TRUE(money.contains(run == 0 ? QStringLiteral("最新一期中了")
                                                : QStringLiteral("目前已连续 %1 期不中").arg(run)))
                << money.toStdString();
            if (cost > 0) {
                static const QRegularExpression rate(QStringLiteral("返奖率 ([0-9.]+)%"));
                EXPECT_NEAR(rate.match(money).captured(1).toDouble(), 100 * win / cost, 0.0501) << money.toStdString();
            }

            // The chart: the last point of each line is the whole history.
            QCPGraph* actual = view->moneyChart()->line(QStringLiteral("按条件投注"));
            QCPGraph* mean = view->moneyChart()->line(QStringLiteral("随机投注平均"));
            ASSERT_TRUE(actual && mean);
            ASSERT_GT(actual->dataCount(), 0);
            EXPECT_EQ(lastPoint(actual).key, double(numbers.size()));
            EXPECT_NEAR(lastPoint(actual).value, net, 0.01);
            EXPECT_NEAR(lastPoint(mean).value, expectedWin - cost, 0.01);
            const auto [upper, lower] = view->moneyChart()->band();
            const bool band = upper && lower && upper->dataCount() > 0 && lower->dataCount() > 0 &&
                              upper->channelFillGraph() == lower;
            if (band) {
                const double top = lastPoint(upper).value, bottom = lastPoint(lower).value;
                EXPECT_GE(top + 1e-6, lastPoint(mean).value);
                EXPECT_NEAR(top - lastPoint(mean).value, lastPoint(mean).value - bottom, 1e-6);
                EXPECT_NEAR(top - bottom, 4 * std::sqrt(winVariance), 1e-6 * (1 + std::sqrt(winVariance)));
            }
            EXPECT_TRUE(band);

            // Droughts with the chance of the newest draw.
            const std::size_t newest = newestFirst ? 0 : numbers.size() - 1;
            const RefDraw last = mainReference(survivors, group, numbers[newest], z);
            QTableWidget* drought = view->droughtTable();
            ASSERT_EQ(drought->rowCount(), 6);
            EXPECT_TRUE(drought->item(0, 0)->text().contains(QStringLiteral("每期 %1 注").arg(last.bets)));
            EXPECT_EQ(drought->item(2, 0)->text(), QStringLiteral("连续 20 期都不中"));
            const double none20 = std::pow(1 - last.p, 20);
            if (none20 > 0.001 && none20 < 0.999) {
                EXPECT_EQ(drought->item(2, 1)->text(), QString::number(none20 * 100, 'f', 1) + QLatin1Char('%'));
            }
            int m95 = 1;
            while (std::pow(1 - last.p, m95) > 0.05 + 1e-12) ++m95;
            EXPECT_EQ(drought->item(5, 0)->text(), QStringLiteral("95% 的把握在 %1 期内中一次").arg(m95));
            EXPECT_NEAR(drought->item(5, 1)->text().mid(3).chopped(1).toDouble(), m95 * last.cost, 0.01);
        }
        expectNoNan(*view);
    }
}

TEST_F(BacktestMoneyTest, PriceAndPrizeFieldsAreRememberedAndRefuseBadValues) {
    h = w.openHistory();
    StateMaker make(3);
    h->setHistoryText(historyText(make, 60, false));
    h->rereadNow();
    BacktestView* view = h->mainBacktest();
    QLineEdit* price = field(view, "_danjia");
    QLineEdit* direct = field(view, "_zhixuan");
    EXPECT_EQ(price->text(), QStringLiteral("2"));
    EXPECT_EQ(direct->text(), QStringLiteral("1040"));
    EXPECT_EQ(field(view, "_zusan")->text(), QStringLiteral("346"));
    EXPECT_EQ(field(view, "_zuliu")->text(), QStringLiteral("173"));
    EXPECT_EQ(field(h->twoStarBacktest(), "_erxing")->text(), QStringLiteral("100"));

    type(price, QStringLiteral("2.5"));
    EXPECT_TRUE(view->settingsMessage().isEmpty());
    EXPECT_DOUBLE_EQ(PriceSettings::prices().price, 2.5);
    // The other tab and the results view take the same price.
    EXPECT_EQ(field(h->twoStarBacktest(), "_danjia")->text(), QStringLiteral("2.5"));
    EXPECT_EQ(w.openResults()->priceFen(), 250);
    w.openResults()->findChild<QDoubleSpinBox*>(QStringLiteral("Spin_jg_danjia"))->setValue(3);
    EXPECT_EQ(price->text(), QStringLiteral("3"));
    // The backtest costs follow at once.
    const BacktestModel& m = view->model();
    const int bets = m.data(m.index(0, BacktestModel::Bets), Qt::DisplayRole).toInt();
    EXPECT_NEAR(m.data(m.index(0, BacktestModel::Cost), Qt::DisplayRole).toDouble(), bets * 3.0, 0.005);

    // Bad values: a message, and the last good value stays in the field and in use.
    for (const QString& bad : {QString(), QStringLiteral("  "), QStringLiteral("-1"), QStringLiteral("abc"),
                               QStringLiteral("nan"), QStringLiteral("inf"), QStringLiteral("1e3"),
                               QStringLiteral("2.345"), QStringLiteral("0"), QStringLiteral("99999"),
                               QStringLiteral("123456789012345678901234"), QStringLiteral("１２")}) {
        type(price, bad);
        EXPECT_FALSE(view->settingsMessage().isEmpty()) << bad.toStdString();
        EXPECT_EQ(price->text(), QStringLiteral("3")) << bad.toStdString();
        EXPECT_DOUBLE_EQ(PriceSettings::prices().price, 3);
    }
    for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("1040元"), QStringLiteral("2000000")}) {
        type(direct, bad);
        EXPECT_TRUE(view->settingsMessage().contains(QStringLiteral("直选奖金"))) << bad.toStdString();
        EXPECT_EQ(direct->text(), QStringLiteral("1040"));
    }
    type(direct, QStringLiteral(" 900 "));
    EXPECT_TRUE(view->settingsMessage().isEmpty());
    EXPECT_DOUBLE_EQ(PriceSettings::prices().direct, 900);
    type(field(view, "_zuliu"), QStringLiteral("0"));  // a prize may be nothing
    EXPECT_DOUBLE_EQ(PriceSettings::prices().group6, 0);

    // 直选 / 组选 is remembered, and a new window shows what was set.
    view->findChild<QComboBox*>(view->objectName() + QStringLiteral("_touzhu"))->setCurrentIndex(1);
    EXPECT_TRUE(PriceSettings::prices().groupBets);
    const MoneyPrices remembered = PriceSettings::prices();
    EXPECT_EQ(QSettings().value(QStringLiteral("results/priceFen")).toInt(), 300);
    RecordingUiServices others;
    MainWindow again(others);
    HistoryWindow* second = again.openHistory();
    EXPECT_EQ(field(second->mainBacktest(), "_danjia")->text(), QStringLiteral("3"));
    EXPECT_EQ(field(second->mainBacktest(), "_zhixuan")->text(), QStringLiteral("900"));
    EXPECT_EQ(second->mainBacktest()->findChild<QComboBox*>(QStringLiteral("Frame_yanzheng_touzhu"))->currentIndex(), 1);
    EXPECT_EQ(PriceSettings::prices(), remembered);
    // A damaged remembered value reads as its default.
    QSettings().setValue(QStringLiteral("money/directFen"), QStringLiteral("garbage"));
    EXPECT_DOUBLE_EQ(PriceSettings::prices().direct, 1040);
}

// Conditions changed without a run: the tabs follow after the short pause,
// and the header names the newest draw kept, in time order.
TEST_F(BacktestMoneyTest, TheTabsFollowTheConditionsWithoutARun) {
    h = w.openHistory();
    StateMaker make(11);
    std::vector<int> numbers;
    h->setHistoryText(historyText(make, 200, true, &numbers));
    h->rereadNow();
    for (int round = 0; round < 6; ++round) {
        MainConditions state = make.main(0.1);
        state.tolerance = round % 3;
        w.applyConditions(state);
        const MainConditions& shown = w.conditions();
        const Backtest want = backtestMain(shrinkInputs(shown), shown.tolerance, h->history());
        ASSERT_TRUE(QTest::qWaitFor([&] { return h->mainBacktest()->model().backtest().kept == want.kept &&
                                                 h->mainBacktest()->model().backtest().draws.size() == 200; },
                                    3000));
        // The table is newest first: the first kept row is the newest kept draw.
        const auto kept = std::find_if(want.draws.begin(), want.draws.end(), [](const DrawCheck& d) { return d.survives; });
        const QString header = h->mainBacktest()->headerText();
        if (kept == want.draws.end()) {
            EXPECT_TRUE(header.contains(QStringLiteral("没有"))) << header.toStdString();
        } else {
            const long long ago = kept - want.draws.begin();
            EXPECT_EQ(header, QStringLiteral("最近一次保留：%1 期 %2，%3")
                                  .arg(fromStd(kept->draw.issue), fromStd(kept->number),
                                       ago == 0 ? QStringLiteral("就是最新一期") : QStringLiteral("%1 期前").arg(ago)));
        }
    }
}

// A long history is checked away from the window: meanwhile the tab says in
// words that it shows the last result, and then shows the new one.
TEST_F(BacktestMoneyTest, ALongHistorySaysItIsBeingCheckedAgain) {
    h = w.openHistory();
    StateMaker make(23);
    h->setHistoryText(historyText(make, 25000, false));
    h->rereadNow();
    ASSERT_EQ(h->history().draws.size(), 25000u);
    EXPECT_TRUE(h->mainBacktest()->pendingText().isEmpty());
    MainConditions state;
    state.digits.spanKill[4] = true;
    state.tolerance = 0;
    w.applyConditions(state);
    w.conditionsSettled();  // as the pause after a change ends
    EXPECT_TRUE(h->mainBacktest()->pendingText().contains(QStringLiteral("重新验证"))) << "no word of the check";
    ASSERT_TRUE(QTest::qWaitFor([&] { return h->mainBacktest()->pendingText().isEmpty(); }, 20000));
    const MainConditions& shown = w.conditions();
    EXPECT_EQ(h->mainBacktest()->model().backtest().kept,
              backtestMain(shrinkInputs(shown), shown.tolerance, h->history()).kept);
}

// The two-star tab breaks its kills down by the two-star window's conditions.
TEST_F(BacktestMoneyTest, TwoStarKillsByItsOwnConditionsAndTwoStarMoney) {
    h = w.openHistory();
    StateMaker make(17);
    std::vector<int> numbers;
    h->setHistoryText(historyText(make, 150, false, &numbers));
    h->rereadNow();
    TwoStarWindow* t = w.openTwoStar();
    for (int round = 0; round < 8; ++round) {
        t->applyConditions(make.twoStar(0.12));
        h->refreshBacktests();
        const TwoStarInputs in = t->conditions();
        PairPool pool;
        runTwoStar(pool, in);
        const PairStepKills kills = computePairStepKills(in);
        std::vector<int> byStep(kTwoStarStepCount, 0);
        BacktestView* view = h->twoStarBacktest();
        const BacktestModel& m = view->model();
        double net = 0;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const int pair = numbers[i] % 100;
            for (int s : kills.killedBy(pair)) ++byStep[std::size_t(s)];
            const QString tip = m.data(m.index(int(i), BacktestModel::KilledBy), Qt::ToolTipRole).toString();
            if (pool.alive(pair)) {
                EXPECT_TRUE(tip.isEmpty());
            } else {
                for (int s : kills.killedBy(pair)) EXPECT_TRUE(tip.contains(fromStd(pairStepName(s)))) << tip.toStdString();
            }
            const int bets = pool.aliveCount();
            EXPECT_EQ(m.data(m.index(int(i), BacktestModel::Bets), Qt::DisplayRole).toInt(), bets);
            net += (pool.alive(pair) ? 100.0 : 0.0) - 2.0 * bets;
        }
        EXPECT_NEAR(m.data(m.index(int(numbers.size()) - 1, BacktestModel::Cumulative), Qt::DisplayRole).toDouble(), net, 0.01);
        // The bar chart: one bar per condition that ruled out a draw, by its name.
        QStringList want;
        QList<double> wantKills;
        for (int s = 0; s < kTwoStarStepCount; ++s)
            if (byStep[std::size_t(s)] > 0) {
                want.append(fromStd(pairStepName(s)));
                wantKills.append(byStep[std::size_t(s)]);
            }
        EXPECT_EQ(view->chart()->categories(), want);
        if (!want.isEmpty()) {
            ASSERT_EQ(view->chart()->groups().size(), 1);
            EXPECT_EQ(view->chart()->groups().front().values, wantKills);
            // Whole counts on the axis, room for the longest bar.
            EXPECT_GE(view->chart()->countAxisEnd(), *std::max_element(wantKills.begin(), wantKills.end()));
            EXPECT_EQ(std::fmod(view->chart()->countAxisEnd(), view->chart()->countTickStep()), 0);
        }
        expectNoNan(*view);
    }
}

// A history pasted newest first: trends, the status line and the quality note.
TEST_F(BacktestMoneyTest, NewestFirstHistoriesAndIssuesToMend) {
    h = w.openHistory();
    StateMaker make(5);
    std::vector<int> numbers;
    const QString text = historyText(make, 120, true, &numbers);
    h->setHistoryText(text);
    h->rereadNow();
    EXPECT_TRUE(h->statusText().contains(QStringLiteral("第一行，第 1 行）：2025120 %1").arg(numbers[0], 3, 10, QLatin1Char('0'))))
        << h->statusText().toStdString();
    EXPECT_TRUE(h->qualityText().isEmpty());
    // Trends count in time order: the same as the oldest-first table.
    std::vector<Draw> oldestFirst(h->history().draws.rbegin(), h->history().draws.rend());
    for (TrendMeasure measure : kTrendMeasures) {
        h->showTrend(measure);
        const TrendTable want = trendTable(measure, oldestFirst);
        for (std::size_t v = 0; v < want.values.size(); ++v) {
            EXPECT_EQ(h->trend().values[v].currentOmission, want.values[v].currentOmission);
            EXPECT_EQ(h->trend().values[v].longestOmission, want.values[v].longestOmission);
        }
    }
    // A repeated issue and one out of order are named with their lines.
    h->setHistoryText(QStringLiteral("2025001 123\n2025002 456\n2025002 457\n2025004 111\n2025003 222\n"));
    h->rereadNow();
    const QString note = h->qualityText();
    EXPECT_TRUE(note.contains(QStringLiteral("期号重复 1 个：2025002（第 2、3 行）"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("第 5 行 2025003 期排在第 4 行 2025004 期之后"))) << note.toStdString();
    EXPECT_TRUE(h->statusText().contains(QStringLiteral("最后一行，第 5 行")));
    h->setHistoryText(text);
    h->rereadNow();
    EXPECT_TRUE(h->qualityText().isEmpty());
}

// Conditions that keep nothing: a sentence, no zeros in a drought table, no NaN.
TEST_F(BacktestMoneyTest, NoBetsGiveASentenceNotATableOfZeros) {
    h = w.openHistory();
    StateMaker make(8);
    h->setHistoryText(historyText(make, 40, false));
    h->rereadNow();
    MainConditions state;
    for (auto& b : state.digits.sumTailKill) b = true;
    w.applyConditions(state);
    h->refreshBacktests();
    BacktestView* view = h->mainBacktest();
    EXPECT_TRUE(view->moneyText().contains(QStringLiteral("没有留下任何号码"))) << view->moneyText().toStdString();
    EXPECT_EQ(view->droughtTable()->rowCount(), 1);
    EXPECT_TRUE(view->droughtTable()->item(0, 0)->text().contains(QStringLiteral("没有投注")));
    EXPECT_TRUE(view->moneyChart()->isEmpty());
    EXPECT_EQ(view->moneyChart()->graphCount(), 0);
    expectNoNan(*view);
}

// Not a check: with TARNEL_SCREENSHOTS set to a folder, the two backtest
// tabs of a 400-draw history are saved there as PNG files.
TEST_F(BacktestMoneyTest, Screenshots) {
    const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_SCREENSHOTS not set";
    h = w.openHistory();
    StateMaker make(400);
    h->setHistoryText(historyText(make, 400, true));
    h->rereadNow();
    MainConditions state;
    for (int tail : {0, 2, 3, 5, 7, 8}) state.digits.sumTailKill[std::size_t(tail)] = true;
    for (int span : {0, 1, 9}) state.digits.spanKill[std::size_t(span)] = true;
    state.tolerance = 0;
    w.applyConditions(state);
    TwoStarWindow* t = w.openTwoStar();
    TwoStarConditions two = twoStarStartState();
    for (int span : {0, 1, 7, 8, 9}) two.span[std::size_t(span)] = true;
    for (int sum : {3, 5, 15}) two.sum[std::size_t(sum)] = true;
    two.kind[0] = true;
    t->applyConditions(two);
    h->refreshBacktests();
    h->resize(1366, 740);
    h->show();
    auto* tabs = h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"));
    tabs->setCurrentWidget(h->mainBacktest());
    QTest::qWait(300);  // the charts lay out their legends after the first paint
    h->grab().save(QDir(folder).filePath(QStringLiteral("history-backtest-money.png")));
    tabs->setCurrentWidget(h->twoStarBacktest());
    QTest::qWait(300);  // the charts lay out their legends after the first paint
    h->grab().save(QDir(folder).filePath(QStringLiteral("history-backtest-two-star.png")));
    // A pasted table with a repeated issue and one out of order.
    h->setHistoryText(QStringLiteral("2025001 123\n2025002 456\n2025002 457\n2025004 111\n2025003 222\n") +
                      historyText(make, 40, false).replace(QStringLiteral("20250"), QStringLiteral("20251")));
    h->rereadNow();
    tabs->setCurrentIndex(0);
    QTest::qWait(300);
    h->grab().save(QDir(folder).filePath(QStringLiteral("history-issues.png")));
}

}  // namespace
}  // namespace tarnel
