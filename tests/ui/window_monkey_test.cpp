// Random sessions over the windows tarnel-replay cannot address: 开奖历史,
// 条件统计 and 号码诊断, mixed with runs, clearing and the two-star window.
// Fixed seeds; hostile texts and files. Besides not crashing (the sanitizer
// build runs this too): the history box keeps exactly what was put in and
// reads as the engine reads it, a diagnosis right after a run agrees with
// the run's result, and no action on these windows changes a text box of
// the main window.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

#include "core/analysis/condition_report.h"
#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/statistics_window.h"
#include "ui/widgets/controls.h"
#include "core/rules/text.h"
#include "main_window_fixture.h"
#include "core/files/history.h"
#include "ui/windows/history_window.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

struct MonkeyStore {
    QTemporaryDir store;
};

class WindowMonkey : public MonkeyStore, public MainWindowFixture, public ::testing::WithParamInterface<unsigned> {
protected:
    WindowMonkey() : rng(GetParam()) {
        HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt")));
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    QString hostile() {
        static const char* const pieces[] = {"2026330 5 8 2", "582", "5,8,2", "😀🎲", "𠀀", "\xEF\xBB\xBF", "1e400",
                                             "99999999999999999999999999", "\t", "\r", "\n", "\r\n", "第2026330期",
                                             "2026年12月06日", "12:30:59", "１２３", "\u202E321", "e\xCC\x81\xCC\x81"};
        QString text;
        const int n = pick(40);
        for (int i = 0; i < n; ++i) {
            switch (pick(6)) {
                case 0: text += QChar(char16_t(pick(32))); break;                // control characters and NUL
                case 1: text += QChar(char16_t(0xD800 + pick(0x800))); break;    // a lone surrogate
                case 2: text += QString::number(pick(1000)).rightJustified(3, QLatin1Char('0')); break;
                default: text += QString::fromUtf8(pieces[pick(18)]); break;
            }
            if (pick(3) == 0) text += QLatin1Char(' ');
        }
        return text;
    }

    QString draws(int lines) {
        QString text;
        for (int i = 0; i < lines; ++i)
            text += QStringLiteral("%1 %2 %3 %4\r\n").arg(2026000 + i).arg(pick(10)).arg(pick(10)).arg(pick(10));
        return text;
    }

    // Every text box of the main window, by name.
    std::map<QString, QString> mainBoxes() {
        std::map<QString, QString> out;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (c->window() != &w || c->objectName().isEmpty()) continue;
            if (auto* m = qobject_cast<MultiLineBox*>(c)) out[c->objectName()] = m->text();
            else if (auto* e = qobject_cast<QLineEdit*>(c)) out[c->objectName()] = e->text();
        }
        return out;
    }

    // The main boxes whose text differs from `before`, with both texts (UTF-16 units past ASCII as \\uXXXX).
    std::string changedBoxes(const std::map<QString, QString>& before) {
        const auto shown = [](const QString& t) {
            std::string out;
            for (QChar c : t.left(80)) {
                if (c.unicode() >= 0x20 && c.unicode() < 0x7F) out += char(c.unicode());
                else out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toStdString();
            }
            return out;
        };
        std::string out;
        for (const auto& [name, text] : mainBoxes()) {
            const auto was = before.find(name);
            if (was == before.end() || was->second != text)
                out += name.toStdString() + ": \"" + (was == before.end() ? "" : shown(was->second)) + "\" -> \"" + shown(text) + "\"\n";
        }
        return out;
    }

    void typeIntoMainBox(const QString& text) {
        QList<QWidget*> boxes;
        for (QWidget* c : w.findChildren<QWidget*>())
            if (c->window() == &w && (qobject_cast<MultiLineBox*>(c) || qobject_cast<LineBox*>(c))) boxes << c;
        QWidget* box = boxes[pick(int(boxes.size()))];
        if (auto* m = qobject_cast<MultiLineBox*>(box)) m->setText(text);
        else static_cast<LineBox*>(box)->setText(text);
    }

    // The numbers of the last run's result box.
    std::set<int> survivors() {
        const NumberReading r = readNumbers(w.lastRun()->result.text);
        return {r.numbers.begin(), r.numbers.end()};
    }

    void runAndDiagnose() {
        get<QPushButton>(QStringLiteral("C_guolv_ks"))->click();
        const std::set<int> kept = survivors();
        QString asked;
        for (int i = 0; i < 30; ++i) asked += QString::number(pick(1000)).rightJustified(3, QLatin1Char('0')) + QLatin1Char(' ');
        for (int n : kept) if (pick(20) == 0) asked += QString::number(n).rightJustified(3, QLatin1Char('0')) + QLatin1Char(',');
        DiagnosisDialog* d = w.openDiagnosis();
        d->diagnoseText(asked + hostile());
        for (const NumberDiagnosis& r : d->results())
            EXPECT_EQ(r.survives, kept.count(r.number) == 1) << "number " << r.number << ", seed " << GetParam();
    }

    std::mt19937 rng;
    QTemporaryDir files;
};

TEST_P(WindowMonkey, HistoryStatisticsAndDiagnosisSurviveRandomSessions) {
    HistoryWindow* h = w.openHistory();
    for (int action = 0; action < 45; ++action) {
        const std::map<QString, QString> before = mainBoxes();
        bool mainMayChange = false;
        const int kind = pick(14);
        switch (kind) {
            case 0:
                typeIntoMainBox(pick(2) ? hostile() : draws(pick(20)));
                mainMayChange = true;
                break;
            case 1:
                runAndDiagnose();
                mainMayChange = true;  // the run writes its result and cleaned texts
                break;
            case 2:
                get<QPushButton>(QStringLiteral("C_all_cls"))->click();
                mainMayChange = true;
                break;
            case 3: {  // paste into the history, read at once or after the pause
                const QString text = pick(4) == 0 ? draws(300 + pick(500)) : hostile() + draws(pick(30)) + hostile();
                h->setHistoryText(text);
                if (pick(2)) h->rereadNow(); else QTest::qWait(pick(150));
                h->rereadNow();
                // The box keeps every character; its line breaks are LF.
                EXPECT_EQ(h->historyText(), fromLineBreaks(text)) << "seed " << GetParam();
                const QByteArray utf8 = text.toUtf8();
                const History want = readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
                EXPECT_EQ(h->history().draws.size(), want.draws.size());
                EXPECT_EQ(h->history().skipped, want.skipped);
                break;
            }
            case 4: {  // open a file: text, not UTF-8, with NUL bytes, or random bytes
                QByteArray bytes;
                switch (pick(4)) {
                    case 0: bytes = draws(pick(50)).toUtf8(); break;
                    case 1: bytes = draws(pick(50)).toUtf8() + "\xB5\xDA" + "\xC6\xDA\r\n"; break;  // GB18030 pieces
                    case 2: bytes = draws(5).toUtf8() + QByteArray(3, '\0'); break;
                    default: for (int i = pick(5000); i > 0; --i) bytes += char(pick(256)); break;
                }
                const QString path = files.filePath(QStringLiteral("draws-%1.txt").arg(action));
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(bytes);
                f.close();
                const QString kept = h->historyText();
                if (!h->openHistoryFile(path)) {
                    EXPECT_EQ(h->historyText(), kept) << "a refused file changed the box";
                }
                h->openHistoryFile(files.filePath(QStringLiteral("missing.txt")));
                break;
            }
            case 5:
                h->showTrend(kTrendMeasures[std::size_t(pick(kTrendMeasureCount))]);
                h->pickTrendValue(pick(40) - 5);  // values past either end included; ticks kill check boxes
                break;
            case 6:
                if (auto* tabs = h->findChild<QTabWidget*>(QStringLiteral("Tab_lishi"))) tabs->setCurrentIndex(pick(tabs->count() + 1) - 1);
                break;
            case 7:
                h->close();
                QCoreApplication::processEvents();
                h = w.openHistory();
                break;
            case 8: {
                StatisticsWindow* s = w.openStatistics();
                if (auto* table = s->findChild<QTableWidget*>(QStringLiteral("Grid_tongji")))
                    table->sortItems(pick(std::max(1, table->columnCount())), pick(2) ? Qt::AscendingOrder : Qt::DescendingOrder);
                if (auto* column = s->findChild<QComboBox*>(QStringLiteral("Combo_tongji_tubiao")))
                    column->setCurrentIndex(pick(column->count()));
                if (pick(3) == 0) s->close();
                break;
            }
            case 9:
                w.openDiagnosis()->diagnoseText(hostile());
                break;
            case 10: {  // the result box's context menu, with or without a selection
                auto* out = get<MultiLineBox>(QStringLiteral("T_dadi_output"));
                QTextCursor cursor = out->textCursor();
                const int length = int(out->toPlainText().size());
                cursor.setPosition(pick(length + 1));
                if (pick(2)) cursor.setPosition(pick(length + 1), QTextCursor::KeepAnchor);
                out->setTextCursor(cursor);
                QMenu* menu = w.resultContextMenu(QPoint(pick(400) - 50, pick(400) - 50));
                for (QAction* a : menu->actions())
                    if (a->objectName() == QLatin1String("diagnose-number")) a->trigger();
                delete menu;
                break;
            }
            case 11:
                if (TwoStarWindow* t = w.twoStarWindow()) t->close(); else w.openTwoStar();
                QCoreApplication::processEvents();
                h->refreshBacktests();
                break;
            case 12:
                h->clearHistory();
                break;
            default:
                QTest::qWait(pick(150));  // timers fire
                break;
        }
        if (!mainMayChange) {
            EXPECT_EQ(changedBoxes(before), "") << "action kind " << kind << ", seed " << GetParam();
        }
        if (::testing::Test::HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, WindowMonkey, ::testing::Values(1u, 2u, 3u));

// Showing a state (a trend double-click, 清空所有条件, opening a scheme)
// leaves alone a box whose text already reads as the state's, even one
// holding characters UTF-8 cannot carry exactly.
class ShownState : public MainWindowFixture {};

TEST_F(ShownState, LeavesBoxesThatAlreadyShowItUntouched) {
    auto* base = get<MultiLineBox>(QStringLiteral("T_jichu_dadi"));
    auto* digits = get<LineBox>(QStringLiteral("T_dadi_in[0]"));
    const QString odd = QStringLiteral("123 ") + QChar(0xD800) + QStringLiteral(" 456") + QChar(0xDC01);
    base->setText(odd);
    digits->setText(odd);
    MainConditions state = w.conditions();
    state.digits.sumTailKill[3] = true;
    w.applyConditions(state);
    EXPECT_EQ(base->text(), odd);
    EXPECT_EQ(digits->text(), odd);
    EXPECT_TRUE(get<QCheckBox>(QStringLiteral("Check_hewei_sha[3]"))->isChecked());
}

}  // namespace
}  // namespace tarnel
