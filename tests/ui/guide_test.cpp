// The guide (使用说明) covers what the windows offer: every tab of the
// history and results windows, every tool, the rules tab; its links lead
// to its own sections; and what it says 清空所有条件 does is what it does.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QTest>
#include <QPushButton>
#include <QDir>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "main_window_fixture.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/text_boxes.h"
#include "ui/windows/history_window.h"

namespace tarnel {
namespace {

struct HistoryStore {
    QTemporaryDir store;
};

class GuideTest : public HistoryStore, public MainWindowFixture {
protected:
    GuideTest() { HistoryWindow::setStoragePath(store.filePath(QStringLiteral("data/history.txt"))); }
    QTextBrowser* guide() { return w.openGuide()->findChild<QTextBrowser*>(); }
    static QString caption(QString text) {
        return text.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&|…"))).trimmed();
    }
};

TEST_F(GuideTest, NamesEveryTabAndToolAndItsLinksLeadSomewhere) {
    QTextBrowser* browser = guide();
    ASSERT_TRUE(browser);
    const QString text = browser->toPlainText();
    QStringList names;
    for (QWidget* window : {static_cast<QWidget*>(w.openHistory()), static_cast<QWidget*>(w.openResults())})
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
            for (int t = 0; t < tabs->count(); ++t) names << caption(tabs->tabText(t));
    for (QAction* menu : w.menuBar()->actions())
        if (caption(menu->text()) == QStringLiteral("工具"))
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator()) names << caption(a->text());
    names << QStringLiteral("动态条件") << QStringLiteral("二星验证") << QStringLiteral("单价");
    EXPECT_GT(names.size(), 10);
    for (const QString& name : names) EXPECT_TRUE(text.contains(name)) << name.toStdString() << " is not in the guide";

    // Every link inside the guide names one of its anchors.
    QFile page(QStringLiteral(":/guide/guide.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QSet<QString> anchors;
    for (const auto& m : QRegularExpression(QStringLiteral("<a name=\"([^\"]+)\"")).globalMatch(html)) anchors << m.captured(1);
    int links = 0;
    for (const auto& m : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html)) {
        ++links;
        EXPECT_TRUE(anchors.contains(m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GT(links, 10);
}

// 清空所有条件 clears the 大底 too: the guide says so, and never that it stays.
TEST_F(GuideTest, SaysWhatClearingAllConditionsDoesToTheBase) {
    auto* base = get<MultiLineBox>(QStringLiteral("T_jichu_dadi"));
    base->setText(QStringLiteral("123 456"));
    get<QAbstractButton>(QStringLiteral("C_all_cls"))->click();
    const bool baseCleared = !base->text().contains(QStringLiteral("123 456"));
    const QString text = guide()->toPlainText();
    const qsizetype at = text.indexOf(QStringLiteral("【清空所有条件】"));
    ASSERT_GE(at, 0);
    const QString sentence = text.mid(at, text.indexOf(QLatin1Char('\n'), at) - at);
    EXPECT_TRUE(baseCleared);
    EXPECT_EQ(sentence.contains(QStringLiteral("大底也一并清空")), baseCleared) << sentence.toStdString();
    EXPECT_FALSE(sentence.contains(QStringLiteral("大底保留"))) << sentence.toStdString();
}


// The guide's pictures, made from the windows as they are (not a check):
// with TARNEL_GUIDE_PICTURES set to a folder, the pictures the guide shows
// are saved there, to be copied into src/ui/windows/help.
TEST_F(GuideTest, Pictures) {
    const QString folder = qEnvironmentVariable("TARNEL_GUIDE_PICTURES");
    if (folder.isEmpty()) GTEST_SKIP() << "TARNEL_GUIDE_PICTURES not set";
    const auto save = [&](QPixmap picture, const char* name, int width) {
        if (picture.width() > width) picture = picture.scaledToWidth(width, Qt::SmoothTransformation);
        picture.save(QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png")));
    };
    w.resize(1366, 740);
    w.show();
    QTest::qWait(300);
    save(w.grab(), "first-run", 720);

    get<MultiLineBox>("T_main_shazhixuan")->setText(QStringLiteral("123 557 000 999"));
    for (const char* box : {"Check_hewei_sha[3]", "Check_hewei_sha[7]", "Check_kuadu_sha[0]", "Check_kuadu_sha[9]"})
        get<QAbstractButton>(QLatin1String(box))->click();
    get<QPushButton>("C_guolv_ks")->click();
    QTest::qWait(300);
    save(w.grab(), "conditions", 720);

    // The file menu, as the scheme section shows it.
    for (QAction* menu : w.menuBar()->actions()) {
        if (!caption(menu->text()).startsWith(QStringLiteral("文件"))) continue;
        menu->menu()->popup(w.mapToGlobal(QPoint(0, w.menuBar()->height())));
        QTest::qWait(300);
        save(menu->menu()->grab(), "scheme", 320);
        menu->menu()->close();
    }

    // 容错 and what it keeps: the column right of the tabs.
    auto* tolerance = get<QComboBox>("Combo_rongcuo");
    tolerance->setCurrentIndex(1);
    get<QPushButton>("C_guolv_ks")->click();
    QTest::qWait(300);
    // From 最后注数 down to 已设条件.
    QWidget* column = tolerance->parentWidget();
    const QPixmap whole = column->grab();
    const int top = get<QWidget>("L_yuji_zhushu")->mapTo(column, QPoint(0, 0)).y() - 40;
    save(whole.copy(0, std::max(0, top), whole.width(), whole.height() - std::max(0, top)), "tolerance", 360);

    HistoryWindow* h = w.openHistory();
    QString draws;
    for (int i = 0; i < 400; ++i)
        draws += QStringLiteral("%1 %2\n").arg(2025001 + i).arg((i * 379 + 123) % 1000, 3, 10, QLatin1Char('0'));
    h->setHistoryText(draws);
    h->rereadNow();
    h->resize(1200, 720);
    h->findChild<QTabWidget*>()->setCurrentIndex(1);
    QTest::qWait(500);
    save(h->grab(), "history", 720);
    h->close();

    ResultsView* view = w.openResults();
    QTest::qWait(300);
    save(view->grab(), "results", 720);
    view->close();
}

}  // namespace
}  // namespace tarnel
