#pragma once
// Chart axes that count things: ticks only on whole numbers, so a bar of 11
// never reads as 10.5, and bars that tell their value under the pointer.

class QAbstractBarSeries;
class QValueAxis;

namespace tarnel {

// The step between ticks for counts up to `top`: 1, 2 or 5 times a power of
// ten, the smallest that needs at most `maxTicks` steps.
int countTickStep(int top, int maxTicks = 8);

// Sets `axis` to run from 0 to the first whole step at or above `top` (at
// least one step), with a tick and a whole-number label at every step.
void setCountAxis(QValueAxis* axis, int top);

// Shows a bar's value in a tooltip while the pointer is over it.
void showValuesOnHover(QAbstractBarSeries* series);

}  // namespace tarnel
