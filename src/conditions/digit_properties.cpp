#include "conditions/digit_properties.h"

namespace tarnel {

void killBySumTail(NumberPool&, const DigitPropertyInputs&) {}
void killBySpan(NumberPool&, const DigitPropertyInputs&) {}
void applyBankerDigits(NumberPool&, const DigitPropertyInputs&) {}
void filterSumValues(NumberPool&, const DigitPropertyInputs&) {}
void applyCompoundExcludeGrid(NumberPool&, const DigitPropertyInputs&) {}
void applyPositionKillGrid(NumberPool&, const DigitPropertyInputs&) {}
void killByAcValue(NumberPool&, const DigitPropertyInputs&) {}
void killBigSmallPattern(NumberPool&, const DigitPropertyInputs&) {}
void killOddEvenPattern(NumberPool&, const DigitPropertyInputs&) {}
void killPrimeCompositePattern(NumberPool&, const DigitPropertyInputs&) {}
void killRoadPattern(NumberPool&, const DigitPropertyInputs&) {}
void killForms(NumberPool&, const DigitPropertyInputs&) {}
void killShapes(NumberPool&, const DigitPropertyInputs&) {}

}  // namespace tarnel
