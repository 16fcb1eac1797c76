#include "ui/widgets/controls.h"

#include <QVBoxLayout>

#include <QCheckBox>
#include <QDynamicPropertyChangeEvent>
#include <QPushButton>

namespace tarnel {

QColor toQColor(quint32 v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }

quint32 fromQColor(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

namespace {
const char* const kBackColorProperty = "tarnelBackColor";

// A check box's back colour is the surface behind it, not its indicator.
QPalette::ColorRole backRole(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget) && !qobject_cast<const QPushButton*>(widget))
        return QPalette::Window;
    return widget->backgroundRole();
}
}  // namespace

quint32 backColor(const QWidget* widget) {
    const QVariant stored = widget->property(kBackColorProperty);
    if (stored.isValid()) return stored.toUInt();
    return fromQColor(widget->palette().color(backRole(widget)));
}

void setBackColor(QWidget* widget, quint32 bbggrr) {
    if (widget->property(kBackColorProperty).toUInt() == bbggrr &&
        widget->property(kBackColorProperty).isValid())
        return;
    widget->setProperty(kBackColorProperty, bbggrr);
    QPalette pal = widget->palette();
    const QColor c = toQColor(bbggrr);
    pal.setColor(backRole(widget), c);
    if (backRole(widget) == QPalette::Button) {
        pal.setColor(QPalette::Button, c);
    } else {
        pal.setColor(QPalette::Window, c);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(pal);
}

QString indexedName(const QString& name, int index) {
    return name + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

std::string toStd(const QString& text) { return text.toStdString(); }
QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QString percentText(int part, int whole) {
    return whole ? QString::number(100.0 * part / whole, 'f', 1) + QLatin1Char('%') : QStringLiteral("-");
}

QPushButton* makeButton(const QString& name, const QString& caption, quint32 bbggrr, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    setBackColor(b, bbggrr);
    return b;
}

ToggleButton::ToggleButton(const QString& name, const QString& caption, quint32 selectedColor,
                           quint32 normalColor, QWidget* parent)
    : QPushButton(caption, parent), selectedColor_(selectedColor), normalColor_(normalColor) {
    setObjectName(name);
    setBackColor(this, normalColor_);
    connect(this, &QPushButton::clicked, this, [this] {
        if (flipsOnClick_) flip();
    });
}

void ToggleButton::setSelected(bool selected) {
    const bool changed = selected != selected_;
    selected_ = selected;
    setBackColor(this, selected_ ? selectedColor_ : normalColor_);
    if (changed) emit selectionChanged(selected_);
}

bool ToggleButton::event(QEvent* event) {
    // A colour painted from outside decides too: the button is selected
    // exactly when it shows its grid's selected colour.
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == kBackColorProperty) {
        const bool selected = backColor(this) == selectedColor_;
        if (selected != selected_) {
            selected_ = selected;
            emit selectionChanged(selected_);
        }
    }
    return QPushButton::event(event);
}

QCheckBox* makeCheck(const QString& name, const QString& caption, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

namespace {
void collectWidgets(const QObject* parent, QList<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        if (child->isWidgetType()) out.push_back(static_cast<QWidget*>(child));
        collectWidgets(child, out);
    }
}
}  // namespace

QWidget* makeStack(int spacing, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    if (spacing >= 0) v->setSpacing(spacing);
    return w;
}

QList<QWidget*> widgetsUnder(const QWidget* root) {
    QList<QWidget*> out;
    collectWidgets(root, out);
    return out;
}

}  // namespace tarnel
