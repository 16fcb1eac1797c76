#pragma once
// Banker groups and positional conditions: position match rules (位置匹配),
// positional two-digit keep (定位2码), the positional hit-count grid
// (定位容对), the any-two-digit sum-tail keep (任意两码合保留) and the
// banker groups (胆组).
//
// Every selection arrives as a selection text: the captions of the selected
// buttons in ascending index order (the grid rows with a "*" after each).
// A digit or count is selected when its one-character text occurs in it.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/number_pool.h"

namespace tarnel {

inline constexpr int kBankerGroupCount = 4;

struct PositionalInputs {
    // 位置匹配: the lines of L_wz_pp as shown.
    std::vector<std::string> matchRules;

    // 定位2码: T_main_dw2m 0..2 (百十, 百个, 十个), already cleaned by cleanPairListText.
    std::array<std::string, 3> pairLists;

    // 定位容对: row texts of the hundreds, tens and units rows ("1*3*8*") and
    // the count text of buttons 30..33 ("" when none is selected).
    std::array<std::string, 3> gridRows;
    std::string gridCounts;

    // 任意两码合保留: the selected tails ("059").
    std::string anyTwoSumTails;

    // 胆组
    bool bankerOn = false;       // Check_danzu_sx0
    bool bankerRepeats = false;  // Check_danma_jc (胆码计重)
    std::array<std::string, kBankerGroupCount> bankerDigits;  // D(g), e.g. "459"
    std::array<std::string, kBankerGroupCount> bankerCounts;  // C(g), "" means "123"
};

// ---- 位置匹配 --------------------------------------------------------------

// The relation words of the middle combo, in their list order.
inline constexpr std::array<std::string_view, 6> kMatchRelations = {
    "大于", "小于", "等于", "大于等于", "小于等于", "不等于"};
inline constexpr std::array<std::string_view, 3> kMatchPositions = {"百", "十", "个"};

// The list line of a rule: position, nine spaces, relation, nine spaces, position.
std::string matchRuleLine(std::string_view first, std::string_view relation, std::string_view second);

// A rule as the stage applies it.
struct MatchRule {
    int first = 0;   // digit position 0 hundreds, 1 tens, 2 units
    int second = 0;
    // Which outcomes of comparing first with second make the rule hold:
    // bit 0 greater, bit 1 equal, bit 2 less. 0 when the relation word is
    // none of the six: such a rule never holds.
    unsigned outcomes = 0;
};

// Reads one list line: spaces trimmed, 百/十/个 read as 1/2/3, the first
// and last characters give the positions, the characters between the
// second and the third-from-last (trimmed) the relation. A line whose
// first or last character is then not 1, 2 or 3 names no position of a
// three-digit number and gives nothing.
std::optional<MatchRule> parseMatchRule(std::string_view line);

// Keeps the numbers for which at least one rule of the list holds. An
// empty list kills nothing; a list whose rules can never hold kills all.
void applyPositionMatchRules(NumberPool& pool, const PositionalInputs& in);

// ---- 定位2码 ---------------------------------------------------------------

// Cleans a typed pair list the way the run writes it back: only digits,
// spaces and line breaks are kept, each CR LF becomes a space, runs of
// spaces become one space, spaces at both ends go.
std::string cleanPairListText(std::string_view text);

// For every non-empty list, keeps the numbers whose pair of digits at the
// list's two positions occurs in it.
void keepPositionalPairs(NumberPool& pool, const PositionalInputs& in);

// ---- 定位容对 --------------------------------------------------------------

// Counts, per number, the positions whose digit is selected in that
// position's row and keeps the numbers whose count is selected (1, 2, 3
// when no count is). With no digit selected in any row it kills nothing.
void applyPositionalDigitGrid(NumberPool& pool, const PositionalInputs& in);

// ---- 任意两码合保留 --------------------------------------------------------

// Keeps the numbers with at least one selected two-digit sum tail
// ((a + b) mod 10 of any two positions). No selection kills nothing.
void keepAnyTwoDigitSumTail(NumberPool& pool, const PositionalInputs& in);
// What it kills, as a set.
NumberSet anyTwoDigitSumTailKills(const PositionalInputs& in);

// ---- 胆组 ------------------------------------------------------------------

// How many banker digits of `digits` the number holds: with repeats every
// position counts, without repeats every distinct digit counts once.
int bankerHits(int hundreds, int tens, int units, unsigned digits, bool repeats);

// With the switch on, every group with a digit selected must see one of
// its counts (1, 2, 3 when none is selected); groups combine as AND.
void applyBankerGroups(NumberPool& pool, const PositionalInputs& in);

}  // namespace tarnel
