// tarnel-cli backtest: every draw and the money object agree with the
// engine's backtest and money, for both windows, both bet kinds and any
// price; bad money options are one line and exit 2; the answer is written
// as it goes, so a long history runs in a small address space, and running
// out of memory is one line and exit 2.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <algorithm>

#include "core/rules/text.h"
#include "core/analysis/backtest.h"
#include "core/analysis/backtest_money.h"
#include "core/files/history_order.h"
#include "core/files/scheme.h"
#include "core/state/shrink.h"
#include "support/cli_run.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

using testing::CliRun;
using testing::cli;

CliRun backtestCli(const QStringList& args) { return cli(QStringLiteral(TARNEL_CLI), QStringList{QStringLiteral("backtest")} + args); }

class CliBacktest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& file, const std::string& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
};

std::string randomHistory(StateMaker& make, int lines) {
    const int way = make.below(3);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        int n = make.below(1000);
        if (make.chance(0.15)) n = 111 * make.below(10);
        if (way == 0) text += std::to_string(2026000 + i) + " ";
        if (way == 1) text += std::to_string(2026000 + lines - i) + " ";
        text += numberText(n, 3) + (make.chance(0.3) ? " 2026-12-06\r\n" : "\n");
        if (make.chance(0.05)) text += "junk 12\n";
    }
    return text;
}

std::string amount(StateMaker& make) {
    const int whole = make.below(3000);
    return make.chance(0.5) ? std::to_string(whole) : std::to_string(whole) + "." + std::to_string(make.below(100));
}

TEST_F(CliBacktest, DrawsAndMoneyAgreeWithTheEngine) {
    StateMaker make(2410);
    for (int round = 0; round < 16; ++round) {
        const bool twoStar = round % 4 == 3;
        MainConditions state = make.main(0.08);
        state.tolerance = make.below(3);
        const TwoStarConditions two = make.twoStar(0.1);
        write(path("s.tarnel"), writeScheme(state, &two));
        const std::string historyText = randomHistory(make, 1 + make.below(300));
        write(path("h.txt"), historyText);

        QStringList args{path("s.tarnel"), path("h.txt")};
        MoneySettings money;
        BetKind kind = BetKind::Direct;
        if (twoStar) args << QStringLiteral("--window") << QStringLiteral("F2d");
        if (!twoStar && make.chance(0.6)) {
            kind = make.chance(0.5) ? BetKind::Group : BetKind::Direct;
            args << QStringLiteral("--bet") << QString::fromLatin1(kind == BetKind::Group ? "group" : "direct");
        }
        if (make.chance(0.6)) {
            const std::string price = amount(make);
            money.price = std::stod(price);
            args << QStringLiteral("--price") << QString::fromStdString(price);
        }
        if (make.chance(0.6)) {
            std::string prizes;
            if (twoStar) {
                prizes = amount(make);
                money.twoStar = std::stod(prizes);
            } else {
                const std::string d = amount(make), g3 = amount(make), g6 = amount(make);
                prizes = d + "," + g3 + "," + g6;
                money.direct = std::stod(d);
                money.group3 = std::stod(g3);
                money.group6 = std::stod(g6);
            }
            args << QStringLiteral("--prizes") << QString::fromStdString(prizes);
        }
        const CliRun r = backtestCli(args);
        ASSERT_EQ(r.code, 0) << r.err;
        ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
        const auto doc = nlohmann::json::parse(r.out);

        const History history = readHistory(historyText);
        const Backtest b = twoStar ? backtestTwoStar(two, history) : backtestMain(shrinkInputs(state), state.tolerance, history);
        const Bets bets = twoStar ? twoStarBets(two) : mainBets(shrinkInputs(state), state.tolerance, kind);
        const MoneyReport m = backtestMoney(history, bets, money);
        EXPECT_EQ(doc["total"], b.draws.size());
        EXPECT_EQ(doc["kept"], b.kept);
        EXPECT_EQ(doc["skipped"].get<std::vector<int>>(), b.skipped);
        ASSERT_EQ(doc["draws"].size(), b.draws.size());
        for (std::size_t i = 0; i < b.draws.size(); ++i) {
            const auto& d = doc["draws"][i];
            EXPECT_EQ(d["line"], b.draws[i].draw.line);
            EXPECT_EQ(d["issue"], b.draws[i].draw.issue);
            EXPECT_EQ(d["number"], b.draws[i].number);
            EXPECT_EQ(d["survives"], b.draws[i].survives);
            EXPECT_EQ(d["killed_by"].get<std::vector<int>>(), b.draws[i].killedBy);
            EXPECT_EQ(d["bets"], m.draws[i].bets);
            EXPECT_NEAR(d["win"].get<double>(), m.draws[i].win, 1e-6);
            EXPECT_EQ(d["hit"], m.draws[i].hit);
        }
        const auto& j = doc["money"];
        const MoneyTotals& t = m.totals;
        EXPECT_EQ(j.size(), 10u);
        EXPECT_EQ(j["bets"], t.bets);
        EXPECT_EQ(j["hits"], t.hits);
        EXPECT_EQ(j["longest_miss"], t.longestMiss);
        EXPECT_EQ(j["current_miss"], t.currentMiss);
        for (const auto& [key, value] : {std::pair{"cost", t.cost}, {"win", t.win}, {"net", t.net},
                                         {"expected_hits", t.expectedHits}, {"sd_hits", t.sdHits},
                                         {"expected_win", t.expectedWin}})
            EXPECT_NEAR(j[key].get<double>(), value, 1e-6) << key << " round " << round;
    }
}

TEST_F(CliBacktest, KeysInTheirOrder) {
    write(path("s.tarnel"), writeScheme(MainConditions{}, nullptr));
    write(path("h.txt"), "2026002 582\njunk\n2026001 111\n");
    const CliRun r = backtestCli({path("s.tarnel"), path("h.txt"), QStringLiteral("--price"), QStringLiteral("0.5")});
    ASSERT_EQ(r.code, 0) << r.err;
    // Every number kept: 1000 bets a draw, a hit each time; newest first.
    EXPECT_EQ(r.out,
              "{\"total\":2,\"kept\":2,\"warmup\":0,\"draws\":["
              "{\"line\":1,\"issue\":\"2026002\",\"number\":\"582\",\"survives\":true,\"killed_by\":[],\"bets\":1000,\"win\":1040,\"hit\":true},"
              "{\"line\":3,\"issue\":\"2026001\",\"number\":\"111\",\"survives\":true,\"killed_by\":[],\"bets\":1000,\"win\":1040,\"hit\":true}],"
              "\"skipped\":[2],\"money\":{\"bets\":2000,\"cost\":1000,\"win\":2080,\"net\":1080,\"hits\":2,"
              "\"expected_hits\":2,\"sd_hits\":0,\"expected_win\":2080,\"longest_miss\":0,\"current_miss\":0}}\n");
}

TEST_F(CliBacktest, BadMoneyOptionsAreOneLine) {
    write(path("s.tarnel"), writeScheme(MainConditions{}, nullptr));
    write(path("s2.tarnel"), writeScheme(MainConditions{}, nullptr));
    write(path("h.txt"), "582\n");
    const QString s = path("s.tarnel"), h = path("h.txt");
    const std::vector<QStringList> bad = {
        {s, h, QStringLiteral("--bet")},
        {s, h, QStringLiteral("--bet"), QStringLiteral("both")},
        {s, h, QStringLiteral("--bet"), QStringLiteral("")},
        {s, h, QStringLiteral("--price")},
        {s, h, QStringLiteral("--price"), QStringLiteral("")},
        {s, h, QStringLiteral("--price"), QStringLiteral("-2")},
        {s, h, QStringLiteral("--price"), QStringLiteral("two")},
        {s, h, QStringLiteral("--price"), QStringLiteral("1e3")},
        {s, h, QStringLiteral("--price"), QStringLiteral("1000001")},
        {s, h, QStringLiteral("--price"), QString(5000, QLatin1Char('9'))},
        {s, h, QStringLiteral("--price"), QStringLiteral("2\n3")},
        {s, h, QStringLiteral("--prizes"), QStringLiteral("1040,346")},
        {s, h, QStringLiteral("--prizes"), QStringLiteral("1040,346,173,1")},
        {s, h, QStringLiteral("--prizes"), QStringLiteral("1040,,173")},
        {s, h, QStringLiteral("--prizes"), QStringLiteral("1040,346,-173")},
        {s, h, QStringLiteral("--prizes"), QStringLiteral("100")},
        {s, h, QStringLiteral("--window"), QStringLiteral("F2d"), QStringLiteral("--bet"), QStringLiteral("group")},
        {QStringLiteral("run"), s, QStringLiteral("--price"), QStringLiteral("2")},
    };
    for (const QStringList& args : bad) {
        const CliRun r = args.first() == QStringLiteral("run") ? cli(QStringLiteral(TARNEL_CLI), args) : backtestCli(args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err.rfind("tarnel-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_LT(r.err.size(), 300u) << r.err;
    }
    // The two-star prize is one number; the price applies to both windows.
    const TwoStarConditions start = twoStarStartState();
    write(path("two.tarnel"), writeScheme(MainConditions{}, &start));
    const CliRun two = backtestCli({path("two.tarnel"), h, QStringLiteral("--window"), QStringLiteral("F2d"),
                                    QStringLiteral("--prizes"), QStringLiteral("90"), QStringLiteral("--price"), QStringLiteral("1")});
    ASSERT_EQ(two.code, 0) << two.err;
    const auto j = nlohmann::json::parse(two.out)["money"];
    EXPECT_EQ(j["bets"], 100);
    EXPECT_EQ(j["cost"], 100);
    EXPECT_EQ(j["win"], 90);
    EXPECT_EQ(backtestCli({path("two.tarnel"), h, QStringLiteral("--window"), QStringLiteral("F2d"),
                           QStringLiteral("--prizes"), QStringLiteral("1040,346,173")}).code, 2);
}

TEST_F(CliBacktest, AFailedWriteOfTheAnswerIsOneLine) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that refuses every write, as /dev/full does";
#endif
    write(path("s.tarnel"), writeScheme(MainConditions{}, nullptr));
    std::string draws;
    for (int i = 0; i < 20000; ++i) draws += "582\n";
    write(path("h.txt"), draws);
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(TARNEL_CLI), {QStringLiteral("backtest"), path("s.tarnel"), path("h.txt")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_EQ(err.rfind("tarnel-cli: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// ---- memory ----------------------------------------------------------------

#if defined(__SANITIZE_ADDRESS__)
#define TARNEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNEL_ASAN 1
#endif
#endif

[[maybe_unused]] CliRun limitedCli(const QString& limitKb, const QStringList& args) {
    // The shell limits its own address space, then becomes the program.
    QStringList shell{QStringLiteral("-c"), QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(limitKb), QStringLiteral(TARNEL_CLI)};
    return cli(QStringLiteral("/bin/sh"), shell + args);
}

TEST_F(CliBacktest, ALongHistoryRunsInASmallAddressSpaceAndTooSmallIsOneLine) {
#ifdef TARNEL_ASAN
    GTEST_SKIP() << "the address sanitizer reserves far more address space than any limit here";
#elif defined(_WIN32)
    GTEST_SKIP() << "the address space is limited with a POSIX shell's ulimit";
#else
    write(path("s.tarnel"), writeScheme(MainConditions{}, nullptr));
    std::string draws;
    for (int i = 0; i < 2000000; ++i) draws += "582\n";
    write(path("2m.txt"), draws);
    // Two million draws (8 MB of text) in 120 MB: a few bytes a draw beyond the text.
    const CliRun ok = limitedCli(QStringLiteral("120000"),
                                 {QStringLiteral("backtest"), path("s.tarnel"), path("2m.txt"), QStringLiteral("--bet"), QStringLiteral("group")});
    ASSERT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.out.rfind("{\"total\":2000000,\"kept\":2000000,", 0), 0u);
    EXPECT_NE(ok.out.find("\"longest_miss\":0,\"current_miss\":0}}\n"), std::string::npos);
    EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 1);

    // Thirty-two megabytes of history do not fit in thirty: one line, exit 2.
    for (int k = 0; k < 2; ++k) draws += draws;
    write(path("32m.txt"), draws);
    const CliRun tight = limitedCli(QStringLiteral("30000"), {QStringLiteral("backtest"), path("s.tarnel"), path("32m.txt")});
    EXPECT_EQ(tight.code, 2);
    EXPECT_TRUE(tight.out.empty());
    EXPECT_EQ(tight.err, "tarnel-cli: 内存不足，无法完成\n");
#endif
}

TEST_F(CliBacktest, RowsNameEveryRowThatExplainCanPrint) {
    const CliRun rows = cli(QStringLiteral(TARNEL_CLI), {QStringLiteral("rows")});
    ASSERT_EQ(rows.code, 0) << rows.err;
    const auto answer = nlohmann::json::parse(rows.out);
    std::map<int, std::string> names;
    for (const auto& r : answer.at("rows")) names[r.at("row").get<int>()] = r.at("name").get<std::string>();
    ASSERT_EQ(names.size(), 27u);
    EXPECT_EQ(names.begin()->first, 2);
    EXPECT_EQ(names.rbegin()->first, 28);
    for (const auto& [row, name] : names) EXPECT_EQ(name, rowName(row));
    // Every row explain names for random schemes is one of them.
    StateMaker make(101);
    for (int round = 0; round < 8; ++round) {
        write(path("s.tarnel"), writeScheme(make.main(0.1), nullptr));
        const CliRun ex = cli(QStringLiteral(TARNEL_CLI), {QStringLiteral("explain"), path("s.tarnel"), QStringLiteral("123"),
                                                           QStringLiteral("456"), QStringLiteral("789")});
        ASSERT_EQ(ex.code, 0) << ex.err;
        const auto explained = nlohmann::json::parse(ex.out);
        for (const auto& n : explained.at("numbers"))
            for (const auto& r : n.at("killed_by")) EXPECT_TRUE(names.count(r.get<int>())) << r;
        // A scheme given to rows is read like any other.
        EXPECT_EQ(cli(QStringLiteral(TARNEL_CLI), {QStringLiteral("rows"), path("s.tarnel")}).out, rows.out);
    }
    write(path("bad.tarnel"), "{}");
    const CliRun bad = cli(QStringLiteral(TARNEL_CLI), {QStringLiteral("rows"), path("bad.tarnel")});
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1);
}

}  // namespace
}  // namespace tarnel
