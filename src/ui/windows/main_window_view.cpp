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
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/widgets/controls.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/display_scale.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/results_view.h"
#include "core/analysis/slip_heading.h"
#include "ui/panels/digit_properties_panel.h"
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
    bottomRow_ = static_cast<QGridLayout*>(scroll_->widget()->layout())->itemAtPosition(2, 0)->layout();
    // The upper right lines sit close, so that the designed grid is no
    // taller than the tab area beside it needs.
    static_cast<QBoxLayout*>(count_->parentWidget()->layout())->setSpacing(2);
    count_->parentWidget()->updateGeometry();  // measured before the layout's own update comes

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
        results_->setSlipTargetSource([this] {
            return ResultsView::SlipTarget{document_.lottery(), latestIssue(*document_.history(), document_.lottery())};
        });
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
        minimumFor_ = {};  // the regions need other sizes now
        QTimer::singleShot(0, this, &MainWindow::fitLayout);
    }
}

void MainWindow::measureArrangements() {
    const Arrangement now = arrangement_;
    for (int i = 0; i < kArrangements; ++i) {
        placeRegions(Arrangement(i));
        scroll_->widget()->layout()->activate();
        minimumFor_[std::size_t(i)] = scroll_->widget()->minimumSizeHint();
    }
    placeRegions(now);
}

void MainWindow::fitLayout() {
    if (!sideColumn_ || !scroll_ || !scroll_->widget()) return;
    if (!minimumFor_[0].isValid()) measureArrangements();
    // The designed grid where it shows whole, without scrolling, also with
    // a note in the status bar: a note coming and going moves nothing.
    int height = scroll_->height();
    if (status_ && !status_->isVisible()) height -= status_->sizeHint().height() + std::max(0, layout()->spacing());
    const QSize designed = minimumFor_[std::size_t(Arrangement::Designed)];
    if (width() >= designed.width() && height >= designed.height()) {
        placeRegions(Arrangement::Designed);
        return;
    }
    // Else the result column and the commands stand beside the conditions,
    // in sight whatever the conditions scroll, and the conditions take the
    // width left: side by side where they fit across, else one under the
    // other, so that they scroll down only.
    const QMargins margins = sideColumn_->layout()->contentsMargins();
    const int column = std::max(count_->parentWidget()->sizeHint().width(), start_->parentWidget()->sizeHint().width()) +
                       margins.left() + margins.right();
    const int room = width() - column - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Arrangement pick = Arrangement::StackedSplit;
    for (Arrangement a : {Arrangement::Beside, Arrangement::Stacked})
        if (minimumFor_[std::size_t(a)].width() <= room) {
            pick = a;
            break;
        }
    placeRegions(pick);
}

void MainWindow::placeTabs(bool twoRows) {
    const int perRow = twoRows ? (kPageCount + 1) / 2 : kPageCount;
    for (QPushButton* tab : tabs_) tabRow_->removeWidget(tab);
    for (int i = 0; i < kPageCount; ++i) tabRow_->addWidget(tabs_[i], i / perRow, i % perRow);
    for (int col = 0; col < kPageCount; ++col) tabRow_->setColumnStretch(col, col < perRow ? 1 : 0);
}

void MainWindow::placeRegions(Arrangement arrangement) {
    if (arrangement == arrangement_) return;
    const bool wasBeside = resultColumnBeside();
    arrangement_ = arrangement;
    const bool beside = resultColumnBeside();
    QWidget* upperLeft = tabs_[0]->parentWidget();
    QWidget* upperRight = count_->parentWidget();
    QWidget* lowerRight = start_->parentWidget();
    auto* grid = static_cast<QGridLayout*>(scroll_->widget()->layout());
    auto* side = static_cast<QVBoxLayout*>(sideColumn_->layout());
    auto* bottom = static_cast<QBoxLayout*>(bottomRow_);
    QWidget* focus = focusWidget();

    // Everything out, then back where this arrangement puts it.
    for (QWidget* region : {upperLeft, upperRight, lowerRight, digits_->middleLeftFrames(), digits_->middleRightFrames()}) {
        grid->removeWidget(region);
        side->removeWidget(region);
    }
    grid->removeWidget(digits_->bottomRightFrames());
    bottom->removeWidget(digits_->bottomRightFrames());
    if (const int at = grid->indexOf(bottom); at >= 0) grid->takeAt(at);
    for (int row = 0; row < grid->rowCount(); ++row) grid->setRowStretch(row, 0);
    for (int col = 0; col < grid->columnCount(); ++col) grid->setColumnStretch(col, 0);

    switch (arrangement) {
    case Arrangement::Designed:
        // The result column stands beside the tab area only, so the pattern
        // frames can use the full width below it.
        grid->addWidget(upperLeft, 0, 0, 1, 2);
        grid->addWidget(upperRight, 0, 2);
        grid->addWidget(digits_->middleLeftFrames(), 1, 0);
        grid->addWidget(digits_->middleRightFrames(), 1, 1, 1, 2);
        bottom->addWidget(digits_->bottomRightFrames());
        grid->addLayout(bottom, 2, 0, 1, 2);
        grid->addWidget(lowerRight, 2, 2);
        grid->setRowStretch(0, 1);
        grid->setRowStretch(2, 1);
        break;
    case Arrangement::Beside:
        grid->addWidget(upperLeft, 0, 0, 1, 2);
        grid->addWidget(digits_->middleLeftFrames(), 1, 0);
        grid->addWidget(digits_->middleRightFrames(), 1, 1);
        bottom->addWidget(digits_->bottomRightFrames());
        grid->addLayout(bottom, 2, 0, 1, 2);
        grid->setRowStretch(0, 1);
        grid->setRowStretch(2, 1);
        break;
    case Arrangement::Stacked:
    case Arrangement::StackedSplit:
        // The regions in their reading order, one under the other; on a
        // narrow screen the form exclusion goes under the base list.
        grid->addWidget(upperLeft, 0, 0, 1, 2);
        grid->addWidget(digits_->middleLeftFrames(), 1, 0, 1, 2, Qt::AlignLeft);
        grid->addWidget(digits_->middleRightFrames(), 2, 0, 1, 2, Qt::AlignLeft);
        grid->addLayout(bottom, 3, 0, 1, 2);
        if (arrangement == Arrangement::Stacked)
            bottom->addWidget(digits_->bottomRightFrames());
        else
            grid->addWidget(digits_->bottomRightFrames(), 4, 0, 1, 2, Qt::AlignLeft);
        grid->setRowStretch(0, 1);
        grid->setRowStretch(3, 1);
        break;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    placeTabs(beside);
    if (beside) {
        side->addWidget(upperRight, 1);
        side->addWidget(lowerRight);
    }
    upperRight->show();
    lowerRight->show();
    sideColumn_->setVisible(beside);
    if (beside == wasBeside) return;
    // Moving the column must not change the tab order or take the focus away.
    orderFocusChain(regionsInOrder());
    if (focus && focus != focusWidget()) focus->setFocus();
}

}  // namespace tarnel
