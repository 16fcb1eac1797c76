#include "ui/windows/history_file_reading.h"

#include "core/files/history_file.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include "core/files/history.h"
#include "ui/document/window_files.h"
#include "ui/widgets/controls.h"

namespace tarnel {

namespace {

// The steps of a reading, as shares of the whole: the file, its decoding,
// the count of its draws, and the text the box takes.
constexpr int kReadDone = 200, kDecodeDone = 350, kCountDone = 850;

void readInto(QPromise<HistoryFileReading>& promise, const QString& path) {
    promise.setProgressRange(0, kHistoryReadingSteps);
    HistoryFileReading out;
    const QString name = QFileInfo(path).fileName();
    const auto finish = [&] {
        promise.addResult(std::move(out));
    };
    FileBytes file = readWindowFile(path, kHistoryMaxBytes);
    if (!file.bytes) {
        out.error = fromStd(file.error);
        return finish();
    }
    promise.setProgressValue(kReadDone);
    if (promise.isCanceled()) return;
    // Read as tarnel-cli reads a history: a file that is no text, or a scheme, is refused.
    if (const HistoryFileKind kind = historyFileKind(*file.bytes); kind != HistoryFileKind::Text) {
        out.error = kind == HistoryFileKind::Scheme
                        ? QStringLiteral("“%1”是方案文件，不是开奖历史，没有打开。\r\n要使用这个方案，请在主窗口用“文件 → 打开方案”打开它。")
                              .arg(name)
                        : QStringLiteral("“%1”不是文本文件，没有打开。\r\n请选择每行一期开奖号码的文本文件。").arg(name);
        return finish();
    }
    std::string utf8 = decodeHistoryText(*file.bytes, &out.converted);
    file.bytes.reset();
    if (utf8.size() > kHistoryMaxBytes) {
        out.error = QStringLiteral("“%1”按 GB18030 转为 UTF-8 后有 %2，超过开奖历史 %3 的上限，没有打开。")
                        .arg(name, megabytes(utf8.size()), QStringLiteral("%1 MB").arg(kHistoryMaxBytes >> 20));
        return finish();
    }
    promise.setProgressValue(kDecodeDone);
    // The draws are only counted here (the window reads them again from
    // its box), a line at a time, looking now and then whether to go on.
    HistoryScanner lines(utf8);
    for (std::size_t n = 1; lines.next(); ++n) {
        if (lines.hasDraw()) ++out.draws;
        if (n % 65536 == 0) {
            if (promise.isCanceled()) return;
            const auto done = std::size_t(lines.lineText().data() - utf8.data());
            promise.setProgressValue(kDecodeDone + int(double(kCountDone - kDecodeDone) * double(done) / double(utf8.size())));
        }
    }
    promise.setProgressValue(kCountDone);
    if (promise.isCanceled()) return;
    if (out.draws == 0) {
        out.error = QStringLiteral("“%1”中没有读到开奖号码，框中的内容没有改变。\r\n"
                                   "每行应有三位开奖号码，如“2026001 2026-01-01 5 8 2”。")
                        .arg(name);
        return finish();
    }
    out.text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    promise.setProgressValue(kHistoryReadingSteps);
    finish();
}

}  // namespace

QString megabytes(std::size_t bytes) { return QString::number(double(bytes) / double(1 << 20), 'f', 1) + QStringLiteral(" MB"); }

QFuture<HistoryFileReading> readHistoryFileAway(const QString& path) { return QtConcurrent::run(readInto, path); }

HistoryReadingBar::HistoryReadingBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Frame_ls_dakai"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    caption_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kHistoryReadingSteps);
    bar_->setTextVisible(false);
    bar_->setFixedWidth(120);
    bar_->setMaximumHeight(caption_->fontMetrics().height() + 4);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("C_ls_quxiao"));
    connect(cancel, &QPushButton::clicked, this, &HistoryReadingBar::cancel);
    layout->addWidget(caption_);
    layout->addWidget(bar_);
    layout->addWidget(cancel);
    hide();
}

void HistoryReadingBar::cancel() {
    cancelled_ = true;
    if (loop_) loop_->quit();
}

std::optional<HistoryFileReading> HistoryReadingBar::follow(const QString& fileName, QFuture<HistoryFileReading> future) {
    caption_->setText(QStringLiteral("正在打开“%1”…").arg(fileName));
    bar_->setValue(0);
    cancelled_ = false;
    show();
    {
        // The event loop turns while the worker reads; 取消 ends the wait at
        // once, and the worker stops at its next look and frees what it read.
        QEventLoop loop;
        QFutureWatcher<HistoryFileReading> watcher;
        connect(&watcher, &QFutureWatcherBase::progressValueChanged, bar_, &QProgressBar::setValue);
        connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(future);
        loop_ = &loop;
        const QPointer<HistoryReadingBar> alive(this);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        if (!future.isFinished()) loop.exec();
        if (!alive) {
            future.cancel();  // the window went meanwhile
            return std::nullopt;
        }
        loop_ = nullptr;
    }
    hide();
    if (cancelled_ || future.isCanceled() || future.resultCount() == 0) {
        future.cancel();
        return std::nullopt;
    }
    return future.takeResult();
}

}  // namespace tarnel
