#include "ui/widgets/ui_services.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QMimeData>

#include "ui/widgets/copy_notice.h"

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
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));  // also where Qt's Chinese texts are missing
    box.exec();
}

void DesktopUiServices::showCopyNotice(QWidget* parent) {
    CopyNotice notice(parent);
    notice.exec();
}

QString DesktopUiServices::chooseOpenPath(QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString DesktopUiServices::chooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                                          const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

SaveChoice DesktopUiServices::askSaveChanges(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return SaveChoice::Save;
    if (box.clickedButton() == discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

bool DesktopUiServices::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void RecordingUiServices::showMessage(QWidget*, const QString& title, const QString& text) {
    messages_.push_back({title, text});
}

void RecordingUiServices::showCopyNotice(QWidget*) { notices_.push_back(kCopyNoticeText); }

bool RecordingUiServices::setClipboardText(const QString& text) {
    if (clipboardFails_) return false;
    return UiServices::setClipboardText(text);
}

QString RecordingUiServices::chooseOpenPath(QWidget*, const QString&, const QString&) {
    return std::exchange(nextPath_, {});
}

QString RecordingUiServices::chooseSavePath(QWidget*, const QString&, const QString&, const QString&) {
    return std::exchange(nextPath_, {});
}

SaveChoice RecordingUiServices::askSaveChanges(QWidget*, const QString& title, const QString& text) {
    messages_.push_back({title, text});
    return saveChoice_;
}

bool RecordingUiServices::askYesNo(QWidget*, const QString& title, const QString& text) {
    messages_.push_back({title, text});
    return yes_;
}

QVector<ShownMessage> RecordingUiServices::takeMessages() { return std::exchange(messages_, {}); }

QStringList RecordingUiServices::takeNotices() { return std::exchange(notices_, {}); }

}  // namespace tarnel
