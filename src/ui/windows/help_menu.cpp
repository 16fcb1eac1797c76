// 帮助 menu: the guide (使用说明) inside the program, and 关于 Tarnel.

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/widgets/controls.h"
#include "ui/widgets/settings.h"
#include "ui/widgets/ui_services.h"
#include "ui/widgets/window_fit.h"
#include "ui/panels/number_lists_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/history_window.h"

#ifndef TARNEL_VERSION
#define TARNEL_VERSION "0.0.0"
#endif

// The guide and its pictures are resources of this library.
static void initGuideResources() { Q_INIT_RESOURCE(help); }

namespace tarnel {

QString aboutTarnelText() {
    const QString recent = QDir::toNativeSeparators(Settings::fileName());
    return QStringLiteral(
               "Tarnel %1\r\n"
               "三位数彩票缩水工具：按您自己的条件筛选号码，不能预测开奖。\r\n"
               "\r\n"
               "许可证：GNU 通用公共许可证第 3 版，或（由您选择）任何更新的版本（GPL-3.0-or-later）。"
               "本程序是自由软件，不提供任何担保。\r\n"
               "\r\n"
               "文件位置：\r\n"
               "最近打开的方案列表：%2\r\n"
               "开奖历史：%3\r\n"
               "上次的条件：%4\r\n")
        .arg(QStringLiteral(TARNEL_VERSION), recent, QDir::toNativeSeparators(HistoryWindow::storagePath()),
             QDir::toNativeSeparators(MainWindow::lastConditionsPath()));
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar_->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("Menu_bangzhu"));
    QAction* guide = help->addAction(QStringLiteral("使用说明"), this, &MainWindow::openGuide);
    guide->setObjectName(QStringLiteral("Action_shiyong_shuoming"));
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    guide->setShortcutContext(Qt::WindowShortcut);
    QAction* about = help->addAction(QStringLiteral("关于 Tarnel"), this, &MainWindow::showAbout);
    about->setObjectName(QStringLiteral("Action_guanyu"));

    for (QWidget* box : lists_->guideHintBoxes()) box->setToolTip(QStringLiteral("软件教程：帮助 → 使用说明（F1）"));
}

QWidget* MainWindow::openGuide() {
    if (!guide_) {
        initGuideResources();
        auto* dialog = new QDialog(this, Qt::Window);
        dialog->setObjectName(QStringLiteral("F_shiyong_shuoming"));
        dialog->setWindowTitle(QStringLiteral("使用说明 - Tarnel"));
        auto* layout = new QVBoxLayout(dialog);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName(QStringLiteral("Guide"));
        browser->setOpenLinks(true);
        browser->setOpenExternalLinks(false);
        QFile page(QStringLiteral(":/guide/guide.html"));
        if (page.open(QIODevice::ReadOnly)) browser->setHtml(QString::fromUtf8(page.readAll()));
        layout->addWidget(browser);
        dialog->resize(820, 680);
        guide_ = dialog;
        guideText_ = browser;
    }
    // From a box whose hint sends the player here: straight to the conditions.
    if (QWidget* focus = focusWidget(); focus && lists_->guideHintBoxes().contains(focus))
        guideText_->scrollToAnchor(QStringLiteral("conditions"));
    bringToFront(guide_);  // fitted to the screen, its title bar in sight, the first time
    return guide_;
}

void MainWindow::showAbout() { services_.showMessage(this, QStringLiteral("关于 Tarnel"), aboutTarnelText()); }

}  // namespace tarnel
