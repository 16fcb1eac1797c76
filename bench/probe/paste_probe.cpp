// tarnel-paste-probe WINDOW BOX SHAPE BYTES [PNG]
//
// Pastes BYTES of text of one SHAPE into one box of a shown window, runs the
// window's start button, shows the box's page again and prints one line:
//   window box shape bytes paste_ms run_ms page_ms total_ms cpu_ms peak_rss_mb kept
// WINDOW is main or 2d; BOX the object name (T_jichu_dadi, T_main_dw2m[0], ...);
// SHAPE one of run (one digit run), lines (one three-digit number per line),
// text (random text: digits, letters, punctuation, CJK, now and then a line break).
// One case per process, so the peak memory belongs to that case alone.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <cstdio>
#include <sys/resource.h>

#include "ui/widgets/appearance.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace {

using tarnel::indexedName;

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec)) * 1e3 +
           (double(u.ru_utime.tv_usec) + double(u.ru_stime.tv_usec)) / 1e3;
}

long peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

QString makeText(const QString& shape, qsizetype bytes) {
    QRandomGenerator rng(20261207);
    QString text;
    text.reserve(bytes + 8);
    if (shape == QLatin1String("run")) {
        for (qsizetype i = 0; i < bytes; ++i) text += QChar(u'0' + rng.bounded(10));
    } else if (shape == QLatin1String("lines")) {
        for (qsizetype i = 0; i + 4 <= bytes; i += 4) {
            const int v = int(rng.bounded(1000));
            text += QChar(u'0' + v / 100);
            text += QChar(u'0' + v / 10 % 10);
            text += QChar(u'0' + v % 10);
            text += QLatin1Char('\n');
        }
    } else {
        static const char16_t cjk[] = u"大底号码杀直选垃圾复式胆组和值跨度，。、；：！？（）【】";
        static const char punct[] = " ,.;:!?*-+/()[]{}\"'#%&=_";
        qsizetype size = 0;
        while (size < bytes) {
            const quint32 kind = rng.bounded(100);
            if (kind < 45) {
                text += QChar(u'0' + rng.bounded(10));
                size += 1;
            } else if (kind < 60) {
                text += QLatin1Char(punct[rng.bounded(int(sizeof punct - 1))]);
                size += 1;
            } else if (kind < 70) {
                text += QChar(u'a' + rng.bounded(26));
                size += 1;
            } else if (kind < 97) {
                text += QChar(cjk[rng.bounded(int(std::size(cjk) - 1))]);
                size += 3;
            } else if (kind < 98) {
                text += QString::fromUcs4(U"\U0001F600", 1);  // outside the BMP: a surrogate pair
                size += 4;
            } else {
                text += rng.bounded(2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
                size += 2;
            }
        }
    }
    return text;
}

// The page of the main window that holds `box`, or -1.
int pageOf(QWidget* box) {
    for (QWidget* w = box; w; w = w->parentWidget())
        if (w->objectName().startsWith(QLatin1String("Frame_ding[")))
            return w->objectName().mid(11).chopped(1).toInt();
    return -1;
}

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    do QApplication::processEvents(QEventLoop::AllEvents, 20);
    while (t.elapsed() < ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tarnel::applyAppearance(app);
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: tarnel-paste-probe main|2d BOX run|lines|text BYTES [PNG]\n");
        return 2;
    }
    const QString window = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString shape = QString::fromLocal8Bit(argv[3]);
    const qsizetype bytes = QString::fromLocal8Bit(argv[4]).toLongLong();

    tarnel::RecordingUiServices services;
    tarnel::MainWindow main(services);
    main.show();
    QWidget* win = &main;
    if (window == QLatin1String("2d")) win = main.openTwoStar();
    settle(150);
    auto* box = win->findChild<QWidget*>(name);
    if (!box) {
        std::fprintf(stderr, "no box %s\n", argv[2]);
        return 2;
    }
    const int page = pageOf(box);
    auto clickNamed = [win](const QString& n) {
        if (auto* b = win->findChild<QPushButton*>(n)) b->click();
    };
    if (page >= 0) clickNamed(indexedName(QStringLiteral("C_ding_anniu"), page));
    if (name.startsWith(QLatin1String("T_dadi_in"))) {
        if (auto* b = win->findChild<QAbstractButton*>(QStringLiteral("Check_fs_ip"))) b->setChecked(true);
    }
    // An empty box first, as a player would clear it with a double-click.
    if (auto* p = qobject_cast<QPlainTextEdit*>(box)) p->clear();
    if (auto* l = qobject_cast<tarnel::LineBox*>(box)) l->setText(QString());
    settle(150);

    const QString text = makeText(shape, bytes);
    QGuiApplication::clipboard()->setText(text);
    const double cpu0 = cpuMs();
    QElapsedTimer t;
    t.start();
    box->setFocus();
    if (auto* p = qobject_cast<QPlainTextEdit*>(box)) p->paste();
    if (auto* l = qobject_cast<tarnel::LineBox*>(box)) l->paste();
    QApplication::processEvents();
    box->repaint();
    const qint64 pasted = t.elapsed();

    // Read back before the run: a run may rewrite a box to its cleaned text.
    const double cpuRead = cpuMs();
    QString back;
    QString want = tarnel::fromLineBreaks(text);
    if (auto* m = qobject_cast<tarnel::MultiLineBox*>(box)) {
        back = m->text();
        want = tarnel::toCrLf(want);
    } else if (auto* l = qobject_cast<tarnel::LineBox*>(box)) {
        back = l->text();
        want.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    const bool kept = back == want;
    const double readCpu = cpuMs() - cpuRead;
    t.start();

    const QString start = window == QLatin1String("2d") ? QStringLiteral("C_2d_ks[0]") : QStringLiteral("C_guolv_ks");
    clickNamed(start);
    if (name.startsWith(QLatin1String("T_dd_jiaoji"))) clickNamed(QStringLiteral("C_jiaoji_xuanzhe[1]"));
    QApplication::processEvents();
    win->repaint();
    const qint64 ran = pasted + t.elapsed();

    if (page >= 0) {
        clickNamed(indexedName(QStringLiteral("C_ding_anniu"), page == 0 ? 1 : 0));
        QApplication::processEvents();
        clickNamed(indexedName(QStringLiteral("C_ding_anniu"), page));
    }
    QApplication::processEvents();
    box->repaint();
    const qint64 shown = pasted + t.elapsed();
    settle(250);  // the settle timer of the forecast, counted in CPU time only
    const double cpu = cpuMs() - cpu0 - readCpu;

    if (argc == 6) win->grab().save(QString::fromLocal8Bit(argv[5]));  // the window as the player sees it
    std::printf("%s %s %s %lld %lld %lld %lld %lld %.0f %ld %s\n", argv[1], argv[2], argv[3],
                static_cast<long long>(bytes), static_cast<long long>(pasted), static_cast<long long>(ran - pasted),
                static_cast<long long>(shown - ran), static_cast<long long>(shown), cpu, peakMb(),
                kept ? "kept" : "CHANGED");
    return kept ? 0 : 1;
}
