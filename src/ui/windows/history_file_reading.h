#pragma once
// Opening a history file for the 开奖历史 window away from the window's
// thread: the file is read, decoded and its draws counted on a worker, step
// by step, so that a file of tens of megabytes neither stops the window nor
// keeps the player from giving up on it.

#include <QFuture>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <optional>

class QEventLoop;
class QLabel;
class QProgressBar;

namespace tarnel {

struct HistoryFileReading {
    QString error;           // why the file is not opened (one message); empty when it is
    QString text;            // the file's text, decoded
    std::size_t draws = 0;   // the draws the text holds, as the window will read them
    bool converted = false;  // the file was not UTF-8 and was read as GB18030
};

// A size as the history window states it: "12.3 MB".
QString megabytes(std::size_t bytes);

// How far a reading is, in thousandths, reported as it goes.
inline constexpr int kHistoryReadingSteps = 1000;

// Starts reading `path` on a worker; the future reports its progress (0 to
// kHistoryReadingSteps) and stops early once cancelled.
QFuture<HistoryFileReading> readHistoryFileAway(const QString& path);

// The row that shows a file being opened: what is done, how far, and 取消.
class HistoryReadingBar : public QWidget {
    Q_OBJECT
public:
    explicit HistoryReadingBar(QWidget* parent);
    // Follows `future` until it ends or the player cancels it; returns its
    // result, or nothing when cancelled. The event loop keeps turning.
    std::optional<HistoryFileReading> follow(const QString& fileName, QFuture<HistoryFileReading> future);
    // Gives up on the reading being followed, as 取消 does.
    void cancel();

private:
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QEventLoop* loop_ = nullptr;  // the wait under way
    bool cancelled_ = false;
};

}  // namespace tarnel
