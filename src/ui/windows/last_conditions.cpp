// The last conditions: last.tarnel in the data folder always holds the main
// window's conditions (and the two-star window's while it is open), so that
// neither closing without a scheme file nor a crash loses them. A new start
// shows the start-up state; 文件 → 恢复上次的条件 brings them back.

#include <QAction>
#include <QBoxLayout>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>

#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/ui_services.h"
#include "ui/document/window_files.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {

namespace {

constexpr int kLastWriteGapMs = 1000;  // never more than one write a second

const QString kRestorableNote = QStringLiteral("上次关闭时的条件已保存，可用 文件 → 恢复上次的条件 找回");

// What last.tarnel holds: no file, a scheme, or a file that is no scheme
// (which a restore refuses with its reason).
struct LastFile {
    bool exists = false;
    SchemeReading reading;
    std::string error;  // why it could not be read at all
};

LastFile readLastFile() {
    LastFile last;
    const QString path = MainWindow::lastConditionsPath();
    if (!QFileInfo::exists(path)) return last;
    last.exists = true;
    const FileBytes file = readWindowFile(path, kSchemeMaxBytes);  // a regular file only
    if (!file.bytes)
        last.error = file.error;
    else
        last.reading = readScheme(*file.bytes);
    return last;
}

// Size and modification time of last.tarnel, or "" when there is none.
QString lastFileStamp() {
    const QFileInfo info(MainWindow::lastConditionsPath());
    if (!info.exists()) return QString();
    return QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
}

}  // namespace

QString MainWindow::lastConditionsPath() { return dataFolder() + QStringLiteral("/last.tarnel"); }

void MainWindow::setupLastConditions() {
    // A status bar under everything, shown only while it has something to say.
    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar"));
    status_->setSizeGripEnabled(false);
    status_->hide();
    connect(status_, &QStatusBar::messageChanged, status_,
            [this](const QString& text) { status_->setVisible(!text.isEmpty()); });
    static_cast<QBoxLayout*>(layout())->addWidget(status_);

    startupScheme_ = currentScheme();
    lastWritten_ = startupScheme_;  // nothing to write while nothing changed
    lastTimer_ = new QTimer(this);
    lastTimer_->setSingleShot(true);
    connect(lastTimer_, &QTimer::timeout, this, &MainWindow::writeLastConditions);
    connect(changeTimer_, &QTimer::timeout, this, &MainWindow::scheduleLastWrite);

    updateRestoreLastAction();
    if (restoreLast_->isEnabled()) {
        statusNote_ = kRestorableNote;
        status_->showMessage(statusNote_);
    }
}

void MainWindow::scheduleLastWrite() {
    if (currentScheme() == lastWritten_) {
        lastTimer_->stop();
        return;
    }
    if (lastTimer_->isActive()) return;  // already due within the second
    const qint64 since = lastWriteClock_.isValid() ? lastWriteClock_.elapsed() : kLastWriteGapMs;
    lastTimer_->start(int(std::max<qint64>(0, kLastWriteGapMs - since)));
}

void MainWindow::writeLastConditions() {
    lastTimer_->stop();
    const Scheme scheme = currentScheme();
    if (scheme == lastWritten_) return;
    const std::string bytes = writeScheme(scheme.main, scheme.twoStar ? &*scheme.twoStar : nullptr);
    const QString path = lastConditionsPath();
    QString error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        error = QStringLiteral("无法创建文件夹");
    else
        error = writeFileAtomically(path, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    lastWriteClock_.start();
    ++lastWrites_;
    if (!error.isEmpty()) {
        // Said once; the next changes try again, no more than once a second.
        if (!lastWriteFailed_) {
            lastWriteFailed_ = true;
            statusNote_ = QStringLiteral("无法保存当前条件到“%1”：%2。条件仍在窗口中，可用 文件 → 方案另存为 保存")
                              .arg(QDir::toNativeSeparators(path), error);
            status_->showMessage(statusNote_);
        }
        return;
    }
    lastWritten_ = scheme;
    lastWriteFailed_ = false;
    // The file now holds this session's conditions: a note about the last
    // session's, or about a failed write, no longer holds.
    if (!statusNote_.isEmpty() && status_->currentMessage() == statusNote_) status_->clearMessage();
    statusNote_.clear();
    restoreLast_->setEnabled(!(scheme == startupScheme_));
    lastFileStamp_ = lastFileStamp();  // what it holds is known without reading it
}

void MainWindow::updateRestoreLastAction() {
    // The file is read again only when it changed since the last look (a
    // pasted base list can make it large, and the menu must open at once).
    const QString stamp = lastFileStamp();
    if (!stamp.isEmpty() && stamp == lastFileStamp_) return;
    lastFileStamp_ = stamp;
    const LastFile last = readLastFile();
    // A file that cannot be read or is no scheme stays offered: opening it says why.
    bool differs = false;
    if (last.exists) differs = !last.reading.scheme || !(*last.reading.scheme == startupScheme_);
    restoreLast_->setEnabled(differs);
}

bool MainWindow::restoreLastConditions() {
    if (!mayDiscardSchemeChanges()) return false;
    const LastFile last = readLastFile();
    const QString title = QStringLiteral("错误提示");
    if (!last.exists) {
        services_.showMessage(this, title, QStringLiteral("没有上次的条件可以恢复。"));
        return false;
    }
    if (!last.error.empty() || !last.reading.scheme) {
        services_.showMessage(this, title,
                              QStringLiteral("无法恢复上次的条件（%1）：\r\n").arg(QDir::toNativeSeparators(lastConditionsPath())) +
                                  fromStd(last.error.empty() ? last.reading.error : last.error));
        return false;
    }
    applyConditions(last.reading.scheme->main);
    if (last.reading.scheme->twoStar) openTwoStar()->applyConditions(*last.reading.scheme->twoStar);
    // As after a fresh start: no scheme file is open.
    schemePath_.clear();
    savedScheme_.reset();
    endRestoreUndo();
    updateTitle();
    if (!statusNote_.isEmpty() && status_->currentMessage() == statusNote_) status_->clearMessage();
    statusNote_.clear();
    if (!last.reading.unknownKeys.empty())
        services_.showMessage(this, QStringLiteral("温情提示"), fromStd(unknownKeysNotice(last.reading.unknownKeys)));
    return true;
}

}  // namespace tarnel
