#include <QApplication>
#include <QTimer>
#include <QIcon>

#include "common/qt/appearance.h"
#include "common/qt/display_scale.h"
#include "common/qt/keyboard.h"
#include "common/qt/window_fit.h"
#include "common/qt/ui_services.h"
#include "mainwindow/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    app.setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));
    app.setDesktopFileName(QStringLiteral("tarnel"));
    tarnel::applyAppearance(app);
    tarnel::loadChineseQtTexts(app);  // without them the message boxes still name their buttons in Chinese
    tarnel::showFocusFrame(app);
    tarnel::setDisplayScale(tarnel::savedDisplayScale());
    tarnel::DesktopUiServices services;
    tarnel::MainWindow window(services);
    window.resize(window.sizeHint());  // the whole window, not the toolkit's two thirds of the screen
    tarnel::fitToScreen(&window);      // but no larger than the screen left by a taskbar
    window.show();
    // `tarnel FILE.tarnel` opens that scheme once the window is up.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        const QString path = args.at(1);
        QTimer::singleShot(0, &window, [&window, path] { window.openSchemeFile(path); });
    }
    return app.exec();
}
