// A click on the start button as the event loop delivers it: the result is
// in the result box when the click returns, the windows that follow a run
// (statistics, diagnosis, the history's backtest) catch up only after the
// result is painted, and then show what a click outside any event loop
// shows at once. And the text the result box gets goes in wrapping as the
// box would have chosen for it.

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/files/scheme.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/widgets/controls.h"
#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/history_window.h"
#include "ui/windows/statistics_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

QString tableText(const QTableWidget* table) {
    QString text;
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c)
            text += (table->item(r, c) ? table->item(r, c)->text() : QString()) + QLatin1Char('\t');
        text += QLatin1Char('\n');
    }
    return text;
}

// Counts paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Declared before the main window, so the folder outlives it.
struct HistoryFolder {
    QTemporaryDir folder;
};

class ClickFollowTest : public HistoryFolder, public MainWindowFixture {
protected:
    ClickFollowTest() { HistoryWindow::setStoragePath(folder.filePath(QStringLiteral("history.txt"))); }

    // What the windows that follow a run show.
    QString followers() {
        QString text = tableText(get<QTableWidget>(QStringLiteral("Grid_tongji"))) +
                       get<QLabel>(QStringLiteral("L_tongji_zongji"))->text() + QLatin1Char('\n') +
                       tableText(get<QTableWidget>(QStringLiteral("Grid_zhenduan")));
        const auto* view = get<BacktestView>(QStringLiteral("Frame_yanzheng"));
        text += view->summaryText() + QLatin1Char('\n');
        const BacktestModel& m = view->model();
        for (int r = 0; r < m.rowCount(); ++r)
            for (int c = 0; c < m.columnCount(); ++c) text += m.data(m.index(r, c), Qt::DisplayRole).toString() + QLatin1Char('\t');
        return text;
    }
    QString result() { return get<MultiLineBox>(QStringLiteral("T_dadi_output"))->text(); }
};

TEST_F(ClickFollowTest, ResultAtOnceFollowersAfterThePaintAsAfterAPlainClick) {
    StateMaker make(53);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.openStatistics();
    w.openDiagnosis()->diagnoseText(QStringLiteral("000 123 456 789 355 999"));
    HistoryWindow* history = w.openHistory();
    std::string draws;
    for (int i = 0; i < 80; ++i) draws += std::to_string(2026001 + i) + " " + numberText(make.below(1000), 3) + "\n";
    history->setHistoryText(fromStd(draws));
    history->rereadNow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history->isReading() && history->history().draws.size() == 80; }, 10000));

    auto* start = get<QPushButton>(QStringLiteral("C_guolv_ks"));
    auto* box = get<MultiLineBox>(QStringLiteral("T_dadi_output"));
    PaintCounter painted;
    box->viewport()->installEventFilter(&painted);
    int follows = 0, paintsAtFollow = -1;
    QObject::connect(&w.document(), &ConditionsDocument::ran, &w, [&] {
        ++follows;
        paintsAtFollow = painted.paints;
    });

    for (int round = 0; round < 8; ++round) {
        const bool twice = round % 3 == 1;  // a second run before the first is followed
        MainConditions first = make.main(0.08), last = make.main(0.08);
        if (make.chance(0.4)) last.tolerance = make.below(4);
        w.applyConditions(twice ? first : last);
        follows = 0;
        QString before, atClick, resultAtClick;
        bool pendingAtClick = false;
        int paintsAtClick = 0;
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            before = followers();
            start->click();
            if (twice) {
                w.applyConditions(last);
                start->click();
            }
            resultAtClick = result();
            atClick = followers();
            pendingAtClick = w.document().followPending();
            paintsAtClick = painted.paints;
            loop.quit();
        });
        loop.exec();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.document().followPending(); }, 5000)) << "round " << round;

        // The result is the plain run's, in the box when the click returned.
        NumberPool pool;
        const MainRun plainRun = runMain(pool, w.conditions(), w.document().ruleRows());
        EXPECT_EQ(fromLineBreaks(resultAtClick), fromLineBreaks(fromStd(plainRun.result.text))) << "round " << round;
        // Nothing followed before the paint; then once, after it.
        EXPECT_TRUE(pendingAtClick);
        EXPECT_EQ(atClick, before) << "round " << round;
        EXPECT_EQ(follows, 1) << "round " << round;
        EXPECT_GT(paintsAtFollow, paintsAtClick) << "round " << round;

        // The windows caught up as a plain click (no event loop) has them at once.
        const QString deferred = followers();
        start->click();
        EXPECT_EQ(follows, 2);
        EXPECT_EQ(result(), resultAtClick);
        EXPECT_EQ(followers(), deferred) << "round " << round;
    }
}

// A run with a scheme open and unmodified keeps it so, though the run writes
// cleaned texts into boxes; and it is no opening or saving: the recent list
// stays as it is (here as another window of the program left it).
TEST_F(ClickFollowTest, RunWithAnUnmodifiedSchemeKeepsItSoAndLeavesTheRecentList) {
    StateMaker make(61);
    auto* start = get<QPushButton>(QStringLiteral("C_guolv_ks"));
    int rewritten = 0;
    for (int round = 0; round < 12; ++round) {
        const QString path = folder.filePath(QStringLiteral("scheme%1.tarnel").arg(round));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(writeScheme(make.main(0.15), nullptr)));
        file.close();
        ASSERT_TRUE(w.openSchemeFile(path));
        const QStringList recent = {QStringLiteral("/elsewhere/other.tarnel"), QFileInfo(path).absoluteFilePath()};
        QSettings().setValue(QStringLiteral("recentSchemes"), recent);
        const MainConditions opened = w.conditions();
        start->click();
        if (!(w.conditions() == opened)) ++rewritten;
        EXPECT_FALSE(w.schemeModified()) << "round " << round;
        EXPECT_FALSE(w.isWindowModified()) << "round " << round;
        EXPECT_EQ(QSettings().value(QStringLiteral("recentSchemes")).toStringList(), recent);
        // A change of the player's after it is one.
        MainConditions changed = w.conditions();
        changed.digits.spanKill[std::size_t(make.below(10))] ^= true;
        w.applyConditions(changed);
        EXPECT_TRUE(w.schemeModified()) << "round " << round;
    }
    EXPECT_GT(rewritten, 0) << "no run cleaned a box";
}

// The result box is told how to wrap before its text goes in, so that the
// text is laid out once: it must end as the box chooses for a text put in
// any other way, from whatever it held before.
TEST(ResultBoxText, WrapsAsTheBoxChoosesWhateverItHeldBefore) {
    StateMaker make(17);
    auto text = [&] {
        std::string t;
        switch (make.below(5)) {
            case 0: t = make.numberList(3, 1 + make.below(1000), false); break;  // a result: one line
            case 1: t = make.numberList(3, 1 + make.below(1200), true); break;   // several lines
            case 2: t = std::string(std::size_t(2040 + make.below(20)), '7'); break;  // about the limit
            case 3: t = make.numberList(3, 500, false) + "\u2028" + make.numberList(3, 500, false); break;
            default: t = make.anyText(true); break;
        }
        return fromStd(t);
    };
    for (int i = 0; i < 60; ++i) {
        MultiLineBox box(QStringLiteral("T_a")), reference(QStringLiteral("T_b"));
        box.resize(300, 200);
        reference.resize(300, 200);
        for (int step = 0; step < 3; ++step) {
            const QString next = text();
            box.setText(next);
            static_cast<QPlainTextEdit&>(reference).setPlainText(fromLineBreaks(next));
            ASSERT_EQ(box.text(), reference.text()) << i << " " << step;
            ASSERT_EQ(box.wordWrapMode(), reference.wordWrapMode()) << i << " " << step << " " << next.size();
        }
    }
}

}  // namespace
}  // namespace tarnel
