// A multi-line box's undo stays bounded however many large pastes come: no
// undo steps while the box holds a very long text, and the steps forgotten
// (the box rebuilt from its own text) once they add up to too much, with the
// text and the cursor as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include "ui/widgets/text_boxes.h"

namespace tarnel {
namespace {

QString draws(qsizetype chars, quint32 seed) {
    QRandomGenerator rng(seed);
    QString text;
    text.reserve(chars + 16);
    while (text.size() < chars)
        text += QStringLiteral("%1 %2\n").arg(2026000 + rng.bounded(999)).arg(rng.bounded(1000), 3, 10, QLatin1Char('0'));
    return text;
}

struct Box {
    QWidget window;
    MultiLineBox* box = new MultiLineBox(QStringLiteral("T_probe"), &window);
    Box() {
        box->setGeometry(0, 0, 400, 300);
        window.show();
    }
    void paste(const QString& text, bool whole) {
        if (whole) box->selectAll();
        QGuiApplication::clipboard()->setText(text);
        box->paste();
        QApplication::processEvents();  // the box settles its undo after a change
    }
    bool undoOn() const { return box->document()->isUndoRedoEnabled(); }
};

TEST(MultiLineBoxUndo, AHugeTextKeepsNoUndoStepsAndAShortOneGetsThemBack) {
    Box b;
    const QString huge = draws(kNoUndoChars + 1000, 1);
    b.paste(huge, true);
    EXPECT_FALSE(b.undoOn());
    EXPECT_TRUE(b.box->plainText() == huge);
    // Ctrl+Z has nothing to take back.
    QTest::keyClick(b.box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(b.box->plainText() == huge);

    // A short text again: undo is back, for what comes after.
    b.paste(QStringLiteral("2026001 582\n"), true);
    EXPECT_TRUE(b.undoOn());
    b.box->moveCursor(QTextCursor::End);
    QTest::keyClicks(b.box, QStringLiteral("2026002 111"));
    QApplication::processEvents();
    QTest::keyClick(b.box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(b.box->plainText(), QStringLiteral("2026001 582\n"));
}

TEST(MultiLineBoxUndo, StepsBeyondTheBudgetAreForgottenWithTextAndCursorKept) {
    Box b;
    QRandomGenerator rng(7);
    const QString a = draws(kNoUndoChars / 4, 2);
    const QString c = draws(kNoUndoChars / 4, 3);
    QSignalSpy changes(b.box, &QPlainTextEdit::textChanged);
    const QString burst(kUndoBudgetChars + 1, QLatin1Char('7'));
    QString want;
    for (int round = 0; round < 3; ++round) {
        want = round % 2 ? c : a;
        b.paste(want, true);
        ASSERT_TRUE(b.undoOn());
        // Where the player left the cursor and the view, at random.
        QTextCursor cursor = b.box->textCursor();
        const int anchor = int(rng.bounded(int(want.size())));
        const int position = int(rng.bounded(int(want.size())));
        cursor.setPosition(b.box->documentPosition(anchor));
        cursor.setPosition(b.box->documentPosition(position), QTextCursor::KeepAnchor);
        b.box->setTextCursor(cursor);
        QApplication::processEvents();
        // An edit past the budget elsewhere, and its reverse; once settled, the steps are forgotten.
        QTextCursor elsewhere(b.box->document());
        elsewhere.movePosition(QTextCursor::End);
        const int end = elsewhere.position();
        elsewhere.insertText(burst);
        elsewhere.setPosition(end, QTextCursor::KeepAnchor);
        elsewhere.removeSelectedText();
        ASSERT_TRUE(b.box->document()->isUndoAvailable());
        const qsizetype before = changes.size();
        QApplication::processEvents();
        EXPECT_EQ(changes.size(), before) << "a rebuild is no change of the text";
        EXPECT_FALSE(b.box->document()->isUndoAvailable());
        EXPECT_TRUE(b.undoOn());
        EXPECT_TRUE(b.box->plainText() == want);
        EXPECT_EQ(b.box->textCursor().anchor(), b.box->documentPosition(anchor));
        EXPECT_EQ(b.box->textCursor().position(), b.box->documentPosition(position));
    }
    // And undo goes on working after it.
    b.paste(QStringLiteral("2026001 582\n"), true);
    b.box->undo();
    EXPECT_TRUE(b.box->plainText() == want);
}

}  // namespace
}  // namespace tarnel
