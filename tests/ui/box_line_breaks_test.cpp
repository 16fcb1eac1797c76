// A multi-line box holds the same text whether the player types it or a
// scheme brings it: every kind of line break (Enter, U+2028, U+2029 typed;
// CR LF, CR, LF, U+2028, U+2029 in the file) is one CR LF.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTest>

#include "ui/widgets/text_boxes.h"
#include "ui/widgets/controls.h"
#include "main_window_fixture.h"
#include "core/files/scheme.h"

namespace tarnel {
namespace {

class BoxLineBreaksTest : public MainWindowFixture {};

TEST_F(BoxLineBreaksTest, TypedAndOpenedTextsAreTheSameBoxText) {
    w.show();
    auto* box = get<MultiLineBox>(QStringLiteral("T_jichu_dadi"));
    ASSERT_TRUE(box);
    QRandomGenerator rng(12);
    const QChar alphabet[] = {QLatin1Char('1'), QLatin1Char('7'), QLatin1Char(' '), QChar(0x4E2D),
                              QLatin1Char('\n'), QChar::LineSeparator, QChar::ParagraphSeparator};
    for (int round = 0; round < 40; ++round) {
        QString text;
        const int length = 1 + int(rng.bounded(24));
        for (int i = 0; i < length; ++i) text += alphabet[rng.bounded(int(std::size(alphabet)))];
        SCOPED_TRACE(text.toStdString());

        // Typed into the box.
        box->clear();
        box->setFocus();
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) QTest::keyClick(box, Qt::Key_Return);
            else {
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(box, &key);
            }
        }
        const QString typed = box->text();

        // Opened from a scheme holding the same text, its breaks in every form the file may have.
        MainConditions state = w.conditions();
        QString inFile = text;
        inFile.replace(QLatin1Char('\n'), round % 3 == 0 ? QStringLiteral("\r\n") : round % 3 == 1 ? QStringLiteral("\r") : QStringLiteral("\n"));
        state.sources.baseList = toStd(inFile);
        const SchemeReading reading = readScheme(writeScheme(state, nullptr));
        ASSERT_TRUE(reading.scheme) << reading.error;
        box->clear();
        w.applyConditions(reading.scheme->main);
        EXPECT_EQ(box->text(), typed);
        EXPECT_EQ(fromStd(reading.scheme->main.sources.baseList), typed);
        EXPECT_FALSE(typed.contains(QChar::LineSeparator) || typed.contains(QChar::ParagraphSeparator));
    }
}

}  // namespace
}  // namespace tarnel
