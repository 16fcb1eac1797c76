// A paste into a box of a shown window, through to the result and the box's
// page shown again: per shape of text and per kind of box. Peak memory is
// measured one case per process by tarnel-paste-probe (bench/paste_cases.sh).
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

namespace {

// 0: one digit run, 1: one three-digit number per line, 2: mixed text with CJK and punctuation.
QString pasteText(int shape, qsizetype chars) {
    QRandomGenerator rng(42);
    static const char16_t kCjk[] = u"大底号码杀直选垃圾复式，。、；：！？";
    QString text;
    text.reserve(chars + 8);
    while (text.size() < chars) {
        if (shape == 0) {
            text += QChar(u'0' + rng.bounded(10));
        } else if (shape == 1) {
            text += QString::number(rng.bounded(1000)).rightJustified(3, QLatin1Char('0'));
            text += QLatin1Char('\n');
        } else {
            const quint32 kind = rng.bounded(100);
            if (kind < 50) text += QChar(u'0' + rng.bounded(10));
            else if (kind < 70) text += QLatin1Char(",. ;*-"[rng.bounded(6)]);
            else if (kind < 98) text += QChar(kCjk[rng.bounded(int(std::size(kCjk) - 1))]);
            else text += QStringLiteral("\r\n");
        }
    }
    return text;
}

struct Target {
    const char* window;  // "main" or "2d"
    const char* box;
    int page;  // tab page of the main window holding the box, -1 for none
};
const Target kTargets[] = {{"main", "T_jichu_dadi", -1},
                           {"main", "T_main_dw2m[0]", 6},
                           {"2d", "T_2d_dd[0]", -1},
                           {"main", "T_lm_he[0]", 7},
                           {"main", "T_dadi_in[0]", -1}};

void BM_PasteRunShow(benchmark::State& state) {
    const Target& target = kTargets[state.range(0)];
    const int shape = int(state.range(1));
    const QString text = pasteText(shape, state.range(2));
    tarnel::RecordingUiServices services;
    tarnel::MainWindow main(services);
    main.show();
    QWidget* window = &main;
    if (QLatin1String(target.window) == QLatin1String("2d")) window = main.openTwoStar();
    QApplication::processEvents();
    auto* box = window->findChild<QWidget*>(QString::fromLatin1(target.box));
    auto click = [window](const QString& name) { window->findChild<QPushButton*>(name)->click(); };
    const QString start = window == &main ? QStringLiteral("C_guolv_ks") : QStringLiteral("C_2d_ks[0]");
    QGuiApplication::clipboard()->setText(text);
    for (auto _ : state) {
        state.PauseTiming();
        if (target.page >= 0) click(tarnel::indexedName(QStringLiteral("C_ding_anniu"), target.page));
        if (auto* p = qobject_cast<QPlainTextEdit*>(box)) p->clear();
        if (auto* l = qobject_cast<tarnel::LineBox*>(box)) l->setText(QString());
        QApplication::processEvents();
        state.ResumeTiming();
        box->setFocus();
        if (auto* p = qobject_cast<QPlainTextEdit*>(box)) p->paste();
        if (auto* l = qobject_cast<tarnel::LineBox*>(box)) l->paste();
        QApplication::processEvents();
        click(start);
        QApplication::processEvents();
        if (target.page >= 0) {
            click(tarnel::indexedName(QStringLiteral("C_ding_anniu"), 0));
            QApplication::processEvents();
            click(tarnel::indexedName(QStringLiteral("C_ding_anniu"), target.page));
        }
        QApplication::processEvents();
        box->repaint();
    }
    state.SetLabel(std::string(target.box) + (shape == 0 ? " run" : shape == 1 ? " lines" : " text"));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(2));
}

void pasteCases(benchmark::internal::Benchmark* b) {
    for (int target = 0; target < int(std::size(kTargets)); ++target)
        for (int shape = 0; shape < 3; ++shape)
            b->Args({target, shape, 10'000'000});
}
BENCHMARK(BM_PasteRunShow)->Apply(pasteCases)->Iterations(1)->Unit(benchmark::kMillisecond);

// A keystroke in a single-line box holding a long paste: the edit, the box
// announcing its text, and a repaint.
void BM_KeystrokeInLongLine(benchmark::State& state) {
    QWidget window;
    auto* box = new tarnel::LineBox(QStringLiteral("T_probe"), &window);
    box->setGeometry(10, 10, 120, 22);
    window.show();
    box->setText(pasteText(0, state.range(0)));
    box->setCursorIndex(state.range(0) / 2);
    QApplication::processEvents();
    QWidget* editor = box->holdsLongText() ? box->longEditor() : static_cast<QWidget*>(box);
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
        QApplication::sendEvent(editor, &key);
        QApplication::processEvents();
        editor->repaint();
    }
}
BENCHMARK(BM_KeystrokeInLongLine)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
