#include "ui/widgets/window_fit.h"

#include <QScreen>
#include <QWidget>

namespace tarnel {

void fitToScreen(QWidget* window) {
    if (const QScreen* screen = window->screen()) fitToArea(window, screen->availableGeometry());
}

void fitToArea(QWidget* window, const QRect& avail) {
    const QSize room(avail.width(), avail.height() - kTitleBarRoom);
    const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    // Keep the whole window on the screen: its far edges first, then its near ones.
    QPoint at = window->pos();
    at.setX(qMax(avail.left(), qMin(at.x(), avail.left() + room.width() - size.width())));
    at.setY(qMax(avail.top(), qMin(at.y(), avail.top() + room.height() - size.height())));
    if (at != window->pos()) window->move(at);
}

void bringToFront(QWidget* window) {
    const bool first = !window->isVisible() && !window->property("tarnelFitted").toBool();
    if (first) {
        window->setProperty("tarnelFitted", true);
        window->ensurePolished();
        fitToScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tarnel
