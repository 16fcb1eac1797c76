#pragma once
// Banker groups and positional conditions.

#include "pool/number_pool.h"

namespace tarnel {

struct PositionalInputs {};

void applyPositionMatchRules(NumberPool& pool, const PositionalInputs& in);   // 位置匹配
void keepPositionalPairs(NumberPool& pool, const PositionalInputs& in);       // 定位2码
void applyPositionalDigitGrid(NumberPool& pool, const PositionalInputs& in);  // 定位容对
void keepAnyTwoDigitSumTail(NumberPool& pool, const PositionalInputs& in);    // 任意两码合保留
void applyBankerGroups(NumberPool& pool, const PositionalInputs& in);         // 胆组

}  // namespace tarnel
