#include "ui/widgets/chart_axes.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QCursor>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>

namespace tarnel {

int countTickStep(int top, int maxTicks) {
    top = std::max(top, 1);
    maxTicks = std::max(maxTicks, 1);
    for (long long power = 1;; power *= 10)
        for (long long factor : {1, 2, 5}) {
            const long long step = factor * power;
            if ((top + step - 1) / step <= maxTicks) return static_cast<int>(step);
        }
}

void setCountAxis(QValueAxis* axis, int top) {
    const int step = countTickStep(top);
    const int end = std::max(step, (std::max(top, 1) + step - 1) / step * step);
    axis->setRange(0, end);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%d"));
}

void showValuesOnHover(QAbstractBarSeries* series) {
    QObject::connect(series, &QAbstractBarSeries::hovered, series, [](bool over, int index, QBarSet* set) {
        if (over && set && index >= 0 && index < set->count())
            QToolTip::showText(QCursor::pos(), set->label().isEmpty()
                                                   ? QString::number(set->at(index))
                                                   : QStringLiteral("%1：%2").arg(set->label()).arg(set->at(index)));
        else
            QToolTip::hideText();
    });
}

}  // namespace tarnel
