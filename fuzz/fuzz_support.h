#pragma once
// Shared pieces of the fuzz harnesses: the property check, the split of an
// input into several texts, and slow, obviously correct reference readings
// the fast readers are compared with.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A violated property is reported like a crash, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* property, std::string_view detail = {}) {
    std::fprintf(stderr, "\n*** property violated: %s\n", property);
    if (!detail.empty()) std::fprintf(stderr, "    %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void check(bool holds, const char* property, std::string_view detail = {}) {
    if (!holds) fail(property, detail);
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at NUL bytes into exactly `count` texts (missing ones are
// empty, the last takes the rest). Seeds are plain texts joined by NUL.
inline std::vector<std::string_view> fields(std::string_view input, std::size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const std::size_t cut = input.find('\0');
        if (cut == std::string_view::npos) break;
        out.push_back(input.substr(0, cut));
        input.remove_prefix(cut + 1);
    }
    out.push_back(input);
    out.resize(count);
    return out;
}

// Reference: the value written with `width` digits, by the C library.
inline std::string paddedNumber(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

// Reference: a plain quadratic substring search.
inline bool naiveOccurs(std::string_view needle, std::string_view haystack) {
    if (needle.size() > haystack.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < needle.size() && same; ++k) same = haystack[i + k] == needle[k];
        if (same) return true;
    }
    return false;
}

inline bool isDigitByte(char c) { return c >= '0' && c <= '9'; }

// Reference membership for the "its text occurs in the list" rules: value v
// (0 .. 10^width - 1) is listed when some substring of `width` bytes of the
// text is all digits and spells v. Each substring is read afresh, with
// nothing carried from one position to the next.
inline std::vector<bool> listedWindows(std::string_view text, std::size_t width) {
    std::size_t count = 1;
    for (std::size_t k = 0; k < width; ++k) count *= 10;
    std::vector<bool> listed(count);
    for (std::size_t i = 0; i + width <= text.size(); ++i) {
        const std::string_view piece = text.substr(i, width);
        bool digits = true;
        for (char c : piece) digits = digits && isDigitByte(c);
        if (digits) listed[std::stoul(std::string(piece))] = true;
    }
    return listed;
}

// The maximal runs of ASCII digits of a text, in order.
inline std::vector<std::string> digitRuns(std::string_view text) {
    std::vector<std::string> runs;
    std::string run;
    for (char c : text) {
        if (isDigitByte(c)) {
            run += c;
        } else if (!run.empty()) {
            runs.push_back(run);
            run.clear();
        }
    }
    if (!run.empty()) runs.push_back(run);
    return runs;
}

// The text's characters, for valid UTF-8 only: each a string of 1..4 bytes.
// Returns false when the bytes are not valid UTF-8 (checked the long way,
// by decoding every code point).
inline bool utf8Characters(std::string_view text, std::vector<std::string_view>* out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t cp;
        if (lead < 0x80) { length = 1; cp = lead; }
        else if ((lead & 0xE0) == 0xC0) { length = 2; cp = lead & 0x1Fu; }
        else if ((lead & 0xF0) == 0xE0) { length = 3; cp = lead & 0x0Fu; }
        else if ((lead & 0xF8) == 0xF0) { length = 4; cp = lead & 0x07u; }
        else return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        const std::uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (out) out->push_back(text.substr(i, length));
        i += length;
    }
    return true;
}

inline bool validUtf8(std::string_view text) { return utf8Characters(text, nullptr); }

// Shows a text with its control and non-ASCII bytes escaped, for reports.
inline std::string shown(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

}  // namespace fuzz
