#include <QApplication>

#include "common/qt/appearance.h"
#include "common/qt/ui_services.h"
#include "mainwindow/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tarnel::applyAppearance(app);
    tarnel::DesktopUiServices services;
    tarnel::MainWindow window(services);
    window.resize(window.sizeHint());  // the whole window, not the toolkit's two thirds of the screen
    window.show();
    return app.exec();
}
