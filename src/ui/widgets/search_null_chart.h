#pragma once
// How the same search did on pure chance: the holdout z of every null run
// as a histogram, with this search's holdout z marked. Kept apart from the
// tab so that the chart can change its drawing without touching it.

#include <QStringList>
#include <vector>

#include "ui/widgets/plot.h"

namespace tarnel {

class SearchNullChart : public Plot {
    Q_OBJECT
public:
    explicit SearchNullChart(QWidget* parent = nullptr);
    // The null runs' z (NaN for runs not done are left out) and ours.
    void show(const std::vector<double>& nullZ, double ours);
    void clear();
    // The names of what is drawn, as the legend gives them.
    QStringList seriesNames() const;
    // The bins shown: their lower edges, width and counts.
    double binStart() const { return binStart_; }
    double binWidth() const { return binWidth_; }
    const std::vector<int>& counts() const { return counts_; }

    QSize sizeHint() const override { return {360, 240}; }

private:
    double binStart_ = 0, binWidth_ = 0;
    std::vector<int> counts_;
};

}  // namespace tarnel
