// What the windows tell the player about the conditions: the feedback line
// beside each list box, the marks on tab buttons whose page holds a set
// condition, the summary under the result, and undoing a double-click clear
// or "清空所有条件".

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/widgets/controls.h"
#include "main_window_fixture.h"
#include "core/state/condition_marks.h"
#include "ui/widgets/condition_summary.h"
#include "ui/widgets/feedback_line.h"
#include "core/state/shrink.h"
#include "support/random_state.h"
#include "ui/windows/two_star_window.h"
#include "core/rules/digit_properties.h"
#include "core/state/input_feedback.h"

#include <bit>

namespace tarnel {
namespace {

using testing::StateMaker;

class FeedbackTest : public MainWindowFixture {
protected:
    FeedbackLine* feedbackOf(const QString& box) { return get<FeedbackLine>(box + QStringLiteral(".feedback")); }
    QPushButton* tab(int i) { return get<QPushButton>(indexedName(QStringLiteral("C_ding_anniu"), i)); }
    int rowKills(int row1) { return static_cast<int>(rowKillSet(row1 - 1, shrinkInputs(w.conditions())).count()); }
};

TEST_F(FeedbackTest, LinesShowTheEngineCountsOnceTypingSettles) {
    StateMaker make(11);
    MultiLineBox* base = get<MultiLineBox>("T_jichu_dadi");
    MultiLineBox* direct = get<MultiLineBox>("T_main_shazhixuan");
    MultiLineBox* pairs = get<MultiLineBox>("T_main_dw2m[1]");
    for (int round = 0; round < 40; ++round) {
        const std::string text = make.chance(0.2) ? make.anyText(true) : make.numberList(3, 1 + make.below(60), true);
        base->setText(fromStd(text));
        direct->setText(fromStd(text));
        pairs->setText(fromStd(make.numberList(2, make.below(20), true)));
        for (const char* name : {"T_jichu_dadi", "T_main_shazhixuan", "T_main_dw2m[1]"}) feedbackOf(name)->refresh();
        const MainConditions& now = w.conditions();
        const bool baseSet = rowIsSet(3, shrinkInputs(now));
        EXPECT_EQ(feedbackOf("T_jichu_dadi")->feedback().count, baseSet ? 1000 - rowKills(3) : -1);
        EXPECT_EQ(std::max(feedbackOf("T_main_shazhixuan")->feedback().count, 0), rowKills(4));
        const int pairCount = feedbackOf("T_main_dw2m[1]")->feedback().count;
        EXPECT_EQ(rowKills(12), pairCount >= 0 ? 1000 - 10 * pairCount : 0);
    }

    // Typing: nothing is read per keystroke, the line follows once the box is quiet.
    base->setText(QString());
    feedbackOf("T_jichu_dadi")->refresh();
    base->setFocus();
    QTest::keyClicks(base, QStringLiteral("315 316 "));
    base->insertPlainText(QStringLiteral("１２３"));  // pasted
    EXPECT_TRUE(feedbackOf("T_jichu_dadi")->feedback().info.empty());
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(feedbackOf("T_jichu_dadi")->feedback().info),
                              QStringLiteral("识别 2 个号码"), 2000);
    EXPECT_EQ(feedbackOf("T_jichu_dadi")->feedback().warning, kFullWidthDigitsWarning);
    EXPECT_TRUE(feedbackOf("T_jichu_dadi")->text().contains(QStringLiteral("含全角数字")));
}

TEST_F(FeedbackTest, TabMarksAndSummaryFollowTheStateOverRandomStates) {
    StateMaker make(5);
    QString captions[kTabPageCount];
    quint32 colours[kTabPageCount];
    for (int i = 0; i < kTabPageCount; ++i) captions[i] = tab(i)->text(), colours[i] = backColor(tab(i));
    auto* summary = get<ConditionSummary>("L_yishe_tiaojian");
    for (int round = 0; round < 60; ++round) {
        const MainConditions state = make.main(0.08);
        w.applyConditions(state);
        w.conditionsSettled();
        const std::vector<SetCondition> set = setConditions(state);
        const auto pages = pagesWithConditions(set);
        for (int i = 0; i < kTabPageCount; ++i) {
            EXPECT_EQ(isTabMarked(tab(i)), pages[static_cast<std::size_t>(i)]) << "tab " << i;
            EXPECT_EQ(tab(i)->text(), captions[i]);
            EXPECT_EQ(backColor(tab(i)), colours[i]);
        }
        QString expected = set.empty() ? QStringLiteral("已设条件：无") : QStringLiteral("已设条件：");
        for (std::size_t k = 0; k < set.size(); ++k) expected += (k ? QStringLiteral("、") : QString()) + fromStd(set[k].name);
        EXPECT_EQ(summary->summaryText(), expected);
    }
    // Typing marks the page once the burst settles.
    w.applyConditions(MainConditions{});
    w.conditionsSettled();
    EXPECT_FALSE(isTabMarked(tab(2)));
    QTest::keyClicks(get<MultiLineBox>("T_main_sha_2ma"), QStringLiteral("12"));
    QTRY_VERIFY_WITH_TIMEOUT(isTabMarked(tab(2)), 2000);
    EXPECT_TRUE(summary->summaryText().contains(QStringLiteral("杀2码")));

    // A name in the summary leads to its page.
    MainConditions rules;
    rules.positional.matchRules = {"百         大于         个"};
    w.applyConditions(rules);
    w.conditionsSettled();
    emit summary->linkActivated(QStringLiteral("page:8"));
    EXPECT_FALSE(get<QWidget>("Frame_ding[8]")->isHidden());
    EXPECT_TRUE(get<QWidget>("Frame_ding[0]")->isHidden());
    EXPECT_EQ(backColor(tab(8)), colors::kLightGreen);
}

TEST_F(FeedbackTest, DoubleClickClearsAreUndoneByCtrlZ) {
    StateMaker make(3);
    const char* const boxes[] = {"T_jichu_dadi", "T_main_shazhixuan", "T_main_laji_fushi", "T_main_sha_2ma",
                                 "T_main_bichu_2ma", "T_main_dw_sha[2]", "T_main_dw2m[0]", "T_lm_he[4]",
                                 "T__hezhi_zhiding_sha"};
    for (int round = 0; round < 30; ++round) {
        w.applyConditions(make.main(0.3));
        const char* name = boxes[make.below(9)];
        SCOPED_TRACE(name);
        const MainConditions before = w.conditions();
        QWidget* box = get<QWidget>(QString::fromUtf8(name));
        if (auto* multi = qobject_cast<MultiLineBox*>(box)) {
            const QString text = multi->text();
            QTest::mouseDClick(multi->viewport(), Qt::LeftButton);
            EXPECT_EQ(multi->text(), QString());
            QTest::keyClick(multi, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(multi->text(), text);
        } else {
            auto* line = qobject_cast<LineBox*>(box);
            ASSERT_TRUE(line);
            const QString text = line->text();
            QTest::mouseDClick(line, Qt::LeftButton);
            EXPECT_EQ(line->text(), QString());
            QTest::keyClick(line, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(line->text(), text);
        }
        EXPECT_TRUE(w.conditions() == before);
    }
}

TEST_F(FeedbackTest, RestoreAllIsUndoneFromTheEditMenu) {
    StateMaker make(17);
    QAction* undo = w.undoRestoreAction();
    ASSERT_TRUE(undo);
    EXPECT_FALSE(undo->isEnabled());
    auto* clearAll = get<QPushButton>("C_all_cls");
    for (int round = 0; round < 20; ++round) {
        const MainConditions before = make.main(0.2);
        w.applyConditions(before);
        clearAll->click();
        EXPECT_TRUE(w.conditions() == restoredConditions(before));
        EXPECT_TRUE(undo->isEnabled());
        if (round % 2) {
            // A second restore keeps the state of just before it.
            get<MultiLineBox>("T_main_sha_2ma")->setText(QStringLiteral("12"));
            const MainConditions between = w.conditions();
            clearAll->click();
            undo->trigger();
            EXPECT_TRUE(w.conditions() == between);
        } else {
            undo->trigger();
            EXPECT_TRUE(w.conditions() == before);
        }
        EXPECT_FALSE(undo->isEnabled());
    }
}

TEST_F(FeedbackTest, TwoStarBoxesGiveFeedbackAndUndoTheirClear) {
    TwoStarWindow* two = w.openTwoStar();
    auto* base = two->findChild<MultiLineBox*>(QStringLiteral("T_2d_dd[0]"));
    auto* line = two->findChild<FeedbackLine*>(QStringLiteral("T_2d_dd[0].feedback"));
    ASSERT_TRUE(base && line);
    base->setText(QStringLiteral("12 34 56 12"));
    line->refresh();
    EXPECT_EQ(line->feedback().info, "识别 3 个两码");
    QTest::mouseDClick(base->viewport(), Qt::LeftButton);
    EXPECT_EQ(base->text(), QString());
    QTest::keyClick(base, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(base->text(), QStringLiteral("12 34 56 12"));
    EXPECT_EQ(two->conditions().baseList, "12 34 56 12");
}

TEST_F(FeedbackTest, SumRangeLineFollowsBothBoundsAsTheEngineReadsThem) {
    StateMaker make(69);
    auto* lower = get<LineBox>("T_hezhi_fanwei_1");
    auto* upper = get<LineBox>("T_hezhi_fanwei_2");
    auto* line = get<FeedbackLine>("T_hezhi_fanwei.feedback");
    static const char* const odd[] = {"", "１９", "a8", "-1", "2.5", "40", " 9", "1e999"};
    for (int round = 0; round < 60; ++round) {
        const auto bound = [&] {
            return make.chance(0.5) ? QString::number(make.below(32) - 2) : QString::fromUtf8(odd[make.below(8)]);
        };
        lower->setText(bound());
        if (make.chance(0.7)) upper->setText(bound());
        line->refresh();
        // What the run reads from the same boxes.
        DigitPropertyInputs range = w.conditions().digits;
        range.sumKillList.clear();
        const int kept = std::popcount(~killedSums(range) & ((1u << 28) - 1));
        const InputFeedback& f = line->feedback();
        EXPECT_EQ(f, sumRangeFeedback(toStd(lower->text()), toStd(upper->text())));
        EXPECT_EQ(f.count, f.info.empty() && f.warning.empty() ? -1 : kept);
        if (f.info.empty() && f.warning.empty()) {
            EXPECT_EQ(kept, 28);
        }
        if (kept == 0) {
            EXPECT_TRUE(line->toolTip().contains(QStringLiteral("本框会排除全部号码")));
        }
    }
    // Typing settles into a reading, as in the other boxes.
    lower->setText(QStringLiteral("0"));
    upper->setText(QStringLiteral("27"));
    line->refresh();
    EXPECT_TRUE(line->feedback().info.empty());
    upper->clear();
    QTest::keyClicks(upper, QStringLiteral("a8"));
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(line->feedback().warning),
                              QStringLiteral("上限“a8”不是数字，读作 0"), 2000);
}

}  // namespace
}  // namespace tarnel
