#pragma once
// The standard context menu of a text box speaks the program's language:
// Qt's own actions (undo, copy, select all, …) get Chinese captions; their
// shortcuts stay as Qt shows them.

class QMenu;

namespace tarnel {

void useChineseCaptions(QMenu* standardTextMenu);

}  // namespace tarnel
