// The last conditions: last.tarnel follows the window's conditions (written
// once changes settle, at most once a second, and on closing), a new window
// starts as designed and brings them back on request; opening a scheme over
// unsaved changes asks first; the 帮助 menu.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>

#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "main_window_fixture.h"
#include "ui/windows/history_window.h"
#include "support/random_state.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

const QString kRestorableNote = QStringLiteral("上次关闭时的条件已保存，可用 文件 → 恢复上次的条件 找回");

std::string fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

// What the window would save now, as the bytes of a scheme file.
std::string schemeNow(MainWindow& w) {
    TwoStarWindow* t = w.twoStarWindow();
    const TwoStarConditions* twoStar = nullptr;
    TwoStarConditions copy;
    if (t) {
        copy = t->conditions();
        twoStar = &copy;
    }
    return writeScheme(w.conditions(), twoStar);
}

// Each test keeps its data folder to itself, and says whether one exists.
class LastConditions : public MainWindowFixture {
protected:
    QTemporaryDir dir;
    const QString outerFolder = dataFolder();
    LastConditions() { setDataFolder(dir.filePath(QStringLiteral("data"))); }
    ~LastConditions() override { setDataFolder(outerFolder); }

    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString lastPath() const { return MainWindow::lastConditionsPath(); }
    void click(const QString& name) { get<QAbstractButton>(name)->click(); }
    QString run(MainWindow& window) {
        window.findChild<QAbstractButton*>(QStringLiteral("C_guolv_ks"))->click();
        return window.findChild<MultiLineBox*>(QStringLiteral("T_dadi_output"))->text();
    }
    void writeFile(const QString& file, const std::string& bytes) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    // The next session: a window made as the program makes it at start.
    std::unique_ptr<MainWindow> nextSession() { return std::make_unique<MainWindow>(services); }
};

// A random edit through the controls, as a player makes it.
void randomEdit(MainWindow& w, StateMaker& make) {
    static const char* const boxes[] = {"T_jichu_dadi", "T_main_shazhixuan", "T_main_sha_2ma", "T_hezhi_fanwei_1",
                                        "T_lm_he[4]", "T_main_dw_sha[2]", "T_dd_jiaoji[0]"};
    static const char* const buttons[] = {"Check_hewei_sha[", "Check_kuadu_sha[", "C_dingwei_sha[", "C_fushi_paichu[",
                                          "Check_012_paichu["};
    switch (make.below(4)) {
    case 0: {
        const QString name = QString::fromLatin1(boxes[make.below(7)]);
        const std::string text = make.numberList(1 + make.below(3), make.below(12), true);
        if (auto* m = w.findChild<MultiLineBox*>(name))
            m->setText(fromStd(text));
        else if (auto* l = w.findChild<LineBox*>(name))
            l->setText(fromStd(singleLineBoxText(text)));
        break;
    }
    case 1:
        w.findChild<QComboBox*>(QStringLiteral("Combo_rongcuo"))->setCurrentIndex(make.below(10));
        break;
    default: {
        const QString name = QString::fromLatin1(buttons[make.below(5)]) + QString::number(make.below(10)) + "]";
        if (auto* b = w.findChild<QAbstractButton*>(name)) b->click();
    }
    }
}

TEST_F(LastConditions, FileFollowsRandomEditsAtMostOnceASecond) {
    StateMaker make(22);
    w.show();
    EXPECT_FALSE(QFile::exists(lastPath()));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(lastPath())) << "written while nothing changed";
    EXPECT_EQ(w.lastConditionsWrites(), 0);

    for (int round = 0; round < 6; ++round) {
        // A burst of edits spread over about a second.
        QElapsedTimer clock;
        clock.start();
        const int before = w.lastConditionsWrites();
        for (int i = 0; i < 12; ++i) {
            randomEdit(w, make);
            if (round == 2 && i == 5) w.openTwoStar()->applyConditions(make.twoStar(0.2));
            if (round == 4 && i == 5) w.twoStarWindow()->close();
            QTest::qWait(80);
        }
        const std::string expected = schemeNow(w);
        EXPECT_TRUE(QTest::qWaitFor([&] { return fileText(lastPath()) == expected; }, 5000))
            << "round " << round << ": the file does not hold the conditions";
        const qint64 spent = clock.elapsed();
        EXPECT_LE(w.lastConditionsWrites() - before, spent / 1000 + 1) << "round " << round << " in " << spent << " ms";
        const SchemeReading reading = readScheme(fileText(lastPath()));
        ASSERT_TRUE(reading.scheme) << reading.error;
        EXPECT_TRUE(reading.scheme->main == w.conditions()) << "round " << round;
        EXPECT_EQ(reading.scheme->twoStar.has_value(), w.twoStarWindow() != nullptr) << "round " << round;
    }
    // Settled and written: nothing more is written while nothing changes.
    const int settled = w.lastConditionsWrites();
    QTest::qWait(1300);
    EXPECT_EQ(w.lastConditionsWrites(), settled);
}

TEST_F(LastConditions, RestoreThenRunEqualsTheRunBeforeClosing) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        StateMaker make(seed);
        auto first = nextSession();
        first->applyConditions(make.main(0.08));
        if (seed % 2 == 0) first->openTwoStar()->applyConditions(make.twoStar(0.2));
        const QString result = run(*first);
        const MainConditions conditions = first->conditions();
        const std::optional<TwoStarConditions> twoStar =
            first->twoStarWindow() ? std::optional(first->twoStarWindow()->conditions()) : std::nullopt;
        first->show();
        ASSERT_TRUE(first->close());  // at once: the write on closing, not the timer, keeps them
        first.reset();

        auto second = nextSession();
        // The designed start-up state, with a word about what can be restored.
        EXPECT_TRUE(second->conditions() == MainConditions{}) << seed;
        EXPECT_EQ(second->twoStarWindow(), nullptr);
        EXPECT_EQ(second->statusBar()->currentMessage(), kRestorableNote);
        EXPECT_FALSE(second->statusBar()->isHidden());
        ASSERT_TRUE(second->restoreLastAction()->isEnabled()) << seed;
        second->restoreLastAction()->trigger();
        EXPECT_TRUE(services.takeMessages().isEmpty());
        EXPECT_TRUE(second->conditions() == conditions) << seed;
        ASSERT_EQ(second->twoStarWindow() != nullptr, twoStar.has_value()) << seed;
        if (twoStar) {
            EXPECT_TRUE(second->twoStarWindow()->conditions() == *twoStar);
        }
        EXPECT_EQ(run(*second), result) << seed;
        EXPECT_TRUE(second->schemePath().isEmpty());
        EXPECT_EQ(second->windowTitle(), QStringLiteral("Tarnel"));
        EXPECT_TRUE(second->statusBar()->isHidden());  // the note is done with
        second->close();
    }
}

TEST_F(LastConditions, ASessionThatChangesNothingKeepsTheLastOnes) {
    MainConditions state;
    state.digits.spanKill[3] = true;
    const std::string bytes = writeScheme(state, nullptr);
    writeFile(lastPath(), bytes);
    {
        auto session = nextSession();
        session->show();
        QTest::qWait(200);
        session->close();
    }
    EXPECT_EQ(fileText(lastPath()), bytes);

    // The start-up state itself is nothing to restore.
    writeFile(lastPath(), writeScheme(MainConditions{}, nullptr));
    auto session = nextSession();
    EXPECT_FALSE(session->restoreLastAction()->isEnabled());
    EXPECT_TRUE(session->statusBar()->isHidden());
    EXPECT_TRUE(session->statusBar()->currentMessage().isEmpty());
}

TEST_F(LastConditions, BrokenFileIsRefusedWithTheWindowUnchanged) {
    StateMaker make(5);
    const std::vector<std::string> broken = {"not json", R"({"format":"tarnel-scheme","version":1,"Fmain":{"Check_ac[0]":2}})",
                                             R"({"format":"other","version":1})", std::string("\xFF\xFE{", 3)};
    w.applyConditions(make.main(0.2));
    const MainConditions before = w.conditions();
    for (const std::string& bytes : broken) {
        writeFile(lastPath(), bytes);
        auto session = nextSession();
        EXPECT_TRUE(session->restoreLastAction()->isEnabled()) << "a broken file is offered so that it can say why";
        EXPECT_FALSE(session->restoreLastConditions());
        auto shown = services.takeMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].title, QStringLiteral("错误提示"));
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("last.tarnel"))) << shown[0].text.toStdString();
        EXPECT_TRUE(session->conditions() == MainConditions{});

        // Also over a window with conditions of its own.
        EXPECT_FALSE(w.restoreLastConditions());
        EXPECT_EQ(services.takeMessages().size(), 1);
        EXPECT_TRUE(w.conditions() == before);
    }
}

TEST_F(LastConditions, UnwritableDataFolderIsReportedOnce) {
    writeFile(path("blocker"), "a file where the folder should be");
    setDataFolder(path("blocker/data"));
    QSignalSpy said(w.statusBar(), &QStatusBar::messageChanged);
    for (int i = 0; i < 4; ++i) {
        click(indexedName(QStringLiteral("Check_kuadu_sha"), i));
        w.writeLastConditions();
    }
    int reports = 0;
    for (const QList<QVariant>& args : said)
        if (!args.at(0).toString().isEmpty()) ++reports;
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(w.statusBar()->currentMessage().contains(QStringLiteral("blocker"))) << w.statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(services.takeMessages().isEmpty()) << "no message box for it";

    // Once the folder can be written again the note goes.
    setDataFolder(path("data"));
    click(QStringLiteral("Check_kuadu_sha[9]"));
    w.writeLastConditions();
    EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(fileText(lastPath()), schemeNow(w));
}

TEST_F(LastConditions, OpeningASchemeOverChangesAsksFirst) {
    MainConditions b;
    b.digits.sumTailKill[7] = true;
    writeFile(path("B.tarnel"), writeScheme(b, nullptr));
    services.setNextPath(path("我的方案.tarnel"));
    ASSERT_TRUE(w.saveSchemeAs());
    click(QStringLiteral("Check_hewei_sha[3]"));
    const MainConditions edited = w.conditions();
    ASSERT_TRUE(w.schemeModified());

    // 取消: nothing opens, nothing is lost.
    services.setSaveChoice(SaveChoice::Cancel);
    EXPECT_FALSE(w.openSchemeFile(path("B.tarnel")));
    auto asked = services.takeMessages();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].text, QStringLiteral("保存对方案的修改吗？"));
    EXPECT_TRUE(w.conditions() == edited);
    EXPECT_EQ(w.schemePath(), path("我的方案.tarnel"));

    // 保存: the changes go to the open file, then B opens.
    services.setSaveChoice(SaveChoice::Save);
    EXPECT_TRUE(w.openSchemeFile(path("B.tarnel")));
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_TRUE(w.conditions() == b);
    const SchemeReading saved = readScheme(fileText(path("我的方案.tarnel")));
    ASSERT_TRUE(saved.scheme);
    EXPECT_TRUE(saved.scheme->main == edited);

    // 不保存, by dropping a file: B's changes are dropped.
    click(QStringLiteral("Check_ac[2]"));
    services.setSaveChoice(SaveChoice::Discard);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("我的方案.tarnel"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_TRUE(w.conditions() == edited);
    EXPECT_TRUE(readScheme(fileText(path("B.tarnel"))).scheme->main == b);

    // Unchanged: no question. The open file again: back to it as saved.
    EXPECT_TRUE(w.openSchemeFile(path("B.tarnel")));
    click(QStringLiteral("Check_ac[0]"));
    EXPECT_TRUE(w.openSchemeFile(path("B.tarnel")));
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_TRUE(w.conditions() == b);

    // Restoring the last conditions over changes asks the same.
    writeFile(lastPath(), writeScheme(edited, nullptr));
    click(QStringLiteral("Check_ac[1]"));
    services.setSaveChoice(SaveChoice::Cancel);
    EXPECT_FALSE(w.restoreLastConditions());
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_EQ(w.schemePath(), path("B.tarnel"));
}

TEST_F(LastConditions, OpeningOrRestoringEndsTheUndoOfClearAll) {
    MainConditions b;
    b.digits.spanKill[1] = true;
    writeFile(path("B.tarnel"), writeScheme(b, nullptr));
    writeFile(lastPath(), writeScheme(b, nullptr));
    for (int how = 0; how < 2; ++how) {
        w.applyConditions(StateMaker(7 + unsigned(how)).main(0.2));
        click(QStringLiteral("C_all_cls"));
        ASSERT_TRUE(w.undoRestoreAction()->isEnabled());
        EXPECT_TRUE(how == 0 ? w.openSchemeFile(path("B.tarnel")) : w.restoreLastConditions());
        EXPECT_FALSE(w.undoRestoreAction()->isEnabled()) << how;
        w.undoRestoreAll();
        EXPECT_TRUE(w.conditions() == b) << how;
        EXPECT_FALSE(w.isWindowModified());
    }
}

TEST_F(LastConditions, ClosingTheTwoStarWindowMarksTheSchemeModified) {
    w.show();
    w.openTwoStar()->applyConditions(StateMaker(3).twoStar(0.3));
    services.setNextPath(path("two.tarnel"));
    ASSERT_TRUE(w.saveSchemeAs());
    ASSERT_TRUE(readScheme(fileText(path("two.tarnel"))).scheme->twoStar);
    w.twoStarWindow()->close();
    EXPECT_TRUE(w.schemeModified());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isWindowModified(); }, 5000)) << "no * in the title";
    services.setSaveChoice(SaveChoice::Cancel);
    w.close();
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_TRUE(w.isVisible());
}

// Ctrl+Shift+Z is redo now; 编辑 → 撤销 takes 清空所有条件 back, from whichever control has the focus.
TEST_F(LastConditions, UndoTakesClearAllBackEvenFromATextBox) {
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const MainConditions state = StateMaker(12).main(0.2);
    w.applyConditions(state);
    const MainConditions shown = w.conditions();
    for (const char* focus : {"C_all_cls", "T_main_shazhixuan", "T_hezhi_fanwei_1"}) {
        click(QStringLiteral("C_all_cls"));
        ASSERT_FALSE(w.conditions() == shown);
        QWidget* target = get(QString::fromLatin1(focus));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_FALSE(w.conditions() == shown) << focus << ": Ctrl+Shift+Z undid the clearing";
        w.undoAction()->trigger();
        EXPECT_TRUE(w.conditions() == shown) << focus;
        EXPECT_FALSE(w.undoRestoreAction()->isEnabled());
    }
    // Ctrl+Z stays the box's own undo.
    auto* box = get<MultiLineBox>("T_main_shazhixuan");
    box->setFocus();
    QTest::keyClicks(box, "9");
    const QString typed = box->text();
    click(QStringLiteral("C_all_cls"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(w.undoRestoreAction()->isEnabled()) << "Ctrl+Z undid the clearing";
    EXPECT_NE(box->text(), typed);
}

TEST_F(LastConditions, HelpMenuShowsTheGuideAndAbout) {
    QWidget* guide = w.openGuide();
    ASSERT_NE(guide, nullptr);
    auto* browser = guide->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    const QString text = browser->toPlainText();
    for (const char* part : {"第一次使用", "主要条件", "方案", "容错", "开奖历史", "查看结果", "恢复上次的条件", "不能预测开奖"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
    int pictures = 0;
    for (const char* picture : {"first-run", "conditions", "scheme", "tolerance", "history", "results"}) {
        const QVariant image = browser->document()->resource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("qrc:/guide/%1.png").arg(QLatin1String(picture))));
        EXPECT_TRUE(image.isValid() && !image.value<QImage>().isNull()) << picture;
        pictures += image.isValid();
    }
    EXPECT_EQ(pictures, 6);
    EXPECT_EQ(w.openGuide(), guide) << "one guide window";

    // The hint in the list boxes leads to the guide.
    EXPECT_TRUE(get("T_main_shazhixuan")->toolTip().contains(QStringLiteral("使用说明")));

    w.showAbout();
    const auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("关于 Tarnel"));
    for (const QString& part : {QStringLiteral("Tarnel " TARNEL_TEST_VERSION), QStringLiteral("GPL-3.0-or-later"),
                                QDir::toNativeSeparators(MainWindow::lastConditionsPath()),
                                QDir::toNativeSeparators(HistoryWindow::storagePath()),
                                QDir::toNativeSeparators(QSettings().fileName())})
        EXPECT_TRUE(shown[0].text.contains(part)) << part.toStdString();
}

}  // namespace
}  // namespace tarnel
