#pragma once
// F_tongji, 条件统计: every row with inputs set, with how many numbers it
// rules out on its own and how many of the pool (大底) it rules out, as a
// sortable table and a bar chart of either count, under a one-line summary. Non-modal; it
// follows the document's runs, and before the first run its conditions as they change.

#include <QWidget>

#include "core/analysis/condition_report.h"

class QComboBox;
class QLabel;
class QScrollArea;
class QTableWidget;

namespace tarnel {

class BarChart;
class ConditionsDocument;

class StatisticsWindow : public QWidget {
    Q_OBJECT
public:
    // A separate window on top of `parent`.
    StatisticsWindow(ConditionsDocument& document, QWidget* parent);

    // Shows the last run's statistics, or before the first run those of the
    // conditions as they stand.
    void follow();

    // Shows the statistics of the stage inputs `in` with `tolerance`;
    // `fromRun` tells a finished run's conditions from those not yet run;
    // `extra` are the rules' rows counted with them.
    void showStatistics(const ShrinkInputs& in, int tolerance, bool fromRun, std::span<const ExtraRow> extra = {});
    const ConditionStatistics& statistics() const { return stats_; }

    QSize sizeHint() const override;

private:
    void placeOverParent();
    void fillTable();
    // The bars of the column the chart shows, in the table's order, its
    // first row on top; pool sources have no bar of pool kills.
    void rebuildChart();

    ConditionsDocument& document_;
    ConditionStatistics stats_;
    QLabel* summary_ = nullptr;
    QLabel* basis_ = nullptr;
    QTableWidget* table_ = nullptr;
    QComboBox* chartColumn_ = nullptr;
    BarChart* chart_ = nullptr;
    QScrollArea* chartScroll_ = nullptr;
};

}  // namespace tarnel
