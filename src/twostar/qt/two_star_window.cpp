#include "twostar/qt/two_star_window.h"

namespace tarnel {

void openTwoStarWindow(QWidget*, UiServices&) {}

}  // namespace tarnel
