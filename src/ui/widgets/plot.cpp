#include "ui/widgets/plot.h"

#include <QEvent>

namespace tarnel {

Plot::Plot(QWidget* parent) : QCustomPlot(parent) {
    setInteractions(QCP::Interactions());
    setAntialiasedElements(QCP::aeAll);
    setNoAntialiasingOnDrag(false);
    setBackground(palette().base());
    axisRect()->setBackground(palette().base());
    // The legend lives in a row of its own under the plot when it is shown.
    axisRect()->insetLayout()->take(legend);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    legend->setVisible(false);
    legend->setMargins(QMargins(4, 2, 4, 8));
    plotLayout()->setRowSpacing(2);
    applyFont();
}

void Plot::setTitle(const QString& title) {
    titleText_ = title;
    if (title.isEmpty()) {
        if (title_) {
            plotLayout()->remove(title_);  // deletes it
            plotLayout()->simplify();
            title_ = nullptr;
        }
        return;
    }
    if (!title_) {
        plotLayout()->insertRow(0);
        plotLayout()->setRowStretchFactor(0, 0.001);
        title_ = new QCPTextElement(this, title, font());
        title_->setMargins(QMargins(4, 4, 4, 0));
        plotLayout()->addElement(0, 0, title_);
    }
    title_->setText(title);
}

QString Plot::title() const { return titleText_; }

void Plot::setLegendShown(bool shown) {
    if (shown == legend->visible()) return;
    legend->setVisible(shown);
    if (shown) {
        const int row = plotLayout()->rowCount();
        plotLayout()->insertRow(row);
        plotLayout()->addElement(row, 0, legend);
        plotLayout()->setRowStretchFactor(row, 0.001);
    } else {
        // Out of the layout, so that it takes no room.
        plotLayout()->take(legend);
        plotLayout()->simplify();
    }
}

bool Plot::legendShown() const { return legend->visible(); }

void Plot::changeEvent(QEvent* event) {
    QCustomPlot::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        applyFont();
        replot();
    }
}

void Plot::applyFont() {
    const QFont f = font();
    for (QCPAxis* axis : axisRect()->axes()) {
        axis->setTickLabelFont(f);
        axis->setLabelFont(f);
        axis->setTickLabelColor(palette().color(QPalette::Text));
        axis->setLabelColor(palette().color(QPalette::Text));
    }
    legend->setFont(f);
    if (title_) title_->setFont(f);
}

}  // namespace tarnel
