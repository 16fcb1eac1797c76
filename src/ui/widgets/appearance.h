#pragma once

class QApplication;

namespace tarnel {

// Style and a CJK font for every window of the program.
void applyAppearance(QApplication& app);

// Qt's own Chinese texts (standard buttons, file dialogs, context menus)
// from the system's Qt translations; false when they are not installed,
// and the program then names the buttons it shows by itself.
bool loadChineseQtTexts(QApplication& app);

}  // namespace tarnel
