// The history reader: past draws from pasted or saved results tables, in
// UTF-8 or GB18030.
//
// Properties: a text is taken as GB18030 exactly when it is not valid UTF-8
// (checked by a separate decoder); reading the bytes equals reading their
// decoded text; draws come in strictly increasing line order, never on a
// skipped line, each three ASCII digits that are digits of its line in the
// same order, each issue five or more digits found in its line; and every
// line of moderate length reads exactly as the documented rule does with
// std::regex: dates, then times, blanked out, then the digit runs give the
// issue and the draw.

#include <regex>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "core/files/history.h"

namespace {

using namespace tarnel;

// Lines of a text: CR LF, CR and LF each end one; text after the last end
// is a line of its own.
std::vector<std::string_view> referenceLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

void blankOut(std::string& s, const std::regex& pattern) {
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), pattern); it != std::sregex_iterator(); ++it)
        found.emplace_back(static_cast<std::size_t>(it->position()), static_cast<std::size_t>(it->length()));
    for (const auto& [pos, length] : found) s.replace(pos, length, length, ' ');
}

struct LineReading {
    bool hasDraw = false;
    std::string issue, number;
};

LineReading referenceLine(std::string_view line) {
    static const std::regex date("[0-9]{4}(?:[-/.]|\xE5\xB9\xB4)[0-9]{1,2}(?:[-/.]|\xE6\x9C\x88)[0-9]{1,2}(?:\xE6\x97\xA5)?");
    static const std::regex time("[0-9]{1,2}:[0-9]{2}(?::[0-9]{2})?");
    std::string s(line);
    blankOut(s, date);
    blankOut(s, time);
    std::vector<std::string> runs = fuzz::digitRuns(s);
    LineReading r;
    std::size_t k = 0;
    if (!runs.empty() && runs[0].size() >= 5) {
        r.issue = runs[0];
        k = 1;
    }
    for (; k < runs.size(); ++k) {
        if (runs[k].size() == 3) {
            r.number = runs[k];
            break;
        }
        if (k + 2 < runs.size() && runs[k].size() == 1 && runs[k + 1].size() == 1 && runs[k + 2].size() == 1) {
            r.number = runs[k] + runs[k + 1] + runs[k + 2];
            break;
        }
    }
    r.hasDraw = !r.number.empty();
    if (!r.hasDraw) r.issue.clear();
    return r;
}

bool isSubsequence(std::string_view needle, std::string_view haystack) {
    std::size_t k = 0;
    for (char c : haystack)
        if (k < needle.size() && c == needle[k]) ++k;
    return k == needle.size();
}

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

void compareReadings(const History& a, const History& b, const char* property) {
    bool same = a.draws.size() == b.draws.size() && a.skipped == b.skipped;
    for (std::size_t i = 0; same && i < a.draws.size(); ++i)
        same = a.draws[i].line == b.draws[i].line && a.draws[i].issue == b.draws[i].issue &&
               a.draws[i].number == b.draws[i].number;
    fuzz::check(same, property);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    const History history = readHistory(bytes);
    const bool utf8 = fuzz::validUtf8(bytes);
    fuzz::check(isValidUtf8(bytes) == utf8, "the UTF-8 check agrees with a full decoder", fuzz::shown(bytes));
    fuzz::check(history.convertedFromGb18030 == !utf8, "only text that is not UTF-8 is read as GB18030");

    bool converted = false;
    const std::string text = decodeHistoryText(bytes, &converted);
    fuzz::check(converted == !utf8, "decoding reports the GB18030 reading");
    fuzz::check(fuzz::validUtf8(text), "decoded text is valid UTF-8");
    compareReadings(history, readHistoryText(text), "reading bytes equals reading their decoded text");

    const std::vector<std::string_view> lines = referenceLines(text);
    std::vector<LineReading> expected(lines.size());
    std::vector<bool> compared(lines.size());
    int previous = 0;
    for (const Draw& draw : history.draws) {
        fuzz::check(draw.line > previous && draw.line <= int(lines.size()), "draws come in line order, one per line");
        previous = draw.line;
        const std::string_view line = lines[static_cast<std::size_t>(draw.line - 1)];
        fuzz::check(draw.number.size() == 3 && fuzz::isDigitByte(draw.number[0]) && fuzz::isDigitByte(draw.number[1]) &&
                        fuzz::isDigitByte(draw.number[2]),
                    "a draw is three ASCII digits", fuzz::shown(line));
        fuzz::check(isSubsequence(draw.number, line), "a draw's digits are digits of its line, in order",
                    fuzz::shown(line) + " -> " + draw.number);
        fuzz::check(draw.issue.empty() || (draw.issue.size() >= 5 && fuzz::naiveOccurs(draw.issue, line) &&
                                           fuzz::digitRuns(draw.issue).size() == 1 &&
                                           fuzz::digitRuns(draw.issue)[0] == draw.issue),
                    "an issue is five or more digits of its line", fuzz::shown(line));
        fuzz::check(twoStarDraw(draw) == draw.number.substr(1), "the two-star draw is the last two digits");
    }

    // Line by line against the regex reading (long lines only by the checks above).
    std::size_t nextDraw = 0, nextSkip = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const Draw* draw =
            nextDraw < history.draws.size() && history.draws[nextDraw].line == number ? &history.draws[nextDraw++] : nullptr;
        const bool skipped = nextSkip < history.skipped.size() && history.skipped[nextSkip] == number;
        if (skipped) ++nextSkip;
        fuzz::check(!(draw && skipped), "a line is a draw or skipped, not both");
        if (!draw) fuzz::check(skipped != isBlank(lines[i]), "lines without a draw are skipped unless blank", fuzz::shown(lines[i]));
        if (lines[i].size() > 256) continue;
        const LineReading ref = referenceLine(lines[i]);
        if (ref.hasDraw != (draw != nullptr) || (draw && (draw->number != ref.number || draw->issue != ref.issue)))
            fuzz::fail("a line reads as the regex rule reads it",
                       fuzz::shown(lines[i]) + " -> " + (draw ? draw->issue + "/" + draw->number : "none") +
                           ", expected " + (ref.hasDraw ? ref.issue + "/" + ref.number : "none"));
    }
    fuzz::check(nextDraw == history.draws.size() && nextSkip == history.skipped.size(),
                "every draw and skipped line is a line of the text");
    return 0;
}
