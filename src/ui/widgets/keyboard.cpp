#include "ui/widgets/keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusFrame>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <QShortcut>

namespace tarnel {

namespace {

// The focus frame: two pixels of dark blue around the control, drawn over
// the gap the layouts leave between controls.
class FocusRing : public QFocusFrame {
public:
    using QFocusFrame::QFocusFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(0x10, 0x50, 0xD0));
        pen.setWidthF(2.0);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
};

QPointer<FocusRing> ring;

}  // namespace

void addRunShortcuts(QWidget* window, QAbstractButton* start) {
    const QKeySequence keys[] = {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                                 QKeySequence(Qt::CTRL | Qt::Key_Enter)};
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, start, [start] {
            if (start->isEnabled()) start->click();
        });
    }
}

void closeOnEscape(QWidget* window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}

void showFocusFrame(QApplication& app, bool on) {
    static QMetaObject::Connection following;
    QObject::disconnect(following);
    delete ring;
    if (!on) return;
    following = QObject::connect(&app, &QApplication::focusChanged, &app, [](QWidget*, QWidget* now) {
        // Boxes inside a spin box, a combo box or a single-line box holding a
        // long text frame their owner.
        QWidget* target = now;
        while (target && target->focusProxy()) target = target->focusProxy();
        if (target && !target->isWindow() && target->parentWidget() &&
            (target->parentWidget()->inherits("QAbstractSpinBox") || target->parentWidget()->inherits("QComboBox") ||
             target->parentWidget()->inherits("tarnel::LineBox")))
            target = target->parentWidget();
        if (!target || target->isWindow()) {
            if (ring) ring->setWidget(nullptr);
            return;
        }
        // The frame lives in the control's parent, so it goes when that
        // window goes; the next focus change makes a new one.
        if (!ring) {
            ring = new FocusRing;
            ring->setObjectName(QStringLiteral("tarnelFocusFrame"));
        }
        ring->setWidget(target);
    });
}

QWidget* focusFrameTarget() { return ring ? ring->widget() : nullptr; }

}  // namespace tarnel
