#include "conditions/qt/positional_panel.h"

namespace tarnel {

PositionalPanel::PositionalPanel(const MainRegions&, QObject* parent) : QObject(parent) {}

PositionalInputs PositionalPanel::collect() { return {}; }

}  // namespace tarnel
