#pragma once
// F_lishi: the window of past draws (开奖历史). The player pastes draws or
// opens a text file; the window remembers them between program starts and
// shows, on its tabs, the backtest of the main window's and the two-star
// window's conditions (历史验证) and trend statistics (走势统计).

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_range.h"
#include "ui/windows/backtest_model.h"
#include "core/analysis/backtest_money.h"
#include "core/files/draw_sources.h"
#include "core/files/history.h"
#include "core/files/history_order.h"
#include "core/state/condition_state.h"
#include "ui/widgets/price_settings.h"
#include "core/analysis/trends.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTimer;

template <typename T>
class QFutureWatcher;

namespace tarnel {

class BacktestRangeBar;
class BarChart;
class ConditionsDocument;
class DrawsPanel;
struct DrawsMerged;
class MoneyChart;
class HistoryReadingBar;
class MultiLineBox;
class TrendView;
class UiServices;

// One backtest tab: the price and prizes, the summary, the table, the chart
// of profit and loss beside random bets, the bar chart of kills by condition
// and the drought table.
class BacktestView : public QWidget {
    Q_OBJECT
public:
    BacktestView(const QString& name, bool twoStar, QWidget* parent);
    void showFigures(std::shared_ptr<const BacktestFigures> figures);
    // Nothing to check (no window, no history): the reason instead of a summary.
    void showNothing(const QString& reason);
    // The conditions changed and a check of a long history is under way.
    void showPending(bool pending);
    // The range asked for cannot be taken: why, in place of the figures.
    void showRangeRefused(const QString& reason);
    BacktestRangeBar* rangeBar() const { return range_; }
    const BacktestModel& model() const { return *model_; }
    QString summaryText() const;
    QString headerText() const;
    QString moneyText() const;
    QString pendingText() const;
    QString settingsMessage() const;
    BarChart* chart() const { return chart_; }
    MoneyChart* moneyChart() const { return moneyChart_; }
    QTableWidget* droughtTable() const { return drought_; }

private:
    void buildSettings(QBoxLayout* layout);
    void showSettings();
    void takeField(MoneyField field, QLineEdit* edit);
    void fillChart(const BacktestFigures& figures);
    void fillMoneyChart(const BacktestFigures& figures);
    void fillDrought(const BacktestFigures& figures);
    void clearMoney(const QString& reason);

    bool twoStar_;
    BacktestModel* model_;
    BacktestRangeBar* range_;
    QLineEdit* price_ = nullptr;
    QLineEdit* direct_ = nullptr;
    QLineEdit* group3_ = nullptr;
    QLineEdit* group6_ = nullptr;
    QLineEdit* twoStarPrize_ = nullptr;
    QComboBox* betKind_ = nullptr;
    QLabel* settingsMessage_ = nullptr;
    QLabel* header_;
    QLabel* summary_;
    QLabel* money_;
    QLabel* pending_;
    QTableView* table_;
    BarChart* chart_;
    MoneyChart* moneyChart_;
    QTableWidget* drought_;
};

// Work on the history done away from the window's thread: reading the
// box (then the trend and saving it too) or only checking the conditions.
struct HistoryJob {
    quint64 generation = 0;
    bool read = false;                      // read `text`; otherwise check `history`
    QString text;
    QString savedText;                      // what history.txt holds
    bool lastSaveFailed = false;
    QString path;                           // of history.txt
    TrendItem measure = TrendMeasure::Sum;
    std::shared_ptr<const History> history;
    ShrinkInputs mainInputs;                // the main window's conditions
    int tolerance = 0;
    std::optional<MainConditions> walkForward;  // the same with their rules, when they hold any
    std::optional<TwoStarInputs> twoStar;   // while that window is open
    bool keep = true;                       // the text is the player's: history.txt follows it
    MoneyPrices prices;                     // the player's price and prizes
    BacktestRange mainRange, twoStarRange;  // the draws each backtest takes
};

struct HistoryReading {
    quint64 generation = 0;
    bool read = false;
    TrendItem measure = TrendMeasure::Sum;
    QString text;                           // the text that was read
    std::shared_ptr<const History> history;
    TrendTable trend;                       // of `measure`, when read
    std::size_t tooLargeBytes = 0;          // the text's size when it exceeds the limit (neither read nor saved)
    bool saved = false;                     // the text is what history.txt holds now
    QString saveError;                      // why writing history.txt failed
    HistoryQuality quality;                 // of `history`, when read
    bool outOfMemory = false;               // the backtests could not be made
    std::shared_ptr<const BacktestFigures> main;
    std::shared_ptr<const BacktestFigures> twoStar;
    QString mainRangeError, twoStarRangeError;  // a range that cannot be taken: why
};

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // A separate window on top of `parent`; the draws it reads become the document's.
    HistoryWindow(ConditionsDocument& document, QWidget* parent);
    ~HistoryWindow() override;

    // Where the history is remembered between program starts: history.txt in
    // the program's data folder, unless set otherwise (tests running side by
    // side each take their own file).
    static QString storagePath();
    static void setStoragePath(const QString& path);

    // The text in the box, exactly as the player left it.
    QString historyText() const;
    // Replaces the text as pasting would (the re-reading follows after a pause).
    void setHistoryText(const QString& text);
    // Reads the box now instead of after the pause; refreshes every tab.
    void rereadNow();
    // Whether reading or checking a long history is still under way (away
    // from the window's thread, so typing goes on meanwhile).
    bool isReading() const;
    const History& history() const { return *history_; }

    // Reads the remembered history (history.txt) into the document as the
    // program starts, so that its rules look back on it before this window
    // is ever opened: a small file at once, a large one away from the
    // window's thread. A file that cannot be read is left to this window,
    // which puts it aside and says so when it opens.
    static void readRememberedInto(ConditionsDocument& document);

    // Opens a history file into the box; on any fault one message and the box keeps its text.
    // The file is read away from the window's thread, with its progress and
    // 取消 shown; the call returns once it is read (or cancelled: false).
    bool openHistoryFile(const QString& path);
    // Cancels the opening of a file under way, as its 取消 button does.
    void cancelOpening();
    void openHistory();  // with the file dialog
    // Empties the box and the remembered history after asking.
    void clearHistory();

    // The backtests again, from the conditions the windows show now.
    void refreshBacktests();
    // The same after a run or a change: a long history is checked away from
    // the window's thread, a short one at once.
    void checkLater();
    BacktestView* mainBacktest() const { return mainView_; }
    BacktestView* twoStarBacktest() const { return twoStarView_; }
    QString statusText() const;
    // What the 开奖号码 tab says about repeated or out-of-order issues.
    QString qualityText() const;

    // 走势统计: the measure shown, ticking value `value`'s kill box, and
    // adding its kill rule (a double-click does both).
    void showTrend(TrendItem measure);
    TrendItem shownTrend() const;
    void pickTrendValue(int value);
    void addTrendRule(int value);
    const TrendTable& trend() const;
    TrendView* trendView() const { return trendView_; }

    static QString trendOmissionHint();

    // ---- the kept draws (history_window_draws.cpp)
    // The lottery chosen is the document's (福彩3D / 排列三). The 开奖号码 box
    // shows its kept draws, then the draws without an issue given in this
    // run, until the player pastes, opens or types a text of his own; that
    // text is what is analysed while it is there, and its draws with an
    // issue go into the kept draws (a paste or a file asks on a conflict).
    bool showsStoredDraws() const { return showsStore_; }
    // Shows the kept draws of the chosen lottery in the box (read at once).
    void showStoredDraws();
    DrawsPanel* drawsPanel() const { return draws_; }
    // Waits for the merge of the box's draws under way and shows its answer
    // (a conflict is asked about then).
    void finishMerging();

signals:
    // A reading of the box has been taken in: history() holds its draws.
    void historyRead();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildInputTab();
    void textEdited();
    HistoryJob job(bool read);
    void startReading();
    void startJob(bool read);
    // Reads the box away from the window's thread, the event loop turning
    // until the reading is shown; false when the window went meanwhile.
    bool readTurning();
    void readingFinished();
    void applyReading(HistoryReading reading);
    void showBacktests(HistoryReading& reading);
    void waitForReading();
    void noteSave(const HistoryReading& reading);
    void remember();
    void showStatus();
    void showQuality();
    void refreshTrend();
    void loadRemembered();
    // Whether a paste of `inserted` keeps the history within its limit; if not, says so.
    bool pasteFits(const QString& inserted);

    ConditionsDocument& document_;
    UiServices& services_;
    const std::shared_ptr<const History>& history_;  // the document's draws
    QString savedText_;       // what history.txt holds
    QString saveError_;       // why the last save failed, empty when it worked
    bool dirty_ = false;      // the box changed since it was last read
    std::size_t refusedBytes_ = 0;  // the box's text is over the limit: its size
    bool storageBlocked_ = false;   // history.txt could be neither read nor put aside: never written
    QString storageNote_;           // what became of a history.txt that could not be read
    QTabWidget* tabs_ = nullptr;
    MultiLineBox* text_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* quality_ = nullptr;           // repeated and out-of-order issues
    HistoryQuality historyQuality_;
    QTimer* rereadTimer_ = nullptr;
    QTimer* backtestTimer_ = nullptr;    // two-star changes, after a pause
    QTimer* busyTimer_ = nullptr;        // a job that takes more than a moment shows the bar
    QFutureWatcher<HistoryReading>* reader_ = nullptr;
    bool readAgain_ = false;             // the box changed while a job was under way
    bool checkAgain_ = false;            // the conditions changed while a job was under way
    quint64 readGeneration_ = 0;         // of the newest reading begun
    quint64 checkGeneration_ = 0;        // of the newest check begun
    QWidget* busy_ = nullptr;           // the busy caption and bar
    HistoryReadingBar* opening_ = nullptr;  // a file being opened, with 取消
    BacktestView* mainView_ = nullptr;
    BacktestView* twoStarView_ = nullptr;
    bool takingHistory_ = false;         // handing a reading's draws to the document
    TrendView* trendView_ = nullptr;

    // ---- the kept draws (history_window_draws.cpp)
    // The choice beside the tabs (it takes no height of its own).
    QWidget* buildLotteryChoice();
    void lotteryChosen(Lottery lottery);
    void storedDrawsChanged(Lottery lottery);
    // The box was pasted into, a file opened or typed: it holds the player's text now.
    void leaveStoredDraws();
    // Merges the draws of the text read into the kept draws of the chosen
    // lottery, away from the window's thread (one merge at a time, the
    // newest waiting); `ask` puts a conflict to the player, otherwise the
    // kept numbers stay.
    void mergeRead(const QString& text, bool ask);
    void startMerge(const QString& text, Lottery lottery, bool ask);
    void mergeDone();
    QString drawsStatus() const;
    QComboBox* lottery_ = nullptr;
    DrawsPanel* draws_ = nullptr;
    Lottery shownLottery_ = Lottery::Fc3d;
    bool showsStore_ = false;    // the box shows the kept draws, not a text of the player's
    bool pasted_ = false;        // pasted into or a file opened since the last reading
    bool typed_ = false;         // typed since the last reading (read after the pause)
    QString drawsNote_;          // what became of the last text's draws
    QFutureWatcher<DrawsMerged>* merger_ = nullptr;
    bool merging_ = false;       // a merge is under way (its answer not yet taken)
    QString mergeText_;          // the text being merged, for the lottery
    Lottery mergeLottery_ = Lottery::Fc3d;
    bool mergePending_ = false;  // another text waits for the merge under way
    QString pendingText_;
    Lottery pendingLottery_ = Lottery::Fc3d;
    bool pendingAsk_ = false;
};

}  // namespace tarnel
