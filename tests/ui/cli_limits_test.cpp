// tarnel-cli at the edges of its input and output: standard input read no
// further than the limit, FIFOs read as files, a failed write said, and
// every refusal one short line.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/files/history.h"
#include "core/files/scheme.h"

extern char** environ;

namespace tarnel {
namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

Outcome runCli(const QStringList& args, const QString& inputFile = {}, const QString& outputFile = {}) {
    QProcess cli;
    if (!inputFile.isEmpty()) cli.setStandardInputFile(inputFile);
    if (!outputFile.isEmpty()) cli.setStandardOutputFile(outputFile);
    cli.start(QStringLiteral(TARNEL_CLI), args);
    if (inputFile.isEmpty()) cli.closeWriteChannel();
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
        return {};
    }
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(), cli.readAllStandardError().toStdString()};
}

// Runs a shell line with the tool's path as $0 and `args` as $1….
Outcome runShell(const QString& line, const QStringList& args) {
    QProcess shell;
    shell.start(QStringLiteral("/bin/bash"), QStringList{QStringLiteral("-c"), line, QStringLiteral(TARNEL_CLI)} + args);
    if (!shell.waitForFinished(60000)) {
        shell.kill();
        shell.waitForFinished();
        return {};
    }
    return {shell.exitCode(), shell.readAllStandardOutput().toStdString(), shell.readAllStandardError().toStdString()};
}

// One line "tarnel-cli: REASON", short whatever was echoed.
void expectOneShortRefusal(const Outcome& o, const std::string& what) {
    EXPECT_EQ(o.code, 2) << what;
    EXPECT_EQ(o.err.rfind("tarnel-cli: ", 0), 0u) << what << ": " << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << what << ": " << o.err;
    EXPECT_EQ(o.err.find('\r'), std::string::npos) << what;
    EXPECT_LT(o.err.size(), 1000u) << what;
    EXPECT_TRUE(o.out.empty()) << what;
}

class CliLimits : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString write(const char* name, const std::string& bytes) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
        return f.fileName();
    }
    QString okScheme() {
        const TwoStarConditions twoStar = twoStarStartState();
        return write("ok.tarnel", writeScheme(MainConditions{}, &twoStar));
    }
};

// Feeds the tool bytes through a pipe until it stops reading, and says how
// many it took (at most `offered`).
struct Fed {
    int code = -1;
    std::size_t taken = 0;
    std::string err;
};
Fed feed(const std::vector<std::string>& args, std::size_t offered, char byte, const QString& errFile) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const QByteArray errPath = errFile.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> all = {TARNEL_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, TARNEL_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    Fed fed;
    if (spawned != 0) {
        ::close(pipeFds[1]);
        return fed;
    }
    // The tool ending its reading shows as a broken pipe, not as a signal.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    const std::string chunk(std::size_t(1) << 16, byte);
    while (fed.taken < offered) {
        const ssize_t n = ::write(pipeFds[1], chunk.data(), std::min(chunk.size(), offered - fed.taken));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        fed.taken += std::size_t(n);
    }
    ::close(pipeFds[1]);
    std::signal(SIGPIPE, previous);
    int status = 0;
    waitpid(child, &status, 0);
    fed.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile err(errFile);
    if (err.open(QIODevice::ReadOnly)) fed.err = err.readAll().toStdString();
    return fed;
}

TEST_F(CliLimits, StandardInputIsReadNoFurtherThanItsLimit) {
    static_assert(kSchemeMaxBytes == kHistoryMaxBytes);
    const std::size_t offered = kSchemeMaxBytes + (std::size_t(16) << 20);
    const QString scheme = okScheme();
    // What a pipe can hold beyond what the tool read.
    const std::size_t slack = std::size_t(1) << 20;
    for (const auto& args : {std::vector<std::string>{"run", "-"}, std::vector<std::string>{"explain", "-", "123"},
                             std::vector<std::string>{"backtest", "-", scheme.toStdString()},
                             std::vector<std::string>{"backtest", scheme.toStdString(), "-"}}) {
        const Fed fed = feed(args, offered, '0', path("err.txt"));
        const std::string what = args[0] + " " + args[1];
        EXPECT_EQ(fed.code, 2) << what;
        EXPECT_LE(fed.taken, kSchemeMaxBytes + 1 + slack) << what;
        expectOneShortRefusal({fed.code, {}, fed.err}, what);
        EXPECT_NE(fed.err.find("过大"), std::string::npos) << fed.err;
    }
    // Within the limit, standard input is read whole.
    const Outcome history = runShell(QStringLiteral("printf '2026001 582\\n2026002 123\\n' | \"$0\" backtest \"$1\" -"), {scheme});
    ASSERT_EQ(history.code, 0) << history.err;
    EXPECT_EQ(nlohmann::json::parse(history.out)["total"], 2);
}

TEST_F(CliLimits, EndlessStandardInputIsRefused) {
    if (!QFile::exists(QStringLiteral("/dev/zero"))) GTEST_SKIP() << "no /dev/zero";
    const QString scheme = okScheme();
    expectOneShortRefusal(runCli({QStringLiteral("run"), QStringLiteral("-")}, QStringLiteral("/dev/zero")), "run -");
    expectOneShortRefusal(runCli({QStringLiteral("backtest"), scheme, QStringLiteral("-")}, QStringLiteral("/dev/zero")),
                          "backtest history -");
}

TEST_F(CliLimits, FifosAreReadAsFilesUnderTheSameLimit) {
    const QString scheme = okScheme();
    const QString history = write("history.txt", "2026001 582\n2026002 123\nx\n");
    const Outcome direct = runCli({QStringLiteral("backtest"), scheme, history});
    ASSERT_EQ(direct.code, 0) << direct.err;
    const Outcome piped = runShell(QStringLiteral("\"$0\" backtest <(cat \"$1\") <(cat \"$2\")"), {scheme, history});
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(piped.out, direct.out);
    const Outcome run = runShell(QStringLiteral("\"$0\" run <(cat \"$1\") --window F2d"), {scheme});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["count"], 100);
    expectOneShortRefusal(runShell(QStringLiteral("\"$0\" run <(head -c %1 /dev/zero)").arg(kSchemeMaxBytes + 1), {}),
                          "run FIFO");
    expectOneShortRefusal(
        runShell(QStringLiteral("\"$0\" backtest \"$1\" <(head -c %1 /dev/zero)").arg(kHistoryMaxBytes + 1), {scheme}),
        "backtest FIFO");
}

TEST_F(CliLimits, AnAnswerThatCannotBeWrittenIsSaid) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
    const QString scheme = okScheme();
    for (const QStringList& args : {QStringList{QStringLiteral("run"), scheme},
                                    QStringList{QStringLiteral("explain"), scheme, QStringLiteral("123")}}) {
        const Outcome o = runCli(args, {}, QStringLiteral("/dev/full"));
        expectOneShortRefusal(o, args.join(QLatin1Char(' ')).toStdString());
        EXPECT_NE(o.err.find("标准输出"), std::string::npos) << o.err;
    }
}

TEST_F(CliLimits, ToleranceIsForTheMainWindowOnly) {
    const QString scheme = okScheme();
    const QString history = write("history.txt", "2026001 582\n");
    ASSERT_EQ(runCli({QStringLiteral("run"), scheme, QStringLiteral("--window"), QStringLiteral("F2d")}).code, 0);
    ASSERT_EQ(runCli({QStringLiteral("run"), scheme, QStringLiteral("--tolerance"), QStringLiteral("3")}).code, 0);
    const QStringList f2d = {QStringLiteral("--window"), QStringLiteral("F2d")};
    const QStringList tolerance = {QStringLiteral("--tolerance"), QStringLiteral("3")};
    for (const QStringList& options : {f2d + tolerance, tolerance + f2d}) {
        expectOneShortRefusal(runCli(QStringList{QStringLiteral("run"), scheme} + options), "run F2d tolerance");
        expectOneShortRefusal(runCli(QStringList{QStringLiteral("backtest"), scheme, history} + options),
                              "backtest F2d tolerance");
    }
}

TEST_F(CliLimits, EveryRefusalIsOneShortLine) {
    const QString scheme = okScheme();
    const QString broken = QStringLiteral("a\nb\r") + QString(100000, QLatin1Char('z'));
    const QString twice = write("twice.tarnel", R"({"format":"tarnel-scheme","version":1,"F\nmain":1,"F\nmain":2})");
    const std::string hugeKey = std::string(1 << 20, 'k');
    const QString huge = write("huge.tarnel", R"({"format":"tarnel-scheme","version":1,"Fmain":{")" + hugeKey +
                                                  R"(\r\n":1,")" + hugeKey + R"(\r\n":1}})");
    const std::vector<QStringList> bad = {
        {QStringLiteral("run"), twice},
        {QStringLiteral("run"), huge},
        {QStringLiteral("run"), scheme, QStringLiteral("--window"), broken},
        {QStringLiteral("run"), scheme, QStringLiteral("--tolerance"), broken},
        {QStringLiteral("run"), scheme, QStringLiteral("--") + broken},
        {QStringLiteral("explain"), scheme, broken},
        {broken, scheme},
        {QStringLiteral("run"), dir.filePath(broken)},
    };
    for (const QStringList& args : bad) expectOneShortRefusal(runCli(args), args.join(QLatin1Char(' ')).left(40).toStdString());
}

}  // namespace
}  // namespace tarnel
