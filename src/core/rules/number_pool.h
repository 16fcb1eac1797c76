#pragma once
// The working set of the main window: the 1000 numbers 000..999, each with
// its three digits and a killed flag. Stages only ever kill.

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>

namespace tarnel {

// A set of the numbers 000..999, bit n for the number n.
using NumberSet = std::bitset<1000>;

// A number set as its sixty-four-bit words: bit n in word n / 64, bit n % 64.
// The bits past 999 are zero.
inline constexpr std::size_t kNumberWordCount = 16;
using NumberWords = std::array<std::uint64_t, kNumberWordCount>;

// The words of a set and back. The library keeps a bitset as exactly these
// words (the pool tests check it bit by bit), so both are a plain copy.
static_assert(sizeof(NumberSet) == sizeof(NumberWords));
inline NumberWords numberWords(const NumberSet& set) {
    NumberWords words;
    std::memcpy(words.data(), static_cast<const void*>(&set), sizeof words);
    return words;
}
inline NumberSet numberSet(const NumberWords& words) {
    NumberSet set;
    std::memcpy(static_cast<void*>(&set), words.data(), sizeof words);
    return set;
}
// The bits of word w that stand for numbers (all but the top of the last).
constexpr std::uint64_t numberWordMask(std::size_t w) {
    return w + 1 < kNumberWordCount ? ~std::uint64_t(0) : (std::uint64_t(1) << (1000 % 64)) - 1;
}

// Calls f(n) for every n in the set, in increasing order, sixty-four bits at
// a time: each word's bits are visited by counting trailing zeros.
template <class F>
void forEachNumber(const NumberSet& set, F&& f) {
    const NumberWords words = numberWords(set);
    for (std::size_t w = 0; w < kNumberWordCount; ++w)
        for (std::uint64_t word = words[w]; word != 0; word &= word - 1)
            f(w * 64 + static_cast<std::size_t>(std::countr_zero(word)));
}

// The numbers whose digit at `pos` (0 hundreds, 1 tens, 2 units) is one of
// `digits` (bit d for the digit d), and the numbers holding the digit d
// anywhere: ready sets the stages combine instead of asking number by number.
NumberSet numbersWithDigitAt(int pos, unsigned digits);
const NumberSet& numbersHoldingDigit(int d);

struct PoolEntry {
    std::array<int, 3> digit{};  // [0] hundreds 百, [1] tens 十, [2] units 个
};

class NumberPool {
public:
    static constexpr int kSize = 1000;

    NumberPool();

    // Every entry alive, entry i holding the number i.
    void reset();

    bool alive(int i) const {
        const auto n = static_cast<std::size_t>(i);
        return ((dead_[n / 64] >> (n % 64)) & 1) == 0;
    }
    void kill(int i) {
        const auto n = static_cast<std::size_t>(i);
        const std::uint64_t bit = std::uint64_t(1) << (n % 64);
        killedSince_[n / 64] |= bit & ~dead_[n / 64];
        dead_[n / 64] |= bit;
    }
    // Kills every alive entry whose number is in `numbers`. During a run each
    // entry holds its own number, so this is killWhere over a ready set.
    void killAll(const NumberSet& numbers);
    // pos 0 hundreds, 1 tens, 2 units
    int digit(int i, int pos) const {
        return entries_[static_cast<std::size_t>(i)].digit[static_cast<std::size_t>(pos)];
    }
    const PoolEntry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
    // Writable digits (the group conversion sorts them); the next reset restores them.
    PoolEntry& entry(int i) {
        digitsChanged_ = true;
        return entries_[static_cast<std::size_t>(i)];
    }
    // Whether every entry holds its own number (no digits changed since the reset).
    bool holdsOwnNumbers() const { return !digitsChanged_; }
    // The number the entry's digits spell (i, unless converted to groups).
    int value(int i) const {
        const auto& d = entry(i).digit;
        return d[0] * 100 + d[1] * 10 + d[2];
    }
    // Three-digit text of the entry's current digits ("007").
    std::string text(int i) const;
    int aliveCount() const;
    // The entries alive, by index.
    NumberSet aliveSet() const;

    // The numbers killed since the last reset or take, which are alive
    // again afterwards: one stage's kills, when it ran alone.
    NumberSet takeKilled();
    // Keeps exactly the numbers of `alive`, with their own digits.
    void resetTo(const NumberSet& alive);

    // Kills every alive entry for which pred(a, b, c) is true. Only the
    // alive entries are asked, in increasing order.
    template <class Pred>
    void killWhere(Pred pred) {
        for (std::size_t w = 0; w < kNumberWordCount; ++w) {
            std::uint64_t killed = 0;
            const std::uint64_t live = ~dead_[w] & numberWordMask(w);
            if (live == numberWordMask(w)) {
                // A word with every entry alive: straight through.
                const std::size_t end = std::min<std::size_t>(w * 64 + 64, kSize);
                for (std::size_t i = w * 64; i < end; ++i) {
                    const auto& d = entries_[i].digit;
                    if (pred(d[0], d[1], d[2])) killed |= std::uint64_t(1) << (i % 64);
                }
            } else {
                for (std::uint64_t rest = live; rest != 0; rest &= rest - 1) {
                    const auto bit = static_cast<std::size_t>(std::countr_zero(rest));
                    const auto& d = entries_[w * 64 + bit].digit;
                    if (pred(d[0], d[1], d[2])) killed |= std::uint64_t(1) << bit;
                }
            }
            dead_[w] |= killed;
            killedSince_[w] |= killed;
        }
    }

private:
    std::array<PoolEntry, kSize> entries_;
    NumberWords dead_{};         // entries killed
    NumberWords killedSince_{};  // entries killed since the last reset or take
    bool digitsChanged_ = false;  // some entry's digits may differ from its number
};

}  // namespace tarnel
