#include "ui/widgets/search_null_chart.h"

#include <algorithm>
#include <cmath>

#include "ui/widgets/chart_axes.h"

namespace tarnel {

SearchNullChart::SearchNullChart(QWidget* parent) : Plot(parent) {
    setMinimumSize(320, 220);
    setTitle(QStringLiteral("纯随机开奖上同样寻优的检验期 z 值"));
    xAxis->setLabel(QStringLiteral("检验期 z 值（中奖期数比随机投注多几个标准差）"));
    yAxis->setLabel(QStringLiteral("次数"));
    clear();
}

void SearchNullChart::clear() {
    clearPlottables();
    counts_.clear();
    binStart_ = binWidth_ = 0;
    setLegendShown(false);
    setCountAxis(yAxis, 1);
    xAxis->setRange(-3, 3);
    replot();
}

QStringList SearchNullChart::seriesNames() const {
    QStringList names;
    auto* self = const_cast<SearchNullChart*>(this);  // QCustomPlot has no const access
    for (int i = 0; i < plottableCount(); ++i) names << self->plottable(i)->name();
    return names;
}

void SearchNullChart::show(const std::vector<double>& nullZ, double ours) {
    clear();
    std::vector<double> z;
    for (double v : nullZ)
        if (std::isfinite(v)) z.push_back(v);
    if (z.empty() || !std::isfinite(ours)) return;

    // Bins of a round width over the null runs and ours, about 20 of them.
    const double lo = std::min(*std::min_element(z.begin(), z.end()), ours);
    const double hi = std::max(*std::max_element(z.begin(), z.end()), ours);
    const double span = std::max(hi - lo, 1.0);
    double width = 0.1;
    for (double w : {0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0})
        if (span / w <= 24) {
            width = w;
            break;
        }
    binWidth_ = width;
    binStart_ = std::floor(lo / width) * width;
    const int bins = std::max(1, int(std::floor((hi - binStart_) / width)) + 1);
    counts_.assign(std::size_t(bins), 0);
    for (double v : z) ++counts_[std::size_t(std::clamp(int(std::floor((v - binStart_) / width)), 0, bins - 1))];

    auto* bars = new QCPBars(xAxis, yAxis);
    bars->setName(QStringLiteral("纯随机开奖（%1 次）").arg(z.size()));
    bars->setWidth(width);
    bars->setBrush(QColor(120, 150, 200));
    bars->setPen(QPen(QColor(70, 100, 160)));
    QVector<double> keys, values;
    for (int b = 0; b < bins; ++b) {
        keys << binStart_ + (b + 0.5) * width;
        values << counts_[std::size_t(b)];
    }
    bars->setData(keys, values, true);

    const int top = *std::max_element(counts_.begin(), counts_.end());
    auto* mark = addGraph();
    mark->setName(QStringLiteral("本次 z = %1").arg(QString::number(ours, 'f', 2)));
    QPen pen(QColor(200, 30, 30));
    pen.setWidth(3);
    mark->setPen(pen);
    mark->setData({ours, ours}, {0.0, double(top)}, true);

    xAxis->setRange(binStart_, binStart_ + bins * width);
    // Ticks on whole steps from 0, so that 0 (chance) always has one.
    const double range = bins * width;
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(range <= 6 ? 0.5 : range <= 12 ? 1 : range <= 30 ? 2 : 5);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    ticker->setTickOrigin(0);
    xAxis->setTicker(ticker);
    xAxis->setNumberFormat(QStringLiteral("f"));
    xAxis->setNumberPrecision(range <= 6 ? 1 : 0);
    setCountAxis(yAxis, top);
    setLegendShown(true);
    replot();
}

}  // namespace tarnel
