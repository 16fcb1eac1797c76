#include "ui/widgets/money_chart.h"

#include <QHelpEvent>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "ui/widgets/chart_axes.h"

namespace tarnel {
namespace {

// An amount of yuan with at most two decimals, none when whole.
QString yuan(double value) {
    QString text = QString::number(value, 'f', 2);
    if (text.endsWith(QStringLiteral(".00"))) text.chop(3);
    else if (text.contains(QLatin1Char('.')) && text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text + QStringLiteral("元");
}

const QColor kRandom(70, 130, 220);
const QColor kActual(200, 40, 40);

}  // namespace

QString MoneyChart::actualName() { return QStringLiteral("按条件投注"); }
QString MoneyChart::meanName() { return QStringLiteral("随机投注平均"); }
QString MoneyChart::bandName() { return QStringLiteral("随机投注 ±2 个标准差"); }

MoneyChart::MoneyChart(QWidget* parent) : Plot(parent) {
    setLegendShown(true);
    xAxis->setLabel(QStringLiteral("期（最早 → 最新）"));
    yAxis->setLabel(QStringLiteral("元"));
    yAxis->setNumberFormat(QStringLiteral("f"));
    yAxis->setNumberPrecision(0);
    clearPoints();
}

void MoneyChart::clearPoints() {
    points_ = {};
    clearGraphs();
    actual_ = mean_ = upper_ = lower_ = nullptr;
    xAxis->setRange(1, 2);
    yAxis->setRange(0, 1);
    replot();
}

void MoneyChart::setPoints(const Points& points, int draws) {
    clearGraphs();
    points_ = points;
    // The band first, under the lines; its lower edge fills up to the upper one.
    upper_ = addGraph();
    lower_ = addGraph();
    mean_ = addGraph();
    actual_ = addGraph();
    upper_->setName(bandName());
    lower_->setName(bandName());
    mean_->setName(meanName());
    actual_->setName(actualName());
    upper_->setData(points.draw, points.upper, true);
    lower_->setData(points.draw, points.lower, true);
    mean_->setData(points.draw, points.mean, true);
    actual_->setData(points.draw, points.actual, true);
    QColor edge = kRandom;
    edge.setAlpha(120);
    QColor fill = kRandom;
    fill.setAlpha(60);
    upper_->setPen(QPen(edge, 1));
    lower_->setPen(QPen(edge, 1));
    upper_->setBrush(fill);
    upper_->setChannelFillGraph(lower_);
    lower_->removeFromLegend();
    mean_->setPen(QPen(kRandom, 1.5, Qt::DashLine));
    actual_->setPen(QPen(kActual, 2));

    const int last = std::max(draws, 2);
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(countTickStep(last, 5));
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    xAxis->setTicker(ticker);
    xAxis->setSubTicks(false);
    xAxis->setNumberFormat(QStringLiteral("f"));
    xAxis->setNumberPrecision(0);
    xAxis->setRange(1, last);

    double low = 0, high = 0;
    for (const QVector<double>* values : {&points.actual, &points.mean, &points.upper, &points.lower})
        for (double v : *values)
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
    if (high <= low) high = low + 1;
    const double margin = (high - low) * 0.04;
    yAxis->setRange(low - margin, high + margin);
    replot();
}

QCPGraph* MoneyChart::line(const QString& name) const {
    if (name == actualName()) return actual_;
    if (name == meanName()) return mean_;
    if (name == bandName()) return upper_;
    return nullptr;
}

QString MoneyChart::pointText(const QPointF& pos) const {
    // The first and last draws lie on the plot's edges: a few pixels beside them count too.
    if (isEmpty() || !axisRect()->rect().adjusted(-4, 0, 4, 0).contains(pos.toPoint())) return {};
    const double x = xAxis->pixelToCoord(pos.x());
    // The nearest point drawn.
    const auto it = std::lower_bound(points_.draw.begin(), points_.draw.end(), x);
    int i = int(it - points_.draw.begin());
    if (i == points_.draw.size() || (i > 0 && x - points_.draw[i - 1] < points_.draw[i] - x)) --i;
    return QStringLiteral("第 %1 期：%2 %3，%4 %5（%6 %7 ~ %8）")
        .arg(points_.draw[i], 0, 'f', 0)
        .arg(actualName(), yuan(points_.actual[i]), meanName(), yuan(points_.mean[i]), bandName(),
             yuan(points_.lower[i]), yuan(points_.upper[i]));
}

bool MoneyChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = pointText(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return Plot::event(event);
}

}  // namespace tarnel
