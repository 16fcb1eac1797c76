#pragma once
// The one way the windows talk to the user outside their own controls:
// message boxes, the self-closing copy notice and the clipboard. The
// program shows real dialogs; tests and the replay tool record instead.

#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace tarnel {

inline const QString kCopyNoticeText = QStringLiteral("复制成功！");

struct ShownMessage {
    QString title;
    QString text;
};

// The answers to "save the changes?".
enum class SaveChoice { Save, Discard, Cancel };

class UiServices {
public:
    virtual ~UiServices() = default;
    // A modal message box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& title, const QString& text) = 0;
    // The notice window Fts: "复制成功！", closes itself after 600 ms.
    virtual void showCopyNotice(QWidget* parent) = 0;
    // Clears the clipboard and puts plain text on it; false when it failed.
    virtual bool setClipboardText(const QString& text);
    // File dialogs: the chosen path, or an empty string when cancelled.
    virtual QString chooseOpenPath(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString chooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                                   const QString& filter) = 0;
    // A question with the buttons 保存, 不保存 and 取消.
    virtual SaveChoice askSaveChanges(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with the buttons 是 and 否; true for 是.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;

    // A copy button's whole action: the text onto the clipboard and the
    // notice, or the error message when the clipboard could not be set.
    void copyWithNotice(QWidget* parent, const QString& text);
};

inline const QString kCopyFailedTitle = QStringLiteral("错误提示");
// The titles of a message about a fault and of a notice or question.
inline const QString kErrorTitle = QStringLiteral("错误提示");
inline const QString kNoticeTitle = QStringLiteral("温情提示");
inline const QString kCopyFailedText = QStringLiteral("本次复制出现错误，请再次复制！");

class DesktopUiServices : public UiServices {
public:
    void showMessage(QWidget* parent, const QString& title, const QString& text) override;
    void showCopyNotice(QWidget* parent) override;
    QString chooseOpenPath(QWidget* parent, const QString& title, const QString& filter) override;
    QString chooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                           const QString& filter) override;
    SaveChoice askSaveChanges(QWidget* parent, const QString& title, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
};

// Records what would have been shown and answers at once: OK, the path
// given beforehand for a file dialog (cancel when none), and the answer
// set for the save question (不保存 unless told otherwise) and for yes/no
// questions (是 unless told otherwise). Questions are recorded among the messages.
class RecordingUiServices : public UiServices {
public:
    void showMessage(QWidget* parent, const QString& title, const QString& text) override;
    void showCopyNotice(QWidget* parent) override;
    bool setClipboardText(const QString& text) override;
    QString chooseOpenPath(QWidget* parent, const QString& title, const QString& filter) override;
    QString chooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                           const QString& filter) override;
    SaveChoice askSaveChanges(QWidget* parent, const QString& title, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;

    // The answer to the next file dialog (used once).
    void setNextPath(const QString& path) { nextPath_ = path; }
    void setSaveChoice(SaveChoice choice) { saveChoice_ = choice; }
    void setYesNoAnswer(bool yes) { yes_ = yes; }

    QVector<ShownMessage> takeMessages();
    QStringList takeNotices();
    const QVector<ShownMessage>& messages() const { return messages_; }
    const QStringList& notices() const { return notices_; }
    // Makes the next clipboard writes fail (to exercise the error path).
    void setClipboardFails(bool fails) { clipboardFails_ = fails; }

private:
    QVector<ShownMessage> messages_;
    QStringList notices_;
    bool clipboardFails_ = false;
    QString nextPath_;
    SaveChoice saveChoice_ = SaveChoice::Discard;
    bool yes_ = true;
};

}  // namespace tarnel
