// GB18030 to UTF-8 by the tables in gb18030_table.inc (generated from
// iconv by tools/gb18030/make_table.cpp). Errors are handled as iconv users
// here always did: one byte given up for U+FFFD, reading goes on after it.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/files/platform.h"

namespace tarnel {
namespace {

struct FourByteRun {
    std::uint32_t first;      // linear index of the run's first sequence
    std::uint32_t codePoint;  // of that sequence; 0: the run reads as nothing
};

#include "core/files/gb18030_table.inc"

constexpr std::uint32_t kFourByteCount = 126 * 10 * 126 * 10;

bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool isFourByteDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::uint32_t twoByte(unsigned char lead, unsigned char trail) {
    int index;
    if (trail >= 0x40 && trail <= 0x7E)
        index = trail - 0x40;
    else if (trail >= 0x80 && trail <= 0xFE)
        index = trail - 0x41;
    else
        return 0;
    return kTwoByte[(lead - 0x81) * 190 + index];
}

std::uint32_t fourByte(const unsigned char* b) {
    const std::uint32_t index = ((std::uint32_t(b[0] - 0x81) * 10 + (b[1] - 0x30)) * 126 + (b[2] - 0x81)) * 10 +
                                (b[3] - 0x30);
    if (index >= kFourByteCount) return 0;
    const auto* run = std::upper_bound(std::begin(kFourByteRuns), std::end(kFourByteRuns), index,
                                       [](std::uint32_t i, const FourByteRun& r) { return i < r.first; }) -
                      1;
    return run->codePoint == 0 ? 0 : run->codePoint + (index - run->first);
}

}  // namespace

std::string gb18030ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        // ASCII runs are copied as they are.
        std::size_t j = i;
        while (j < n && b[j] < 0x80) ++j;
        out.append(bytes.data() + i, j - i);
        i = j;
        if (i == n) break;
        std::uint32_t c = 0;
        std::size_t size = 1;
        if (isLead(b[i]) && i + 1 < n) {
            if (isFourByteDigit(b[i + 1])) {
                if (i + 3 < n && isLead(b[i + 2]) && isFourByteDigit(b[i + 3])) {
                    c = fourByte(b + i);
                    size = 4;
                }
            } else {
                c = twoByte(b[i], b[i + 1]);
                size = 2;
            }
        }
        if (c == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for this one byte
            ++i;
        } else {
            appendUtf8(out, c);
            i += size;
        }
    }
    return out;
}

}  // namespace tarnel
