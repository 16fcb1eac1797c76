#pragma once
// 显示比例: larger text for players who need it. The program's font grows
// by the chosen percentage, and so do the sizes that controls were given
// by hand (grid buttons, narrow boxes), so that no caption is cut. The
// choice is remembered between starts. At 100 % nothing is touched.

#include <array>

class QWidget;

namespace tarnel {

inline constexpr std::array<int, 5> kDisplayScales = {100, 125, 150, 175, 200};
inline constexpr int kMinDisplayScale = 100;
inline constexpr int kMaxDisplayScale = 200;

// The percentage remembered in the settings (100 when none or out of range).
int savedDisplayScale();
// The percentage in effect now.
int displayScale();
// Applies a percentage (clamped to 100..200) to every window now and to
// every control made later, and remembers it.
void setDisplayScale(int percent);

}  // namespace tarnel
