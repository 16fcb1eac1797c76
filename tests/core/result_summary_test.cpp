// The results view's figures and layouts, cross-checked against plain
// reference versions built from the numbers' texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/analysis/result_summary.h"
#include "core/rules/text.h"

namespace tarnel {
namespace {

struct Reference {
    int direct = 0, groups = 0, allSame = 0, twoSame = 0, allDifferent = 0;
    std::map<int, int> bySum;
};

// Works on the texts: a group is the sorted characters, a form is the number of distinct characters.
Reference reference(const std::vector<int>& numbers, int width) {
    Reference r;
    std::set<std::string> groups;
    for (int n : numbers) {
        std::string t = numberText(n, width);
        ++r.direct;
        int sum = 0;
        for (char c : t) sum += c - '0';
        ++r.bySum[sum];
        const std::set<char> distinct(t.begin(), t.end());
        if (distinct.size() == 1)
            ++r.allSame;
        else if (int(distinct.size()) == width)
            ++r.allDifferent;
        else
            ++r.twoSame;
        std::sort(t.begin(), t.end());
        groups.insert(t);
    }
    r.groups = int(groups.size());
    return r;
}

std::vector<int> randomSubset(std::mt19937& rng, int poolSize) {
    std::vector<int> all(static_cast<std::size_t>(poolSize));
    for (int i = 0; i < poolSize; ++i) all[static_cast<std::size_t>(i)] = i;
    std::shuffle(all.begin(), all.end(), rng);
    const int kinds[] = {0, 1, 2, 5, 30, poolSize / 2, poolSize};
    int size = kinds[rng() % 7];
    if (rng() % 2) size = int(rng() % static_cast<unsigned>(poolSize + 1));
    all.resize(static_cast<std::size_t>(size));
    if (rng() % 2) std::sort(all.begin(), all.end());
    return all;
}

// The numbers written with assorted separators and clutter that holds no
// run of exactly `width` digits.
std::string clutteredText(std::mt19937& rng, const std::vector<int>& numbers, int width) {
    const char* const separators[] = {" ", ",", "\r\n", "  ", "，", "注\r\n", "*", "-"};
    std::string text = rng() % 2 ? "没有0注 " : "";
    for (int n : numbers) {
        text += numberText(n, width);
        text += separators[rng() % 8];
        if (rng() % 10 == 0) text += width == 3 ? "12345 " : "7 123 ";
    }
    return text;
}

class SummaryTest : public ::testing::TestWithParam<int> {};

TEST_P(SummaryTest, RandomResultsMatchTheReference) {
    const int width = GetParam();
    const int poolSize = width == 3 ? 1000 : 100;
    std::mt19937 rng(20260 + unsigned(width));
    for (int round = 0; round < 300; ++round) {
        const std::vector<int> numbers = randomSubset(rng, poolSize);
        const std::string text = clutteredText(rng, numbers, width);
        ASSERT_EQ(resultNumbers(text, width), numbers) << text;
        // Repeats are one bet.
        ASSERT_EQ(resultNumbers(text + " " + text, width), numbers);

        const ResultSummary s = summarizeNumbers(numbers, width);
        const Reference r = reference(numbers, width);
        EXPECT_EQ(s.direct, r.direct);
        EXPECT_EQ(s.groups, r.groups);
        EXPECT_EQ(s.allSame, r.allSame);
        EXPECT_EQ(s.twoSame, r.twoSame);
        EXPECT_EQ(s.allDifferent, r.allDifferent);
        ASSERT_EQ(int(s.bySum.size()), 9 * width + 1);
        for (int sum = 0; sum <= 9 * width; ++sum) {
            const auto it = r.bySum.find(sum);
            EXPECT_EQ(s.bySum[std::size_t(sum)], it == r.bySum.end() ? 0 : it->second) << "sum " << sum;
        }
    }
}

TEST_P(SummaryTest, TheWholePoolHasTheKnownCounts) {
    const int width = GetParam();
    std::vector<int> all(width == 3 ? 1000 : 100);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    const ResultSummary s = summarizeNumbers(all, width);
    if (width == 3) {
        EXPECT_EQ(s.groups, 220);
        EXPECT_EQ(s.allSame, 10);
        EXPECT_EQ(s.twoSame, 270);
        EXPECT_EQ(s.allDifferent, 720);
        EXPECT_EQ(s.bySum[13], 75);
    } else {
        EXPECT_EQ(s.groups, 55);
        EXPECT_EQ(s.allSame, 10);
        EXPECT_EQ(s.twoSame, 0);
        EXPECT_EQ(s.allDifferent, 90);
    }
}

// A plain layout: lines of at most perLine numbers, each line joined by the separator.
std::string referenceLayout(const std::vector<int>& numbers, int width, NumberSeparator sep, int perLine) {
    if (sep == NumberSeparator::LineBreak) perLine = 1;
    if (perLine <= 0) perLine = int(numbers.size()) + 1;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i % std::size_t(perLine) == 0) lines.emplace_back();
        std::string& line = lines.back();
        if (!line.empty()) line += sep == NumberSeparator::Comma ? "," : " ";
        line += numberText(numbers[i], width);
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\r\n" : "") + lines[i];
    return out;
}

TEST_P(SummaryTest, LayoutsMatchTheReferenceAndReadBack) {
    const int width = GetParam();
    std::mt19937 rng(77 + unsigned(width));
    const NumberSeparator seps[] = {NumberSeparator::Space, NumberSeparator::Comma, NumberSeparator::LineBreak};
    for (int round = 0; round < 300; ++round) {
        const std::vector<int> numbers = randomSubset(rng, width == 3 ? 1000 : 100);
        const NumberSeparator sep = seps[rng() % 3];
        const int perLine = int(rng() % 4 == 0 ? 0 : rng() % 12);
        const std::string text = formatNumbers(numbers, width, sep, perLine);
        ASSERT_EQ(text, referenceLayout(numbers, width, sep, perLine));
        EXPECT_EQ(resultNumbers(text, width), numbers);  // what is copied reads back as the same numbers
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, SummaryTest, ::testing::Values(3, 2));

TEST(ResultNumbers, OnlyRunsOfTheExactWidthCount) {
    EXPECT_EQ(resultNumbers("1234 12 007 0070 7", 3), (std::vector<int>{7}));
    EXPECT_EQ(resultNumbers("1234 12 007 05", 2), (std::vector<int>{12, 5}));
    EXPECT_TRUE(resultNumbers("没有符合条件的号码，请检测过滤条件\r\n\r\n注意：同一条件下的选项不要全部打勾，否则得0注", 3).empty());
    EXPECT_TRUE(resultNumbers("这里显示最终过滤结果\r\n", 3).empty());
    EXPECT_TRUE(resultNumbers("123", 4).empty());
}

TEST(Cost, PricesInFenStayExact) {
    EXPECT_EQ(yuanText(betCostFen(1000, 200)), "2000.00");
    EXPECT_EQ(yuanText(betCostFen(3, 250)), "7.50");
    EXPECT_EQ(yuanText(betCostFen(7, 1)), "0.07");
    EXPECT_EQ(yuanText(betCostFen(0, 200)), "0.00");
    EXPECT_EQ(yuanText(-5), "-0.05");
    EXPECT_EQ(yuanText(betCostFen(1000, 1000000)), "10000000.00");
}

}  // namespace
}  // namespace tarnel
