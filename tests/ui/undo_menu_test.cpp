// 编辑 → 撤销/重做 as the player meets them: each step named by the row the
// control belongs to, the platform's keys outside the text boxes and the
// boxes' own undo inside them, a stack started anew by opening a scheme or
// the last conditions, and the title's mark agreeing with 退出's question.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/text_boxes.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

class UndoMenu : public MainWindowFixture {
protected:
    ConditionsDocument& doc = w.document();
    QTemporaryDir dir;

    void SetUp() override {
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    static void settle() { QCoreApplication::processEvents(); }
    void clickOn(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        settle();
    }
    void clickOn(const char* name) { clickOn(get<QWidget>(QString::fromUtf8(name))); }
    QString undoText() { return w.undoAction()->text(); }
    QString redoText() { return w.redoAction()->text(); }
    void typeInto(const char* name, const QString& keys) {
        QWidget* box = get<QWidget>(QString::fromUtf8(name));
        auto* multi = qobject_cast<MultiLineBox*>(box);
        QTest::mouseClick(multi ? multi->viewport() : box, Qt::LeftButton, {}, QPoint(4, 4));
        QTest::keyClicks(QApplication::focusWidget(), keys);
        settle();
    }
    void focusButton() {
        get<QWidget>(QStringLiteral("C_ding_anniu[0]"))->setFocus();
        settle();
    }
};

TEST_F(UndoMenu, StepsAreNamedByTheRowsAsThePlayerKnowsThem) {
    EXPECT_FALSE(w.undoAction()->isEnabled());
    EXPECT_EQ(undoText(), QStringLiteral("撤销"));
    clickOn("Check_hewei_sha[3]");
    EXPECT_EQ(undoText(), QStringLiteral("撤销 勾选 杀和尾 3"));
    clickOn("Check_hewei_sha[3]");
    EXPECT_EQ(undoText(), QStringLiteral("撤销 取消勾选 杀和尾 3"));
    w.undoAction()->trigger();
    EXPECT_EQ(redoText(), QStringLiteral("重做 取消勾选 杀和尾 3"));
    EXPECT_TRUE(w.conditions().digits.sumTailKill[3]);

    typeInto("T_main_shazhixuan", QStringLiteral("123 456"));
    EXPECT_EQ(undoText(), QStringLiteral("撤销 编辑 杀直选"));
    EXPECT_FALSE(w.redoAction()->isEnabled()) << "a new edit drops what was undone";
    focusButton();
    QTest::mouseDClick(get<MultiLineBox>("T_jichu_dadi")->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    EXPECT_EQ(undoText(), QStringLiteral("撤销 清空 大底号码"));
    clickOn("C_all_cls");
    EXPECT_EQ(undoText(), QStringLiteral("撤销 清空所有条件"));
    clickOn(get<QWidget>(indexedName(QStringLiteral("C_ding_anniu"), 9)));
    clickOn("C_3d_dwrd[4]");
    EXPECT_TRUE(undoText().startsWith(QStringLiteral("撤销 选中 定位容对"))) << undoText().toStdString();

    const int steps = doc.undoStack().index();
    EXPECT_EQ(steps, 5) << "tick, edit, clear, clear all, grid; the unticking was undone and dropped";
    // The two-star window's edits are steps of the same stack.
    TwoStarWindow* two = w.openTwoStar();
    auto* span = two->findChild<QAbstractButton*>(QStringLiteral("C_2d_kua[2]"));
    ASSERT_TRUE(span);
    clickOn(span);
    EXPECT_TRUE(undoText().contains(QStringLiteral("选中 二星跨度"))) << undoText().toStdString();
    EXPECT_EQ(doc.undoStack().index(), steps + 1);
    const TwoStarConditions ticked = two->conditions();
    w.undoAction()->trigger();
    EXPECT_FALSE(two->conditions() == ticked);
    w.redoAction()->trigger();
    EXPECT_TRUE(two->conditions() == ticked);

    // Rules through the document: added, moved, removed.
    doc.setRules({PastDrawRule{}});
    EXPECT_EQ(undoText(), QStringLiteral("撤销 添加 动态条件 第 1 条"));
    PastDrawRule other;
    other.draws = 7;
    doc.setRules({PastDrawRule{}, other});
    doc.setRules({other, PastDrawRule{}});
    EXPECT_EQ(undoText(), QStringLiteral("撤销 移动 动态条件 第 1 条、第 2 条"));
    doc.setRules({other});
    EXPECT_EQ(undoText(), QStringLiteral("撤销 删除 动态条件 第 2 条"));
    w.undoAction()->trigger();
    w.undoAction()->trigger();
    EXPECT_EQ(doc.rules(), (std::vector<PastDrawRule>{PastDrawRule{}, other}));
}

// Ctrl+Z in a text box is the box's own undo of the keys typed there; on
// any other control it is the document's. Ctrl+Y and Ctrl+Shift+Z redo.
TEST_F(UndoMenu, KeysReachTheStepsOutsideTheTextBoxes) {
    auto* box = get<MultiLineBox>("T_main_shazhixuan");
    const QString initial = box->text();
    clickOn("Check_kuadu_sha[5]");
    typeInto("T_main_shazhixuan", QStringLiteral("12"));
    const QString typed = box->text();
    ASSERT_NE(typed, initial);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(box->text(), typed) << "the box took back its keys";
    EXPECT_TRUE(w.conditions().digits.spanKill[5]) << "the tick stays";
    EXPECT_EQ(doc.undoStack().index(), 2);
    QTest::keyClicks(box, QStringLiteral("7"));
    const QString last = box->text();
    // Elsewhere the keys go to the steps: the box's typing, one step, then the tick.
    auto* check = get<QCheckBox>("Check_kuadu_sha[5]");
    check->setFocus();
    settle();
    EXPECT_EQ(doc.undoStack().index(), 2);
    QTest::keyClick(check, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), initial);
    QTest::keyClick(check, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(w.conditions().digits.spanKill[5]);
    EXPECT_FALSE(w.undoAction()->isEnabled());
    QTest::keyClick(check, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(w.conditions().digits.spanKill[5]);
    QTest::keyClick(check, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box->text(), last);
    EXPECT_FALSE(w.redoAction()->isEnabled());
}

// Opening a scheme or the last conditions starts a new stack, at the clean
// state; the title's mark and 退出's question agree at every step.
TEST_F(UndoMenu, OpeningStartsANewStackAndTheMarkAgreesWithTheQuestion) {
    const QString file = dir.filePath(QStringLiteral("a.tarnel"));
    clickOn("Check_ac[1]");
    ASSERT_TRUE(w.undoAction()->isEnabled());
    ASSERT_TRUE(doc.saveSchemeFile(file));
    EXPECT_TRUE(w.undoAction()->isEnabled()) << "saving keeps the steps";
    const auto asks = [&] {
        services.setSaveChoice(SaveChoice::Cancel);
        const bool mayGo = doc.mayDiscardChanges();
        services.takeMessages();
        return !mayGo;
    };
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_FALSE(asks());
    clickOn("Check_ac[2]");
    EXPECT_TRUE(w.isWindowModified()) << "at once, without waiting for the changes to settle";
    EXPECT_TRUE(asks());
    clickOn("Check_ac[2]");
    EXPECT_FALSE(w.isWindowModified()) << "back as saved";
    EXPECT_FALSE(asks());
    w.undoAction()->trigger();
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_TRUE(asks());
    w.undoAction()->trigger();
    EXPECT_FALSE(w.isWindowModified());
    w.undoAction()->trigger();  // below the save
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_TRUE(asks());
    EXPECT_FALSE(w.undoAction()->isEnabled());
    services.setSaveChoice(SaveChoice::Discard);
    ASSERT_TRUE(doc.openSchemeFile(file));
    EXPECT_FALSE(w.undoAction()->isEnabled());
    EXPECT_FALSE(w.redoAction()->isEnabled()) << "a new stack";
    EXPECT_TRUE(doc.undoStack().isClean());
    EXPECT_FALSE(w.isWindowModified());

    clickOn("Check_ac[0]");
    doc.writeLastConditions();
    services.setSaveChoice(SaveChoice::Discard);
    ASSERT_TRUE(doc.restoreLastConditions());
    EXPECT_FALSE(w.undoAction()->isEnabled());
    EXPECT_FALSE(w.redoAction()->isEnabled());
    EXPECT_EQ(doc.undoStack().count(), 0);
}

// The 编辑 menu with a named step, for the documentation (TARNEL_SCREENSHOTS=folder).
TEST_F(UndoMenu, Screenshot) {
    const QString folder = qEnvironmentVariable("TARNEL_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_SCREENSHOTS not set";
    clickOn("Check_kuadu_sha[2]");
    clickOn("Check_hewei_sha[3]");
    QMenu* edit = w.findChild<QMenu*>(QStringLiteral("Menu_bianji"));
    ASSERT_TRUE(edit);
    w.menuBar()->setActiveAction(edit->menuAction());
    QTest::qWait(400);
    ASSERT_TRUE(edit->isVisible());
    // The window's corner with the open menu drawn where it stands.
    QPixmap shot = w.grab(QRect(0, 0, 560, 300));
    {
        QPainter painter(&shot);
        painter.drawPixmap(w.mapFromGlobal(edit->pos()), edit->grab());
    }
    shot.save(QDir(folder).filePath(QStringLiteral("edit-menu-undo.png")));
    edit->close();
}

}  // namespace
}  // namespace tarnel
