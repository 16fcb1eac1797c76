// A writer that the full-disk tests run on a disk that fills up.
//
//   full-disk-writer MODE DIR
//
// Run with tests/helpers/full_disk_shim.cpp preloaded. Each mode first
// writes an old version of its file the program's own way and prints the
// file's path on a line of its own, then waits for a line on standard input
// (the test reads the old file meanwhile). Then the disk fills: MODE is
// WHAT-ROOM, where ROOM is how many more bytes the disk takes ("0", "1000"),
// or "sync" for a disk that takes every write and fails the sync. The
// program then writes a larger new version and prints what it said, one
// line each: "saved 0|1", then "title …", "note …", "message …" as they apply.
//
//   scheme    保存方案 of the open scheme, after a change
//   saveas    方案另存为 over an existing file
//   last      the last conditions (last.tarnel)
//   history   the history window remembering its draws (history.txt)
//   export    导出结果 of the result box
//   numbers   the results view's 导出号码
//   settings  the settings file (prices and the recent list)

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>
#include <dlfcn.h>
#include <unistd.h>

#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/settings.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/history_window.h"
#include "ui/windows/main_window.h"

using namespace tarnel;

namespace {

void say(const QString& line) {
    const QByteArray bytes = (QString(line).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' ')) +
                              QLatin1Char('\n')).toUtf8();
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size()) std::_Exit(3);
}

void awaitGo() {
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
    }
}

QString manyDraws(int count) {
    QString text;
    for (int issue = 0; issue < count; ++issue)
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
    const auto fill = reinterpret_cast<void (*)(long long, int)>(dlsym(RTLD_DEFAULT, "tarnel_fill_disk"));
    if (!fill) return 5;  // the shim is not loaded
    const QString mode = QString::fromLocal8Bit(argv[1]).section(QLatin1Char('-'), 0, 0);
    const QString room = QString::fromLocal8Bit(argv[1]).section(QLatin1Char('-'), 1);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    setDataFolder(dir + QStringLiteral("/data"));
    HistoryWindow::setStoragePath(dir + QStringLiteral("/data/history.txt"));
    const auto fillDisk = [&] {
        if (room == QLatin1String("sync"))
            fill(1LL << 40, 1);
        else
            fill(room.toLongLong(), 0);
    };
    RecordingUiServices services;
    MainWindow main(services);
    main.show();
    auto* base = main.findChild<MultiLineBox*>(QStringLiteral("T_jichu_dadi"));
    const auto change = [&] {
        main.findChild<QCheckBox*>(QStringLiteral("Check_hewei_sha[5]"))->click();
        base->setText(manyDraws(4000));  // far more than the disk takes
        main.conditionsSettled();
    };
    const auto report = [&](bool saved) {
        say(QStringLiteral("saved %1").arg(saved ? 1 : 0));
        say(QStringLiteral("title %1").arg(main.windowTitle().replace(QLatin1String("[*]"), main.isWindowModified() ? QStringLiteral("*") : QString())));
        for (const ShownMessage& m : services.takeMessages()) say(QStringLiteral("message %1: %2").arg(m.title, m.text));
    };

    if (mode == QLatin1String("scheme") || mode == QLatin1String("saveas")) {
        const QString path = dir + QStringLiteral("/方案.tarnel");
        main.findChild<QCheckBox*>(QStringLiteral("Check_hewei_sha[3]"))->click();
        if (!main.saveSchemeFile(path)) return 3;
        say(path);
        awaitGo();
        change();
        fillDisk();
        if (mode == QLatin1String("scheme")) {
            report(main.saveScheme());
        } else {
            services.setNextPath(path);
            report(main.saveSchemeAs());
        }
        say(QStringLiteral("modified %1").arg(main.schemeModified() ? 1 : 0));
        return 0;
    }
    if (mode == QLatin1String("last")) {
        main.findChild<QCheckBox*>(QStringLiteral("Check_hewei_sha[3]"))->click();
        main.writeLastConditions();
        if (!QFileInfo::exists(MainWindow::lastConditionsPath())) return 3;
        say(MainWindow::lastConditionsPath());
        awaitGo();
        change();
        fillDisk();
        const int before = main.lastConditionsWrites();
        main.writeLastConditions();
        say(QStringLiteral("saved %1").arg(main.lastConditionsWrites() > before && main.statusBar()->currentMessage().isEmpty() ? 1 : 0));
        say(QStringLiteral("note %1").arg(main.statusBar()->currentMessage()));
        return 0;
    }
    if (mode == QLatin1String("history")) {
        HistoryWindow* history = main.openHistory();
        history->setHistoryText(QStringLiteral("2026330 5 8 2\r\n2026331 1 2 3\r\n"));
        history->rereadNow();
        if (!QFileInfo::exists(HistoryWindow::storagePath())) return 3;
        say(HistoryWindow::storagePath());
        awaitGo();
        history->setHistoryText(manyDraws(4000));
        fillDisk();
        history->rereadNow();
        say(QStringLiteral("saved %1").arg(history->statusText().contains(QStringLiteral("未能保存")) ? 0 : 1));
        say(QStringLiteral("note %1").arg(history->statusText()));
        return 0;
    }
    if (mode == QLatin1String("export") || mode == QLatin1String("numbers")) {
        const QString path = dir + QStringLiteral("/缩水结果.txt");
        const auto exportNow = [&] {
            services.setNextPath(path);
            if (mode == QLatin1String("export"))
                main.exportResult();
            else
                main.openResults()->exportNumbers();
        };
        auto* start = main.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"));
        base->setText(QStringLiteral("123 456"));
        start->click();
        exportNow();
        if (!QFileInfo::exists(path)) return 3;
        say(path);
        awaitGo();
        base->setText(QString());
        start->click();  // 1000 numbers
        fillDisk();
        exportNow();
        const QVector<ShownMessage> shown = services.takeMessages();
        say(QStringLiteral("saved %1").arg(shown.isEmpty() ? 1 : 0));
        for (const ShownMessage& m : shown) say(QStringLiteral("message %1: %2").arg(m.title, m.text));
        return 0;
    }
    if (mode == QLatin1String("settings")) {
        QString message;
        QObject::connect(&Settings::notifier(), &Settings::writeFailed, [&](const QString& m) { message = m; });
        if (!Settings::set(Setting::RecentSchemes, QStringList{dir + QStringLiteral("/一.tarnel")})) return 3;
        say(Settings::fileName());
        awaitGo();
        QStringList recent;
        for (int i = 0; i < 400; ++i) recent << dir + QStringLiteral("/方案%1.tarnel").arg(i);
        fillDisk();
        const bool saved = Settings::set({{Setting::RecentSchemes, recent}, {Setting::PriceFen, 300}});
        say(QStringLiteral("saved %1").arg(saved ? 1 : 0));
        if (!message.isEmpty()) say(QStringLiteral("message ") + message);
        return 0;
    }
    return 2;
}
