// U+FDD0 and U+FDD1 typed, pasted or set into a multi-line box come back as
// they went in (a text document takes them for the edges of a frame and
// would end a line there), while a U+FFFD the player typed stays one, and
// line breaks stay line breaks.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <random>

#include "main_window_fixture.h"
#include "ui/widgets/text_boxes.h"

namespace tarnel {
namespace {

const QChar kOpen(0xFDD0), kClose(0xFDD1), kReplacement(0xFFFD);

// Random texts of the characters that matter here, line breaks as CR LF.
QString randomText(std::mt19937& rng, int pieces) {
    static const QString alphabet[] = {QStringLiteral("1"), QStringLiteral("23"), QStringLiteral(" "), QStringLiteral("\r\n"),
                                       QString(kOpen), QString(kClose), QString(kReplacement), QStringLiteral("中"),
                                       QStringLiteral("456 789")};
    QString text;
    for (int i = 0; i < pieces; ++i) text += alphabet[rng() % std::size(alphabet)];
    return text;
}

TEST(TypedMarks, SetTextKeepsThemShortAndLong) {
    std::mt19937 rng(19);
    MultiLineBox box(QStringLiteral("T_test"));
    for (int round = 0; round < 40; ++round) {
        // Now and then a text long enough to be held in grouped blocks.
        const QString text = randomText(rng, round % 8 == 7 ? 12000 : int(rng() % 60));
        box.setText(text);
        ASSERT_EQ(box.text(), text) << "round " << round;
        EXPECT_EQ(box.plainText(), QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))) << round;
        // An edit elsewhere keeps them where they were.
        QTextCursor end(box.document());
        end.movePosition(QTextCursor::End);
        box.setTextCursor(end);
        QTest::keyClicks(&box, QStringLiteral("5"));
        EXPECT_EQ(box.text(), text + QStringLiteral("5")) << "round " << round;
    }
}

// Types text as a keyboard (or an input method's key) brings it: one key event each.
void type(QWidget* box, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &release);
    }
}

TEST(TypedMarks, TypingPastingAndDeletingKeepThem) {
    MultiLineBox box(QStringLiteral("T_test"));
    box.show();
    box.setFocus();
    QTest::keyClicks(&box, QStringLiteral("12"));
    type(&box, QString(kOpen));
    QTest::keyClicks(&box, QStringLiteral("34"));
    type(&box, QString(kClose) + kReplacement);
    EXPECT_EQ(box.text(), QStringLiteral("12") + kOpen + QStringLiteral("34") + kClose + kReplacement);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), QStringLiteral("12") + kOpen + QStringLiteral("34"));
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Delete);
    EXPECT_EQ(box.text(), QStringLiteral("2") + kOpen + QStringLiteral("34"));

    // A paste, and a copy of what holds them.
    const QString pasted = kClose + QStringLiteral("7\n8") + kOpen;
    QGuiApplication::clipboard()->setText(pasted);
    box.paste();
    EXPECT_EQ(box.text(), kClose + QStringLiteral("7\r\n8") + kOpen + QStringLiteral("2") + kOpen + QStringLiteral("34"));
    box.selectAll();
    box.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString(box.text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // Emptied, the box is plain again and its undo comes back.
    box.setText(QStringLiteral("1"));
    QTest::keyClicks(&box, QStringLiteral("9"));
    QTest::qWait(10);
    EXPECT_TRUE(box.document()->isUndoRedoEnabled());
}

class TypedMarksInWindow : public MainWindowFixture {};

TEST_F(TypedMarksInWindow, ASchemeKeepsThemAndARunReadsThemAsSeparators) {
    const QString list = QStringLiteral("123") + kOpen + QStringLiteral("456") + kClose + QStringLiteral("789");
    get<MultiLineBox>(QStringLiteral("T_jichu_dadi"))->setText(list);
    const MainConditions& now = w.conditions();
    EXPECT_EQ(now.sources.baseList, list.toStdString());
    const SchemeReading back = readScheme(writeScheme(now, nullptr));
    ASSERT_TRUE(back.scheme);
    RecordingUiServices others;
    MainWindow second(others);
    second.applyConditions(back.scheme->main);
    EXPECT_EQ(second.findChild<MultiLineBox*>(QStringLiteral("T_jichu_dadi"))->text(), list);
}

}  // namespace
}  // namespace tarnel
