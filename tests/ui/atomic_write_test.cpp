// A writer killed in the middle of writing a file leaves the old file byte
// for byte: schemes, exported results, the remembered history and the
// settings. The writer is tests/helpers/atomic_writer.cpp; it says over a
// pipe when the old file is in place and (for the plain kill) when half of
// the new one is written, so nothing here waits on a clock.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <random>

#include "core/files/scheme.h"
#include <gtest/gtest.h>

namespace {

QString readLine(QProcess& p) {
    while (!p.canReadLine())
        if (!p.waitForReadyRead(60000)) return QString();
    return QString::fromUtf8(p.readLine()).trimmed();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The size of the file the process has open in `dir` other than `target`,
// as /proc shows it (a file opened with O_TMPFILE has no name yet); -1 if none.
qint64 openTemporarySize(qint64 pid, const QString& dir, const QString& target) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::Files | QDir::System)) {
        const QString link = fd.symLinkTarget();
        if (link.startsWith(dir + QLatin1Char('/')) && link != target) return QFileInfo(fd.absoluteFilePath()).size();
    }
    return -1;
}

struct Outcome {
    QString path;
    QByteArray before, after;
    QProcess::ExitStatus status = QProcess::NormalExit;
    int code = 0;
    qint64 halfSize = -1;  // kill mode: the temporary file's size when killed
};

Outcome killWriter(const QString& mode, const QTemporaryDir& dir) {
    Outcome o;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(TARNEL_ATOMIC_WRITER), {mode, dir.path()});
    if (!p.waitForStarted()) return o;
    o.path = readLine(p);
    o.before = fileBytes(o.path);
    p.write("go\n");
    if (mode == QLatin1String("kill")) {
        if (readLine(p) == QLatin1String("half"))
            o.halfSize = openTemporarySize(p.processId(), QFileInfo(o.path).absolutePath(), o.path);
        p.kill();  // SIGKILL
    }
    p.waitForFinished(60000);
    o.status = p.exitStatus();
    o.code = p.exitCode();
    o.after = fileBytes(o.path);
    return o;
}

class KilledWriter : public ::testing::TestWithParam<const char*> {};

TEST_P(KilledWriter, LeavesTheOldFileByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString mode = QString::fromLatin1(GetParam());
    const Outcome o = killWriter(mode, dir);
    ASSERT_FALSE(o.path.isEmpty()) << "the writer never announced its file";
    ASSERT_FALSE(o.before.isEmpty()) << "no old file at " << o.path.toStdString();
    // Killed while writing, by the test or by the kernel at the size cap.
    EXPECT_EQ(o.status, QProcess::CrashExit);
    EXPECT_EQ(o.code, mode == QLatin1String("kill") ? SIGKILL : SIGXFSZ);
    if (mode == QLatin1String("kill")) {
        EXPECT_EQ(o.halfSize, qint64(1) << 20);
    }
    EXPECT_EQ(o.after, o.before) << "the old file changed: " << o.after.size() << " bytes now, "
                                 << o.before.size() << " before";
}

INSTANTIATE_TEST_SUITE_P(EveryFileTheProgramWrites, KilledWriter,
                         ::testing::Values("kill", "scheme", "export", "history", "settings", "last"));

// The last conditions are written over and over while the program runs:
// killed at any moment, the file is always one whole scheme.
TEST(KilledWriter, LeavesWholeLastConditionsAtAnyMoment) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 12; ++round) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(TARNEL_ATOMIC_WRITER), {QStringLiteral("last-loop"), dir.path()});
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_EQ(readLine(p), QStringLiteral("writing")) << "round " << round;
        QTest::qSleep(std::uniform_int_distribution<int>(0, 400)(rng));
        p.kill();
        p.waitForFinished(60000);
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
        const QByteArray bytes = fileBytes(dir.filePath(QStringLiteral("data/last.tarnel")));
        const tarnel::SchemeReading reading = tarnel::readScheme(std::string_view(bytes.constData(), size_t(bytes.size())));
        ASSERT_TRUE(reading.scheme) << "round " << round << ": " << reading.error << " (" << bytes.size() << " bytes)";
        EXPECT_GT(reading.scheme->main.sources.baseList.size(), std::size_t(300) << 10);
    }
}

}  // namespace
