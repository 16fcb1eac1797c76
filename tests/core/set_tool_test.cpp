// The set tool over pasted lists, and the stored help texts.

#include <gtest/gtest.h>

#include "core/analysis/help_texts.h"
#include "core/rules/set_tool.h"

namespace tarnel {
namespace {

struct SetCase {
    std::string a, b;
    SetOperation op;
    std::string text;
    int count;
};

class SetTool : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetTool, CombinesByTextMembership) {
    const SetCase& c = GetParam();
    const SetToolResult r = combineLists(c.a, c.b, c.op);
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(r.count, c.count);
}

using enum SetOperation;
INSTANTIATE_TEST_SUITE_P(
    Cases, SetTool,
    ::testing::Values(
        SetCase{"123 456 789", "456 001", Intersection, "456", 1},
        SetCase{"123 456 789", "456 001", Union, "001 123 456 789", 4},
        SetCase{"123 456 789", "456 001", AMinusB, "123 789", 2},
        SetCase{"123 456 789", "456 001", BMinusA, "001", 1},
        SetCase{"123,456,789", "456,001", Union, "001 123 456 789", 4},
        SetCase{"123\r\n456\r\n789", "456\r\n001", Intersection, "456", 1},
        SetCase{"1234", "", Union, "123 234", 2},
        SetCase{"789 123 789 123", "", Union, "123 789", 2},   // repeats once, ascending
        SetCase{"12\r\n3", "", Union, "", 0},                    // a line break splits the run
        SetCase{"", "", Union, "", 0},
        SetCase{"", "", Intersection, "", 0},
        SetCase{"５５５ 555", "x", AMinusB, "555", 1}));        // full-width digits are no digits

TEST(HelpTexts, KeepTheirExactSpacingAndLineEnds) {
    for (const std::string* t : {&positionGridHelp(), &bankerGroupHelp(), &formShapeHelp(), &otherPageHelp()}) {
        ASSERT_GE(t->size(), 2u);
        EXPECT_EQ(t->substr(t->size() - 2), "\r\n");
        EXPECT_EQ(t->find("\n\n"), std::string::npos);
    }
    EXPECT_NE(bankerGroupHelp().find("如不选择开出个数则至少开出一个 \r\n"), std::string::npos);
    EXPECT_NE(bankerGroupHelp().find("\r\n" + std::string(54, '-') + "\r\n"), std::string::npos);
    EXPECT_NE(bankerGroupHelp().find("\r\n" + std::string(56, '-') + "\r\n"), std::string::npos);
    EXPECT_NE(formShapeHelp().find("\r\n        如135、114、246、252等号码\r\n"), std::string::npos);
    EXPECT_EQ(positionGridHelp(),
              "分别在百十个位点击您认为不会开出的号码\r\n如需排除多个复式请使用软件左上角的【杀垃圾复式】功能\r\n"
              "如不懂使用请点击【软件使用教程】\r\n");
}

}  // namespace
}  // namespace tarnel
