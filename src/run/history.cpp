#include "run/history.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/text.h"

namespace tarnel {
namespace {

constexpr std::string_view kYear = "\xE5\xB9\xB4";         // 年
constexpr std::string_view kMonth = "\xE6\x9C\x88";        // 月
constexpr std::string_view kDay = "\xE6\x97\xA5";          // 日
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool digitAt(std::string_view s, std::size_t i) { return i < s.size() && isAsciiDigit(s[i]); }

bool wordAt(std::string_view s, std::size_t i, std::string_view word) {
    return i <= s.size() && s.substr(i).starts_with(word);
}

// Skips one or two digits at p, as a greedy [0-9]{1,2} does. When two are
// there but what follows does not match, backing off to one digit cannot
// help: the next character would then be a digit, and every pattern here
// wants a separator there. So the greedy length is the only one to try.
bool oneOrTwoDigits(std::string_view s, std::size_t& p) {
    if (!digitAt(s, p)) return false;
    ++p;
    if (digitAt(s, p)) ++p;
    return true;
}

// A date separator at p: '-', '/', '.' or the given word (年 or 月).
bool dateSeparator(std::string_view s, std::size_t& p, std::string_view word) {
    if (p < s.size() && (s[p] == '-' || s[p] == '/' || s[p] == '.')) {
        ++p;
        return true;
    }
    if (wordAt(s, p, word)) {
        p += word.size();
        return true;
    }
    return false;
}

// Byte length of the match of
//   [0-9]{4}[-/.年][0-9]{1,2}[-/.月][0-9]{1,2}日?
// that starts at i (0 when none), taking the lengths a backtracking regex
// prefers: the greedy ones, since backing off never rescues a match.
std::size_t dateMatchAt(std::string_view s, std::size_t i) {
    std::size_t p = i;
    for (int k = 0; k < 4; ++k, ++p)
        if (!digitAt(s, p)) return 0;
    if (!dateSeparator(s, p, kYear) || !oneOrTwoDigits(s, p)) return 0;
    if (!dateSeparator(s, p, kMonth) || !oneOrTwoDigits(s, p)) return 0;
    if (wordAt(s, p, kDay)) p += kDay.size();
    return p - i;
}

// Byte length of the match of [0-9]{1,2}:[0-9]{2}(:[0-9]{2})? at i, or 0.
std::size_t timeMatchAt(std::string_view s, std::size_t i) {
    std::size_t p = i;
    if (!oneOrTwoDigits(s, p)) return 0;
    if (p >= s.size() || s[p] != ':' || !digitAt(s, p + 1) || !digitAt(s, p + 2)) return 0;
    p += 3;
    if (p < s.size() && s[p] == ':' && digitAt(s, p + 1) && digitAt(s, p + 2)) p += 3;
    return p - i;
}

// Every match of one pattern, found as a global regex replacement finds
// them (leftmost first, the search going on after each match), replaced by
// as many spaces as it has bytes. Both patterns begin with a digit, so only
// digits can start a match.
void blankMatches(std::string& s, std::size_t (*matchAt)(std::string_view, std::size_t)) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = isAsciiDigit(s[i]) ? matchAt(s, i) : 0;
        if (n == 0) {
            ++i;
            continue;
        }
        std::memset(s.data() + i, ' ', n);
        i += n;
    }
}

bool isBlank(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// Reads one line (without its line end). `work` is scratch space kept
// between lines. Returns whether the line holds a draw.
bool readLine(std::string_view line, std::string& work, std::string& issue, std::string& number) {
    // Dates are blanked first, then times in what is left: a time can then
    // never take digits that a date has taken (for "2026-12-06:30" the date
    // wins). Blanking keeps byte positions, so the two passes compose.
    work.assign(line);
    blankMatches(work, dateMatchAt);
    blankMatches(work, timeMatchAt);

    const std::string_view s = work;
    bool firstRun = true;
    int ones = 0;  // how many one-digit runs came last, in a row
    char last[3] = {0, 0, 0};
    for (std::size_t i = 0; i < s.size();) {
        if (!isAsciiDigit(s[i])) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < s.size() && isAsciiDigit(s[end])) ++end;
        const std::string_view run = s.substr(i, end - i);
        i = end;

        if (firstRun) {
            firstRun = false;
            if (run.size() >= 5) {
                issue.assign(run);
                continue;
            }
        }
        if (run.size() == 3) {
            number.assign(run);
            return true;
        }
        if (run.size() != 1) {
            ones = 0;
            continue;
        }
        // A triple of one-digit runs is found when its third run arrives;
        // no three-digit run can lie inside it, so the first triple found
        // this way is also the first in run order.
        last[0] = last[1];
        last[1] = last[2];
        last[2] = run[0];
        if (++ones >= 3) {
            number.assign(last, 3);
            return true;
        }
    }
    return false;
}

std::string gb18030ToUtf8(std::string_view in) {
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter: keep what is ASCII, which is all that reading needs
        // apart from the date words.
        out.reserve(in.size());
        for (char c : in) {
            if (static_cast<unsigned char>(c) < 0x80)
                out += c;
            else
                out += kReplacement;
        }
        return out;
    }
    // A GB18030 character grows at most by half in UTF-8.
    out.resize(in.size() + in.size() / 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t used = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (invalid) or EINVAL (cut off at the end): one byte is
        // given up and stands as U+FFFD; reading goes on after it.
        if (out.size() - used < kReplacement.size()) out.resize(out.size() * 2);
        std::memcpy(out.data() + used, kReplacement.data(), kReplacement.size());
        used += kReplacement.size();
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return text;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        // Continuation count and the range allowed for the first
        // continuation byte, which rules out overlongs, surrogates and
        // values above U+10FFFF.
        int more;
        unsigned lo = 0x80, hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (end - p <= more) return false;
        if (p[1] < lo || p[1] > hi) return false;
        for (int k = 2; k <= more; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += more + 1;
    }
    return true;
}

std::string decodeHistoryText(std::string_view bytes, bool* converted) {
    const bool gb = !isValidUtf8(bytes);
    if (converted) *converted = gb;
    if (!gb) return std::string(withoutByteOrderMark(bytes));
    return std::string(withoutByteOrderMark(gb18030ToUtf8(bytes)));
}

History readHistory(std::string_view bytes) {
    if (isValidUtf8(bytes)) return readHistoryText(withoutByteOrderMark(bytes));
    History history = readHistoryText(withoutByteOrderMark(gb18030ToUtf8(bytes)));
    history.convertedFromGb18030 = true;
    return history;
}

History readHistoryText(std::string_view text) {
    History history;
    std::string work, issue, number;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        const std::string_view line = text.substr(pos, end - pos);
        ++lineNumber;
        issue.clear();
        if (readLine(line, work, issue, number))
            history.draws.push_back(Draw{lineNumber, issue, number});
        else if (!isBlank(line))
            history.skipped.push_back(lineNumber);
        // A line end is CR LF, CR or LF; text after the last one, if any,
        // is the last line.
        pos = end;
        if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
    return history;
}

std::string twoStarDraw(const Draw& draw) {
    return draw.number.size() >= 2 ? draw.number.substr(draw.number.size() - 2) : std::string();
}

}  // namespace tarnel
