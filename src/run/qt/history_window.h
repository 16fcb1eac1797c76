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

#include "run/backtest.h"
#include "run/history.h"
#include "run/trends.h"

class QComboBox;
class QLabel;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTimer;

class QChart;
class QChartView;
template <typename T>
class QFutureWatcher;

namespace tarnel {

class MultiLineBox;

class MainWindow;
class UiServices;

// The rows of a backtest for a table view: data is made when a row is
// painted, so a history of a few hundred thousand draws shows at once.
class BacktestModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Line, Issue, Number, Result, KilledBy, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;
    void setBacktest(Backtest backtest, bool twoStar);
    const Backtest& backtest() const { return backtest_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Backtest backtest_;
    bool twoStar_ = false;
};

// One backtest tab: summary, table and the bar chart of kills by condition.
class BacktestView : public QWidget {
    Q_OBJECT
public:
    BacktestView(const QString& name, bool twoStar, QWidget* parent);
    void showBacktest(Backtest backtest);
    // Nothing to check (no window, no history): the reason instead of a summary.
    void showNothing(const QString& reason);
    const BacktestModel& model() const { return *model_; }
    QString summaryText() const;
    QChart* chart() const { return chart_; }

private:
    void fillChart(const Backtest& backtest);

    bool twoStar_;
    BacktestModel* model_;
    QLabel* summary_;
    QTableView* table_;
    QChart* chart_;
    QChartView* chartView_;
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
    TrendMeasure measure = TrendMeasure::Sum;
    std::shared_ptr<const History> history;
    ShrinkInputs mainInputs;                // the main window's conditions
    int tolerance = 0;
    std::optional<TwoStarInputs> twoStar;   // while that window is open
};

struct HistoryReading {
    quint64 generation = 0;
    bool read = false;
    TrendMeasure measure = TrendMeasure::Sum;
    QString text;                           // the text that was read
    std::shared_ptr<const History> history;
    TrendTable trend;                       // of `measure`, when read
    bool saved = false;                     // the text is what history.txt holds now
    QString saveError;                      // why writing history.txt failed
    Backtest main;
    std::optional<Backtest> twoStar;
};

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    HistoryWindow(MainWindow& main, UiServices& services);
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

    // Opens a history file into the box; on any fault one message and the box keeps its text.
    bool openHistoryFile(const QString& path);
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

    // 走势统计: the measure shown, and a double-click on value `value`.
    void showTrend(TrendMeasure measure);
    TrendMeasure shownTrend() const;
    void pickTrendValue(int value);
    const TrendTable& trend() const { return trend_; }

    static QString trendOmissionHint();

signals:
    // A reading of the box has been taken in: history() holds its draws.
    void historyRead();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildInputTab();
    QWidget* buildTrendTab();
    void textEdited();
    HistoryJob job(bool read);
    void startReading();
    void startJob(bool read);
    void readingFinished();
    void applyReading(HistoryReading reading);
    void showBacktests(HistoryReading& reading);
    void waitForReading();
    void noteSave(const HistoryReading& reading);
    void showTrendTable();
    void remember();
    void showStatus();
    void refreshTrend();

    MainWindow& main_;
    UiServices& services_;
    std::shared_ptr<const History> history_ = std::make_shared<const History>();
    TrendTable trend_;
    QString savedText_;       // what history.txt holds
    QString saveError_;       // why the last save failed, empty when it worked
    bool dirty_ = false;      // the box changed since it was last read
    QTabWidget* tabs_ = nullptr;
    MultiLineBox* text_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* rereadTimer_ = nullptr;
    QTimer* backtestTimer_ = nullptr;    // two-star changes, after a pause
    QTimer* busyTimer_ = nullptr;        // a job that takes more than a moment shows the bar
    QFutureWatcher<HistoryReading>* reader_ = nullptr;
    bool readAgain_ = false;             // the box changed while a job was under way
    bool checkAgain_ = false;            // the conditions changed while a job was under way
    quint64 readGeneration_ = 0;         // of the newest reading begun
    quint64 checkGeneration_ = 0;        // of the newest check begun
    QWidget* busy_ = nullptr;           // the busy caption and bar
    BacktestView* mainView_ = nullptr;
    BacktestView* twoStarView_ = nullptr;
    QComboBox* trendMeasure_ = nullptr;
    QTableWidget* trendTable_ = nullptr;
    QChart* trendChart_ = nullptr;
    QLabel* trendNote_ = nullptr;
    QPointer<QObject> watchedTwoStar_;
};

}  // namespace tarnel
