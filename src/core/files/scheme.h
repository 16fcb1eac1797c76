#pragma once
// Scheme files (方案, *.tarnel): the condition state of the main window, and
// of the two-star window while it is open, as UTF-8 JSON. Reading checks the
// whole file before anything is used; writing is deterministic, so saving
// the same state twice gives the same bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/state/condition_state.h"

namespace tarnel {

inline constexpr std::string_view kSchemeFormat = "tarnel-scheme";
inline constexpr int kSchemeVersion = 2;  // the newest version this program reads and writes
// A scheme without rules (动态条件) is written as version 1, which older
// programs read in full; "rules" needs version 2.
inline constexpr int kSchemeVersionWithoutRules = 1;
inline constexpr int kSchemeVersionOfRules = 2;
inline constexpr std::string_view kSchemeExtension = ".tarnel";
inline constexpr std::size_t kSchemeMaxBytes = std::size_t(64) << 20;

// How a control's value is written, by the kind of control.
enum class ControlKind {
    MultiLineText,   // string, line breaks CR LF
    SingleLineText,  // string without line breaks
    Check,           // 0 or 1
    Toggle,          // true or false
    Combo,           // string: the text it shows
    List,            // array of strings
};

// One control of the table, bound to its place in a state.
struct ControlField {
    std::string key;  // "T_dadi_in[0]"
    ControlKind kind;
    std::variant<std::string*, bool*, std::vector<std::string>*, int*> value;
};

// Every control of the table in file order.
std::vector<ControlField> mainControls(MainConditions& state);
std::vector<ControlField> twoStarControls(TwoStarConditions& state);

struct Scheme {
    MainConditions main;
    std::optional<TwoStarConditions> twoStar;  // present when the file has an "F2d" object

    bool operator==(const Scheme&) const = default;
};

struct SchemeReading {
    std::optional<Scheme> scheme;          // empty when the file is refused
    std::string error;                     // why it was refused: names the key, or the line and column
    std::vector<std::string> unknownKeys;  // keys outside the table, ignored ("Fmain.T_foo", "comment")
};

// Checks the whole text and reads it. Keys the text does not hold take
// their start-up state; texts get the line breaks their boxes would give them.
SchemeReading readScheme(std::string_view bytes);

// The file text of a state; `twoStar` null when that window is closed.
std::string writeScheme(const MainConditions& main, const TwoStarConditions* twoStar);

// The rules as a scheme file holds them: a JSON array on one line.
std::string rulesJson(const std::vector<PastDrawRule>& rules);

// The message listing ignored keys ("温情提示" after opening), or "" when none.
// It names at most a screenful of keys, each on one line and cut to a
// readable length, then says how many more there are.
inline constexpr std::size_t kNoticeMaxKeys = 20;
std::string unknownKeysNotice(const std::vector<std::string>& keys);

// A file read whole: its bytes, or why it could not be read (a folder, a
// missing or unreadable file, one larger than maxBytes).
struct FileBytes {
    std::optional<std::string> bytes;
    std::string error;
};
FileBytes readFileBytes(const std::string& path, std::size_t maxBytes);

// What a box does to a text it is given: a multi-line box turns CR LF, a
// lone CR, a lone LF, U+2028 and U+2029 each into one CR LF (as it does to
// the same characters typed into it); a single-line box turns CR LF, a lone
// CR and a lone LF each into one space.
std::string multiLineBoxText(std::string_view text);
std::string singleLineBoxText(std::string_view text);

}  // namespace tarnel
