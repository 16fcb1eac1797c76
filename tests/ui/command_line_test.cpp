// The command lines: `tarnel --help` and `--version` answer without a
// window, also where there is no display; `tarnel-cli` prints its usage on
// request and keeps errors to one line.

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out, err;
};

Result runProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    Result r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.status = p.exitStatus();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// No display at all: no X, no Wayland, and the platform left to its default
// (or set to xcb, as on a desktop).
QProcessEnvironment noDisplay(const QString& platform) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    if (!platform.isEmpty()) env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return env;
}

TEST(CommandLine, TarnelHelpAndVersionNeedNoDisplay) {
    for (const QString& platform : {QString(), QStringLiteral("xcb")}) {
        const QProcessEnvironment env = noDisplay(platform);
        for (const QString& flag : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const Result r = runProgram(QStringLiteral(TARNEL_APP), {flag}, env);
            EXPECT_EQ(r.status, QProcess::NormalExit) << flag.toStdString();
            EXPECT_EQ(r.code, 0) << flag.toStdString() << ": " << r.err.toStdString();
            EXPECT_TRUE(r.out.startsWith(QStringLiteral("用法：tarnel "))) << r.out.toStdString();
            EXPECT_GE(r.out.count(QLatin1Char('\n')), 4);
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        }
        const Result v = runProgram(QStringLiteral(TARNEL_APP), {QStringLiteral("--version")}, env);
        EXPECT_EQ(v.code, 0) << v.err.toStdString();
        EXPECT_EQ(v.out, QStringLiteral("Tarnel " TARNEL_TEST_VERSION "\n"));
    }
    // Anything else still needs the window, and says why when it cannot start.
    const Result bad = runProgram(QStringLiteral(TARNEL_APP), {QStringLiteral("--no-such-option")},
                                  noDisplay(QStringLiteral("offscreen")));
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("--no-such-option"))) << bad.err.toStdString();
}

TEST(CommandLine, CliPrintsItsUsageOnRequest) {
    const QProcessEnvironment env = noDisplay(QString());
    const auto cli = [&](const QStringList& args) { return runProgram(QStringLiteral(TARNEL_CLI), args, env); };
    const Result whole = cli({QStringLiteral("--help")});
    EXPECT_EQ(whole.code, 0);
    EXPECT_TRUE(whole.err.isEmpty());
    EXPECT_GE(whole.out.count(QLatin1Char('\n')), 10);
    for (const char* command : {"run", "explain", "backtest", "rows", "tickets", "combine"})
        EXPECT_TRUE(whole.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command)))) << command;
    EXPECT_EQ(cli({QStringLiteral("-h")}).out, whole.out);

    for (const char* command : {"run", "explain", "backtest"}) {
        const Result one = cli({QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(one.code, 0) << command;
        EXPECT_TRUE(one.out.startsWith(QStringLiteral("用法：tarnel-cli %1 ").arg(QLatin1String(command))))
            << one.out.toStdString();
        EXPECT_GE(one.out.count(QLatin1Char('\n')), 3);
        // Also after its arguments, whatever they are.
        EXPECT_EQ(cli({QLatin1String(command), QStringLiteral("no-such.tarnel"), QStringLiteral("-h")}).out, one.out);
    }
    const Result version = cli({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("tarnel-cli " TARNEL_TEST_VERSION "\n"));

    // Errors: one line on standard error, exit 2, nothing on standard output.
    for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("--bogus")},
                                    QStringList{QStringLiteral("frobnicate"), QStringLiteral("--help")},
                                    QStringList{QStringLiteral("run")}}) {
        const Result r = cli(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("tarnel-cli: "))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }
}

}  // namespace
