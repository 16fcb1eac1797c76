#include "conditions/qt/digit_properties_panel.h"

namespace tarnel {

DigitPropertyPanel::DigitPropertyPanel(const MainRegions&, QObject* parent) : QObject(parent) {}

DigitPropertyInputs DigitPropertyPanel::collect() { return {}; }

}  // namespace tarnel
