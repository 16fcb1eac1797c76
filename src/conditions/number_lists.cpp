#include "conditions/number_lists.h"

namespace tarnel {

void killDirectNumbers(NumberPool&, const NumberListInputs&) {}
void killJunkCompounds(NumberPool&, const NumberListInputs&) {}
void killTwoDigitCombos(NumberPool&, const NumberListInputs&) {}
void keepMustContainTwoDigit(NumberPool&, const NumberListInputs&) {}
void killPositionalPairs(NumberPool&, const NumberListInputs&) {}
void filterTwoDigitSumsAndDiffs(NumberPool&, const NumberListInputs&) {}
void killTwoDigitSumTails(NumberPool&, const NumberListInputs&) {}

}  // namespace tarnel
