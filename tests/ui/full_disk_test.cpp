// A full disk never costs a file: every file the program writes, saved on a
// disk that fills up midway or fails the final sync, is refused with a
// message in Chinese, the old file stays byte for byte, and nothing says it
// was saved. The disk is tests/helpers/full_disk_shim.cpp, preloaded into
// the writer tests/helpers/full_disk_writer.cpp.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef TARNEL_FULL_DISK_SHIM  // not on Windows

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Outcome {
    QString path;
    QByteArray before, after;
    QStringList lines;  // what the writer said after the save
    int code = -1;
    QString value(const QString& key) const {
        for (const QString& line : lines)
            if (line.startsWith(key + QLatin1Char(' '))) return line.mid(key.size() + 1);
        return QStringLiteral("(none)");
    }
};

Outcome writeOnFullDisk(const QString& mode, const QTemporaryDir& dir) {
    Outcome o;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TARNEL_FULL_DISK_SHIM));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("verify_asan_link_order=0:detect_leaks=0"));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(TARNEL_FULL_DISK_WRITER), {mode, dir.path()});
    if (!p.waitForStarted()) return o;
    while (!p.canReadLine() && p.waitForReadyRead(60000)) {
    }
    o.path = QString::fromUtf8(p.readLine()).trimmed();
    o.before = fileBytes(o.path);
    p.write("go\n");
    p.closeWriteChannel();
    p.waitForFinished(120000);
    o.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) o.lines << QString::fromUtf8(line);
    o.after = fileBytes(o.path);
    return o;
}

class FullDisk : public ::testing::TestWithParam<const char*> {};

TEST_P(FullDisk, RefusesWithAMessageAndKeepsTheOldFile) {
    for (const char* room : {"0", "1000", "sync"}) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString mode = QString::fromLatin1(GetParam());
        const Outcome o = writeOnFullDisk(mode + QLatin1Char('-') + QLatin1String(room), dir);
        const std::string where = mode.toStdString() + " with room " + room;
        ASSERT_EQ(o.code, 0) << where << ": the writer failed (5: the shim is not loaded)";
        ASSERT_FALSE(o.before.isEmpty()) << where;
        EXPECT_EQ(o.value(QStringLiteral("saved")), QStringLiteral("0")) << where << ": reported as saved";
        EXPECT_EQ(o.after, o.before) << where << ": the old file changed: " << o.after.size() << " bytes now, "
                                     << o.before.size() << " before";
        // Said in words, naming the cause.
        const QString said = o.lines.join(QLatin1Char('\n'));
        EXPECT_TRUE(said.contains(QStringLiteral("磁盘已满"))) << where << ": " << said.toStdString();
        if (mode == QLatin1String("scheme") || mode == QLatin1String("saveas")) {
            EXPECT_TRUE(o.value(QStringLiteral("title")).contains(QLatin1Char('*'))) << where << ": the title shows it saved";
            EXPECT_EQ(o.value(QStringLiteral("modified")), QStringLiteral("1")) << where;
            EXPECT_TRUE(said.contains(QStringLiteral("原有文件未被改动"))) << where;
        }
        // No temporary file is left beside it.
        const QStringList beside = QFileInfo(o.path).dir().entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : beside) EXPECT_FALSE(name.contains(QStringLiteral(".tmp"))) << where << ": " << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFileTheProgramWrites, FullDisk,
                         ::testing::Values("scheme", "saveas", "last", "history", "export", "numbers", "settings"));

}  // namespace

#endif
