// Every edit of the conditions is a step of the document's undo stack:
// random sessions of edits made through the controls as a player makes them
// (clicks, keys, double-clicks, the rule page, 清空所有条件, the two-star
// window), undone step by step to the start and redone to the end, with
// the conditions at every step as they were when that step was made and
// the title's mark, and 退出's question, saying whether they differ from
// the saved file. Also the names of the steps in the 编辑 menu and which
// keys reach the steps.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/conditions_document.h"
#include "ui/panels/rules_panel.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/text_boxes.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

std::string bytesOf(const Scheme& s) { return writeScheme(s.main, s.twoStar ? &*s.twoStar : nullptr); }

std::string fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    return std::string(all.constData(), std::size_t(all.size()));
}

class UndoSteps : public MainWindowFixture {
protected:
    ConditionsDocument& doc = w.document();
    QTemporaryDir dir;

    void SetUp() override {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    // The conditions of both windows as the document holds them.
    std::string now() { return bytesOf(doc.scheme()); }
    int index() { return doc.undoStack().index(); }

    // The end of a player's action: the event loop runs before the next.
    static void settle() { QCoreApplication::processEvents(); }

    void clickOn(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        settle();
    }
    void typeInto(QWidget* box, const QString& keys, int backspaces) {
        if (QApplication::activeWindow() != box->window()) {
            QApplication::setActiveWindow(box->window());
            settle();
        }
        QWidget* target = box;
        if (auto* multi = qobject_cast<MultiLineBox*>(box)) target = multi->viewport();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, 4));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus == box || box->isAncestorOf(focus)) << box->objectName().toStdString();
        QTest::keyClick(focus, Qt::Key_End, Qt::ControlModifier);
        for (int k = 0; k < backspaces; ++k) QTest::keyClick(focus, Qt::Key_Backspace);
        QTest::keyClicks(focus, keys);
        settle();
    }
    void doubleClick(QWidget* box) {
        QWidget* target = box;
        if (auto* multi = qobject_cast<MultiLineBox*>(box)) target = multi->viewport();
        QTest::mouseDClick(target, Qt::LeftButton, {}, QPoint(4, 4));
        settle();
    }
    // A focus outside every text box, as after a click on a button.
    void focusOutsideBoxes() {
        if (QApplication::activeWindow() != &w) QApplication::setActiveWindow(&w);
        get<QPushButton>(QStringLiteral("C_ding_anniu[0]"))->setFocus();
        settle();
    }

    // The controls of `window` a player can reach now, bound to the conditions.
    template <class T>
    std::vector<T*> reachable(QWidget* window, const char* prefix = "") {
        static const QStringList results = {QStringLiteral("T_dadi_output"), QStringLiteral("T_dadi_zhushu"),
                                            QStringLiteral("T_2d_dd[2]"), QStringLiteral("T_sm[0]")};
        std::vector<T*> found;
        for (T* c : window->findChildren<T*>()) {
            const QString name = c->objectName();
            if (c->isVisible() && c->isEnabled() && !name.isEmpty() && name.startsWith(QLatin1String(prefix)) &&
                !results.contains(name) && c->window() == window)
                found.push_back(c);
        }
        return found;
    }

    RuleEditor* openEditor() {
        for (RuleEditor* e : w.findChildren<RuleEditor*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
};

// The title's mark and 退出's question both say whether the conditions differ from the saved file.
void expectMark(MainWindow& w, ConditionsDocument& doc, const std::string& saved, const std::string& now,
                const std::string& context) {
    const bool differs = !doc.schemePath().isEmpty() && now != saved;
    EXPECT_EQ(doc.schemeModified(), differs) << context;
    EXPECT_EQ(w.isWindowModified(), differs) << context << ": the title's mark";
}

TEST_F(UndoSteps, RandomEditsThroughTheControlsUndoAndRedoStepByStep) {
    const QString file = dir.filePath(QStringLiteral("s.tarnel"));
    int steps = 0, undone = 0, kinds[10] = {};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        StateMaker make(seed);
        // A fresh stack at a scheme opened: the start.
        doc.setRules({});
        ASSERT_TRUE(doc.saveSchemeFile(file));
        ASSERT_TRUE(doc.openSchemeFile(file));
        if (seed % 2 == 0) {
            clickOn(get<QPushButton>(QStringLiteral("C_op_2d")));
            ASSERT_TRUE(w.twoStarWindow());
            ASSERT_TRUE(doc.saveSchemeFile(file));
            QApplication::setActiveWindow(&w);
        }
        ASSERT_EQ(index(), 0);
        std::string saved = fileBytes(file);
        std::vector<std::string> at = {now()};  // the conditions each step leaves, by stack index
        for (int action = 0; action < 50; ++action) {
            const int what = make.below(10);
            const std::string context = "seed " + std::to_string(seed) + " action " + std::to_string(action) +
                                        " kind " + std::to_string(what);
            QWidget* window = &w;
            if (w.twoStarWindow() && make.chance(0.3)) window = w.twoStarWindow();
            // Typing on into the box the keys are in joins the step being
            // typed; anything else starts with the focus away from the boxes,
            // which closes that step (and drops it when the text came back).
            const bool typeOn = (what == 2 || what == 3) && make.chance(0.3);
            QWidget* focused = QApplication::focusWidget();
            if (!typeOn) {
                focusOutsideBoxes();
                ASSERT_GE(std::ptrdiff_t(at.size()), index() + 1) << context;
                at.resize(std::size_t(index()) + 1);
                ASSERT_EQ(now(), at.back()) << context << ": the step closed as typed";
            }
            const int before = index();
            const std::string was = now();
            bool mayJoin = false;  // typing into the box being typed into joins its step
            switch (what) {
                case 0:
                case 1: {  // a tick or a grid button
                    std::vector<QAbstractButton*> buttons;
                    for (QCheckBox* c : reachable<QCheckBox>(window)) buttons.push_back(c);
                    for (ToggleButton* b : reachable<ToggleButton>(window)) buttons.push_back(b);
                    ASSERT_FALSE(buttons.empty());
                    clickOn(buttons[std::size_t(make.below(int(buttons.size())))]);
                    break;
                }
                case 2:
                case 3: {  // typing into a box
                    std::vector<QWidget*> boxes;
                    for (MultiLineBox* b : reachable<MultiLineBox>(window)) boxes.push_back(b);
                    for (LineBox* b : reachable<LineBox>(window)) boxes.push_back(b);
                    ASSERT_FALSE(boxes.empty());
                    QWidget* box = boxes[std::size_t(make.below(int(boxes.size())))];
                    for (QWidget* b : boxes)
                        if (typeOn && focused && (b == focused || b->isAncestorOf(focused))) box = b;
                    mayJoin = typeOn && focused && (box == focused || box->isAncestorOf(focused));
                    QString keys;
                    for (int k = 1 + make.below(6); k > 0; --k)
                        keys += make.chance(0.8) ? QChar(u'0' + make.below(10)) : QChar(u' ');
                    typeInto(box, keys, make.below(3));
                    break;
                }
                case 4: {  // a double-click that empties a box
                    std::vector<QWidget*> boxes;
                    for (MultiLineBox* b : reachable<MultiLineBox>(window)) boxes.push_back(b);
                    for (LineBox* b : reachable<LineBox>(window, "T_main_dw_sha")) boxes.push_back(b);
                    for (LineBox* b : reachable<LineBox>(window, "T_lm_he")) boxes.push_back(b);
                    ASSERT_FALSE(boxes.empty());
                    doubleClick(boxes[std::size_t(make.below(int(boxes.size())))]);
                    break;
                }
                case 5: {  // another tab page, or the tolerance by keys
                    if (make.chance(0.5)) {
                        clickOn(get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), make.below(kRulesPage + 1))));
                    } else {
                        auto* tolerance = get<QComboBox>(QStringLiteral("Combo_rongcuo"));
                        tolerance->setFocus();
                        QTest::keyClick(tolerance, make.chance(0.5) ? Qt::Key_Down : Qt::Key_Up);
                        settle();
                    }
                    break;
                }
                case 6: {  // a rule added, changed, removed or moved on its page
                    w.showTab(kRulesPage);
                    const int rules = int(doc.rules().size());
                    const int choice = rules == 0 ? 0 : make.below(5);
                    const char* names[] = {"C_dt_tianjia", "C_dt_xiugai", "C_dt_shanchu", "C_dt_shangyi", "C_dt_xiayi"};
                    if (rules > 0) {
                        // Selects a rule by a click on its row.
                        auto* table = w.findChild<QTableWidget*>();
                        ASSERT_TRUE(table);
                        const int row = make.below(rules);
                        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                                          table->visualItemRect(table->item(row, 0)).center());
                    }
                    auto* button = get<QPushButton>(QString::fromLatin1(names[choice]));
                    if (!button->isEnabled()) break;
                    clickOn(button);
                    if (RuleEditor* e = openEditor()) {
                        auto* draws = e->findChild<QSpinBox*>(QStringLiteral("Spin_dt_qishu"));
                        ASSERT_TRUE(draws);
                        draws->setValue(1 + make.below(50));
                        e->findChild<QComboBox*>(QStringLiteral("Combo_dt_zhibiao"))->setCurrentIndex(make.below(3));
                        e->accept();
                        settle();
                    }
                    break;
                }
                case 7:  // 清空所有条件
                    clickOn(get<QPushButton>(QStringLiteral("C_all_cls")));
                    break;
                case 8:  // a save
                    if (make.chance(0.4)) {
                        ASSERT_TRUE(doc.saveSchemeFile(file)) << context;
                        saved = fileBytes(file);
                        ASSERT_EQ(saved, now()) << context;
                    }
                    break;
                case 9:  // a few steps undone (the next edit drops them)
                    for (int k = 1 + make.below(3); k > 0 && doc.undoStack().canUndo(); --k) {
                        w.undoAction()->trigger();
                        ++undone;
                        ASSERT_EQ(now(), at[std::size_t(index())]) << context;
                    }
                    break;
            }
            ++kinds[what];
            // The keys typed so far are in the step being typed; it closes
            // when the player moves on. The state is known by the stack's index.
            const int after = index();
            const bool changed = now() != was;
            if (what == 9) {
                at.resize(std::size_t(after) + 1);
            } else if (what == 8) {
                EXPECT_EQ(after, before) << context;
            } else if (changed) {
                EXPECT_TRUE(after == before + 1 || (mayJoin && after == before)) << context << ": one step";
                at.resize(std::size_t(after) + 1);
                at[std::size_t(after)] = now();
            } else if (what == 7) {
                EXPECT_EQ(after, before + 1) << context << ": 清空所有条件 is a step even with nothing set";
                at.resize(std::size_t(after) + 1);
                at[std::size_t(after)] = now();
            } else {
                // Nothing changed (a tab, typing that came back to the same
                // text): no step, or the step being typed, still open.
                EXPECT_TRUE(after == before || (after == before + 1 && (what == 2 || what == 3))) << context;
                at.resize(std::size_t(after) + 1);
                at[std::size_t(after)] = now();
            }
            doc.settleNow();
            expectMark(w, doc, saved, now(), context);
        }
        // Back to the start one step at a time, by the menu and by the keys
        // outside the text boxes, then forward to the end.
        focusOutsideBoxes();
        const int end = index();
        const int top = doc.undoStack().count();  // above `end`: the steps undone last
        steps += end;
        ASSERT_EQ(at.size(), std::size_t(end) + 1);
        for (int i = end; i > 0; --i) {
            const std::string context = "seed " + std::to_string(seed) + " undo to " + std::to_string(i - 1);
            ASSERT_TRUE(w.undoAction()->isEnabled()) << context;
            if (i % 2)
                w.undoAction()->trigger();
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
            ASSERT_EQ(index(), i - 1) << context;
            EXPECT_EQ(now(), at[std::size_t(i - 1)]) << context;
            expectMark(w, doc, saved, now(), context);
        }
        EXPECT_FALSE(w.undoAction()->isEnabled());
        for (int i = 1; i <= end; ++i) {
            const std::string context = "seed " + std::to_string(seed) + " redo to " + std::to_string(i);
            ASSERT_TRUE(w.redoAction()->isEnabled()) << context;
            if (i % 3 == 0)
                w.redoAction()->trigger();
            else if (i % 3 == 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
            ASSERT_EQ(index(), i) << context;
            EXPECT_EQ(now(), at[std::size_t(i)]) << context;
            expectMark(w, doc, saved, now(), context);
        }
        EXPECT_EQ(w.redoAction()->isEnabled(), top > end);
        if (TwoStarWindow* t = w.twoStarWindow()) {
            t->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    // The sessions made many steps of every kind.
    EXPECT_GT(steps, 100);
    EXPECT_GT(undone, 5);
    for (int k : kinds) EXPECT_GT(k, 5);
}

}  // namespace
}  // namespace tarnel
