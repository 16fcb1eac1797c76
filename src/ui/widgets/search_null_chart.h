#pragma once
// How the same search did on pure chance: the holdout z of every null run
// as a histogram, with this search's holdout z marked. Kept apart from the
// tab so that the chart can change its drawing without touching it.

#include <QWidget>
#include <vector>

class QChart;
class QChartView;

namespace tarnel {

class SearchNullChart : public QWidget {
    Q_OBJECT
public:
    explicit SearchNullChart(QWidget* parent = nullptr);
    // The null runs' z (NaN for runs not done are left out) and ours.
    void show(const std::vector<double>& nullZ, double ours);
    void clear();
    QChart* chart() const { return chart_; }
    // The bins shown: their lower edges, width and counts.
    double binStart() const { return binStart_; }
    double binWidth() const { return binWidth_; }
    const std::vector<int>& counts() const { return counts_; }

private:
    QChart* chart_;
    QChartView* view_;
    double binStart_ = 0, binWidth_ = 0;
    std::vector<int> counts_;
};

}  // namespace tarnel
