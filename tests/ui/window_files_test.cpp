// The window file reader on this system: regular files are read whole, up
// to the limit and with any name; folders, missing files, pipes and devices
// are refused with a sentence that names the file, at once.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <string>

#include "ui/document/window_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tarnel {
namespace {

std::string utf8(const QString& s) { return s.toStdString(); }

QString write(const QTemporaryDir& dir, const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
    return path;
}

// Regular files of random sizes around the limit, some with Chinese names:
// read byte for byte when at most the limit, refused as too large above it.
TEST(WindowFiles, RegularFilesAreReadWholeUpToTheLimit) {
    QTemporaryDir dir;
    std::mt19937 rng(37);
    for (int round = 0; round < 40; ++round) {
        const std::size_t limit = 1 + rng() % 200000;
        const std::size_t size = round % 4 == 0 ? limit : round % 4 == 1 ? limit + 1 : rng() % (limit * 2);
        std::string bytes(size, '\0');
        for (char& c : bytes) c = char(rng());
        const QString name = round % 2 ? QStringLiteral("开奖历史 %1.txt").arg(round) : QStringLiteral("h%1.txt").arg(round);
        const QString path = write(dir, name, bytes);
        const FileBytes got = readWindowFile(path, limit);
        if (size <= limit) {
            ASSERT_TRUE(got.bytes.has_value()) << got.error;
            EXPECT_EQ(*got.bytes, bytes);
            EXPECT_TRUE(got.error.empty());
        } else {
            EXPECT_FALSE(got.bytes.has_value());
            EXPECT_NE(got.error.find("过大"), std::string::npos) << got.error;
            EXPECT_NE(got.error.find(utf8(path)), std::string::npos) << got.error;
        }
    }
    // An empty file is an empty text.
    const FileBytes empty = readWindowFile(write(dir, QStringLiteral("空.txt"), {}), 10);
    ASSERT_TRUE(empty.bytes.has_value());
    EXPECT_TRUE(empty.bytes->empty());
}

TEST(WindowFiles, FoldersAndMissingFilesAreRefusedWithTheirNames) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("方案"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const FileBytes f = readWindowFile(folder, 1000);
    EXPECT_FALSE(f.bytes.has_value());
    EXPECT_NE(f.error.find("是一个文件夹"), std::string::npos) << f.error;
    const QString missing = dir.filePath(QStringLiteral("没有这个文件.txt"));
    const FileBytes m = readWindowFile(missing, 1000);
    EXPECT_FALSE(m.bytes.has_value());
    EXPECT_NE(m.error.find("文件不存在或没有读取权限"), std::string::npos) << m.error;
    EXPECT_NE(m.error.find(utf8(missing)), std::string::npos) << m.error;
}

// A pipe with no writer and a device are refused at once, not waited on.
TEST(WindowFiles, PipesAndDevicesAreRefused) {
    std::vector<QString> refused;
#ifdef _WIN32
    // A named pipe whose server never writes, and the null and console devices.
    const QString pipe = QStringLiteral("\\\\.\\pipe\\tarnel-window-files-%1").arg(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeW(reinterpret_cast<const wchar_t*>(pipe.utf16()), PIPE_ACCESS_OUTBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    refused = {pipe, QStringLiteral("NUL"), QStringLiteral("CONIN$")};
#else
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("管道"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    refused = {fifo, QStringLiteral("/dev/null"), QStringLiteral("/dev/zero")};
#endif
    for (const QString& path : refused) {
        const FileBytes got = readWindowFile(path, 1000);
        EXPECT_FALSE(got.bytes.has_value()) << utf8(path);
        EXPECT_FALSE(got.error.empty()) << utf8(path);
    }
#ifdef _WIN32
    CloseHandle(server);
#endif
}

}  // namespace
}  // namespace tarnel
