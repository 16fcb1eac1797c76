#include "common/qt/controls.h"

#include <QCheckBox>
#include <QDynamicPropertyChangeEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QMimeData>
#include <QTextBlock>
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
    qsizetype breaks = 0;
    for (QChar c : plain)
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) ++breaks;
    QString out(plain.size() + breaks, Qt::Uninitialized);
    QChar* to = out.data();
    for (QChar c : plain) {
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            *to++ = QLatin1Char('\r');
            *to++ = QLatin1Char('\n');
        } else {
            *to++ = c;
        }
    }
    return out;
}

QString fromLineBreaks(const QString& text) {
    if (!text.contains(QLatin1Char('\r'))) return text;
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    const QChar* from = text.constData();
    const QChar* const end = from + text.size();
    while (from != end) {
        const QChar c = *from++;
        if (c == QLatin1Char('\r')) {
            *to++ = QLatin1Char('\n');
            if (from != end && *from == QLatin1Char('\n')) ++from;
        } else {
            *to++ = c;
        }
    }
    out.truncate(to - out.constData());
    return out;
}

namespace {
// Blocks of a grouped text end at the first line break after this many characters.
constexpr qsizetype kGroupChars = 4096;
// A block this long wraps anywhere: breaking it at words costs the square of its length.
constexpr int kWrapAnywhereChars = 2048;

bool isBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}
}  // namespace

QString toDocumentText(const QString& plain) {
    if (plain.size() < kGroupedTextChars) return plain;
    QString out = plain;
    QChar* const data = out.data();
    qsizetype blockStart = 0;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (!isBreak(data[i])) continue;
        if (i - blockStart >= kGroupChars) {
            data[i] = QLatin1Char('\n');
            blockStart = i + 1;
        } else {
            data[i] = QChar::LineSeparator;
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

void LineBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

MultiLineBox::MultiLineBox(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int charsAdded) { contentsChanged(from, charsAdded); });
}

QString MultiLineBox::text() const {
    if (!textKnown_) {
        text_ = toCrLf(document()->toRawText());
        textKnown_ = true;
    }
    return text_;
}

void MultiLineBox::setText(const QString& text) { setPlainText(toDocumentText(fromLineBreaks(text))); }

void MultiLineBox::contentsChanged(int from, int charsAdded) {
    textKnown_ = false;
    text_ = QString();
    // Wrap anywhere once a block gets too long to wrap at words; back at
    // words when the whole text is short again. Looks at the changed blocks only.
    const QTextDocument* doc = document();
    if (wordWrapMode() == QTextOption::WrapAnywhere) {
        if (doc->characterCount() < kWrapAnywhereChars) setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return;
    }
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= from + charsAdded; b = b.next()) {
        if (b.length() > kWrapAnywhereChars) {
            setWordWrapMode(QTextOption::WrapAnywhere);
            return;
        }
    }
}

void MultiLineBox::insertFromMimeData(const QMimeData* source) {
    // A long paste goes in grouped; a short one as Qt would put it.
    if (isReadOnly() || !source || !source->hasText() || source->text().size() < kGroupedTextChars) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(toDocumentText(fromLineBreaks(source->text())));
    setTextCursor(cursor);
    ensureCursorVisible();
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
