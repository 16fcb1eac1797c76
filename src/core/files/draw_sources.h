#pragma once
// The two lotteries whose draws are kept, and what their draw sources answer.
//
// 福彩3D ("3d") numbers its draws with seven-digit issues (year and number in
// the year: 2026224), 排列三 ("p3") with five (26224). Each has a public
// source that lists its latest draws a page at a time, newest first, as
// JSON. Reading a page never trusts the source: anything but the expected
// answer is refused with a line that says what came instead.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

enum class Lottery { Fc3d, Pl3 };

inline constexpr Lottery kLotteries[] = {Lottery::Fc3d, Lottery::Pl3};

// "3d" / "p3", as the command line and the store name them.
std::string_view lotteryKey(Lottery lottery);
std::optional<Lottery> lotteryFromKey(std::string_view key);
// 福彩3D / 排列三
std::string_view lotteryName(Lottery lottery);
// 7 / 5
std::size_t issueLength(Lottery lottery);
// An issue of this lottery: ASCII digits, exactly issueLength of them.
bool isIssueOf(Lottery lottery, std::string_view issue);

// One draw as it is kept: issue, date (YYYY-MM-DD, empty when not known)
// and the three digits.
struct StoredDraw {
    std::string issue;
    std::string date;
    std::string number;
    bool operator==(const StoredDraw&) const = default;
};

// The source's default address (scheme and host) and the path and query of
// page `page` (1-based) under it.
std::string_view defaultSourceBase(Lottery lottery);
std::string sourcePagePath(Lottery lottery, int page);

// The largest answer read for one page.
inline constexpr std::size_t kSourcePageMaxBytes = std::size_t(8) << 20;

// The answer with every raw control character (U+0000..U+001F) that stands
// inside a JSON string replaced by a space: sources have been seen to send
// them, and JSON does not allow them there. Bytes outside strings are kept.
std::string withControlCharactersBlanked(std::string_view json);

// What one page of a source said.
struct SourcePage {
    std::vector<StoredDraw> draws;  // as the source lists them, newest first
    bool last = false;              // no page follows this one
    std::string error;              // non-empty: the answer is refused, for this reason
    bool ok() const { return error.empty(); }
};

// Reads the body of the answer to page `page`. Refused: a web page in place
// of JSON, JSON that does not parse or lacks the expected fields, the source
// saying it failed (its message quoted), a draw that is not three digits,
// an issue that is not of the lottery's length.
SourcePage readSourcePage(Lottery lottery, std::string_view body, int page);

}  // namespace tarnel
