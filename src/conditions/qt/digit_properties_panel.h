#pragma once
// Controls of this condition family.

#include <QObject>

#include "conditions/digit_properties.h"
#include "mainwindow/qt/main_regions.h"

namespace tarnel {

class DigitPropertyPanel : public QObject {
    Q_OBJECT
public:
    explicit DigitPropertyPanel(const MainRegions& regions, QObject* parent = nullptr);
    // Reads the controls for a run; boxes a run rewrites get their cleaned text here.
    DigitPropertyInputs collect();
};

}  // namespace tarnel
