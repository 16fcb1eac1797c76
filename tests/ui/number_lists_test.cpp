// The number-list controls on the main window: opening texts, hint labels,
// double-click clearing, and what a run leaves in the boxes.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"

namespace tarnel {
namespace {

class NumberListWindow : public ::testing::Test {
protected:
    RecordingUiServices services;
    MainWindow window{services};

    MultiLineBox* multi(const QString& name) {
        auto* box = window.findChild<MultiLineBox*>(name);
        EXPECT_NE(box, nullptr) << name.toStdString();
        return box;
    }
    MultiLineBox* multi(const char* name, int index) { return multi(indexedName(QString::fromUtf8(name), index)); }
    LineBox* pairBox(int k) {
        auto* box = window.findChild<LineBox*>(indexedName(QStringLiteral("T_lm_he"), k));
        EXPECT_NE(box, nullptr) << k;
        return box;
    }
    QGroupBox* page(int i) { return window.findChild<QGroupBox*>(indexedName(QStringLiteral("Frame_ding"), i)); }

    void run() { window.findChild<QPushButton*>(QStringLiteral("C_guolv_ks"))->click(); }
    QString output() { return multi(QStringLiteral("T_dadi_output"))->text(); }
    QString count() { return window.findChild<QLineEdit*>(QStringLiteral("T_dadi_zhushu"))->text(); }

    static QStringList labelTexts(QWidget* area) {
        QStringList texts;
        for (auto* label : area->findChildren<QLabel*>()) texts << label->text();
        return texts;
    }
    static bool isInside(QWidget* widget, QWidget* area) { return area && area->isAncestorOf(widget); }
};

struct ListBoxCase {
    const char* name;
    int index;  // -1: a single control
    int page;
    const char* openingText;
    std::vector<const char*> hints;
};
void PrintTo(const ListBoxCase& c, std::ostream* os) { *os << c.name << ' ' << c.index; }

class ListBoxes : public NumberListWindow, public ::testing::WithParamInterface<ListBoxCase> {
protected:
    MultiLineBox* box() {
        const auto& c = GetParam();
        return c.index < 0 ? multi(QString::fromUtf8(c.name)) : multi(c.name, c.index);
    }
};

TEST_P(ListBoxes, OpensWithItsHintOnItsPage) {
    const auto& c = GetParam();
    MultiLineBox* b = box();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), QString::fromUtf8(c.openingText));
    EXPECT_TRUE(isInside(b, page(c.page)));
    const QStringList labels = labelTexts(page(c.page));
    for (const char* hint : c.hints) EXPECT_TRUE(labels.contains(QString::fromUtf8(hint))) << hint;
}

TEST_P(ListBoxes, DoubleClickClears) {
    MultiLineBox* b = box();
    ASSERT_NE(b, nullptr);
    window.showTab(GetParam().page);
    window.show();
    b->setText(QStringLiteral("123 456\r\n7*8*9"));
    QTest::mouseDClick(b->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->text(), QString());
}

TEST_P(ListBoxes, RunLeavesTheTextAsTyped) {
    MultiLineBox* b = box();
    ASSERT_NE(b, nullptr);
    const QString typed = QStringLiteral("  ab,, 1x \r\n\r\n  ");
    b->setText(typed);
    run();
    EXPECT_EQ(b->text(), typed);
}

const std::vector<const char*> kPairHintLabels = {"输入格式", "12  35  48", "空格隔开", "双击清空"};
const std::vector<const char*> kPositionalHintLabels = {"输入格式：", "12  45  38", "空格隔开", "双击清空"};

INSTANTIATE_TEST_SUITE_P(
    Pages, ListBoxes,
    ::testing::Values(
        ListBoxCase{"T_main_shazhixuan", -1, 0, "不懂使用请看软件教程\r\n",
                    {"输入您认为", "不出的号", "如123  557", "双击清空"}},
        ListBoxCase{"T_main_laji_fushi", -1, 1, "不懂使用请看软件教程\r\n",
                    {"垃圾复式", "可多行", "12*78*56", "双击清空"}},
        ListBoxCase{"T_main_sha_2ma", -1, 2, "不懂使用请看软件教程\r\n", kPairHintLabels},
        ListBoxCase{"T_main_bichu_2ma", -1, 3, "", kPairHintLabels},
        ListBoxCase{"T_main_dw_sha", 0, 5, "按右边提示格\r\n式输入可定位\r\n杀两码组合\r\n",
                    {"【杀】百十", "输入格式：", "12  45  38", "空格隔开", "双击清空"}},
        ListBoxCase{"T_main_dw_sha", 1, 5, "", {"【杀】百个"}},
        ListBoxCase{"T_main_dw_sha", 2, 5, "", {"【杀】十个"}}),
    [](const auto& info) {
        return std::string(info.param.name) + (info.param.index < 0 ? "" : std::to_string(info.param.index));
    });

TEST_F(NumberListWindow, PagesCarryTheirCaptions) {
    const std::pair<int, const char*> captions[] = {{0, "杀直选"}, {1, "垃圾复式"}, {2, "杀2码"},
                                                    {3, "必出2码"}, {5, "定位杀2码"}, {7, "其它"}};
    for (const auto& [i, caption] : captions) EXPECT_EQ(page(i)->title(), QString::fromUtf8(caption)) << i;
}

TEST_F(NumberListWindow, SumDifferenceGridOpensWithLabelsAndHint) {
    for (int k = 0; k < 15; ++k) {
        ASSERT_NE(pairBox(k), nullptr);
        EXPECT_TRUE(isInside(pairBox(k), page(7))) << k;
        EXPECT_EQ(pairBox(k)->text(), k == 0 ? QStringLiteral("用空格隔开") : QString()) << k;
    }
    const QStringList labels = labelTexts(page(7));
    for (const char* row : {"两码和保留：", "两码和排除：", "两码差保留：", "两码差排除：", "两码合排除："})
        EXPECT_EQ(labels.count(QString::fromUtf8(row)), 1) << row;
    // Each column label stands in every row.
    for (const char* column : {"百十", "百个", "十个"}) EXPECT_EQ(labels.count(QString::fromUtf8(column)), 5) << column;
}

TEST_F(NumberListWindow, SumDifferenceBoxesClearOnDoubleClick) {
    window.showTab(7);
    window.show();
    for (int k = 0; k < 15; ++k) {
        pairBox(k)->setText(QStringLiteral("3 4"));
        QTest::mouseDClick(pairBox(k), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(pairBox(k)->text(), QString()) << k;
    }
}

TEST_F(NumberListWindow, HintFiltersNothingAndGoesAtTheFirstRun) {
    run();
    EXPECT_EQ(count(), QStringLiteral("1000"));
    EXPECT_EQ(pairBox(0)->text(), QString());
}

TEST_F(NumberListWindow, RunWritesBackCleanedValueLists) {
    const char* typed[15] = {"1,,2",  " 3 ",   "a",     "",       "０ 4",  "5、6\t7", "08x",  "  ",
                             "9;;10", "11 12", "用空格隔开", "13,",  ",14",   "1x5y",   "99999999999999999999"};
    const char* cleaned[15] = {"1 2", "3", "", "", "4", "5 6 7", "08", "", "9 10", "11 12", "", "13", "14",
                               "1 5", "99999999999999999999"};
    for (int k = 0; k < 15; ++k) pairBox(k)->setText(QString::fromUtf8(typed[k]));
    run();
    for (int k = 0; k < 15; ++k) EXPECT_EQ(pairBox(k)->text(), QString::fromUtf8(cleaned[k])) << k;
    // A second run leaves the cleaned lists as they are.
    run();
    for (int k = 0; k < 15; ++k) EXPECT_EQ(pairBox(k)->text(), QString::fromUtf8(cleaned[k])) << k;
}

TEST_F(NumberListWindow, SumKeepBoxesDecideTheResult) {
    pairBox(0)->setText(QStringLiteral("10"));
    pairBox(1)->setText(QStringLiteral("5"));
    run();
    EXPECT_EQ(output(), QStringLiteral("194 283 372 461 550"));
    EXPECT_EQ(count(), QStringLiteral("5"));
}

TEST_F(NumberListWindow, ListBoxesFilterTheRun) {
    multi(QStringLiteral("T_main_shazhixuan"))->setText(QStringLiteral("123  557"));
    // A line break typed into the box reaches the stage as CR LF, so these are two compounds.
    multi(QStringLiteral("T_main_laji_fushi"))->setText(QStringLiteral("12*78*56\n3*4*5"));
    multi(QStringLiteral("T_main_sha_2ma"))->setText(QStringLiteral("99"));
    multi("T_main_dw_sha", 2)->setText(QStringLiteral("00"));
    run();
    // 2 direct + 9 compound + 28 with two 9s + 10 ending in 00, no overlaps.
    EXPECT_EQ(count(), QStringLiteral("951"));
    const QString out = output();
    for (const char* gone : {"123", "557", "175", "286", "345", "199", "999", "100"})
        EXPECT_FALSE(out.contains(QString::fromUtf8(gone))) << gone;
}

TEST_F(NumberListWindow, MustContainLettersOnlyLeavesNothing) {
    multi(QStringLiteral("T_main_bichu_2ma"))->setText(QStringLiteral("abc"));
    run();
    EXPECT_EQ(count(), QStringLiteral("0"));
}

TEST_F(NumberListWindow, LongPastesAreKeptWhole) {
    QString manyValues;
    for (int i = 0; i < 100000; ++i) manyValues += QStringLiteral("7, ");
    manyValues += QStringLiteral("12");
    pairBox(13)->setText(manyValues);
    ASSERT_EQ(pairBox(13)->text().size(), manyValues.size());

    QString longList;
    for (int i = 0; i < 100000; ++i) longList += QStringLiteral("abc 不懂\r\n");
    longList += QStringLiteral("910");
    multi(QStringLiteral("T_main_shazhixuan"))->setText(longList);

    run();
    const QString shown = pairBox(13)->text();
    EXPECT_EQ(shown.size(), 100000 * 2 + 2);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("7 12")));
    EXPECT_EQ(multi(QStringLiteral("T_main_shazhixuan"))->text(), longList);
    EXPECT_FALSE(output().contains(QStringLiteral("910")));
    // H+U ends in 7, 1 or 2: 300 of 1000 go, and the listed 910.
    EXPECT_EQ(count(), QStringLiteral("699"));
}

}  // namespace
}  // namespace tarnel
