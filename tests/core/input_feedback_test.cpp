// The feedback lines beside the list boxes: their counts agree with what the
// run does with the same text, over random texts, and the warnings appear
// exactly for the text the rules skip.

#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "core/rules/text.h"
#include "core/state/condition_marks.h"
#include "core/rules/pair_pool.h"
#include "core/state/input_feedback.h"
#include "core/state/shrink.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// Pairs whose two-digit text occurs in the text, found the slow way.
int pairsOccurring(const std::string& text) {
    int n = 0;
    for (int p = 0; p < 100; ++p) n += occursIn(numberText(p, 2), text) ? 1 : 0;
    return n;
}

// A text of the kinds players paste: numbers of one to five digits, noise,
// full-width digits, hint words, blank lines.
std::string randomText(StateMaker& make) {
    static const char* const extras[] = {"１２３", "值", "双击清空", "\r\n", "  ", "*", "12*34*56", "abc", "0000"};
    std::string text;
    for (int parts = make.below(5); parts >= 0; --parts) {
        if (make.chance(0.3))
            text += extras[make.below(9)];
        else if (make.chance(0.5))
            text += make.numberList(1 + make.below(5), 1 + make.below(30), true);
        else
            text += make.anyText(true);
    }
    return text;
}

// Row r (1-based) applied alone to a full pool: how many numbers it rules out.
int rowKills(int row1, const ShrinkInputs& in) { return static_cast<int>(rowKillSet(row1 - 1, in).count()); }

TEST(InputFeedbackTest, CountsAgreeWithTheRunOverRandomTexts) {
    StateMaker make(20261207);
    for (int round = 0; round < 400; ++round) {
        const std::string text = randomText(make);
        SCOPED_TRACE(text);
        MainConditions c;
        c.sources.baseList = text;
        c.lists.directNumbers = text;
        c.lists.junkCompounds = text;
        c.lists.killPairs = text;
        c.lists.mustPairs = text;
        c.lists.positionalKill = {text, "", ""};
        c.positional.pairLists = {"", "", text};
        c.digits.sumKillList = text;
        const ShrinkInputs in = shrinkInputs(c);

        // A box shows a reading exactly when its row is set, and then the
        // count the row works with: the base list keeps the numbers it reads,
        // the kill lists kill them, a positional pair stands for ten numbers,
        // and pairs are checked against a slow substring count.
        const auto expect = [&](ListBox box, int row1, int count) {
            EXPECT_EQ(inputFeedback(box, text).count, rowIsSet(row1, in) ? count : -1) << "row " << row1;
        };
        expect(ListBox::BaseList, 3, 1000 - rowKills(3, in));
        expect(ListBox::DirectNumbers, 4, rowKills(4, in));
        expect(ListBox::JunkCompounds, 5, rowKills(5, in));
        expect(ListBox::KillPairs, 6, pairsOccurring(text));
        expect(ListBox::MustPairs, 7, pairsOccurring(text));
        expect(ListBox::PositionalKill, 8, rowKills(8, in) / 10);
        expect(ListBox::PositionalPairs, 12, (1000 - rowKills(12, in)) / 10);
        EXPECT_EQ(rowKills(8, in) % 10, 0);

        // Sums: the listed sums are the sums the row kills (full range).
        const InputFeedback sums = inputFeedback(ListBox::SumKillList, text);
        const int killedSumCount = std::popcount(killedSums(c.digits));
        if (sums.count >= 0)
            EXPECT_EQ(sums.count, killedSumCount);
        else
            EXPECT_EQ(killedSumCount, 0);

        // Two-star boxes against a two-star run with that box alone.
        TwoStarConditions t = twoStarStartState();
        t.baseList = text;
        PairPool pool;
        const InputFeedback base = inputFeedback(ListBox::TwoStarBase, text);
        const int keptByBase = runTwoStar(pool, t).count;
        if (base.count >= 0)
            EXPECT_EQ(base.count, keptByBase);
        else
            EXPECT_EQ(keptByBase, 100);
        t = twoStarStartState();
        t.killList = text;
        const InputFeedback kill = inputFeedback(ListBox::TwoStarKill, text);
        EXPECT_EQ(runTwoStar(pool, t).count, 100 - std::max(kill.count, 0));
    }
}

TEST(InputFeedbackTest, WarningsAppearForTextTheRulesSkip) {
    // Full-width digits, wherever they stand and in any box.
    for (ListBox box : {ListBox::BaseList, ListBox::KillPairs, ListBox::SumKillList, ListBox::TwoStarKill}) {
        EXPECT_EQ(inputFeedback(box, "12 ４5 678").warning, kFullWidthDigitsWarning);
        EXPECT_TRUE(inputFeedback(box, "12 45 678").warning.empty());
    }
    EXPECT_FALSE(hasFullWidthDigit("\xEF\xBC"));      // cut short
    EXPECT_FALSE(hasFullWidthDigit("ＡＢ ｚ"));         // other full-width letters
    EXPECT_TRUE(hasFullWidthDigit("x\xEF\xBC\x99"));  // ９ at the very end

    // Runs longer than three in the number lists are read three digits at a time.
    const InputFeedback longRun = inputFeedback(ListBox::BaseList, "123 4567");
    EXPECT_EQ(longRun.warning, kLongDigitRunWarning);
    EXPECT_EQ(longRun.count, 3);  // 123, 456, 567
    EXPECT_TRUE(inputFeedback(ListBox::BaseList, "123 456 789").warning.empty());
    EXPECT_EQ(inputFeedback(ListBox::DirectNumbers, "1234 ５").warning,
              std::string(kFullWidthDigitsWarning) + "；" + std::string(kLongDigitRunWarning));
    EXPECT_TRUE(inputFeedback(ListBox::KillPairs, "1234").warning.empty());  // pairs read every two digits

    // The sum box: its hint alone reads nothing; the hint with numbers switches it off.
    EXPECT_EQ(inputFeedback(ListBox::SumKillList, kSumKillListHint).count, -1);
    EXPECT_TRUE(inputFeedback(ListBox::SumKillList, kSumKillListHint).warning.empty());
    const InputFeedback mixed = inputFeedback(ListBox::SumKillList, std::string(kSumKillListHint) + "\r\n3 5 17");
    EXPECT_EQ(mixed.warning, kHintMixedWarning);
    EXPECT_EQ(mixed.count, -1);
    EXPECT_EQ(inputFeedback(ListBox::SumKillList, "3, 5 17").info, "识别和值：3 5 17");
    EXPECT_EQ(inputFeedback(ListBox::SumKillList, "0 1 2 3 4 5 6 7 8 9 10 11").info, "识别 12 个和值");

    // A box that rules out everything because it reads nothing.
    EXPECT_EQ(inputFeedback(ListBox::MustPairs, "abc").warning, kNothingReadWarning);
    EXPECT_EQ(inputFeedback(ListBox::BaseList, "12 34").warning, kNothingReadWarning);
    EXPECT_EQ(inputFeedback(ListBox::BaseList, "315 316").info, "识别 2 个号码");
    EXPECT_EQ(inputFeedback(ListBox::JunkCompounds, "12*78*56\r\n1**5").info, "识别 1 行复式，共 8 注");
    EXPECT_EQ(inputFeedback(ListBox::KillPairs, "12 35 48 12").info, "识别 3 个两码");
}

TEST(ConditionMarksTest, PagesFollowTheRowsOverRandomStates) {
    StateMaker make(7);
    for (int round = 0; round < 300; ++round) {
        const MainConditions c = make.main(0.05);
        const ShrinkInputs in = shrinkInputs(c);
        const std::vector<SetCondition> set = setConditions(c);
        const auto pages = pagesWithConditions(set);
        std::array<bool, kTabPageCount> expected{};
        std::size_t listed = 0;
        for (int row = kFirstSourceRow; row <= kLastConditionRow; ++row) {
            if (!rowIsSet(row, in)) continue;
            ASSERT_LT(listed, set.size());
            EXPECT_EQ(set[listed].row, row);
            EXPECT_EQ(set[listed].name.rfind(std::string(rowName(row)), 0), 0u);
            ++listed;
            if (tabPageOfRow(row) >= 0) expected[static_cast<std::size_t>(tabPageOfRow(row))] = true;
        }
        EXPECT_EQ(listed, set.size());
        EXPECT_EQ(pages, expected);
    }
    EXPECT_TRUE(setConditions(MainConditions{}).empty());
    MainConditions two;
    two.positional.matchRules = {"百         大于         个", "十         小于         个"};
    ASSERT_EQ(setConditions(two).size(), 1u);
    EXPECT_EQ(setConditions(two)[0].name, "位置匹配(2条)");
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// A bound as players type it: plain numbers in and out of range, decimals,
// signs, blanks, full-width digits, letters before or after, nothing at all.
std::string randomBound(testing::StateMaker& make) {
    static const char* const pieces[] = {"", " ", "１９", "a8", "8a", "-3", "+5", "2.5", "1e1", "1e999", "\t7",
                                         "0", "27", "30", "12 ", " 1 9", ".", "abc", "１", "3.9999"};
    if (make.chance(0.4)) return std::to_string(make.below(35) - 3);
    std::string text = pieces[make.below(20)];
    if (make.chance(0.3)) text += pieces[make.below(20)];
    return text;
}

TEST(SumRangeFeedbackTest, ReadingAgreesWithTheEngineOverRandomBounds) {
    testing::StateMaker make(28);
    for (int round = 0; round < 3000; ++round) {
        const std::string lower = randomBound(make), upper = randomBound(make);
        DigitPropertyInputs in;
        in.sumLower = lower;
        in.sumUpper = upper;
        in.sumKillList.clear();
        const std::uint32_t kept = ~killedSums(in) & ((1u << 28) - 1);
        const InputFeedback f = sumRangeFeedback(lower, upper);
        SCOPED_TRACE("lower \"" + lower + "\" upper \"" + upper + "\"");
        // The sums the line names are the sums the run keeps.
        EXPECT_EQ(f.count, f.info.empty() && f.warning.empty() ? -1 : std::popcount(kept));
        if (kept == 0) {
            EXPECT_EQ(f.info, "");
            EXPECT_NE(f.warning.find("本框会排除全部号码"), std::string::npos);
        } else if (!f.info.empty()) {
            const std::string range = std::to_string(std::countr_zero(kept)) + "–" +
                                      std::to_string(31 - std::countl_zero(kept));
            EXPECT_EQ(f.info.rfind("识别和值 " + range, 0), 0u) << f.info;
        } else {
            EXPECT_EQ(kept, (1u << 28) - 1);  // silent only when nothing is ruled out
            EXPECT_TRUE(f.warning.empty());
        }
        // Every bound that is not a plain number says how it was read.
        for (const auto& [name, text] : {std::pair{"下限", lower}, std::pair{"上限", upper}}) {
            const bool plain = text.find_first_not_of("0123456789-+ \t") == std::string::npos &&
                               text.find_first_of("0123456789") != std::string::npos &&
                               text.find_first_of("-+", 1) == std::string::npos &&
                               text.find(' ', text.find_first_of("0123456789")) == std::string::npos &&
                               text.find('\t', text.find_first_of("0123456789")) == std::string::npos;
            if (plain) {
                // No piece says how this bound was read.
                const std::string pieces = "；" + f.warning;
                const std::size_t at = pieces.find(std::string("；") + name);
                EXPECT_TRUE(at == std::string::npos || pieces.compare(at, 21, "；下限大于上限") == 0) << f.warning;
            }
            if (text.empty()) {
                EXPECT_NE(f.warning.find(std::string(name) + "为空，读作 0"), std::string::npos);
            }
            if (text.find("１") != std::string::npos) {
                EXPECT_NE(f.warning.find(std::string(name) + "含全角数字"), std::string::npos);
            }
        }
    }
}

TEST(SumRangeFeedbackTest, WhatPlayersTypeIsExplained) {
    EXPECT_EQ(sumRangeFeedback("0", "27").info, "");
    EXPECT_EQ(sumRangeFeedback("3", "19").info, "识别和值 3–19");
    EXPECT_EQ(sumRangeFeedback("3", "19").warning, "");
    const InputFeedback backwards = sumRangeFeedback("19", "3");
    EXPECT_EQ(backwards.warning, "下限大于上限，本框会排除全部号码");
    EXPECT_EQ(sumRangeFeedback("0", "").warning, "上限为空，读作 0");
    EXPECT_EQ(sumRangeFeedback("１９", "27").warning, "下限含全角数字，读作 0");
    EXPECT_EQ(sumRangeFeedback("a8", "27").warning, "下限“a8”不是数字，读作 0");
    EXPECT_EQ(sumRangeFeedback("28", "40").warning, "范围内没有 0–27 的和值，本框会排除全部号码");
}

}  // namespace
}  // namespace tarnel
