#pragma once
// Reading past draws from a history text that players paste or save: rows
// of results tables, one draw a line, with an issue number, dates, times and
// further columns (test numbers, sales) around the draw.
//
// Reading a line: only ASCII digits count. Dates (2026-12-06, 2026/1/2,
// 2026.12.6, 2026年12月06日) and times (9:30, 21:30:05) separate like
// spaces. The line's digit runs are what remains; the first run is the
// issue when it has five or more digits. The draw is the first, after the
// issue (or from the first run when there is none), of a run of exactly
// three digits or three consecutive one-digit runs ("5 8 2", "5,8,2").
// Lines without a draw are skipped: blank ones (empty, or only spaces and
// tabs) silently, any other by its line number.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// The largest history file read (a few hundred thousand draws).
inline constexpr std::size_t kHistoryMaxBytes = std::size_t(64) << 20;

struct Draw {
    int line = 0;        // 1-based line number in the text
    std::string issue;   // five or more ASCII digits; empty when the line has none
    std::string number;  // three ASCII digits
};

struct History {
    std::vector<Draw> draws;   // in line order
    std::vector<int> skipped;  // 1-based numbers of the non-blank lines without a draw
    std::vector<int> skippedFullWidth;  // those of them holding full-width digits (０..９)
    bool convertedFromGb18030 = false;
    // Set on a history cut out of a longer one: the order that one had
    // (newest first or not), kept rather than read again from the cut's
    // issues, which alone may say otherwise.
    std::optional<bool> newestFirst;
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
// no truncated sequence.
bool isValidUtf8(std::string_view bytes);

// The text as UTF-8: valid UTF-8 as it is, anything else read as GB18030
// (undecodable bytes become U+FFFD). One leading byte order mark is dropped.
// `converted`, when given, tells whether the GB18030 reading was used.
std::string decodeHistoryText(std::string_view bytes, bool* converted = nullptr);

// Decodes (as decodeHistoryText) and reads the lines.
History readHistory(std::string_view bytes);

// Reads the lines of a text already in UTF-8, without decoding.
History readHistoryText(std::string_view utf8);

// The text of a history as UTF-8, as readHistory reads it: a view into
// `bytes` when they are valid UTF-8, otherwise into `converted`, which
// receives the GB18030 reading. Without a leading byte order mark.
std::string_view historyText(std::string_view bytes, std::string& converted);

// Reads a text already in UTF-8 one line at a time, as readHistoryText
// does, keeping nothing: for readers that pass over very long histories.
class HistoryScanner {
public:
    explicit HistoryScanner(std::string_view utf8) : text_(utf8) {}
    // Moves to the next line that holds a draw or is skipped (blank lines
    // are passed over); false at the end of the text.
    bool next();
    int line() const { return line_; }
    bool hasDraw() const { return hasDraw_; }
    // The line's issue (empty when none) and draw, while it holds one.
    std::string_view issue() const { return issue_; }
    std::string_view numberText() const { return {number_, 3}; }
    // The whole line, without its line end.
    std::string_view lineText() const { return lineText_; }
    int number() const { return (number_[0] - '0') * 100 + (number_[1] - '0') * 10 + (number_[2] - '0'); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 0;
    bool hasDraw_ = false;
    std::string_view issue_;
    std::string_view lineText_;
    char number_[3] = {'0', '0', '0'};
};

// The first date of a line, as the date rule above finds it, written
// YYYY-MM-DD (month and day with two digits); empty when the line has none.
std::string historyLineDate(std::string_view line);

// The draw as the two-star window takes it: its last two digits.
std::string twoStarDraw(const Draw& draw);

}  // namespace tarnel
