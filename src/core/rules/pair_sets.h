#pragma once
// The numbers grouped by a value of two of their places, as ready sets: a
// condition on two-digit sums, differences or sum tails becomes a few set
// unions instead of a test of every number.

#include <cstdint>

#include "core/rules/number_pool.h"

namespace tarnel {

// Two places of a number, in the order the boxes list them.
enum class PairPlaces { HundredsTens = 0, HundredsUnits = 1, TensUnits = 2 };
enum class PairMeasure { Sum = 0, Difference = 1, SumTail = 2 };  // 两码和 0..18, 差 0..9, 合 0..9

// The numbers whose two `places` have a `measure` listed in `values` (bit v
// for value v; values beyond the measure's range match nothing).
NumberSet numbersWithPairValue(PairMeasure measure, PairPlaces places, std::uint32_t values);
inline NumberSet numbersWithPairValue(PairMeasure measure, int places, std::uint32_t values) {
    return numbersWithPairValue(measure, static_cast<PairPlaces>(places), values);
}

}  // namespace tarnel
