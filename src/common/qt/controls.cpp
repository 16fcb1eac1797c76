#include "common/qt/controls.h"

#include <QCheckBox>
#include <QDynamicPropertyChangeEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QKeyEvent>
#include <algorithm>
#include <iterator>
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
// Blocks of a grouped text end at the first line break after this many
// characters, and a line is cut when its block reaches twice as many.
constexpr qsizetype kGroupChars = 4096;
constexpr qsizetype kCutChars = 2 * kGroupChars;
// A block this long wraps anywhere: breaking it at words costs the square of its length.
constexpr int kWrapAnywhereChars = 2048;

bool isBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}
}  // namespace

DocumentText toDocumentText(const QString& plain) {
    DocumentText out;
    if (plain.size() < kGroupedTextChars) {
        out.text = plain;
        return out;
    }
    out.text.reserve(plain.size() + plain.size() / kGroupChars + 1);
    qsizetype blockStart = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain[i];
        const qsizetype blockLength = out.text.size() - blockStart;
        if (isBreak(c)) {
            out.text += blockLength >= kGroupChars ? QChar(QLatin1Char('\n')) : QChar(QChar::LineSeparator);
            if (blockLength >= kGroupChars) blockStart = out.text.size();
        } else {
            // Cut an overlong line, never inside a surrogate pair.
            if (blockLength >= kCutChars && !c.isLowSurrogate()) {
                out.joins.push_back(out.text.size());
                out.text += QLatin1Char('\n');
                blockStart = out.text.size();
            }
            out.text += c;
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
    connect(document(), &QTextDocument::contentsChange, this, &MultiLineBox::contentsChanged);
}

bool MultiLineBox::isJoin(int position) const {
    return std::binary_search(joins_.begin(), joins_.end(), position);
}

QString MultiLineBox::joinedText(int from, int to, QLatin1String lineBreak) const {
    const QString raw = document()->toRawText();
    from = qBound(0, from, int(raw.size()));
    to = qBound(from, to, int(raw.size()));
    QString out;
    out.reserve(to - from + (to - from) / 8);
    auto join = std::lower_bound(joins_.begin(), joins_.end(), from);
    for (int i = from; i < to; ++i) {
        const QChar c = raw[i];
        if (join != joins_.end() && *join == i) {
            ++join;
            continue;
        }
        if (isBreak(c))
            out += lineBreak;
        else
            out += c;
    }
    return out;
}

int MultiLineBox::documentPosition(qsizetype index) const {
    qsizetype position = index;
    for (int join : joins_) {
        if (join >= position) break;
        ++position;
    }
    return int(position);
}

QString MultiLineBox::text() const {
    if (!textKnown_) {
        text_ = joins_.empty() ? toCrLf(document()->toRawText())
                               : joinedText(0, std::numeric_limits<int>::max(), QLatin1String("\r\n"));
        textKnown_ = true;
    }
    return text_;
}

void MultiLineBox::insertGrouped(QTextCursor& cursor, const QString& plain) {
    const DocumentText grouped = toDocumentText(plain);
    // A cut line cannot come back through undo: the document would restore
    // its block ends as line breaks. So a box holding one keeps no undo steps.
    if (!grouped.joins.empty()) document()->setUndoRedoEnabled(false);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int at = cursor.position();
    cursor.insertText(grouped.text);
    cursor.endEditBlock();
    std::vector<int> added;
    added.reserve(grouped.joins.size());
    for (qsizetype j : grouped.joins) added.push_back(at + int(j));
    std::vector<int> merged;
    merged.reserve(joins_.size() + added.size());
    std::merge(joins_.begin(), joins_.end(), added.begin(), added.end(), std::back_inserter(merged));
    joins_ = std::move(merged);
    textKnown_ = false;
}

void MultiLineBox::setText(const QString& text) {
    const QString plain = fromLineBreaks(text);
    if (plain.size() < kGroupedTextChars) {
        setPlainText(plain);
        return;
    }
    setPlainText(QString());
    QTextCursor cursor(document());
    insertGrouped(cursor, plain);
    moveCursor(QTextCursor::Start);
}

void MultiLineBox::contentsChanged(int from, int charsRemoved, int charsAdded) {
    textKnown_ = false;
    text_ = QString();
    if (!joins_.empty()) {
        // Joins inside the changed range are gone; those after it move.
        std::vector<int> kept;
        kept.reserve(joins_.size());
        const QTextDocument* doc = document();
        for (int p : joins_) {
            if (p >= from && p < from + charsRemoved) continue;
            const int moved = p >= from + charsRemoved ? p + charsAdded - charsRemoved : p;
            if (doc->characterAt(moved) == QChar::ParagraphSeparator) kept.push_back(moved);
        }
        joins_ = std::move(kept);
        if (joins_.empty())
            QMetaObject::invokeMethod(this, [this] { if (joins_.empty()) document()->setUndoRedoEnabled(true); },
                                      Qt::QueuedConnection);
    }
    // Wrap anywhere once a line gets too long to wrap at words; back at
    // words when the whole text is short again. Looks at the changed blocks only.
    const QTextDocument* doc = document();
    if (wordWrapMode() == QTextOption::WrapAnywhere) {
        if (doc->characterCount() < kWrapAnywhereChars) setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return;
    }
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= from + charsAdded; b = b.next()) {
        if (b.length() <= kWrapAnywhereChars) continue;
        qsizetype line = 0;
        for (QChar c : b.text()) {
            line = c == QChar::LineSeparator ? 0 : line + 1;
            if (line > kWrapAnywhereChars) {
                setWordWrapMode(QTextOption::WrapAnywhere);
                return;
            }
        }
        if (isJoin(b.position() - 1) || isJoin(b.position() + b.length() - 1)) {
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
    insertGrouped(cursor, fromLineBreaks(source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* MultiLineBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    const auto join = std::lower_bound(joins_.begin(), joins_.end(), cursor.selectionStart());
    if (join == joins_.end() || *join >= cursor.selectionEnd()) return QPlainTextEdit::createMimeDataFromSelection();
    auto* data = new QMimeData;
    data->setText(joinedText(cursor.selectionStart(), cursor.selectionEnd(), QLatin1String("\n")));
    return data;
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
    // Backspace just after a join, or Delete just before one, takes the
    // character beyond it: the join itself is no character of the text.
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() && !isReadOnly() && !joins_.empty()) {
        if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier &&
            cursor.position() > 1 && isJoin(cursor.position() - 1)) {
            cursor.setPosition(cursor.position() - 1);
            setTextCursor(cursor);
        } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
                   isJoin(cursor.position())) {
            cursor.setPosition(cursor.position() + 1);
            setTextCursor(cursor);
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

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
