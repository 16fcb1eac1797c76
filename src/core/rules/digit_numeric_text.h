#pragma once
// Lenient reading of numbers typed into the sum boxes (和值范围, 指定杀和值).
// Nothing here rejects input: any text yields a value.

#include <string>
#include <string_view>

namespace tarnel {

// The leading number of a text as a real number, read the forgiving way
// players expect from a bound box: blanks, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits with at most one
// decimal point, and an optional exponent (e/E, optional sign, digits).
// Reading stops at the first other character; text that does not start
// with a number gives 0 ("12abc" → 12, " 2 5" → 25, "abc" → 0).
// A value beyond the range of a double gives ±infinity ("1e999" → +inf),
// one too small to represent gives 0. Linear in the text, whatever its size.
double leadingNumber(std::string_view text);

// The normalised kill list of the sums-to-kill box: every character other
// than an ASCII digit or a space is dropped, the rest is split at spaces,
// and each piece is written as its whole number with at least two digits
// ("6" → "06", "006" → "06", "123" stays "123") followed by one space.
// The piece is handled as digit text, so a piece of any length is exact.
// Returns "" when nothing remains. The hint test (值/双) is not done here.
std::string normalisedSumList(std::string_view text);

}  // namespace tarnel
