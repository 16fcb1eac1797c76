#pragma once
// Fmain: the main window. It makes the conditions document, shows it in its
// controls, builds every region and the menus, and writes each run's result.

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/state/past_draw_rules.h"
#include "ui/document/conditions_document.h"

class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTextBrowser;
class QTimer;

namespace tarnel {

class CombineWindow;
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
class RulesPanel;
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
    // What the player works on: every other window takes it from here.
    ConditionsDocument& document() { return document_; }
    const NumberPool& pool() const { return document_.pool(); }
    int runCount() const { return document_.runCount(); }
    // Called after each row of the stage table during a run (tests observe runs with it).
    void setStageObserver(std::function<void(int)> observer) { document_.setStageObserver(std::move(observer)); }

    // The condition state as the controls show it now.
    const MainConditions& conditions() { return document_.conditions(); }
    // Shows a whole condition state in the controls (derived state follows
    // as after clicks). Starts no run.
    void applyConditions(const MainConditions& state) { document_.applyConditions(state); }
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
    // Undoes the steps down to the last 清空所有条件, once; its action
    // (in no menu: 编辑 → 撤销 reaches the clearing as a step) is disabled
    // while there is none.
    void undoRestoreAll();
    QAction* undoRestoreAction() const { return undoRestore_; }
    // 编辑 → 撤销 / 重做: the document's steps, named in the menu.
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QSize sizeHint() const override;

    // 文件 menu commands (the document's). The file dialogs go through the UI services.
    void openScheme() { document_.openScheme(); }
    bool saveScheme() { return document_.saveScheme(); }
    bool saveSchemeAs() { return document_.saveSchemeAs(); }
    void exportResult();
    // Opens a scheme file: on any fault one message and nothing changes.
    bool openSchemeFile(const QString& path) { return document_.openSchemeFile(path); }
    bool saveSchemeFile(const QString& path) { return document_.saveSchemeFile(path); }
    QString schemePath() const { return document_.schemePath(); }
    // True when a scheme file is open and its conditions changed since it was opened or saved.
    bool schemeModified() { return document_.schemeModified(); }
    QMenuBar* menuBar() const { return menuBar_; }
    // Brings the title and the forecast count (and the windows that follow
    // the conditions) up to date; this happens by itself once a burst of
    // changes has settled (100 ms of quiet).
    void conditionsSettled() { document_.settleNow(); }
    // The last run of the start button, with what each row ruled out.
    const std::optional<MainRun>& lastRun() const { return document_.lastRun(); }

    // 工具 menu: the statistics window (条件统计) and the number diagnosis
    // (号码诊断), one of each, made when first opened, following every run.
    StatisticsWindow* openStatistics();
    DiagnosisDialog* openDiagnosis();
    // 工具 → 方案组合: one window, made when first opened.
    CombineWindow* openCombine();
    // The result box's context menu at a point of its viewport: the standard
    // actions and 诊断号码 for the number there or the selected numbers.
    // The caller owns the menu.
    QMenu* resultContextMenu(const QPoint& pos);

    // 查看结果: the results view of the result box, one at a time, following every run.
    ResultsView* openResults();
    // 发送到大底 / 发送到交集A / 发送到交集B: puts a text into the base list or
    // list A (0) or B (1) of the set tool, as the player's own change.
    void sendToBaseList(const QString& text) { document_.sendToBaseList(text); }
    void sendToSetList(int list, const QString& text) { document_.sendToSetList(list, text); }

    // The last conditions (last.tarnel in the data folder), kept for the
    // next session and against a crash: written as a save is, once changes
    // have settled (at most once a second) and when the window closes.
    static QString lastConditionsPath() { return ConditionsDocument::lastConditionsPath(); }
    // Writes last.tarnel now when the conditions differ from what it was
    // last written with (or, before the first write, from the start-up state).
    void writeLastConditions() { document_.writeLastConditions(); }
    // How many times last.tarnel was written.
    int lastConditionsWrites() const { return document_.lastConditionsWrites(); }
    // 文件 → 恢复上次的条件: opens last.tarnel like a scheme; the window then
    // holds no scheme file. On any fault one message and nothing changes.
    bool restoreLastConditions() { return document_.restoreLastConditions(); }
    QAction* restoreLastAction() const { return restoreLast_; }
    // The submenu 恢复上次的条件, listed anew each time it opens.
    QMenu* restoreMenu() const { return restoreMenu_; }
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
    void updateTitle();
    void showSettled();  // the title, 预计注数 and the tab marks after a burst of changes
    void updateForecast();
    QString forecastText(int count) const;
    void startShrink();      // C_guolv_ks
    void showRun();          // the document's run, written to the result box
    void convertToGroup();   // C_zhi_zu
    void copyResult();       // C_copy
    void wireHelpAndHover();
    void orderFocusChain(const QList<QWidget*>& regionsInOrder);
    // The regions of the window in the order a player reads them.
    QList<QWidget*> regionsInOrder() const;
    // The windows this window opened (closed with it), those that exist.
    QList<QPointer<QWidget>> otherWindows() const;

    UiServices& services_;
    ConditionsDocument document_;
    MainConditions& state_;   // the document's fields the controls are bound to
    StateBinding& binding_;
    // The tab area's pages: the fixed rows' pages, then the rules (动态条件).
    static constexpr int kPageCount = kRulesPage + 1;
    std::array<QWidget*, kPageCount> pages_{};  // Frame_ding 0..10

    QPushButton* tabs_[kPageCount] = {};
    QPushButton* start_ = nullptr;
    MultiLineBox* output_ = nullptr;
    LineBox* count_ = nullptr;
    PoolSourcePanel* sources_ = nullptr;
    NumberListPanel* lists_ = nullptr;
    DigitPropertyPanel* digits_ = nullptr;
    PositionalPanel* positional_ = nullptr;
    RulesPanel* rulesPage_ = nullptr;
    void showRules();  // the rules page after the rules or the history changed
    QList<QWidget*> hoverButtons_;
    QScrollArea* scroll_ = nullptr;
    QPointer<TwoStarWindow> twoStar_;
    QList<QPointer<TwoStarWindow>> closedTwoStars_;  // closed, not yet deleted: bound to the document until then
    QPointer<HistoryWindow> history_;  // 开奖历史, made when first opened
    QPointer<CombineWindow> combine_;  // 方案组合, made when first opened

    QMenuBar* menuBar_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QComboBox* tolerance_ = nullptr;     // Combo_rongcuo
    QLabel* forecast_ = nullptr;         // 预计注数

    // Conditions out of sight: tab marks and the summary under the result.
    void showConditionMarks();
    ConditionSummary* summary_ = nullptr;
    QAction* undoRestore_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    void updateEditActions();

    // The status bar, which tells about last.tarnel
    void setupStatusBar();
    QStatusBar* status_ = nullptr;
    QAction* restoreLast_ = nullptr;
    QMenu* restoreMenu_ = nullptr;  // 恢复上次的条件: last.tarnel and the last ends
    void rebuildRestoreMenu();

    // 帮助 menu (help_menu.cpp)
    void buildHelpMenu();
    QPointer<QWidget> guide_;
    QPointer<QTextBrowser> guideText_;

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
    QGridLayout* tabRow_ = nullptr;  // the tab buttons
    // The tab buttons in one row, or in two rows of about half each.
    void placeTabs(bool twoRows);
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
