#pragma once

class QApplication;

namespace tarnel {

// Style and a CJK font for every window of the program.
void applyAppearance(QApplication& app);

}  // namespace tarnel
