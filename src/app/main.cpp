#include <QApplication>
#include <QIcon>

#include "common/qt/appearance.h"
#include "common/qt/ui_services.h"
#include "mainwindow/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));
    app.setDesktopFileName(QStringLiteral("tarnel"));
    tarnel::applyAppearance(app);
    tarnel::DesktopUiServices services;
    tarnel::MainWindow window(services);
    window.resize(window.sizeHint());  // the whole window, not the toolkit's two thirds of the screen
    window.show();
    return app.exec();
}
