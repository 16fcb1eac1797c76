// A writer that the atomic-write tests kill halfway through a write.
//
//   atomic-writer MODE DIR
//
// Every mode first writes an old version of its file the program's own way
// and prints the file's path on a line of its own, then waits for a line on
// standard input (the test reads the old file meanwhile). Then it writes a
// large new version the same way and is killed during that write:
//
//   kill      writeFileAtomically: writes half, prints "half", and waits for
//             the SIGKILL that the test sends then
//   scheme    方案另存为 of a state with a megabyte base list
//   export    导出结果 of a result box of 1000 numbers
//   history   the history window remembering a megabyte of draws
//   settings  QSettings (the recent-scheme list) with a megabyte value
//   last      the last conditions (last.tarnel) with a megabyte base list
//
// One more mode is killed at a moment the test picks at random:
//
//   last-loop the main window writes its last conditions over and over,
//             each time with other conditions and a base list of a few
//             hundred kilobytes; it prints "writing" once the first is in
//             place and never ends by itself
//
// The modes other than kill cap the size of files this process may write
// below the new version's size, so the kernel ends the process (SIGXFSZ)
// inside the write, at a point the program does not choose.

#include <QApplication>
#include <QCheckBox>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/history_window.h"

using namespace tarnel;

namespace {

void announce(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size()) std::_Exit(3);
}

// Blocks until the test writes a line (or closes the pipe).
void awaitGo() {
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
    }
}

void capFileSize(rlim_t bytes) {
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);  // no core file from the kill
    const rlimit cap{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &cap) != 0) std::_Exit(3);
}

QString megabyteOfDraws() {
    QString text;
    for (int issue = 0; text.size() < (1 << 20); ++issue)
        text += QStringLiteral("%1 %2 %3 %4\r\n").arg(2000000 + issue).arg(issue % 10).arg(issue / 10 % 10).arg(issue / 100 % 10);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    RecordingUiServices services;

    if (mode == QLatin1String("kill")) {
        const QString path = dir + QStringLiteral("/target.txt");
        if (!writeFileAtomically(path, QByteArrayLiteral("old content\r\n")).isEmpty()) return 3;
        announce(path);
        awaitGo();
        writeFileAtomically(path, [](QIODevice& device) {
            const QByteArray chunk(64 << 10, 'n');
            for (int i = 0; i < 16; ++i) device.write(chunk);
            // Half of the new content is in the file system now.
            if (auto* file = qobject_cast<QFileDevice*>(&device)) file->flush();
            announce(QStringLiteral("half"));
            awaitGo();  // the test kills the process here
            for (int i = 0; i < 16; ++i) device.write(chunk);
            return true;
        });
        return 4;  // not reached when the test kills as it should
    }
    if (mode == QLatin1String("scheme")) {
        MainWindow main(services);
        const QString path = dir + QStringLiteral("/方案.tarnel");
        main.findChild<QCheckBox*>(QStringLiteral("Check_hewei_sha[3]"))->click();
        if (!main.saveSchemeFile(path)) return 3;
        announce(path);
        awaitGo();
        main.findChild<MultiLineBox*>(QStringLiteral("T_jichu_dadi"))->setText(megabyteOfDraws());
        capFileSize(256 << 10);
        main.saveSchemeFile(path);
        return 4;
    }
    if (mode == QLatin1String("export")) {
        MainWindow main(services);
        const QString path = dir + QStringLiteral("/缩水结果.txt");
        services.setNextPath(path);
        main.exportResult();  // the result box as the program starts
        announce(path);
        awaitGo();
        main.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"))->click();  // 1000 numbers
        capFileSize(1024);
        services.setNextPath(path);
        main.exportResult();
        return 4;
    }
    if (mode == QLatin1String("history")) {
        HistoryWindow::setStoragePath(dir + QStringLiteral("/history.txt"));
        MainWindow main(services);
        HistoryWindow* history = main.openHistory();
        history->setHistoryText(QStringLiteral("2026330 5 8 2\r\n2026331 1 2 3\r\n"));
        history->rereadNow();
        announce(HistoryWindow::storagePath());
        awaitGo();
        history->setHistoryText(megabyteOfDraws());
        capFileSize(256 << 10);
        history->rereadNow();
        return 4;
    }
    if (mode == QLatin1String("last")) {
        setDataFolder(dir + QStringLiteral("/data"));
        MainWindow main(services);
        main.findChild<QCheckBox*>(QStringLiteral("Check_hewei_sha[3]"))->click();
        main.writeLastConditions();
        if (!QFileInfo::exists(MainWindow::lastConditionsPath())) return 3;
        announce(MainWindow::lastConditionsPath());
        awaitGo();
        main.findChild<MultiLineBox*>(QStringLiteral("T_jichu_dadi"))->setText(megabyteOfDraws());
        capFileSize(256 << 10);
        main.writeLastConditions();
        return 4;
    }
    if (mode == QLatin1String("last-loop")) {
        setDataFolder(dir + QStringLiteral("/data"));
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        MainWindow main(services);
        auto* base = main.findChild<MultiLineBox*>(QStringLiteral("T_jichu_dadi"));
        const QString draws = megabyteOfDraws().left(300 << 10);
        for (int round = 0;; ++round) {
            base->setText(draws + QString::number(round));
            main.findChild<QCheckBox*>(indexedName(QStringLiteral("Check_hewei_sha"), round % 10))->click();
            main.writeLastConditions();
            if (round == 0) {
                if (!QFileInfo::exists(MainWindow::lastConditionsPath())) return 3;
                announce(QStringLiteral("writing"));
            }
        }
    }
    if (mode == QLatin1String("settings")) {
        // The settings file goes where the program's goes, under the
        // configuration folder that the test points into DIR.
        QString path;
        {
            QSettings settings;
            settings.setValue(QStringLiteral("recentSchemes"), QStringList{QStringLiteral("/tmp/a.tarnel")});
            settings.sync();
            if (settings.status() != QSettings::NoError) return 3;
            path = settings.fileName();
        }
        announce(path);
        awaitGo();
        QSettings settings;
        settings.setValue(QStringLiteral("recentSchemes"), QStringList{megabyteOfDraws()});
        capFileSize(256 << 10);
        settings.sync();
        return 4;
    }
    return 2;
}
