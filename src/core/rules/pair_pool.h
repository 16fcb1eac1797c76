#pragma once
// The working set of the two-star window: the 100 numbers 00..99, each
// with its two-digit text (tens then units) and a killed mark. Stages only
// ever kill; rebuilding makes every entry alive again.

#include <array>
#include <string_view>

namespace tarnel {

class PairPool {
public:
    static constexpr int kSize = 100;

    PairPool() { reset(); }

    // Entry i holds the text of i with two digits ("07"), alive.
    void reset();

    bool alive(int i) const { return !entry(i).killed; }
    void kill(int i) { entry(i).killed = true; }
    // "00".."99"
    std::string_view text(int i) const { return {entry(i).text.data(), 2}; }
    // The killed mark: "" while alive, "*" once killed.
    std::string_view killedMark(int i) const { return entry(i).killed ? "*" : ""; }
    // Digits as numbers, taken from the entry's text.
    int tens(int i) const { return entry(i).text[0] - '0'; }
    int units(int i) const { return entry(i).text[1] - '0'; }
    int aliveCount() const;

    // Kills every alive entry for which pred(tens, units) is true.
    template <class Pred>
    void killWhere(Pred pred) {
        for (int i = 0; i < kSize; ++i)
            if (alive(i) && pred(tens(i), units(i))) kill(i);
    }

private:
    struct Entry {
        std::array<char, 2> text{};
        bool killed = false;
    };
    const Entry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
    Entry& entry(int i) { return entries_[static_cast<std::size_t>(i)]; }

    std::array<Entry, kSize> entries_;
};

}  // namespace tarnel
