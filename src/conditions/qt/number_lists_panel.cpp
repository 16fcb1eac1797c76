#include "conditions/qt/number_lists_panel.h"

namespace tarnel {

NumberListPanel::NumberListPanel(const MainRegions&, QObject* parent) : QObject(parent) {}

NumberListInputs NumberListPanel::collect() { return {}; }

}  // namespace tarnel
