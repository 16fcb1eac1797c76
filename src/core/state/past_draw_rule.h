#pragma once
// Rules that follow past draws (动态条件): "kill the sum tails of the last
// two draws", "keep only the spans that have not come for five draws or
// more". A rule takes a set of values of one measure from the draws just
// before the draw being bet on, and kills the numbers that have one of them
// (kill) or that have none (keep).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

enum class RuleMeasure { Sum, SumTail, Span, Hundreds, Tens, Units, Digits, Form, Big, Odd, Prime, Road };
inline constexpr int kRuleMeasureCount = 12;

enum class RuleSource { Recent, Omission };
enum class RuleAction { Kill, Keep };

// The most draws a rule looks back on.
inline constexpr int kRuleMaxDraws = 1000;

struct PastDrawRule {
    RuleMeasure measure = RuleMeasure::SumTail;
    RuleSource from = RuleSource::Recent;
    int draws = 1;  // 1..kRuleMaxDraws
    int min = 0;    // omission rules only: 0 <= min <= max <= draws
    int max = 0;
    RuleAction action = RuleAction::Kill;

    bool operator==(const PastDrawRule&) const = default;
};

// One measure: its key in scheme files, the player's name, and how many
// values it takes (0..values-1).
struct RuleMeasureInfo {
    RuleMeasure measure;
    std::string_view key;
    std::string_view name;
    int values;
};

inline constexpr std::array<RuleMeasureInfo, kRuleMeasureCount> kRuleMeasures = {{
    {RuleMeasure::Sum, "sum", "和值", 28},
    {RuleMeasure::SumTail, "sum_tail", "和尾", 10},
    {RuleMeasure::Span, "span", "跨度", 10},
    {RuleMeasure::Hundreds, "hundreds", "百位", 10},
    {RuleMeasure::Tens, "tens", "十位", 10},
    {RuleMeasure::Units, "units", "个位", 10},
    {RuleMeasure::Digits, "digits", "数字", 10},
    {RuleMeasure::Form, "form", "形态", 3},
    {RuleMeasure::Big, "big", "大数个数", 4},
    {RuleMeasure::Odd, "odd", "奇数个数", 4},
    {RuleMeasure::Prime, "prime", "质数个数", 4},
    {RuleMeasure::Road, "road", "012路", 27},
}};

inline const RuleMeasureInfo& measureInfo(RuleMeasure m) { return kRuleMeasures[static_cast<std::size_t>(m)]; }
std::optional<RuleMeasure> measureByKey(std::string_view key);

inline constexpr std::string_view kRuleFromRecent = "recent";
inline constexpr std::string_view kRuleFromOmission = "omission";
inline constexpr std::string_view kRuleKill = "kill";
inline constexpr std::string_view kRuleKeep = "keep";

// Whether the numbers of a rule are in range for its kind: draws 1..1000,
// and for omission rules 0 <= min <= max <= draws (recent rules keep 0, 0).
bool ruleIsValid(const PastDrawRule& rule);

// The rule as the player reads it: "杀 最近 2 期出现过的 和尾",
// "保留 遗漏 5–30 期的 跨度".
std::string ruleSentence(const PastDrawRule& rule);

// The values of a number (0..999) for a measure, as bits: bit v for value v
// (the digits measure has one to three of them, every other measure one).
std::uint32_t measureValues(RuleMeasure measure, int number);

}  // namespace tarnel
