#pragma once
// Controls of this condition family.

#include <QObject>

#include "conditions/positional.h"
#include "mainwindow/qt/main_regions.h"

namespace tarnel {

class PositionalPanel : public QObject {
    Q_OBJECT
public:
    explicit PositionalPanel(const MainRegions& regions, QObject* parent = nullptr);
    // Reads the controls for a run; boxes a run rewrites get their cleaned text here.
    PositionalInputs collect();
};

}  // namespace tarnel
