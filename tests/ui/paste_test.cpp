// Long pastes into the text boxes: the text is kept exactly as pasted, the
// run reads exactly that text (checked against the core on the same text),
// and editing and undo after a long paste keep the box's text right.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <functional>
#include <gtest/gtest.h>

#include "ui/widgets/controls.h"
#include "main_window_fixture.h"
#include "core/state/shrink.h"
#include "ui/windows/two_star_window.h"
#include "core/rules/two_star_run.h"

namespace tarnel {
namespace {

enum class Shape { DigitRun, NumberPerLine, MixedText };

// A text of about `chars` characters of one shape; line breaks as LF, CR LF or CR.
QString pasteText(Shape shape, qsizetype chars, quint32 seed) {
    QRandomGenerator rng(seed);
    QString text;
    text.reserve(chars + 8);
    static const char16_t kCjk[] = u"大底号码杀直选垃圾复式胆组和值跨度，。、；：！？（）【】";
    static const char kPunct[] = " ,.;:!?*-+/()[]{}\"'#%&=_";
    static const char* const kBreaks[] = {"\n", "\r\n", "\r"};
    while (text.size() < chars) {
        switch (shape) {
            case Shape::DigitRun: text += QChar(u'0' + rng.bounded(10)); break;
            case Shape::NumberPerLine:
                text += QString::number(rng.bounded(1000)).rightJustified(3, QLatin1Char('0'));
                text += QLatin1String(kBreaks[rng.bounded(3)]);
                break;
            case Shape::MixedText: {
                const quint32 kind = rng.bounded(100);
                if (kind < 45)
                    text += QChar(u'0' + rng.bounded(10));
                else if (kind < 60)
                    text += QLatin1Char(kPunct[rng.bounded(int(sizeof kPunct - 1))]);
                else if (kind < 95)
                    text += QChar(kCjk[rng.bounded(int(std::size(kCjk) - 1))]);
                else if (kind < 96)
                    text += QString::fromUcs4(U"\U0001F600", 1);
                else
                    text += QLatin1String(kBreaks[rng.bounded(3)]);
                break;
            }
        }
    }
    return text;
}

// What a multi-line box holds after a paste of `text`: every line break as CR LF.
QString asBoxText(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) {
            if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            out += QLatin1String("\r\n");
        } else {
            out += text[i];
        }
    }
    return out;
}

void pasteInto(QPlainTextEdit* box, const QString& text) {
    box->clear();
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    box->paste();
    QApplication::processEvents();
}

constexpr Shape kShapes[] = {Shape::DigitRun, Shape::NumberPerLine, Shape::MixedText};
// A digit run is laid out whole, so it is kept shorter than the other shapes.
qsizetype sizeOf(Shape shape) { return shape == Shape::DigitRun ? 200'000 : 1'000'000; }

struct MainBox {
    const char* name;
    std::function<std::string&(MainConditions&)> field;
    int page;  // tab page holding the box, -1 for none
};

const MainBox kMainBoxes[] = {
    {"T_jichu_dadi", [](MainConditions& c) -> std::string& { return c.sources.baseList; }, -1},
    {"T_main_shazhixuan", [](MainConditions& c) -> std::string& { return c.lists.directNumbers; }, 0},
    {"T_main_laji_fushi", [](MainConditions& c) -> std::string& { return c.lists.junkCompounds; }, 1},
    {"T_main_bichu_2ma", [](MainConditions& c) -> std::string& { return c.lists.mustPairs; }, 3},
    {"T_main_dw_sha[1]", [](MainConditions& c) -> std::string& { return c.lists.positionalKill[1]; }, 5},
    {"T_main_dw2m[2]", [](MainConditions& c) -> std::string& { return c.positional.pairLists[2]; }, 6},
    {"T__hezhi_zhiding_sha", [](MainConditions& c) -> std::string& { return c.digits.sumKillList; }, -1},
};

class LongPasteTest : public MainWindowFixture {};

TEST_F(LongPasteTest, EveryShapeIsKeptAndRunsAsTheCoreRunsTheSameText) {
    w.show();
    quint32 seed = 1;
    for (const MainBox& entry : kMainBoxes) {
        for (Shape shape : kShapes) {
            SCOPED_TRACE(testing::Message() << entry.name << " shape " << int(shape));
            auto* box = get<MultiLineBox>(QString::fromUtf8(entry.name));
            ASSERT_TRUE(box);
            if (entry.page >= 0) get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), entry.page))->click();
            const QString text = pasteText(shape, sizeOf(shape), seed++);
            pasteInto(box, text);
            const QString kept = asBoxText(text);
            ASSERT_EQ(box->text().size(), kept.size());
            EXPECT_TRUE(box->text() == kept);
            // Qt's own reading shows a cut line's joins as breaks; lines of a few thousand characters are never cut.
            if (shape != Shape::DigitRun) {
                EXPECT_TRUE(box->toPlainText() == QString(kept).replace(QLatin1String("\r\n"), QLatin1String("\n")));
            }

            MainConditions expected = w.conditions();
            entry.field(expected) = toStd(kept);
            get<QPushButton>(QStringLiteral("C_guolv_ks"))->click();
            NumberPool pool;
            const MainRun reference = runMain(pool, expected);
            EXPECT_EQ(toStd(get<MultiLineBox>(QStringLiteral("T_dadi_output"))->text()), reference.result.text);
            box->setText(QString());
        }
    }
}

TEST_F(LongPasteTest, TwoStarListsKeepEveryShapeAndRunAsTheCore) {
    w.show();
    TwoStarWindow* two = w.openTwoStar();
    quint32 seed = 100;
    for (int index : {0, 1}) {
        for (Shape shape : kShapes) {
            SCOPED_TRACE(testing::Message() << "T_2d_dd[" << index << "] shape " << int(shape));
            auto* box = two->findChild<MultiLineBox*>(indexedName(QStringLiteral("T_2d_dd"), index));
            ASSERT_TRUE(box);
            const QString text = pasteText(shape, sizeOf(shape), seed++);
            pasteInto(box, text);
            const QString kept = asBoxText(text);
            EXPECT_TRUE(box->text() == kept);

            TwoStarConditions expected = two->conditions();
            (index == 0 ? expected.baseList : expected.killList) = toStd(kept);
            two->findChild<QPushButton*>(QStringLiteral("C_2d_ks[0]"))->click();
            PairPool pool;
            const TwoStarResult reference = runTwoStar(pool, expected);
            EXPECT_EQ(toStd(two->findChild<MultiLineBox*>(QStringLiteral("T_2d_dd[2]"))->text()), reference.text);
            box->setText(QString());
        }
    }
}

// Random edits after a long paste, through the keyboard and through the
// cursor, against the same edits on a plain string.
TEST_F(LongPasteTest, EditsAfterALongPasteMatchTheSameEditsOnPlainText) {
    w.show();
    auto* box = get<MultiLineBox>(QStringLiteral("T_jichu_dadi"));
    ASSERT_TRUE(box);
    QRandomGenerator rng(7);
    for (Shape shape : kShapes) {
        const QString text = pasteText(shape, 60'000, rng.generate());
        pasteInto(box, text);
        QString model = fromLineBreaks(text);

        for (int step = 0; step < 300; ++step) {
            QTextCursor c = box->textCursor();
            const int at = int(rng.bounded(quint32(model.size() + 1)));
            c.setPosition(box->documentPosition(at));
            box->setTextCursor(c);
            switch (rng.bounded(5)) {
                case 0:
                    QTest::keyClick(box, Qt::Key_Return);
                    model.insert(at, QLatin1Char('\n'));
                    break;
                case 1:
                    QTest::keyClicks(box, QStringLiteral("7x"));
                    model.insert(at, QStringLiteral("7x"));
                    break;
                case 2:
                    QTest::keyClick(box, Qt::Key_Backspace);
                    if (at > 0) {
                        // Backspace takes a whole surrogate pair.
                        const int n = at > 1 && model[at - 1].isLowSurrogate() && model[at - 2].isHighSurrogate() ? 2 : 1;
                        model.remove(at - n, n);
                    }
                    break;
                case 3: {
                    const int len = int(rng.bounded(quint32(qMin<qsizetype>(model.size() - at, 40) + 1)));
                    c.setPosition(box->documentPosition(at + len), QTextCursor::KeepAnchor);
                    c.removeSelectedText();
                    model.remove(at, len);
                    break;
                }
                default:
                    c.insertText(QStringLiteral("1\r\n2"));
                    model.insert(at, QStringLiteral("1\n2"));
                    break;
            }
            ASSERT_TRUE(box->text() == asBoxText(model)) << "after step " << step;
        }
    }
}

TEST_F(LongPasteTest, CopyingAcrossACutLineGivesTheTextAsPasted) {
    w.show();
    auto* box = get<MultiLineBox>(QStringLiteral("T_jichu_dadi"));
    ASSERT_TRUE(box);
    const QString text = pasteText(Shape::DigitRun, 50'000, 11) + QStringLiteral("\n") + pasteText(Shape::MixedText, 30'000, 12);
    pasteInto(box, text);
    QTextCursor c = box->textCursor();
    c.setPosition(box->documentPosition(1000));
    c.setPosition(box->documentPosition(70'000), QTextCursor::KeepAnchor);
    box->setTextCursor(c);
    box->copy();
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == fromLineBreaks(text).mid(1000, 69'000));
    // And pasting it back over itself changes nothing.
    box->paste();
    EXPECT_TRUE(box->text() == asBoxText(text));
}

TEST_F(LongPasteTest, UndoTakesALongPasteBackWhole) {
    w.show();
    auto* box = get<MultiLineBox>(QStringLiteral("T_main_shazhixuan"));
    ASSERT_TRUE(box);
    get<QPushButton>(QStringLiteral("C_ding_anniu[0]"))->click();
    box->setText(QStringLiteral("123\r\n456"));
    const QString before = box->text();
    QTextCursor end = box->textCursor();
    end.movePosition(QTextCursor::End);
    box->setTextCursor(end);
    QGuiApplication::clipboard()->setText(pasteText(Shape::NumberPerLine, 300'000, 5));
    box->setFocus();
    box->paste();
    EXPECT_TRUE(box->text() == before + asBoxText(QGuiApplication::clipboard()->text()));
    box->undo();
    EXPECT_EQ(box->text(), before);
    box->redo();
    EXPECT_TRUE(box->text() == before + asBoxText(QGuiApplication::clipboard()->text()));
}

TEST_F(LongPasteTest, SingleLineBoxKeepsALongPasteWithBreaksAsSpaces) {
    w.show();
    get<QPushButton>(QStringLiteral("C_ding_anniu[7]"))->click();
    auto* box = get<LineBox>(QStringLiteral("T_lm_he[4]"));
    ASSERT_TRUE(box);
    const QString text = pasteText(Shape::MixedText, 100'000, 9);
    box->clear();
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    box->paste();
    EXPECT_TRUE(box->text() == fromLineBreaks(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    MainConditions expected = w.conditions();
    get<QPushButton>(QStringLiteral("C_guolv_ks"))->click();
    NumberPool pool;
    EXPECT_EQ(toStd(get<MultiLineBox>(QStringLiteral("T_dadi_output"))->text()), runMain(pool, expected).result.text);
}

// The line-break conversions against the plain reading of the convention.
TEST(LineBreakConversion, MatchesAPlainReferenceOnRandomTexts) {
    QRandomGenerator rng(3);
    const QChar alphabet[] = {QLatin1Char('1'), QLatin1Char('\r'), QLatin1Char('\n'), QLatin1Char(' '),
                              QChar(0x5927), QChar::LineSeparator, QChar::ParagraphSeparator};
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = int(rng.bounded(round < 200 ? 40 : 40'000));
        for (int i = 0; i < length; ++i) text += alphabet[rng.bounded(int(std::size(alphabet)))];
        const QString plain = fromLineBreaks(text);
        EXPECT_FALSE(plain.contains(QLatin1Char('\r')));
        QString reference = asBoxText(text);
        reference.replace(QChar::LineSeparator, QLatin1String("\r\n")).replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
        EXPECT_TRUE(toCrLf(plain) == reference);
        // Grouping changes which breaks end blocks, never the text read back.
        const DocumentText grouped = toDocumentText(plain);
        QString unjoined = grouped.text;
        for (auto j = grouped.joins.rbegin(); j != grouped.joins.rend(); ++j) {
            ASSERT_EQ(unjoined[*j], QLatin1Char('\n'));
            unjoined.remove(*j, 1);
        }
        EXPECT_EQ(unjoined.size(), plain.size());
        EXPECT_TRUE(toCrLf(unjoined) == reference);
    }
}

}  // namespace
}  // namespace tarnel
