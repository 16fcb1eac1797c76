#pragma once

class QApplication;
class QStyle;

namespace tarnel {

// Style and a CJK font for every window of the program.
void applyAppearance(QApplication& app);

// The program's style: `base` (Fusion when null) drawing every control with
// one shared palette per set of colours. The style keys the pixmaps it
// caches on the palette's identity, and Qt's pixmap cache keeps each key it
// was ever given, so a palette of its own per button (a window made again,
// a grid button changing colour) would leave a few hundred bytes behind
// for good at every paint of a new one. Takes ownership of `base`.
QStyle* makeProgramStyle(QStyle* base = nullptr);

// Qt's own Chinese texts (standard buttons, file dialogs, context menus)
// from the system's Qt translations; false when they are not installed,
// and the program then names the buttons it shows by itself.
bool loadChineseQtTexts(QApplication& app);

}  // namespace tarnel
