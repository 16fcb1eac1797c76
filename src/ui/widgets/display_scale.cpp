#include "ui/widgets/display_scale.h"

#include "ui/widgets/settings.h"
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tarnel {

namespace {

// What a control had before any scaling, kept on the control itself.
const char* const kBaseMin = "tarnelBaseMinimumSize";
const char* const kBaseMax = "tarnelBaseMaximumSize";
const char* const kBasePointSize = "tarnelBasePointSize";
const char* const kAppBasePointSize = "tarnelBaseAppPointSize";
const char* const kScaledTo = "tarnelScaledTo";

int current = kMinDisplayScale;

int clampScale(int percent) { return std::clamp(percent, kMinDisplayScale, kMaxDisplayScale); }

int scaled(int base, int percent) { return int(std::lround(double(base) * percent / 100.0)); }

// The controls the windows size by hand. Parts built inside other controls
// (the edit of a spin box, the arrows of a tab bar, the long-text editor of
// a single-line box) size themselves and are left alone.
bool sizedByHand(const QWidget* w) {
    if (w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"))) return false;
    const QWidget* parent = w->parentWidget();
    if (parent && (qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent) ||
                   qobject_cast<const QLineEdit*>(parent)))
        return false;
    if (qobject_cast<const QToolButton*>(w)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QLabel*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QListWidget*>(w) || qobject_cast<const QGroupBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

QSize scaledSize(QSize base, int percent, int unlimited) {
    auto one = [&](int v) { return v <= 0 || v >= unlimited ? v : scaled(v, percent); };
    return QSize(one(base.width()), one(base.height()));
}

void scaleWidget(QWidget* w, int percent) {
    if (w->property(kScaledTo).toInt() == percent) return;
    if (percent == kMinDisplayScale && !w->property(kScaledTo).isValid()) return;  // never scaled: as built
    // A font the control chose itself (a size, not only bold) grows too;
    // inherited fonts follow the program's font.
    if (w->testAttribute(Qt::WA_SetFont) && (w->font().resolveMask() & QFont::SizeResolved)) {
        QVariant base = w->property(kBasePointSize);
        if (!base.isValid()) {
            base = w->font().pointSizeF();
            w->setProperty(kBasePointSize, base);
        }
        if (base.toDouble() > 0) {
            QFont f = w->font();
            f.setPointSizeF(base.toDouble() * percent / 100.0);
            w->setFont(f);
        }
    }
    if (sizedByHand(w)) {
        const QSize none(0, 0), unlimited(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        QVariant baseMin = w->property(kBaseMin), baseMax = w->property(kBaseMax);
        if (!baseMin.isValid()) {
            baseMin = w->minimumSize();
            baseMax = w->maximumSize();
            w->setProperty(kBaseMin, baseMin);
            w->setProperty(kBaseMax, baseMax);
        }
        if (baseMin.toSize() != none) w->setMinimumSize(scaledSize(baseMin.toSize(), percent, QWIDGETSIZE_MAX));
        if (baseMax.toSize() != unlimited)
            w->setMaximumSize(scaledSize(baseMax.toSize(), percent, QWIDGETSIZE_MAX));
    }
    w->setProperty(kScaledTo, percent);
}

// Scales every control as it is first polished, so windows opened later
// (the two-star window, the statistics) come up at the chosen size.
class ScaleWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish && watched->isWidgetType())
            scaleWidget(static_cast<QWidget*>(watched), current);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int savedDisplayScale() {
    const int percent = Settings::intValue(Setting::DisplayScale);
    return percent >= kMinDisplayScale && percent <= kMaxDisplayScale ? percent : kMinDisplayScale;
}

int displayScale() { return current; }

void setDisplayScale(int percent) {
    percent = clampScale(percent);
    Settings::set(Setting::DisplayScale, percent);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || (percent == current && !app->property(kAppBasePointSize).isValid() && percent == kMinDisplayScale))
        return;
    static ScaleWatcher* watcher = nullptr;
    if (!watcher) {
        watcher = new ScaleWatcher(app);
        app->installEventFilter(watcher);
    }
    QVariant base = app->property(kAppBasePointSize);
    if (!base.isValid()) {
        base = QApplication::font().pointSizeF();
        app->setProperty(kAppBasePointSize, base);
    }
    current = percent;
    if (base.toDouble() > 0) {
        QFont f = QApplication::font();
        f.setPointSizeF(base.toDouble() * percent / 100.0);
        QApplication::setFont(f);
        // Qt tells the controls only once its event loop runs; before that
        // (at start-up) they are told here. Telling twice changes nothing.
        QEvent change(QEvent::ApplicationFontChange);
        for (QWidget* w : QApplication::allWidgets()) QCoreApplication::sendEvent(w, &change);
    }
    for (QWidget* w : QApplication::allWidgets()) scaleWidget(w, percent);
}

}  // namespace tarnel
