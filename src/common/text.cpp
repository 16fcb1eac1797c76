#include "common/text.h"

namespace tarnel {

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool hasAsciiDigit(std::string_view text) {
    for (char c : text)
        if (isAsciiDigit(c)) return true;
    return false;
}

std::string numberText(int value, int width) {
    std::string out(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0 && value > 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out;
}

unsigned digitSet(std::string_view text) {
    unsigned set = 0;
    for (char c : text)
        if (isAsciiDigit(c)) set |= 1u << (c - '0');
    return set;
}

}  // namespace tarnel
