// Memory that runs out while a window handles an event ends that event with
// a message in the window's words, never the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <new>

#include "ui/widgets/guarded_application.h"

namespace tarnel {
namespace {

class Greedy : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::bad_alloc();
        return QObject::event(e);
    }
};

QMessageBox* shownBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}

TEST(OutOfMemory, AnEventThatRunsOutIsSaidAndTheProgramGoesOn) {
    ASSERT_TRUE(qobject_cast<GuardedApplication*>(qApp)) << "the tests run in the program's application object";
    const int before = GuardedApplication::outOfMemoryEvents();
    Greedy greedy;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&greedy, &event));
    EXPECT_EQ(GuardedApplication::outOfMemoryEvents(), before + 1);
    QMessageBox* box = shownBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), GuardedApplication::outOfMemoryText());
    EXPECT_TRUE(box->text().contains(QStringLiteral("内存不足")));
    // A second failure while the box is up is counted, not shown again.
    QCoreApplication::postEvent(&greedy, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(GuardedApplication::outOfMemoryEvents(), before + 2);
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) boxes += qobject_cast<QMessageBox*>(w) && w->isVisible() ? 1 : 0;
    EXPECT_EQ(boxes, 1);
    box->close();
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace tarnel
