#pragma once
// F_zuhe: 方案组合. A list of scheme files (and, if the player wants, the
// main window's conditions as they stand), each run on its own; the numbers
// that at least n − K of the n schemes keep; and, with draws in 开奖历史,
// how that combination would have fared draw by draw.

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/analysis/combine.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

namespace tarnel {

class ConditionsDocument;
class MainWindow;
class MultiLineBox;
class ResultsView;
class UiServices;

// The draws of a combination's backtest for a table view.
class CombinationBacktestModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Line, Issue, Number, Result, Holders, Win, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;
    void setBacktest(CombinationBacktest backtest);
    const CombinationBacktest& backtest() const { return backtest_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CombinationBacktest backtest_;
};

class BacktestRangeBar;

class CombineWindow : public QWidget {
    Q_OBJECT
public:
    // A separate window on top of `parent`, combining with the document's
    // conditions and checking against its past draws.
    CombineWindow(ConditionsDocument& document, QWidget* parent);
    ~CombineWindow() override;

    // One row of the list: a scheme file, or the main window's conditions.
    struct Entry {
        QString path;                       // empty for the main window's conditions
        std::optional<MainConditions> conditions;  // as read, rules (动态条件) included
        std::optional<NumberSet> survivors; // its run now, rules looking back on the history; empty while the row cannot take part
        QString problem;                    // why not: missing, unreadable or refused
        bool isCurrent() const { return path.isEmpty(); }
    };
    const std::vector<Entry>& entries() const { return entries_; }

    // Adds scheme files to the list (a path already listed is not added
    // twice); false when none was added.
    bool addSchemeFiles(const QStringList& paths);
    void chooseSchemeFiles();  // with the file dialog
    // "当前条件": the main window as it stands, once in the list.
    void addCurrentConditions();
    void removeRow(int row);
    void removeSelected();
    // Reads every file again and runs the main window's conditions again.
    void rereadAll();

    int tolerance() const { return tolerance_; }
    // Clamped to 0..n − 1.
    void setTolerance(int k);
    // The combination, when it can be made.
    const std::optional<NumberSet>& combined() const { return combined_; }
    QString resultText() const;
    QString statusText() const;

    void copyNumbers();
    void exportNumbers();
    void sendToBaseList();
    ResultsView* openResults();

    const CombinationBacktestModel& backtestModel() const { return *backtestModel_; }
    QString backtestSummary() const;
    BacktestRangeBar* backtestRange() const { return backtestRange_; }

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void readEntry(Entry& entry);
    void runEntry(Entry& entry);
    void historyChanged();
    void recombine();
    void showList();
    void showBacktest();
    void remember() const;
    void followMain();

    ConditionsDocument& document_;
    UiServices& services_;
    std::vector<Entry> entries_;
    int tolerance_ = 0;
    std::optional<NumberSet> combined_;
    std::optional<MainConditions> currentShown_;  // the main window's state the current row was run from

    QTableWidget* list_ = nullptr;
    QPushButton* remove_ = nullptr;
    QComboBox* toleranceBox_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* status_ = nullptr;
    MultiLineBox* result_ = nullptr;
    QList<QPushButton*> resultButtons_;
    QLabel* backtestSummary_ = nullptr;
    BacktestRangeBar* backtestRange_ = nullptr;
    QTableView* backtestTable_ = nullptr;
    CombinationBacktestModel* backtestModel_ = nullptr;
    QTimer* followTimer_ = nullptr;
    QPointer<ResultsView> results_;
};

// 工具 → 方案组合: the main window's one combination window, made when first
// opened (MainWindow::openCombine).
CombineWindow* openCombineWindow(MainWindow& main, UiServices& services);

}  // namespace tarnel
