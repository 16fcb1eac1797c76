// The lottery chosen in 开奖历史 and the kept draws: the document's draws,
// the rules and a run follow the choice; the 开奖号码 box shows the kept
// draws, a paste goes into them (draws without an issue analysed, never
// kept); an earlier history.txt is imported once at start; the check for
// new draws at start runs only when the player turned it on. Checked
// against plain reference versions over random draws.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QScreen>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "core/files/history.h"
#include "core/state/past_draw_rules.h"
#include "data/draw_store.h"
#include "data/draws_support.h"
#include "data/local_draw_server.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/text_boxes.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/draws_panel.h"
#include "ui/windows/history_window.h"
#include "ui/windows/main_window.h"
#include "ui/windows/stored_draws.h"

namespace tarnel {
namespace {

// Random draws of a lottery: distinct issues, some without a date.
std::vector<StoredDraw> randomDraws(Lottery lottery, int count, std::mt19937& rng) {
    std::map<std::string, StoredDraw> byIssue;
    while (int(byIssue.size()) < count) {
        const int k = int(rng() % 900) + 1;
        char issue[16], number[8], date[16];
        std::snprintf(issue, sizeof issue, lottery == Lottery::Fc3d ? "2025%03d" : "25%03d", k);
        std::snprintf(number, sizeof number, "%03d", int(rng() % 1000));
        std::snprintf(date, sizeof date, "2025-%02d-%02d", 1 + k % 12, 1 + k % 28);
        byIssue[issue] = {issue, rng() % 4 == 0 ? std::string() : std::string(date), number};
    }
    std::vector<StoredDraw> draws;
    for (auto& [issue, d] : byIssue) draws.push_back(d);
    std::shuffle(draws.begin(), draws.end(), rng);
    return draws;
}

// The plain reading of kept draws: by ascending issue, as numbers.
std::vector<int> plainPast(std::vector<StoredDraw> draws) {
    std::sort(draws.begin(), draws.end(), [](const StoredDraw& a, const StoredDraw& b) { return a.issue < b.issue; });
    std::vector<int> numbers;
    for (const StoredDraw& d : draws) numbers.push_back(std::stoi(d.number));
    return numbers;
}

std::vector<int> documentPast(ConditionsDocument& document) {
    std::vector<int> numbers;
    for (const Draw& d : document.history()->draws) numbers.push_back(std::stoi(d.number));
    return numbers;
}

// Each test keeps its history.txt, its store and its settings to itself.
struct LotteryFolder : ::testing::Test {
    QTemporaryDir dir;
    LotteryFolder() {
        QSettings().remove(QStringLiteral("draws"));
        HistoryWindow::setStoragePath(dir.filePath(QStringLiteral("history.txt")));
        DrawsPanel::setStorePath(dir.filePath(QStringLiteral("draws.sqlite")));
    }
    ~LotteryFolder() override {
        DrawsPanel::setStorePath({});
        QSettings().remove(QStringLiteral("draws"));
        QGuiApplication::clipboard()->clear();
    }
    QString storePath() const { return DrawsPanel::storePath(); }
};

using LotteryChoice = LotteryFolder;

TEST_F(LotteryChoice, TheKeptDrawsReadBackInTimeOrderAndMergeAsAPlainMap) {
    std::mt19937 rng(38);
    for (int round = 0; round < 20; ++round) {
        const Lottery lottery = round % 2 ? Lottery::Pl3 : Lottery::Fc3d;
        // What the box shows reads back as the kept draws, oldest first, then this run's draws.
        std::vector<StoredDraw> kept = randomDraws(lottery, 1 + int(rng() % 60), rng);
        std::sort(kept.begin(), kept.end(), [](const StoredDraw& a, const StoredDraw& b) { return a.issue < b.issue; });
        const QString run = rng() % 2 ? QStringLiteral("582\n019\n") : QString();
        const QByteArray text = storedDrawsText(kept, run).toUtf8();
        const History read = readHistoryText(std::string_view(text.constData(), std::size_t(text.size())));
        ASSERT_EQ(read.draws.size(), kept.size() + (run.isEmpty() ? 0 : 2));
        EXPECT_TRUE(read.skipped.empty());
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(read.draws[i].issue, kept[i].issue);
            EXPECT_EQ(read.draws[i].number, kept[i].number);
        }
        EXPECT_EQ(historyDraws(std::string_view(text.constData(), std::size_t(text.size()))).size(), read.draws.size());

        // Merging random draws, some disagreeing, against a plain map of what should be kept.
        DrawStore store(dir.filePath(QStringLiteral("merge%1.sqlite").arg(round)));
        ASSERT_TRUE(store.merge(lottery, kept).ok());
        std::vector<StoredDraw> incoming = randomDraws(lottery, 1 + int(rng() % 60), rng);
        incoming.push_back({"", "", "123"});  // without an issue: never kept
        std::map<std::string, std::string> want;
        for (const StoredDraw& d : kept) want.emplace(d.issue, d.number);
        bool disagrees = false;
        for (const StoredDraw& d : incoming) {
            if (d.issue.empty()) continue;
            const auto [it, fresh] = want.emplace(d.issue, d.number);
            disagrees = disagrees || (!fresh && it->second != d.number);
        }
        const bool yes = rng() % 2;
        int asked = 0;
        const DrawsMerged merged = mergeDraws(store, lottery, incoming, [&](const QString& question) {
            ++asked;
            EXPECT_TRUE(question.contains(QStringLiteral("期库中为"))) << question.toStdString();
            return yes;
        });
        EXPECT_EQ(asked, disagrees ? 1 : 0);
        EXPECT_EQ(merged.withoutIssue, 1);
        const auto after = store.draws(lottery);
        ASSERT_TRUE(after);
        std::map<std::string, std::string> got;
        for (const StoredDraw& d : *after) got.emplace(d.issue, d.number);
        if (disagrees && !yes) {
            EXPECT_FALSE(merged.written);
            EXPECT_EQ(after->size(), kept.size());
        } else {
            EXPECT_TRUE(merged.written);
            EXPECT_EQ(got, want);
            EXPECT_TRUE(merged.line.contains(QStringLiteral("1 期没有期号，只在本次运行中分析，不保存"))) << merged.line.toStdString();
        }
    }
}

TEST_F(LotteryChoice, SwitchingTheLotteryChangesTheDrawsTheRulesAndARun) {
    std::mt19937 rng(7);
    const std::vector<StoredDraw> fc = randomDraws(Lottery::Fc3d, 80, rng);
    const std::vector<StoredDraw> pl = randomDraws(Lottery::Pl3, 50, rng);
    {
        DrawStore store(storePath());
        ASSERT_TRUE(store.merge(Lottery::Fc3d, fc).ok());
        ASSERT_TRUE(store.merge(Lottery::Pl3, pl).ok());
    }
    RecordingUiServices services;
    MainWindow w(services);
    ConditionsDocument& document = w.document();
    // At start, before 开奖历史 is opened: the kept draws of the chosen lottery.
    EXPECT_EQ(document.lottery(), Lottery::Fc3d);
    EXPECT_EQ(documentPast(document), plainPast(fc));

    MainConditions conditions;
    conditions.rules = {{RuleMeasure::Sum, RuleSource::Recent, 3, 0, 0, RuleAction::Kill},
                        {RuleMeasure::SumTail, RuleSource::Recent, 1, 0, 0, RuleAction::Keep}};
    document.setRules(conditions.rules);
    HistoryWindow* h = w.openHistory();
    EXPECT_TRUE(h->showsStoredDraws());
    auto* choice = h->findChild<QComboBox*>(QStringLiteral("Combo_caizhong"));
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->currentText(), QStringLiteral("福彩3D"));
    auto* kept = h->findChild<QPlainTextEdit*>(QStringLiteral("Text_kaijiangku"));
    ASSERT_TRUE(kept);

    for (Lottery lottery : {Lottery::Pl3, Lottery::Fc3d, Lottery::Pl3}) {
        choice->setCurrentIndex(lottery == Lottery::Fc3d ? 0 : 1);
        EXPECT_EQ(document.lottery(), lottery);
        const std::vector<int> past = plainPast(lottery == Lottery::Fc3d ? fc : pl);
        EXPECT_EQ(documentPast(document), past);
        EXPECT_EQ(h->history().draws.size(), past.size());
        EXPECT_TRUE(h->statusText().contains(QString::fromStdString(std::string(lotteryName(lottery))) + QStringLiteral("开奖库")))
            << h->statusText().toStdString();
        auto* tabs = h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"));
        tabs->setCurrentWidget(h->drawsPanel());  // its page is read when shown
        EXPECT_TRUE(kept->toPlainText().startsWith(QString::fromStdString((lottery == Lottery::Fc3d ? "2025" : "25"))));
        tabs->setCurrentIndex(0);
        EXPECT_EQ(QSettings().value(QStringLiteral("draws/lottery")).toString(),
                  QString::fromStdString(std::string(lotteryKey(lottery))));

        // A run counts the rules looking back on this lottery's draws, as the plain rows do.
        const std::vector<ExtraRow> want = ruleRows(conditions, past);
        document.run();
        ASSERT_TRUE(document.lastRun());
        const std::vector<ExtraRow>& got = document.lastRun()->extra;
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i].kills, want[i].kills) << "rule " << i;
        NumberPool plain;
        runMain(plain, conditions, want);
        for (int n = 0; n < 1000; ++n) ASSERT_EQ(document.pool().alive(n), plain.alive(n)) << n;
    }
    // The two lotteries' rows differ (the draws are random): the switch is seen by the run.
    EXPECT_NE(ruleRows(conditions, plainPast(fc))[0].kills, ruleRows(conditions, plainPast(pl))[0].kills);
}

TEST_F(LotteryChoice, DrawsWithoutIssuesAreAnalysedAndNeverKept) {
    RecordingUiServices services;
    MainWindow w(services);
    HistoryWindow* h = w.openHistory();
    auto* box = h->findChild<MultiLineBox*>(QStringLiteral("T_ls_haoma"));
    ASSERT_TRUE(box);
    QGuiApplication::clipboard()->setText(QStringLiteral("582\n2026001 2026-01-01 1 2 3\n"));
    box->setFocus();
    box->paste();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h->isReading() && h->history().draws.size() == 2; }, 5000));
    h->finishMerging();
    EXPECT_FALSE(h->showsStoredDraws());
    EXPECT_TRUE(h->statusText().contains(QStringLiteral("1 期没有期号，只在本次运行中分析，不保存"))) << h->statusText().toStdString();
    {
        DrawStore store(storePath());
        const auto draws = store.draws(Lottery::Fc3d);
        ASSERT_TRUE(draws);
        ASSERT_EQ(draws->size(), 1u);
        EXPECT_EQ((*draws)[0], (StoredDraw{"2026001", "2026-01-01", "123"}));
    }

    // Another lottery and back: the kept draws, then this run's draw without an issue.
    auto* choice = h->findChild<QComboBox*>(QStringLiteral("Combo_caizhong"));
    choice->setCurrentIndex(1);
    EXPECT_TRUE(h->history().draws.empty());
    choice->setCurrentIndex(0);
    EXPECT_TRUE(h->showsStoredDraws());
    ASSERT_EQ(h->history().draws.size(), 2u);
    EXPECT_EQ(h->history().draws[0].issue, "2026001");
    EXPECT_EQ(h->history().draws[1].number, "582");
    EXPECT_TRUE(h->history().draws[1].issue.empty());

    // A paste that disagrees asks, naming the issue and both numbers; no leaves the store as it was.
    const QByteArray before = test::fileBytes(storePath());
    services.takeMessages();
    services.setYesNoAnswer(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("2026001 4 5 6\n2026002 7 8 9\n"));
    box->selectAll();
    box->paste();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h->isReading() && h->history().draws[0].number == "456"; }, 5000));
    h->finishMerging();
    const auto asked = services.takeMessages();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("第 2026001 期库中为 123，粘贴或打开的是 456"))) << asked[0].text.toStdString();
    EXPECT_EQ(test::fileBytes(storePath()), before);
    EXPECT_TRUE(h->statusText().contains(QStringLiteral("开奖库未改动"))) << h->statusText().toStdString();
    // What is pasted is analysed while it is there all the same.
    EXPECT_EQ(h->history().draws[0].number, "456");
}

TEST_F(LotteryChoice, AnEarlierHistoryIsImportedOnceAndKeptAsItWas) {
    std::mt19937 rng(3);
    const std::vector<StoredDraw> fc = randomDraws(Lottery::Fc3d, 40, rng);
    const QByteArray bytes = QByteArray::fromStdString(test::historyOf(fc) + "123\n");
    const QString path = HistoryWindow::storagePath();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    {
        RecordingUiServices services;
        MainWindow w(services);
        auto* bar = w.findChild<QStatusBar*>(QStringLiteral("StatusBar"));
        ASSERT_TRUE(bar);
        EXPECT_TRUE(bar->currentMessage().contains(QStringLiteral("已把旧版开奖历史（history.txt）中的 40 期存入福彩3D开奖库")))
            << bar->currentMessage().toStdString();
        // The player's text stays what is analysed: the box shows it when the window opens.
        EXPECT_EQ(w.document().history()->draws.size(), fc.size() + 1);
        EXPECT_EQ(w.openHistory()->historyText(), QString::fromUtf8(bytes));
        EXPECT_FALSE(w.openHistory()->showsStoredDraws());
    }
    EXPECT_EQ(test::fileBytes(path), bytes);
    DrawStore check(storePath());
    ASSERT_EQ(check.draws(Lottery::Fc3d)->size(), fc.size());

    // A later history.txt is never imported again.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("2025999 2025-12-31 9 9 9\n");
    }
    const QByteArray storeBefore = test::fileBytes(storePath());
    {
        RecordingUiServices services;
        MainWindow w(services);
        EXPECT_FALSE(w.findChild<QStatusBar*>(QStringLiteral("StatusBar"))->currentMessage().contains(QStringLiteral("旧版")));
    }
    EXPECT_EQ(check.draws(Lottery::Fc3d)->size(), fc.size());
    EXPECT_EQ(test::fileBytes(storePath()), storeBefore);
}

TEST_F(LotteryChoice, TheCheckAtStartRunsOnlyWhenTurnedOnAndHoldsNothingUp) {
    test::LocalDrawServer server;
    const auto source = test::sourceDraws(Lottery::Fc3d, 12);
    server.answer = [&](int page, const QString&) { return test::SourceReply{200, test::sourcePage(Lottery::Fc3d, source, page)}; };
    QSettings().setValue(QStringLiteral("draws/source/3d"), server.base());
    {
        RecordingUiServices services;
        MainWindow w(services);
        QTest::qWait(300);
        EXPECT_TRUE(server.requests.isEmpty()) << "asked although off";
    }
    QSettings().setValue(QStringLiteral("draws/checkAtStart"), true);
    RecordingUiServices services;
    MainWindow w(services);
    EXPECT_TRUE(server.requests.isEmpty()) << "the window waited for the source";
    auto* bar = w.findChild<QStatusBar*>(QStringLiteral("StatusBar"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->currentMessage().contains(QStringLiteral("启动时检查新开奖")); }, 10000));
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("启动时检查新开奖：已添加 12 期福彩3D开奖号码，最新一期 2026012"));
    EXPECT_EQ(server.requests.size(), 1);
    // The document follows the kept draws at once, before 开奖历史 is opened.
    EXPECT_EQ(documentPast(w.document()), plainPast(source));
    EXPECT_EQ(w.openHistory()->history().draws.size(), source.size());
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// The window with its lottery list dropped down (the list is a window of its
// own: the screen is taken, under xvfb-run with the xcb platform).
TEST_F(LotteryChoice, Screenshot) {
    const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_SCREENSHOTS not set";
    std::mt19937 rng(2026);
    {
        DrawStore store(storePath());
        ASSERT_TRUE(store.merge(Lottery::Fc3d, randomDraws(Lottery::Fc3d, 300, rng)).ok());
        ASSERT_TRUE(store.merge(Lottery::Pl3, randomDraws(Lottery::Pl3, 300, rng)).ok());
    }
    RecordingUiServices services;
    MainWindow w(services);
    HistoryWindow* h = w.openHistory();
    h->resize(1100, 600);
    h->move(0, 0);
    h->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h));
    auto* choice = h->findChild<QComboBox*>(QStringLiteral("Combo_caizhong"));
    choice->showPopup();
    QTest::qWait(500);
    const QRect frame = h->frameGeometry();
    QGuiApplication::primaryScreen()->grabWindow(0).copy(frame).save(QDir(folder).filePath(QStringLiteral("draws-lottery.png")));
    choice->hidePopup();
}

}  // namespace
}  // namespace tarnel
