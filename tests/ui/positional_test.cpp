// Widget tests of the banker-group frame and the positional pages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/panels/positional_panel.h"
#include "ui/windows/main_window.h"

namespace tarnel {
namespace {

class PositionalUi : public ::testing::Test {
protected:
    template <class T = QWidget>
    T* get(const QString& name) {
        T* w = window.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <class T = QPushButton>
    T* at(const char* name, int index) {
        return get<T>(indexedName(QString::fromUtf8(name), index));
    }
    QPushButton* digit(int index) { return at("C_danzu", index); }
    QPushButton* count(int index) { return at("C_danzu_gs", index); }
    QCheckBox* bankerSwitch() { return get<QCheckBox>(QStringLiteral("Check_danzu_sx0")); }
    QCheckBox* repeats() { return get<QCheckBox>(QStringLiteral("Check_danma_jc")); }
    MultiLineBox* pairBox(int i) { return at<MultiLineBox>("T_main_dw2m", i); }
    QComboBox* combo(int i) { return at<QComboBox>("C_wz_pp", i); }
    QListWidget* rules() { return get<QListWidget>(QStringLiteral("L_wz_pp")); }
    static bool green(QWidget* w) { return backColor(w) == colors::kGreen; }

    // Runs the shrink and returns the count box.
    int run() {
        get<QPushButton>(QStringLiteral("C_guolv_ks"))->click();
        return get<QLineEdit>(QStringLiteral("T_dadi_zhushu"))->text().toInt();
    }
    QString result() { return get<MultiLineBox>(QStringLiteral("T_dadi_output"))->text(); }

    QStringList lines() {
        QStringList out;
        for (int i = 0; i < rules()->count(); ++i) out << rules()->item(i)->text();
        return out;
    }
    void addRule(const QString& a, const QString& rel, const QString& b) {
        combo(0)->setEditText(a);
        combo(1)->setEditText(rel);
        combo(2)->setEditText(b);
        at("C_wz_add", 0)->click();
    }

    RecordingUiServices services;
    MainWindow window{services};
};

// ---- 胆组 ------------------------------------------------------------------

TEST_F(PositionalUi, BankerFrameOpensOffWithEveryToggleGreyAndDisabled) {
    EXPECT_FALSE(bankerSwitch()->isChecked());
    for (int i = 0; i < 40; ++i) {
        EXPECT_FALSE(digit(i)->isEnabled()) << i;
        EXPECT_EQ(backColor(digit(i)), colors::kGrey) << i;
        EXPECT_EQ(digit(i)->text(), QString::number(i % 10));
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_FALSE(count(i)->isEnabled()) << i;
        EXPECT_EQ(count(i)->text(), QString::number(i % 4));
    }
    EXPECT_EQ(get<QLabel>(QStringLiteral("Label38"))->text(), QStringLiteral("胆码开出个数"));
    EXPECT_EQ(at("C_shuoming", 1)->text(), QStringLiteral("胆组说明"));
    EXPECT_NE(get(QStringLiteral("Frame2")), nullptr);
}

TEST_F(PositionalUi, MasterSwitchDisablesTheTogglesButNotClearOrAll) {
    bankerSwitch()->click();
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(digit(i)->isEnabled()) << i;
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(count(i)->isEnabled()) << i;
    digit(13)->click();
    EXPECT_TRUE(green(digit(13)));

    bankerSwitch()->setChecked(false);  // set from code: same behaviour as a click
    for (int i = 0; i < 40; ++i) EXPECT_FALSE(digit(i)->isEnabled()) << i;
    for (int i = 0; i < 16; ++i) EXPECT_FALSE(count(i)->isEnabled()) << i;
    EXPECT_TRUE(green(digit(13)));  // colours stay
    for (int g = 0; g < 4; ++g) {
        EXPECT_TRUE(at("C_danzu_cls", g)->isEnabled());
        EXPECT_TRUE(at("C_danzu_quan", g)->isEnabled());
    }
    EXPECT_TRUE(repeats()->isEnabled());
    EXPECT_TRUE(at("C_shuoming", 1)->isEnabled());

    // "全" and "清" still recolour a disabled row.
    at("C_danzu_quan", 2)->click();
    for (int k = 0; k < 10; ++k) EXPECT_TRUE(green(digit(20 + k)));
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(green(count(8 + c)));
    EXPECT_FALSE(green(digit(30)));
    EXPECT_FALSE(green(count(4)));
    at("C_danzu_cls", 1)->click();
    EXPECT_FALSE(green(digit(13)));
    EXPECT_TRUE(green(digit(20)));
    at("C_danzu_cls", 2)->click();
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(green(digit(20 + k)));
    for (int c = 0; c < 4; ++c) EXPECT_FALSE(green(count(8 + c)));
}

TEST_F(PositionalUi, CountAboveChosenDigitsIsRefused) {
    bankerSwitch()->click();
    digit(4)->click();
    digit(5)->click();
    count(3)->click();
    const auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("错误提示"));
    EXPECT_EQ(shown[0].text, QStringLiteral("出胆个数不能大于选胆个数"));
    EXPECT_FALSE(green(count(3)));

    count(2)->click();
    EXPECT_TRUE(green(count(2)));
    count(0)->click();
    EXPECT_TRUE(green(count(0)));
    EXPECT_TRUE(services.takeMessages().isEmpty());
    // Deselecting is always allowed, even after the digits are gone.
    at("C_danzu_quan", 1)->click();
    digit(4)->click();
    digit(5)->click();
    count(2)->click();
    EXPECT_FALSE(green(count(2)));
    EXPECT_TRUE(services.takeMessages().isEmpty());
}

TEST_F(PositionalUi, CountCheckLooksOnlyAtItsOwnGroup) {
    bankerSwitch()->click();
    for (int k = 0; k < 5; ++k) digit(k)->click();  // group 0
    count(4 + 1)->click();                          // group 1 count 1, no digit there
    EXPECT_FALSE(green(count(5)));
    EXPECT_EQ(services.takeMessages().size(), 1);
    digit(17)->click();
    count(5)->click();
    EXPECT_TRUE(green(count(5)));
}

TEST_F(PositionalUi, WithRepeatsACountAboveTheDigitsIsAccepted) {
    bankerSwitch()->click();
    repeats()->click();
    digit(9)->click();
    count(3)->click();
    EXPECT_TRUE(green(count(3)));
    EXPECT_TRUE(services.takeMessages().isEmpty());
    count(3)->click();
    EXPECT_FALSE(green(count(3)));
    count(3)->click();
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(result(), QStringLiteral("999"));
}

TEST_F(PositionalUi, BankerGroupsTakePartInTheRun) {
    bankerSwitch()->click();
    digit(9)->click();
    count(1)->click();
    EXPECT_EQ(run(), 271);
    repeats()->click();
    EXPECT_EQ(run(), 243);
    bankerSwitch()->click();
    EXPECT_EQ(run(), 1000);
}

// ---- 位置匹配 --------------------------------------------------------------

TEST_F(PositionalUi, MatchCombosHoldTheirItemsAndDefaults) {
    const QStringList positions = {QStringLiteral("百"), QStringLiteral("十"), QStringLiteral("个")};
    const QStringList relations = {QStringLiteral("大于"), QStringLiteral("小于"), QStringLiteral("等于"),
                                   QStringLiteral("大于等于"), QStringLiteral("小于等于"), QStringLiteral("不等于")};
    auto items = [](QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out;
    };
    auto check = [&] {
        EXPECT_EQ(items(combo(0)), positions);
        EXPECT_EQ(items(combo(1)), relations);
        EXPECT_EQ(items(combo(2)), positions);
        EXPECT_EQ(combo(0)->currentText(), QStringLiteral("百"));
        EXPECT_EQ(combo(1)->currentText(), QStringLiteral("大于"));
        EXPECT_EQ(combo(2)->currentText(), QStringLiteral("个"));
    };
    check();
    combo(0)->setCurrentIndex(2);
    combo(1)->setEditText(QStringLiteral("随便"));
    // Typed text followed by Enter never becomes an item.
    QTest::keyClick(combo(2)->lineEdit(), Qt::Key_Return);
    combo(2)->setEditText(QStringLiteral("千"));
    QTest::keyClick(combo(2)->lineEdit(), Qt::Key_Return);
    auto* panel = window.findChild<PositionalPanel*>();
    ASSERT_NE(panel, nullptr);
    panel->fillMatchCombos();
    check();
    panel->fillMatchCombos();
    check();
}

TEST_F(PositionalUi, AddBuildsTheRuleLineFromTheShownTexts) {
    EXPECT_EQ(backColor(at("C_wz_add", 0)), colors::kPaleGreen);
    EXPECT_EQ(backColor(at("C_wz_add", 1)), colors::kLightYellow);
    EXPECT_EQ(at("C_wz_add", 0)->text(), QStringLiteral("添加"));
    EXPECT_EQ(at("C_wz_add", 1)->text(), QStringLiteral("删除"));
    EXPECT_EQ(get<QLabel>(QStringLiteral("Label50"))->text(), QStringLiteral("输入此条件表示号码将"));
    EXPECT_EQ(get<QLabel>(QStringLiteral("Label51"))->text(), QStringLiteral("从此条件的范围内开出"));

    at("C_wz_add", 0)->click();
    at("C_wz_add", 0)->click();
    addRule(QStringLiteral("3"), QStringLiteral("我的"), QStringLiteral(""));
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("百         大于         个"), QStringLiteral("百         大于         个"),
                                    QStringLiteral("3         我的         ")}));
    EXPECT_EQ(rules()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(PositionalUi, DeleteRemovesEverySelectedLineKeepingTheOrder) {
    const QString rel[6] = {QStringLiteral("大于"), QStringLiteral("小于"), QStringLiteral("等于"),
                            QStringLiteral("大于等于"), QStringLiteral("小于等于"), QStringLiteral("不等于")};
    for (const QString& r : rel) addRule(QStringLiteral("百"), r, QStringLiteral("十"));
    const QStringList before = lines();
    at("C_wz_add", 1)->click();  // nothing selected
    EXPECT_EQ(lines(), before);

    for (int row : {0, 2, 5}) rules()->item(row)->setSelected(true);
    at("C_wz_add", 1)->click();
    EXPECT_EQ(lines(), (QStringList{before[1], before[3], before[4]}));
    rules()->selectAll();
    at("C_wz_add", 1)->click();
    EXPECT_EQ(rules()->count(), 0);
}

TEST_F(PositionalUi, RulesTakePartInTheRun) {
    EXPECT_EQ(run(), 1000);
    at("C_wz_add", 0)->click();  // 百 大于 个
    EXPECT_EQ(run(), 450);
    addRule(QStringLiteral("百"), QStringLiteral("小于"), QStringLiteral("个"));
    EXPECT_EQ(run(), 900);
    rules()->item(0)->setSelected(true);
    at("C_wz_add", 1)->click();
    EXPECT_EQ(run(), 450);
}

TEST_F(PositionalUi, FreeTextInTheCombosNeverStopsTheRun) {
    const QString odd[] = {QString(), QStringLiteral("十"), QStringLiteral("只有中文"), QStringLiteral("9"),
                           QStringLiteral("4444"), QString(5000, QChar(0x4E00)), QStringLiteral("😀")};
    for (const QString& a : odd)
        for (const QString& b : odd) addRule(a, b, a);
    EXPECT_EQ(rules()->count(), 49);
    // None of these lines names a position pair with a relation word, so no
    // rule ever holds and nothing survives.
    EXPECT_EQ(run(), 0);
    addRule(QStringLiteral("十"), QStringLiteral("等于"), QStringLiteral("十"));
    EXPECT_EQ(run(), 1000);
}

TEST_F(PositionalUi, ThousandsOfRulesAreAcceptedAndApplied) {
    for (int i = 0; i < 2000; ++i) at("C_wz_add", 0)->click();
    addRule(QStringLiteral("十"), QStringLiteral("等于"), QStringLiteral("个"));
    EXPECT_EQ(rules()->count(), 2001);
    EXPECT_EQ(run(), 450 + 55);  // h > u, or t = u with h <= u
}

// ---- 定位2码 ---------------------------------------------------------------

TEST_F(PositionalUi, PairBoxesOpenWithTheHintAndAreRewrittenByTheRun) {
    EXPECT_EQ(pairBox(0)->text(), QStringLiteral("按右边提示格\r\n式输入可定位\r\n两码组合\r\n"));
    EXPECT_EQ(pairBox(1)->text(), QString());
    EXPECT_EQ(pairBox(2)->text(), QString());
    EXPECT_EQ(run(), 1000);
    EXPECT_EQ(pairBox(0)->text(), QString());

    pairBox(0)->setText(QStringLiteral("1a2  b3"));
    pairBox(1)->setText(QStringLiteral("  14\r\n\r\n19 ,  xyz\r\n"));
    pairBox(2)->setText(QStringLiteral("胆"));
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(result(), QStringLiteral("124 129"));
    EXPECT_EQ(pairBox(0)->text(), QStringLiteral("12 3"));
    EXPECT_EQ(pairBox(1)->text(), QStringLiteral("14 19"));
    EXPECT_EQ(pairBox(2)->text(), QString());
}

TEST_F(PositionalUi, DoubleClickClearsAPairBox) {
    for (int i = 0; i < 3; ++i) {
        pairBox(i)->setText(QStringLiteral("12 34"));
        QTest::mouseDClick(pairBox(i)->viewport(), Qt::LeftButton);
        EXPECT_EQ(pairBox(i)->text(), QString()) << i;
    }
}

TEST_F(PositionalUi, MegabytePasteInAPairBox) {
    QString big;
    big.reserve(3'000'000);
    for (int i = 0; i < 250'000; ++i) big += QStringLiteral("12 x45\r\n");
    pairBox(0)->setText(big);
    EXPECT_EQ(run(), 20);
    const QString cleaned = pairBox(0)->text();
    EXPECT_TRUE(cleaned.startsWith(QStringLiteral("12 45 12 45")));
    EXPECT_EQ(cleaned.size(), 250'000 * 6 - 1);
    // The cleaned text is stable: a second run leaves it as it is.
    EXPECT_EQ(run(), 20);
    EXPECT_EQ(pairBox(0)->text().size(), cleaned.size());
}

// ---- 定位容对 --------------------------------------------------------------

TEST_F(PositionalUi, GridButtonsToggleAndFeedTheRun) {
    for (int i = 0; i < 34; ++i) {
        EXPECT_EQ(backColor(at("C_3d_dwrd", i)), colors::kGrey) << i;
        EXPECT_EQ(at("C_3d_dwrd", i)->text(), QString::number(i < 30 ? i % 10 : i - 30));
    }
    at("C_3d_dwrd", 1)->click();
    at("C_3d_dwrd", 12)->click();
    EXPECT_TRUE(green(at("C_3d_dwrd", 1)));
    EXPECT_EQ(run(), 190);
    at("C_3d_dwrd", 23)->click();
    at("C_3d_dwrd", 33)->click();
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(result(), QStringLiteral("123"));
    at("C_3d_dwrd", 33)->click();
    EXPECT_FALSE(green(at("C_3d_dwrd", 33)));
    at("C_3d_dwrd", 30)->click();
    EXPECT_EQ(run(), 729);
}

TEST_F(PositionalUi, GridAllAndClear) {
    EXPECT_EQ(at("C_3d_dw2m_cls", 0)->text(), QStringLiteral("全"));
    EXPECT_EQ(at("C_3d_dw2m_cls", 1)->text(), QStringLiteral("清"));
    at("C_3d_dw2m_cls", 0)->click();
    for (int i = 0; i < 34; ++i) EXPECT_TRUE(green(at("C_3d_dwrd", i))) << i;
    EXPECT_EQ(run(), 1000);
    at("C_3d_dwrd", 5)->click();  // hundreds 5 off: a hundreds 5 gives two hits, still kept
    EXPECT_EQ(run(), 1000);
    at("C_3d_dw2m_cls", 1)->click();
    for (int i = 0; i < 34; ++i) EXPECT_FALSE(green(at("C_3d_dwrd", i))) << i;
    at("C_3d_dwrd", 31)->click();  // a count alone does nothing
    EXPECT_EQ(run(), 1000);
}

// ---- 任意两码合保留 --------------------------------------------------------

TEST_F(PositionalUi, AnyTwoSumTailRow) {
    EXPECT_EQ(get<QLabel>(QStringLiteral("Label3[1]"))->text(), QStringLiteral("任意两码合保留"));
    EXPECT_EQ(at("C_ry2m_cls", 0)->text(), QStringLiteral("全"));
    EXPECT_EQ(at("C_ry2m_cls", 1)->text(), QStringLiteral("清"));
    EXPECT_EQ(at("C_ry2m_cls", 2)->text(), QStringLiteral("说明"));
    at("C_ry2m_he", 0)->click();
    EXPECT_TRUE(green(at("C_ry2m_he", 0)));
    const int zeroOnly = run();
    EXPECT_LT(zeroOnly, 1000);
    const QStringList kept = result().split(QLatin1Char(' '));
    for (const char* v : {"000", "190", "505", "055"}) EXPECT_TRUE(kept.contains(QString::fromLatin1(v))) << v;
    EXPECT_FALSE(kept.contains(QStringLiteral("123")));

    at("C_ry2m_cls", 0)->click();
    for (int k = 0; k < 10; ++k) EXPECT_TRUE(green(at("C_ry2m_he", k)));
    EXPECT_EQ(run(), 1000);
    at("C_ry2m_cls", 1)->click();
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(green(at("C_ry2m_he", k)));
    at("C_ry2m_he", 8)->click();
    run();
    EXPECT_TRUE(result().split(QLatin1Char(' ')).contains(QStringLiteral("990")));
    EXPECT_TRUE(services.messages().isEmpty());
}

}  // namespace
}  // namespace tarnel
