// The two-star window as the player uses it: opened from the main window,
// grids, row buttons, the lists, the result buttons, help and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

constexpr quint32 kNormal = colors::kTwoStarNormal;

QWidget* findTwoStarWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("F2d")) return w;
    return nullptr;
}

int twoStarWindowCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->objectName() == QLatin1String("F2d");
    return n;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

std::string allPairsText() {
    std::string text;
    for (int n = 0; n < 100; ++n) {
        if (n) text += ' ';
        text += static_cast<char>('0' + n / 10);
        text += static_cast<char>('0' + n % 10);
    }
    return text;
}

class TwoStarWindowTest : public ::testing::Test {
protected:
    void SetUp() override { open(); }
    void TearDown() override { flushDeletes(); }

    void open() {
        main.findChild<QPushButton*>(QStringLiteral("C_op_2d"))->click();
        window = findTwoStarWindow();
        ASSERT_NE(window, nullptr);
    }
    void closeWindow() {
        window->close();
        flushDeletes();
    }

    QPushButton* button(const char* name, int index) const {
        auto* b = window->findChild<QPushButton*>(indexedName(QString::fromLatin1(name), index));
        EXPECT_NE(b, nullptr) << name << "[" << index << "]";
        return b;
    }
    QPushButton* single(const char* name) const { return window->findChild<QPushButton*>(QString::fromLatin1(name)); }
    MultiLineBox* box(int index) const {
        return window->findChild<MultiLineBox*>(indexedName(QStringLiteral("T_2d_dd"), index));
    }
    QString count() const { return window->findChild<QLabel*>(QStringLiteral("L_zhushu"))->text(); }
    QCheckBox* repeats() const { return window->findChild<QCheckBox*>(QStringLiteral("Check_danma_jc")); }
    void start() { button("C_2d_ks", 0)->click(); }
    std::string result() const { return toStd(box(2)->text()); }

    // Every grid button of the window with its selected colour.
    std::vector<std::pair<QPushButton*, quint32>> gridButtons() const {
        const std::pair<const char*, int> grids[] = {{"C_2d_dm", 30}, {"C_2d_dm_rc", 9}, {"C_2d_kua", 10},
                                                     {"C_2d_he", 19}, {"C_2d_dw", 20},   {"C_2d_fs", 20},
                                                     {"C_2d_xt", 12}, {"C_2d_012", 9},   {"C_2d_duizi", 3}};
        std::vector<std::pair<QPushButton*, quint32>> out;
        for (auto [name, size] : grids)
            for (int i = 0; i < size; ++i)
                out.emplace_back(button(name, i), std::string_view(name).starts_with("C_2d_dm") ? colors::kGreen
                                                                                               : colors::kMagenta);
        return out;
    }
    void expectInitialState() const {
        for (auto [b, color] : gridButtons()) EXPECT_EQ(backColor(b), kNormal) << toStd(b->objectName());
        EXPECT_FALSE(repeats()->isChecked());
        EXPECT_EQ(box(0)->text(), QStringLiteral("输入大底号码"));
        EXPECT_EQ(box(1)->text(), QStringLiteral("杀直选号码\r\n"));
        EXPECT_EQ(box(2)->text(), QStringLiteral("结果区\r\n"));
        EXPECT_EQ(count(), QStringLiteral("0"));
    }

    RecordingUiServices services;
    MainWindow main{services};
    QPointer<QWidget> window;
};

TEST_F(TwoStarWindowTest, OpensOneModelessTopLevelWindowInItsInitialState) {
    main.findChild<QPushButton*>(QStringLiteral("C_op_2d"))->click();
    EXPECT_EQ(twoStarWindowCount(), 1);
    EXPECT_EQ(findTwoStarWindow(), window.data());
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarnel  永久免费"));
    EXPECT_EQ(backColor(window), kNormal);
    expectInitialState();
}

TEST_F(TwoStarWindowTest, GridsShowTheirCaptions) {
    EXPECT_EQ(button("C_2d_dm", 27)->text(), QStringLiteral("7"));
    EXPECT_EQ(button("C_2d_dm_rc", 5)->text(), QStringLiteral("2"));
    EXPECT_EQ(button("C_2d_he", 18)->text(), QStringLiteral("18"));
    EXPECT_EQ(button("C_2d_dw", 10)->text(), QStringLiteral("9"));
    EXPECT_EQ(button("C_2d_dw", 19)->text(), QStringLiteral("0"));
    EXPECT_EQ(button("C_2d_fs", 10)->text(), QStringLiteral("0"));
    EXPECT_EQ(button("C_2d_xt", 6)->text(), QStringLiteral("双单"));
    EXPECT_EQ(button("C_2d_012", 7)->text(), QStringLiteral("21"));
    EXPECT_EQ(button("C_2d_duizi", 1)->text(), QStringLiteral("杀连号"));
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(button("C_2d_lcs", i)->text(), i % 2 ? QStringLiteral("清") : QStringLiteral("全"));
    const QString ks[] = {QStringLiteral("开始缩水"), QStringLiteral("转为组选"), QStringLiteral("复制号码"),
                          QStringLiteral("清除条件")};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(button("C_2d_ks", i)->text(), ks[i]);
}

TEST_F(TwoStarWindowTest, StartWithNothingSetPrintsEveryPairAndEmptiesTheBaseHint) {
    start();
    EXPECT_EQ(result(), allPairsText());
    EXPECT_EQ(count(), QStringLiteral("100"));
    EXPECT_EQ(box(0)->text(), QString());
}

TEST_F(TwoStarWindowTest, ClickFlipsAGridButtonBetweenItsColourAndNormal) {
    for (auto [b, color] : gridButtons()) {
        b->click();
        EXPECT_EQ(backColor(b), color) << toStd(b->objectName());
        b->click();
        EXPECT_EQ(backColor(b), kNormal) << toStd(b->objectName());
    }
}

TEST_F(TwoStarWindowTest, SelectedButtonsDriveTheRun) {
    button("C_2d_dw", 19)->click();  // units 0 on the reversed row
    button("C_2d_dw", 0)->click();   // tens 0
    start();
    EXPECT_EQ(count(), QStringLiteral("81"));
    button("C_2d_ks", 3)->click();
    box(0)->setText(QStringLiteral("58 13 77"));
    button("C_2d_xt", 9)->click();  // 质合 kills 58
    start();
    EXPECT_EQ(result(), "13 77");
}

TEST_F(TwoStarWindowTest, RepeatOptionIsReadAtEachRun) {
    button("C_2d_dm", 9)->click();
    button("C_2d_dm_rc", 1)->click();
    start();
    EXPECT_NE(result().find("99"), std::string::npos);
    repeats()->setChecked(true);
    start();
    EXPECT_EQ(result().find("99"), std::string::npos);
    EXPECT_EQ(count(), QStringLiteral("18"));
}

TEST_F(TwoStarWindowTest, AllOnABankerRowSelectsDigitsAndCountsAndKeepsEverything) {
    button("C_2d_lcs", 2)->click();  // row 2
    for (int i = 10; i < 20; ++i) EXPECT_EQ(backColor(button("C_2d_dm", i)), colors::kGreen);
    for (int i = 3; i < 6; ++i) EXPECT_EQ(backColor(button("C_2d_dm_rc", i)), colors::kGreen);
    for (int i : {0, 9, 20, 29}) EXPECT_EQ(backColor(button("C_2d_dm", i)), kNormal);
    for (int i : {0, 2, 6, 8}) EXPECT_EQ(backColor(button("C_2d_dm_rc", i)), kNormal);
    start();
    EXPECT_EQ(count(), QStringLiteral("100"));

    // Single clicks after "全" unselect only those buttons.
    button("C_2d_dm", 13)->click();
    button("C_2d_dm_rc", 3)->click();
    EXPECT_EQ(backColor(button("C_2d_dm", 13)), kNormal);
    EXPECT_EQ(backColor(button("C_2d_dm", 14)), colors::kGreen);
    EXPECT_EQ(backColor(button("C_2d_dm_rc", 3)), kNormal);
    EXPECT_EQ(backColor(button("C_2d_dm_rc", 4)), colors::kGreen);
}

TEST_F(TwoStarWindowTest, RowButtonsCoverTheirRowsOnly) {
    struct Row {
        int all;
        const char* grid;
        int first, last;
    };
    const Row rows[] = {{6, "C_2d_kua", 0, 9},  {8, "C_2d_he", 0, 18},  {10, "C_2d_dw", 0, 9},
                        {12, "C_2d_dw", 10, 19}, {14, "C_2d_fs", 0, 9}, {16, "C_2d_fs", 10, 19},
                        {18, "C_2d_xt", 0, 11}, {20, "C_2d_012", 0, 8}};
    for (const Row& row : rows) {
        button("C_2d_lcs", row.all)->click();
        int selected = 0;
        for (auto [b, color] : gridButtons()) selected += backColor(b) == color;
        EXPECT_EQ(selected, row.last - row.first + 1) << row.all;
        for (int i = row.first; i <= row.last; ++i) EXPECT_EQ(backColor(button(row.grid, i)), colors::kMagenta);
        button("C_2d_lcs", row.all + 1)->click();
        for (auto [b, color] : gridButtons()) EXPECT_EQ(backColor(b), kNormal) << row.all;
    }
}

TEST_F(TwoStarWindowTest, ClearTwiceChangesNothing) {
    button("C_2d_kua", 3)->click();
    button("C_2d_lcs", 7)->click();
    button("C_2d_lcs", 7)->click();
    EXPECT_EQ(backColor(button("C_2d_kua", 3)), kNormal);
    button("C_2d_lcs", 1)->click();
    for (auto [b, color] : gridButtons()) EXPECT_EQ(backColor(b), kNormal);
}

TEST_F(TwoStarWindowTest, ClearConditionsKeepsTheBaseListAndRunsAgain) {
    for (int i : {0, 3, 6, 9, 12, 14, 17, 18, 20}) button("C_2d_lcs", i)->click();
    for (int i = 0; i < 3; ++i) button("C_2d_duizi", i)->click();
    box(0)->setText(QStringLiteral("12,34\r\n56"));
    box(1)->setText(QStringLiteral("34"));
    start();
    EXPECT_EQ(count(), QStringLiteral("0"));

    button("C_2d_ks", 3)->click();
    for (auto [b, color] : gridButtons()) EXPECT_EQ(backColor(b), kNormal) << toStd(b->objectName());
    EXPECT_EQ(box(1)->text(), QString());
    EXPECT_EQ(box(0)->text(), QStringLiteral("12 34 56"));
    EXPECT_EQ(result(), "12 34 56");
    EXPECT_EQ(count(), QStringLiteral("3"));
}

TEST_F(TwoStarWindowTest, ClearConditionsWithAnEmptyBaseListPrintsAllHundred) {
    box(0)->setText(QString());
    button("C_2d_kua", 0)->click();
    button("C_2d_ks", 3)->click();
    EXPECT_EQ(count(), QStringLiteral("100"));
}

TEST_F(TwoStarWindowTest, DoubleClickEmptiesTheListsButNotTheResult) {
    start();
    const QString printed = box(2)->text();
    QTest::mouseDClick(box(2)->viewport(), Qt::LeftButton);
    EXPECT_EQ(box(2)->text(), printed);

    box(0)->setText(QStringLiteral("12 13"));
    QTest::mouseDClick(box(0)->viewport(), Qt::LeftButton);
    EXPECT_EQ(box(0)->text(), QString());
    QTest::mouseDClick(box(1)->viewport(), Qt::LeftButton);
    EXPECT_EQ(box(1)->text(), QString());
    start();
    EXPECT_EQ(count(), QStringLiteral("100"));
}

TEST_F(TwoStarWindowTest, GroupConversionRunsFirst) {
    box(0)->setText(QStringLiteral("73 55 37 30 12"));
    button("C_2d_ks", 1)->click();
    EXPECT_EQ(result(), "12 03 37 55");
    EXPECT_EQ(count(), QStringLiteral("4"));
    box(0)->setText(QString());
    button("C_2d_ks", 1)->click();
    EXPECT_EQ(count(), QStringLiteral("55"));
}

TEST_F(TwoStarWindowTest, CopyBeforeAnyRunCopiesTheInitialTextWithItsLineBreak) {
    button("C_2d_ks", 2)->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("结果区\r\n"));
    EXPECT_EQ(services.takeNotices(), QStringList{kCopyNoticeText});
    EXPECT_TRUE(services.takeMessages().isEmpty());
}

TEST_F(TwoStarWindowTest, CopyTrimsSpacesOnly) {
    box(2)->setText(QStringLiteral("  03 14\r\n58  "));
    button("C_2d_ks", 2)->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("03 14\r\n58"));
}

TEST_F(TwoStarWindowTest, FailedCopyIsReported) {
    start();
    services.setClipboardFails(true);
    button("C_2d_ks", 2)->click();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    EXPECT_EQ(messages[0].text, QStringLiteral("本次复制出现错误，请再次复制！"));
    EXPECT_TRUE(services.takeNotices().isEmpty());
}

TEST_F(TwoStarWindowTest, HelpShowsTheHiddenBankerText) {
    auto* help = window->findChild<MultiLineBox*>(QStringLiteral("T_sm[0]"));
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->isVisible());
    button("C_2d_shuoming", 0)->click();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("胆组说明"));
    EXPECT_EQ(messages[0].text, help->text());
    const QStringList lines = messages[0].text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 9);  // eight lines, each ended by a line break
    EXPECT_EQ(lines[0], QStringLiteral("建议新手只输入一行胆码，勿输入多行胆码"));
    EXPECT_EQ(lines[2], QString(51, QLatin1Char('-')));
    EXPECT_EQ(lines[5], QString(49, QLatin1Char('-')));
    EXPECT_EQ(lines[7], QStringLiteral("如不选择胆码计重，则重复的的号码都算一胆，如99算一个胆码"));
    EXPECT_EQ(lines[8], QString());
}

TEST_F(TwoStarWindowTest, ClosingDiscardsEverythingAndReopeningStartsAfresh) {
    button("C_2d_lcs", 0)->click();
    button("C_2d_duizi", 2)->click();
    repeats()->setChecked(true);
    box(1)->setText(QStringLiteral("12"));
    start();
    closeWindow();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(findTwoStarWindow(), nullptr);

    open();
    EXPECT_EQ(twoStarWindowCount(), 1);
    expectInitialState();
}

TEST_F(TwoStarWindowTest, ClosedWindowNoLongerAnswersToItsNameBeforeItIsDeleted) {
    window->close();
    EXPECT_EQ(findTwoStarWindow(), nullptr);
    open();
    EXPECT_EQ(twoStarWindowCount(), 1);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TwoStarWindowTest, OpensAtTheMainWindowsPositionEvenAfterItMoved) {
    main.show();
    main.move(120, 90);
    closeWindow();
    open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->pos() == main.pos(); }, 1000));
    closeWindow();
    main.move(260, 140);
    open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->pos() == main.pos(); }, 1000));
    EXPECT_EQ(window->pos(), QPoint(260, 140));
    main.hide();
}

TEST_F(TwoStarWindowTest, ResultBoxUsesASongTypefaceOrAnInstalledCjkFont) {
    const QFont font = box(2)->font();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 10.5);
    const QFontInfo info(font);
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x7ED3))) << toStd(info.family());  // 结
}

TEST_F(TwoStarWindowTest, LargePasteIsHandled) {
    QString paste;
    paste.reserve(1 << 20);
    while (paste.size() < (1 << 20)) paste += QStringLiteral("12，３４ 56\r\n中文abc ");
    box(0)->setText(paste);
    box(1)->setText(paste);
    start();
    EXPECT_EQ(result(), "");
    EXPECT_TRUE(box(0)->text().startsWith(QStringLiteral("12 56 12 56")));
}

}  // namespace
}  // namespace tarnel
