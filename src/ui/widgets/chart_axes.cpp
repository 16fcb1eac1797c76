#include "ui/widgets/chart_axes.h"

#include <algorithm>
#include <qcustomplot.h>

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

int countAxisEnd(int top, int maxTicks) {
    const int step = countTickStep(top, maxTicks);
    return std::max(step, (std::max(top, 1) + step - 1) / step * step);
}

void setCountAxis(QCPAxis* axis, int top, int maxTicks) {
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(countTickStep(top, maxTicks));
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    ticker->setTickOrigin(0);
    axis->setTicker(ticker);
    axis->setSubTicks(false);
    axis->setNumberFormat(QStringLiteral("f"));
    axis->setNumberPrecision(0);
    axis->setRange(0, countAxisEnd(top, maxTicks));
}

}  // namespace tarnel
