#pragma once
// Conditions typed as lists: direct numbers to kill, junk compounds,
// two-digit combinations, two-digit sums and differences.

#include "pool/number_pool.h"

namespace tarnel {

struct NumberListInputs {};

void killDirectNumbers(NumberPool& pool, const NumberListInputs& in);         // 杀直选
void killJunkCompounds(NumberPool& pool, const NumberListInputs& in);         // 垃圾复式
void killTwoDigitCombos(NumberPool& pool, const NumberListInputs& in);        // 杀2码
void keepMustContainTwoDigit(NumberPool& pool, const NumberListInputs& in);   // 必出2码
void killPositionalPairs(NumberPool& pool, const NumberListInputs& in);       // 定位杀2码
void filterTwoDigitSumsAndDiffs(NumberPool& pool, const NumberListInputs& in);  // 两码和/差
void killTwoDigitSumTails(NumberPool& pool, const NumberListInputs& in);      // 两码合排除

}  // namespace tarnel
