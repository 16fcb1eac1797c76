#include "common/qt/controls.h"

#include <QCheckBox>
#include <QDynamicPropertyChangeEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <limits>

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

QString toCrLf(const QString& plain) {
    QString out;
    out.reserve(plain.size() + plain.size() / 16);
    for (QChar c : plain) {
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator)
            out += QLatin1String("\r\n");
        else
            out += c;
    }
    return out;
}

QString fromLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            out += QLatin1Char('\n');
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            out += c;
        }
    }
    return out;
}

LineBox::LineBox(const QString& name, QWidget* parent) : QLineEdit(parent) {
    setObjectName(name);
    // A paste is kept whole, however long (Qt would cut it at 32767 characters).
    setMaxLength(std::numeric_limits<int>::max());
    // A single-line box never holds a line break: a pasted CR LF, CR or LF
    // becomes one space, which separates just as the break did.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) return;
        const int cursor = cursorPosition();
        setText(fromLineBreaks(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        setCursorPosition(qMin(cursor, int(this->text().size())));
    });
}

void LineBox::clearUndoably() {
    // setText() would also forget the box's undo history.
    if (text().isEmpty()) return;
    selectAll();
    del();
}

void LineBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

MultiLineBox::MultiLineBox(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

QString MultiLineBox::text() const { return toCrLf(document()->toRawText()); }

void MultiLineBox::setText(const QString& text) { setPlainText(fromLineBreaks(text)); }

void MultiLineBox::clearUndoably() {
    // setPlainText() would also forget the box's undo history.
    if (document()->isEmpty()) return;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void MultiLineBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
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

}  // namespace tarnel
