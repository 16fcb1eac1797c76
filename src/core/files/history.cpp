#include "core/files/history.h"

#include "core/state/input_feedback.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/files/platform.h"
#include "core/rules/text.h"

namespace tarnel {
namespace {

constexpr std::string_view kYear = "\xE5\xB9\xB4";         // 年
constexpr std::string_view kMonth = "\xE6\x9C\x88";        // 月
constexpr std::string_view kDay = "\xE6\x97\xA5";          // 日
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

// The patterns are applied as a global regex replacement applies one:
// leftmost match first, the search going on after it, each match replaced
// by as many spaces as it has bytes. Dates are replaced first, then times
// in what is left: a time can never take digits a date has taken
// ("2026-12-06:30" is a date and ":30" remains; in "12:2026-1-5" the date
// takes the digits the minutes would need, so there is no time).
//
// Both patterns open with digits that must be followed by a non-digit (the
// date's four by a separator, the time's one or two by ':'), so within a
// stretch of digits only its last four (date) or last two or one (time)
// can start a match: earlier starts fail, and so would a one-digit hour
// where the two-digit one failed, the rest to match being the same.
//
// All three searches (dates, times, runs) go along the line together; each
// only reads at or after the point reached, which no replacement has
// touched yet, so the line itself is read and nothing is copied.

std::size_t digitsEnd(std::string_view s, std::size_t p) {
    while (p < s.size() && isAsciiDigit(s[p])) ++p;
    return p;
}

// Whether the date search, looking at the stretch of digits that starts at
// `from` (just after a non-digit), finds a date starting at or before
// `upTo`.
bool dateStartsBy(std::string_view s, std::size_t from, std::size_t upTo) {
    const std::size_t end = digitsEnd(s, from);
    return end - from >= 4 && end - 4 <= upTo && dateMatchAt(s, end - 4) > 0;
}

// The time match at `start`, whose hour ends at `colon`, as found after
// the dates are replaced: none when a date takes a digit of the minutes,
// no seconds when a date takes a digit of those.
std::size_t timeAfterDatesAt(std::string_view s, std::size_t start, std::size_t colon) {
    const std::size_t n = timeMatchAt(s, start);
    if (n == 0 || dateStartsBy(s, colon + 1, colon + 2)) return 0;
    if (start + n == colon + 6 && dateStartsBy(s, colon + 4, colon + 5)) return n - 3;
    return n;
}

bool isBlank(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// Reads one line (without its line end) and returns whether it holds a
// draw: the issue is left as a view into the line, the draw's digits in
// `number`.
bool readLine(std::string_view s, std::string_view& issue, char (&number)[3]) {
    bool firstRun = true;
    int ones = 0;  // how many one-digit runs came last, in a row
    char last[3] = {0, 0, 0};
    for (std::size_t i = 0; i < s.size();) {
        if (!isAsciiDigit(s[i])) {
            ++i;
            continue;
        }
        // A stretch of digits keeps what comes before a date or time that
        // starts in it; the searches go on after that match.
        const std::size_t end = digitsEnd(s, i + 1);
        std::size_t runEnd = end, next = end;
        if (const std::size_t n = end - i >= 4 ? dateMatchAt(s, end - 4) : 0) {
            runEnd = end - 4;
            next = runEnd + n;
        } else if (end < s.size() && s[end] == ':') {
            const std::size_t start = end - std::min<std::size_t>(end - i, 2);
            if (const std::size_t t = timeAfterDatesAt(s, start, end)) {
                runEnd = start;
                next = start + t;
            }
        }
        const std::string_view run = s.substr(i, runEnd - i);
        i = next;
        if (run.empty()) continue;

        if (firstRun) {
            firstRun = false;
            if (run.size() >= 5) {
                issue = run;
                continue;
            }
        }
        if (run.size() == 3) {
            std::memcpy(number, run.data(), 3);
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
            std::memcpy(number, last, 3);
            return true;
        }
    }
    return false;
}

// The position of the next CR or LF at or after `pos` (or the text's end),
// looking at eight bytes a step.
std::size_t nextLineEnd(std::string_view text, std::size_t pos) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    auto hasZeroByte = [](std::uint64_t v) { return ((v - ones) & ~v & highs) != 0; };
    while (pos + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        if (hasZeroByte(word ^ (ones * '\n')) || hasZeroByte(word ^ (ones * '\r'))) break;
        pos += 8;
    }
    while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') ++pos;
    return pos;
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

bool HistoryScanner::next() {
    while (pos_ < text_.size()) {
        const std::size_t end = nextLineEnd(text_, pos_);
        const std::string_view line = text_.substr(pos_, end - pos_);
        ++line_;
        // A line end is CR LF, CR or LF; text after the last one, if any,
        // is the last line.
        pos_ = end;
        if (pos_ < text_.size())
            pos_ += (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1;
        issue_ = {};
        lineText_ = line;
        hasDraw_ = readLine(line, issue_, number_);
        if (hasDraw_ || !isBlank(line)) return true;
    }
    return false;
}

History readHistoryText(std::string_view text) {
    History history;
    // One pass over the line ends first saves moving the draws as they grow.
    auto lineEnds = std::count(text.begin(), text.end(), '\n');
    if (lineEnds == 0) lineEnds = std::count(text.begin(), text.end(), '\r');
    history.draws.reserve(static_cast<std::size_t>(lineEnds) + 1);
    HistoryScanner scan(text);
    while (scan.next()) {
        if (!scan.hasDraw()) {
            history.skipped.push_back(scan.line());
            if (hasFullWidthDigit(scan.lineText())) history.skippedFullWidth.push_back(scan.line());
            continue;
        }
        Draw& draw = history.draws.emplace_back();
        draw.line = scan.line();
        draw.issue.assign(scan.issue());
        draw.number.assign(scan.numberText());
    }
    return history;
}

std::string_view historyText(std::string_view bytes, std::string& converted) {
    if (isValidUtf8(bytes)) return withoutByteOrderMark(bytes);
    converted = gb18030ToUtf8(bytes);
    return withoutByteOrderMark(converted);
}

std::string historyLineDate(std::string_view line) {
    // A date opens with the last four digits of a stretch of digits (its
    // year is followed by a separator), so only those starts are tried.
    for (std::size_t i = 0; i < line.size();) {
        if (!isAsciiDigit(line[i])) {
            ++i;
            continue;
        }
        const std::size_t end = digitsEnd(line, i);
        if (end - i >= 4 && dateMatchAt(line, end - 4) > 0) {
            std::size_t p = end - 4;
            std::string date(line.substr(p, 4));
            p += 4;
            for (std::string_view word : {kYear, kMonth}) {
                dateSeparator(line, p, word);
                const std::size_t from = p;
                oneOrTwoDigits(line, p);
                date += '-';
                if (p - from == 1) date += '0';
                date.append(line.substr(from, p - from));
            }
            return date;
        }
        i = end;
    }
    return {};
}

std::string twoStarDraw(const Draw& draw) {
    return draw.number.size() >= 2 ? draw.number.substr(draw.number.size() - 2) : std::string();
}

}  // namespace tarnel
