#pragma once
// The application object of the program's windows. Memory that runs out
// while an event is handled (a very long history with many rules, say)
// ends that event with a message in the window's words instead of ending
// the program.

#include <QApplication>

namespace tarnel {

class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;

    // What the message says (shown in a box that does not wait, once at a time).
    static QString outOfMemoryText();
    // How many events ran out of memory so far.
    static int outOfMemoryEvents();
};

}  // namespace tarnel
