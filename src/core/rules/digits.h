#pragma once
// Digit measures and digit classes of the players' vocabulary.

#include <algorithm>
#include <array>
#include <cstddef>

namespace tarnel {

inline int digitSum(int a, int b, int c) { return a + b + c; }        // 和值
inline int sumTail(int a, int b, int c) { return (a + b + c) % 10; }  // 和尾
inline int span(int a, int b, int c) {                                  // 跨度
    return std::max({a, b, c}) - std::min({a, b, c});
}
inline int pairSum(int a, int b) { return a + b; }                      // 两码和
inline int pairDiff(int a, int b) { return a > b ? a - b : b - a; }     // 两码差
inline int pairSumTail(int a, int b) { return (a + b) % 10; }           // 两码合

inline bool isBig(int d) { return d >= 5; }                             // 大 / 小
inline bool isOdd(int d) { return d % 2 == 1; }                         // 奇 / 偶
inline bool isPrime(int d) {                                            // 质 / 合 (1 counts as prime)
    return d == 1 || d == 2 || d == 3 || d == 5 || d == 7;
}
inline int road(int d) { return d % 3; }                                // 012 路

// A set of digits as bits: bit d for digit d.
inline bool inDigitSet(unsigned set, int d) { return (set >> d) & 1u; }

// 胆码: how many of a number's digits are banker digits. With repeats every
// position counts; without, a digit that occurs twice counts once.
template <std::size_t N>
int bankerHits(const std::array<int, N>& digits, unsigned bankers, bool repeats) {
    int hits = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (!inDigitSet(bankers, digits[i])) continue;
        bool counted = false;
        for (std::size_t j = 0; j < i && !repeats; ++j) counted = counted || digits[j] == digits[i];
        hits += counted ? 0 : 1;
    }
    return hits;
}

}  // namespace tarnel
