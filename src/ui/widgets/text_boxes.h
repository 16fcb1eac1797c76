#pragma once
// The text boxes of the windows: a single-line and a multi-line box, each
// with a double-click signal and an undoable clear, both keeping a paste of
// any size whole and quick to edit; and the line-break conventions at their
// boundary with the core.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QMimeData;
class QTextCursor;

namespace tarnel {

// Multi-line boxes hold line breaks as CR LF as the stages and the replay
// tool see them; Qt keeps paragraphs. These convert at the boundary.
QString toCrLf(const QString& plain);
QString fromLineBreaks(const QString& text);  // CR LF, CR or LF each become one break

class LongLine;

// Single-line text box with a double-click signal. A paste of any size is
// kept whole. A QLineEdit lays its whole line out on every change, which for
// a pasted list of megabytes takes seconds a keystroke and gigabytes; so a
// text from kLongLineChars characters on is held by an editor laid over the
// box's text area instead. That editor keeps the line in blocks of a few
// thousand characters shown wrapped, and the box is a plain line again once
// the text is under kShortLineChars. text(), setText(), paste() and the
// textChanged() signal cover both: use them through LineBox, not QLineEdit.
// Right after a paste made the box long, or a double-click emptied a long
// box, Ctrl+Z takes that step back.
inline constexpr qsizetype kLongLineChars = 16 * 1024;
inline constexpr qsizetype kShortLineChars = 8 * 1024;
class LineBox : public QLineEdit {
    Q_OBJECT
public:
    explicit LineBox(const QString& name, QWidget* parent = nullptr);
    ~LineBox() override;
    QString text() const;
    // Sets the text; CR LF, a lone CR and a lone LF each become one space.
    void setText(const QString& text);
    // Pastes the clipboard at the cursor, as Ctrl+V does.
    void paste();
    // Empties the box as one edit the player can undo (Ctrl+Z); says
    // aboutToClear() first, and isClearing() holds while it empties.
    void clearUndoably();
    bool isClearing() const { return clearing_; }
    // The cursor as an index in text(), and moving it there.
    qsizetype cursorIndex() const;
    void setCursorIndex(qsizetype index);
    bool holdsLongText() const { return longMode_; }
    // The editor holding a long text (null until the box first holds one).
    QPlainTextEdit* longEditor() const;
signals:
    void doubleClicked();
    void aboutToClear();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class LongLine;
    // The line's own text changed (typing, or QLineEdit's own setters).
    void lineChanged(const QString& text);
    // The long editor's text changed.
    void longChanged();
    // Whether putting `inserted` in place of the selection makes the line long.
    bool insertMakesLong(qsizetype inserted) const;
    // Puts `inserted` in place of `removed` characters at `at` and holds the result as a long text.
    void insertLong(const QString& inserted, qsizetype at, qsizetype removed);
    void showLong(const QString& text, qsizetype cursor);
    void showShort(const QString& text, qsizetype cursor);
    void placeLong();
    // Takes back the last paste that made the box long, or the last clear of
    // a long box, if nothing was edited since. False when there is none.
    bool undoModeChange();

    LongLine* long_ = nullptr;
    bool longMode_ = false;
    bool internal_ = false;  // the box changes itself: signals of the change are its own
    bool clearing_ = false;
    struct Earlier {
        QString text;
        qsizetype cursor = 0;
        bool wasLong = false;
    };
    std::optional<Earlier> earlier_;
};

// How a multi-line box keeps a long text in its document. Qt gives every
// paragraph its own block and lays a block out whole: a document of millions
// of blocks takes tens of seconds and gigabytes to build, and a block of
// millions of characters seconds to lay out. So a long text keeps its line
// breaks as line separators (U+2028) inside blocks of a few thousand
// characters; a line break ends a block only every few thousand characters,
// and a line longer than that is cut into blocks joined without a break
// (`joins`: indexes in `text` of block ends that are no line break). Both
// kinds of break show as a line break and read back as one. Short texts keep
// one block per line. `plain` has its line breaks as LF.
struct DocumentText {
    QString text;
    std::vector<qsizetype> joins;
};
DocumentText toDocumentText(const QString& plain);
// Texts from this many characters on are kept in grouped blocks.
inline constexpr qsizetype kGroupedTextChars = 16 * 1024;
// A multi-line box's undo keeps a bounded amount, however many large pastes
// come: a box holding kNoUndoChars characters or more keeps no undo steps
// (they come back, from then on, once the text is shorter again); and once
// the steps kept add up to kUndoBudgetChars characters, the box is rebuilt
// from its text and forgets them. Qt's document otherwise keeps every
// character ever put in for its undo, even after the step is forgotten.
inline constexpr qsizetype kNoUndoChars = qsizetype(1) << 20;
inline constexpr qsizetype kUndoBudgetChars = qsizetype(4) << 20;

// Multi-line text box with a vertical scroll bar and a double-click signal.
// A paste of any size is kept whole and shown at once: long texts are kept
// as toDocumentText() says, and a line too long to break at words wraps
// anywhere (word wrapping a line of a million digits takes minutes).
class MultiLineBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineBox(const QString& name, QWidget* parent = nullptr);
    // The text with every line break as CR LF. Kept between changes.
    QString text() const;
    // The text as toPlainText() gives it (line breaks as LF, no-break
    // spaces as spaces), but with a cut line whole.
    QString plainText() const;
    // Sets the text; CR LF, a lone CR and a lone LF each make one line break.
    void setText(const QString& text);
    // Empties the box as one edit the player can undo (Ctrl+Z); says
    // aboutToClear() first, and isClearing() holds while it empties.
    void clearUndoably();
    bool isClearing() const { return clearing_; }
    // Whether a paste or a drop of `inserted` (in place of the selection) is
    // let in; a check that refuses says why itself. Without one, all is.
    void setInsertCheck(std::function<bool(const QString& inserted)> check) { insertCheck_ = std::move(check); }
    // The cursor position in the document of the character at `index` of the
    // text, counting every line break as one character.
    int documentPosition(qsizetype index) const;
signals:
    void doubleClicked();
    void aboutToClear();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

    QMimeData* createMimeDataFromSelection() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void contentsChanged(int from, int charsRemoved, int charsAdded);
    void insertGrouped(QTextCursor& cursor, const QString& plain);
    // The document's text from `from` to `to` with joins left out and other block ends as `lineBreak`.
    QString joinedText(int from, int to, QLatin1String lineBreak) const;
    bool isJoin(int position) const;
    // Turns undo on or off as the text's size says, after a change has settled.
    void settleUndo();
    // Sets the document again from its own text, with the cursor where it
    // was and the scroll bars near where they were: the undo steps and the
    // text they held go.
    void rebuild();

    mutable QString text_;
    mutable bool textKnown_ = false;
    // Document positions of the block ends that join a cut line, ascending.
    std::vector<int> joins_;
    // U+FDD0 and U+FDD1 typed or pasted: a text document takes them for the
    // edges of a frame and ends a block there. The document holds a stand-in
    // (U+FFFD) in their place and the box remembers where each stands and
    // what it stands for; a U+FFFD the player typed is no mark and stays.
    // While the box holds one it keeps no undo steps (an undo would bring
    // back a stand-in without its original), as with a cut line.
    struct Mark {
        int position;
        QChar original;
    };
    std::vector<Mark> marks_;  // ascending positions
    // The text's slice of the document from `from` to `to` (no block end
    // inside), with the marks' originals in place of their stand-ins.
    void appendWithMarks(QString& out, QStringView chars, int from, int to) const;
    std::function<bool(const QString&)> insertCheck_;
    qsizetype undoChars_ = 0;  // characters put in since the undo steps were last forgotten
    bool settleQueued_ = false;
    bool holdWrap_ = false;  // setText has chosen the wrapping of the text it sets
    bool clearing_ = false;
};

}  // namespace tarnel
