#pragma once
// Conditions on properties of a number's digits: sum tail, span, banker
// digits, sum values, the two position grids, AC value, the position
// patterns (big/small, odd/even, prime/composite, 012 road), forms and shapes.
//
// Every row of check boxes or grid buttons arrives as one flag per box
// (true = ticked / selected). Where a row's captions are the data the stage
// matches against, the captions are kept here and the panel shows them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/rules/number_pool.h"

namespace tarnel {

// Opening text of the sums-to-kill box; the stage recognises it (值, 双).
inline constexpr std::string_view kSumKillListHint = "格式:0 1 6 9 11 23 和值加空格隔开，双击清空";
inline constexpr std::string_view kSumLowerInitial = "0";
inline constexpr std::string_view kSumUpperInitial = "27";

// Captions of the pattern rows, index 0..7 (hundreds, tens, units).
inline constexpr std::array<std::string_view, 8> kBigSmallCaptions = {
    "大大大", "大大小", "大小大", "大小小", "小小小", "小小大", "小大小", "小大大"};
inline constexpr std::array<std::string_view, 8> kOddEvenCaptions = {
    "奇奇奇", "奇奇偶", "奇偶奇", "奇偶偶", "偶偶偶", "偶偶奇", "偶奇偶", "偶奇奇"};
inline constexpr std::array<std::string_view, 8> kPrimeCompositeCaptions = {
    "质质质", "质质合", "质合质", "质合合", "合合合", "合合质", "合质合", "合质质"};
inline constexpr int kRoadBoxCount = 27;
// Caption of 012-road box i: i in base 3 with three digits ("000" .. "222").
std::string roadCaption(int index);

// Captions of the special-exclusion row: 0..5 forms, 6..9 shapes.
inline constexpr std::array<std::string_view, 10> kSpecialCaptions = {
    "豹子", "组三", "组六", "不连", "2连", "3连", "上山", "下山", "凸型", "凹型"};
inline constexpr int kFirstShapeBox = 6;

struct DigitPropertyInputs {
    std::array<bool, 10> sumTailKill{};   // Check_hewei_sha, box i = tail i
    std::array<bool, 10> spanKill{};      // Check_kuadu_sha, box i = span i
    std::array<bool, 10> bankerDigits{};  // Check_danma_chu, box i = digit i
    std::array<bool, 3> bankerCount{};    // Check_danma_chu_geshu: 1胆, 2胆, 3胆

    std::string sumLower{kSumLowerInitial};  // T_hezhi_fanwei_1 as typed
    std::string sumUpper{kSumUpperInitial};  // T_hezhi_fanwei_2 as typed
    std::string sumKillList;                 // T__hezhi_zhiding_sha as typed, CR LF breaks

    // Grid buttons, index = 10 × position + digit (0..9 hundreds, 10..19 tens, 20..29 units).
    std::array<bool, 30> compoundExclude{};  // C_fushi_paichu selected
    std::array<bool, 30> positionKill{};     // C_dingwei_sha selected

    std::array<bool, 3> acKill{};  // Check_ac: AC value 1, 2, 3

    std::array<bool, 8> bigSmall{};        // Check_pailie_daxiao
    std::array<bool, 8> oddEven{};         // Check_pailie_jiou
    std::array<bool, 8> primeComposite{};  // Check_pailie_zhihe
    std::array<bool, kRoadBoxCount> road{};  // Check_012_paichu

    std::array<bool, 10> special{};  // Check_tebie_paichu

    bool operator==(const DigitPropertyInputs&) const = default;
};

// AC value: the number of distinct gaps among |a−b|, |a−c|, |b−c| (1..3).
int acValue(int a, int b, int c);

// ---- the conditions as values of a measure -----------------------------------
// Most of these conditions kill a number exactly when one measure of its
// digits takes one of a set of values. A measure's values are small indexes;
// a set of values is a bit mask. The stages below use the same functions.

enum class Measure { SumTail, Span, Sum, Ac, BigSmall, OddEven, PrimeComposite, Road, Repetition, Consecutive, Shape };
inline constexpr int kMeasureCount = 11;

// The value of a measure for the digits a, b, c (hundreds, tens, units).
int measureOf(Measure measure, int a, int b, int c);
// The value of a measure for every number 000..999, worked out once.
const std::array<std::uint8_t, 1000>& measureTable(Measure measure);
// The values a row of inputs kills (0 when the row kills nothing).
std::uint32_t killedSumTails(const DigitPropertyInputs& in);
std::uint32_t killedSpans(const DigitPropertyInputs& in);
std::uint32_t killedSums(const DigitPropertyInputs& in);  // range and list together
std::uint32_t killedAcValues(const DigitPropertyInputs& in);
std::uint32_t killedBigSmall(const DigitPropertyInputs& in);
std::uint32_t killedOddEven(const DigitPropertyInputs& in);
std::uint32_t killedPrimeComposite(const DigitPropertyInputs& in);
std::uint32_t killedRoads(const DigitPropertyInputs& in);
std::uint32_t killedRepetitionForms(const DigitPropertyInputs& in);   // 豹子, 组三, 组六
std::uint32_t killedConsecutiveForms(const DigitPropertyInputs& in);  // 不连, 2连, 3连, neither
std::uint32_t killedShapes(const DigitPropertyInputs& in);            // 上, 下, 凹, 凸, none

void killBySumTail(NumberPool& pool, const DigitPropertyInputs& in);          // 杀和尾
void killBySpan(NumberPool& pool, const DigitPropertyInputs& in);             // 杀跨度
void applyBankerDigits(NumberPool& pool, const DigitPropertyInputs& in);      // 胆码
void filterSumValues(NumberPool& pool, const DigitPropertyInputs& in);        // 和值
void applyCompoundExcludeGrid(NumberPool& pool, const DigitPropertyInputs& in);  // 排除复式
void applyPositionKillGrid(NumberPool& pool, const DigitPropertyInputs& in);  // 定位杀
void killByAcValue(NumberPool& pool, const DigitPropertyInputs& in);          // AC值
void killBigSmallPattern(NumberPool& pool, const DigitPropertyInputs& in);    // 大小
void killOddEvenPattern(NumberPool& pool, const DigitPropertyInputs& in);     // 奇偶
void killPrimeCompositePattern(NumberPool& pool, const DigitPropertyInputs& in);  // 质合
void killRoadPattern(NumberPool& pool, const DigitPropertyInputs& in);        // 012路
void killForms(NumberPool& pool, const DigitPropertyInputs& in);              // 豹子/组三/组六/不连/2连/3连
void killShapes(NumberPool& pool, const DigitPropertyInputs& in);             // 上山/下山/凸型/凹型

}  // namespace tarnel
