// The conditions document: its modified state against the files on disk
// over random sessions, the undo of "清空所有条件", and the windows that
// follow it without reaching into the main window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "core/analysis/condition_report.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/text_boxes.h"
#include "ui/windows/combine_window.h"
#include "ui/windows/statistics_window.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

std::string fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    return std::string(all.constData(), std::size_t(all.size()));
}

std::string bytesOf(const Scheme& s) { return writeScheme(s.main, s.twoStar ? &*s.twoStar : nullptr); }

// Both windows' conditions as their controls show them, read through the windows.
Scheme shown(MainWindow& w) {
    Scheme s{w.conditions(), std::nullopt};
    if (TwoStarWindow* t = w.twoStarWindow()) s.twoStar = t->conditions();
    return s;
}

void closeTwoStar(MainWindow& w) {
    if (TwoStarWindow* t = w.twoStarWindow()) t->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ConditionsDocumentTest : public MainWindowFixture {
protected:
    ConditionsDocument& doc = w.document();
    QTemporaryDir dir;
};

// Random sessions of changes, two-star windows opened and closed, saves,
// opens (answering the save question every way) and runs. The reference
// keeps what the open file is known to hold: the file's bytes after a save
// or an open, except that an open without a two-star part keeps an open
// two-star window's conditions, and a run of an unchanged scheme takes its
// cleaned boxes as unchanged. The document is modified exactly when its
// conditions written out differ from that.
TEST_F(ConditionsDocumentTest, ModifiedExactlyWhenTheConditionsDifferFromTheSavedCopy) {
    const QString paths[3] = {dir.filePath("a.tarnel"), dir.filePath("b.tarnel"), dir.filePath("c.tarnel")};
    int modifiedSteps = 0, unmodifiedSteps = 0, cancelled = 0, savedRuns = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        StateMaker make(seed);
        for (const QString& p : paths) QFile::remove(p);
        MainWindow w{services};
        ConditionsDocument& doc = w.document();
        QString path;       // the open file as the reference sees it
        std::string saved;  // what it is known to hold
        for (int step = 0; step < 40; ++step) {
            const int what = make.below(10);
            const std::string context = "seed " + std::to_string(seed) + " step " + std::to_string(step) +
                                        " action " + std::to_string(what);
            switch (what) {
                case 0:
                case 1: doc.applyConditions(make.main(0.05)); break;
                case 2: {  // one control of the state shown again, or one flipped
                    MainConditions s = doc.conditions();
                    if (make.chance(0.5)) s.digits.spanKill[std::size_t(make.below(10))] ^= true;
                    doc.applyConditions(s);
                    break;
                }
                case 3: doc.applyTwoStar(make.twoStar(0.08)); break;
                case 4: closeTwoStar(w); break;
                case 5: {
                    const QString to = paths[make.below(3)];
                    ASSERT_TRUE(doc.saveSchemeFile(to)) << context;
                    EXPECT_EQ(fileBytes(to), bytesOf(doc.scheme())) << context << ": saved as shown";
                    path = to;
                    saved = fileBytes(to);
                    break;
                }
                case 6:
                case 7: {
                    const QString from = paths[make.below(3)];
                    if (!QFile::exists(from)) break;
                    const bool modified = doc.schemeModified();
                    const SaveChoice choice = SaveChoice(make.below(3));
                    services.setSaveChoice(choice);
                    const bool reopening = !path.isEmpty() && from == path;
                    const std::optional<TwoStarConditions> twoStarBefore = doc.twoStarConditions();
                    const bool opened = doc.openSchemeFile(from);
                    services.takeMessages();
                    if (modified && !reopening && choice == SaveChoice::Cancel) {
                        EXPECT_FALSE(opened) << context << ": the player cancelled";
                        ++cancelled;
                        break;
                    }
                    ASSERT_TRUE(opened) << context;
                    Scheme expected = *readScheme(fileBytes(from)).scheme;
                    if (!expected.twoStar) expected.twoStar = twoStarBefore;
                    EXPECT_EQ(bytesOf(doc.scheme()), bytesOf(expected)) << context << ": opened as written";
                    path = from;
                    saved = bytesOf(expected);
                    break;
                }
                case 9: {  // a player's click on the two-star window, or else on the main window
                    const int k = make.below(10);
                    QWidget* on = w.twoStarWindow() ? static_cast<QWidget*>(w.twoStarWindow()) : &w;
                    const QString name = indexedName(w.twoStarWindow() ? QStringLiteral("C_2d_kua")
                                                                        : QStringLiteral("Check_kuadu_sha"), k);
                    auto* button = on->findChild<QAbstractButton*>(name);
                    ASSERT_TRUE(button) << name.toStdString();
                    button->click();
                    break;
                }
                case 8: {
                    const bool unchanged = !path.isEmpty() && bytesOf(doc.scheme()) == saved;
                    doc.run();
                    if (unchanged) saved = bytesOf(doc.scheme());
                    savedRuns += unchanged;
                    break;
                }
            }
            const bool modified = doc.schemeModified();
            const bool expected = !path.isEmpty() && bytesOf(shown(w)) != saved;
            (expected ? modifiedSteps : unmodifiedSteps) += !path.isEmpty();
            EXPECT_EQ(doc.schemePath(), path) << context;
            EXPECT_EQ(modified, expected) << context;
            doc.settleNow();
            EXPECT_EQ(w.isWindowModified(), expected) << context << ": the title says so";
        }
        closeTwoStar(w);
    }
    // The sessions went through both states and the rarer turns.
    EXPECT_GT(modifiedSteps, 20);
    EXPECT_GT(unmodifiedSteps, 20);
    EXPECT_GT(cancelled, 0);
    EXPECT_GT(savedRuns, 0);
}

// 清空所有条件 can be undone once, to the very state it replaced, through any
// changes made after it; opening a scheme or the last conditions ends that.
TEST_F(ConditionsDocumentTest, UndoOfClearingBringsBackTheStateItReplaced) {
    StateMaker make(11);
    const QString file = dir.filePath("s.tarnel");
    for (int round = 0; round < 30; ++round) {
        const std::string context = "round " + std::to_string(round);
        doc.applyConditions(make.main(0.06));
        const MainConditions before = doc.conditions();
        w.restoreAll();
        EXPECT_TRUE(doc.conditions() == restoredConditions(before)) << context;
        EXPECT_TRUE(w.undoRestoreAction()->isEnabled()) << context;
        if (make.chance(0.5)) doc.applyConditions(make.main(0.03));  // changes after the clearing
        if (round % 5 == 4) {
            // A scheme opened now replaces what could be brought back.
            ASSERT_TRUE(doc.saveSchemeFile(file));
            ASSERT_TRUE(doc.openSchemeFile(file));
            EXPECT_FALSE(doc.canUndoClear()) << context;
            EXPECT_FALSE(w.undoRestoreAction()->isEnabled()) << context;
            const MainConditions kept = doc.conditions();
            w.undoRestoreAll();
            EXPECT_TRUE(doc.conditions() == kept) << context << ": nothing to undo";
            continue;
        }
        w.undoRestoreAll();
        EXPECT_TRUE(doc.conditions() == before) << context;
        EXPECT_FALSE(doc.canUndoClear()) << context;
        EXPECT_FALSE(w.undoRestoreAction()->isEnabled()) << context;
        const MainConditions now = doc.conditions();
        w.undoRestoreAll();  // once only
        EXPECT_TRUE(doc.conditions() == now) << context;
    }
}

// Conditions shown through the document (not the main window) reach every
// window that follows it: the main window's count and forecast, the
// statistics, the two-star window, and the combination's backtest.
TEST_F(ConditionsDocumentTest, WindowsFollowTheDocument) {
    w.show();
    StatisticsWindow* stats = w.openStatistics();
    StateMaker make(5);
    for (int round = 0; round < 8; ++round) {
        const std::string context = "round " + std::to_string(round);
        doc.applyConditions(make.main(0.04));
        doc.settleNow();
        const MainConditions& now = doc.conditions();
        NumberPool scratch;
        const int count = runWithTolerance(scratch, shrinkInputs(now), now.tolerance).count;
        if (!doc.lastRun()) {
            EXPECT_EQ(stats->statistics().kept, count) << context << ": before the first run";
        }
        EXPECT_TRUE(get<QLabel>("L_yuji_zhushu")->text().startsWith(QStringLiteral("预计注数 %1").arg(count)))
            << context;
        if (round % 2 == 1) {
            doc.run();
            EXPECT_EQ(doc.lastRun()->result.count, count) << context;
            EXPECT_EQ(get<MultiLineBox>("T_dadi_output")->text(), fromStd(doc.lastRun()->result.text)) << context;
            EXPECT_EQ(get<LineBox>("T_dadi_zhushu")->text(), QString::number(count)) << context;
            EXPECT_EQ(stats->statistics().kept, count) << context << ": after a run";
        }
    }

    // The two-star part is the open window's, and goes with it.
    const TwoStarConditions pair = make.twoStar(0.1);
    doc.applyTwoStar(pair);
    TwoStarWindow* t = w.twoStarWindow();
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->conditions() == *doc.twoStarConditions());
    EXPECT_TRUE(doc.scheme().twoStar.has_value());
    closeTwoStar(w);
    EXPECT_FALSE(doc.hasTwoStar());
    EXPECT_FALSE(doc.scheme().twoStar.has_value());

    // Past draws given to the document reach the combination's backtest.
    const QString other = dir.filePath("other.tarnel");
    ASSERT_TRUE(doc.saveSchemeFile(other));
    CombineWindow* c = w.openCombine();
    c->addCurrentConditions();
    ASSERT_TRUE(c->addSchemeFiles({other}));
    const QString before = c->backtestSummary();
    auto draws = std::make_shared<History>(readHistory("2024001 123\n2024002 456\n2024003 789\n"));
    ASSERT_EQ(draws->draws.size(), 3u);
    doc.setHistory(draws);
    EXPECT_NE(c->backtestSummary(), before);
    EXPECT_TRUE(c->backtestSummary().startsWith(QStringLiteral("共 3 期"))) << c->backtestSummary().toStdString();
    c->close();
    stats->close();
}

}  // namespace
}  // namespace tarnel
