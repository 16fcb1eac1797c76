#pragma once
// Fmain: the main window. It owns the pool and the condition state, builds
// every region and the menus, runs the state and writes the result.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "common/qt/state_binding.h"
#include "mainwindow/qt/main_regions.h"
#include "pool/number_pool.h"
#include "run/condition_state.h"
#include "run/scheme.h"
#include "run/shrink.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
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

    // 工具 menu
    void buildToolsMenu();
    QPointer<StatisticsWindow> statistics_;
    QPointer<DiagnosisDialog> diagnosis_;

    // Results view, run keys, the 视图 menu and the fitting of the window
    // to small screens (main_window_view.cpp)
    QPushButton* makeResultsButton(QWidget* parent);
    void buildViewExtras();
    void fitLayout();
    void placeResultColumn(bool beside);
    QPointer<ResultsView> results_;
    QWidget* sideColumn_ = nullptr;  // holds the result column when the window is too narrow for the whole grid
    bool resultColumnBeside_ = false;
    QSize wideMinimum_;  // the whole grid's minimum size, measured again after a font change

public:
    // True while the result column stands beside the scrolled conditions
    // (the window is too narrow for the designed grid).
    bool resultColumnBeside() const { return resultColumnBeside_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
};

}  // namespace tarnel
