// Reading typed numbers for the diagnosis: only runs of exactly three ASCII
// digits count, whatever surrounds them.

#include <gtest/gtest.h>

#include "core/analysis/condition_report.h"

namespace tarnel {
namespace {

struct ReadingCase {
    const char* text;
    std::vector<int> numbers;
    int found;
    int ignored;
};

class ReadNumbers : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadNumbers, TakesRunsOfExactlyThreeAsciiDigits) {
    const ReadingCase& c = GetParam();
    const NumberReading r = readNumbers(c.text);
    EXPECT_EQ(r.numbers, c.numbers) << c.text;
    EXPECT_EQ(r.found, c.found) << c.text;
    EXPECT_EQ(r.ignored, c.ignored) << c.text;
    // Full-width digits are never read, and the reading says they are there.
    EXPECT_EQ(r.fullWidth, std::string_view(c.text).find("\xef\xbc\x91") != std::string_view::npos) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadNumbers,
    ::testing::Values(ReadingCase{"", {}, 0, 0}, ReadingCase{"大底 号码", {}, 0, 0},
                      ReadingCase{"007,035，999\r\n000", {7, 35, 999, 0}, 4, 0},
                      ReadingCase{"123456 12 3 1234 456", {456}, 1, 4},          // glued numbers are one run
                      ReadingCase{"第123期a456b", {123, 456}, 2, 0},             // letters and CJK separate
                      ReadingCase{"\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93 321", {321}, 1, 0},  // full-width 123
                      ReadingCase{"582 285 582 582", {582, 285}, 4, 0}));

}  // namespace
}  // namespace tarnel
