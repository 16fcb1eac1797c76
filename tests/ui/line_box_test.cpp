// Single-line boxes with long texts: a box holding a long text in its long
// editor behaves as a plain line holding the same text would. Random edits
// are checked against a plain string; long pastes into the window's
// single-line boxes are kept exactly and run as the core runs them.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "ui/widgets/controls.h"
#include "main_window_fixture.h"
#include "core/state/shrink.h"

namespace tarnel {
namespace {

QString asLine(const QString& text) { return fromLineBreaks(text).replace(QLatin1Char('\n'), QLatin1Char(' ')); }

// A random text of `chars` characters: digits and spaces mostly, now and
// then a line break, a CJK character or a character a text document would
// take for a block end. No surrogate pairs: the model's cursor counts units.
QString randomText(QRandomGenerator& rng, qsizetype chars) {
    static const char16_t kOdd[] = {u'\r', u'\n', u'中', u'\u2028', u'\u2029', u'\uFDD0', u'\uFDD1', u'\uFFFD'};
    QString text;
    text.reserve(chars);
    while (text.size() < chars) {
        const quint32 kind = rng.bounded(100);
        if (kind < 70)
            text += QChar(u'0' + rng.bounded(10));
        else if (kind < 96)
            text += QLatin1Char(' ');
        else
            text += QChar(kOdd[rng.bounded(int(std::size(kOdd)))]);
    }
    return text;
}

void sendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// The widget that takes the keys: the box, or its long editor while it holds a long text.
QWidget* keyTarget(LineBox* box) { return box->holdsLongText() ? box->longEditor() : static_cast<QWidget*>(box); }

TEST(LineBoxLongText, RandomEditsMatchTheSameEditsOnAPlainString) {
    for (quint32 seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        QRandomGenerator rng(seed);
        QWidget window;
        auto* box = new LineBox(QStringLiteral("T_probe"), &window);
        box->setGeometry(10, 10, 120, 22);
        window.show();
        QStringList signalled;  // what the box announced during a step
        QObject::connect(box, &QLineEdit::textChanged, [&](const QString& t) { signalled << t; });

        QString model;
        std::optional<QString> undoTo;  // what Ctrl+Z brings back right now, when the model knows
        for (int step = 0; step < 260; ++step) {
            const quint32 op = rng.bounded(100);
            const QString before = model;
            signalled.clear();
            const qsizetype at = rng.bounded(int(model.size()) + 1);
            std::optional<QString> nextUndo;
            if (op < 10 && undoTo) {  // Ctrl+Z right after a clear, or a paste that made the box long
                sendKey(keyTarget(box), Qt::Key_Z, Qt::ControlModifier);
                model = *undoTo;
            } else if (op < 22) {  // a double-click's clear
                box->clearUndoably();
                if (!model.isEmpty()) nextUndo = model;
                model.clear();
            } else if (op < 42) {  // a paste at a random place, or over everything
                const bool big = rng.bounded(3) == 0;
                const QString clip = randomText(rng, big ? 9'000 + rng.bounded(30'000) : rng.bounded(30));
                QGuiApplication::clipboard()->setText(clip);
                const bool all = rng.bounded(4) == 0;
                const bool wasLong = box->holdsLongText();
                if (all) {
                    sendKey(keyTarget(box), Qt::Key_A, Qt::ControlModifier);
                    model = asLine(clip);
                } else {
                    box->setCursorIndex(at);
                    model = model.left(at) + asLine(clip) + model.mid(at);
                }
                sendKey(keyTarget(box), Qt::Key_V, Qt::ControlModifier);
                if (!wasLong && box->holdsLongText()) nextUndo = before;
                if (!all && clip == asLine(clip)) {
                    EXPECT_EQ(box->cursorIndex(), at + clip.size());
                }
            } else if (op < 52) {  // the program sets the text
                const QString text = randomText(rng, rng.bounded(2) ? rng.bounded(40) : 10'000 + rng.bounded(30'000));
                box->setText(text);
                model = asLine(text);
            } else if (op < 80) {  // a typed character
                static const char16_t kTyped[] = {u'7', u' ', u'a', u'中', u'\u2029', u'\u2028'};
                const QChar c(kTyped[rng.bounded(int(std::size(kTyped)))]);
                box->setCursorIndex(at);
                sendKey(keyTarget(box), Qt::Key_unknown, Qt::NoModifier, QString(c));
                model.insert(at, c);
            } else if (op < 90) {  // Backspace
                box->setCursorIndex(at);
                sendKey(keyTarget(box), Qt::Key_Backspace, Qt::NoModifier);
                if (at > 0) model.remove(at - 1, 1);
            } else {  // Delete
                box->setCursorIndex(at);
                sendKey(keyTarget(box), Qt::Key_Delete, Qt::NoModifier);
                if (at < model.size()) model.remove(at, 1);
            }
            undoTo = nextUndo;
            QApplication::processEvents();

            SCOPED_TRACE(testing::Message() << "step " << step << " op " << op << " size " << model.size());
            ASSERT_EQ(box->text().size(), model.size());
            ASSERT_TRUE(box->text() == model);
            // A plain line never holds a long text, and a long editor never keeps a short one.
            EXPECT_TRUE(box->holdsLongText() ? model.size() >= kShortLineChars : model.size() < kLongLineChars);
            // A change is announced with the text it leaves.
            if (model != before) {
                EXPECT_TRUE(signalled.contains(model));
            }
        }
    }
}

struct SingleLineBox {
    const char* name;
    std::function<std::string&(MainConditions&)> field;
    int page;  // tab page holding the box, -1 for none
};

const SingleLineBox kSingleLineBoxes[] = {
    {"T_lm_he[0]", [](MainConditions& c) -> std::string& { return c.lists.pairValues[0]; }, 7},
    {"T_lm_he[9]", [](MainConditions& c) -> std::string& { return c.lists.pairValues[9]; }, 7},
    {"T_dadi_in[1]", [](MainConditions& c) -> std::string& { return c.sources.compoundDigits[1]; }, -1},
    {"T_hezhi_fanwei_1", [](MainConditions& c) -> std::string& { return c.digits.sumLower; }, -1},
    {"T_hezhi_fanwei_2", [](MainConditions& c) -> std::string& { return c.digits.sumUpper; }, -1},
};

class LongLinePasteTest : public MainWindowFixture {};

TEST_F(LongLinePasteTest, EverySingleLineBoxKeepsALongPasteAndRunsAsTheCore) {
    w.show();
    get<QCheckBox>(QStringLiteral("Check_fs_ip"))->setChecked(true);
    QRandomGenerator rng(7);
    for (const SingleLineBox& entry : kSingleLineBoxes) {
        for (int shape = 0; shape < 2; ++shape) {
            SCOPED_TRACE(testing::Message() << entry.name << " shape " << shape);
            auto* box = get<LineBox>(QString::fromUtf8(entry.name));
            ASSERT_TRUE(box);
            if (entry.page >= 0) get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), entry.page))->click();
            box->setText(QString());
            // A number a line, or a digit run with now and then something else.
            QString text;
            while (text.size() < 300'000)
                text += shape == 0 ? QString::number(rng.bounded(1000)).rightJustified(3, QLatin1Char('0')) + QStringLiteral("\r\n")
                                   : randomText(rng, 1);
            QGuiApplication::clipboard()->setText(text);
            box->setFocus();
            box->paste();
            QApplication::processEvents();
            ASSERT_TRUE(box->holdsLongText());
            EXPECT_TRUE(box->text() == asLine(text));

            MainConditions expected = w.conditions();
            EXPECT_TRUE(fromStd(entry.field(expected)) == asLine(text));
            get<QPushButton>(QStringLiteral("C_guolv_ks"))->click();
            NumberPool pool;
            const MainRun reference = runMain(pool, expected);
            EXPECT_EQ(toStd(get<MultiLineBox>(QStringLiteral("T_dadi_output"))->text()), reference.result.text);
            // The run writes back what it cleans; the box shows exactly that.
            MainConditions after = w.conditions();
            EXPECT_EQ(toStd(box->text()), entry.field(after));
            box->setText(QString());
            EXPECT_FALSE(box->holdsLongText());
        }
    }
}

TEST_F(LongLinePasteTest, MenuPasteHoldsALongTextAndUndoTakesItBack) {
    w.show();
    get<QPushButton>(QStringLiteral("C_ding_anniu[7]"))->click();
    auto* box = get<LineBox>(QStringLiteral("T_lm_he[3]"));
    ASSERT_TRUE(box);
    box->setText(QStringLiteral("1 2 3"));
    box->setCursorIndex(2);
    QRandomGenerator rng(11);
    const QString clip = randomText(rng, 50'000);
    QGuiApplication::clipboard()->setText(clip);

    // The standard menu's own actions, run as a player's clicks would.
    auto runMenuAction = [box](const char* name) {
        QTimer::singleShot(0, [name] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_TRUE(menu);
            for (QAction* a : menu->actions()) {
                if (a->objectName() != QLatin1String(name)) continue;
                EXPECT_TRUE(a->isEnabled());
                a->trigger();
            }
            menu->close();
        });
        QWidget* target = box->holdsLongText() ? box->longEditor()->viewport() : static_cast<QWidget*>(box);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        QTest::qWait(20);
    };
    runMenuAction("edit-paste");
    ASSERT_TRUE(box->holdsLongText());
    EXPECT_TRUE(box->text() == QStringLiteral("1 ") + asLine(clip) + QStringLiteral("2 3"));
    EXPECT_EQ(box->cursorIndex(), 2 + asLine(clip).size());

    // A double-click empties it; Ctrl+Z brings the long text back.
    QTest::mouseDClick(box->longEditor()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(box->holdsLongText());
    sendKey(box, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(box->holdsLongText());
    EXPECT_TRUE(box->text() == QStringLiteral("1 ") + asLine(clip) + QStringLiteral("2 3"));
}

}  // namespace
}  // namespace tarnel
