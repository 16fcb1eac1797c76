#include "conditions/positional.h"

namespace tarnel {

void applyPositionMatchRules(NumberPool&, const PositionalInputs&) {}
void keepPositionalPairs(NumberPool&, const PositionalInputs&) {}
void applyPositionalDigitGrid(NumberPool&, const PositionalInputs&) {}
void keepAnyTwoDigitSumTail(NumberPool&, const PositionalInputs&) {}
void applyBankerGroups(NumberPool&, const PositionalInputs&) {}

}  // namespace tarnel
