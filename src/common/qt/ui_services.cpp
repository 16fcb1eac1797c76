#include "common/qt/ui_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

#include "common/qt/copy_notice.h"

namespace tarnel {

bool UiServices::setClipboardText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->clear();
    clipboard->setText(text);
    const QMimeData* data = clipboard->mimeData();
    return data && data->hasText() && clipboard->text() == text;
}

void UiServices::copyWithNotice(QWidget* parent, const QString& text) {
    if (setClipboardText(text))
        showCopyNotice(parent);
    else
        showMessage(parent, kCopyFailedTitle, kCopyFailedText);
}

void DesktopUiServices::showMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void DesktopUiServices::showCopyNotice(QWidget* parent) {
    CopyNotice notice(parent);
    notice.exec();
}

void RecordingUiServices::showMessage(QWidget*, const QString& title, const QString& text) {
    messages_.push_back({title, text});
}

void RecordingUiServices::showCopyNotice(QWidget*) { notices_.push_back(kCopyNoticeText); }

bool RecordingUiServices::setClipboardText(const QString& text) {
    if (clipboardFails_) return false;
    return UiServices::setClipboardText(text);
}

QVector<ShownMessage> RecordingUiServices::takeMessages() { return std::exchange(messages_, {}); }

QStringList RecordingUiServices::takeNotices() { return std::exchange(notices_, {}); }

}  // namespace tarnel
