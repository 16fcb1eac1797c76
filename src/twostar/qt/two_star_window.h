#pragma once
// The two-star window F2d: one at a time, modeless, opened from the main window.

class QWidget;

namespace tarnel {

class UiServices;

// Shows the two-star window, creating it on first use.
void openTwoStarWindow(QWidget* mainWindow, UiServices& services);

}  // namespace tarnel
