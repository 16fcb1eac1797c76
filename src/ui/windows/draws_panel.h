#pragma once
// The 开奖库 page of the history window: the draws kept for the chosen
// lottery (福彩3D / 排列三), merging pasted or opened draws into them (a
// conflict asks, naming the issue and both numbers), exporting them as text,
// and 更新开奖号码 from the lottery's source with progress and a cancel.
// The sources' addresses and whether to check for new draws at start are
// settings (Setting::DrawsSource3d, DrawsSourceP3 and DrawsCheckAtStart,
// the last off until the player turns it on; the check itself runs as the
// program starts, checkDrawsAtStart).

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/files/draw_sources.h"
#include "ui/windows/stored_draws.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tarnel {

class DrawStore;
class DrawUpdate;
struct UpdateOutcome;

class DrawsPanel : public QWidget {
    Q_OBJECT
public:
    // With `ownChoice` false the panel shows no lottery choice of its own:
    // its owner sets the lottery (setLottery) from the choice it shows.
    explicit DrawsPanel(QWidget* parent = nullptr, bool ownChoice = true);
    ~DrawsPanel() override;

    // draws.sqlite in the data folder, unless set otherwise (tests).
    static QString storePath();
    static void setStorePath(const QString& path);
    // How a conflict is put to the player: true keeps the kept number and
    // merges the rest, false drops the whole merge. Tests answer it.
    void setConflictQuestion(ConflictQuestion ask) { ask_ = std::move(ask); }
    void setPageTimeout(int ms) { pageTimeoutMs_ = ms; }

    Lottery lottery() const;
    void setLottery(Lottery lottery);
    // Merges the draws of a history text into the chosen lottery; the line
    // below says what it did.
    void mergeText(const QString& text);
    // Reads the kept draws again (another window or program changed them).
    void reload() { refresh(); }
    void startUpdate();
    void cancelUpdate();
    bool updating() const { return update_ != nullptr; }
    QString statusLine() const;
    // The kept draws as shown: one line each, newest first.
    QString shownDraws() const;

signals:
    void drawsChanged(tarnel::Lottery lottery);
    void updateFinished();
    // An update began (true) or ended (false).
    void updateRunning(bool running);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void openFile();
    void pasteClipboard();
    void exportText();
    void updateDone(const UpdateOutcome& outcome);

    QComboBox* lotteryBox_;
    QPlainTextEdit* list_;
    QLabel* status_;
    QPushButton* updateButton_;
    QPushButton* cancelButton_;
    QProgressBar* progress_;
    QCheckBox* checkAtStart_;
    std::unique_ptr<DrawStore> store_;
    DrawUpdate* update_ = nullptr;
    ConflictQuestion ask_;
    int pageTimeoutMs_ = 15000;
    bool ownChoice_ = true;
    bool stale_ = false;  // within 开奖历史: read when its page is next shown
};

}  // namespace tarnel
