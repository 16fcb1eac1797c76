#pragma once
// 走势统计, the last tab of 开奖历史: for each value of a measure, how often it
// came and how long it has been missing, as a table and two charts (counts
// and omissions, each on its own scale). A click on a value ticks the kill
// box of the main window that rules out exactly that value; a double-click
// adds a rule (动态条件) that kills the values missing at least as long.

#include <QWidget>
#include <optional>

#include "core/analysis/trends.h"
#include "core/state/condition_state.h"

class QAbstractBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QSplitter;
class QTableWidget;

namespace tarnel {

class ConditionsDocument;

class TrendView : public QWidget {
    Q_OBJECT
public:
    TrendView(ConditionsDocument& document, QWidget* parent);

    // The item chosen in the list (统计项目); choosing another says itemChosen.
    void showItem(TrendItem item);
    TrendItem shownItem() const;
    // Shows the table of the item shown, worked out over the past draws.
    void showTable(TrendTable table);
    const TrendTable& table() const { return table_; }

    // A click on value `value`: ticks its kill box in the main window.
    void pickValue(int value);
    // A double-click on value `value`: adds its kill rule to the document.
    void addRuleFor(int value);
    // What the line above the table says now.
    QString noteText() const;

    static QString omissionHint();

signals:
    void itemChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCharts();
    void fillChart(QChart* chart, const QList<QBarSet*>& sets, const QStringList& captions, int top, bool across);
    void clicked(int value);
    void doubleClicked(int value);

    ConditionsDocument& document_;
    TrendTable table_;
    QComboBox* items_ = nullptr;
    QLabel* note_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QSplitter* charts_ = nullptr;
    QChart* countChart_ = nullptr;
    QChart* omissionChart_ = nullptr;

    // The tick of the last click, undone when that click turns out to be the
    // first half of a double-click (which adds a rule instead).
    struct Tick {
        TrendItem item;
        int value = 0;
        MainConditions before;
        MainConditions after;
        QString note;  // what the line said about it
    };
    std::optional<Tick> lastTick_;
    // When (by the events' clock) a mouse button last came up over the table
    // or a chart, and whether the double-click under way followed that click
    // within the double-click time.
    quint64 releasedAt_ = 0;
    bool doubleFollowsClick_ = false;
    bool inDouble_ = false;           // a double-click's button is down
    bool releaseEndsDouble_ = false;  // the last button up ended a double-click
};

}  // namespace tarnel
