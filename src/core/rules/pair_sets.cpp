#include "core/rules/pair_sets.h"

#include <array>
#include <bit>

#include "core/rules/digits.h"

namespace tarnel {

namespace {

constexpr int kValues = 19;  // two-digit sums run to 18
using Sets = std::array<std::array<std::array<NumberSet, kValues>, 3>, 3>;  // [measure][places][value]

const Sets& pairValueSets() {
    static const Sets sets = [] {
        Sets s;
        for (int n = 0; n < NumberPool::kSize; ++n) {
            const int d[3] = {n / 100, n / 10 % 10, n % 10};
            const int pairs[3][2] = {{d[0], d[1]}, {d[0], d[2]}, {d[1], d[2]}};
            for (std::size_t q = 0; q < 3; ++q) {
                const int x = pairs[q][0], y = pairs[q][1];
                s[0][q][std::size_t(pairSum(x, y))].set(std::size_t(n));
                s[1][q][std::size_t(pairDiff(x, y))].set(std::size_t(n));
                s[2][q][std::size_t(pairSumTail(x, y))].set(std::size_t(n));
            }
        }
        return s;
    }();
    return sets;
}

}  // namespace

NumberSet numbersWithPairValue(PairMeasure measure, PairPlaces places, std::uint32_t values) {
    const auto& byValue = pairValueSets()[std::size_t(measure)][std::size_t(places)];
    NumberSet set;
    values &= (1u << kValues) - 1;
    for (; values; values &= values - 1) set |= byValue[std::size_t(std::countr_zero(values))];
    return set;
}

}  // namespace tarnel
