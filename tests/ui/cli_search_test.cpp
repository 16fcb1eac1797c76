// tarnel-cli search: the JSON line holds the engine's figures for the
// history read in time order (a newest-first table included), with the
// options' defaults; the same seed gives the same bytes, another seed other
// null runs; every bad option is refused with one line.

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <random>

#include "core/analysis/rule_search.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history.h"
#include "core/rules/text.h"
#include "support/cli_run.h"

namespace tarnel {
namespace {

using testing::CliRun;

CliRun cli(const QStringList& args) { return testing::cli(QStringLiteral(TARNEL_CLI), args); }

class CliSearch : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& file, const std::string& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    static void expectOneLineRefusal(const CliRun& r, const std::string& what) {
        EXPECT_EQ(r.code, 2) << what;
        EXPECT_TRUE(r.out.empty()) << what;
        EXPECT_EQ(r.err.rfind("tarnel-cli: ", 0), 0u) << what << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
    }
};

void expectScore(const nlohmann::json& j, const SearchScore& s) {
    EXPECT_EQ(j.at("scored").get<long long>(), s.scored);
    EXPECT_EQ(j.at("hits").get<long long>(), s.hits);
    EXPECT_NEAR(j.at("expected_hits").get<double>(), s.expectedHits(), 1e-9);
    EXPECT_NEAR(j.at("sd_hits").get<double>(), s.sdHits(), 1e-9);
    EXPECT_NEAR(j.at("z").get<double>(), s.z(), 1e-9);
}

TEST_F(CliSearch, PrintsTheEnginesFiguresOnOneLine) {
    // A results table, newest first, each sum tail unlike the one before it
    // in time: the search finds that.
    std::mt19937 rng(7);
    std::vector<int> timeOrder{int(rng() % 1000)};
    while (timeOrder.size() < 400) {
        const int d = int(rng() % 1000);
        if (measureValues(RuleMeasure::SumTail, d) != measureValues(RuleMeasure::SumTail, timeOrder.back()))
            timeOrder.push_back(d);
    }
    std::string text;
    for (std::size_t i = timeOrder.size(); i-- > 0;)
        text += "第" + std::to_string(2026001 + i) + "期 " + numberText(timeOrder[i], 3) + "\r\n";
    write(path("h.txt"), text);
    ASSERT_EQ(drawsInTimeOrder(readHistory(text)), timeOrder);

    const CliRun r = cli({QStringLiteral("search"), path("h.txt"), QStringLiteral("--null"), QStringLiteral("19"),
                          QStringLiteral("--seed"), QStringLiteral("3")});
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    const auto doc = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : doc.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"draws", "training_draws", "holdout_draws", "rules", "training", "holdout",
                                              "null", "p_training", "p_holdout"}));
    const SearchResult want = searchRules(timeOrder, {0.3, 2, 19, 3}, 1);
    EXPECT_EQ(doc["draws"], 400);
    EXPECT_EQ(doc["training_draws"], 280);
    EXPECT_EQ(doc["holdout_draws"], 120);
    ASSERT_FALSE(want.rules.empty());
    EXPECT_EQ(doc["rules"][0].dump(), R"({"measure":"sum_tail","from":"recent","draws":1,"action":"kill"})");
    EXPECT_EQ(doc["rules"].size(), want.rules.size());
    expectScore(doc["training"], want.training);
    expectScore(doc["holdout"], want.holdout);
    EXPECT_EQ(doc["null"], 19);
    EXPECT_EQ(doc["p_training"].get<double>(), want.pTraining);
    EXPECT_EQ(doc["p_holdout"].get<double>(), want.pHoldout);
    EXPECT_NE(r.out.find("\"p_holdout\":0.05}"), std::string::npos) << r.out;  // 1/20, written as it reads
    EXPECT_NE(r.out.find("\"holdout\":{\"scored\":120,"), std::string::npos) << r.out;
}

TEST_F(CliSearch, DefaultsSeedsAndOptions) {
    std::mt19937 rng(11);
    std::string text;
    for (int i = 0; i < 230; ++i) text += numberText(int(rng() % 1000), 3) + "\n";
    write(path("h.txt"), text);
    const std::vector<int> draws = drawsInTimeOrder(readHistory(text));
    const auto run = [&](QStringList args) {
        args.prepend(path("h.txt"));
        args.prepend(QStringLiteral("search"));
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out;
    };
    // The defaults: holdout 0.3, two rules, 99 null runs, seed 1.
    const std::string byDefault = run({});
    EXPECT_EQ(byDefault, run({QStringLiteral("--holdout"), QStringLiteral("0.3"), QStringLiteral("--max-rules"),
                              QStringLiteral("2"), QStringLiteral("--null"), QStringLiteral("99"),
                              QStringLiteral("--seed"), QStringLiteral("1")}));
    EXPECT_EQ(byDefault, run({}));  // the same bytes every time
    const auto doc = nlohmann::json::parse(byDefault);
    const SearchResult want = searchRules(draws, {}, 2);
    EXPECT_EQ(doc["null"], 99);
    EXPECT_EQ(doc["holdout_draws"], 69);
    EXPECT_EQ(doc["p_holdout"].get<double>(), want.pHoldout);
    EXPECT_EQ(doc["p_training"].get<double>(), want.pTraining);

    const auto other = nlohmann::json::parse(run({QStringLiteral("--seed"), QStringLiteral("18446744073709551615"),
                                                  QStringLiteral("--holdout"), QStringLiteral("0.5"),
                                                  QStringLiteral("--max-rules"), QStringLiteral("5")}));
    const SearchResult otherWant = searchRules(draws, {0.5, 5, 99, 18446744073709551615ULL}, 2);
    EXPECT_EQ(other["holdout_draws"], 115);
    EXPECT_EQ(other["rules"].size(), otherWant.rules.size());
    EXPECT_EQ(other["p_holdout"].get<double>(), otherWant.pHoldout);

    // No null runs: p is 1/1.
    const auto none = nlohmann::json::parse(run({QStringLiteral("--null"), QStringLiteral("0")}));
    EXPECT_EQ(none["null"], 0);
    EXPECT_EQ(none["p_training"], 1);
    EXPECT_EQ(none["p_holdout"], 1);
}

TEST_F(CliSearch, RefusesBadOptionsWithOneLine) {
    write(path("h.txt"), "123\n456\n");
    const QString h = path("h.txt");
    const std::vector<QStringList> bad = {
        {QStringLiteral("search")},
        {QStringLiteral("search"), h, h},
        {QStringLiteral("search"), path("missing.txt")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("0")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("1")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("1.5")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("-0.3")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("3e-1")},
        {QStringLiteral("search"), h, QStringLiteral("--holdout"), QStringLiteral("abc")},
        {QStringLiteral("search"), h, QStringLiteral("--max-rules"), QStringLiteral("0")},
        {QStringLiteral("search"), h, QStringLiteral("--max-rules"), QStringLiteral("6")},
        {QStringLiteral("search"), h, QStringLiteral("--max-rules"), QStringLiteral("2.0")},
        {QStringLiteral("search"), h, QStringLiteral("--null"), QStringLiteral("10000")},
        {QStringLiteral("search"), h, QStringLiteral("--null"), QStringLiteral("-1")},
        {QStringLiteral("search"), h, QStringLiteral("--null"), QStringLiteral("99999999999999999999999")},
        {QStringLiteral("search"), h, QStringLiteral("--seed"), QStringLiteral("18446744073709551616")},
        {QStringLiteral("search"), h, QStringLiteral("--seed"), QStringLiteral("+1")},
        {QStringLiteral("search"), h, QStringLiteral("--seed"), QString()},
        {QStringLiteral("search"), h, QStringLiteral("--tolerance"), QStringLiteral("1")},
        {QStringLiteral("search"), h, QStringLiteral("--bogus")},
    };
    for (const QStringList& args : bad) expectOneLineRefusal(cli(args), args.join(' ').toStdString());

    const CliRun help = cli({QStringLiteral("search"), QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("用法：tarnel-cli search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S]", 0), 0u)
        << help.out;
    const CliRun whole = cli({QStringLiteral("--help")});
    EXPECT_NE(whole.out.find("\n  search "), std::string::npos);
}

}  // namespace
}  // namespace tarnel
