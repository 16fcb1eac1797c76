#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTimer>
#include <QIcon>
#include <QSettings>
#include <cstdio>

#include "core/files/platform.h"
#include "ui/document/session_end.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/display_scale.h"
#include "ui/widgets/guarded_application.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"

namespace {

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

const char* const kHelp =
    "用法：tarnel [选项] [方案文件.tarnel]\n"
    "\n"
    "Tarnel：三位数彩票缩水工具。给出方案文件时，窗口打开后打开该方案。\n"
    "\n"
    "选项：\n"
    "  -h, --help     显示本帮助并退出\n"
    "  -v, --version  显示版本并退出\n"
    "\n"
    "不用窗口运行方案请用 tarnel-cli（tarnel-cli --help 显示其用法）。\n";

}  // namespace

int main(int argc, char** argv) {
    // What it prints reads the same on every system: no CR before each line
    // on Windows.
    tarnel::useBinaryStandardStreams();
    // --help and --version answer before any window system is needed, so
    // they work without a display. The toolkit's own options (-platform,
    // -style, ...) are left for the application to take.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    {
        QCommandLineParser parser;
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本帮助并退出"));
        const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("显示版本并退出"));
        parser.addOption(help);
        parser.addOption(version);
        parser.parse(args);  // unknown options are the toolkit's business here
        if (parser.isSet(help)) {
            print(stdout, QString::fromUtf8(kHelp));
            return 0;
        }
        if (parser.isSet(version)) {
            print(stdout, QStringLiteral("Tarnel " TARNEL_VERSION "\n"));
            return 0;
        }
    }

    tarnel::GuardedApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
#ifdef Q_OS_WIN
    // The settings in a file beside the player's data (%APPDATA%\Tarnel),
    // not in the registry: all the program keeps is in one folder the player
    // can find, copy and take along.
    QSettings::setDefaultFormat(QSettings::IniFormat);
#endif
    app.setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));
    app.setDesktopFileName(QStringLiteral("tarnel"));

    // What is left after the toolkit took its options: at most one scheme file.
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("方案文件"), QStringLiteral("要打开的方案文件（*.tarnel）"));
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        QString why = QStringLiteral("只能给出一个方案文件");
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            why = QStringLiteral("未知选项 %1%2").arg(name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-"), name);
        }
        print(stderr, QStringLiteral("tarnel: %1（tarnel --help 显示用法）\n").arg(why));
        return 2;
    }

    tarnel::applyAppearance(app);
    tarnel::loadChineseQtTexts(app);  // without them the message boxes still name their buttons in Chinese
    tarnel::showFocusFrame(app);
    tarnel::setDisplayScale(tarnel::savedDisplayScale());
    tarnel::DesktopUiServices services;
    tarnel::MainWindow window(services);
    tarnel::endInOrder(window.document());  // the conditions are kept however the program is told to end
    window.resize(window.sizeHint());  // the whole window, not the toolkit's two thirds of the screen
    tarnel::fitToScreen(&window);      // but no larger than the screen left by a taskbar
    window.show();
    // `tarnel FILE.tarnel` opens that scheme once the window is up.
    if (!parser.positionalArguments().isEmpty()) {
        const QString path = parser.positionalArguments().constFirst();
        QTimer::singleShot(0, &window, [&window, path] { window.openSchemeFile(path); });
    }
    return app.exec();
}
