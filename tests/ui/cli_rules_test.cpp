// tarnel-cli with rules that follow past draws: run and explain look back
// on --history as the engine does, backtests walk forward with warm-up
// draws, rows name the rules, combine applies them; a scheme with rules and
// no history is refused with one line.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "core/analysis/combine.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history.h"
#include "core/files/scheme.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "support/cli_run.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;
using testing::randomRule;

using testing::CliRun;

CliRun cli(const QStringList& args) { return testing::cli(QStringLiteral(TARNEL_CLI), args); }

std::string randomHistory(StateMaker& make, int lines) {
    const int way = make.below(3);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        if (way == 0) text += std::to_string(2026000 + i) + " ";
        if (way == 1) text += std::to_string(2026000 + lines - i) + " ";
        text += numberText(make.below(1000), 3) + "\n";
        if (make.chance(0.05)) text += "junk 12\n";
    }
    return text;
}

class CliRules : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& file, const std::string& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    static void expectOneLineRefusal(const CliRun& r) {
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err.rfind("tarnel-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
};

TEST_F(CliRules, RunAndExplainLookBackOnTheHistory) {
    StateMaker make(6101);
    for (int round = 0; round < 10; ++round) {
        MainConditions state = make.main(0.05);
        state.tolerance = make.below(3);
        for (int i = 1 + make.below(4); i > 0; --i) state.rules.push_back(randomRule(make, 30));
        write(path("s.tarnel"), writeScheme(state, nullptr));
        const std::string historyText = randomHistory(make, make.below(40));
        write(path("h.txt"), historyText);
        const std::vector<int> past = drawsInTimeOrder(readHistory(historyText));

        const CliRun r = cli({QStringLiteral("run"), path("s.tarnel"), QStringLiteral("--history"), path("h.txt")});
        ASSERT_EQ(r.code, 0) << r.err;
        const auto doc = nlohmann::json::parse(r.out);
        NumberPool pool;
        const std::vector<ExtraRow> rows = ruleRows(state, past);
        runMain(pool, state, rows);
        std::vector<std::string> numbers;
        for (int i = 0; i < NumberPool::kSize; ++i)
            if (pool.alive(i)) numbers.push_back(numberText(i, 3));
        EXPECT_EQ(doc["numbers"].get<std::vector<std::string>>(), numbers) << "round " << round;
        EXPECT_EQ(doc["count"], numbers.size());
        EXPECT_EQ(doc["stages"].size(), 27u);
        ASSERT_EQ(doc["rules"].size(), state.rules.size());
        for (std::size_t i = 0; i < state.rules.size(); ++i) {
            const auto& j = doc["rules"][i];
            EXPECT_EQ(j.size(), 4u);
            EXPECT_EQ(j["row"], 101 + int(i));
            EXPECT_EQ(j["ready"], rows[i].ready);
            EXPECT_EQ(j["values"].get<std::vector<int>>(), valueList(ruleValues(state.rules[i], past)));
            EXPECT_EQ(j["kills"], rows[i].effectiveKills().count());
        }

        QStringList args{QStringLiteral("explain"), path("s.tarnel")};
        std::vector<int> asked;
        for (int i = 0; i < 20; ++i) {
            asked.push_back(make.below(1000));
            args << QString::fromStdString(numberText(asked.back(), 3));
        }
        args << QStringLiteral("--history") << path("h.txt");
        const CliRun ex = cli(args);
        ASSERT_EQ(ex.code, 0) << ex.err;
        const auto explained = nlohmann::json::parse(ex.out);
        const RowKills kills = computeRowKills(shrinkInputs(state), rows);
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const auto& e = explained["numbers"][i];
            EXPECT_EQ(e["killed_by"].get<std::vector<int>>(), kills.killedBy(asked[i]));
            EXPECT_EQ(e["survives"], pool.alive(asked[i]));
        }

        // Without the history the rules have nothing to look back on.
        expectOneLineRefusal(cli({QStringLiteral("run"), path("s.tarnel")}));
        expectOneLineRefusal(cli({QStringLiteral("explain"), path("s.tarnel"), QStringLiteral("123")}));
    }
    // A scheme without rules runs as before, with an empty list of rules.
    write(path("plain.tarnel"), writeScheme(MainConditions{}, nullptr));
    const CliRun plain = cli({QStringLiteral("run"), path("plain.tarnel")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(nlohmann::json::parse(plain.out)["rules"], nlohmann::json::array());
}

TEST_F(CliRules, BacktestWalksForwardWithWarmUpDraws) {
    StateMaker make(6202);
    for (int round = 0; round < 12; ++round) {
        MainConditions state = make.main(0.05);
        state.tolerance = make.below(3);
        for (int i = 1 + make.below(4); i > 0; --i) state.rules.push_back(randomRule(make, 12));
        write(path("s.tarnel"), writeScheme(state, nullptr));
        const std::string historyText = randomHistory(make, make.below(80));
        write(path("h.txt"), historyText);
        const BetKind kind = make.chance(0.5) ? BetKind::Group : BetKind::Direct;
        QStringList args{QStringLiteral("backtest"), path("s.tarnel"), path("h.txt")};
        if (kind == BetKind::Group) args << QStringLiteral("--bet") << QStringLiteral("group");
        const CliRun r = cli(args);
        ASSERT_EQ(r.code, 0) << r.err;
        ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
        const auto doc = nlohmann::ordered_json::parse(r.out);
        std::vector<std::string> keys;
        for (const auto& [key, value] : doc.items()) keys.push_back(key);
        EXPECT_EQ(keys, (std::vector<std::string>{"total", "kept", "warmup", "draws", "skipped", "money"}));

        const History history = readHistory(historyText);
        const WalkForwardBacktest b = backtestWalkForward(state, history, kind);
        EXPECT_EQ(doc["total"], b.total);
        EXPECT_EQ(doc["kept"], b.kept);
        EXPECT_EQ(doc["warmup"], b.warmup);
        EXPECT_EQ(doc["skipped"].get<std::vector<int>>(), b.skipped);
        ASSERT_EQ(doc["draws"].size(), history.draws.size());
        for (std::size_t i = 0; i < history.draws.size(); ++i) {
            const auto& d = doc["draws"][i];
            const WalkForwardDraw& w = b.draws[i];
            EXPECT_EQ(d["line"], history.draws[i].line);
            EXPECT_EQ(d["issue"], history.draws[i].issue);
            EXPECT_EQ(d["number"], history.draws[i].number);
            if (w.warmup) {
                EXPECT_EQ(d.size(), 4u);
                EXPECT_EQ(d["warmup"], true);
                continue;
            }
            EXPECT_FALSE(d.contains("warmup"));
            EXPECT_EQ(d["survives"], w.survives);
            EXPECT_EQ(d["killed_by"].get<std::vector<int>>(), w.killedBy) << "round " << round << " draw " << i;
            EXPECT_EQ(d["bets"], w.money.bets);
            EXPECT_NEAR(d["win"].get<double>(), w.money.win, 1e-6);
            EXPECT_EQ(d["hit"], w.money.hit);
        }
        const auto& j = doc["money"];
        EXPECT_EQ(j["bets"], b.money.bets);
        EXPECT_EQ(j["hits"], b.money.hits);
        EXPECT_EQ(j["longest_miss"], b.money.longestMiss);
        EXPECT_EQ(j["current_miss"], b.money.currentMiss);
        for (const auto& [key, value] : {std::pair{"cost", b.money.cost}, {"win", b.money.win}, {"net", b.money.net},
                                         {"expected_hits", b.money.expectedHits}, {"sd_hits", b.money.sdHits},
                                         {"expected_win", b.money.expectedWin}})
            EXPECT_NEAR(j[key].get<double>(), value, 1e-6) << key << " round " << round;
    }
}

// A long history is written a block at a time, each block walked again from
// the draws its rules look back on: the answer is the one walk all the same,
// oldest or newest first, across the blocks' edges.
TEST_F(CliRules, ALongBacktestIsWrittenAsOneWalk) {
    StateMaker make(6203);
    for (int round = 0; round < 4; ++round) {
        MainConditions state = make.main(0.03);
        state.tolerance = make.below(2);
        for (int i = 2 + make.below(3); i > 0; --i) state.rules.push_back(randomRule(make, round < 2 ? 1000 : 40));
        write(path("s.tarnel"), writeScheme(state, nullptr));
        // Issues falling then rising, so that both orders are written.
        std::string historyText;
        const int lines = 2500 + make.below(1500);
        for (int i = 0; i < lines; ++i) {
            historyText += std::to_string(round % 2 == 0 ? 2026000 + lines - i : 2026000 + i) + " " +
                           numberText(make.below(1000), 3) + "\n";
            if (make.chance(0.01)) historyText += "junk 12\n";
        }
        write(path("h.txt"), historyText);
        const CliRun r = cli({QStringLiteral("backtest"), path("s.tarnel"), path("h.txt")});
        ASSERT_EQ(r.code, 0) << r.err;
        const auto doc = nlohmann::ordered_json::parse(r.out);
        const History history = readHistory(historyText);
        const WalkForwardBacktest b = backtestWalkForward(state, history);
        EXPECT_EQ(doc["total"], b.total);
        EXPECT_EQ(doc["warmup"], b.warmup);
        ASSERT_EQ(doc["draws"].size(), history.draws.size());
        int mismatches = 0;
        for (std::size_t i = 0; i < history.draws.size(); ++i) {
            const auto& d = doc["draws"][i];
            const WalkForwardDraw& w = b.draws[i];
            const bool same = d["number"] == history.draws[i].number && d.contains("warmup") == w.warmup &&
                              (w.warmup || (d["survives"] == w.survives && d["bets"] == w.money.bets &&
                                            d["killed_by"].get<std::vector<int>>() == w.killedBy));
            if (!same && ++mismatches < 5) ADD_FAILURE() << "round " << round << " draw " << i << ": " << d.dump();
        }
        EXPECT_EQ(mismatches, 0) << "round " << round;
        EXPECT_EQ(doc["money"]["current_miss"], b.money.currentMiss);
    }
}

TEST_F(CliRules, RowsNameTheRulesAndCombineAppliesThem) {
    MainConditions a;
    a.rules = {{RuleMeasure::SumTail, RuleSource::Recent, 2, 0, 0, RuleAction::Kill},
               {RuleMeasure::Span, RuleSource::Omission, 30, 5, 30, RuleAction::Keep}};
    MainConditions b;
    b.digits.sumTailKill[4] = true;
    b.rules = {{RuleMeasure::Digits, RuleSource::Recent, 1, 0, 0, RuleAction::Kill}};
    write(path("a.tarnel"), writeScheme(a, nullptr));
    write(path("b.tarnel"), writeScheme(b, nullptr));
    StateMaker make(3);
    const std::string historyText = randomHistory(make, 40);
    write(path("h.txt"), historyText);

    const CliRun rows = cli({QStringLiteral("rows"), path("a.tarnel")});
    ASSERT_EQ(rows.code, 0) << rows.err;
    const auto list = nlohmann::json::parse(rows.out)["rows"];
    ASSERT_EQ(list.size(), 29u);
    EXPECT_EQ(list[27]["row"], 101);
    EXPECT_EQ(list[27]["name"], "杀 最近 2 期出现过的 和尾");
    EXPECT_EQ(list[28]["row"], 102);
    EXPECT_EQ(list[28]["name"], "保留 遗漏 5–30 期的 跨度");

    const std::vector<int> past = drawsInTimeOrder(readHistory(historyText));
    const CliRun combined =
        cli({QStringLiteral("combine"), path("a.tarnel"), path("b.tarnel"), QStringLiteral("--tolerance"), QStringLiteral("1"),
             QStringLiteral("--history"), path("h.txt")});
    ASSERT_EQ(combined.code, 0) << combined.err;
    const auto doc = nlohmann::json::parse(combined.out);
    const std::vector<NumberSet> results = {mainSurvivors(a, past), mainSurvivors(b, past)};
    EXPECT_NE(results[0], mainSurvivors(a));  // the rules made a difference
    const NumberSet expected = combineResults(results, 1);
    EXPECT_EQ(doc["count"], expected.count());
    EXPECT_EQ(doc["schemes"][0]["count"], results[0].count());
    EXPECT_EQ(doc["schemes"][1]["count"], results[1].count());
    expectOneLineRefusal(cli({QStringLiteral("combine"), path("a.tarnel"), path("b.tarnel")}));
}

TEST_F(CliRules, HistoryOptionRefusals) {
    MainConditions a;
    a.rules = {{RuleMeasure::Sum, RuleSource::Recent, 1, 0, 0, RuleAction::Kill}};
    write(path("a.tarnel"), writeScheme(a, nullptr));
    write(path("h.txt"), "582\n");
    write(path("bin.txt"), std::string("582\0", 4));
    const QString h = QStringLiteral("--history");
    expectOneLineRefusal(cli({QStringLiteral("run"), path("a.tarnel"), h}));
    expectOneLineRefusal(cli({QStringLiteral("run"), path("a.tarnel"), h, path("none.txt")}));
    expectOneLineRefusal(cli({QStringLiteral("run"), path("a.tarnel"), h, path("bin.txt")}));
    expectOneLineRefusal(cli({QStringLiteral("run"), QStringLiteral("-"), h, QStringLiteral("-")}));
    expectOneLineRefusal(cli({QStringLiteral("backtest"), path("a.tarnel"), path("h.txt"), h, path("h.txt")}));
    expectOneLineRefusal(cli({QStringLiteral("rows"), path("a.tarnel"), h, path("h.txt")}));
    // The two-star window has no rules: it needs no history.
    const TwoStarConditions two = twoStarStartState();
    write(path("two.tarnel"), writeScheme(a, &two));
    EXPECT_EQ(cli({QStringLiteral("run"), path("two.tarnel"), QStringLiteral("--window"), QStringLiteral("F2d")}).code, 0);
    // One draw is enough for a rule of one draw: 582 has the sum 15.
    const CliRun r = cli({QStringLiteral("run"), path("a.tarnel"), h, path("h.txt")});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["rules"][0]["values"], nlohmann::json::array({15}));
    EXPECT_EQ(doc["rules"][0]["kills"], 73);  // the numbers whose digits add up to 15
    EXPECT_EQ(doc["count"], 1000 - 73);
}

}  // namespace
}  // namespace tarnel
