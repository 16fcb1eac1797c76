#include "core/rules/text.h"

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

namespace {

// Length of the UTF-8 sequence at the start of `s` and its code point, or 0
// when it is not a well-formed sequence.
std::size_t utf8Sequence(std::string_view s, char32_t& codePoint) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    codePoint = cp;
    return length;
}

}  // namespace

std::string echoedText(std::string_view text, std::size_t maxChars) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (chars >= maxChars) return out + "…";
        char32_t cp = 0;
        const std::size_t length = utf8Sequence(text.substr(i), cp);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(text[i]);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            i += 1;
        } else if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
        } else {
            out.append(text.substr(i, length));
        }
        if (length) i += length;
        ++chars;
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
