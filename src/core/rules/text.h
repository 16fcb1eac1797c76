#pragma once
// Text rules shared by every stage: trimming, digit tests and the
// "its text occurs in the list" membership test done in one linear pass.

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel {

inline constexpr std::string_view kCrLf = "\r\n";

inline bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Calls `visit(run)` for every maximal run of ASCII digits of `text`, in
// order, until it returns false.
template <class Visit>
void forEachDigitRun(std::string_view text, Visit visit) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isAsciiDigit(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && isAsciiDigit(text[i])) ++i;
        if (!visit(text.substr(start, i - start))) return;
    }
}

// The value of a run of three ASCII digits.
inline int threeDigitValue(std::string_view run) { return (run[0] - '0') * 100 + (run[1] - '0') * 10 + (run[2] - '0'); }

// Removes spaces (U+0020 only) at both ends.
std::string_view trimSpaces(std::string_view text);

bool hasAsciiDigit(std::string_view text);

// Plain, case-sensitive substring test.
inline bool occursIn(std::string_view needle, std::string_view haystack) {
    return haystack.find(needle) != std::string_view::npos;
}

// The number written with `width` ASCII digits, leading zeros kept.
std::string numberText(int value, int width);

// Every value whose `Width`-digit text occurs in a text, collected in one
// scan over windows of consecutive ASCII digits. `contains(v)` is exactly
// "numberText(v, Width) occurs in the text".
template <int Width>
class DigitWindows {
public:
    static constexpr int kCount = Width == 3 ? 1000 : Width == 2 ? 100 : 10;

    DigitWindows() = default;
    explicit DigitWindows(std::string_view text) { add(text); }

    void add(std::string_view text) {
        int run = 0;    // length of the current digit run, capped at Width
        int value = 0;  // value of the last min(run, Width) digits
        constexpr int modulus = kCount;
        for (char c : text) {
            if (isAsciiDigit(c)) {
                value = (value * 10 + (c - '0')) % modulus;
                if (run < Width) ++run;
                if (run == Width) set_.set(static_cast<std::size_t>(value));
            } else {
                run = 0;
                value = 0;
            }
        }
    }

    bool contains(int value) const { return set_[static_cast<std::size_t>(value)]; }
    // Every value found, bit v for value v.
    const std::bitset<kCount>& values() const { return set_; }
    bool empty() const { return set_.none(); }
    std::size_t size() const { return set_.count(); }

private:
    std::bitset<kCount> set_;
};

using NumberWindows = DigitWindows<3>;
using PairWindows = DigitWindows<2>;

// The set of single ASCII digits that occur in a text (bit d for digit d).
unsigned digitSet(std::string_view text);

// Outside text (a key, a file name, an argument) as a message repeats it:
// on one line and short. Control characters, U+2028 and U+2029 are written
// as escapes (\n, \r, \t, \u0000 …), bytes that are not UTF-8 as \xFF,
// and a text longer than `maxChars` characters is cut after that many,
// on a character boundary, with "…" added.
inline constexpr std::size_t kEchoedKeyChars = 60;
std::string echoedText(std::string_view text, std::size_t maxChars = kEchoedKeyChars);

}  // namespace tarnel
