// The sum boxes of the main window: the two range bounds (和值范围), read
// as the leading number of their text, and the sums-to-kill list (指定杀和值).
//
// Input: NUL-separated texts: lower bound, upper bound, kill list.
//
// Properties: a bound reads as the C library's strtod reads the longest
// decimal number at the start of the text once every blank is removed; the
// normalised kill list is its space-separated pieces, digits only, written
// without leading zeros and padded to two digits; the killed sums are those
// outside the range or whose two-digit text occurs in that list (none from
// the list while it still holds its hint).

#include <cstdlib>
#include <sstream>
#include <string>

#include "core/rules/digit_numeric_text.h"
#include "core/rules/digit_properties.h"
#include "fuzz_support.h"

namespace {

using namespace tarnel;

// Reference: blanks out, then the longest prefix of the form
// [+-]? digits [. digits] ([eE] [+-]? digits)? with at least one mantissa
// digit, handed to strtod.
double leadingNumberReference(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    std::size_t p = 0;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    std::size_t digits = 0;
    while (p < s.size() && fuzz::isDigitByte(s[p])) ++p, ++digits;
    if (p < s.size() && s[p] == '.') {
        ++p;
        while (p < s.size() && fuzz::isDigitByte(s[p])) ++p, ++digits;
    }
    if (digits == 0) return 0.0;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        std::size_t q = p + 1;
        if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
        const std::size_t expStart = q;
        while (q < s.size() && fuzz::isDigitByte(s[q])) ++q;
        if (q > expStart) p = q;
    }
    const std::string number = s.substr(0, p);
    return std::strtod(number.c_str(), nullptr);
}

std::string sumListReference(std::string_view text) {
    std::string kept;
    for (char c : text)
        if (fuzz::isDigitByte(c) || c == ' ') kept += c;
    std::istringstream pieces(kept);
    std::string out, piece;
    while (pieces >> piece) {
        piece.erase(0, piece.find_first_not_of('0'));
        while (piece.size() < 2) piece.insert(piece.begin(), '0');
        out += piece + ' ';
    }
    return out;
}

void checkBound(std::string_view text) {
    const double value = leadingNumber(text);
    const double expected = leadingNumberReference(text);
    if (!(value == expected))
        fuzz::fail("a bound reads as strtod reads its leading number",
                   fuzz::shown(text) + " read " + std::to_string(value) + ", expected " + std::to_string(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 3);
    checkBound(parts[0]);
    checkBound(parts[1]);

    const std::string list = normalisedSumList(parts[2]);
    if (list != sumListReference(parts[2]))
        fuzz::fail("the kill list normalises piece by piece", fuzz::shown(parts[2]) + " -> " + fuzz::shown(list));

    DigitPropertyInputs in;
    in.sumLower = std::string(parts[0]);
    in.sumUpper = std::string(parts[1]);
    in.sumKillList = std::string(parts[2]);
    const double lower = leadingNumberReference(parts[0]);
    const double upper = leadingNumberReference(parts[1]);
    std::string_view typed = parts[2];
    while (!typed.empty() && typed.front() == ' ') typed.remove_prefix(1);
    while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
    const bool hint = fuzz::naiveOccurs("值", typed) || fuzz::naiveOccurs("双", typed);
    std::uint32_t expected = 0;
    for (int sum = 0; sum <= 27; ++sum) {
        const bool outside = sum < lower || sum > upper;
        const bool listed = !hint && fuzz::naiveOccurs(fuzz::paddedNumber(sum, 2), list);
        if (outside || listed) expected |= 1u << sum;
    }
    const std::uint32_t killed = killedSums(in);
    if (killed != expected)
        fuzz::fail("the killed sums are those out of range or listed",
                   "killed " + std::to_string(killed) + ", expected " + std::to_string(expected));
    return 0;
}
