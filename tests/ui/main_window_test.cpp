// The main window's run, pool-source controls, copy and conversion, driven
// through the real controls.

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "main_window_fixture.h"
#include "ui/windows/main_window.h"

namespace tarnel {
namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    QPushButton* button(const QString& name) { return get<QPushButton>(name); }
    MultiLineBox* multi(const QString& name) { return get<MultiLineBox>(name); }
    LineBox* line(const QString& name) { return get<LineBox>(name); }
    QString output() { return multi("T_dadi_output")->text(); }
    QString count() { return line("T_dadi_zhushu")->text(); }
};

TEST_F(MainWindowTest, OpensWithDesignedCaptionsTextsAndColours) {
    EXPECT_EQ(w.windowTitle(), "Tarnel");
    EXPECT_EQ(backColor(&w), 0xE0E0E0u);
    EXPECT_EQ(output(), "这里显示最终过滤结果\r\n");
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(multi("T_jichu_dadi")->text(), "\r\n大底号码\r\n\r\n双击清空\r\n");
    struct { const char* name; const char* caption; quint32 color; } buttons[] = {
        {"C_guolv_ks", "【开始缩水】", 0x80FF80}, {"C_copy", "复制号码", 0x80FF80},
        {"C_zhi_zu", "转为组选", 0x80FFFF},     {"C_all_cls", "清空所有条件", 0x80FFFF},
        {"C_op_2d", "二星缩水软件", 0x80FF80}};
    for (const auto& b : buttons) {
        QPushButton* pb = button(QString::fromUtf8(b.name));
        ASSERT_TRUE(pb);
        EXPECT_EQ(pb->text(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(backColor(pb), b.color) << b.name;
    }
    EXPECT_EQ(get<QCheckBox>("Check_fs_ip")->text(), "复试输入");
    EXPECT_FALSE(get<QCheckBox>("Check_fs_ip")->isChecked());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(line(indexedName("T_dadi_in", i))->isHidden());
}

TEST_F(MainWindowTest, RunWithNoConditionShowsAllNumbers) {
    w.show();
    button("C_guolv_ks")->click();
    EXPECT_EQ(output().size(), 3999);
    EXPECT_TRUE(output().startsWith("000 001 002"));
    EXPECT_TRUE(output().endsWith("998 999"));
    EXPECT_EQ(count(), "1000");
}

TEST_F(MainWindowTest, StartButtonIsDisabledAndResultEmptyDuringTheRun) {
    w.show();
    QPushButton* start = button("C_guolv_ks");
    int observed = 0;
    w.setStageObserver([&](int row) {
        if (row == kStageCount - 1) return;  // the output row has written the result
        ++observed;
        EXPECT_FALSE(start->isEnabled()) << "row " << row;
        EXPECT_TRUE(output().isEmpty()) << "row " << row;
    });
    start->click();
    EXPECT_EQ(observed, kStageCount - 1);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(w.focusWidget(), start);
}

TEST_F(MainWindowTest, EverythingKilledShowsTheNotice) {
    get<QCheckBox>("Check_fs_ip")->setChecked(true);  // empty digit boxes kill all
    button("C_guolv_ks")->click();
    EXPECT_EQ(output(), "没有符合条件的号码，请检测过滤条件\r\n\r\n注意：同一条件下的选项不要全部打勾，否则得0注");
    EXPECT_EQ(count(), "0");
    button("C_zhi_zu")->click();
    EXPECT_EQ(output(), "");
    EXPECT_EQ(count(), "0");
}

TEST_F(MainWindowTest, CompoundInputBoxesFollowTheTickAndKeepTheirText) {
    QCheckBox* fs = get<QCheckBox>("Check_fs_ip");
    fs->click();
    line("T_dadi_in[0]")->setText("12");
    line("T_dadi_in[1]")->setText("0 5 9");
    line("T_dadi_in[2]")->setText("35");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(line(indexedName("T_dadi_in", i))->isHidden());
    button("C_guolv_ks")->click();
    EXPECT_EQ(output(), "103 105 153 155 193 195 203 205 253 255 293 295");
    EXPECT_EQ(count(), "12");
    fs->click();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(line(indexedName("T_dadi_in", i))->isHidden());
    EXPECT_EQ(line("T_dadi_in[1]")->text(), "0 5 9");
    button("C_guolv_ks")->click();
    EXPECT_EQ(count(), "1000");
}

TEST_F(MainWindowTest, ConversionRunsFirstThenShowsGroupForms) {
    multi("T_jichu_dadi")->setText("012\r\n300 210 021");
    button("C_zhi_zu")->click();
    EXPECT_EQ(output(), "012 003");
    EXPECT_EQ(count(), "2");
    button("C_zhi_zu")->click();  // a second press gives the same
    EXPECT_EQ(output(), "012 003");
    multi("T_jichu_dadi")->setText("");
    button("C_zhi_zu")->click();
    EXPECT_EQ(count(), "220");
    EXPECT_TRUE(output().startsWith("000 001 "));
}

TEST_F(MainWindowTest, CopyPutsTheResultOnTheClipboardAndShowsTheNotice) {
    button("C_copy")->click();  // right after start: the hint text with its line break
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "这里显示最终过滤结果\r\n");
    EXPECT_EQ(services.takeNotices(), QStringList{"复制成功！"});
    multi("T_jichu_dadi")->setText("123 456 789");
    button("C_guolv_ks")->click();
    button("C_copy")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "123 456 789");
    EXPECT_TRUE(services.messages().isEmpty());
}

TEST_F(MainWindowTest, FailedCopyIsReportedNotConfirmed) {
    services.setClipboardFails(true);
    button("C_copy")->click();
    EXPECT_TRUE(services.takeNotices().isEmpty());
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, "错误提示");
    EXPECT_EQ(messages[0].text, "本次复制出现错误，请再次复制！");
}

TEST_F(MainWindowTest, DoubleClickClearsTheBaseList) {
    w.show();
    MultiLineBox* base = multi("T_jichu_dadi");
    QTest::mouseDClick(base->viewport(), Qt::LeftButton);
    EXPECT_EQ(base->text(), "");
}

TEST_F(MainWindowTest, TabButtonsShowExactlyOnePage) {
    w.show();
    auto visiblePages = [&] {
        QList<int> shown;
        for (int i = 0; i < 10; ++i)
            if (!get<QGroupBox>(indexedName("Frame_ding", i))->isHidden()) shown << i;
        return shown;
    };
    EXPECT_EQ(visiblePages(), QList<int>{0});
    for (int i : {9, 4, 4, 0}) {
        button(indexedName("C_ding_anniu", i))->click();
        EXPECT_EQ(visiblePages(), QList<int>{i});
        for (int t = 0; t < 10; ++t)
            EXPECT_EQ(backColor(button(indexedName("C_ding_anniu", t))), t == i ? 0x80FF80u : 0xE0E0E0u);
    }
    EXPECT_EQ(get<QGroupBox>("Frame_ding[9]")->title(), "定位容对");
}

// Multi-line boxes present line breaks as CR LF and never alter other text.
TEST(MultiLineBoxText, LineBreaksBecomeCrLfAndOtherTextIsKept) {
    MultiLineBox box("T_test");
    box.setText("a\r\nb\rc\nd");
    EXPECT_EQ(box.text(), "a\r\nb\r\nc\r\nd");
    const QString odd = QString::fromUtf8("１２３\u00a0x\t\u3000€𝟘\u0001end");
    box.setText(odd);
    EXPECT_EQ(box.text(), odd);
    box.setText("\r\n\r\n");
    EXPECT_EQ(box.text(), "\r\n\r\n");
    QString big;
    for (int i = 0; i < 200000; ++i) big += "123 456\r\n";
    box.setText(big);
    EXPECT_EQ(box.text(), big);
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

TEST(LineBoxText, LineBreaksBecomeSpacesAndLongPastesStayWhole) {
    LineBox box("T_test");
    box.setText("12\r\n34\n5\r6");
    EXPECT_EQ(box.text(), "12 34 5 6");
    box.insert("\r\n7");
    EXPECT_EQ(box.text(), "12 34 5 6 7");
    const QString big(100000, QLatin1Char('9'));
    box.setText(big);
    EXPECT_EQ(box.text(), big);
}

}  // namespace
}  // namespace tarnel
