#pragma once
// 查看结果: the numbers of a result box laid out in a grid, with their
// straight and group counts, group forms, cost, a chart by sum, copy and
// export in a chosen layout, and buttons that send them to an input box.
// One view serves the main window (three digits) and the two-star window
// (two digits); it follows its result box while it is open.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <vector>

#include "common/result_summary.h"

class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace tarnel {

class MultiLineBox;
class UiServices;

class ResultsView : public QDialog {
    Q_OBJECT
public:
    // `width` is 3 for the main window, 2 for the two-star window.
    ResultsView(MultiLineBox* resultBox, int width, UiServices& services, QWidget* parent);

    // A button "发送到…" that hands the numbers, space-separated, to `send`.
    QPushButton* addTarget(const QString& objectName, const QString& caption,
                           std::function<void(const QString&)> send);

    // Reads the result box again (the view does this by itself when the box changes).
    void refresh();

    const std::vector<int>& numbers() const { return numbers_; }
    const ResultSummary& summary() const { return summary_; }
    // The price of one bet in fen, as the price box shows it.
    int priceFen() const;
    // The numbers in the layout chosen for copying and export.
    QString formattedText() const;
    // Columns of the number grid.
    static constexpr int kGridColumns = 10;

    void copyNumbers();
    void exportNumbers();

private:
    void showSummary();
    void showGrid();
    void showChart();
    void rememberChoices() const;

    QPointer<MultiLineBox> box_;
    int width_;
    UiServices& services_;
    std::vector<int> numbers_;
    ResultSummary summary_;

    QLabel* counts_ = nullptr;
    QLabel* forms_ = nullptr;
    QLabel* cost_ = nullptr;
    QDoubleSpinBox* price_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    QComboBox* separator_ = nullptr;
    QSpinBox* perLine_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* export_ = nullptr;
    QHBoxLayout* targetRow_ = nullptr;
    QList<QPushButton*> targets_;
    QTimer* followTimer_ = nullptr;
};

}  // namespace tarnel
