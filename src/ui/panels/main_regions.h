#pragma once
// The places on the main window where each condition family puts its
// controls. Every container has a QVBoxLayout; a family adds its frames.

#include <array>

class QWidget;

namespace tarnel {

class UiServices;

struct MainRegions {
    std::array<QWidget*, 10> pages{};  // Frame_ding 0..9 (page 4, the set tool, and page 7 are shared)
    QWidget* otherPageLists = nullptr;  // page 7 upper part: two-digit sums and differences
    QWidget* otherPageAnyTwo = nullptr; // page 7 lower part: any-two-digit sum-tail row
    QWidget* middleLeft = nullptr;      // sum tail, span, banker digits, sums, AC, Frame1
    QWidget* middleRight = nullptr;     // pattern frames
    QWidget* bottomLeft = nullptr;      // banker groups Frame2
    QWidget* bottomRight = nullptr;     // form exclusion "特别排除"
    QWidget* window = nullptr;          // the main window itself
    UiServices* services = nullptr;
};

}  // namespace tarnel
