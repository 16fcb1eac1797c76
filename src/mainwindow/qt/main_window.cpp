#include "mainwindow/qt/main_window.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/qt/controls.h"
#include "common/qt/ui_services.h"
#include "conditions/qt/digit_properties_panel.h"
#include "conditions/qt/number_lists_panel.h"
#include "conditions/qt/positional_panel.h"
#include "mainwindow/qt/set_tool_panel.h"
#include "pool/qt/pool_source_panel.h"
#include "twostar/qt/two_star_window.h"

namespace tarnel {

namespace {

const char* const kTabCaptions[10] = {"杀直选", "杀垃圾复式", "杀2码组合", "必出2码组合", "交集工具",
                                      "定位杀2码", "定位2码", "其它", "位置匹配", "定位胆"};
const char* const kPageCaptions[10] = {"杀直选", "垃圾复式", "杀2码", "必出2码", "交集工具",
                                       "定位杀2码", "定位2码", "其它", "位置匹配", "定位容对"};

// A plain container whose frames are stacked top to bottom.
QWidget* makeRegion(QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    return w;
}

}  // namespace

MainWindow::MainWindow(UiServices& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Fmain"));
    setWindowTitle(QStringLiteral("Tarnel"));
    setBackColor(this, colors::kGrey);
    buildLayout();
    showTab(0);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout() {
    regions_.window = this;
    regions_.services = &services_;

    // Upper left: tab row over ten pages sharing one place.
    auto* upperLeft = new QWidget(this);
    auto* ulLayout = new QVBoxLayout(upperLeft);
    ulLayout->setContentsMargins(0, 0, 0, 0);
    ulLayout->setSpacing(0);
    auto* tabRow = new QHBoxLayout;
    tabRow->setSpacing(1);
    for (int i = 0; i < 10; ++i) {
        tabs_[i] = makeButton(indexedName(QStringLiteral("C_ding_anniu"), i),
                              QString::fromUtf8(kTabCaptions[i]), colors::kGrey, upperLeft);
        connect(tabs_[i], &QPushButton::clicked, this, [this, i] { showTab(i); });
        tabRow->addWidget(tabs_[i]);
    }
    ulLayout->addLayout(tabRow);
    auto* pageArea = new QWidget(upperLeft);
    auto* pageGrid = new QGridLayout(pageArea);
    pageGrid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 10; ++i) {
        auto* page = new QGroupBox(QString::fromUtf8(kPageCaptions[i]), pageArea);
        page->setObjectName(indexedName(QStringLiteral("Frame_ding"), i));
        auto* v = new QVBoxLayout(page);
        v->setContentsMargins(6, 6, 6, 6);
        QSizePolicy sp = page->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        page->setSizePolicy(sp);
        pageGrid->addWidget(page, 0, 0);
        regions_.pages[static_cast<std::size_t>(i)] = page;
    }
    ulLayout->addWidget(pageArea, 1);
    auto* otherPage = regions_.pages[7];
    regions_.otherPageLists = makeRegion(otherPage);
    regions_.otherPageAnyTwo = makeRegion(otherPage);
    otherPage->layout()->addWidget(regions_.otherPageLists);
    otherPage->layout()->addWidget(regions_.otherPageAnyTwo);

    regions_.middleLeft = makeRegion(this);
    regions_.middleRight = makeRegion(this);
    regions_.bottomLeft = makeRegion(this);
    regions_.bottomRight = makeRegion(this);

    // Upper right: pool sources, result box, count, the two-star button.
    auto* upperRight = new QWidget(this);
    auto* urLayout = new QVBoxLayout(upperRight);
    urLayout->setContentsMargins(0, 0, 0, 0);
    auto* sourceFrame = new QGroupBox(QStringLiteral("......."), upperRight);
    new QVBoxLayout(sourceFrame);
    sources_ = new PoolSourcePanel(sourceFrame, this);
    output_ = new MultiLineBox(QStringLiteral("T_dadi_output"), sourceFrame);
    output_->setText(kResultInitialText);
    sourceFrame->layout()->addWidget(output_);
    urLayout->addWidget(sourceFrame, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("最后注数"), upperRight));
    count_ = new LineBox(QStringLiteral("T_dadi_zhushu"), upperRight);
    count_->setText(QStringLiteral("0"));
    count_->setMaximumWidth(80);
    countRow->addWidget(count_);
    countRow->addStretch(1);
    auto* openTwoStar = makeButton(QStringLiteral("C_op_2d"), QStringLiteral("二星缩水软件"),
                                   colors::kLightGreen, upperRight);
    countRow->addWidget(openTwoStar);
    urLayout->addLayout(countRow);
    connect(openTwoStar, &QPushButton::clicked, this, [this] { openTwoStarWindow(this, services_); });

    // Lower right: the four command buttons.
    auto* lowerRight = new QWidget(this);
    auto* lrLayout = new QVBoxLayout(lowerRight);
    lrLayout->setContentsMargins(0, 0, 0, 0);
    start_ = makeButton(QStringLiteral("C_guolv_ks"), QStringLiteral("【开始缩水】"), colors::kLightGreen, lowerRight);
    auto* copy = makeButton(QStringLiteral("C_copy"), QStringLiteral("复制号码"), colors::kLightGreen, lowerRight);
    auto* toGroup = makeButton(QStringLiteral("C_zhi_zu"), QStringLiteral("转为组选"), colors::kLightYellow, lowerRight);
    auto* clearAll = makeButton(QStringLiteral("C_all_cls"), QStringLiteral("清空所有条件"),
                                colors::kLightYellow, lowerRight);
    for (auto* b : {start_, copy, toGroup, clearAll}) {
        b->setMinimumHeight(36);
        lrLayout->addWidget(b);
    }
    connect(start_, &QPushButton::clicked, this, &MainWindow::startShrink);
    connect(toGroup, &QPushButton::clicked, this, &MainWindow::convertToGroup);
    connect(copy, &QPushButton::clicked, this, &MainWindow::copyResult);

    new SetToolPanel(regions_.pages[4], services_, this);

    // The condition families put their controls into their regions.
    lists_ = new NumberListPanel(regions_, this);
    digits_ = new DigitPropertyPanel(regions_, this);
    positional_ = new PositionalPanel(regions_, this);

    // Bottom row: banker groups, base-number list, form exclusion.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(regions_.bottomLeft);
    bottom->addWidget(sources_->baseListFrame(), 1);
    bottom->addWidget(regions_.bottomRight);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(upperLeft, 0, 0, 1, 2);
    grid->addWidget(regions_.middleLeft, 1, 0);
    grid->addWidget(regions_.middleRight, 1, 1);
    grid->addLayout(bottom, 2, 0, 1, 2);
    grid->addWidget(upperRight, 0, 2, 2, 1);
    grid->addWidget(lowerRight, 2, 2);
    grid->setColumnStretch(2, 1);
}

void MainWindow::showTab(int index) {
    for (int i = 0; i < 10; ++i) regions_.pages[static_cast<std::size_t>(i)]->hide();
    regions_.pages[static_cast<std::size_t>(index)]->show();
    for (auto* tab : tabs_) setBackColor(tab, colors::kGrey);
    setBackColor(tabs_[index], colors::kLightGreen);
    for (auto* tab : tabs_) tab->raise();
}

ShrinkInputs MainWindow::collectInputs() {
    ShrinkInputs in;
    in.source = sources_->collect();
    in.lists = lists_->collect();
    in.positional = positional_->collect();
    in.digits = digits_->collect();
    return in;
}

void MainWindow::startShrink() {
    start_->setEnabled(false);
    output_->setText(QString());
    // Let the emptied box and the disabled button paint once; the run itself
    // is a short computation that does not yield.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const ShrinkInputs inputs = collectInputs();
    const ShrinkResult result = runShrink(pool_, inputs, observer_);
    output_->setText(fromStd(result.text));
    count_->setText(QString::number(result.count));
    start_->setEnabled(true);
    start_->setFocus();
    ++runCount_;
}

void MainWindow::convertToGroup() {
    start_->click();
    const ShrinkResult groups = convertToGroups(pool_);
    output_->setText(fromStd(groups.text));
    count_->setText(QString::number(groups.count));
}

void MainWindow::copyResult() {
    services_.copyWithNotice(this, output_->text());
}

}  // namespace tarnel
