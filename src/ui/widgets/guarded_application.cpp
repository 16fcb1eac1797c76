#include "ui/widgets/guarded_application.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <cstdio>
#include <new>

namespace tarnel {

namespace {

int outOfMemory = 0;
QPointer<QMessageBox> shown;  // while it is up, a second failure is only counted

}  // namespace

QString GuardedApplication::outOfMemoryText() {
    return QStringLiteral("内存不足，刚才的操作没有完成。已有的条件和开奖号码都还在；"
                          "请关闭用不到的窗口，或减少开奖历史的期数、动态条件的条数后再试。");
}

int GuardedApplication::outOfMemoryEvents() { return outOfMemory; }

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ++outOfMemory;
        // The line on standard error needs no memory; the box is shown once
        // what the failed operation held has been given back.
        static const char kLine[] = "tarnel: 内存不足，刚才的操作没有完成\n";
        std::fwrite(kLine, 1, sizeof kLine - 1, stderr);
        if (!shown) {
            try {
                shown = new QMessageBox(QMessageBox::Warning, QStringLiteral("错误提示"), outOfMemoryText(),
                                        QMessageBox::Ok, activeWindow());
                shown->setAttribute(Qt::WA_DeleteOnClose);
                shown->open();
            } catch (const std::bad_alloc&) {
            }
        }
        return false;
    }
}

}  // namespace tarnel
