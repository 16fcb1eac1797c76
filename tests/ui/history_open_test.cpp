// Opening a large history file in 开奖历史: the window's event loop keeps
// turning while the file is read and while the box is read, 取消 gives up
// on the file and leaves the box, the draws and history.txt as they were,
// and what is opened in the end is what a plain reading of the file gives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "core/files/history.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "ui/windows/history_window.h"

namespace tarnel {
namespace {

struct HistoryStore {
    QTemporaryDir store;
};

class HistoryOpenTest : public HistoryStore, public MainWindowFixture {
protected:
    HistoryOpenTest() { HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt"))); }

    // About `megabytes` MB of draws, one a line, with a blank line now and then.
    QString writeDraws(const QString& name, int megabytes) {
        QByteArray bytes;
        bytes.reserve(qsizetype(megabytes) << 20);
        for (int i = 0; bytes.size() < (qsizetype(megabytes) << 20); ++i) {
            bytes += QByteArray::number(2000000 + i) + ' ' + QByteArray::fromStdString(numberText(int((qint64(i) * 7919) % 1000), 3)) + "\r\n";
            if (i % 97 == 0) bytes += "\r\n";
        }
        const QString path = store.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static QByteArray fileBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(HistoryOpenTest, CancelWhileAFileIsReadKeepsThePreviousHistory) {
    HistoryWindow* h = w.openHistory();
    const QString mine = QStringLiteral("2026001 2026-01-01 1 2 3\n我的笔记\n2026002 456\n");
    h->setHistoryText(mine);
    h->rereadNow();
    const QByteArray saved = fileBytes(HistoryWindow::storagePath());
    ASSERT_FALSE(saved.isEmpty());
    const QString big = writeDraws(QStringLiteral("big.txt"), 24);
    services.takeMessages();

    // The first turn of the event loop presses 取消: it comes only if the
    // window waits for the file with its event loop turning.
    bool turned = false;
    QTimer::singleShot(0, h, [&] {
        turned = true;
        h->cancelOpening();
    });
    EXPECT_FALSE(h->openHistoryFile(big));
    EXPECT_TRUE(turned);
    EXPECT_TRUE(services.takeMessages().empty());
    EXPECT_EQ(h->historyText(), mine);
    EXPECT_EQ(h->history().draws.size(), 2u);
    EXPECT_FALSE(h->isReading());
    EXPECT_EQ(fileBytes(HistoryWindow::storagePath()), saved);

    // Opened without 取消, the file is read whole, as a plain reading reads it.
    services.setYesNoAnswer(true);
    int ticks = 0, ticksWhileReading = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        if (h->isReading()) ++ticksWhileReading;
    });
    ticker.start();
    ASSERT_TRUE(h->openHistoryFile(big));
    ticker.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_GT(ticksWhileReading, 0) << "the box was read with the event loop stopped";
    EXPECT_EQ(services.takeMessages().size(), 1);  // the question whether to replace
    const QByteArray bytes = fileBytes(big);
    const History plain = readHistory(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    EXPECT_EQ(h->history().draws.size(), plain.draws.size());
    EXPECT_EQ(h->history().draws.back().number, plain.draws.back().number);
    EXPECT_EQ(h->history().draws.back().line, plain.draws.back().line);
    EXPECT_FALSE(h->isReading());
}

}  // namespace
}  // namespace tarnel
