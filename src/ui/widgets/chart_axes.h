#pragma once
// Chart axes that count things: ticks only on whole numbers, so a bar of 11
// never reads as 10.5.

class QCPAxis;

namespace tarnel {

// The step between ticks for counts up to `top`: 1, 2 or 5 times a power of
// ten, the smallest that needs at most `maxTicks` steps.
int countTickStep(int top, int maxTicks = 8);

// The end of a count axis for counts up to `top`: the first whole step at or
// above `top`, at least one step.
int countAxisEnd(int top, int maxTicks = 8);

// Sets `axis` to run from 0 to countAxisEnd(top), with a tick and a
// whole-number label at every step and no ticks between them.
void setCountAxis(QCPAxis* axis, int top, int maxTicks = 8);

}  // namespace tarnel
