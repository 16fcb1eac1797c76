#pragma once
// Conditions typed as lists: direct numbers to kill, junk compounds,
// two-digit combinations, two-digit sums and differences.
//
// Every list is read leniently: any character that is not an ASCII digit
// separates, and a box without the expected form simply removes less.
// Matching a number or a pair against a list is "its text occurs in the
// list text", done with one scan over the text's digit windows.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/rules/number_pool.h"

namespace tarnel {

// Index of a two-digit sum/difference box T_lm_he by row and column.
// Rows: sum keep, sum exclude, difference keep, difference exclude,
// sum-tail exclude. Columns: hundreds-tens, hundreds-units, tens-units.
inline constexpr int kPairValueRows = 5;
inline constexpr int kPairValueColumns = 3;
inline constexpr int kPairValueBoxes = kPairValueRows * kPairValueColumns;

struct NumberListInputs {
    std::string directNumbers;                  // T_main_shazhixuan, line breaks CR LF
    std::string junkCompounds;                  // T_main_laji_fushi, one compound per CR LF line
    std::string killPairs;                      // T_main_sha_2ma
    std::string mustPairs;                      // T_main_bichu_2ma
    std::array<std::string, 3> positionalKill;  // T_main_dw_sha 0..2: 百十, 百个, 十个
    // T_lm_he 0..14 as value lists (cleaned or not: only their digit runs count).
    std::array<std::string, kPairValueBoxes> pairValues;

    bool operator==(const NumberListInputs&) const = default;
};

void killDirectNumbers(NumberPool& pool, const NumberListInputs& in);         // 杀直选
void killJunkCompounds(NumberPool& pool, const NumberListInputs& in);         // 垃圾复式
void killTwoDigitCombos(NumberPool& pool, const NumberListInputs& in);        // 杀2码
void keepMustContainTwoDigit(NumberPool& pool, const NumberListInputs& in);   // 必出2码
void killPositionalPairs(NumberPool& pool, const NumberListInputs& in);       // 定位杀2码
void filterTwoDigitSumsAndDiffs(NumberPool& pool, const NumberListInputs& in);  // 两码和/差
void killTwoDigitSumTails(NumberPool& pool, const NumberListInputs& in);      // 两码合排除

// What the stages above kill, as sets, for those that decide from ready
// sets (the numbers are the pool's: each entry holding its own number).
NumberSet directNumberKills(const NumberListInputs& in);
NumberSet twoDigitComboKills(const NumberListInputs& in);
NumberSet mustContainTwoDigitKills(const NumberListInputs& in);
NumberSet positionalPairKills(const NumberListInputs& in);
NumberSet twoDigitSumAndDiffKills(const NumberListInputs& in);
NumberSet twoDigitSumTailKills(const NumberListInputs& in);

// The cleaned form of a value list as the sum/difference boxes show it after
// a run: its runs of ASCII digits joined by single spaces, nothing else
// ("2, 5,12" -> "2 5 12"; a text without digits -> "").
std::string normalizeValueList(std::string_view text);

// The values 0..18 listed in a value list, bit v for value v. A token is a
// run of ASCII digits read as a decimal number (leading zeros allowed);
// tokens above 18 can match no pair sum or difference and are left out.
std::uint32_t listedPairValues(std::string_view text);

// One line of the junk-compound box: the digit sets of the hundreds, tens
// and units groups (bit d for digit d). A line that is not a compound (its
// count of "*" is not exactly two) gives three empty sets.
struct CompoundLine {
    std::array<unsigned, 3> digits{};
};
CompoundLine parseCompoundLine(std::string_view line);

}  // namespace tarnel
