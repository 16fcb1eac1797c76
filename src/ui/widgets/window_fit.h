#pragma once
// Windows that fit the screen they open on.

class QRect;
class QWidget;

namespace tarnel {

// Room left for a title bar above a window's client area; the frame is only
// known once the window manager has shown the window.
inline constexpr int kTitleBarRoom = 32;

// Shrinks `window` (never below its minimum size) to the available area of
// its screen, less a title bar, and moves it inside that area.
void fitToScreen(QWidget* window);
// The same within `area` (the available part of a screen).
void fitToArea(QWidget* window, const QRect& area);

// Shows a secondary window, fitted to its screen the first time, in front
// of the others and active.
void bringToFront(QWidget* window);

}  // namespace tarnel
