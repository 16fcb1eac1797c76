#pragma once
// The condition state (条件): every control of both windows that a run or a
// scheme reads, as plain data. A default-constructed state is the state of a
// window that has just opened. Widgets show it and write the player's changes
// into it; every stage input is derived from it here.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/digit_properties.h"
#include "core/rules/number_lists.h"
#include "core/rules/pool_sources.h"
#include "core/rules/positional.h"
#include "core/rules/two_star_run.h"
#include "core/state/past_draw_rule.h"

namespace tarnel {

// Opening texts of the main window's boxes, as a run reads them (CR LF breaks).
inline constexpr std::string_view kBaseListInitialText = "\r\n大底号码\r\n\r\n双击清空\r\n";
inline constexpr std::string_view kListTutorialHint = "不懂使用请看软件教程\r\n";
inline constexpr std::string_view kPositionalKillHint = "按右边提示格\r\n式输入可定位\r\n杀两码组合\r\n";
inline constexpr std::string_view kPositionalKillRestoreHint = "按右边提示格式输入可定位杀两码组合";
inline constexpr std::string_view kPairValueHint = "用空格隔开";
inline constexpr std::string_view kPairBoxHint = "按右边提示格\r\n式输入可定位\r\n两码组合\r\n";
inline constexpr std::string_view kPairBoxRestoreHint = "按右边提示格式输入可定位两码组合";
inline constexpr std::string_view kBaseListRestoreText = "\r\n大底号码\r\n\r\n双击清空";
inline constexpr std::array<std::string_view, 3> kMatchComboDefaults = {"百", "大于", "个"};

// Opening texts of the two-star window's boxes.
inline constexpr std::string_view kTwoStarBaseInitialText = "输入大底号码";
inline constexpr std::string_view kTwoStarKillInitialText = "杀直选号码\r\n";

// Banker groups and positional controls as the player sets them: the
// buttons as selected flags, the boxes as typed. A run reads them through
// positionalInputs().
struct PositionalControls {
    std::vector<std::string> matchRules;                // L_wz_pp, its lines in order
    std::array<std::string, 3> matchCombos{std::string(kMatchComboDefaults[0]), std::string(kMatchComboDefaults[1]),
                                           std::string(kMatchComboDefaults[2])};  // C_wz_pp, as shown
    std::array<std::string, 3> pairLists{std::string(kPairBoxHint), {}, {}};     // T_main_dw2m, as typed
    std::array<bool, 34> hitGrid{};       // C_3d_dwrd: 0..29 digits by position, 30..33 counts 0..3
    std::array<bool, 10> anyTwoTails{};   // C_ry2m_he
    bool bankerOn = false;                // Check_danzu_sx0
    bool bankerRepeats = false;           // Check_danma_jc
    std::array<bool, 40> bankerDigits{};  // C_danzu: group g is 10g..10g+9
    std::array<bool, 16> bankerCounts{};  // C_danzu_gs: group g is 4g..4g+3, counts 0..3

    bool operator==(const PositionalControls&) const = default;
};

// The main window's conditions, plus the set tool's two lists, which a
// scheme keeps as well.
struct MainConditions {
    PoolSourceInputs sources = startSources();
    NumberListInputs lists = startLists();
    DigitPropertyInputs digits = startDigits();
    PositionalControls positional;
    std::array<std::string, 2> setLists;  // T_dd_jiaoji 0..1
    int tolerance = 0;                    // Combo_rongcuo (容错)
    std::vector<PastDrawRule> rules;      // 动态条件, in the player's order (rows 101…)

    bool operator==(const MainConditions&) const = default;

    static PoolSourceInputs startSources();
    static NumberListInputs startLists();
    static DigitPropertyInputs startDigits();
};

// The two-star window's conditions are exactly what its run reads.
using TwoStarConditions = TwoStarInputs;
TwoStarConditions twoStarStartState();

// The state "清空所有条件" leaves: every condition neutral; the pool
// sources, the banker repeat option and the set tool's lists keep theirs.
MainConditions restoredConditions(const MainConditions& current);

// ---- what a run reads ------------------------------------------------------

PositionalInputs positionalInputs(const PositionalControls& controls);

}  // namespace tarnel
