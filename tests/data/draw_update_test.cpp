// Updates from a source played by a server on 127.0.0.1, in both source
// shapes: pages until a kept issue, and every fault a source shows (HTTP
// 403, 500 and 567, a web page, its own failure, a draw that is not three
// digits, a gap, no answer at all, a cancel halfway), each leaving the store
// byte for byte as it was; then tarnel-cli draws import, export and update.
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/draw_store.h"
#include "data/draw_update.h"
#include "data/draws_support.h"
#include "data/local_draw_server.h"

namespace tarnel {
namespace {

using test::fileBytes;
using test::LocalDrawServer;
using test::SourceReply;

struct UpdateRun {
    UpdateOutcome outcome;
    std::vector<int> pagesStarted;
};

// Runs an update to its end; `cancelAt` cancels once that page is asked for.
UpdateRun update(DrawStore& store, Lottery lottery, const QString& base, int maxPages = 20, int timeoutMs = 5000,
           int cancelAt = 0) {
    UpdateRun run;
    DrawUpdate u(store, lottery);
    u.setBase(base);
    u.setMaxPages(maxPages);
    u.setPageTimeout(timeoutMs);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&u, &DrawUpdate::finished, &loop, [&](const UpdateOutcome& o) {
        run.outcome = o;
        finished = true;
        loop.quit();
    });
    QObject::connect(&u, &DrawUpdate::pageStarted, &loop, [&](int page, int) {
        run.pagesStarted.push_back(page);
        if (page == cancelAt) QTimer::singleShot(50, &u, [&u] { u.cancel(); });
    });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(30000);
    u.start();
    if (!finished) loop.exec();
    EXPECT_TRUE(finished) << "the update never finished";
    return run;
}

class DrawUpdateTest : public ::testing::TestWithParam<Lottery> {
protected:
    QTemporaryDir dir;
    QString path = drawStorePath(dir.path());
    LocalDrawServer server;
    Lottery lottery = GetParam();
    std::vector<StoredDraw> source = test::sourceDraws(lottery, 100);  // newest first

    void serve(const std::vector<StoredDraw>& draws) {
        server.answer = [this, draws](int page, const QString&) { return SourceReply{200, test::sourcePage(lottery, draws, page)}; };
    }
};

TEST_P(DrawUpdateTest, FetchesUntilAKeptIssueThenMerges) {
    DrawStore store(path);
    serve(source);
    // Nothing kept: one page only.
    UpdateRun r = update(store, lottery, server.base());
    ASSERT_TRUE(r.outcome.ok()) << r.outcome.error;
    EXPECT_EQ(r.outcome.added, 30);
    EXPECT_EQ(r.outcome.pages, 1);
    EXPECT_EQ(r.outcome.latest, source[0].issue);
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].toStdString(), sourcePagePath(lottery, 1));

    // 70 newer draws: pages 1, 2 and 3 (which holds a kept issue).
    const auto newer = test::sourceDraws(lottery, 170);
    serve(newer);
    server.requests.clear();
    r = update(store, lottery, server.base());
    ASSERT_TRUE(r.outcome.ok()) << r.outcome.error;
    EXPECT_EQ(r.outcome.pages, 3);
    EXPECT_EQ(r.outcome.added, 70);
    EXPECT_EQ(r.outcome.same, 20);
    EXPECT_EQ(r.outcome.latest, newer[0].issue);
    const auto kept = store.draws(lottery);
    ASSERT_EQ(kept->size(), 100u);
    EXPECT_EQ(kept->back(), newer[0]);  // with its date
    EXPECT_NE(r.outcome.line(lottery).find("已添加 70 期"), std::string::npos);

    // Up to date: one page, nothing added.
    r = update(store, lottery, server.base());
    ASSERT_TRUE(r.outcome.ok());
    EXPECT_EQ(r.outcome.added, 0);
    EXPECT_EQ(r.outcome.pages, 1);
}

TEST_P(DrawUpdateTest, EveryFaultLeavesTheStoreAsItWas) {
    DrawStore store(path);
    ASSERT_TRUE(store.merge(lottery, std::vector<StoredDraw>(source.begin() + 40, source.end())).ok());
    const QByteArray before = fileBytes(path);
    const std::string badIssue = lottery == Lottery::Fc3d ? "20260999" : "260999";
    struct Fault {
        const char* name;
        std::function<SourceReply(int)> reply;
        std::string says;
        int timeoutMs = 5000;
    };
    auto onPage2 = [this](SourceReply bad) {
        return [this, bad](int page) { return page == 2 ? bad : SourceReply{200, test::sourcePage(lottery, source, page)}; };
    };
    std::string failure = lottery == Lottery::Fc3d ? "{\"state\":1,\"message\":\"查询失败\\t请稍后\",\"result\":[]}"
                                                   : "{\"success\":false,\"errorCode\":\"9\",\"errorMessage\":\"查询失败\\t请稍后\",\"value\":{}}";
    std::string notThree = test::sourcePage(lottery, source, 2).toStdString();
    const std::string drawField = lottery == Lottery::Fc3d ? "\"red\":\"" : "\"lotteryDrawResult\":\"";
    notThree.insert(notThree.find(drawField) + drawField.size(), "1,");
    std::string wrongIssue = test::sourcePage(lottery, source, 2).toStdString();
    wrongIssue.replace(wrongIssue.find(source[30].issue), source[30].issue.size(), badIssue);
    const std::vector<StoredDraw> changed = [&] {
        auto c = source;
        c[45].number = c[45].number == "999" ? "998" : "999";
        return c;
    }();
    const Fault faults[] = {
        {"403", onPage2({403, "forbidden"}), "来源回答 HTTP 403（第 2 页）"},
        {"500", onPage2({500, "{}"}), "来源回答 HTTP 500（第 2 页）"},
        {"567", onPage2({567, "{}"}), "来源回答 HTTP 567（第 2 页）"},
        {"web page", onPage2({200, "<!DOCTYPE html><html><body>请输入验证码</body></html>"}), "来源返回的是网页，不是开奖数据（第 2 页）"},
        {"failure", onPage2({200, QByteArray::fromStdString(failure)}), "来源报告失败（第 2 页）：\"查询失败\\t请稍后\""},
        {"not three digits", onPage2({200, QByteArray::fromStdString(notThree)}), "不是三位数字（第 2 页）"},
        {"wrong issue", onPage2({200, QByteArray::fromStdString(wrongIssue)}), "期号 \"" + badIssue + "\""},
        {"never answers", onPage2({200, {}, true}), "在 1 秒内没有回答（第 2 页）", 400},
        {"changed answer", [&](int page) { return SourceReply{200, test::sourcePage(lottery, changed, page)}; },
         "第 " + source[45].issue + " 期库中为 " + source[45].number + "，来源给出的是 " + changed[45].number},
        {"gap", [&](int page) { return SourceReply{200, test::sourcePage(lottery, source, page, 5)}; },
         "取了 3 页仍未接上库中的开奖：取到的最早一期是 " + source[14].issue + "，库中最新一期是 " + source[40].issue},
        {"empty", [&](int page) { return SourceReply{200, test::sourcePage(lottery, {}, page)}; }, "没有给出任何"},
    };
    for (const Fault& f : faults) {
        server.answer = [&f](int page, const QString&) { return f.reply(page); };
        const UpdateRun r = update(store, lottery, server.base(), std::string(f.name) == "gap" ? 3 : 20, f.timeoutMs);
        EXPECT_FALSE(r.outcome.ok()) << f.name;
        EXPECT_NE(r.outcome.error.find(f.says), std::string::npos) << f.name << ": " << r.outcome.error;
        EXPECT_NE(r.outcome.line(lottery).find("开奖库未改动"), std::string::npos);
        EXPECT_EQ(fileBytes(path), before) << f.name;
    }

    // Nobody listening at all.
    const UpdateRun refused = update(store, lottery, "http://127.0.0.1:1");
    EXPECT_NE(refused.outcome.error.find("无法连接来源 127.0.0.1"), std::string::npos) << refused.outcome.error;
    EXPECT_EQ(fileBytes(path), before);

    // Raw control characters inside the strings: read as spaces, the update goes through.
    server.answer = [this](int page, const QString&) {
        QByteArray body = test::sourcePage(lottery, source, page);
        const QByteArray field = lottery == Lottery::Fc3d ? "\"red\":\"" : "\"lotteryDrawResult\":\"";
        body.replace(field, field + QByteArray("\x1f\n\0", 3));
        body.replace("\"errorMessage\":\"", "\"errorMessage\":\"\r").replace("查询成功", "查询\x01成功");
        return SourceReply{200, body};
    };
    const UpdateRun withControls = update(store, lottery, server.base());
    ASSERT_TRUE(withControls.outcome.ok()) << withControls.outcome.error;
    EXPECT_EQ(withControls.outcome.added, 40);
}

TEST_P(DrawUpdateTest, CancelInTheMiddleChangesNothing) {
    DrawStore store(path);
    ASSERT_TRUE(store.merge(lottery, std::vector<StoredDraw>(source.begin() + 80, source.end())).ok());
    const QByteArray before = fileBytes(path);
    // Page 2 never answers; the cancel comes while the update waits for it.
    server.answer = [this](int page, const QString&) {
        return page == 2 ? SourceReply{200, {}, true} : SourceReply{200, test::sourcePage(lottery, source, page)};
    };
    const UpdateRun r = update(store, lottery, server.base(), 20, 15000, 2);
    EXPECT_TRUE(r.outcome.cancelled);
    EXPECT_EQ(r.pagesStarted, (std::vector<int>{1, 2}));
    EXPECT_NE(r.outcome.line(lottery).find("已取消"), std::string::npos);
    EXPECT_EQ(fileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(BothSources, DrawUpdateTest, ::testing::Values(Lottery::Fc3d, Lottery::Pl3),
                         [](const auto& info) { return std::string(info.param == Lottery::Fc3d ? "Fc3d" : "Pl3"); });

// --- tarnel-cli draws -------------------------------------------------------

struct CliRun {
    int code = -1;
    std::string out, err;
};

// Runs tarnel-cli with the event loop turning, so that the test's server answers.
CliRun cli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    p.start(TARNEL_CLI, args);
    p.write(input);
    p.closeWriteChannel();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (p.state() != QProcess::NotRunning) loop.exec();
    CliRun r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

TEST(CliDraws, ImportExportUpdateAndRefusals) {
    QTemporaryDir dir;
    const QString db = dir.path() + "/draws.sqlite";
    const std::string history =
        "第2026330期 2026年12月6日 开奖 5,8,2\n2026329 2026-12-05 123\n582\n26001 999\n\nabc\n2026330 582\n";
    CliRun r = cli({"draws", "import", "--db", db, "--lottery", "3d", "-"}, QByteArray::fromStdString(history));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "{\"added\":2,\"same\":1,\"unstored\":2,\"latest\":\"2026330\"}\n");
    r = cli({"draws", "export", "--db", db, "--lottery", "3d"});
    EXPECT_EQ(r.out, "2026329 2026-12-05 1 2 3\n2026330 2026-12-06 5 8 2\n");
    r = cli({"draws", "export", "--db", db, "--lottery", "p3"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");

    // Refusals: one line, exit 2, the store as it was.
    const QByteArray before = fileBytes(db);
    const QString missing = dir.path() + "/none.sqlite";
    const std::vector<QStringList> refused = {
        {"draws", "import", "--db", db, "--lottery", "3d", "-"},  // conflict (input below)
        {"draws", "import", "--db", db, "--lottery", "ssq", "-"},
        {"draws", "import", "--lottery", "3d", "-"},
        {"draws", "export", "--db", db, "--lottery", "3d", "--pages", "2"},
        {"draws", "update", "--db", db, "--lottery", "3d", "--pages", "0"},
        {"draws", "update", "--db", db, "--lottery", "3d", "--url", "ftp://127.0.0.1"},
        {"draws", "update", "--db", db, "--lottery", "3d", "--url", "http://127.0.0.1:1"},
        {"draws", "remove", "--db", db, "--lottery", "3d"},
        {"draws", "import", "--db", missing, "--lottery", "3d", "-"},  // conflict within the input: no file made
    };
    for (const QStringList& args : refused) {
        r = cli(args, "2026330 583\n2026330 582\n");
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString() << " -> " << r.out;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("tarnel-cli: ", 0), 0u) << r.err;
    }
    r = cli(refused[0], "2026331 111\n2026330 583\n");
    EXPECT_EQ(r.err, "tarnel-cli: 导入被拒绝：第 2026330 期库中为 582，导入的是 583；开奖库未改动\n");
    EXPECT_EQ(fileBytes(db), before);
    EXPECT_EQ(fileBytes(missing), "<missing>");

    // update against the test's server, and one of its faults.
    LocalDrawServer server;
    const auto source = test::sourceDraws(Lottery::Pl3, 45);
    server.answer = [&](int page, const QString&) { return SourceReply{200, test::sourcePage(Lottery::Pl3, source, page)}; };
    r = cli({"draws", "update", "--db", db, "--lottery", "p3", "--url", server.base() + "/"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "{\"added\":30,\"same\":0,\"latest\":\"26045\",\"pages\":1}\n");
    const QByteArray afterUpdate = fileBytes(db);
    server.answer = [&](int, const QString&) { return SourceReply{403, "no"}; };
    r = cli({"draws", "update", "--db", db, "--lottery", "p3", "--url", server.base()});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "tarnel-cli: 未更新排列三开奖号码：来源回答 HTTP 403（第 1 页）；开奖库未改动\n");
    EXPECT_EQ(fileBytes(db), afterUpdate);

    r = cli({"draws", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("draws update --db FILE --lottery 3d|p3 [--url BASE] [--pages N]"), std::string::npos);
}

}  // namespace
}  // namespace tarnel
