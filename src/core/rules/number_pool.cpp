#include "core/rules/number_pool.h"

namespace tarnel {

namespace {
// Entry n holding the number n: what a reset copies when digits changed.
const std::array<PoolEntry, NumberPool::kSize>& freshEntries() {
    static const auto entries = [] {
        std::array<PoolEntry, NumberPool::kSize> e{};
        for (int n = 0; n < NumberPool::kSize; ++n) e[static_cast<std::size_t>(n)].digit = {n / 100, n / 10 % 10, n % 10};
        return e;
    }();
    return entries;
}

struct DigitSets {
    std::array<std::array<NumberSet, 10>, 3> at;  // [pos][d]
    std::array<NumberSet, 10> holding;            // [d]
};

const DigitSets& digitSets() {
    static const DigitSets sets = [] {
        DigitSets s;
        for (std::size_t n = 0; n < NumberPool::kSize; ++n) {
            const std::size_t d[3] = {n / 100, n / 10 % 10, n % 10};
            for (std::size_t pos = 0; pos < 3; ++pos) {
                s.at[pos][d[pos]].set(n);
                s.holding[d[pos]].set(n);
            }
        }
        return s;
    }();
    return sets;
}
}  // namespace

NumberSet numbersWithDigitAt(int pos, unsigned digits) {
    const auto& at = digitSets().at[static_cast<std::size_t>(pos)];
    NumberSet set;
    for (unsigned d = 0; d < 10; ++d)
        if ((digits >> d) & 1u) set |= at[d];
    return set;
}

const NumberSet& numbersHoldingDigit(int d) { return digitSets().holding[static_cast<std::size_t>(d)]; }

NumberPool::NumberPool() : entries_(freshEntries()) {}

void NumberPool::reset() {
    if (digitsChanged_) {
        entries_ = freshEntries();
        digitsChanged_ = false;
    }
    dead_.fill(0);
    killedSince_.fill(0);
}

void NumberPool::killAll(const NumberSet& numbers) {
    const NumberWords words = numberWords(numbers);
    for (std::size_t w = 0; w < kNumberWordCount; ++w) {
        killedSince_[w] |= words[w] & ~dead_[w];
        dead_[w] |= words[w];
    }
}

NumberSet NumberPool::takeKilled() {
    const NumberSet killed = numberSet(killedSince_);
    for (std::size_t w = 0; w < kNumberWordCount; ++w) dead_[w] &= ~killedSince_[w];
    killedSince_.fill(0);
    return killed;
}

void NumberPool::resetTo(const NumberSet& alive) {
    reset();
    const NumberWords words = numberWords(alive);
    for (std::size_t w = 0; w < kNumberWordCount; ++w) dead_[w] = ~words[w] & numberWordMask(w);
}

std::string NumberPool::text(int i) const {
    const auto& d = entry(i).digit;
    return {static_cast<char>('0' + d[0]), static_cast<char>('0' + d[1]),
            static_cast<char>('0' + d[2])};
}

int NumberPool::aliveCount() const {
    int dead = 0;
    for (const std::uint64_t w : dead_) dead += std::popcount(w);
    return kSize - dead;
}

NumberSet NumberPool::aliveSet() const {
    NumberWords alive;
    for (std::size_t w = 0; w < kNumberWordCount; ++w) alive[w] = ~dead_[w] & numberWordMask(w);
    return numberSet(alive);
}

}  // namespace tarnel
