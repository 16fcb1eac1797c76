#include "ui/widgets/text_boxes.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <iterator>
#include <limits>

#include "ui/widgets/text_menu.h"

namespace tarnel {

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

namespace {
// A single-line box turns every line break into one space.
QString singleLine(const QString& text) {
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) return text;
    return fromLineBreaks(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Characters a text document cannot hold inside a block: it would end the
// block there. A long line keeps a stand-in in their place and remembers them.
bool endsBlock(QChar c) {
    return c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}
constexpr QChar kStandIn = QChar(0xFFFD);
// The characters a multi-line box keeps as marks (a line break there is a line break).
bool isFrameMark(QChar c) { return c == QChar(0xFDD0) || c == QChar(0xFDD1); }
bool hasFrameMark(const QString& text) { return std::any_of(text.begin(), text.end(), isFrameMark); }
// Blocks of a long line are cut after this many characters.
constexpr qsizetype kLongLineBlockChars = 4096;
}  // namespace

// The editor laid over a LineBox that holds a long text. Its document has no
// line break of the text: every block end is a cut, and characters that
// would end a block are kept as stand-ins whose originals it remembers.
// Its undo is off: a document's undo would bring back stand-ins without
// their originals.
class LongLine final : public QPlainTextEdit {
public:
    explicit LongLine(LineBox* owner);
    QString text() const;
    // Sets the text (no line breaks) and puts the cursor at `cursorIndex` of it.
    void setText(const QString& text, qsizetype cursorIndex);
    // The text index of a document position: each block end before it is no character of the text.
    qsizetype indexOf(int position) const { return position - document()->findBlock(position).blockNumber(); }
    // The document position of a text index; at a cut, the end of the block before it.
    int positionOf(qsizetype index) const;
    qsizetype cursorIndex() const { return indexOf(textCursor().position()); }
    void setCursorIndex(qsizetype index);
    // Whether an insertion is under way: its change is announced once it is complete.
    bool inserting() const { return inserting_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Special {
        int position;
        QChar original;
    };

    // Puts `text` (no line breaks) in place of the cursor's selection, cut
    // into blocks, and leaves the cursor after it.
    void insert(QTextCursor& cursor, const QString& text);
    void contentsChanged(int from, int removed, int added);
    // The text of the document from `from` to `to`: cuts left out, stand-ins as their originals.
    QString textBetween(int from, int to) const;

    LineBox* owner_;
    std::vector<Special> specials_;  // ascending positions
    bool inserting_ = false;
    mutable QString text_;
    mutable bool textKnown_ = false;
};

LongLine::LongLine(LineBox* owner) : QPlainTextEdit(owner), owner_(owner) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    document()->setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, &LongLine::contentsChanged);
}

QString LongLine::text() const {
    if (!textKnown_) {
        text_ = textBetween(0, std::numeric_limits<int>::max());
        textKnown_ = true;
    }
    return text_;
}

void LongLine::setText(const QString& text, qsizetype cursorIndex) {
    setPlainText(QString());
    specials_.clear();
    QTextCursor cursor(document());
    insert(cursor, text);
    setCursorIndex(cursorIndex);
}

int LongLine::positionOf(qsizetype index) const {
    qsizetype before = 0;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        const qsizetype chars = b.length() - 1;
        if (index <= before + chars || !b.next().isValid()) return b.position() + int(qMin(index - before, chars));
        before += chars;
    }
    return 0;
}

void LongLine::setCursorIndex(qsizetype index) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(positionOf(qBound(qsizetype(0), index, text().size())));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void LongLine::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo) && owner_->undoModeChange()) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();  // a single line: the box's owner may want it
        return;
    }
    QTextCursor cursor = textCursor();
    if (!isReadOnly() && !cursor.hasSelection() && event->modifiers() == Qt::NoModifier) {
        // Backspace at a block's start, or Delete at its end, takes the
        // character beyond the cut: the cut is no character of the text.
        const QTextBlock block = cursor.block();
        if (event->key() == Qt::Key_Backspace && cursor.position() == block.position() && block.previous().isValid()) {
            cursor.setPosition(cursor.position() - 1);
            setTextCursor(cursor);
        } else if (event->key() == Qt::Key_Delete && cursor.position() == block.position() + block.length() - 1 &&
                   block.next().isValid()) {
            cursor.setPosition(cursor.position() + 1);
            setTextCursor(cursor);
        }
    }
    // A typed character the document would take for a block end goes in as a stand-in.
    const QString typed = event->text();
    if (!isReadOnly() && !typed.isEmpty() && typed[0].isPrint() && !(event->modifiers() & Qt::ControlModifier) &&
        std::any_of(typed.begin(), typed.end(), endsBlock)) {
        insert(cursor, typed);
        setTextCursor(cursor);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LongLine::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source || !source->hasText()) return;
    QTextCursor cursor = textCursor();
    insert(cursor, singleLine(source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* LongLine::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void LongLine::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit owner_->doubleClicked();
}

void LongLine::insert(QTextCursor& cursor, const QString& text) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int at = cursor.position();
    qsizetype run = at - cursor.block().position();
    QString cut;
    cut.reserve(text.size() + text.size() / kLongLineBlockChars + 1);
    std::vector<Special> added;
    for (QChar c : text) {
        if (run >= kLongLineBlockChars && !c.isLowSurrogate()) {
            cut += QLatin1Char('\n');
            run = 0;
        }
        if (endsBlock(c)) {
            added.push_back({at + int(cut.size()), c});
            c = kStandIn;
        }
        cut += c;
        ++run;
    }
    // The owner hears of the change once the stand-ins are known.
    inserting_ = true;
    cursor.insertText(cut);
    cursor.endEditBlock();
    inserting_ = false;
    if (!added.empty()) {
        std::vector<Special> merged;
        merged.reserve(specials_.size() + added.size());
        std::merge(specials_.begin(), specials_.end(), added.begin(), added.end(), std::back_inserter(merged),
                   [](const Special& x, const Special& y) { return x.position < y.position; });
        specials_ = std::move(merged);
    }
    textKnown_ = false;
    text_ = QString();
    owner_->longChanged();
}

void LongLine::contentsChanged(int from, int removed, int added) {
    textKnown_ = false;
    text_ = QString();
    if (specials_.empty()) return;
    std::vector<Special> kept;
    kept.reserve(specials_.size());
    for (Special s : specials_) {
        if (s.position >= from && s.position < from + removed) continue;
        if (s.position >= from + removed) s.position += added - removed;
        kept.push_back(s);
    }
    specials_ = std::move(kept);
}

QString LongLine::textBetween(int from, int to) const {
    // Block by block, a few thousand characters at a time: a text of
    // megabytes is read on every keystroke.
    const QTextDocument* doc = document();
    from = qMax(0, from);
    to = qMin(to, doc->characterCount() - 1);
    QString out;
    if (to <= from) return out;
    out.reserve(to - from);
    auto special = std::lower_bound(specials_.begin(), specials_.end(), from,
                                    [](const Special& s, int p) { return s.position < p; });
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        const QString chars = b.text();
        const int end = qMin(to, b.position() + int(chars.size()));
        for (int i = qMax(from, b.position()); i < end;) {
            while (special != specials_.end() && special->position < i) ++special;  // none stands on a cut
            const int stop = special != specials_.end() && special->position < end ? special->position : end;
            out.append(QStringView(chars).sliced(i - b.position(), stop - i));
            i = stop;
            if (i < end) {
                out += special->original;
                ++special;
                ++i;
            }
        }
    }
    return out;
}

LineBox::LineBox(const QString& name, QWidget* parent) : QLineEdit(parent) {
    setObjectName(name);
    // A paste is kept whole, however long (Qt would cut it at 32767 characters).
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &LineBox::lineChanged);
}

LineBox::~LineBox() = default;

QPlainTextEdit* LineBox::longEditor() const { return long_; }

QString LineBox::text() const { return longMode_ ? long_->text() : QLineEdit::text(); }

void LineBox::setText(const QString& text) {
    if (text.size() < kLongLineChars) {
        if (longMode_) {
            const QString line = singleLine(text);
            showShort(line, line.size());
            earlier_.reset();
            internal_ = true;
            emit textChanged(line);
            internal_ = false;
        } else {
            QLineEdit::setText(text);
        }
        return;
    }
    earlier_.reset();
    if (longMode_)
        long_->setText(singleLine(text), 0);  // its change signal tells the rest
    else
        showLong(singleLine(text), 0);
}

void LineBox::lineChanged(const QString& text) {
    if (internal_) return;
    earlier_.reset();
    if (longMode_) {
        // The line's own text was set past this box's setters: it is the box's text now.
        showShort(QString(), 0);
        QLineEdit::setText(text);
        return;
    }
    // A single-line box never holds a line break: a pasted CR LF, CR or LF
    // becomes one space, which separates just as the break did.
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
        const int cursor = cursorPosition();
        QLineEdit::setText(singleLine(text));
        setCursorPosition(qMin(cursor, int(QLineEdit::text().size())));
        return;
    }
    if (text.size() >= kLongLineChars) showLong(text, cursorPosition());
}

void LineBox::longChanged() {
    if (internal_ || !longMode_ || long_->inserting()) return;
    earlier_.reset();
    const QString now = long_->text();
    internal_ = true;
    emit textChanged(now);
    internal_ = false;
    if (now.size() < kShortLineChars) {
        // Not inside the document's own change signal.
        QMetaObject::invokeMethod(this, [this] {
            if (longMode_ && long_->text().size() < kShortLineChars) showShort(long_->text(), long_->cursorIndex());
        }, Qt::QueuedConnection);
    }
}

void LineBox::showLong(const QString& text, qsizetype cursor) {
    internal_ = true;
    earlier_.reset();
    const bool hadFocus = hasFocus();
    if (!long_) {
        long_ = new LongLine(this);
        connect(long_, &QPlainTextEdit::textChanged, this, &LineBox::longChanged);
    }
    long_->setReadOnly(isReadOnly());
    long_->setText(text, cursor);
    placeLong();
    longMode_ = true;
    setFocusProxy(long_);
    long_->show();
    {
        const QSignalBlocker quiet(this);
        QLineEdit::setText(QString());
    }
    if (hadFocus) long_->setFocus();
    emit textChanged(text);
    internal_ = false;
}

void LineBox::showShort(const QString& text, qsizetype cursor) {
    internal_ = true;
    const bool hadFocus = long_->hasFocus();
    longMode_ = false;
    setFocusProxy(nullptr);
    long_->hide();
    long_->setText(QString(), 0);
    {
        const QSignalBlocker quiet(this);
        QLineEdit::setText(text);
        setCursorPosition(int(cursor));
    }
    if (hadFocus) setFocus();
    internal_ = false;
}

void LineBox::placeLong() {
    if (!long_) return;
    // Where the line draws its text: inside the frame, two pixels in from
    // the sides, one text line high in the middle.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this) - textMargins();
    const int height = qMin(fontMetrics().height(), contents.height());
    long_->setGeometry(contents.x() + 2, contents.y() + (contents.height() - height + 1) / 2, qMax(1, contents.width() - 4),
                       height);
}

bool LineBox::undoModeChange() {
    if (!earlier_) return false;
    const Earlier back = std::move(*earlier_);
    earlier_.reset();
    if (back.wasLong) {
        showLong(back.text, back.cursor);
    } else {
        showShort(back.text, back.cursor);
        internal_ = true;
        emit textChanged(back.text);
        internal_ = false;
    }
    return true;
}

bool LineBox::insertMakesLong(qsizetype inserted) const {
    return !longMode_ && QLineEdit::text().size() - selectionLength() + inserted >= kLongLineChars;
}

void LineBox::insertLong(const QString& inserted, qsizetype at, qsizetype removed) {
    Earlier before{QLineEdit::text(), cursorPosition(), false};
    const QString line = singleLine(inserted);
    showLong(before.text.left(at) + line + before.text.mid(at + removed), at + line.size());
    earlier_ = std::move(before);
}

void LineBox::paste() {
    if (isReadOnly()) return;
    if (longMode_) {
        long_->paste();
        return;
    }
    const QString clip = QGuiApplication::clipboard()->text();
    if (insertMakesLong(clip.size()))
        insertLong(clip, hasSelectedText() ? selectionStart() : cursorPosition(), selectionLength());
    else
        QLineEdit::paste();
}

void LineBox::clearUndoably() {
    if (text().isEmpty()) return;
    emit aboutToClear();
    const QScopedValueRollback<bool> clearing(clearing_, true);
    if (longMode_) {
        Earlier before{long_->text(), long_->cursorIndex(), true};
        showShort(QString(), 0);
        earlier_ = std::move(before);
        internal_ = true;
        emit textChanged(QString());
        internal_ = false;
        return;
    }
    // setText() would also forget the box's undo history.
    if (QLineEdit::text().isEmpty()) return;
    selectAll();
    del();
}

qsizetype LineBox::cursorIndex() const { return longMode_ ? long_->cursorIndex() : cursorPosition(); }

void LineBox::setCursorIndex(qsizetype index) {
    if (longMode_)
        long_->setCursorIndex(index);
    else
        setCursorPosition(int(qBound(qsizetype(0), index, QLineEdit::text().size())));
}

void LineBox::keyPressEvent(QKeyEvent* event) {
    if (longMode_) {
        // Keys the long editor left alone: the line's own (empty) text is no
        // place to edit, so they go on to the window.
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Undo) && undoModeChange()) {
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        const QString clip = QGuiApplication::clipboard()->text();
        if (insertMakesLong(clip.size())) {
            insertLong(clip, hasSelectedText() ? selectionStart() : cursorPosition(), selectionLength());
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void LineBox::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection where it is released.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (longMode_ && event->button() == Qt::MiddleButton) {
        event->ignore();  // on the frame around the long editor: nothing to paste into
        return;
    }
    if (event->button() == Qt::MiddleButton && !isReadOnly() && clipboard->supportsSelection()) {
        const QString clip = clipboard->text(QClipboard::Selection);
        if (QLineEdit::text().size() + clip.size() >= kLongLineChars) {
            deselect();
            insertLong(clip, cursorPositionAt(event->position().toPoint()), 0);
            event->accept();
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LineBox::dropEvent(QDropEvent* event) {
    if (longMode_) {
        event->ignore();  // on the frame around the long editor
        return;
    }
    const QMimeData* data = event->mimeData();
    if (!isReadOnly() && data && data->hasText() && event->source() != this &&
        QLineEdit::text().size() + data->text().size() >= kLongLineChars) {
        deselect();
        insertLong(data->text(), cursorPositionAt(event->position().toPoint()), 0);
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dropEvent(event);
}

void LineBox::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's paste and undo go through the box, so a long paste is held
    // as a long text and can be taken back.
    QMenu* menu = createStandardContextMenu();
    if (!menu) return;
    // A line edit's menu leaves its actions unnamed; they are known by their
    // captions, translated or not, and named as a text document names them.
    static const struct {
        const char* caption;
        const char* name;
    } kActions[] = {{"&Undo", "edit-undo"}, {"&Redo", "edit-redo"}, {"Cu&t", "edit-cut"},        {"&Copy", "edit-copy"},
                    {"&Paste", "edit-paste"}, {"Delete", "edit-delete"}, {"Select All", "select-all"}};
    for (QAction* action : menu->actions()) {
        const QString caption = action->text().section(QLatin1Char('\t'), 0, 0);
        for (const auto& a : kActions)
            if (caption == QLineEdit::tr(a.caption)) action->setObjectName(QLatin1String(a.name));
    }
    useChineseCaptions(menu);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, &QAction::triggered, this, nullptr);
            connect(action, &QAction::triggered, this, &LineBox::paste);
        } else if (action->objectName() == QLatin1String("edit-undo") && earlier_) {
            action->setEnabled(true);
            disconnect(action, &QAction::triggered, this, nullptr);
            connect(action, &QAction::triggered, this, [this] { undoModeChange(); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void LineBox::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeLong();
}

void LineBox::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (!long_) return;
    if (event->type() == QEvent::ReadOnlyChange) long_->setReadOnly(isReadOnly());
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) placeLong();
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
    // Block by block, copying the runs between line breaks whole: a text of
    // megabytes is read once a burst of typing settles.
    const QTextDocument* doc = document();
    from = qMax(0, from);
    to = qMin(to, doc->characterCount() - 1);
    QString out;
    if (to <= from) return out;
    out.reserve(to - from + (to - from) / 8);
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        const QString chars = b.text();
        const QStringView view(chars);
        const int base = b.position();
        const int end = qMin(to, base + int(chars.size()));
        for (int i = qMax(from, base); i < end;) {
            int j = i;
            while (j < end && !isBreak(view[j - base])) ++j;
            if (marks_.empty())
                out.append(view.sliced(i - base, j - i));
            else
                appendWithMarks(out, view.sliced(i - base, j - i), i, j);
            if (j < end) {
                out += lineBreak;
                ++j;
            }
            i = j;
        }
        // The block's end: a line break, or a join that is no character of the text.
        const int blockEnd = base + int(chars.size());
        if (blockEnd < to && !isJoin(blockEnd)) out += lineBreak;
    }
    return out;
}

void MultiLineBox::appendWithMarks(QString& out, QStringView chars, int from, int to) const {
    auto mark = std::lower_bound(marks_.begin(), marks_.end(), from, [](const Mark& m, int p) { return m.position < p; });
    int i = from;
    for (; mark != marks_.end() && mark->position < to; ++mark) {
        out.append(chars.sliced(i - from, mark->position - i));
        out += mark->original;
        i = mark->position + 1;
    }
    out.append(chars.sliced(i - from, to - i));
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
        text_ = joins_.empty() && marks_.empty() ? toCrLf(document()->toRawText())
                                                 : joinedText(0, std::numeric_limits<int>::max(), QLatin1String("\r\n"));
        textKnown_ = true;
    }
    return text_;
}

QString MultiLineBox::plainText() const {
    return joinedText(0, std::numeric_limits<int>::max(), QLatin1String("\n")).replace(QChar::Nbsp, QLatin1Char(' '));
}

void MultiLineBox::insertGrouped(QTextCursor& cursor, const QString& plain) {
    DocumentText grouped = toDocumentText(plain);
    // Marks go in as stand-ins, remembered once the text is in.
    std::vector<qsizetype> marked;
    for (qsizetype k = 0; k < grouped.text.size(); ++k)
        if (isFrameMark(grouped.text[k])) marked.push_back(k);
    std::vector<QChar> originals;
    originals.reserve(marked.size());
    for (qsizetype k : marked) {
        originals.push_back(grouped.text[k]);
        grouped.text[k] = kStandIn;
    }
    // A cut line cannot come back through undo: the document would restore
    // its block ends as line breaks. So a box holding one keeps no undo steps;
    // nor does a box the paste makes too long to keep them (the text it
    // replaces is then left for Qt to free).
    const qsizetype after = document()->characterCount() - (cursor.selectionEnd() - cursor.selectionStart()) +
                            grouped.text.size();
    if (!grouped.joins.empty() || !marked.empty() || after >= kNoUndoChars) document()->setUndoRedoEnabled(false);
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
    if (!marked.empty()) {
        std::vector<Mark> addedMarks;
        addedMarks.reserve(marked.size());
        for (std::size_t k = 0; k < marked.size(); ++k) addedMarks.push_back({at + int(marked[k]), originals[k]});
        std::vector<Mark> all;
        all.reserve(marks_.size() + addedMarks.size());
        std::merge(marks_.begin(), marks_.end(), addedMarks.begin(), addedMarks.end(), std::back_inserter(all),
                   [](const Mark& x, const Mark& y) { return x.position < y.position; });
        marks_ = std::move(all);
    }
    textKnown_ = false;
    text_ = QString();
}

// Whether `plain` has a line of more than `chars` characters, counting as a
// break every character that can end a line in a document (the document ends
// lines at no more of them: a line long here is as long there).
static bool hasLineLongerThan(const QString& plain, qsizetype chars) {
    if (plain.size() <= chars) return false;
    qsizetype line = 0;
    for (QChar c : plain) {
        line = isBreak(c) || endsBlock(c) || c == QLatin1Char('\r') ? 0 : line + 1;
        if (line > chars) return true;
    }
    return false;
}

void MultiLineBox::setText(const QString& text) {
    const QString plain = fromLineBreaks(text);
    if (plain.size() < kGroupedTextChars && !hasFrameMark(plain)) {
        // A line too long to wrap at words makes the box wrap anywhere
        // (contentsChanged), whatever it held before. Switched before the
        // text goes in (while the box holds little) and held through the
        // setting, the text is laid out once instead of twice (the result
        // box of the start button gets such a line on every run).
        if ((wordWrapMode() == QTextOption::WrapAnywhere || document()->characterCount() < kWrapAnywhereChars) &&
            hasLineLongerThan(plain, kWrapAnywhereChars)) {
            setWordWrapMode(QTextOption::WrapAnywhere);
            holdWrap_ = true;
            setPlainText(plain);
            holdWrap_ = false;
            return;
        }
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
    }
    if (!marks_.empty()) {
        // Marks inside the changed range are gone; those after it move.
        std::vector<Mark> kept;
        kept.reserve(marks_.size());
        const QTextDocument* doc = document();
        for (Mark m : marks_) {
            if (m.position >= from && m.position < from + charsRemoved) continue;
            if (m.position >= from + charsRemoved) m.position += charsAdded - charsRemoved;
            if (doc->characterAt(m.position) == kStandIn) kept.push_back(m);
        }
        marks_ = std::move(kept);
    }
    if (document()->isUndoRedoEnabled()) undoChars_ += charsAdded;
    if (!settleQueued_) {
        settleQueued_ = true;
        QMetaObject::invokeMethod(this, &MultiLineBox::settleUndo, Qt::QueuedConnection);
    }
    const QTextDocument* doc = document();
    // Qt drops a block's shaped text once the block is laid out, and the
    // cursor and the paint that follow at once shape it again. The blocks of
    // a short text keep it (the changed ones are laid out after this).
    if (doc->characterCount() < kGroupedTextChars)
        for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= from + charsAdded; b = b.next())
            b.layout()->setCacheEnabled(true);
    // Wrap anywhere once a line gets too long to wrap at words; back at
    // words when the whole text is short again. Looks at the changed blocks only.
    if (holdWrap_) return;  // setText has chosen already
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

void MultiLineBox::settleUndo() {
    settleQueued_ = false;
    QTextDocument* doc = document();
    const bool wanted = joins_.empty() && marks_.empty() && doc->characterCount() < kNoUndoChars;
    if (!wanted) {
        if (doc->isUndoRedoEnabled()) doc->setUndoRedoEnabled(false);
        undoChars_ = 0;
    } else if (!doc->isUndoRedoEnabled()) {
        doc->setUndoRedoEnabled(true);
        undoChars_ = 0;
    } else if (undoChars_ > kUndoBudgetChars) {
        rebuild();
    }
}

void MultiLineBox::rebuild() {
    // Undo is on only without joins, so document positions are text indexes here.
    const QTextCursor before = textCursor();
    const qsizetype anchor = before.anchor();
    const qsizetype position = before.position();
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    const QString plain = joinedText(0, std::numeric_limits<int>::max(), QLatin1String("\n"));
    {
        // The text stays as it was: no change to tell anyone of.
        const QSignalBlocker quiet(this);
        document()->setUndoRedoEnabled(false);  // the text put back is no step to undo
        setText(plain);
        if (joins_.empty() && document()->characterCount() < kNoUndoChars) document()->setUndoRedoEnabled(true);
        QTextCursor cursor(document());
        cursor.setPosition(documentPosition(anchor));
        cursor.setPosition(documentPosition(position), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    // Setting the cursor brings it into view once the new document is laid
    // out; the view goes back where the player had it after that.
    const auto restoreView = [this, vertical, horizontal] {
        verticalScrollBar()->setValue(vertical);
        horizontalScrollBar()->setValue(horizontal);
    };
    restoreView();
    QMetaObject::invokeMethod(this, restoreView, Qt::QueuedConnection);
    undoChars_ = 0;
}

void MultiLineBox::insertFromMimeData(const QMimeData* source) {
    if (!isReadOnly() && source && source->hasText() && insertCheck_ && !insertCheck_(source->text())) return;
    // A long paste goes in grouped, as does one holding marks; a short one as Qt would put it.
    if (isReadOnly() || !source || !source->hasText() ||
        (source->text().size() < kGroupedTextChars && !hasFrameMark(source->text()))) {
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
    const auto mark = std::lower_bound(marks_.begin(), marks_.end(), cursor.selectionStart(),
                                       [](const Mark& m, int p) { return m.position < p; });
    if ((join == joins_.end() || *join >= cursor.selectionEnd()) &&
        (mark == marks_.end() || mark->position >= cursor.selectionEnd()))
        return QPlainTextEdit::createMimeDataFromSelection();
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
    // A typed mark goes in as a stand-in.
    const QString typed = event->text();
    if (!isReadOnly() && !(event->modifiers() & Qt::ControlModifier) && hasFrameMark(typed)) {
        QTextCursor at = textCursor();
        insertGrouped(at, typed);
        setTextCursor(at);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::inputMethodEvent(QInputMethodEvent* event) {
    // A mark an input method commits goes in as a typed one does.
    if (!isReadOnly() && event->preeditString().isEmpty() && event->replacementLength() == 0 &&
        hasFrameMark(event->commitString())) {
        QTextCursor at = textCursor();
        insertGrouped(at, event->commitString());
        setTextCursor(at);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void MultiLineBox::clearUndoably() {
    // setPlainText() would also forget the box's undo history.
    if (document()->isEmpty()) return;
    emit aboutToClear();
    const QScopedValueRollback<bool> clearing(clearing_, true);
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void MultiLineBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace tarnel
