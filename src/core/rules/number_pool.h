#pragma once
// The working set of the main window: the 1000 numbers 000..999, each with
// its three digits and a killed flag. Stages only ever kill.

#include <array>
#include <bit>
#include <bitset>
#include <cstdint>
#include <string>

namespace tarnel {

// A set of the numbers 000..999, bit n for the number n.
using NumberSet = std::bitset<1000>;

// Calls f(n) for every n in the set, in increasing order, sixty-four bits at
// a time: a word is taken off the low end, its bits visited by counting
// trailing zeros, and the rest shifted down, stopping once nothing is left.
template <class F>
void forEachNumber(const NumberSet& set, F&& f) {
    static const NumberSet lowWord = ~NumberSet() >> (NumberSet().size() - 64);
    NumberSet rest = set;
    for (std::size_t base = 0; rest.any(); base += 64, rest >>= 64) {
        for (std::uint64_t word = (rest & lowWord).to_ullong(); word != 0; word &= word - 1)
            f(base + static_cast<std::size_t>(std::countr_zero(word)));
    }
}

struct PoolEntry {
    std::array<int, 3> digit{};  // [0] hundreds 百, [1] tens 十, [2] units 个
    int killed = 0;              // 0 alive, 1 killed
};

class NumberPool {
public:
    static constexpr int kSize = 1000;

    NumberPool() { reset(); }

    // Every entry alive, entry i holding the number i.
    void reset();

    bool alive(int i) const { return entries_[static_cast<std::size_t>(i)].killed == 0; }
    void kill(int i) {
        auto& e = entries_[static_cast<std::size_t>(i)];
        if (e.killed != 0) return;
        e.killed = 1;
        killedSince_.set(static_cast<std::size_t>(i));
    }
    // Kills every alive entry whose number is in `numbers`. During a run each
    // entry holds its own number, so this is killWhere over a ready set.
    void killAll(const NumberSet& numbers);
    // pos 0 hundreds, 1 tens, 2 units
    int digit(int i, int pos) const {
        return entries_[static_cast<std::size_t>(i)].digit[static_cast<std::size_t>(pos)];
    }
    const PoolEntry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
    PoolEntry& entry(int i) { return entries_[static_cast<std::size_t>(i)]; }
    // The number the entry's digits spell (i, unless converted to groups).
    int value(int i) const {
        const auto& d = entry(i).digit;
        return d[0] * 100 + d[1] * 10 + d[2];
    }
    // Three-digit text of the entry's current digits ("007").
    std::string text(int i) const;
    int aliveCount() const;

    // The numbers killed since the last reset or take, which are alive
    // again afterwards: one stage's kills, when it ran alone.
    NumberSet takeKilled();
    // Keeps exactly the numbers of `alive`, with their own digits.
    void resetTo(const NumberSet& alive);

    // Kills every alive entry for which pred(a, b, c) is true.
    template <class Pred>
    void killWhere(Pred pred) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            auto& e = entries_[i];
            if (e.killed == 0 && pred(e.digit[0], e.digit[1], e.digit[2])) {
                e.killed = 1;
                killedSince_.set(i);
            }
        }
    }

private:
    std::array<PoolEntry, kSize> entries_;
    NumberSet killedSince_;  // entries killed since the last reset or take
};

}  // namespace tarnel
