#pragma once
// Keyboard helpers every window shares: the run keys, Esc for secondary
// windows, and a frame that shows which control has the keyboard focus.

class QAbstractButton;
class QApplication;
class QWidget;

namespace tarnel {

// F5 and Ctrl+Enter (either Enter key) press `start` wherever the focus is
// in `window`, exactly as a click does; nothing happens while it is disabled.
void addRunShortcuts(QWidget* window, QAbstractButton* start);

// Esc closes `window` (for secondary windows that are not dialogs; dialogs
// close on Esc by themselves).
void closeOnEscape(QWidget* window);

// Draws a clear frame around whichever control has the keyboard focus, in
// every window, without touching the controls' own colours (off: no frame).
void showFocusFrame(QApplication& app, bool on = true);
// The control the focus frame surrounds now (null when none).
QWidget* focusFrameTarget();

}  // namespace tarnel
