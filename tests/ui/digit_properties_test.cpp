// The digit-property controls on Fmain: captions, opening state, the
// "全"/"清" buttons, the toggle grids, and runs that read the controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"

namespace tarnel {
namespace {

constexpr quint32 kSelected = 0x80FFFF;
constexpr quint32 kNormal = 0xE0E0E0;

class DigitPanel : public ::testing::Test {
public:
    RecordingUiServices services;
    MainWindow w{services};

    template <class T>
    T* find(const QString& name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QCheckBox* check(const char* name, int i) { return find<QCheckBox>(indexedName(QString::fromLatin1(name), i)); }
    QPushButton* button(const char* name) { return find<QPushButton>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name, int i) {
        return find<QPushButton>(indexedName(QString::fromLatin1(name), i));
    }
    LineBox* line(const char* name) { return find<LineBox>(QString::fromLatin1(name)); }
    MultiLineBox* sumList() { return find<MultiLineBox>(QStringLiteral("T__hezhi_zhiding_sha")); }

    void run() { button("C_guolv_ks")->click(); }
    QString output() { return find<MultiLineBox>(QStringLiteral("T_dadi_output"))->text(); }
    int count() { return find<LineBox>(QStringLiteral("T_dadi_zhushu"))->text().toInt(); }
};

// ---- what the window shows ------------------------------------------------------

struct CheckRow {
    const char* name;
    QStringList captions;
};

QStringList digitCaptions(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out << QString::number(i);
    return out;
}

QStringList roadCaptions() {
    QStringList out;
    for (int i = 0; i < 27; ++i)
        out << QString::number(i / 9) + QString::number(i / 3 % 3) + QString::number(i % 3);
    return out;
}

TEST_F(DigitPanel, CheckRowsHaveTheirCaptionsAndStartUnticked) {
    const CheckRow rows[] = {
        {"Check_hewei_sha", digitCaptions(0, 9)},
        {"Check_kuadu_sha", digitCaptions(0, 9)},
        {"Check_danma_chu", digitCaptions(0, 9)},
        {"Check_danma_chu_geshu", {"1胆", "2胆", "3胆"}},
        {"Check_ac", digitCaptions(1, 3)},
        {"Check_pailie_daxiao", {"大大大", "大大小", "大小大", "大小小", "小小小", "小小大", "小大小", "小大大"}},
        {"Check_pailie_jiou", {"奇奇奇", "奇奇偶", "奇偶奇", "奇偶偶", "偶偶偶", "偶偶奇", "偶奇偶", "偶奇奇"}},
        {"Check_pailie_zhihe", {"质质质", "质质合", "质合质", "质合合", "合合合", "合合质", "合质合", "合质质"}},
        {"Check_012_paichu", roadCaptions()},
        {"Check_tebie_paichu", {"豹子", "组三", "组六", "不连", "2连", "3连", "上山", "下山", "凸型", "凹型"}},
    };
    for (const CheckRow& row : rows) {
        for (int i = 0; i < row.captions.size(); ++i) {
            QCheckBox* box = check(row.name, i);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), row.captions[i]) << row.name << i;
            EXPECT_EQ(box->checkState(), Qt::Unchecked) << row.name << i;
        }
        EXPECT_EQ(w.findChild<QCheckBox*>(indexedName(QString::fromLatin1(row.name), int(row.captions.size()))),
                  nullptr)
            << row.name << " has too many boxes";
    }
}

TEST_F(DigitPanel, LabelsAndFrames) {
    QStringList labels;
    for (const QLabel* l : w.findChildren<QLabel*>()) labels << l->text();
    for (const char* text : {"杀和尾", "杀跨度", "胆  码", "至少出胆个数", "(重复号码算一胆)", "和值范围：",
                             "下框输入指定杀的和值", "杀AC值:", "定位杀", "排除复式", "(点击号码表示删除)"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    // The AC row and the pattern frame each carry the tick note.
    EXPECT_EQ(labels.count(QStringLiteral("(打钩表示删除)")), 2);
    QStringList frame1Labels;
    for (const QLabel* l : find<QWidget>(QStringLiteral("Frame1"))->findChildren<QLabel*>()) frame1Labels << l->text();
    for (const char* row : {"百位", "十位", "个位"})
        EXPECT_EQ(frame1Labels.count(QString::fromUtf8(row)), 2) << row;  // one per grid

    QStringList frames;
    for (const QGroupBox* g : w.findChildren<QGroupBox*>()) frames << g->title();
    for (const char* title : {"杀形态排列", "012路排除", "特别排除"})
        EXPECT_TRUE(frames.contains(QString::fromUtf8(title))) << title;
}

TEST_F(DigitPanel, ButtonsHaveTheirCaptionsAndTheNormalColour) {
    const std::pair<const char*, const char*> single[] = {
        {"C_hewei_sha_all", "全"},     {"C_hewei_sha_cls", "清"},     {"C_kuadu_sha_all", "全"},
        {"C_kuadu_sha_cls", "清"},     {"C_danma_chu_all", "全"},     {"C_danma_chu_cls", "清"},
        {"C_pailie_daxiao_quan", "全"}, {"C_pailie_daxiao_cls", "清"}, {"C_pailie_jiou_quan", "全"},
        {"C_pailie_jiou_cls", "清"},   {"C_pailie_zhihe_quan", "全"}, {"C_pailie_zhihe_cls", "清"},
        {"C_012_paichu_all", "全"},    {"C_012_paichu_cls", "清"},    {"C_tebie_paichu_quan", "全"},
        {"C_tebie_paichu_cls", "清"},  {"C_zhongjiang_mijue", "中奖秘笈"}, {"C_shuoming[0]", "说明"},
        {"C_shuoming[2]", "说明"},
    };
    for (const auto& [name, caption] : single) {
        QPushButton* b = button(name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(caption)) << name;
        EXPECT_EQ(backColor(b), kNormal) << name;
    }
    for (const char* grid : {"C_fushi_paichu", "C_dingwei_sha"}) {
        for (int i = 0; i < 30; ++i) {
            QPushButton* b = button(grid, i);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), QString::number(i % 10));
            EXPECT_EQ(backColor(b), kNormal);
        }
        const QString rows = QString::fromLatin1(grid) + QStringLiteral("_all");
        for (int k = 0; k < 6; ++k) {
            QPushButton* b = find<QPushButton>(indexedName(rows, k));
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), k % 2 == 0 ? QStringLiteral("全") : QStringLiteral("清"));
        }
    }
}

TEST_F(DigitPanel, HelpButtonsSitInTheirFrames) {
    QWidget* frame1 = find<QWidget>(QStringLiteral("Frame1"));
    ASSERT_NE(frame1, nullptr);
    EXPECT_TRUE(frame1->isAncestorOf(button("C_shuoming", 0)));
    EXPECT_TRUE(frame1->isAncestorOf(button("C_dingwei_sha", 29)));
    EXPECT_TRUE(frame1->isAncestorOf(button("C_fushi_paichu", 0)));
    auto* special = qobject_cast<QGroupBox*>(button("C_shuoming", 2)->parentWidget());
    ASSERT_NE(special, nullptr);
    EXPECT_EQ(special->title(), QStringLiteral("特别排除"));
    auto* roads = qobject_cast<QGroupBox*>(button("C_zhongjiang_mijue")->parentWidget());
    ASSERT_NE(roads, nullptr);
    EXPECT_EQ(roads->title(), QStringLiteral("012路排除"));
}

TEST_F(DigitPanel, SumBoxesOpenWithTheirTexts) {
    EXPECT_EQ(line("T_hezhi_fanwei_1")->text(), QStringLiteral("0"));
    EXPECT_EQ(line("T_hezhi_fanwei_2")->text(), QStringLiteral("27"));
    EXPECT_EQ(sumList()->text(), QStringLiteral("格式:0 1 6 9 11 23 和值加空格隔开，双击清空"));
    run();
    EXPECT_EQ(count(), 1000);
}

// ---- "全" and "清" -----------------------------------------------------------------------

struct AllClear {
    const char* all;
    const char* clear;
    const char* row;
    int size;
};

class AllClearRow : public DigitPanel, public ::testing::WithParamInterface<AllClear> {};

TEST_P(AllClearRow, TicksAndUnticksTheWholeRowOnly) {
    const AllClear& p = GetParam();
    check(p.row, 1)->setCheckState(Qt::PartiallyChecked);
    check(p.row, p.size - 1)->setChecked(true);
    QCheckBox* bystander = check("Check_danma_chu_geshu", 0);
    QCheckBox* otherRow = check("Check_ac", 0);
    button(p.all)->click();
    for (int i = 0; i < p.size; ++i) EXPECT_EQ(check(p.row, i)->checkState(), Qt::Checked) << p.row << i;
    EXPECT_FALSE(bystander->isChecked());
    EXPECT_FALSE(otherRow->isChecked());

    bystander->setChecked(true);
    button(p.clear)->click();
    for (int i = 0; i < p.size; ++i) EXPECT_EQ(check(p.row, i)->checkState(), Qt::Unchecked) << p.row << i;
    EXPECT_TRUE(bystander->isChecked()) << "清 of " << p.row << " touched the banker count boxes";
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, AllClearRow,
    ::testing::Values(AllClear{"C_hewei_sha_all", "C_hewei_sha_cls", "Check_hewei_sha", 10},
                      AllClear{"C_kuadu_sha_all", "C_kuadu_sha_cls", "Check_kuadu_sha", 10},
                      AllClear{"C_danma_chu_all", "C_danma_chu_cls", "Check_danma_chu", 10},
                      AllClear{"C_pailie_daxiao_quan", "C_pailie_daxiao_cls", "Check_pailie_daxiao", 8},
                      AllClear{"C_pailie_jiou_quan", "C_pailie_jiou_cls", "Check_pailie_jiou", 8},
                      AllClear{"C_pailie_zhihe_quan", "C_pailie_zhihe_cls", "Check_pailie_zhihe", 8},
                      AllClear{"C_012_paichu_all", "C_012_paichu_cls", "Check_012_paichu", 27},
                      AllClear{"C_tebie_paichu_quan", "C_tebie_paichu_cls", "Check_tebie_paichu", 10}));

// ---- toggle grids ---------------------------------------------------------------------------

class GridRowButton : public DigitPanel, public ::testing::WithParamInterface<std::tuple<const char*, int>> {};

TEST_P(GridRowButton, SetsOneRowOfItsOwnGrid) {
    const char* grid = std::get<0>(GetParam());
    const char* other = std::string_view(grid) == "C_fushi_paichu" ? "C_dingwei_sha" : "C_fushi_paichu";
    const int k = std::get<1>(GetParam());
    // A mixed start: every third button selected, button 5 of each row some other colour.
    for (const char* g : {grid, other})
        for (int i = 0; i < 30; ++i)
            setBackColor(button(g, i), i % 10 == 5 ? 0x0000FFu : i % 3 == 0 ? kSelected : kNormal);
    button((std::string(grid) + "_all").c_str(), k)->click();
    const int row = k / 2;
    for (int i = 0; i < 30; ++i) {
        const quint32 before = i % 10 == 5 ? 0x0000FFu : i % 3 == 0 ? kSelected : kNormal;
        const quint32 expected = i / 10 == row ? (k % 2 == 0 ? kSelected : kNormal) : before;
        EXPECT_EQ(backColor(button(grid, i)), expected) << grid << " button " << i;
        EXPECT_EQ(backColor(button(other, i)), before) << other << " button " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(BothGrids, GridRowButton,
                         ::testing::Combine(::testing::Values("C_fushi_paichu", "C_dingwei_sha"),
                                            ::testing::Range(0, 6)));

TEST_F(DigitPanel, GridButtonClickSelectsUnlessExactlySelected) {
    for (const char* grid : {"C_fushi_paichu", "C_dingwei_sha"}) {
        QPushButton* b = button(grid, 17);
        b->click();
        EXPECT_EQ(backColor(b), kSelected);
        b->click();
        EXPECT_EQ(backColor(b), kNormal);
        for (quint32 odd : {0x0000FFu, 0x80FFFEu, 0x00FF00u}) {
            setBackColor(b, odd);
            b->click();
            EXPECT_EQ(backColor(b), kSelected) << std::hex << odd;
        }
    }
}

// ---- runs read the controls -------------------------------------------------------------------

struct RunCase {
    const char* name;
    std::function<void(DigitPanel&)> set;
    int survivors;
};

class ControlsFeedTheRun : public DigitPanel, public ::testing::WithParamInterface<RunCase> {
public:
    static void tick(DigitPanel& t, const char* row, std::initializer_list<int> boxes) {
        for (int i : boxes) t.check(row, i)->setChecked(true);
    }
    static void select(DigitPanel& t, const char* grid, std::initializer_list<int> buttons) {
        for (int i : buttons) t.button(grid, i)->click();
    }
};

TEST_P(ControlsFeedTheRun, SurvivorCount) {
    GetParam().set(*this);
    run();
    EXPECT_EQ(count(), GetParam().survivors);
    // A second run over the same controls gives the same result.
    run();
    EXPECT_EQ(count(), GetParam().survivors);
}

using C = ControlsFeedTheRun;
INSTANTIATE_TEST_SUITE_P(
    Stages, ControlsFeedTheRun,
    ::testing::Values(
        RunCase{"sum_tail", [](DigitPanel& t) { C::tick(t, "Check_hewei_sha", {3}); }, 900},
        RunCase{"span", [](DigitPanel& t) { C::tick(t, "Check_kuadu_sha", {5}); }, 850},
        RunCase{"banker", [](DigitPanel& t) { C::tick(t, "Check_danma_chu", {5}); }, 271},
        RunCase{"banker_two", [](DigitPanel& t) {
                    C::tick(t, "Check_danma_chu", {1, 2});
                    C::tick(t, "Check_danma_chu_geshu", {1});
                }, 54},
        RunCase{"banker_count_only", [](DigitPanel& t) { C::tick(t, "Check_danma_chu_geshu", {0, 1, 2}); }, 1000},
        RunCase{"sum_range", [](DigitPanel& t) {
                    t.line("T_hezhi_fanwei_1")->setText(QStringLiteral("10"));
                    t.line("T_hezhi_fanwei_2")->setText(QStringLiteral("17"));
                }, 560},
        RunCase{"sum_range_empty", [](DigitPanel& t) {
                    t.line("T_hezhi_fanwei_1")->setText(QString());
                    t.line("T_hezhi_fanwei_2")->setText(QString());
                }, 1},
        RunCase{"sum_list", [](DigitPanel& t) { t.sumList()->setText(QStringLiteral("0 27")); }, 998},
        RunCase{"sum_list_lines", [](DigitPanel& t) { t.sumList()->setText(QStringLiteral("1\r\n2")); }, 927},
        RunCase{"compound_grid", [](DigitPanel& t) { C::select(t, "C_fushi_paichu", {1, 2, 13, 24, 25}); }, 996},
        RunCase{"position_grid", [](DigitPanel& t) { C::select(t, "C_dingwei_sha", {1, 13}); }, 810},
        RunCase{"position_row", [](DigitPanel& t) { t.button("C_dingwei_sha_all", 4)->click(); }, 0},
        RunCase{"ac", [](DigitPanel& t) { C::tick(t, "Check_ac", {0}); }, 990},
        RunCase{"big_small", [](DigitPanel& t) { C::tick(t, "Check_pailie_daxiao", {0}); }, 875},
        RunCase{"odd_even", [](DigitPanel& t) { C::tick(t, "Check_pailie_jiou", {3, 4}); }, 750},
        RunCase{"prime_composite", [](DigitPanel& t) { C::tick(t, "Check_pailie_zhihe", {7}); }, 875},
        RunCase{"road", [](DigitPanel& t) { C::tick(t, "Check_012_paichu", {0, 13}); }, 909},
        RunCase{"forms", [](DigitPanel& t) { C::tick(t, "Check_tebie_paichu", {0, 5}); }, 930},
        RunCase{"shapes", [](DigitPanel& t) { C::tick(t, "Check_tebie_paichu", {6, 9}); }, 505},
        RunCase{"greyed_box_is_not_ticked",
                [](DigitPanel& t) { t.check("Check_hewei_sha", 3)->setCheckState(Qt::PartiallyChecked); }, 1000},
        RunCase{"near_yellow_is_not_selected",
                [](DigitPanel& t) { setBackColor(t.button("C_dingwei_sha", 3), 0x80FFFE); }, 1000},
        RunCase{"cleared_rows_kill_nothing", [](DigitPanel& t) {
                    for (const char* b : {"C_hewei_sha_all", "C_kuadu_sha_all", "C_pailie_jiou_quan",
                                          "C_012_paichu_all", "C_tebie_paichu_quan"})
                        t.button(b)->click();
                    for (int k = 0; k < 6; k += 2) t.button("C_fushi_paichu_all", k)->click();
                    for (const char* b : {"C_hewei_sha_cls", "C_kuadu_sha_cls", "C_pailie_jiou_cls",
                                          "C_012_paichu_cls", "C_tebie_paichu_cls"})
                        t.button(b)->click();
                    for (int k = 1; k < 6; k += 2) t.button("C_fushi_paichu_all", k)->click();
                }, 1000}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST_F(DigitPanel, TypicalRequest) {
    find<MultiLineBox>(QStringLiteral("T_jichu_dadi"))->setText(QStringLiteral("123 456 789 355"));
    check("Check_hewei_sha", 3)->setChecked(true);
    run();
    EXPECT_EQ(output(), QStringLiteral("123 456 789"));
    EXPECT_EQ(find<LineBox>(QStringLiteral("T_dadi_zhushu"))->text(), QStringLiteral("3"));
}

// ---- the sum boxes take any text -------------------------------------------------------------

class SumBoxText : public DigitPanel, public ::testing::WithParamInterface<QString> {};

TEST_P(SumBoxText, RunKeepsTheTextAndFinishes) {
    const QString text = GetParam();
    for (const char* name : {"T_hezhi_fanwei_1", "T_hezhi_fanwei_2"}) line(name)->setText(text);
    sumList()->setText(text);
    EXPECT_EQ(line("T_hezhi_fanwei_1")->text(), text);  // nothing was cut on the way in
    const QString listBefore = sumList()->text();
    run();
    EXPECT_EQ(line("T_hezhi_fanwei_1")->text(), text);
    EXPECT_EQ(line("T_hezhi_fanwei_2")->text(), text);
    EXPECT_EQ(sumList()->text(), listBefore);
    EXPECT_TRUE(button("C_guolv_ks")->isEnabled());
    EXPECT_GE(count(), 0);
    EXPECT_LE(count(), 1000);
}

INSTANTIATE_TEST_SUITE_P(
    AnyText, SumBoxText,
    ::testing::Values(QStringLiteral("1e999"), QStringLiteral("-1e999"), QStringLiteral("+-.e"),
                      QString(1 << 20, QLatin1Char('9')), QStringLiteral("１２３４"),
                      QString::fromUtf8("😀 值 3 \u200b 7"), QStringLiteral("12abc 5,6 ; 7"),
                      QStringLiteral("0.").append(QString(200000, QLatin1Char('0'))).append(QStringLiteral("1e200000")),
                      QString::fromUtf8("ゼロ 和 𝟘").repeated(20000)));

TEST_F(DigitPanel, HugeBoundsAreOrderly) {
    line("T_hezhi_fanwei_2")->setText(QStringLiteral("1e999"));
    run();
    EXPECT_EQ(count(), 1000);
    line("T_hezhi_fanwei_1")->setText(QString(1 << 20, QLatin1Char('9')));
    run();
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(output().startsWith(QStringLiteral("没有符合条件的号码")));
}

TEST_F(DigitPanel, DoubleClickClearsTheSumList) {
    MultiLineBox* box = sumList();
    QTest::mouseDClick(box->viewport(), Qt::LeftButton);
    EXPECT_EQ(box->text(), QString());
    // The range boxes keep their text on a double-click.
    QTest::mouseDClick(line("T_hezhi_fanwei_2"), Qt::LeftButton);
    EXPECT_EQ(line("T_hezhi_fanwei_2")->text(), QStringLiteral("27"));
}

}  // namespace
}  // namespace tarnel
