#pragma once
// Fmain: the main window. It owns the pool and the condition state, builds
// every region and the menus, runs the state and writes the result.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "ui/widgets/state_binding.h"
#include "ui/panels/main_regions.h"
#include "core/rules/number_pool.h"
#include "core/state/condition_state.h"
#include "core/files/scheme.h"
#include "core/state/shrink.h"

class QAction;
class QComboBox;
class QLabel;
class QLayout;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTimer;

namespace tarnel {

class ConditionSummary;
class DiagnosisDialog;
class DigitPropertyPanel;
class HistoryWindow;
class MultiLineBox;
class LineBox;
class NumberListPanel;
class PoolSourcePanel;
class PositionalPanel;
class ResultsView;
class StatisticsWindow;
class TwoStarWindow;
class UiServices;

// 关于 Tarnel: name, version, licence and where the program keeps its files.
QString aboutTarnelText();

inline const QString kResultInitialText = QStringLiteral("这里显示最终过滤结果\r\n");

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    UiServices& services() const { return services_; }
    const NumberPool& pool() const { return pool_; }
    int runCount() const { return runCount_; }
    // Called after each row of the stage table during a run (tests observe runs with it).
    void setStageObserver(std::function<void(int)> observer) { observer_ = std::move(observer); }

    // The condition state as the controls show it now.
    const MainConditions& conditions();
    // Shows a whole condition state in the controls (derived state follows
    // as after clicks). Starts no run.
    void applyConditions(const MainConditions& state);
    // The two-star window if it is open.
    TwoStarWindow* twoStarWindow() const;
    // Opens the two-star window, creating it when it is closed.
    TwoStarWindow* openTwoStar();
    // 开奖历史: opens the window of past draws (one at a time, kept while the program runs).
    HistoryWindow* openHistory();

    // Shows page `index` of the tab area and marks its tab button.
    void showTab(int index);
    // C_all_cls: every condition back to neutral (does not run).
    void restoreAll();
    // 编辑 → 撤销清空所有条件: the whole condition state of just before the
    // last restore, once; its action is disabled while there is none.
    void undoRestoreAll();
    QAction* undoRestoreAction() const { return undoRestore_; }
    QSize sizeHint() const override;

    // 文件 menu commands. The file dialogs go through the UI services.
    void openScheme();
    bool saveScheme();
    bool saveSchemeAs();
    void exportResult();
    // Opens a scheme file: on any fault one message and nothing changes.
    bool openSchemeFile(const QString& path);
    bool saveSchemeFile(const QString& path);
    // Says why a file was not opened as a scheme; a file that reads as past
    // draws is offered to the 开奖历史 window instead.
    void refuseScheme(const QString& path, const std::string& bytes, const std::string& error);
    QString schemePath() const { return schemePath_; }
    // True when a scheme file is open and its conditions changed since it was opened or saved.
    bool schemeModified();
    QMenuBar* menuBar() const { return menuBar_; }
    // Brings the title and the forecast count up to date; the window does it
    // by itself once a burst of changes has settled (100 ms of quiet).
    void conditionsSettled();
    // The last run of the start button, with what each row ruled out.
    const std::optional<MainRun>& lastRun() const { return lastRun_; }

    // 工具 menu: the statistics window (条件统计) and the number diagnosis
    // (号码诊断), one of each, made when first opened, following every run.
    StatisticsWindow* openStatistics();
    DiagnosisDialog* openDiagnosis();
    // The result box's context menu at a point of its viewport: the standard
    // actions and 诊断号码 for the number there or the selected numbers.
    // The caller owns the menu.
    QMenu* resultContextMenu(const QPoint& pos);

    // 查看结果: the results view of the result box, one at a time, following every run.
    ResultsView* openResults();
    // 发送到大底 / 发送到交集A / 发送到交集B: puts a text into the base list or
    // list A (0) or B (1) of the set tool, as the player's own change.
    void sendToBaseList(const QString& text);
    void sendToSetList(int list, const QString& text);

    // The last conditions (last.tarnel in the data folder), kept for the
    // next session and against a crash: written as a save is, once changes
    // have settled (at most once a second) and when the window closes.
    static QString lastConditionsPath();
    // Writes last.tarnel now when the conditions differ from what it was
    // last written with (or, before the first write, from the start-up state).
    void writeLastConditions();
    // How many times this window wrote last.tarnel.
    int lastConditionsWrites() const { return lastWrites_; }
    // 文件 → 恢复上次的条件: opens last.tarnel like a scheme; the window then
    // holds no scheme file. On any fault one message and nothing changes.
    bool restoreLastConditions();
    QAction* restoreLastAction() const { return restoreLast_; }
    QStatusBar* statusBar() const { return status_; }

    // 帮助 menu: 使用说明 (the guide, one window) and 关于 Tarnel.
    QWidget* openGuide();
    void showAbout();

signals:
    // A run of the start button has finished and its result is shown.
    void ran();
    // A burst of changes to the conditions (of this window or the two-star
    // window) has settled and 预计注数 shows them.
    void settled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the main window ends the program: its other windows close with
    // it. Only changed conditions of an open scheme are asked about first.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void rebuildRecentMenu();
    void rememberRecent(const QString& path);
    void markSaved(const QString& path);
    void updateTitle();
    Scheme currentScheme();
    void updateForecast();
    QString forecastText(int count) const;
    void startShrink();      // C_guolv_ks
    void convertToGroup();   // C_zhi_zu
    void copyResult();       // C_copy
    void wireHelpAndHover();
    void orderFocusChain(const QList<QWidget*>& regionsInOrder);
    // Asks "保存对方案的修改吗？" when the open scheme has unsaved changes;
    // false when the player cancels or the save fails.
    bool mayDiscardSchemeChanges();
    // Opening a scheme or the last conditions: what "清空所有条件" replaced
    // can no longer be brought back.
    void endRestoreUndo();

    UiServices& services_;
    MainConditions state_;
    StateBinding binding_;
    NumberPool pool_;
    MainRegions regions_;
    int runCount_ = 0;
    std::function<void(int)> observer_;

    QPushButton* tabs_[10] = {};
    QPushButton* start_ = nullptr;
    MultiLineBox* output_ = nullptr;
    LineBox* count_ = nullptr;
    PoolSourcePanel* sources_ = nullptr;
    NumberListPanel* lists_ = nullptr;
    DigitPropertyPanel* digits_ = nullptr;
    PositionalPanel* positional_ = nullptr;
    QList<QWidget*> hoverButtons_;
    QScrollArea* scroll_ = nullptr;
    QPointer<TwoStarWindow> twoStar_;
    QPointer<HistoryWindow> history_;  // 开奖历史, made when first opened

    QMenuBar* menuBar_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QString schemePath_;                 // the open scheme file, empty when none
    std::optional<Scheme> savedScheme_;  // its conditions as last opened or saved
    QTimer* changeTimer_ = nullptr;      // settles a burst of changes into one update
    QComboBox* tolerance_ = nullptr;     // Combo_rongcuo
    QLabel* forecast_ = nullptr;         // 预计注数
    std::optional<MainRun> lastRun_;

    // Conditions out of sight: tab marks and the summary under the result.
    void showConditionMarks();
    ConditionSummary* summary_ = nullptr;
    QAction* undoRestore_ = nullptr;
    std::optional<MainConditions> beforeRestore_;  // the state the last restore replaced

    // The last conditions and the status bar (last_conditions.cpp)
    void setupLastConditions();
    void scheduleLastWrite();
    void updateRestoreLastAction();
    QStatusBar* status_ = nullptr;
    QAction* restoreLast_ = nullptr;
    QTimer* lastTimer_ = nullptr;     // holds a write back to one a second
    QElapsedTimer lastWriteClock_;    // since the last write (invalid before the first)
    Scheme startupScheme_;            // the conditions as the window started
    Scheme lastWritten_;              // what this window last wrote, or the start-up state
    int lastWrites_ = 0;
    bool lastWriteFailed_ = false;    // reported once, until a write succeeds again
    QString statusNote_;              // the status-bar line about last.tarnel shown now
    QString lastFileStamp_;           // size and time of last.tarnel when last looked at

    // 帮助 menu (help_menu.cpp)
    void buildHelpMenu();
    QPointer<QWidget> guide_;

    // 工具 menu
    void buildToolsMenu();
    QPointer<StatisticsWindow> statistics_;
    QPointer<DiagnosisDialog> diagnosis_;

    // Results view, run keys, the 视图 menu and the fitting of the window
    // to small screens (main_window_view.cpp)
    QPushButton* makeResultsButton(QWidget* parent);
    void buildViewExtras();
    // How the regions stand: the designed grid, or the result column beside
    // the scrolled conditions, with the middle regions side by side, one
    // under the other, or also the bottom row broken in two.
    enum class Arrangement { Designed, Beside, Stacked, StackedSplit };
    static constexpr int kArrangements = 4;
    void fitLayout();
    void measureArrangements();
    void placeRegions(Arrangement arrangement);
    QPointer<ResultsView> results_;
    QWidget* sideColumn_ = nullptr;  // holds the result column when the window is too small for the whole grid
    QLayout* bottomRow_ = nullptr;   // banker groups, base list, form exclusion
    Arrangement arrangement_ = Arrangement::Designed;
    // Each arrangement's minimum content size, measured again after a font change.
    std::array<QSize, kArrangements> minimumFor_{};

public:
    // True while the result column stands beside the scrolled conditions
    // (the window is too small for the designed grid).
    bool resultColumnBeside() const { return arrangement_ != Arrangement::Designed; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
};

}  // namespace tarnel
