// The windows against outside input that could cost the player a history or
// block them: one size limit for a history from any source, a remembered
// history that cannot be read kept aside rather than overwritten, and pipes
// refused by every opening of a file instead of waited on.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "ui/widgets/text_boxes.h"
#include "main_window_fixture.h"
#include "ui/windows/history_window.h"

namespace tarnel {
namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

#ifndef _WIN32
// Stands by while a window opens a pipe. Should the window wait for a
// writer, the watchdog becomes one after a few seconds and closes at once,
// so that the reading ends and the test fails instead of hanging.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString& path) : path_(QFile::encodeName(path)), thread_([this] { watch(); }) {}
    ~PipeWatchdog() { stop(); }
    // Whether the window had to be set free.
    bool stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return freed_;
    }

private:
    void watch() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!done_) {
            // Succeeds only while someone has the pipe open for reading.
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                freed_ = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    QByteArray path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> freed_{false};
    std::thread thread_;
};
#endif

struct Folders {
    QTemporaryDir store;  // where the history is remembered
    QTemporaryDir dir;    // the player's files
};

class HistoryLimitsTest : public Folders, public MainWindowFixture {
protected:
    HistoryLimitsTest() {
        HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt")));
        QDir().mkpath(store.filePath(QStringLiteral("data")));
    }
    static QString stored() { return HistoryWindow::storagePath(); }
    static QStringList keptAside() {
        return QDir(QFileInfo(stored()).absolutePath())
            .entryList({QStringLiteral("history.txt.unreadable-*")}, QDir::AllEntries | QDir::System);
    }
#ifndef _WIN32
    QString makePipe(const QString& path) {
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
        return path;
    }
#endif
};

TEST_F(HistoryLimitsTest, ARememberedHistoryThatCannotBeReadIsKeptAsideAndReported) {
    // One byte over the limit (a sparse file), as an earlier version could have saved.
    {
        QFile f(stored());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("2026001 111\n");
    }
    const qint64 size = qint64(kHistoryMaxBytes) + 1;
    ASSERT_TRUE(QFile::resize(stored(), size));

    HistoryWindow* h = w.openHistory();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    const QStringList aside = keptAside();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(messages[0].text.contains(aside[0])) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("64 MB"))) << messages[0].text.toStdString();
    EXPECT_TRUE(h->statusText().contains(aside[0])) << h->statusText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(stored()));
    const QString asidePath = QFileInfo(stored()).absolutePath() + QLatin1Char('/') + aside[0];
    EXPECT_EQ(QFileInfo(asidePath).size(), size);

    // Typing then saves a new history.txt; the one kept aside stays as it was.
    h->setHistoryText(QStringLiteral("2026001 582"));
    h->rereadNow();
    EXPECT_EQ(fileBytes(stored()), QByteArray("2026001 582"));
    EXPECT_EQ(QFileInfo(asidePath).size(), size);
    EXPECT_TRUE(fileBytes(asidePath).startsWith("2026001 111\n"));

    // The next start reads the new one without a word, and leaves the old one be.
    w.close();
    RecordingUiServices s2;
    MainWindow next(s2);
    HistoryWindow* h2 = next.openHistory();
    EXPECT_TRUE(s2.takeMessages().isEmpty());
    EXPECT_EQ(h2->historyText(), QStringLiteral("2026001 582"));
    EXPECT_EQ(h2->history().draws.size(), 1u);
    EXPECT_EQ(keptAside(), aside);
}

TEST_F(HistoryLimitsTest, AHistoryOverTheLimitIsRefusedBeforeAnythingIsSaved) {
    HistoryWindow* h = w.openHistory();
    const QString mine = QStringLiteral("2026001 582\n");
    h->setHistoryText(mine);
    h->rereadNow();
    ASSERT_EQ(fileBytes(stored()), mine.toUtf8());
    services.takeMessages();
    auto* box = h->findChild<MultiLineBox*>(QStringLiteral("T_ls_haoma"));
    ASSERT_TRUE(box);

    // Three bytes each in UTF-8: a paste one character over the limit.
    const QString huge(qsizetype(kHistoryMaxBytes / 3) + 1, QChar(0x4E2D));
    QGuiApplication::clipboard()->setText(huge);
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    box->paste();
    auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("64 MB"))) << messages[0].text.toStdString();
    EXPECT_EQ(h->historyText(), mine);
    // A paste that fits, in place of the selection, goes in.
    QGuiApplication::clipboard()->setText(QStringLiteral("2026002 111\n"));
    box->selectAll();
    box->paste();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_EQ(h->historyText(), QStringLiteral("2026002 111\n"));
    h->setHistoryText(mine);
    h->rereadNow();
    QGuiApplication::clipboard()->clear();

    // A text over the limit got in some other way (typed on to it) is
    // neither read nor saved; history.txt keeps the last one within it.
    h->setHistoryText(mine + huge);
    h->rereadNow();
    EXPECT_TRUE(h->statusText().contains(QStringLiteral("超过 64 MB"))) << h->statusText().left(200).toStdString();
    EXPECT_TRUE(h->history().draws.empty());
    EXPECT_EQ(fileBytes(stored()), mine.toUtf8());
    // Nor when the window closes with it.
    h->setHistoryText(huge + mine);
    w.close();
    delete h;
    EXPECT_EQ(fileBytes(stored()), mine.toUtf8());
}

// FIFOs in the file system are a POSIX thing (Windows' named pipes are
// refused by the file reader itself: window_files_test.cpp).
#ifndef _WIN32
TEST_F(HistoryLimitsTest, PipesAreRefusedAtOnceByEveryOpeningOfAFile) {
    HistoryWindow* h = w.openHistory();
    const QString mine = QStringLiteral("2026001 582\n");
    h->setHistoryText(mine);
    h->rereadNow();
    services.takeMessages();
    const MainConditions before = w.conditions();

    // A scheme: the file menu's recent list, a drop and `tarnel FILE` all open it so.
    const QString scheme = makePipe(dir.filePath(QStringLiteral("方案.tarnel")));
    {
        PipeWatchdog dog(scheme);
        EXPECT_FALSE(w.openSchemeFile(scheme));
        EXPECT_FALSE(dog.stop()) << "the window waited for a writer";
    }
    auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("不是普通文件"))) << messages[0].text.toStdString();
    EXPECT_TRUE(w.conditions() == before);

    // A history file.
    const QString draws = makePipe(dir.filePath(QStringLiteral("draws.txt")));
    {
        PipeWatchdog dog(draws);
        EXPECT_FALSE(h->openHistoryFile(draws));
        EXPECT_FALSE(dog.stop()) << "the window waited for a writer";
    }
    messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("不是普通文件"))) << messages[0].text.toStdString();
    EXPECT_EQ(h->historyText(), mine);

    // The remembered history itself: kept aside (still a pipe), not waited on.
    w.close();
    HistoryWindow::setStoragePath(store.filePath(QStringLiteral("piped/history.txt")));
    QDir().mkpath(store.filePath(QStringLiteral("piped")));
    makePipe(stored());
    RecordingUiServices s2;
    MainWindow next(s2);
    {
        PipeWatchdog dog(stored());
        HistoryWindow* h2 = next.openHistory();
        EXPECT_FALSE(dog.stop()) << "the window waited for a writer";
        EXPECT_TRUE(h2->historyText().isEmpty());
    }
    EXPECT_EQ(s2.takeMessages().size(), 1);
    const QStringList aside = keptAside();
    ASSERT_EQ(aside.size(), 1);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(stored()).absolutePath() + QLatin1Char('/') + aside[0]).constData(),
                      &info),
              0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_FALSE(QFileInfo(stored()).isSymLink() || QFileInfo::exists(stored()));
}

#endif

}  // namespace
}  // namespace tarnel
