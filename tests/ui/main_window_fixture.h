#pragma once
// A main window with recording services, and control lookup by design name.

#include <QString>
#include <gtest/gtest.h>

#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"

namespace tarnel {

class MainWindowFixture : public ::testing::Test {
protected:
    RecordingUiServices services;
    MainWindow w{services};

    template <class T = QWidget>
    T* get(const QString& name) {
        T* c = w.findChild<T*>(name);
        if (!c) ADD_FAILURE() << "no control " << name.toStdString();
        return c;
    }
};

}  // namespace tarnel
