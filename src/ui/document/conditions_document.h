#pragma once
// The conditions document: what the player is working on, between the core
// and the windows. It holds the condition state (the main window's, and the
// two-star window's while that window is open), the open scheme file and its
// conditions as last opened or saved, the undo stack of the player's edits,
// the past draws of 开奖历史, the last run and the last conditions
// (last.tarnel). Windows show it and write the player's changes into it;
// none reaches into another window for them.

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/files/draw_sources.h"
#include "core/files/history.h"
#include "core/files/scheme.h"
#include "core/rules/number_pool.h"
#include "core/state/condition_rows.h"
#include "core/state/condition_state.h"
#include "core/state/past_draw_rule.h"
#include "core/state/shrink.h"
#include "ui/document/edit_steps.h"
#include "ui/widgets/state_binding.h"

class QTimer;
class QWidget;

namespace tarnel {

class UiServices;

// The tab page of the set tool (交集工具) on the main window.
inline constexpr int kSetToolPage = 4;

class ConditionsDocument : public QObject {
    Q_OBJECT
public:
    explicit ConditionsDocument(UiServices& services, QObject* parent = nullptr);
    ~ConditionsDocument() override;

    UiServices& services() const { return services_; }
    // The window the document's questions and messages stand over.
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    // ---- the condition state
    // The fields the main window's controls are bound to, and their binding.
    MainConditions& mainFields() { return main_; }
    StateBinding& mainBinding() { return mainBinding_; }
    // The main conditions as the controls show them now.
    const MainConditions& conditions();
    // Shows a whole condition state in the controls (derived state follows
    // as after clicks), as one step the player can undo. Starts no run.
    void applyConditions(const MainConditions& state, const QString& stepName = QStringLiteral("修改条件"));

    // The two-star part lives while the two-star window is open: the window
    // asks for it when it is made, ends it when it closes, and it is freed
    // with the window.
    struct TwoStarPart {
        TwoStarConditions state;
        StateBinding binding;
    };
    TwoStarPart& beginTwoStar(QObject* window);
    // From now on the part's changes are the document's (called once the
    // window shows its start-up state).
    void watchTwoStar(TwoStarPart& part);
    void endTwoStar(const TwoStarPart& part);
    bool hasTwoStar() const { return twoStar_ != nullptr; }
    // The two-star conditions as that window shows them, when it is open.
    std::optional<TwoStarConditions> twoStarConditions();
    // Shows a two-star state, opening the two-star window when it is
    // closed, as one step the player can undo.
    void applyTwoStar(const TwoStarConditions& state, const QString& stepName = QStringLiteral("修改二星条件"));
    // Both parts, as a scheme holds them.
    Scheme scheme();

    // 发送到大底 / 发送到交集A / 发送到交集B: a text into the base list or set
    // list 0 (A) or 1 (B), as the player's own change.
    void sendToBaseList(const QString& text);
    void sendToSetList(int list, const QString& text);
    // Asks the main window to show 开奖历史 (where the past draws are read).
    void showHistoryWindow() { emit historyWindowWanted(); }

    // ---- rules that follow past draws (动态条件)
    const std::vector<PastDrawRule>& rules() const { return main_.rules; }
    // The player's change of the rule list: it settles, marks the scheme
    // modified and reaches last.tarnel like a click on a control.
    void setRules(std::vector<PastDrawRule> rules);
    void addRule(const PastDrawRule& rule);
    // The past draws in time order, oldest first (empty without a history).
    const std::vector<int>& pastDraws();
    // The rules as rows for the draw after the past draws now: what a run,
    // 预计注数, the marks, statistics and diagnosis count besides the fixed
    // rows. Made again only when the rules or the history change.
    const std::vector<ExtraRow>& ruleRows();

    // ---- 清空所有条件
    // Every condition back to neutral (starts no run), as one step.
    void clearAll();
    // Undoes the steps down to and including the last 清空所有条件 while it
    // is done; it can be undone so once.
    void undoClearAll();
    bool canUndoClear() const { return lastClear_ != nullptr; }

    // ---- undo and redo
    // Every edit of the conditions is a step: a tick, the keys typed into
    // one box until the player leaves it or edits another control, a
    // double-click that empties a box, a rule added, changed, removed or
    // moved, 清空所有条件, the two-star window's edits and a state shown
    // through this document. Opening a scheme or the last conditions starts
    // a new stack; saving marks where the file stands.
    QUndoStack& undoStack() { return undoStack_; }
    void undo();
    void redo();
    // Ends the step still gathering edits: the next edit is a step of its own.
    void closeStep();

    // ---- the run
    void setStageObserver(std::function<void(int)> observer) { observer_ = std::move(observer); }
    NumberPool& pool() { return pool_; }
    const NumberPool& pool() const { return pool_; }
    // Runs the conditions into the pool: says `runDone` (the main window
    // shows the result and the cleaned boxes), then `ran`: at once when no
    // event loop runs, else once the event loop has painted the result.
    void run();
    // Whether `ran` is still to come for the last run.
    bool followPending() const { return followPending_; }
    const std::optional<MainRun>& lastRun() const { return lastRun_; }
    int runCount() const { return runCount_; }

    // ---- the past draws of 开奖历史 (the remembered ones from the start, then
    // those that window reads; empty when none)
    const std::shared_ptr<const History>& history() const { return history_; }
    // Takes `history` in and hands back the draws it replaces (so that the
    // caller may free a large history away from this thread).
    std::shared_ptr<const History> setHistory(std::shared_ptr<const History> history);

    // ---- the lottery the past draws are of (开奖历史's choice, kept in the
    // setting "draws/lottery"): the rules, backtests, trends, combining,
    // the search and the slips follow it.
    Lottery lottery() const { return lottery_; }
    void setLottery(Lottery lottery);
    // Says that the kept draws of `lottery` changed (a merge, an update):
    // whatever shows them reads them again.
    void noteStoredDraws(Lottery lottery) { emit storedDrawsChanged(lottery); }
    // Draws without an issue the player gave for `lottery` in this run: never
    // kept, analysed after the kept draws until the program ends (history
    // text, one draw a line; empty when none).
    const QString& drawsOfThisRun(Lottery lottery) const { return runDraws_[lottery == Lottery::Fc3d ? 0 : 1]; }
    void setDrawsOfThisRun(Lottery lottery, QString text) { runDraws_[lottery == Lottery::Fc3d ? 0 : 1] = std::move(text); }

    // ---- the scheme file
    QString schemePath() const { return schemePath_; }
    // True when a scheme file is open and its conditions changed since it was opened or saved.
    bool schemeModified();
    // Asks "保存对方案的修改吗？" when the open scheme has unsaved changes;
    // false when the player cancels or the save fails.
    bool mayDiscardChanges();
    void openScheme();  // with the file dialog
    // Opens a scheme file: on any fault one message and nothing changes.
    bool openSchemeFile(const QString& path);
    bool saveScheme();
    bool saveSchemeAs();
    bool saveSchemeFile(const QString& path);
    // Says why a file was not opened as a scheme; a file that reads as past
    // draws is offered to the 开奖历史 window instead (historyFileOffered).
    void refuseScheme(const QString& path, const std::string& bytes, const std::string& error);

    // ---- the last conditions (last.tarnel in the data folder)
    static QString lastConditionsPath();
    // Called once the main window shows its start-up state: from then on
    // changes settle, and last.tarnel follows them.
    void start();
    // Ends a burst of changes now instead of after the pause: says `settled`.
    void settleNow();
    // Writes last.tarnel now when the conditions differ from what it was
    // last written with (or, before the first write, from the start-up state).
    void writeLastConditions();
    int lastConditionsWrites() const { return lastWrites_; }
    // Whether 恢复上次的条件 has something to bring back (the file is read
    // again only when it changed since the last look).
    bool lastConditionsRestorable();
    // Opens last.tarnel like a scheme; no scheme file is open afterwards.
    // On any fault one message and nothing changes.
    bool restoreLastConditions();
    // Whether 恢复上次的条件 has something to bring back, as last looked at.
    bool lastRestorableKnown() const { return lastRestorable_; }
    // What the status bar says about last.tarnel now, empty when nothing.
    QString lastNote() const { return lastNote_; }

    // ---- the conditions of the last five ends of the program (ends/ in the data folder)
    struct SessionEnd {
        QString path;
        QDateTime time;  // when that session ended
    };
    static constexpr int kKeptEnds = 5;
    static QString endsFolder();
    // The ends kept, newest first.
    static std::vector<SessionEnd> sessionEnds();
    // An orderly end of the program (its window closed, the application
    // told to quit, a termination signal, the desktop logging out, the end
    // of a replay): last.tarnel is written now, and the conditions are kept
    // as one of the last five ends, unless they are the start-up state. A
    // session ends once: said again, its later end replaces its earlier one.
    // A kept end with the same conditions gives way to this one.
    void recordEnd();
    // Whether two files hold the same bytes (a kept end and last.tarnel).
    static bool sameConditionsFile(const QString& a, const QString& b);
    // Opens a kept end like a scheme; no scheme file is open afterwards.
    // On any fault one message and nothing changes.
    bool restoreEnd(const QString& path);

signals:
    // The conditions changed (a control of either window, a state shown, the
    // two-star window opened or closed).
    void changed();
    // The two-star conditions changed.
    void twoStarChanged();
    // A burst of changes has settled (100 ms of quiet).
    void settled();
    // A run has finished; lastRun() holds it. `runDone` is for the main
    // window, which shows the result; `ran` follows once it is shown (after
    // several runs in a row, once for the last).
    void runDone();
    void ran();
    // The scheme file or its saved copy changed.
    void fileStateChanged();
    // 清空所有条件 can be undone now, or no longer.
    void clearUndoChanged(bool available);
    // The steps of the undo stack or their names changed.
    void stepsChanged();
    // A scheme file was opened or saved (the recent list changed).
    void recentChanged();
    // The past draws changed.
    void historyChanged();
    // The chosen lottery changed.
    void lotteryChanged(tarnel::Lottery lottery);
    // The kept draws of a lottery changed.
    void storedDrawsChanged(tarnel::Lottery lottery);
    // The rule list changed (edited, opened, cleared, brought back), or
    // what the rules take from the history did.
    void rulesChanged();
    // The note about last.tarnel changed (`previous` is the one it replaces).
    void lastNoteChanged(const QString& note, const QString& previous);
    // Whether 恢复上次的条件 has something to bring back.
    void lastRestorableChanged(bool restorable);
    // Requests to the windows: open the two-star window; open `path` in 开奖历史;
    // show page `index` of the main window's tab area.
    void twoStarWanted();
    void historyWindowWanted();
    void historyFileOffered(const QString& path);
    void pageWanted(int index);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followRun();  // says `ran`, now or after the paint
    void markSaved(const QString& path);
    void rememberRecent(const QString& path);
    void scheduleLastWrite();
    void setLastNote(const QString& note);
    void releaseTwoStar(const TwoStarPart* part);
    void rulesEdited();
    // Brings back conditions read from `path` (last.tarnel or a kept end).
    bool restoreFrom(const QString& path);
    // Shows a state in the controls without making a step of it.
    void showConditions(const MainConditions& state);
    void showTwoStar(const TwoStarConditions& state);

    // ---- the steps (conditions_document_steps.cpp)
    StateBinding* bindingOf(StatePart part);
    std::vector<FieldValue>& recordedOf(StatePart part);
    // The values of every field as they stand now become the recorded ones.
    void recordAll(StatePart part);
    // A bound control changed; `cleared` when a box was emptied at a double-click.
    void fieldEdited(StatePart part, std::size_t index, bool cleared);
    // Pushes a new step gathering the edit of one field.
    void openStep(StatePart part, std::size_t index, bool cleared, bool typing);
    // Closes the gathering step at the end of the player's action (a box
    // being typed into stays open while it has the focus).
    void closeIdleStep();
    // Makes one step of whatever `change` does to both parts and the rules.
    EditStep* recordWhole(const QString& name, const std::function<void()>& change, bool keepEmpty = false);
    void pushStep(EditStep* step);
    void applyStep(EditStep& step, bool forward);
    // Forgets every step: the conditions now are where the stack starts.
    void resetSteps();
    // Starts recording the player's edits of the main window (at start()).
    void startSteps();

    QUndoStack undoStack_;
    EditStep* open_ = nullptr;       // the step still gathering edits, always the top one
    EditStep* lastClear_ = nullptr;  // the last 清空所有条件 while it is done
    std::vector<FieldValue> recordedMain_;  // each field as the steps leave it
    std::vector<FieldValue> recordedTwoStar_;
    std::optional<TwoStarConditions> closedTwoStar_;  // the two-star window's state when it last closed
    bool applying_ = false;   // a step is being undone or redone, or a state shown without a step
    bool absorbing_ = false;  // changes now are no player's edits (a run's cleaned boxes)
    std::vector<std::pair<StatePart, std::size_t>> absorbed_;
    bool offStack_ = false;   // the conditions changed since the clean state outside the steps
    quint64 inputSerial_ = 0;  // counts the player's presses and releases
    QTimer* closeTimer_ = nullptr;

    UiServices& services_;
    QWidget* dialogParent_ = nullptr;
    MainConditions main_;
    StateBinding mainBinding_;
    TwoStarPart* twoStar_ = nullptr;                   // the open window's part
    std::vector<std::unique_ptr<TwoStarPart>> parts_;  // until their windows are gone
    QTimer* settleTimer_ = nullptr;
    bool started_ = false;

    NumberPool pool_;
    std::function<void(int)> observer_;
    std::optional<MainRun> lastRun_;
    int runCount_ = 0;
    bool followPending_ = false;  // `ran` is posted and not yet said
    std::shared_ptr<const History> history_;
    Lottery lottery_ = Lottery::Fc3d;
    QString runDraws_[2];  // by lottery: draws without an issue given in this run
    std::optional<std::vector<int>> pastDraws_;  // history_ in time order, once asked for
    std::optional<std::vector<ExtraRow>> ruleRows_;
    std::vector<PastDrawRule> ruleRowsOf_;       // the rules ruleRows_ was made from

    QString schemePath_;                 // the open scheme file, empty when none
    std::optional<Scheme> savedScheme_;  // its conditions as last opened or saved

    QTimer* lastTimer_ = nullptr;   // holds a write back to one a second
    QElapsedTimer lastWriteClock_;  // since the last write (invalid before the first)
    Scheme startupScheme_;          // the conditions as the program started
    Scheme lastWritten_;            // what was last written, or the start-up state
    int lastWrites_ = 0;
    bool lastWriteFailed_ = false;  // reported once, until a write succeeds again
    bool lastRestorable_ = false;
    QString lastNote_;
    QString lastFileStamp_;         // size and time of last.tarnel when last looked at
    QString endPath_;               // this session's kept end, once it has ended
};

}  // namespace tarnel
