#include "ui/windows/combine_window.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/document/conditions_document.h"
#include "ui/document/window_files.h"
#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/results_view.h"
#include "ui/widgets/settings.h"
#include "core/analysis/slip_heading.h"
#include "core/analysis/backtest_range.h"
#include "core/files/history_order.h"
#include "ui/panels/backtest_range_bar.h"
#include "ui/widgets/ui_services.h"
#include "ui/widgets/price_settings.h"
#include "core/files/scheme.h"

namespace tarnel {


namespace {

// Stands for the main window's conditions in the remembered list (a
// remembered path is always absolute, so it never reads like this).
const QString kCurrentMarker = QStringLiteral(":当前条件");
const QString kCurrentName = QStringLiteral("当前条件");
// How often the window looks whether the main window's conditions changed.
constexpr int kFollowMs = 400;

enum ListColumn { NameColumn, CountColumn, StateColumn, PathColumn };


QString entryName(const CombineWindow::Entry& e) {
    return e.isCurrent() ? kCurrentName : QFileInfo(e.path).completeBaseName();
}

QString money(double value) {
    return QString::number(value, 'f', std::abs(value - std::round(value)) < 0.005 ? 0 : 2);
}

}  // namespace

// ---- the backtest table -----------------------------------------------------------

void CombinationBacktestModel::setBacktest(CombinationBacktest backtest) {
    beginResetModel();
    backtest_ = std::move(backtest);
    endResetModel();
}

int CombinationBacktestModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(backtest_.draws.size());
}

int CombinationBacktestModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CombinationBacktestModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const CombinedDraw& d = backtest_.draws[std::size_t(index.row())];
    if (d.warmup) {
        // Some scheme's rules cannot look back far enough yet: listed in grey, counted nowhere.
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
                case Line: return d.draw.line;
                case Issue: return fromStd(d.draw.issue);
                case Number: return fromStd(d.draw.number);
                case Result: return QStringLiteral("预热");
                default: return QString();
            }
        }
        if (role == Qt::ForegroundRole) return QColor(Qt::gray);
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("预热期：这一期之前的开奖期数还不够方案的动态条件回看，不投注，也不计入任何统计。");
        return {};
    }
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case Line: return d.draw.line;
            case Issue: return fromStd(d.draw.issue);
            case Number: return fromStd(d.draw.number);
            case Result: return d.kept ? QStringLiteral("保留") : QStringLiteral("排除");
            case Holders: return QStringLiteral("%1 / %2").arg(d.holders).arg(backtest_.schemes);
            case Win: return money(d.money.win);
        }
    } else if (role == Qt::ForegroundRole && index.column() == Result && !d.kept) {
        return QColor(Qt::red);
    } else if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}

QVariant CombinationBacktestModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case Line: return QStringLiteral("行号");
        case Issue: return QStringLiteral("期号");
        case Number: return QStringLiteral("开奖号码");
        case Result: return QStringLiteral("结果");
        case Holders: return QStringLiteral("保留它的方案");
        case Win: return QStringLiteral("奖金");
    }
    return {};
}

// ---- the window -----------------------------------------------------------------------

CombineWindow::CombineWindow(ConditionsDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document), services_(document.services()) {
    setObjectName(QStringLiteral("F_zuhe"));
    setWindowTitle(QStringLiteral("方案组合"));
    setAcceptDrops(true);
    closeOnEscape(this);
    connect(&PriceSettings::notifier(), &PriceSettings::changed, this, &CombineWindow::showBacktest);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    // The schemes.
    auto* schemes = new QGroupBox(QStringLiteral("方案（可把 .tarnel 文件拖到这里）"), this);
    auto* schemesLayout = new QVBoxLayout(schemes);
    list_ = new QTableWidget(0, 4, schemes);
    list_->setObjectName(QStringLiteral("Grid_zh_fangan"));
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("方案"), QStringLiteral("注数"), QStringLiteral("状态"), QStringLiteral("位置")});
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 8);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setMinimumHeight(150);
    const int digit = list_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    list_->setColumnWidth(NameColumn, digit * 18);
    list_->setColumnWidth(CountColumn, digit * 7);
    list_->setColumnWidth(StateColumn, digit * 30);
    schemesLayout->addWidget(list_);
    auto* listButtons = new QHBoxLayout;
    auto* add = makeButton(QStringLiteral("C_zh_tianjia"), QStringLiteral("添加方案…"), colors::kLightGreen, schemes);
    auto* current = makeButton(QStringLiteral("C_zh_dangqian"), QStringLiteral("添加当前条件"), colors::kLightGreen, schemes);
    remove_ = makeButton(QStringLiteral("C_zh_yichu"), QStringLiteral("移除"), colors::kLightYellow, schemes);
    auto* reread = makeButton(QStringLiteral("C_zh_shuaxin"), QStringLiteral("重新读取"), colors::kGrey, schemes);
    reread->setToolTip(QStringLiteral("方案文件改动后，重新读取并计算每个方案"));
    connect(add, &QPushButton::clicked, this, &CombineWindow::chooseSchemeFiles);
    connect(current, &QPushButton::clicked, this, &CombineWindow::addCurrentConditions);
    connect(remove_, &QPushButton::clicked, this, &CombineWindow::removeSelected);
    connect(reread, &QPushButton::clicked, this, &CombineWindow::rereadAll);
    for (QPushButton* b : {add, current, remove_, reread}) listButtons->addWidget(b);
    listButtons->addStretch(1);
    listButtons->addWidget(new QLabel(QStringLiteral("允许"), schemes));
    toleranceBox_ = new QComboBox(schemes);
    toleranceBox_->setObjectName(QStringLiteral("Combo_zh_rongcuo"));
    toleranceBox_->setToolTip(QStringLiteral("n 个方案时可选 0 到 n−1：每个号码至少要有 n−K 个方案保留它。\n"
                                             "0 为取交集（所有方案都保留），n−1 为取并集。"));
    listButtons->addWidget(toleranceBox_);
    listButtons->addWidget(new QLabel(QStringLiteral("个方案不中"), schemes));
    schemesLayout->addLayout(listButtons);
    connect(toleranceBox_, &QComboBox::activated, this, [this](int index) { setTolerance(index); });
    connect(list_, &QTableWidget::itemSelectionChanged, this,
            [this] { remove_->setEnabled(!list_->selectionModel()->selectedRows().isEmpty()); });

    // The combination.
    auto* combination = new QGroupBox(QStringLiteral("组合结果"), this);
    auto* combinationLayout = new QVBoxLayout(combination);
    auto* countRow = new QHBoxLayout;
    count_ = new QLabel(combination);
    count_->setObjectName(QStringLiteral("L_zh_zhushu"));
    QFont bold = count_->font();
    bold.setBold(true);
    count_->setFont(bold);
    status_ = new QLabel(combination);
    status_->setObjectName(QStringLiteral("L_zh_zhuangtai"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    countRow->addWidget(count_);
    countRow->addWidget(status_, 1);
    combinationLayout->addLayout(countRow);
    result_ = new MultiLineBox(QStringLiteral("T_zh_jieguo"), combination);
    result_->setReadOnly(true);
    result_->setMinimumHeight(90);
    combinationLayout->addWidget(result_, 1);
    auto* resultRow = new QHBoxLayout;
    struct Command {
        const char* name;
        const char* caption;
        void (CombineWindow::*act)();
    };
    const Command commands[] = {{"C_zh_fuzhi", "复制", &CombineWindow::copyNumbers},
                                {"C_zh_daochu", "导出…", &CombineWindow::exportNumbers},
                                {"C_zh_fasong", "发送到大底", &CombineWindow::sendToBaseList},
                                {"C_zh_chakan", "查看结果", nullptr}};
    for (const Command& c : commands) {
        auto* b = makeButton(QString::fromUtf8(c.name), QString::fromUtf8(c.caption), colors::kLightBlue, combination);
        if (c.act)
            connect(b, &QPushButton::clicked, this, c.act);
        else
            connect(b, &QPushButton::clicked, this, &CombineWindow::openResults);
        resultButtons_ << b;
        resultRow->addWidget(b);
    }
    resultButtons_[2]->setToolTip(QStringLiteral("把组合的号码放进主窗口的大底号码框"));
    resultRow->addStretch(1);
    combinationLayout->addLayout(resultRow);

    // The combination against past draws.
    auto* backtest = new QGroupBox(QStringLiteral("历史验证（直选投注组合的全部号码）"), this);
    auto* backtestLayout = new QVBoxLayout(backtest);
    auto* summaryRow = new QHBoxLayout;
    backtestSummary_ = new QLabel(backtest);
    backtestSummary_->setObjectName(QStringLiteral("L_zh_yanzheng"));
    backtestSummary_->setWordWrap(true);
    backtestSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* openHistory = makeButton(QStringLiteral("C_zh_lishi"), QStringLiteral("开奖历史…"), colors::kGrey, backtest);
    connect(openHistory, &QPushButton::clicked, &document_, &ConditionsDocument::showHistoryWindow);
    summaryRow->addWidget(backtestSummary_, 1);
    summaryRow->addWidget(openHistory, 0, Qt::AlignTop);
    backtestLayout->addLayout(summaryRow);
    backtestModel_ = new CombinationBacktestModel(this);
    backtestRange_ = new BacktestRangeBar(QStringLiteral("Frame_zh_yanzheng"), backtest);
    backtestRange_->setExport(backtestModel_, [this] { return QStringList{backtestSummary_->text()}; });
    backtestRange_->setServices(&services_);
    connect(backtestRange_, &BacktestRangeBar::rangeChanged, this, &CombineWindow::showBacktest);
    backtestLayout->addWidget(backtestRange_);
    backtestTable_ = new QTableView(backtest);
    backtestTable_->setObjectName(QStringLiteral("Grid_zh_yanzheng"));
    backtestTable_->setModel(backtestModel_);
    backtestTable_->verticalHeader()->hide();
    backtestTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    backtestTable_->verticalHeader()->setDefaultSectionSize(backtestTable_->fontMetrics().height() + 6);
    backtestTable_->horizontalHeader()->setStretchLastSection(true);
    backtestTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    backtestTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    backtestTable_->setAlternatingRowColors(true);
    backtestTable_->setColumnWidth(CombinationBacktestModel::Line, digit * 6 + 16);
    backtestTable_->setColumnWidth(CombinationBacktestModel::Issue, digit * 11 + 16);
    backtestTable_->setColumnWidth(CombinationBacktestModel::Holders, digit * 12 + 16);
    backtestLayout->addWidget(backtestTable_, 1);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(schemes);
    split->addWidget(combination);
    split->addWidget(backtest);
    split->setChildrenCollapsible(false);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 3);
    layout->addWidget(split);

    // The remembered list: a file that has gone is shown as missing, not dropped.
    for (const QString& item : Settings::listValue(Setting::CombineSchemes)) {
        Entry e;
        if (item != kCurrentMarker) e.path = item;
        if (e.isCurrent() && std::any_of(entries_.begin(), entries_.end(), [](const Entry& x) { return x.isCurrent(); }))
            continue;
        readEntry(e);
        entries_.push_back(std::move(e));
    }
    tolerance_ = Settings::intValue(Setting::CombineTolerance);

    followTimer_ = new QTimer(this);
    followTimer_->setInterval(kFollowMs);
    connect(followTimer_, &QTimer::timeout, this, &CombineWindow::followMain);
    followTimer_->start();
    connect(&document_, &ConditionsDocument::ran, this, &CombineWindow::followMain);
    // The past draws are those 开奖历史 has read.
    // The rules of the schemes look back on them too.
    connect(&document_, &ConditionsDocument::historyChanged, this, &CombineWindow::historyChanged);
    recombine();
    resize(820, 720);
}

CombineWindow::~CombineWindow() = default;

void CombineWindow::readEntry(Entry& e) {
    e.conditions.reset();
    e.survivors.reset();
    e.problem.clear();
    if (e.isCurrent()) {
        currentShown_ = document_.conditions();
        e.conditions = currentShown_;
        runEntry(e);
        return;
    }
    const QFileInfo info(e.path);
    if (!info.exists()) {
        e.problem = QStringLiteral("找不到文件（已移动或删除）");
        return;
    }
    const FileBytes file = readWindowFile(e.path, kSchemeMaxBytes);  // a regular file only: a pipe would wait for ever
    if (!file.bytes) {
        e.problem = fromStd(file.error);
        return;
    }
    SchemeReading reading = readScheme(*file.bytes);
    if (!reading.scheme) {
        e.problem = QStringLiteral("不是可用的方案：") + fromStd(reading.error);
        return;
    }
    e.conditions = std::move(reading.scheme->main);
    runEntry(e);
}

// The run the start button would make with the scheme's conditions: its
// rules look back on the whole history of 开奖历史, betting on the draw after its last.
void CombineWindow::runEntry(Entry& e) {
    if (e.conditions) e.survivors = mainSurvivors(*e.conditions, document_.pastDraws());
}

void CombineWindow::historyChanged() {
    if (std::any_of(entries_.begin(), entries_.end(),
                    [](const Entry& e) { return e.conditions && !e.conditions->rules.empty(); })) {
        for (Entry& e : entries_) runEntry(e);
        recombine();
    } else {
        showBacktest();
    }
}

bool CombineWindow::addSchemeFiles(const QStringList& paths) {
    QStringList already;
    bool added = false;
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == absolute; })) {
            already << QFileInfo(absolute).fileName();
            continue;
        }
        Entry e;
        e.path = absolute;
        readEntry(e);
        entries_.push_back(std::move(e));
        added = true;
    }
    if (added) recombine();
    if (!already.isEmpty())
        services_.showMessage(this, QStringLiteral("温情提示"),
                              QStringLiteral("“%1”已在列表中，没有重复加入。").arg(already.join(QStringLiteral("”、“"))));
    return added;
}

void CombineWindow::chooseSchemeFiles() {
    const QString path = services_.chooseOpenPath(this, QStringLiteral("添加方案"), kSchemeFilter);
    if (!path.isEmpty()) addSchemeFiles({path});
}

void CombineWindow::addCurrentConditions() {
    if (std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.isCurrent(); })) {
        services_.showMessage(this, QStringLiteral("温情提示"), QStringLiteral("“当前条件”已在列表中。"));
        return;
    }
    Entry e;
    readEntry(e);
    entries_.push_back(std::move(e));
    recombine();
}

void CombineWindow::removeRow(int row) {
    if (row < 0 || row >= int(entries_.size())) return;
    entries_.erase(entries_.begin() + row);
    recombine();
}

void CombineWindow::removeSelected() {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        if (row < int(entries_.size())) entries_.erase(entries_.begin() + row);
    if (!rows.isEmpty()) recombine();
}

void CombineWindow::rereadAll() {
    for (Entry& e : entries_) readEntry(e);
    recombine();
}

void CombineWindow::setTolerance(int k) {
    tolerance_ = std::max(0, k);
    recombine();
}

QString CombineWindow::resultText() const { return result_->text(); }
QString CombineWindow::statusText() const { return status_->text(); }
QString CombineWindow::backtestSummary() const { return backtestSummary_->text(); }

// Follows the main window's conditions while "当前条件" is listed.
void CombineWindow::followMain() {
    if (!isVisible()) return;
    const auto current = std::find_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.isCurrent(); });
    if (current == entries_.end() || (currentShown_ && document_.conditions() == *currentShown_)) return;
    readEntry(*current);
    recombine();
}

void CombineWindow::recombine() {
    const int n = int(entries_.size());
    tolerance_ = std::clamp(tolerance_, 0, std::max(0, n - 1));
    {
        const QSignalBlocker block(toleranceBox_);
        toleranceBox_->clear();
        for (int k = 0; k < std::max(1, n); ++k) toleranceBox_->addItem(QString::number(k));
        toleranceBox_->setCurrentIndex(tolerance_);
        toleranceBox_->setEnabled(n >= 2);
    }
    showList();

    combined_.reset();
    QStringList bad;
    for (int i = 0; i < n; ++i)
        if (!entries_[std::size_t(i)].survivors)
            bad << QStringLiteral("第 %1 行“%2”").arg(i + 1).arg(entryName(entries_[std::size_t(i)]));
    if (!bad.isEmpty()) {
        status_->setText(QStringLiteral("%1有问题（原因见列表），不能组合：请修正这些方案文件后点“重新读取”，或把它们移除。")
                             .arg(bad.join(QStringLiteral("、"))));
    } else if (n < 2) {
        status_->setText(QStringLiteral("请至少加入两个方案（可以包括“当前条件”），才能组合。"));
    } else {
        std::vector<NumberSet> results;
        for (const Entry& e : entries_) results.push_back(*e.survivors);
        combined_ = combineResults(results, tolerance_);
        status_->setText(tolerance_ == 0
                             ? QStringLiteral("%1 个方案都保留的号码（交集）。").arg(n)
                             : QStringLiteral("%1 个方案中至少 %2 个保留的号码（允许 %3 个方案不中）。")
                                   .arg(n)
                                   .arg(n - tolerance_)
                                   .arg(tolerance_));
    }
    if (combined_) {
        count_->setText(QStringLiteral("组合注数 %1").arg(combined_->count()));
        result_->setText(combined_->any() ? fromStd(numberSetText(*combined_))
                                          : QStringLiteral("没有号码同时被足够多的方案保留，可以允许更多方案不中。"));
    } else {
        count_->setText(QStringLiteral("组合注数 —"));
        result_->setText(QString());
    }
    for (QPushButton* b : resultButtons_) b->setEnabled(combined_ && combined_->any());
    resultButtons_[3]->setEnabled(combined_.has_value());
    remember();
    showBacktest();
}

void CombineWindow::showList() {
    const QList<QModelIndex> selected = list_->selectionModel()->selectedRows();
    list_->setRowCount(int(entries_.size()));
    for (int row = 0; row < int(entries_.size()); ++row) {
        const Entry& e = entries_[std::size_t(row)];
        const QString cells[4] = {
            entryName(e), e.survivors ? QString::number(e.survivors->count()) : QStringLiteral("—"),
            e.problem.isEmpty() ? (e.isCurrent() ? QStringLiteral("主窗口现在的条件") : QStringLiteral("正常"))
                                : e.problem,
            e.isCurrent() ? QStringLiteral("主窗口") : QDir::toNativeSeparators(e.path)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == CountColumn) item->setTextAlignment(Qt::AlignCenter);
            if (!e.problem.isEmpty()) item->setForeground(QColor(Qt::red));
            item->setToolTip(c == StateColumn || c == PathColumn ? cells[c] : QString());
            list_->setItem(row, c, item);
        }
    }
    remove_->setEnabled(!selected.isEmpty() && !entries_.empty());
}

void CombineWindow::remember() const {
    QStringList items;
    for (const Entry& e : entries_) items << (e.isCurrent() ? kCurrentMarker : e.path);
    Settings::set({{Setting::CombineSchemes, items}, {Setting::CombineTolerance, tolerance_}});
}

// ---- commands on the combination ----------------------------------------------------------

void CombineWindow::copyNumbers() {
    if (combined_ && combined_->any()) services_.copyWithNotice(this, result_->text());
}

void CombineWindow::exportNumbers() {
    if (!combined_ || combined_->none()) return;
    QString path = services_.chooseSavePath(this, QStringLiteral("导出组合结果"), QStringLiteral("组合结果.txt"),
                                            QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    const QString error = writeFileAtomically(path, result_->text().toUtf8());
    if (!error.isEmpty())
        services_.showMessage(this, kErrorTitle, QStringLiteral("组合结果没有导出到“%1”：%2").arg(path, error));
}

void CombineWindow::sendToBaseList() {
    if (!combined_ || combined_->none()) return;
    document_.sendToBaseList(result_->text());
    status_->setText(QStringLiteral("已把 %1 注组合号码放进主窗口的大底号码框。").arg(combined_->count()));
}

ResultsView* CombineWindow::openResults() {
    if (!results_) {
        results_ = new ResultsView(result_, 3, services_, this);
        results_->setSlipTargetSource([this] {
            return ResultsView::SlipTarget{document_.lottery(), latestIssue(*document_.history(), document_.lottery())};
        });
        results_->setWindowTitle(QStringLiteral("查看组合结果"));
        results_->addTarget(QStringLiteral("C_jg_fasong[0]"), QStringLiteral("发送到大底"),
                            [this](const QString& text) { document_.sendToBaseList(text); });
        results_->addTarget(QStringLiteral("C_jg_fasong[1]"), QStringLiteral("发送到交集A"),
                            [this](const QString& text) { document_.sendToSetList(0, text); });
        results_->addTarget(QStringLiteral("C_jg_fasong[2]"), QStringLiteral("发送到交集B"),
                            [this](const QString& text) { document_.sendToSetList(1, text); });
    } else {
        results_->refresh();
    }
    results_->show();
    results_->raise();
    results_->activateWindow();
    return results_;
}

// ---- the combination against past draws ----------------------------------------------------

void CombineWindow::showBacktest() {
    const History* history = document_.history().get();
    backtestRange_->showNote(QString(), false);
    if (!history || history->draws.empty()) {
        backtestModel_->setBacktest({});
        backtestSummary_->setText(QStringLiteral("还没有开奖历史：在“开奖历史”窗口粘贴或打开开奖号码后，"
                                                 "这里逐期验证组合是否保留了开奖号码。"));
        return;
    }
    if (!combined_) {
        backtestModel_->setBacktest({});
        backtestSummary_->setText(QStringLiteral("组合还不能进行，没有验证。"));
        return;
    }
    std::vector<MainConditions> schemes;
    std::size_t lookBack = 0;
    for (const Entry& e : entries_) {
        schemes.push_back(*e.conditions);
        lookBack = std::max(lookBack, rulesLookBack(e.conditions->rules));
    }
    // Limited to part of the history: the cut history, the schemes' rules
    // looking back on the draws before the range as warm-up draws.
    const LimitedHistory part = limitHistory(*history, timeOrder(*history), backtestRange_->range(), lookBack);
    if (!part.error.empty()) {
        backtestModel_->setBacktest({});
        backtestSummary_->setText(QStringLiteral("没有验证：") + fromStd(part.error));
        backtestRange_->showNote(fromStd(part.error), true);
        return;
    }
    backtestRange_->showNote(fromStd(part.note), false);
    if (part.cut) history = &*part.cut;
    // The player's price and prizes, as the history window's backtests use them.
    const MoneyPrices p = PriceSettings::prices();
    const MoneySettings prices{p.price, p.direct, p.group3, p.group6, p.twoStar};
    CombinationBacktest b;
    try {
        b = backtestCombination(schemes, tolerance_, *history, prices);
    } catch (const std::bad_alloc&) {
        backtestModel_->setBacktest({});
        backtestSummary_->setText(QStringLiteral("内存不足，无法逐期验证这个组合：请减少开奖历史的期数或方案的动态条件后再试。"));
        return;
    }
    const int total = b.total;
    QString text;
    if (b.warmup > 0) {
        // Walking forward: the draws before the schemes' rules could look back far enough.
        text = QStringLiteral("共 %1 期，其中 %2 期为预热期，不计入统计（方案的动态条件回看的开奖期数还不够）；")
                   .arg(b.draws.size())
                   .arg(b.warmup);
        text += total == 0 ? QStringLiteral("没有可以验证的开奖号码。") : QStringLiteral("其余 %1 期").arg(total);
    } else {
        text = QStringLiteral("共 %1 期").arg(total);
    }
    if (total > 0 || b.warmup == 0) {
        text += QStringLiteral("，保留 %1 期（%2），排除 %3 期；最长连续排除 %4 期；")
                    .arg(b.kept)
                    .arg(percentText(b.kept, total))
                    .arg(total - b.kept)
                    .arg(b.money.longestMiss);
        if (b.lastMiss < 0) {
            text += QStringLiteral("没有排除过开奖号码。");
        } else {
            const Draw& d = b.draws[std::size_t(b.lastMiss)].draw;
            text += QStringLiteral("最近一次排除：第 %1 行%2 开奖号码 %3（其后已开 %4 期）。")
                        .arg(d.line)
                        .arg(d.issue.empty() ? QString() : QStringLiteral(" 第 %1 期").arg(fromStd(d.issue)))
                        .arg(fromStd(d.number))
                        .arg(b.drawsAfterLastMiss);
        }
    }
    const bool walks = std::any_of(schemes.begin(), schemes.end(), [](const MainConditions& c) { return !c.rules.empty(); });
    const MoneyTotals& m = b.money;
    // With rules the combination changes from draw to draw: its bets are counted over the draws.
    const QString bets = walks ? QStringLiteral("\n每期直选投注当期组合的号码（动态条件按那一期之前的开奖取值，共 %1 注；")
                                     .arg(m.bets)
                               : QStringLiteral("\n每期直选投注组合的 %1 注（").arg(combined_->count());
    text += bets + QStringLiteral("每注 %1 元，中奖 %2 元）：共投入 %3 元，中奖 %4 期，奖金 %5 元，盈亏 %6 元。")
                       .arg(money(prices.price))
                       .arg(money(prices.direct))
                       .arg(money(m.cost))
                       .arg(m.hits)
                       .arg(money(m.win))
                       .arg(money(m.net));
    text += QStringLiteral("\n随机选同样多的号码：平均中奖 %1 ± %2 期，平均奖金 %3 ± %4 元。条件不能预测开奖，多中少中都可能只是运气。")
                .arg(QString::number(m.expectedHits, 'f', 1))
                .arg(QString::number(m.sdHits, 'f', 1))
                .arg(money(m.expectedWin))
                .arg(money(m.sdWin));
    backtestSummary_->setText(text);
    backtestModel_->setBacktest(std::move(b));
}

// ---- events ----------------------------------------------------------------------------

bool CombineWindow::event(QEvent* event) {
    // Coming back to the window: the files may have changed meanwhile.
    if (event->type() == QEvent::WindowActivate) {
        bool changed = false;
        for (Entry& e : entries_) {
            if (e.isCurrent()) continue;
            const std::optional<NumberSet> before = e.survivors;
            const QString problem = e.problem;
            readEntry(e);
            changed = changed || e.survivors != before || e.problem != problem;
        }
        if (changed) recombine();
    }
    return QWidget::event(event);
}

void CombineWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isSchemePath(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void CombineWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && isSchemePath(url.toLocalFile())) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    addSchemeFiles(paths);
}

}  // namespace tarnel
