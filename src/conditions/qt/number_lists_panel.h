#pragma once
// Controls of the number-list conditions on the tab pages.

#include <QObject>

#include "conditions/number_lists.h"
#include "mainwindow/qt/main_regions.h"

namespace tarnel {

class NumberListPanel : public QObject {
    Q_OBJECT
public:
    explicit NumberListPanel(const MainRegions& regions, QObject* parent = nullptr);
    // Reads the controls for a run; boxes a run rewrites get their cleaned text here.
    NumberListInputs collect();
};

}  // namespace tarnel
