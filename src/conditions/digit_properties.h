#pragma once
// Conditions on properties of a number's digits.

#include "pool/number_pool.h"

namespace tarnel {

struct DigitPropertyInputs {};

void killBySumTail(NumberPool& pool, const DigitPropertyInputs& in);          // 杀和尾
void killBySpan(NumberPool& pool, const DigitPropertyInputs& in);             // 杀跨度
void applyBankerDigits(NumberPool& pool, const DigitPropertyInputs& in);      // 胆码
void filterSumValues(NumberPool& pool, const DigitPropertyInputs& in);        // 和值
void applyCompoundExcludeGrid(NumberPool& pool, const DigitPropertyInputs& in);  // 排除复式
void applyPositionKillGrid(NumberPool& pool, const DigitPropertyInputs& in);  // 定位杀
void killByAcValue(NumberPool& pool, const DigitPropertyInputs& in);          // AC值
void killBigSmallPattern(NumberPool& pool, const DigitPropertyInputs& in);    // 大小
void killOddEvenPattern(NumberPool& pool, const DigitPropertyInputs& in);     // 奇偶
void killPrimeCompositePattern(NumberPool& pool, const DigitPropertyInputs& in);  // 质合
void killRoadPattern(NumberPool& pool, const DigitPropertyInputs& in);        // 012路
void killForms(NumberPool& pool, const DigitPropertyInputs& in);              // 豹子/组三/组六
void killShapes(NumberPool& pool, const DigitPropertyInputs& in);             // 连号/上山/下山/凸/凹

}  // namespace tarnel
