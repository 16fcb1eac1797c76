#include "ui/windows/main_window.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/widgets/settings.h"
#include "ui/windows/diagnosis_dialog.h"
#include "ui/windows/statistics_window.h"
#include "ui/widgets/atomic_file.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/results_view.h"
#include "ui/document/window_files.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/text_menu.h"
#include "ui/widgets/ui_services.h"
#include "ui/panels/digit_properties_panel.h"
#include "ui/panels/number_lists_panel.h"
#include "ui/panels/positional_panel.h"
#include "ui/panels/rules_panel.h"
#include "core/state/condition_marks.h"
#include "core/analysis/help_texts.h"
#include "ui/widgets/condition_summary.h"
#include "ui/panels/set_tool_panel.h"
#include "ui/panels/pool_source_panel.h"
#include "ui/windows/two_star_window.h"
#include "ui/windows/history_window.h"
#include "ui/windows/stored_draws.h"
#include "ui/windows/combine_window.h"

namespace tarnel {

namespace {

const char* const kTabCaptions[] = {"杀直选", "杀垃圾复式", "杀2码组合", "必出2码组合", "交集工具", "定位杀2码",
                                    "定位2码",  "其它",       "位置匹配",  "定位胆",     "动态条件"};
const char* const kPageCaptions[] = {"杀直选",    "垃圾复式", "杀2码", "必出2码",  "交集工具", "定位杀2码",
                                     "定位2码", "其它",     "位置匹配", "定位容对", "动态条件"};



}  // namespace

MainWindow::MainWindow(UiServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      document_(services),
      state_(document_.mainFields()),
      binding_(document_.mainBinding()) {
    setObjectName(QStringLiteral("Fmain"));
    document_.setDialogParent(this);
    setWindowTitle(QStringLiteral("Tarnel"));
    setBackColor(this, colors::kGrey);
    setAcceptDrops(true);
    buildLayout();
    buildMenus();
    buildViewExtras();
    wireHelpAndHover();
    showTab(0);
    binding_.push();  // the start-up state
    tabs_[0]->setFocus();  // the first stop of the tab order

    // The main window hears of the document first: a run's result is in the
    // result box before any other window follows the run.
    connect(&document_, &ConditionsDocument::settled, this, &MainWindow::showSettled);
    connect(&document_, &ConditionsDocument::runDone, this, &MainWindow::showRun);
    connect(&document_, &ConditionsDocument::ran, this, &MainWindow::ran);
    connect(&document_, &ConditionsDocument::fileStateChanged, this, &MainWindow::updateTitle);
    connect(&document_, &ConditionsDocument::recentChanged, this, &MainWindow::rebuildRecentMenu);
    // A setting that did not reach the disk is said where the player is working.
    connect(&Settings::notifier(), &Settings::writeFailed, this, [this](const QString& message) {
        services_.showMessage(QApplication::activeWindow() ? QApplication::activeWindow() : this,
                              QStringLiteral("错误提示"), message);
    });
    connect(&document_, &ConditionsDocument::clearUndoChanged, undoRestore_, &QAction::setEnabled);
    // The title's mark follows every step at once, as 退出's question does.
    connect(&document_, &ConditionsDocument::stepsChanged, this, [this] {
        updateEditActions();
        updateTitle();
    });
    connect(&document_, &ConditionsDocument::twoStarWanted, this, &MainWindow::openTwoStar);
    connect(&document_, &ConditionsDocument::pageWanted, this, &MainWindow::showTab);
    connect(&document_, &ConditionsDocument::historyWindowWanted, this, &MainWindow::openHistory);
    connect(&document_, &ConditionsDocument::historyFileOffered, this,
            [this](const QString& path) { openHistory()->openHistoryFile(path); });
    // The rules take their values from the history: the page, 预计注数 and
    // the marks follow either at once.
    connect(&document_, &ConditionsDocument::rulesChanged, this, &MainWindow::showRules);
    connect(&document_, &ConditionsDocument::historyChanged, this, &MainWindow::showRules);
    connect(rulesPage_, &RulesPanel::rulesEdited, &document_,
            [this](const std::vector<PastDrawRule>& rules) { document_.setRules(rules); });
    connect(rulesPage_, &RulesPanel::historyWanted, this, &MainWindow::openHistory);
    showSettled();
    setupStatusBar();
    // The rules look back on the draws before 开奖历史 is opened: the kept
    // draws of the chosen lottery (an earlier history.txt imported once), or
    // the text the player left in that window.
    if (const QString note = startDraws(document_); !note.isEmpty()) status_->showMessage(note);
    checkDrawsAtStart(document_, [this](const QString& line) { status_->showMessage(line); });
    document_.start();
    buildHelpMenu();
}

void MainWindow::showSettled() {
    updateTitle();
    updateForecast();
    showConditionMarks();
    emit settled();
}

void MainWindow::showRules() {
    rulesPage_->showRules(document_.rules(), document_.ruleRows(), document_.pastDraws());
    updateForecast();
    showConditionMarks();
}

void MainWindow::showConditionMarks() {
    std::vector<SetCondition> set = setConditions(conditions(), document_.ruleRows());
    const auto pages = pagesWithConditions(set);
    for (int i = 0; i < kTabPageCount; ++i) setTabMarked(tabs_[i], pages[static_cast<std::size_t>(i)]);
    setTabMarked(tabs_[kRulesPage], !document_.rules().empty());
    summary_->setConditions(std::move(set));
}

void MainWindow::updateForecast() {
    const MainConditions& now = conditions();
    NumberPool scratch;
    const ShrinkResult would = runWithTolerance(scratch, shrinkInputs(now), now.tolerance, document_.ruleRows());
    forecast_->setText(forecastText(would.count));
}

QString MainWindow::forecastText(int count) const {
    QString text = QStringLiteral("预计注数 %1").arg(count);
    const std::optional<MainRun>& last = document_.lastRun();
    if (last && last->result.count != count) text += QStringLiteral("（上次 %1）").arg(last->result.count);
    return text;
}

QList<QPointer<QWidget>> MainWindow::otherWindows() const {
    QList<QPointer<QWidget>> windows = {twoStar_.data(), history_.data(), statistics_.data(), diagnosis_.data(),
                                        results_.data(), combine_.data(), guide_.data()};
    for (const QPointer<TwoStarWindow>& closed : closedTwoStars_) windows.push_back(closed.data());
    return windows;
}

MainWindow::~MainWindow() {
    // The other windows read the document to their end: they go before it does.
    const QList<QPointer<QWidget>> windows = otherWindows();
    for (const QPointer<QWidget>& window : windows) delete window.data();
}

void MainWindow::buildLayout() {
    // Upper left: tab row over ten pages sharing one place.
    auto* upperLeft = new QWidget(this);
    auto* ulLayout = new QVBoxLayout(upperLeft);
    ulLayout->setContentsMargins(0, 0, 0, 0);
    ulLayout->setSpacing(0);
    // The tab buttons stand in one row, or in two where the window is
    // too narrow for the designed grid (placeTabs).
    auto* tabRow = new QGridLayout;
    tabRow->setSpacing(1);
    tabRow_ = tabRow;
    for (int i = 0; i < kPageCount; ++i) {
        tabs_[i] = new TabButton(QString::fromUtf8(kTabCaptions[i]), upperLeft);
        tabs_[i]->setObjectName(indexedName(QStringLiteral("C_ding_anniu"), i));
        setBackColor(tabs_[i], colors::kGrey);
        connect(tabs_[i], &QPushButton::clicked, this, [this, i] { showTab(i); });
        setTabMarked(tabs_[i], false);
        tabRow->addWidget(tabs_[i], 0, i);
    }
    ulLayout->addLayout(tabRow);
    auto* pageArea = new QWidget(upperLeft);
    auto* pageGrid = new QGridLayout(pageArea);
    pageGrid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new QGroupBox(QString::fromUtf8(kPageCaptions[i]), pageArea);
        page->setObjectName(indexedName(QStringLiteral("Frame_ding"), i));
        auto* v = new QVBoxLayout(page);
        v->setContentsMargins(6, 6, 6, 6);
        QSizePolicy sp = page->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        page->setSizePolicy(sp);
        pageGrid->addWidget(page, 0, 0);
        pages_[static_cast<std::size_t>(i)] = page;
    }
    ulLayout->addWidget(pageArea, 1);

    // Upper right: pool sources, result box, count, the two-star button.
    auto* upperRight = new QWidget(this);
    auto* urLayout = new QVBoxLayout(upperRight);
    urLayout->setContentsMargins(0, 0, 0, 0);
    auto* sourceFrame = new QGroupBox(QStringLiteral("......."), upperRight);
    new QVBoxLayout(sourceFrame);
    sources_ = new PoolSourcePanel(state_.sources, binding_, this);
    sourceFrame->layout()->addWidget(sources_->compoundFrame());
    output_ = new MultiLineBox(QStringLiteral("T_dadi_output"), sourceFrame);
    {
        // Numbers and Chinese need no shaping (no ligatures, no joining): laid
        // out without it, a result of 1000 numbers shows in a fraction of the time.
        QFont plain;
        plain.setStyleStrategy(QFont::PreferNoShaping);
        output_->setFont(plain);
    }
    output_->setText(kResultInitialText);
    sourceFrame->layout()->addWidget(output_);
    urLayout->addWidget(sourceFrame, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("最后注数"), upperRight));
    count_ = new LineBox(QStringLiteral("T_dadi_zhushu"), upperRight);
    count_->setText(QStringLiteral("0"));
    count_->setMaximumWidth(80);
    countRow->addWidget(count_);
    countRow->addWidget(makeResultsButton(upperRight));
    countRow->addStretch(1);
    auto* openTwoStar = makeButton(QStringLiteral("C_op_2d"), QStringLiteral("二星缩水软件"),
                                   colors::kLightGreen, upperRight);
    countRow->addWidget(openTwoStar);
    urLayout->addLayout(countRow);
    connect(openTwoStar, &QPushButton::clicked, this, &MainWindow::openTwoStar);

    // Tolerance and the count a run would give now.
    auto* toleranceRow = new QHBoxLayout;
    auto* toleranceLabel = new QLabel(QStringLiteral("容错"), upperRight);
    tolerance_ = new QComboBox(upperRight);
    tolerance_->setObjectName(QStringLiteral("Combo_rongcuo"));
    for (int k = 0; k <= 9; ++k) tolerance_->addItem(QString::number(k));
    tolerance_->setToolTip(QStringLiteral("容错：号码最多被几个条件排除时仍保留（0 表示不容错）"));
    toleranceLabel->setBuddy(tolerance_);
    binding_.bind(tolerance_, state_.tolerance);
    toleranceRow->addWidget(toleranceLabel);
    toleranceRow->addWidget(tolerance_);
    toleranceRow->addSpacing(8);
    forecast_ = new QLabel(upperRight);
    forecast_->setObjectName(QStringLiteral("L_yuji_zhushu"));
    forecast_->setToolTip(QStringLiteral("按现在的条件缩水将得到的注数，条件一改就更新"));
    toleranceRow->addWidget(forecast_, 1);
    urLayout->addLayout(toleranceRow);
    auto* summaryArea = new ConditionSummaryArea(upperRight);
    summary_ = summaryArea->summary();
    connect(summary_, &ConditionSummary::pageRequested, this, &MainWindow::showTab);
    urLayout->addWidget(summaryArea);

    // Lower right: the four command buttons.
    auto* lowerRight = new QWidget(this);
    auto* lrLayout = new QVBoxLayout(lowerRight);
    lrLayout->setContentsMargins(0, 0, 0, 0);
    start_ = makeButton(QStringLiteral("C_guolv_ks"), QStringLiteral("【开始缩水】"), colors::kLightGreen, lowerRight);
    auto* copy = makeButton(QStringLiteral("C_copy"), QStringLiteral("复制号码"), colors::kLightGreen, lowerRight);
    auto* toGroup = makeButton(QStringLiteral("C_zhi_zu"), QStringLiteral("转为组选"), colors::kLightYellow, lowerRight);
    auto* clearAll = makeButton(QStringLiteral("C_all_cls"), QStringLiteral("清空所有条件"),
                                colors::kLightYellow, lowerRight);
    for (auto* b : {start_, copy, toGroup}) {
        b->setMinimumHeight(28);
        lrLayout->addWidget(b);
    }
    clearAll->setMinimumHeight(28);
    auto* lastRow = new QHBoxLayout;  // 清空所有条件 shares its row with 开奖历史
    lastRow->addWidget(clearAll, 1);
    lrLayout->addLayout(lastRow);
    connect(start_, &QPushButton::clicked, this, &MainWindow::startShrink);
    connect(toGroup, &QPushButton::clicked, this, &MainWindow::convertToGroup);
    connect(copy, &QPushButton::clicked, this, &MainWindow::copyResult);
    connect(clearAll, &QPushButton::clicked, this, &MainWindow::restoreAll);

    // 开奖历史: past draws, backtest and trends, beside the start button.
    auto* history = makeButton(QStringLiteral("C_lishi"), QStringLiteral("开奖历史"), colors::kLightYellow, lowerRight);
    history->setToolTip(QStringLiteral("打开开奖历史：历史验证当前条件、走势统计"));
    history->setMinimumHeight(28);
    lastRow->addWidget(history);
    connect(history, &QPushButton::clicked, this, &MainWindow::openHistory);

    pages_[4]->layout()->addWidget((new SetToolPanel(state_.setLists, binding_, services_, this))->frame());

    // The condition families offer their frames; the window places them.
    lists_ = new NumberListPanel(state_.lists, binding_, this);
    digits_ = new DigitPropertyPanel(state_.digits, binding_, this);
    positional_ = new PositionalPanel(state_.positional, binding_, &services_, this);
    for (std::size_t i = 0; i < pages_.size(); ++i)
        for (QWidget* frame : {lists_->pageFrame(int(i)), positional_->pageFrame(int(i))})
            if (frame) pages_[i]->layout()->addWidget(frame);
    pages_[7]->layout()->addWidget(lists_->otherPageFrame());
    pages_[7]->layout()->addWidget(positional_->anyTwoFrame());
    rulesPage_ = new RulesPanel(this);
    pages_[kRulesPage]->layout()->addWidget(rulesPage_->frame());

    // Bottom row: banker groups, base-number list, form exclusion.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(positional_->bankerFrames());
    bottom->addWidget(sources_->baseListFrame(), 1);
    bottom->addWidget(digits_->bottomRightFrames());

    // The result column stands beside the tab area only, so the pattern
    // frames can use the full width below it and the window stays within
    // a 1366 x 768 screen. A scroll area takes over on smaller screens.
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    grid->addWidget(upperLeft, 0, 0, 1, 2);
    grid->addWidget(upperRight, 0, 2);
    grid->addWidget(digits_->middleLeftFrames(), 1, 0);
    grid->addWidget(digits_->middleRightFrames(), 1, 1, 1, 2);
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
    orderFocusChain(regionsInOrder());
}

QList<QWidget*> MainWindow::regionsInOrder() const {
    return {tabs_[0]->parentWidget(),        count_->parentWidget(),         digits_->middleLeftFrames(),
            digits_->middleRightFrames(),    positional_->bankerFrames(),    sources_->baseListFrame(),
            digits_->bottomRightFrames(),    start_->parentWidget()};
}

void MainWindow::orderFocusChain(const QList<QWidget*>& regionsInOrder) {
    QWidget* previous = nullptr;
    for (QWidget* region : regionsInOrder) {
        struct Item {
            int band, x;
            QWidget* widget;
        };
        QList<Item> items;
        for (QWidget* w : widgetsUnder(region)) {
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

void MainWindow::restoreAll() { document_.clearAll(); }

void MainWindow::undoRestoreAll() { document_.undoClearAll(); }

void MainWindow::wireHelpAndHover() {
    struct Help {
        QPushButton* button;
        const char* title;
        const std::string& (*text)();
    };
    const Help helps[] = {{digits_->positionGridHelpButton(), "温情提示", &positionGridHelp},
                          {positional_->bankerHelpButton(), "胆组说明", &bankerGroupHelp},
                          {digits_->formShapeHelpButton(), "使用说明", &formShapeHelp},
                          {positional_->anyTwoHelpButton(), "说明", &otherPageHelp}};
    for (const Help& h : helps) {
        QPushButton* b = h.button;
        connect(b, &QPushButton::clicked, this, [this, title = QString::fromUtf8(h.title), text = h.text] {
            services_.showMessage(this, title, fromStd(text()));
        });
        b->installEventFilter(this);
        hoverButtons_ << b;
    }
    connect(digits_->tipButton(), &QPushButton::clicked, this, [this] {
            services_.showMessage(this, QStringLiteral("温情提示"), QStringLiteral(
                "条件宁少勿多：先用最有把握的一两个条件缩水，\r\n"
                "看看剩下的注数，再逐个加条件，注数过少时放宽最没把握的条件。\r\n"));
        });

    // The bare surface: the window and the plain containers and frames that
    // make up its regions report pointer moves even with no button held.
    setMouseTracking(true);
    installEventFilter(this);
    for (QWidget* w : widgetsUnder(this)) {
        if (qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QLineEdit*>(w)) w->installEventFilter(this);
        const char* cls = w->metaObject()->className();
        if (qstrcmp(cls, "QWidget") == 0 || qstrcmp(cls, "QGroupBox") == 0) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (qobject_cast<QPlainTextEdit*>(watched) || qobject_cast<QLineEdit*>(watched))
        return QWidget::eventFilter(watched, event);
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
    if (!document_.mayDiscardChanges()) {
        event->ignore();
        return;
    }
    // The program ends: last.tarnel and the conditions of this end are kept,
    // with the two-star window's part while it is still open.
    document_.recordEnd();
    const QList<QPointer<QWidget>> windows = otherWindows();
    for (const QPointer<QWidget>& window : windows)
        if (window) window->close();
    QWidget::closeEvent(event);
}

void MainWindow::showTab(int index) {
    for (QWidget* page : pages_) page->hide();
    pages_[static_cast<std::size_t>(index)]->show();
    for (auto* tab : tabs_) setBackColor(tab, colors::kGrey);
    setBackColor(tabs_[index], colors::kLightGreen);
    for (auto* tab : tabs_) tab->raise();
}

void MainWindow::startShrink() {
    start_->setEnabled(false);
    output_->setText(QString());
    // The run takes microseconds: the emptied box and the disabled button are
    // not painted before it, only the result after it.
    document_.run();
}

void MainWindow::showRun() {
    const MainRun& run = *document_.lastRun();
    lists_->showCleanedValueLists(run.pairValueTexts);
    positional_->showCleanedPairLists(run.pairListTexts);
    output_->setText(fromStd(run.result.text));
    count_->setText(QString::number(run.result.count));
    forecast_->setText(forecastText(run.result.count));
    start_->setEnabled(true);
    start_->setFocus();
}

void MainWindow::convertToGroup() {
    start_->click();
    const ShrinkResult groups = convertToGroups(document_.pool());
    output_->setText(fromStd(groups.text));
    markGroupForms(output_, true);
    count_->setText(QString::number(groups.count));
}

void MainWindow::copyResult() {
    services_.copyWithNotice(this, output_->text());
}

// ---- the two-star window ------------------------------------------------------

TwoStarWindow* MainWindow::twoStarWindow() const {
    return twoStar_ && !twoStar_->isClosing() ? twoStar_.data() : nullptr;
}

TwoStarWindow* MainWindow::openTwoStar() {
    if (!twoStarWindow()) {
        if (twoStar_) closedTwoStars_.push_back(twoStar_);
        closedTwoStars_.removeAll(nullptr);
        twoStar_ = new TwoStarWindow(document_, this);
        // Its edits are steps of the same stack: 撤销 and 重做 reach them from there too.
        twoStar_->addAction(undo_);
        twoStar_->addAction(redo_);
    }
    bringToFront(twoStar_);
    return twoStar_;
}

// ---- the history window ------------------------------------------------------

HistoryWindow* MainWindow::openHistory() {
    if (!history_) history_ = new HistoryWindow(document_, this);
    bringToFront(history_);
    return history_;
}

// ---- the status bar -----------------------------------------------------------------

void MainWindow::setupStatusBar() {
    // Under everything, shown only while it has something to say: whether
    // the last session's conditions can be brought back, or why they could
    // not be kept.
    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar"));
    status_->setSizeGripEnabled(false);
    status_->hide();
    connect(status_, &QStatusBar::messageChanged, status_,
            [this](const QString& text) { status_->setVisible(!text.isEmpty()); });
    static_cast<QBoxLayout*>(layout())->addWidget(status_);
    connect(&document_, &ConditionsDocument::lastNoteChanged, this,
            [this](const QString& note, const QString& previous) {
                if (!note.isEmpty())
                    status_->showMessage(note);
                else if (!previous.isEmpty() && status_->currentMessage() == previous)
                    status_->clearMessage();
            });
}

// ---- schemes ----------------------------------------------------------------------

void MainWindow::updateTitle() {
    const QString path = document_.schemePath();
    if (path.isEmpty()) {
        setWindowTitle(QStringLiteral("Tarnel"));
        setWindowModified(false);
        return;
    }
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*] - Tarnel"));
    setWindowModified(document_.schemeModified());
}

void MainWindow::rebuildRestoreMenu() {
    const QList<QAction*> old = restoreMenu_->actions();
    for (QAction* action : old)
        if (action != restoreLast_) {
            restoreMenu_->removeAction(action);
            action->deleteLater();
        }
    restoreLast_->setEnabled(document_.lastConditionsRestorable());
    const auto when = [](const QDateTime& time) { return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); };
    const QFileInfo last(lastConditionsPath());
    std::vector<ConditionsDocument::SessionEnd> ends = ConditionsDocument::sessionEnds();
    // At an orderly end last.tarnel holds that end's conditions: one line for both.
    if (!ends.empty() && last.exists() && ConditionsDocument::sameConditionsFile(ends.front().path, last.filePath())) {
        restoreLast_->setText(QStringLiteral("%1 结束时的条件").arg(when(ends.front().time)));
        ends.erase(ends.begin());
    } else {
        restoreLast_->setText(last.exists() ? QStringLiteral("最后保存的条件（%1）").arg(when(last.lastModified()))
                                            : QStringLiteral("最后保存的条件"));
    }
    if (ends.empty()) return;
    restoreMenu_->addSeparator();
    int index = 0;
    for (const ConditionsDocument::SessionEnd& end : ends) {
        QAction* action = restoreMenu_->addAction(QStringLiteral("%1 结束时的条件").arg(when(end.time)), this,
                                                  [this, path = end.path] { document_.restoreEnd(path); });
        action->setObjectName(indexedName(QStringLiteral("Action_huifu_jieshu"), index++));
    }
}

void MainWindow::buildMenus() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("MainMenu"));
    static_cast<QBoxLayout*>(layout())->setMenuBar(menuBar_);
    QMenu* file = menuBar_->addMenu(QStringLiteral("文件(&F)"));
    QAction* open = file->addAction(QStringLiteral("打开方案…"), this, &MainWindow::openScheme);
    open->setShortcut(QKeySequence::Open);
    QAction* save = file->addAction(QStringLiteral("保存方案"), this, &MainWindow::saveScheme);
    save->setShortcut(QKeySequence::Save);
    QAction* saveAs = file->addAction(QStringLiteral("方案另存为…"), this, &MainWindow::saveSchemeAs);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    recentMenu_ = file->addMenu(QStringLiteral("最近打开的方案"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::rebuildRecentMenu);
    rebuildRecentMenu();
    // 恢复上次的条件: the conditions last kept (last.tarnel), then those of
    // the last five ends of the program, newest first, each with its time.
    restoreMenu_ = file->addMenu(QStringLiteral("恢复上次的条件"));
    restoreMenu_->setObjectName(QStringLiteral("Menu_huifu_shangci"));
    restoreLast_ = restoreMenu_->addAction(QStringLiteral("最后保存的条件"), this, &MainWindow::restoreLastConditions);
    restoreLast_->setObjectName(QStringLiteral("Action_huifu_shangci"));
    restoreLast_->setEnabled(false);
    connect(&document_, &ConditionsDocument::lastRestorableChanged, restoreLast_, &QAction::setEnabled);
    connect(file, &QMenu::aboutToShow, this, [this] { restoreLast_->setEnabled(document_.lastConditionsRestorable()); });
    connect(restoreMenu_, &QMenu::aboutToShow, this, &MainWindow::rebuildRestoreMenu);
    file->addSeparator();
    file->addAction(QStringLiteral("导出结果…"), this, &MainWindow::exportResult);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("退出"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (QAction* a : {open, save, saveAs, quit}) a->setShortcutContext(Qt::WindowShortcut);

    // 编辑 menu: 撤销 and 重做 go through the document's steps, each named
    // ("撤销 勾选 杀和尾 3"). In a text box Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z
    // stay the box's own undo and redo of the keys typed there (a text box
    // takes its keys before the window's shortcuts).
    QMenu* edit = menuBar_->addMenu(QStringLiteral("编辑(&E)"));
    edit->setObjectName(QStringLiteral("Menu_bianji"));
    undo_ = edit->addAction(QStringLiteral("撤销"), &document_, &ConditionsDocument::undo);
    undo_->setObjectName(QStringLiteral("Action_chexiao"));
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = edit->addAction(QStringLiteral("重做"), &document_, &ConditionsDocument::redo);
    redo_->setObjectName(QStringLiteral("Action_chongzuo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* a : {undo_, redo_}) a->setShortcutContext(Qt::WindowShortcut);
    updateEditActions();
    // Undoes down to the last 清空所有条件 (for scripts; 撤销 reaches it as a step).
    undoRestore_ = new QAction(QStringLiteral("撤销清空所有条件"), this);
    undoRestore_->setObjectName(QStringLiteral("Action_chexiao_qingkong"));
    undoRestore_->setEnabled(document_.canUndoClear());
    connect(undoRestore_, &QAction::triggered, this, &MainWindow::undoRestoreAll);
    buildToolsMenu();

    // 历史 menu: past draws, backtest of the conditions, trend statistics.
    QMenu* historyMenu = menuBar_->addMenu(QStringLiteral("历史(&H)"));
    historyMenu->setObjectName(QStringLiteral("Menu_lishi"));
    historyMenu->addAction(QStringLiteral("开奖历史…"), this, &MainWindow::openHistory);
}

void MainWindow::updateEditActions() {
    const QUndoStack& steps = document_.undoStack();
    undo_->setEnabled(steps.canUndo());
    redo_->setEnabled(steps.canRedo());
    undo_->setText(steps.canUndo() ? QStringLiteral("撤销 ") + steps.undoText() : QStringLiteral("撤销"));
    redo_->setText(steps.canRedo() ? QStringLiteral("重做 ") + steps.redoText() : QStringLiteral("重做"));
}

void MainWindow::rebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = Settings::listValue(Setting::RecentSchemes);
    for (const QString& path : recent)
        recentMenu_->addAction(QFileInfo(path).fileName() + QStringLiteral("  (") + path + QLatin1Char(')'), this,
                               [this, path] { openSchemeFile(path); });
    recentMenu_->setEnabled(!recent.isEmpty());
}


void MainWindow::exportResult() {
    QString path = services_.chooseSavePath(this, QStringLiteral("导出结果"), QStringLiteral("缩水结果.txt"),
                                            QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    const QString error = writeFileAtomically(path, output_->text().toUtf8());
    if (!error.isEmpty())
        services_.showMessage(this, QStringLiteral("错误提示"),
                              QStringLiteral("结果没有导出到“%1”：%2").arg(path, error));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isSchemePath(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isSchemePath(url.toLocalFile())) {
            event->acceptProposedAction();
            openSchemeFile(url.toLocalFile());
            return;
        }
}

// ---- 工具: statistics and number diagnosis ---------------------------------------

void MainWindow::buildToolsMenu() {
    QMenu* tools = menuBar_->addMenu(QStringLiteral("工具(&T)"));
    tools->addAction(QStringLiteral("条件统计"), this, &MainWindow::openStatistics);
    tools->addAction(QStringLiteral("号码诊断…"), this, &MainWindow::openDiagnosis);
    tools->addAction(QStringLiteral("方案组合…"), this, &MainWindow::openCombine);

    output_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(output_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = resultContextMenu(pos);
        menu->exec(output_->viewport()->mapToGlobal(pos));
        delete menu;
    });
}

StatisticsWindow* MainWindow::openStatistics() {
    if (!statistics_) statistics_ = new StatisticsWindow(document_, this);
    statistics_->follow();
    bringToFront(statistics_);
    return statistics_;
}

DiagnosisDialog* MainWindow::openDiagnosis() {
    if (!diagnosis_) diagnosis_ = new DiagnosisDialog(document_, this);
    bringToFront(diagnosis_);
    return diagnosis_;
}

CombineWindow* MainWindow::openCombine() {
    if (!combine_) combine_ = new CombineWindow(document_, this);
    bringToFront(combine_);
    return combine_;
}

CombineWindow* openCombineWindow(MainWindow& main, UiServices&) { return main.openCombine(); }

QMenu* MainWindow::resultContextMenu(const QPoint& pos) {
    QMenu* menu = output_->createStandardContextMenu(pos);
    useChineseCaptions(menu);
    addDiagnoseAction(menu, output_, pos, [this](const QString& numbers) { openDiagnosis()->diagnoseText(numbers); });
    return menu;
}

}  // namespace tarnel
