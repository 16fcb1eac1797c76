#include "mainwindow/qt/main_window.h"

#include <algorithm>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "common/qt/controls.h"
#include "common/qt/ui_services.h"
#include "conditions/qt/digit_properties_panel.h"
#include "conditions/qt/number_lists_panel.h"
#include "conditions/qt/positional_panel.h"
#include "mainwindow/help_texts.h"
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
    wireHelpAndHover();
    showTab(0);
    applyDefaults();
    tabs_[0]->setFocus();  // the first stop of the tab order
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
        b->setMinimumHeight(28);
        lrLayout->addWidget(b);
    }
    connect(start_, &QPushButton::clicked, this, &MainWindow::startShrink);
    connect(toGroup, &QPushButton::clicked, this, &MainWindow::convertToGroup);
    connect(copy, &QPushButton::clicked, this, &MainWindow::copyResult);
    connect(clearAll, &QPushButton::clicked, this, &MainWindow::restoreAll);

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

    // The result column stands beside the tab area only, so the pattern
    // frames can use the full width below it and the window stays within
    // a 1366 x 768 screen. A scroll area takes over on smaller screens.
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    grid->addWidget(upperLeft, 0, 0, 1, 2);
    grid->addWidget(upperRight, 0, 2);
    grid->addWidget(regions_.middleLeft, 1, 0);
    grid->addWidget(regions_.middleRight, 1, 1, 1, 2);
    grid->addLayout(bottom, 2, 0, 1, 2);
    grid->addWidget(lowerRight, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(2, 1);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll_);

    // Tab order follows the screen: region by region as a player reads the
    // window, and within a region line by line, left to right.
    content->adjustSize();
    grid->activate();
    orderFocusChain({upperLeft, upperRight, regions_.middleLeft, regions_.middleRight, regions_.bottomLeft,
                     sources_->baseListFrame(), regions_.bottomRight, lowerRight});
}

void MainWindow::orderFocusChain(const QList<QWidget*>& regionsInOrder) {
    QWidget* previous = nullptr;
    for (QWidget* region : regionsInOrder) {
        struct Item {
            int band, x;
            QWidget* widget;
        };
        QList<Item> items;
        for (QWidget* w : region->findChildren<QWidget*>()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() || w->window() != this) continue;
            const QPoint at = w->mapTo(region, QPoint(0, 0));
            items.push_back({(at.y() + w->height() / 2) / 12, at.x(), w});
        }
        std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return a.band != b.band ? a.band < b.band : a.x < b.x;
        });
        for (const Item& item : items) {
            if (previous) QWidget::setTabOrder(previous, item.widget);
            previous = item.widget;
        }
    }
}

QSize MainWindow::sizeHint() const {
    // The whole content when the screen allows, else as much as fits.
    if (!scroll_ || !scroll_->widget()) return QWidget::sizeHint();
    QSize wanted = scroll_->widget()->sizeHint() + QSize(2, 2);
    if (const QScreen* screen = this->screen()) wanted = wanted.boundedTo(screen->availableSize() - QSize(16, 40));
    return wanted;
}

void MainWindow::press(const QString& name) {
    if (auto* b = findChild<QAbstractButton*>(name)) b->click();
}

void MainWindow::setBoxText(const QString& name, const QString& text) {
    if (auto* m = findChild<MultiLineBox*>(name))
        m->setText(text);
    else if (auto* e = findChild<QLineEdit*>(name))
        e->setText(text);
}

void MainWindow::setTick(const QString& name, bool on) {
    if (auto* c = findChild<QCheckBox*>(name)) c->setChecked(on);
}

void MainWindow::applyDefaults() {
    setTick(QStringLiteral("Check_danzu_sx0"), true);
    setTick(QStringLiteral("Check_danzu_sx0"), false);
    positional_->fillMatchCombos();
}

void MainWindow::restoreAll() {
    const QString empty;
    setBoxText(QStringLiteral("T__hezhi_zhiding_sha"), fromStd(kSumKillListHint));
    for (const char* box : {"T_main_shazhixuan", "T_main_laji_fushi", "T_main_sha_2ma", "T_main_bichu_2ma"})
        setBoxText(QString::fromLatin1(box), empty);
    setBoxText(QStringLiteral("T_main_dw_sha[0]"), QStringLiteral("按右边提示格式输入可定位杀两码组合"));
    setBoxText(QStringLiteral("T_main_dw_sha[1]"), empty);
    setBoxText(QStringLiteral("T_main_dw_sha[2]"), empty);
    for (const char* button : {"C_hewei_sha_cls", "C_kuadu_sha_cls", "C_danma_chu_cls", "C_pailie_daxiao_cls",
                               "C_pailie_jiou_cls", "C_pailie_zhihe_cls", "C_tebie_paichu_cls", "C_012_paichu_cls"})
        press(QString::fromLatin1(button));
    for (int i = 0; i < 3; ++i) setTick(indexedName(QStringLiteral("Check_danma_chu_geshu"), i), false);
    for (int i = 0; i < 3; ++i) setTick(indexedName(QStringLiteral("Check_ac"), i), false);
    setBoxText(QStringLiteral("T_hezhi_fanwei_1"), QStringLiteral("0"));
    setBoxText(QStringLiteral("T_hezhi_fanwei_2"), QStringLiteral("27"));
    for (int i : {1, 3, 5}) press(indexedName(QStringLiteral("C_fushi_paichu_all"), i));
    for (int i : {1, 3, 5}) press(indexedName(QStringLiteral("C_dingwei_sha_all"), i));
    for (int i = 0; i < 4; ++i) press(indexedName(QStringLiteral("C_danzu_cls"), i));
    setTick(QStringLiteral("Check_danzu_sx0"), false);
    applyDefaults();
    setBoxText(QStringLiteral("T_jichu_dadi"), empty);
    setBoxText(QStringLiteral("T_jichu_dadi"), QStringLiteral("\r\n大底号码\r\n\r\n双击清空"));
    for (int i = 0; i < 15; ++i) setBoxText(indexedName(QStringLiteral("T_lm_he"), i), empty);
    if (auto* rules = findChild<QListWidget*>(QStringLiteral("L_wz_pp"))) rules->clear();
    press(QStringLiteral("C_3d_dw2m_cls[1]"));
    setBoxText(QStringLiteral("T_main_dw2m[0]"), kPairBoxRestoreHint);
    setBoxText(QStringLiteral("T_main_dw2m[1]"), empty);
    setBoxText(QStringLiteral("T_main_dw2m[2]"), empty);
    press(QStringLiteral("C_ry2m_cls[1]"));
}

void MainWindow::wireHelpAndHover() {
    struct Help {
        const char* button;
        const char* title;
        const std::string& (*text)();
    };
    const Help helps[] = {{"C_shuoming[0]", "温情提示", &positionGridHelp},
                          {"C_shuoming[1]", "胆组说明", &bankerGroupHelp},
                          {"C_shuoming[2]", "使用说明", &formShapeHelp},
                          {"C_ry2m_cls[2]", "说明", &otherPageHelp}};
    for (const Help& h : helps) {
        auto* b = findChild<QPushButton*>(QString::fromLatin1(h.button));
        if (!b) continue;
        connect(b, &QPushButton::clicked, this, [this, title = QString::fromUtf8(h.title), text = h.text] {
            services_.showMessage(this, title, fromStd(text()));
        });
        b->installEventFilter(this);
        hoverButtons_ << b;
    }
    if (auto* tip = findChild<QPushButton*>(QStringLiteral("C_zhongjiang_mijue")))
        connect(tip, &QPushButton::clicked, this, [this] {
            services_.showMessage(this, QStringLiteral("温情提示"), QStringLiteral(
                "条件宁少勿多：先用最有把握的一两个条件缩水，\r\n"
                "看看剩下的注数，再逐个加条件，注数过少时放宽最没把握的条件。\r\n"));
        });

    // The bare surface: the window and the plain containers and frames that
    // make up its regions report pointer moves even with no button held.
    setMouseTracking(true);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        const char* cls = w->metaObject()->className();
        if (qstrcmp(cls, "QWidget") == 0 || qstrcmp(cls, "QGroupBox") == 0) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && hoverButtons_.contains(widget)) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            setBackColor(widget, colors::kRed);
    } else if (event->type() == QEvent::MouseMove) {
        for (QWidget* b : hoverButtons_) setBackColor(b, colors::kGrey);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isWindow()) child->close();
    QWidget::closeEvent(event);
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
