// Rules (动态条件) in scheme files: random rule lists read back equal and
// save byte-identically; a scheme without rules is the version 1 file it
// always was; every broken rule is refused naming the rule and its key.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/files/scheme.h"
#include "core/state/past_draw_rule.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

PastDrawRule anyRule(StateMaker& make) {
    PastDrawRule r;
    r.measure = static_cast<RuleMeasure>(make.below(kRuleMeasureCount));
    r.from = make.chance(0.5) ? RuleSource::Recent : RuleSource::Omission;
    r.draws = make.chance(0.1) ? kRuleMaxDraws : 1 + make.below(make.chance(0.5) ? 10 : kRuleMaxDraws);
    if (r.from == RuleSource::Omission) {
        r.min = make.below(r.draws + 1);
        r.max = r.min + make.below(r.draws - r.min + 1);
    }
    r.action = make.chance(0.5) ? RuleAction::Kill : RuleAction::Keep;
    return r;
}

TEST(SchemeRules, RandomRuleListsReadBackEqualAndSaveByteIdentical) {
    StateMaker make(2501);
    for (int round = 0; round < 200; ++round) {
        Scheme scheme{make.main(0.1), std::nullopt};
        if (make.chance(0.3)) scheme.twoStar = make.twoStar(0.1);
        for (int i = make.below(8); i > 0; --i) scheme.main.rules.push_back(anyRule(make));
        const TwoStarConditions* twoStar = scheme.twoStar ? &*scheme.twoStar : nullptr;
        const std::string bytes = writeScheme(scheme.main, twoStar);
        const SchemeReading reading = readScheme(bytes);
        ASSERT_TRUE(reading.scheme) << reading.error;
        EXPECT_TRUE(reading.unknownKeys.empty());
        EXPECT_TRUE(*reading.scheme == scheme) << "round " << round;
        EXPECT_EQ(writeScheme(reading.scheme->main, reading.scheme->twoStar ? &*reading.scheme->twoStar : nullptr), bytes);

        const auto doc = nlohmann::ordered_json::parse(bytes);
        const auto& fmain = doc.at("Fmain");
        if (scheme.main.rules.empty()) {
            // Exactly the file without rules: version 1, no "rules".
            EXPECT_EQ(doc.at("version"), 1);
            EXPECT_FALSE(fmain.contains("rules"));
            MainConditions noRules = scheme.main;
            EXPECT_EQ(writeScheme(noRules, twoStar), bytes);
        } else {
            EXPECT_EQ(doc.at("version"), 2);
            EXPECT_EQ(std::prev(fmain.end()).key(), "rules");
            // Everything else is what the file without rules holds.
            MainConditions noRules = scheme.main;
            noRules.rules.clear();
            auto without = nlohmann::ordered_json::parse(writeScheme(noRules, twoStar));
            auto with = doc;
            with["Fmain"].erase("rules");
            with["version"] = 1;
            EXPECT_EQ(with, without);
        }
    }
}

TEST(SchemeRules, KeysOfARuleInTheirOrder) {
    MainConditions state;
    state.rules = {{RuleMeasure::SumTail, RuleSource::Recent, 2, 0, 0, RuleAction::Kill},
                   {RuleMeasure::Span, RuleSource::Omission, 30, 5, 30, RuleAction::Keep}};
    const std::string bytes = writeScheme(state, nullptr);
    const auto rules = nlohmann::ordered_json::parse(bytes).at("Fmain").at("rules");
    EXPECT_EQ(rules.dump(), R"([{"measure":"sum_tail","from":"recent","draws":2,"action":"kill"},)"
                            R"({"measure":"span","from":"omission","draws":30,"min":5,"max":30,"action":"keep"}])");
    EXPECT_NE(bytes.find("\n  \"version\": 2,\n"), std::string::npos);
    // The example a player would write reads as those two rules.
    const SchemeReading r = readScheme(R"({"format":"tarnel-scheme","version":2,"Fmain":{"rules":[
      {"measure":"sum_tail","from":"recent","draws":2,"action":"kill"},
      {"measure":"span","from":"omission","draws":30,"min":5,"max":30,"action":"keep"}]}})");
    ASSERT_TRUE(r.scheme) << r.error;
    EXPECT_EQ(r.scheme->main.rules, state.rules);
    // A version 2 file without rules opens too.
    EXPECT_TRUE(readScheme(R"({"format":"tarnel-scheme","version":2,"Fmain":{}})").scheme);
}

struct BrokenRule {
    const char* name;
    std::string rules;      // the value of "rules"
    const char* says;       // part of the reason
    int version = 2;
};

class RefusedRule : public ::testing::TestWithParam<BrokenRule> {};

TEST_P(RefusedRule, NamesTheRuleAndItsKey) {
    const BrokenRule& b = GetParam();
    std::string text = R"({"format":"tarnel-scheme","version":)";
    text += std::to_string(b.version);
    text += R"(,"Fmain":{"Check_ac[0]":1,"rules":)";
    text += b.rules;
    text += "}}";
    const SchemeReading r = readScheme(text);
    EXPECT_FALSE(r.scheme);
    EXPECT_NE(r.error.find(b.says), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("rules"), std::string::npos) << r.error;
    EXPECT_TRUE(r.unknownKeys.empty());
}

const std::string kGood = R"({"measure":"sum","from":"recent","draws":3,"action":"kill"})";

// A list of the one rule, and of a good rule then this one.
std::string only(const std::string& rule) {
    std::string list = "[";
    list += rule;
    list += ']';
    return list;
}
std::string second(const std::string& rule) { return only(kGood + ',' + rule); }

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedRule,
    ::testing::Values(
        BrokenRule{"NotAnArray", R"({"measure":"sum"})", "对象数组"},
        BrokenRule{"NotAnObject", second("3"), "第 2 条"},
        BrokenRule{"UnknownKey", second(R"({"measure":"sum","from":"recent","draws":3,"action":"kill","note":1})"), "第 2 条的 “note”"},
        BrokenRule{"UnknownMeasure", second(R"({"measure":"sums","from":"recent","draws":3,"action":"kill"})"), "第 2 条的 “measure”"},
        BrokenRule{"MeasureNumber", second(R"({"measure":3,"from":"recent","draws":3,"action":"kill"})"), "第 2 条的 “measure”"},
        BrokenRule{"MissingMeasure", second(R"({"from":"recent","draws":3,"action":"kill"})"), "第 2 条的 “measure” 不正确：缺少"},
        BrokenRule{"UnknownFrom", second(R"({"measure":"sum","from":"last","draws":3,"action":"kill"})"), "第 2 条的 “from”"},
        BrokenRule{"UnknownAction", second(R"({"measure":"sum","from":"recent","draws":3,"action":"drop"})"), "第 2 条的 “action”"},
        BrokenRule{"MissingAction", second(R"({"measure":"sum","from":"recent","draws":3})"), "第 2 条的 “action”"},
        BrokenRule{"MissingDraws", second(R"({"measure":"sum","from":"recent","action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"DrawsZero", second(R"({"measure":"sum","from":"recent","draws":0,"action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"DrawsTooMany", only(R"({"measure":"sum","from":"recent","draws":1001,"action":"kill"})"), "第 1 条的 “draws”"},
        BrokenRule{"DrawsNegative", second(R"({"measure":"sum","from":"recent","draws":-1,"action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"DrawsFraction", second(R"({"measure":"sum","from":"recent","draws":2.0,"action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"DrawsText", second(R"({"measure":"sum","from":"recent","draws":"2","action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"DrawsHuge", second(R"({"measure":"sum","from":"recent","draws":18446744073709551615,"action":"kill"})"), "第 2 条的 “draws”"},
        BrokenRule{"MinOfRecent", second(R"({"measure":"sum","from":"recent","draws":3,"min":0,"action":"kill"})"), "第 2 条的 “min”"},
        BrokenRule{"MaxOfRecent", second(R"({"measure":"sum","from":"recent","draws":3,"max":1,"action":"kill"})"), "第 2 条的 “max”"},
        BrokenRule{"MissingMax", second(R"({"measure":"span","from":"omission","draws":30,"min":5,"action":"keep"})"), "第 2 条的 “max”"},
        BrokenRule{"MissingMin", second(R"({"measure":"span","from":"omission","draws":30,"max":5,"action":"keep"})"), "第 2 条的 “min”"},
        BrokenRule{"MinAboveMax", second(R"({"measure":"span","from":"omission","draws":30,"min":6,"max":5,"action":"keep"})"), "第 2 条的 “max”"},
        BrokenRule{"MaxAboveDraws", second(R"({"measure":"span","from":"omission","draws":30,"min":5,"max":31,"action":"keep"})"), "第 2 条的 “max”"},
        BrokenRule{"MinAboveDraws", second(R"({"measure":"span","from":"omission","draws":3,"min":4,"max":4,"action":"keep"})"), "第 2 条的 “min”"},
        BrokenRule{"RulesInVersionOne", only(kGood), "版本 2", 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnel
