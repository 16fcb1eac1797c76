#include "ui/document/session_end.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>

#include "ui/document/conditions_document.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarnel {

#ifdef Q_OS_UNIX
namespace {

// A signal handler may do almost nothing: it writes the signal's number
// into a pipe, and the event loop reads it there (the self-pipe pattern).
int signalPipe[2] = {-1, -1};
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onEndSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (::write(signalPipe[1], &byte, 1) < 0) {
        // The pipe is full: an end is on its way already.
    }
    errno = saved;
}

bool openSignalPipe() {
    if (signalPipe[0] >= 0) return true;
    if (::pipe(signalPipe) != 0) return false;
    for (int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

}  // namespace
#endif

void endInOrder(ConditionsDocument& document) {
    QPointer<ConditionsDocument> doc(&document);
    const auto record = [doc] {
        if (doc) doc->recordEnd();
    };
    // Quitting, with or without the window closed first (closing records too;
    // the session's later end replaces its earlier one).
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &document, record);
    // The desktop logs out: it may end the program without a quit after this.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, &document, [record](QSessionManager&) { record(); });
    }
#ifdef Q_OS_UNIX
    if (!openSignalPipe()) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &document);
    QObject::connect(notifier, &QSocketNotifier::activated, &document, [record] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1) {
        }
        record();
        // Every event loop ends, a dialog's included; no window is asked to close.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kEndSignals) ::sigaction(number, &action, nullptr);
    // Once the document is gone a signal ends the program the usual way.
    QObject::connect(&document, &QObject::destroyed, [] {
        for (int number : kEndSignals) ::signal(number, SIG_DFL);
    });
#endif
}

}  // namespace tarnel
