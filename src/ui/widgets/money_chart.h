#pragma once
// Money over a run of past draws: the cumulative profit of betting by the
// conditions, beside the mean of random bets of the same sizes and the band
// of two standard deviations around it, with a legend and, under the
// pointer, the figures of the draw there.

#include <QString>
#include <QVector>
#include <utility>

#include "ui/widgets/plot.h"

namespace tarnel {

class MoneyChart : public Plot {
    Q_OBJECT
public:
    // The captions of the lines, as the legend shows them.
    static QString actualName();
    static QString meanName();
    static QString bandName();

    struct Points {
        QVector<double> draw;  // 1, 2, … in time order (a long run thinned out)
        QVector<double> actual, mean, upper, lower;
    };

    explicit MoneyChart(QWidget* parent = nullptr);

    // Shows the points; `draws` is the number of the last draw.
    void setPoints(const Points& points, int draws);
    // Nothing drawn (the title stays).
    void clearPoints();

    bool isEmpty() const { return points_.draw.isEmpty(); }
    const Points& points() const { return points_; }
    // The line (graph) of a caption, or null.
    QCPGraph* line(const QString& name) const;
    // The band's edges: {upper, lower}.
    std::pair<QCPGraph*, QCPGraph*> band() const { return {upper_, lower_}; }
    // The text under the pointer at `pos` (empty off the plot).
    QString pointText(const QPointF& pos) const;

protected:
    bool event(QEvent* event) override;

private:
    Points points_;
    QCPGraph *actual_ = nullptr, *mean_ = nullptr, *upper_ = nullptr, *lower_ = nullptr;
};

}  // namespace tarnel
