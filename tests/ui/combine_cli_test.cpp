// tarnel-cli combine against tarnel-cli run of each scheme alone, and its
// refusals: one line on standard error, exit 2, nothing on standard output.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "core/files/scheme.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

struct CliAnswer {
    int code = -1;
    std::string out;
    std::string err;
};

CliAnswer cli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(TARNEL_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(20000)) return {};
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

class CombineCli : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), qsizetype(bytes.size()));
        return path;
    }
};

TEST_F(CombineCli, KeepsWhatEnoughOfTheSchemesRunAloneKeep) {
    StateMaker make(2605);
    const QString history = write(QStringLiteral("h.txt"), "2026001 5 8 2\n2026002 123\n");
    int telling = 0;
    for (int round = 0; round < 8; ++round) {
        const int n = 2 + make.below(4);
        QStringList paths;
        std::vector<std::set<std::string>> alone;
        for (int i = 0; i < n; ++i) {
            paths << write(QStringLiteral("s%1.tarnel").arg(i), writeScheme(make.main(0.01), nullptr));
            const CliAnswer run = cli({QStringLiteral("run"), paths.back()});
            ASSERT_EQ(run.code, 0) << run.err;
            const auto doc = nlohmann::json::parse(run.out);
            alone.emplace_back(doc["numbers"].begin(), doc["numbers"].end());
        }
        const int k = make.below(n);
        QStringList args = QStringList{QStringLiteral("combine")} + paths;
        if (k > 0 || make.chance(0.5)) args << QStringLiteral("--tolerance") << QString::number(k);
        if (make.chance(0.5)) args << QStringLiteral("--history") << history;
        const CliAnswer combined = cli(args);
        ASSERT_EQ(combined.code, 0) << combined.err;
        EXPECT_TRUE(combined.err.empty());
        ASSERT_EQ(std::count(combined.out.begin(), combined.out.end(), '\n'), 1);
        const auto doc = nlohmann::json::parse(combined.out);

        std::map<std::string, int> holders;
        for (const auto& s : alone)
            for (const std::string& number : s) ++holders[number];
        std::vector<std::string> want;
        for (const auto& [number, count] : holders)
            if (count >= n - k) want.push_back(number);
        EXPECT_EQ(doc["numbers"].get<std::vector<std::string>>(), want) << "round " << round;
        EXPECT_EQ(doc["count"].get<std::size_t>(), want.size());
        ASSERT_EQ(doc["schemes"].size(), std::size_t(n));
        for (int i = 0; i < n; ++i) EXPECT_EQ(doc["schemes"][std::size_t(i)]["count"].get<std::size_t>(), alone[std::size_t(i)].size());
        EXPECT_EQ(doc.begin().key(), "count");
        telling += !want.empty() && want.size() < holders.size();
    }
    EXPECT_GE(telling, 2);
}

TEST_F(CombineCli, RefusalsAreOneLineAndExitTwo) {
    const QString a = write(QStringLiteral("a.tarnel"), writeScheme(MainConditions{}, nullptr));
    const QString b = write(QStringLiteral("b.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Check_ac[0]\":1}}");
    const QString bad = write(QStringLiteral("bad.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Check_ac[0]\":2}}");
    const QString binary = write(QStringLiteral("h.bin"), std::string("2026001 582\n\0\x01", 14));
    const QString missing = dir.filePath(QStringLiteral("none.tarnel"));
    const QString c = QStringLiteral("combine");
    const QString t = QStringLiteral("--tolerance");
    const QString h = QStringLiteral("--history");
    const std::vector<QStringList> refused = {
        {c},
        {c, a},
        {c, a, b, t, QStringLiteral("2")},
        {c, a, b, t, QStringLiteral("-1")},
        {c, a, b, t, QStringLiteral("x")},
        {c, a, b, t, QStringLiteral("")},
        {c, a, b, t, QStringLiteral("99999999999")},
        {c, a, b, t},
        {c, a, bad},
        {c, a, missing},
        {c, a, b, h, missing},
        {c, a, b, h, binary},
        {c, a, b, h},
        {c, QStringLiteral("-"), QStringLiteral("-")},
        {c, QStringLiteral("-"), a, h, QStringLiteral("-")},
        {c, a, b, QStringLiteral("--window"), QStringLiteral("F2d")},
    };
    for (const QStringList& args : refused) {
        const CliAnswer answer = cli(args, QByteArray::fromStdString(writeScheme(MainConditions{}, nullptr)));
        const std::string shown = args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(answer.code, 2) << shown;
        EXPECT_TRUE(answer.out.empty()) << shown;
        EXPECT_EQ(answer.err.rfind("tarnel-cli: ", 0), 0u) << shown << ": " << answer.err;
        EXPECT_EQ(std::count(answer.err.begin(), answer.err.end(), '\n'), 1) << shown;
    }
    // The refused scheme is named, with the reason.
    const CliAnswer named = cli({c, a, bad});
    EXPECT_NE(named.err.find("bad.tarnel"), std::string::npos) << named.err;
    EXPECT_NE(named.err.find("Check_ac[0]"), std::string::npos) << named.err;

    // A scheme from standard input, and K at the top of its range: the union.
    const CliAnswer piped = cli({c, QStringLiteral("-"), b, t, QStringLiteral("1")},
                                QByteArray::fromStdString(writeScheme(MainConditions{}, nullptr)));
    ASSERT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(nlohmann::json::parse(piped.out)["count"], 1000);
}

}  // namespace
}  // namespace tarnel
