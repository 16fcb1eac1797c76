#pragma once
// The shrink run of the two-star window (二星缩水): rebuild the PairPool,
// let the condition steps kill, write the survivors. Each step is a plain
// function over the pool and the inputs read from the window.

#include <array>
#include <string>
#include <string_view>

#include "core/rules/pair_pool.h"

namespace tarnel {

// Everything a two-star run reads. A grid is given as the selected state
// of each of its buttons by index (see pair_grids.h for the captions).
struct TwoStarInputs {
    std::array<bool, 30> bankerDigit{};  // C_2d_dm, rows of ten (胆码)
    std::array<bool, 9> bankerCount{};   // C_2d_dm_rc, rows of three (出胆个数)
    bool countRepeats = false;           // Check_danma_jc (胆码计重)
    std::array<bool, 10> span{};         // C_2d_kua
    std::array<bool, 19> sum{};          // C_2d_he
    std::array<bool, 20> position{};     // C_2d_dw
    std::array<bool, 20> compound{};     // C_2d_fs
    std::array<bool, 12> shape{};        // C_2d_xt
    std::array<bool, 9> road{};          // C_2d_012
    std::array<bool, 3> kind{};          // C_2d_duizi
    std::string killList;                // T_2d_dd[1], as typed (line breaks CR LF)
    std::string baseList;                // T_2d_dd[0], as typed

    bool operator==(const TwoStarInputs&) const = default;
};

// What a run writes back: the result box, the count label and the
// normalised base list.
struct TwoStarResult {
    std::string text;
    int count = 0;
    std::string baseList;
};

// The steps in their fixed order.
void rebuildPairPool(PairPool& pool);                                // 1
void applyPairBankers(PairPool& pool, const TwoStarInputs& in);      // 2 胆组
void killPairSpans(PairPool& pool, const TwoStarInputs& in);         // 3 杀跨
void killPairSums(PairPool& pool, const TwoStarInputs& in);          // 4 杀和值
void killPairPositions(PairPool& pool, const TwoStarInputs& in);     // 5 定位杀
void killPairCompound(PairPool& pool, const TwoStarInputs& in);      // 6 复式排除
void killPairShapes(PairPool& pool, const TwoStarInputs& in);        // 7 形态
void killPairRoads(PairPool& pool, const TwoStarInputs& in);         // 8 012路
void killPairKinds(PairPool& pool, const TwoStarInputs& in);         // 9 对子/连号/杂号
void killPairList(PairPool& pool, const TwoStarInputs& in);          // 10 杀垃圾
// 11 大底: keeps only the numbers of the normalised base list; returns that text.
std::string keepPairBaseList(PairPool& pool, std::string_view baseList);
TwoStarResult pairOutput(const PairPool& pool);                      // 12

struct TwoStarStep {
    std::string_view name;
    void (*run)(PairPool& pool, const TwoStarInputs& in, TwoStarResult& out);
};

inline constexpr int kTwoStarStepCount = 12;
extern const std::array<TwoStarStep, kTwoStarStepCount> kTwoStarSteps;

TwoStarResult runTwoStar(PairPool& pool, const TwoStarInputs& in);

// The group numbers (组选) of the survivors: smaller digit first, each
// once, in the order of the first survivor that gives it.
TwoStarResult pairGroups(const PairPool& pool);

// Base-list clean-up: every character other than an ASCII digit becomes a
// space, ten passes halve the runs of spaces, both ends are trimmed.
std::string normalizePairList(std::string_view text);

// Collapses `text` as ten passes of replacing each pair of spaces by one
// space would (a run of n spaces keeps ceil(n / 1024) of them).
std::string collapseSpaces(std::string_view text);

}  // namespace tarnel
