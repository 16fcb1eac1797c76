#pragma once
// What one stage does to a fresh pool, as sets of numbers: the helpers the
// stage tests of every condition family share.

#include <bitset>
#include <set>
#include <vector>

#include "core/rules/number_pool.h"

namespace tarnel::testing {

// Bit n is set when number n is still alive after `stage` ran on a fresh pool.
template <class Inputs>
std::bitset<NumberPool::kSize> aliveAfterStage(void (*stage)(NumberPool&, const Inputs&), const Inputs& in) {
    NumberPool pool;
    stage(pool, in);
    std::bitset<NumberPool::kSize> alive;
    for (int i = 0; i < NumberPool::kSize; ++i) alive[static_cast<std::size_t>(i)] = pool.alive(i);
    return alive;
}

// The numbers whose bit is `value`, ascending.
template <std::size_t N>
std::vector<int> numbersWith(const std::bitset<N>& bits, bool value) {
    std::vector<int> out;
    for (std::size_t i = 0; i < N; ++i)
        if (bits[i] == value) out.push_back(static_cast<int>(i));
    return out;
}

template <std::size_t N>
std::set<int> numberSetWith(const std::bitset<N>& bits, bool value) {
    const std::vector<int> v = numbersWith(bits, value);
    return {v.begin(), v.end()};
}

inline int hundredsOf(int n) { return n / 100; }
inline int tensOf(int n) { return n / 10 % 10; }
inline int unitsOf(int n) { return n % 10; }

}  // namespace tarnel::testing
