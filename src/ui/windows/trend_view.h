#pragma once
// 走势统计, the last tab of 开奖历史: for each value of a measure, how often it
// came and how long it has been missing, as a table and two charts (counts
// and omissions, each on its own scale). A double-click on a value ticks the
// kill box of the main window that rules out exactly that value, and adds
// beside it a rule (动态条件) that kills the values missing at least as long.

#include <QWidget>
#include <optional>

#include "core/analysis/trends.h"
#include "core/state/condition_state.h"

class QComboBox;
class QLabel;
class QSplitter;
class QTableWidget;

namespace tarnel {

class BarChart;
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

    // Ticks the kill box of value `value` in the main window.
    void pickValue(int value);
    // Adds the kill rule of value `value` to the document.
    void addRuleFor(int value);
    // What the line above the table says now.
    QString noteText() const;

    static QString omissionHint();

signals:
    void itemChosen();

private:
    void showCharts();
    void doubleClicked(int value);

    ConditionsDocument& document_;
    TrendTable table_;
    QComboBox* items_ = nullptr;
    QLabel* note_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QSplitter* charts_ = nullptr;
    BarChart* countChart_ = nullptr;
    BarChart* omissionChart_ = nullptr;
};

}  // namespace tarnel
