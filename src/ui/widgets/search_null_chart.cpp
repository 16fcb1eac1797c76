#include "ui/widgets/search_null_chart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/widgets/chart_axes.h"

namespace tarnel {

SearchNullChart::SearchNullChart(QWidget* parent) : QWidget(parent), chart_(new QChart) {
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->legend()->setAlignment(Qt::AlignBottom);
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(320, 220);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    clear();
}

void SearchNullChart::clear() {
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    counts_.clear();
    binStart_ = binWidth_ = 0;
    chart_->setTitle(QStringLiteral("纯随机开奖上同样寻优的检验期 z 值"));
    chart_->legend()->setVisible(false);
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

    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    for (int b = 0; b < bins; ++b) {
        const double x0 = binStart_ + b * width, x1 = x0 + width;
        upper->append(x0, counts_[std::size_t(b)]);
        upper->append(x1, counts_[std::size_t(b)]);
        lower->append(x0, 0);
        lower->append(x1, 0);
    }
    auto* bars = new QAreaSeries(upper, lower);
    bars->setName(QStringLiteral("纯随机开奖（%1 次）").arg(z.size()));
    bars->setColor(QColor(120, 150, 200));
    bars->setBorderColor(QColor(70, 100, 160));
    chart_->addSeries(bars);

    const int top = *std::max_element(counts_.begin(), counts_.end());
    auto* mark = new QLineSeries;
    mark->setName(QStringLiteral("本次 z = %1").arg(QString::number(ours, 'f', 2)));
    mark->append(ours, 0);
    mark->append(ours, top);
    QPen pen(QColor(200, 30, 30));
    pen.setWidth(3);
    mark->setPen(pen);
    chart_->addSeries(mark);

    auto* x = new QValueAxis;
    x->setRange(binStart_, binStart_ + bins * width);
    // Ticks on whole steps from 0, so that 0 (chance) always has one.
    const double range = bins * width;
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(range <= 6 ? 0.5 : range <= 12 ? 1 : range <= 30 ? 2 : 5);
    x->setLabelFormat(range <= 6 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
    x->setTitleText(QStringLiteral("检验期 z 值（中奖期数比随机投注多几个标准差）"));
    auto* y = new QValueAxis;
    setCountAxis(y, top);
    y->setTitleText(QStringLiteral("次数"));
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart_->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    chart_->legend()->setVisible(true);
}

}  // namespace tarnel
