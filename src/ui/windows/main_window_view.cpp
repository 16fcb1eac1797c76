// The main window's results view (查看结果), its run keys and the 视图 menu.

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/widgets/controls.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/display_scale.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/results_view.h"
#include "ui/panels/pool_source_panel.h"
#include "ui/windows/main_window.h"

namespace tarnel {

QPushButton* MainWindow::makeResultsButton(QWidget* parent) {
    auto* b = makeButton(QStringLiteral("C_chakan_jieguo"), QStringLiteral("查看结果"), colors::kGrey, parent);
    b->setToolTip(QStringLiteral("分栏查看结果号码：直选、组选注数，豹子/组三/组六，金额，和值分布，"
                                 "按格式复制或导出，发送到大底或交集工具（双击结果框也可打开）"));
    connect(b, &QPushButton::clicked, this, &MainWindow::openResults);
    return b;
}

void MainWindow::buildViewExtras() {
    // The count is the run's to write; the player may still select and copy it.
    count_->setReadOnly(true);
    connect(output_, &MultiLineBox::doubleClicked, this, &MainWindow::openResults);
    addRunShortcuts(this, start_);

    // Beside the scroll area stands a column that takes the result box and
    // the command buttons when the window is too narrow for the whole grid.
    auto* outer = static_cast<QBoxLayout*>(layout());
    outer->removeWidget(scroll_);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(scroll_, 1);
    sideColumn_ = new QWidget(this);
    sideColumn_->setObjectName(QStringLiteral("ResultColumn"));
    auto* side = new QVBoxLayout(sideColumn_);
    side->setContentsMargins(4, 6, 6, 6);
    side->setSpacing(4);
    sideColumn_->hide();
    row->addWidget(sideColumn_);
    outer->addLayout(row);

    QMenu* view = menuBar_->addMenu(QStringLiteral("视图(&V)"));
    view->setObjectName(QStringLiteral("Menu_shitu"));
    view->addAction(QStringLiteral("查看结果…"), this, &MainWindow::openResults);
    QMenu* scale = view->addMenu(QStringLiteral("显示比例"));
    scale->setObjectName(QStringLiteral("Menu_xianshi_bili"));
    auto* group = new QActionGroup(scale);
    for (int percent : kDisplayScales) {
        QAction* a = scale->addAction(QStringLiteral("%1%").arg(percent));
        a->setObjectName(QStringLiteral("Act_bili_%1").arg(percent));
        a->setCheckable(true);
        a->setChecked(percent == displayScale());
        group->addAction(a);
        connect(a, &QAction::triggered, this, [percent] { setDisplayScale(percent); });
    }
    // Another window may change the scale too; the ticks follow when the menu opens.
    connect(scale, &QMenu::aboutToShow, scale, [scale] {
        for (QAction* a : scale->actions())
            a->setChecked(a->objectName() == QStringLiteral("Act_bili_%1").arg(displayScale()));
    });
}

ResultsView* MainWindow::openResults() {
    if (!results_) {
        results_ = new ResultsView(output_, 3, services_, this);
        results_->setSchemeNameSource(
            [this] { return schemePath().isEmpty() ? QString() : QFileInfo(schemePath()).completeBaseName(); });
        results_->addTarget(QStringLiteral("C_jg_fasong[0]"), QStringLiteral("发送到大底"),
                            [this](const QString& text) { sendToBaseList(text); });
        results_->addTarget(QStringLiteral("C_jg_fasong[1]"), QStringLiteral("发送到交集A"),
                            [this](const QString& text) { sendToSetList(0, text); });
        results_->addTarget(QStringLiteral("C_jg_fasong[2]"), QStringLiteral("发送到交集B"),
                            [this](const QString& text) { sendToSetList(1, text); });
    } else {
        results_->refresh();
    }
    bringToFront(results_);
    return results_;
}

// ---- fitting small screens ------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitLayout();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && sideColumn_) {
        wideMinimum_ = QSize();  // the grid needs another size now
        QTimer::singleShot(0, this, &MainWindow::fitLayout);
    }
}

void MainWindow::fitLayout() {
    if (!sideColumn_ || !scroll_ || !scroll_->widget()) return;
    if (!wideMinimum_.isValid()) {
        placeResultColumn(false);
        scroll_->widget()->layout()->activate();
        wideMinimum_ = scroll_->widget()->minimumSizeHint();
    }
    // The grid fits when the scroll area shows it whole across, beside the
    // vertical scroll bar when the grid is taller than the window.
    const int bar = wideMinimum_.height() > scroll_->height() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    placeResultColumn(width() < wideMinimum_.width() + bar);
}

void MainWindow::placeResultColumn(bool beside) {
    if (beside == resultColumnBeside_) return;
    resultColumnBeside_ = beside;
    QWidget* upperRight = count_->parentWidget();
    QWidget* lowerRight = start_->parentWidget();
    auto* grid = static_cast<QGridLayout*>(scroll_->widget()->layout());
    auto* side = static_cast<QVBoxLayout*>(sideColumn_->layout());
    QWidget* focus = focusWidget();
    if (beside) {
        grid->removeWidget(upperRight);
        grid->removeWidget(lowerRight);
        side->addWidget(upperRight, 1);
        side->addWidget(lowerRight);
    } else {
        side->removeWidget(upperRight);
        side->removeWidget(lowerRight);
        grid->addWidget(upperRight, 0, 2);
        grid->addWidget(lowerRight, 2, 2);
    }
    upperRight->show();
    lowerRight->show();
    sideColumn_->setVisible(beside);
    // Moving the column must not change the tab order or take the focus away.
    orderFocusChain(regionsInOrder());
    if (focus && focus != focusWidget()) focus->setFocus();
}

}  // namespace tarnel
