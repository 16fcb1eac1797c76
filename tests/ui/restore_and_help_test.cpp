// The main window as a whole: restore-all, the defaults, the help buttons
// and the hover colours.

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "core/analysis/help_texts.h"
#include "main_window_fixture.h"
#include "ui/windows/main_window.h"

namespace tarnel {
namespace {

class WholeWindowTest : public MainWindowFixture {
protected:
    void click(const QString& name) {
        if (auto* b = get<QAbstractButton>(name)) b->click();
    }
    void type(const QString& name, const QString& text) {
        if (auto* m = w.findChild<MultiLineBox*>(name))
            m->setText(text);
        else if (auto* e = get<QLineEdit>(name))
            e->setText(text);
    }
    QString run() {
        click("C_guolv_ks");
        return get<LineBox>("T_dadi_zhushu")->text();
    }

    // Every named control's state, one line each, in a fixed order.
    std::string snapshot() {
        QStringList lines;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            const QString n = c->objectName();
            if (n.isEmpty() || n.startsWith("qt_")) continue;
            QString s = n + " ";
            if (auto* m = qobject_cast<MultiLineBox*>(c)) s += "text=" + m->text();
            else if (auto* e = qobject_cast<QLineEdit*>(c)) s += "text=" + e->text();
            else if (auto* k = qobject_cast<QCheckBox*>(c)) s += QString("value=%1").arg(k->checkState());
            else if (auto* cb = qobject_cast<QComboBox*>(c)) {
                s += "current=" + cb->currentText() + " items=";
                for (int i = 0; i < cb->count(); ++i) s += cb->itemText(i) + "|";
            } else if (auto* l = qobject_cast<QListWidget*>(c)) {
                for (int i = 0; i < l->count(); ++i) s += l->item(i)->text() + "|";
            }
            s += QString(" color=%1 enabled=%2 hidden=%3").arg(backColor(c)).arg(c->isEnabled()).arg(c->isHidden());
            lines << s;
        }
        lines.sort();
        return lines.join("\n").toStdString();
    }

    // Sets a condition in every family, so that a restore has work to do.
    void setManyConditions() {
        type("T_main_shazhixuan", "123 557");
        type("T_main_laji_fushi", "12*78*56");
        type("T_main_sha_2ma", "12");
        type("T_main_bichu_2ma", "35");
        type("T_main_dw_sha[1]", "59");
        for (int i = 0; i < 15; ++i) type(indexedName("T_lm_he", i), "3 5");
        click("C_hewei_sha_all");
        click("C_kuadu_sha_all");
        click("C_danma_chu_all");
        for (int i = 0; i < 3; ++i) get<QCheckBox>(indexedName("Check_danma_chu_geshu", i))->setChecked(true);
        for (int i = 0; i < 3; ++i) get<QCheckBox>(indexedName("Check_ac", i))->setChecked(true);
        type("T_hezhi_fanwei_1", "20");
        type("T_hezhi_fanwei_2", "3");
        type("T__hezhi_zhiding_sha", "1 2 3");
        for (int i = 0; i < 30; i += 3) click(indexedName("C_fushi_paichu", i));
        for (int i = 0; i < 30; i += 4) click(indexedName("C_dingwei_sha", i));
        for (const char* row : {"C_pailie_daxiao_quan", "C_pailie_jiou_quan", "C_pailie_zhihe_quan",
                                "C_tebie_paichu_quan", "C_012_paichu_all"})
            click(QString::fromLatin1(row));
        get<QCheckBox>("Check_danzu_sx0")->setChecked(true);
        click("C_danzu[3]");
        click("C_danzu[15]");
        click("C_danzu_gs[1]");
        click("C_wz_add[0]");
        click("C_wz_add[0]");
        type("T_main_dw2m[0]", "12 45");
        click("C_3d_dwrd[4]");
        click("C_ry2m_cls[0]");
        type("T_jichu_dadi", "123 456");
        get<QComboBox>("C_wz_pp[1]")->setEditText("typed");
    }
};

TEST_F(WholeWindowTest, OpensWithPageZeroAndAllBankerButtonsDisabled) {
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(get<QGroupBox>(indexedName("Frame_ding", i))->isHidden(), i != 0);
    int banker = 0;
    for (int i = 0; i < 40; ++i, ++banker) EXPECT_FALSE(get(indexedName("C_danzu", i))->isEnabled());
    for (int i = 0; i < 16; ++i, ++banker) EXPECT_FALSE(get(indexedName("C_danzu_gs", i))->isEnabled());
    EXPECT_EQ(banker, 56);
    EXPECT_FALSE(get<QCheckBox>("Check_danzu_sx0")->isChecked());
}

TEST_F(WholeWindowTest, EveryControlTheRestoreTouchesExists) {
    for (const char* name :
         {"T__hezhi_zhiding_sha", "T_main_shazhixuan", "T_main_laji_fushi", "T_main_sha_2ma", "T_main_bichu_2ma",
          "C_hewei_sha_cls", "C_kuadu_sha_cls", "C_danma_chu_cls", "C_pailie_daxiao_cls", "C_pailie_jiou_cls",
          "C_pailie_zhihe_cls", "C_tebie_paichu_cls", "C_012_paichu_cls", "T_hezhi_fanwei_1", "T_hezhi_fanwei_2",
          "Check_danzu_sx0", "T_jichu_dadi", "L_wz_pp", "C_3d_dw2m_cls[1]", "C_ry2m_cls[1]"})
        get(QString::fromLatin1(name));
    for (int i = 0; i < 3; ++i) {
        get(indexedName("T_main_dw_sha", i));
        get(indexedName("T_main_dw2m", i));
        get(indexedName("Check_danma_chu_geshu", i));
        get(indexedName("Check_ac", i));
    }
    for (int i : {1, 3, 5}) {
        get(indexedName("C_fushi_paichu_all", i));
        get(indexedName("C_dingwei_sha_all", i));
    }
    for (int i = 0; i < 4; ++i) get(indexedName("C_danzu_cls", i));
    for (int i = 0; i < 15; ++i) get(indexedName("T_lm_he", i));
}

TEST_F(WholeWindowTest, RestoreBringsEveryConditionBackToNeutral) {
    setManyConditions();
    ASSERT_EQ(run(), "0");
    click("C_all_cls");
    EXPECT_EQ(get<MultiLineBox>("T_jichu_dadi")->text(), "\r\n大底号码\r\n\r\n双击清空");
    EXPECT_EQ(get<MultiLineBox>("T__hezhi_zhiding_sha")->text(), "格式:0 1 6 9 11 23 和值加空格隔开，双击清空");
    EXPECT_EQ(get<MultiLineBox>("T_main_dw_sha[0]")->text(), "按右边提示格式输入可定位杀两码组合");
    EXPECT_EQ(get<MultiLineBox>("T_main_dw2m[0]")->text(), "按右边提示格式输入可定位两码组合");
    EXPECT_EQ(get<QLineEdit>("T_hezhi_fanwei_1")->text(), "0");
    EXPECT_EQ(get<QLineEdit>("T_hezhi_fanwei_2")->text(), "27");
    EXPECT_EQ(get<QListWidget>("L_wz_pp")->count(), 0);
    const char* shown[3] = {"百", "大于", "个"};
    const int counts[3] = {3, 6, 3};
    for (int i = 0; i < 3; ++i) {
        auto* combo = get<QComboBox>(indexedName("C_wz_pp", i));
        EXPECT_EQ(combo->count(), counts[i]);
        EXPECT_EQ(combo->currentText(), QString::fromUtf8(shown[i]));
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_FALSE(get(indexedName("C_danzu", i))->isEnabled());
        EXPECT_EQ(backColor(get(indexedName("C_danzu", i))), colors::kGrey);
    }
    // A second restore changes nothing further, and the texts it wrote filter nothing.
    const std::string once = snapshot();
    click("C_all_cls");
    EXPECT_EQ(snapshot(), once);
    EXPECT_EQ(run(), "1000");
}

TEST_F(WholeWindowTest, RestoreLeavesSourcesResultsAndTheSetToolAlone) {
    get<QCheckBox>("Check_fs_ip")->setChecked(true);
    type("T_dadi_in[0]", "12");
    type("T_dadi_in[1]", "3");
    type("T_dadi_in[2]", "45");
    get<QCheckBox>("Check_danma_jc")->setChecked(true);
    type("T_dd_jiaoji[0]", "123");
    type("T_dd_jiaoji[1]", "456");
    click("C_jiaoji_xuanzhe[1]");
    ASSERT_EQ(run(), "4");
    const QString output = get<MultiLineBox>("T_dadi_output")->text();
    click("C_all_cls");
    EXPECT_TRUE(get<QCheckBox>("Check_fs_ip")->isChecked());
    EXPECT_EQ(get<QLineEdit>("T_dadi_in[1]")->text(), "3");
    EXPECT_TRUE(get<QCheckBox>("Check_danma_jc")->isChecked());
    EXPECT_EQ(get<MultiLineBox>("T_dadi_output")->text(), output);
    EXPECT_EQ(get<QLineEdit>("T_dadi_zhushu")->text(), "4");
    EXPECT_EQ(get<MultiLineBox>("T_dd_jiaoji[2]")->text(), "123 456");
    EXPECT_EQ(get<QLineEdit>("T_jiaoji_zhushu")->text(), "2");
    EXPECT_EQ(run(), "4");  // the compound input still applies
}

TEST_F(WholeWindowTest, HelpButtonsShowTheirOwnTitleAndTextAndChangeNothing) {
    struct Case {
        const char* button;
        const char* title;
        const std::string& text;
    } cases[] = {{"C_shuoming[0]", "温情提示", positionGridHelp()},
                 {"C_shuoming[1]", "胆组说明", bankerGroupHelp()},
                 {"C_shuoming[2]", "使用说明", formShapeHelp()},
                 {"C_ry2m_cls[2]", "说明", otherPageHelp()}};
    const std::string before = snapshot();
    for (const Case& c : cases) {
        EXPECT_EQ(get<QPushButton>(QString::fromLatin1(c.button))->text(),
                  QString::fromUtf8(c.button == std::string("C_shuoming[1]") ? "胆组说明" : "说明"));
        click(QString::fromLatin1(c.button));
        const auto shown = services.takeMessages();
        ASSERT_EQ(shown.size(), 1) << c.button;
        EXPECT_EQ(shown[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(shown[0].text, QString::fromStdString(c.text));
    }
    EXPECT_EQ(snapshot(), before);
    click("C_zhongjiang_mijue");
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(WholeWindowTest, HelpButtonsTurnRedUnderThePointerAndGreyOverTheWindow) {
    w.show();
    const QString names[] = {"C_shuoming[0]", "C_shuoming[1]", "C_shuoming[2]", "C_ry2m_cls[2]"};
    for (const QString& n : names) {
        QWidget* b = get(n);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), b->mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(b, &enter);
        EXPECT_EQ(backColor(b), colors::kRed) << n.toStdString();
    }
    EXPECT_EQ(backColor(get("C_kuadu_sha_cls")), colors::kGrey);  // other buttons are not affected
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), w.mapToGlobal(QPointF(1, 1)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
    for (const QString& n : names) EXPECT_EQ(backColor(get(n)), colors::kGrey) << n.toStdString();
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

TEST_F(WholeWindowTest, TabOrderFollowsTheScreen) {
    QStringList chain;
    QWidget* first = get("C_ding_anniu[0]");
    for (QWidget* f = first; f; f = f->nextInFocusChain()) {
        if (!f->objectName().isEmpty() && !chain.contains(f->objectName())) chain << f->objectName();
        if (f->nextInFocusChain() == first) break;
    }
    auto at = [&](const char* name) {
        const qsizetype i = chain.indexOf(QString::fromLatin1(name));
        EXPECT_GE(i, 0) << name;
        return i;
    };
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(at(indexedName("C_ding_anniu", i).toLatin1()) + 1, at(indexedName("C_ding_anniu", i + 1).toLatin1()));
    EXPECT_LT(at("C_ding_anniu[9]"), at("T_main_shazhixuan"));
    EXPECT_LT(at("Check_fs_ip"), at("T_dadi_output"));
    EXPECT_LT(at("T_dadi_output"), at("Check_hewei_sha[0]"));
    EXPECT_LT(at("Check_hewei_sha[0]"), at("Check_hewei_sha[9]"));
    EXPECT_LT(at("Check_hewei_sha[9]"), at("Check_kuadu_sha[0]"));
    EXPECT_LT(at("C_dingwei_sha[29]"), at("Check_pailie_daxiao[0]"));
    EXPECT_LT(at("Check_danzu_sx0"), at("T_jichu_dadi"));
    EXPECT_LT(at("T_jichu_dadi"), at("C_guolv_ks"));
    EXPECT_EQ(at("C_guolv_ks") + 1, at("C_copy"));
    EXPECT_EQ(at("C_copy") + 1, at("C_zhi_zu"));
    EXPECT_EQ(at("C_zhi_zu") + 1, at("C_all_cls"));
}

}  // namespace
}  // namespace tarnel
