#include "run/qt/history_window.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QFutureWatcher>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "common/qt/atomic_file.h"
#include "common/qt/controls.h"
#include "common/qt/keyboard.h"
#include "common/qt/ui_services.h"
#include "mainwindow/qt/main_window.h"
#include "run/scheme.h"
#include "twostar/qt/two_star_window.h"

namespace tarnel {
namespace {

const QString kErrorTitle = QStringLiteral("错误提示");
const QString kNoticeTitle = QStringLiteral("温情提示");
const QString kHistoryFilter = QStringLiteral("文本文件 (*.txt *.csv);;所有文件 (*)");
constexpr int kRereadPauseMs = 300;
// A reading that takes longer than this shows a busy bar.
constexpr int kBusyAfterMs = 150;
// Histories of at least this many draws are checked away from the window's
// thread after a run; shorter ones take a few milliseconds and are checked at once.
constexpr std::size_t kBackgroundDraws = 20000;
// Files from this size on are read under a busy cursor.
constexpr qint64 kBigFileBytes = qint64(1) << 20;
// The largest history the window takes: a few hundred thousand draws stay
// quick to show and to edit.
constexpr std::size_t kWindowMaxBytes = std::size_t(16) << 20;
// At most this many skipped lines are named in the status line.
constexpr int kSkippedNamed = 30;

// Lets a worker thread free a large value (a few hundred thousand draws take
// a while), so the window goes on at once.
template <typename T>
void freeAway(T value) {
    (void)QtConcurrent::run([doomed = std::move(value)] { (void)doomed; });
}

QString lineList(const std::vector<int>& lines, int named) {
    QStringList parts;
    for (std::size_t i = 0; i < lines.size() && int(i) < named; ++i) parts << QString::number(lines[i]);
    QString text = parts.join(QStringLiteral("、"));
    if (int(lines.size()) > named) text += QStringLiteral(" 等");
    return text;
}

QString percent(int part, int whole) {
    return whole ? QString::number(100.0 * part / whole, 'f', 1) + QLatin1Char('%') : QStringLiteral("-");
}

// The conditions a draw met, by their names.
QString killerNames(const DrawCheck& check, bool twoStar) {
    if (twoStar) return check.killedBy.empty() ? QString() : QStringLiteral("二星缩水条件");
    QStringList names;
    for (int row : check.killedBy) names << fromStd(rowName(row));
    return names.join(QStringLiteral("、"));
}

QChartView* makeChartView(QChart* chart, QWidget* parent) {
    chart->legend()->setVisible(false);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 220);
    return view;
}

}  // namespace

// ---- backtest table --------------------------------------------------------------

void BacktestModel::setBacktest(Backtest backtest, bool twoStar) {
    beginResetModel();
    std::swap(backtest_, backtest);
    twoStar_ = twoStar;
    endResetModel();
    freeAway(std::move(backtest));
}

int BacktestModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(backtest_.draws.size());
}

int BacktestModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BacktestModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const DrawCheck& d = backtest_.draws[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case Line: return d.draw.line;
            case Issue: return fromStd(d.draw.issue);
            case Number: return twoStar_ ? fromStd(d.draw.number) + QStringLiteral(" → ") + fromStd(d.number)
                                         : fromStd(d.number);
            case Result: return d.survives ? QStringLiteral("保留") : QStringLiteral("排除");
            case KilledBy: return killerNames(d, twoStar_);
        }
    } else if (role == Qt::ForegroundRole && index.column() == Result && !d.survives) {
        return QColor(Qt::red);
    } else if (role == Qt::TextAlignmentRole && index.column() != KilledBy) {
        return int(Qt::AlignCenter);
    } else if (role == Qt::ToolTipRole && index.column() == KilledBy && !d.killedBy.empty()) {
        return killerNames(d, twoStar_);
    }
    return {};
}

QVariant BacktestModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case Line: return QStringLiteral("行号");
        case Issue: return QStringLiteral("期号");
        case Number: return twoStar_ ? QStringLiteral("开奖号码 → 后两位") : QStringLiteral("开奖号码");
        case Result: return QStringLiteral("结果");
        case KilledBy: return QStringLiteral("排除它的条件");
    }
    return {};
}

BacktestView::BacktestView(const QString& name, bool twoStar, QWidget* parent)
    : QWidget(parent), twoStar_(twoStar), model_(new BacktestModel(this)) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(name + QStringLiteral("_zongjie"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    auto* split = new QSplitter(Qt::Horizontal, this);
    table_ = new QTableView(split);
    table_->setObjectName(name + QStringLiteral("_biao"));
    table_->setModel(model_);
    table_->verticalHeader()->hide();
    // Fixed row heights keep a table of a few hundred thousand rows quick.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    const int digitWidth = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    table_->setColumnWidth(BacktestModel::Line, digitWidth * 6 + 16);
    table_->setColumnWidth(BacktestModel::Issue, digitWidth * 11 + 16);
    table_->setColumnWidth(BacktestModel::Number, twoStar ? digitWidth * 14 + 16 : digitWidth * 8 + 16);
    table_->setColumnWidth(BacktestModel::Result, digitWidth * 6 + 16);

    chart_ = new QChart;
    chart_->setTitle(twoStar ? QStringLiteral("二星条件排除的开奖号码") : QStringLiteral("各条件排除的开奖号码期数"));
    chartView_ = makeChartView(chart_, split);
    chartView_->setObjectName(name + QStringLiteral("_tu"));
    split->addWidget(table_);
    split->addWidget(chartView_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
}

QString BacktestView::summaryText() const { return summary_->text(); }

void BacktestView::showNothing(const QString& reason) {
    model_->setBacktest(Backtest{}, twoStar_);
    summary_->setText(reason);
    fillChart(Backtest{});
}

void BacktestView::showBacktest(Backtest b) {
    const int total = int(b.draws.size());
    QString text = QStringLiteral("共 %1 期，保留 %2 期（%3），排除 %4 期；最长连续排除 %5 期；")
                       .arg(total)
                       .arg(b.kept)
                       .arg(percent(b.kept, total))
                       .arg(total - b.kept)
                       .arg(b.longestMissRun);
    if (b.lastMiss < 0) {
        text += QStringLiteral("没有排除过开奖号码。");
    } else {
        const Draw& d = b.draws[std::size_t(b.lastMiss)].draw;
        text += QStringLiteral("最近一次排除：第 %1 行%2 开奖号码 %3（其后已开 %4 期）。")
                    .arg(d.line)
                    .arg(d.issue.empty() ? QString() : QStringLiteral(" 第 %1 期").arg(fromStd(d.issue)))
                    .arg(fromStd(d.number))
                    .arg(total - 1 - b.lastMiss);
    }
    summary_->setText(text);
    fillChart(b);
    model_->setBacktest(std::move(b), twoStar_);
}

void BacktestView::fillChart(const Backtest& b) {
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    // Rows that ruled out at least one winning number, in the order of the run.
    QStringList names;
    auto* set = new QBarSet(QStringLiteral("排除期数"));
    for (std::size_t row = 0; row < b.killsByRow.size(); ++row) {
        if (b.killsByRow[row] == 0) continue;
        names << (twoStar_ ? QStringLiteral("二星条件") : fromStd(rowName(int(row))));
        *set << b.killsByRow[row];
    }
    if (names.isEmpty()) {
        delete set;
        chart_->setTitle(b.draws.empty() ? QStringLiteral("没有可验证的开奖号码")
                                         : QStringLiteral("没有条件排除过开奖号码"));
        return;
    }
    chart_->setTitle(twoStar_ ? QStringLiteral("二星条件排除的开奖号码期数")
                              : QStringLiteral("各条件排除的开奖号码期数"));
    // Names read best down the side: the first row of the run on top.
    std::reverse(names.begin(), names.end());
    QList<qreal> values;
    for (int i = set->count() - 1; i >= 0; --i) values << set->at(i);
    set->remove(0, set->count());
    set->append(values);
    set->setLabelColor(Qt::black);
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    chart_->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    chart_->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto* counts = new QValueAxis;
    counts->setLabelFormat(QStringLiteral("%d"));
    counts->setRange(0, *std::max_element(values.begin(), values.end()) * 1.1 + 1);
    counts->applyNiceNumbers();
    chart_->addAxis(counts, Qt::AlignBottom);
    series->attachAxis(counts);
}

// Does a job: reads the box's text as a history, works out the trend and
// writes the text to history.txt unless the file holds it already; then, in
// any case, checks the conditions against the history. It touches no widget,
// so it runs away from the window's thread.
HistoryReading doHistoryJob(HistoryJob job) {
    HistoryReading reading;
    reading.generation = job.generation;
    reading.read = job.read;
    reading.measure = job.measure;
    if (job.read) {
        const QByteArray utf8 = job.text.toUtf8();
        History history = readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        history.convertedFromGb18030 = false;
        reading.trend = trendTable(job.measure, history.draws);
        job.history = std::make_shared<const History>(std::move(history));
        if (job.text == job.savedText && !job.lastSaveFailed) {
            reading.saved = true;
        } else {
            QDir().mkpath(QFileInfo(job.path).absolutePath());
            reading.saveError = writeFileAtomically(job.path, utf8);
            reading.saved = reading.saveError.isEmpty();
        }
        reading.text = std::move(job.text);
    }
    if (!job.history->draws.empty()) {
        reading.main = backtestMain(job.mainInputs, job.tolerance, *job.history);
        if (job.twoStar) reading.twoStar = backtestTwoStar(*job.twoStar, *job.history);
    }
    reading.history = std::move(job.history);
    return reading;
}

// ---- the window ----------------------------------------------------------------------

HistoryWindow::HistoryWindow(MainWindow& main, UiServices& services)
    : QWidget(&main, Qt::Window), main_(main), services_(services) {
    setObjectName(QStringLiteral("F_lishi"));
    setWindowTitle(QStringLiteral("开奖历史"));
    closeOnEscape(this);

    rereadTimer_ = new QTimer(this);
    rereadTimer_->setSingleShot(true);
    rereadTimer_->setInterval(kRereadPauseMs);
    connect(rereadTimer_, &QTimer::timeout, this, &HistoryWindow::startReading);
    backtestTimer_ = new QTimer(this);
    backtestTimer_->setSingleShot(true);
    backtestTimer_->setInterval(kRereadPauseMs);
    connect(backtestTimer_, &QTimer::timeout, this, &HistoryWindow::checkLater);
    busyTimer_ = new QTimer(this);
    busyTimer_->setSingleShot(true);
    busyTimer_->setInterval(kBusyAfterMs);
    reader_ = new QFutureWatcher<HistoryReading>(this);
    connect(reader_, &QFutureWatcherBase::finished, this, &HistoryWindow::readingFinished);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("Tab_lishi"));
    tabs_->addTab(buildInputTab(), QStringLiteral("开奖号码"));
    mainView_ = new BacktestView(QStringLiteral("Frame_yanzheng"), false, tabs_);
    tabs_->addTab(mainView_, QStringLiteral("历史验证"));
    twoStarView_ = new BacktestView(QStringLiteral("Frame_yanzheng_2d"), true, tabs_);
    tabs_->addTab(twoStarView_, QStringLiteral("二星验证"));
    tabs_->addTab(buildTrendTab(), QStringLiteral("走势统计"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);

    // The two-star window may have opened or closed since the tab was last shown.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabs_->widget(index) == twoStarView_) checkLater();
    });
    connect(&main_, &MainWindow::ran, this, &HistoryWindow::checkLater);

    // The remembered history, read as a file the player opened (it is UTF-8).
    const FileBytes file = readFileBytes(toStd(storagePath()), kWindowMaxBytes);
    if (file.bytes) savedText_ = QString::fromUtf8(*file.bytes);
    {
        const QSignalBlocker block(text_);
        text_->setText(savedText_);
    }
    rereadNow();
    resize(1100, 660);
}

HistoryWindow::~HistoryWindow() {
    waitForReading();
    // A pending pause must not cost the player the last words typed.
    if (rereadTimer_->isActive() || dirty_ || readAgain_) remember();
}

namespace {
QString& storageOverride() {
    static QString path;
    return path;
}
}  // namespace

QString HistoryWindow::storagePath() {
    if (!storageOverride().isEmpty()) return storageOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history.txt");
}

void HistoryWindow::setStoragePath(const QString& path) { storageOverride() = path; }

QWidget* HistoryWindow::buildInputTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* buttons = new QHBoxLayout;
    auto* open = makeButton(QStringLiteral("C_ls_dakai"), QStringLiteral("打开文件…"), colors::kLightGreen, page);
    auto* clear = makeButton(QStringLiteral("C_ls_qingkong"), QStringLiteral("清空历史"), colors::kLightYellow, page);
    connect(open, &QPushButton::clicked, this, &HistoryWindow::openHistory);
    connect(clear, &QPushButton::clicked, this, &HistoryWindow::clearHistory);
    auto* hint = new QLabel(QStringLiteral("每行一期：期号、日期和三位开奖号码，如“2026001 2026-01-01 5 8 2”。"
                                           "文件按 UTF-8 或 GB18030 读取；历史会自动保存。"),
                            page);
    hint->setWordWrap(true);
    buttons->addWidget(open);
    buttons->addWidget(clear);
    buttons->addWidget(hint, 1);
    layout->addLayout(buttons);

    // A multi-line box, so that a paste of megabytes (even one digit run) is shown at once.
    text_ = new MultiLineBox(QStringLiteral("T_ls_haoma"), page);
    text_->setTabChangesFocus(false);  // a typed Tab separates an issue from its digits
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setPlaceholderText(QStringLiteral("在这里粘贴开奖号码，或点“打开文件…”"));
    connect(text_, &QPlainTextEdit::textChanged, this, &HistoryWindow::textEdited);
    layout->addWidget(text_, 1);

    status_ = new QLabel(page);
    status_->setObjectName(QStringLiteral("L_ls_zhuangtai"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Shown while a long history is read or checked: a caption and a bar
    // with no end known, which moves to show that work goes on.
    busy_ = new QWidget(page);
    busy_->setObjectName(QStringLiteral("Frame_ls_duqu"));
    auto* busyLayout = new QHBoxLayout(busy_);
    busyLayout->setContentsMargins(0, 0, 0, 0);
    busyLayout->addWidget(new QLabel(QStringLiteral("正在读取和验证开奖历史…"), busy_));
    auto* bar = new QProgressBar(busy_);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setFixedWidth(120);
    bar->setMaximumHeight(status_->fontMetrics().height() + 4);
    busyLayout->addWidget(bar);
    busy_->hide();
    connect(busyTimer_, &QTimer::timeout, busy_, &QWidget::show);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(busy_);
    layout->addLayout(bottom);
    return page;
}

QWidget* HistoryWindow::buildTrendTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Frame_zoushi"));
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("统计项目"), page));
    trendMeasure_ = new QComboBox(page);
    trendMeasure_->setObjectName(QStringLiteral("Combo_zoushi"));
    for (TrendMeasure m : kTrendMeasures) trendMeasure_->addItem(fromStd(trendMeasureName(m)));
    top->addWidget(trendMeasure_);
    trendNote_ = new QLabel(QStringLiteral("双击一个值，在主窗口勾选对应的排除条件。"), page);
    trendNote_->setObjectName(QStringLiteral("L_zoushi_tishi"));
    trendNote_->setWordWrap(true);
    top->addWidget(trendNote_, 1);
    layout->addLayout(top);

    auto* split = new QSplitter(Qt::Horizontal, page);
    trendTable_ = new QTableWidget(0, 5, split);
    trendTable_->setObjectName(QStringLiteral("Grid_zoushi"));
    trendTable_->setHorizontalHeaderLabels({QStringLiteral("值"), QStringLiteral("出现次数"), QStringLiteral("出现比例"),
                                            QStringLiteral("当前遗漏"), QStringLiteral("最大遗漏")});
    trendTable_->verticalHeader()->hide();
    trendTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trendTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    trendTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    trendTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    trendTable_->setToolTip(trendOmissionHint());
    for (int c : {3, 4}) trendTable_->horizontalHeaderItem(c)->setToolTip(trendOmissionHint());
    connect(trendTable_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { pickTrendValue(row); });

    trendChart_ = new QChart;
    auto* view = makeChartView(trendChart_, split);
    view->setObjectName(QStringLiteral("Chart_zoushi"));
    trendChart_->legend()->setVisible(true);
    trendChart_->legend()->setAlignment(Qt::AlignBottom);
    split->addWidget(trendTable_);
    split->addWidget(view);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({420, 700});  // the chart gets room for 28 values side by side
    trendTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    trendTable_->verticalHeader()->setDefaultSectionSize(trendTable_->fontMetrics().height() + 6);
    layout->addWidget(split, 1);

    connect(trendMeasure_, &QComboBox::currentIndexChanged, this, [this] { refreshTrend(); });
    return page;
}

QString HistoryWindow::trendOmissionHint() {
    return QStringLiteral("开奖号码按文本的行序排列，最后一行是最新一期。\n"
                          "当前遗漏：最新一期往前数，这个值已经连续多少期没有开出（从未开出时为总期数）。\n"
                          "最大遗漏：历史上连续没有开出的最多期数，包括当前遗漏。");
}

QString HistoryWindow::historyText() const { return text_->plainText(); }

void HistoryWindow::setHistoryText(const QString& text) { text_->setText(text); }

QString HistoryWindow::statusText() const { return status_->text(); }

void HistoryWindow::textEdited() {
    dirty_ = true;
    rereadTimer_->start();
}

void HistoryWindow::rereadNow() {
    rereadTimer_->stop();
    waitForReading();  // it is overtaken by this reading
    dirty_ = false;
    readAgain_ = checkAgain_ = false;
    applyReading(doHistoryJob(job(true)));
}

bool HistoryWindow::isReading() const { return reader_->isRunning() || readAgain_ || checkAgain_; }

// A job for the texts and conditions shown now; it takes a new generation.
HistoryJob HistoryWindow::job(bool read) {
    HistoryJob job;
    job.generation = read ? ++readGeneration_ : ++checkGeneration_;
    job.read = read;
    if (read) {
        job.text = text_->plainText();
        job.savedText = savedText_;
        job.lastSaveFailed = !saveError_.isEmpty();
        job.path = storagePath();
        job.measure = shownTrend();
    } else {
        job.history = history_;
    }
    const MainConditions& state = main_.conditions();
    job.mainInputs = shrinkInputs(state);
    job.tolerance = state.tolerance;
    TwoStarWindow* twoStar = main_.twoStarWindow();
    if (twoStar != watchedTwoStar_) {
        watchedTwoStar_ = twoStar;
        if (twoStar)
            connect(twoStar, &TwoStarWindow::conditionsChanged, backtestTimer_, qOverload<>(&QTimer::start));
    }
    if (twoStar) job.twoStar = twoStar->conditions();
    return job;
}

void HistoryWindow::startReading() { startJob(true); }

void HistoryWindow::checkLater() {
    if (dirty_) return;  // the pause ends in a reading, which checks too
    if (history_->draws.size() < kBackgroundDraws && !reader_->isRunning()) {
        refreshBacktests();
        return;
    }
    startJob(false);
}

void HistoryWindow::startJob(bool read) {
    if (reader_->isRunning()) {
        (read ? readAgain_ : checkAgain_) = true;  // once this one is done
        return;
    }
    if (read) dirty_ = false;
    busyTimer_->start();
    reader_->setFuture(QtConcurrent::run(doHistoryJob, job(read)));
}

void HistoryWindow::noteSave(const HistoryReading& reading) {
    if (reading.saved) {
        savedText_ = reading.text;
        saveError_.clear();
    } else if (!reading.saveError.isEmpty()) {
        saveError_ = reading.saveError;
    }
}

void HistoryWindow::readingFinished() {
    // A signal of a job whose result waitForReading took, or that comes
    // after a newer job began, finds nothing to take.
    if (!reader_->isFinished() || !reader_->future().isValid()) return;
    busyTimer_->stop();
    busy_->hide();
    HistoryReading reading = reader_->future().takeResult();
    noteSave(reading);
    const bool readAgain = std::exchange(readAgain_, false);
    const bool checkAgain = std::exchange(checkAgain_, false);
    // A job overtaken by a newer one, or by more typing, is not shown.
    if (!dirty_ && !readAgain) {
        if (reading.read) {
            if (reading.generation == readGeneration_) applyReading(std::move(reading));
        } else if (reading.generation == checkGeneration_ && reading.history == history_) {
            showBacktests(reading);
        }
    }
    if (readAgain || checkAgain) startJob(readAgain);  // a reading checks too
}

void HistoryWindow::waitForReading() {
    if (!reader_->isRunning()) return;
    reader_->waitForFinished();
    noteSave(reader_->future().takeResult());
    busyTimer_->stop();
    busy_->hide();
    ++readGeneration_;  // its finished signal, still to come, shows nothing
    ++checkGeneration_;
}

void HistoryWindow::applyReading(HistoryReading reading) {
    noteSave(reading);
    freeAway(std::exchange(history_, reading.history));
    showStatus();
    showBacktests(reading);
    if (reading.measure == shownTrend()) {
        trend_ = std::move(reading.trend);
        showTrendTable();
    } else {
        refreshTrend();
    }
    emit historyRead();
}

void HistoryWindow::remember() {
    const QString text = text_->plainText();
    if (text == savedText_ && saveError_.isEmpty()) return;
    const QString path = storagePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString error = writeFileAtomically(path, text.toUtf8());
    if (error.isEmpty()) {
        savedText_ = text;
        saveError_.clear();
    } else {
        saveError_ = error;
    }
}

void HistoryWindow::showStatus() {
    QString text = QStringLiteral("已读取 %1 期开奖号码").arg(history_->draws.size());
    if (!history_->draws.empty()) {
        const Draw& newest = history_->draws.back();
        text += QStringLiteral("，最新一期（最后一行，第 %1 行）：%2%3")
                    .arg(newest.line)
                    .arg(newest.issue.empty() ? QString() : fromStd(newest.issue) + QLatin1Char(' '))
                    .arg(fromStd(newest.number));
    }
    text += QStringLiteral("。");
    if (!history_->skipped.empty())
        text += QStringLiteral("跳过 %1 行（不含三位开奖号码）：第 %2 行。")
                    .arg(history_->skipped.size())
                    .arg(lineList(history_->skipped, kSkippedNamed));
    if (!saveError_.isEmpty()) text += QStringLiteral("历史未能保存：%1").arg(saveError_);
    status_->setText(text);
}

bool HistoryWindow::openHistoryFile(const QString& path) {
    const QFileInfo info(path);
    const bool big = info.size() >= kBigFileBytes;
    if (big) QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = [big] {
        if (big) QApplication::restoreOverrideCursor();
    };
    const FileBytes file = readFileBytes(toStd(path), kWindowMaxBytes);
    if (!file.bytes) {
        restoreCursor();
        services_.showMessage(this, kErrorTitle, fromStd(file.error));
        return false;
    }
    const std::string& bytes = *file.bytes;
    if (bytes.find('\0') != std::string::npos) {
        restoreCursor();
        services_.showMessage(this, kErrorTitle,
                              QStringLiteral("“%1”不是文本文件，没有打开。\r\n请选择每行一期开奖号码的文本文件。")
                                  .arg(info.fileName()));
        return false;
    }
    bool converted = false;
    const std::string utf8 = decodeHistoryText(bytes, &converted);
    const History read = readHistoryText(utf8);
    if (read.draws.empty()) {
        restoreCursor();
        services_.showMessage(this, kErrorTitle,
                              QStringLiteral("“%1”中没有读到开奖号码，框中的内容没有改变。\r\n"
                                             "每行应有三位开奖号码，如“2026001 2026-01-01 5 8 2”。")
                                  .arg(info.fileName()));
        return false;
    }
    if (!historyText().trimmed().isEmpty() &&
        !services_.askYesNo(this, kNoticeTitle,
                            QStringLiteral("用“%1”的 %2 期开奖号码替换框中现有的开奖历史吗？")
                                .arg(info.fileName())
                                .arg(read.draws.size()))) {
        restoreCursor();
        return false;
    }
    text_->setText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    rereadNow();
    restoreCursor();
    if (converted)
        status_->setText(status_->text() + QStringLiteral("（文件不是 UTF-8，已按 GB18030 读取。）"));
    return true;
}

void HistoryWindow::openHistory() {
    const QString path = services_.chooseOpenPath(this, QStringLiteral("打开开奖历史"), kHistoryFilter);
    if (!path.isEmpty()) openHistoryFile(path);
}

void HistoryWindow::clearHistory() {
    if (historyText().isEmpty()) return;
    if (!services_.askYesNo(this, kNoticeTitle, QStringLiteral("清空全部开奖历史吗？保存的历史也会一并清空。")))
        return;
    text_->clear();
    rereadNow();
}

void HistoryWindow::refreshBacktests() {
    if (dirty_) return;  // the pause ends in a reading, which checks too
    HistoryReading reading = doHistoryJob(job(false));  // newer than any job under way
    showBacktests(reading);
}

void HistoryWindow::showBacktests(HistoryReading& reading) {
    if (reading.history->draws.empty()) {
        const QString none = QStringLiteral("还没有开奖历史：请在“开奖号码”页粘贴或打开开奖号码。");
        mainView_->showNothing(none);
        twoStarView_->showNothing(none);
        return;
    }
    mainView_->showBacktest(std::move(reading.main));
    if (!reading.twoStar) {
        twoStarView_->showNothing(
            QStringLiteral("二星缩水软件没有打开：打开后，这里按它的条件验证每期开奖号码的后两位。"));
        return;
    }
    twoStarView_->showBacktest(std::move(*reading.twoStar));
}

// ---- 走势统计 --------------------------------------------------------------------------

void HistoryWindow::showTrend(TrendMeasure measure) {
    trendMeasure_->setCurrentIndex(int(std::find(kTrendMeasures.begin(), kTrendMeasures.end(), measure) -
                                       kTrendMeasures.begin()));
}

TrendMeasure HistoryWindow::shownTrend() const {
    return kTrendMeasures[std::size_t(std::max(0, trendMeasure_->currentIndex()))];
}

void HistoryWindow::refreshTrend() {
    trend_ = trendTable(shownTrend(), history_->draws);
    showTrendTable();
}

void HistoryWindow::showTrendTable() {
    const TrendMeasure measure = shownTrend();
    const int values = int(trend_.values.size());
    trendTable_->setRowCount(values);
    auto* hits = new QBarSet(QStringLiteral("出现次数"));
    auto* omission = new QBarSet(QStringLiteral("当前遗漏"));
    QStringList captions;
    for (int v = 0; v < values; ++v) {
        const TrendValue& t = trend_.values[std::size_t(v)];
        const QString caption = fromStd(trendValueCaption(measure, v));
        captions << caption;
        const QStringList cells = {caption, QString::number(t.hits), percent(t.hits, trend_.draws),
                                   QString::number(t.currentOmission), QString::number(t.longestOmission)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            trendTable_->setItem(v, c, item);
        }
        *hits << t.hits;
        *omission << t.currentOmission;
    }

    trendChart_->removeAllSeries();
    for (QAbstractAxis* axis : trendChart_->axes()) {
        trendChart_->removeAxis(axis);
        delete axis;
    }
    trendChart_->setTitle(QStringLiteral("%1：%2 期").arg(fromStd(trendMeasureName(measure))).arg(trend_.draws));
    // Three-digit captions (012 road) are too wide side by side: their bars run across, the first on top.
    const bool across = measure == TrendMeasure::Road;
    QAbstractBarSeries* series = across ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                        : static_cast<QAbstractBarSeries*>(new QBarSeries);
    if (across) {
        std::reverse(captions.begin(), captions.end());
        for (QBarSet* set : {hits, omission}) {
            QList<qreal> values;
            for (int i = set->count() - 1; i >= 0; --i) values << set->at(i);
            set->remove(0, set->count());
            set->append(values);
        }
    }
    series->append(hits);
    series->append(omission);
    trendChart_->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(captions);
    {
        // 28 sums side by side, or 27 road patterns one above another, in a
        // smaller font; whole captions rather than "…" where a slot is tight.
        QFont small = categories->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        categories->setLabelsFont(small);
        categories->setTruncateLabels(false);
    }
    trendChart_->addAxis(categories, across ? Qt::AlignLeft : Qt::AlignBottom);
    series->attachAxis(categories);
    auto* counts = new QValueAxis;
    counts->setLabelFormat(QStringLiteral("%d"));
    int top = 1;
    for (const TrendValue& t : trend_.values) top = std::max({top, t.hits, t.currentOmission});
    counts->setRange(0, top);
    counts->applyNiceNumbers();
    trendChart_->addAxis(counts, across ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(counts);
}

void HistoryWindow::pickTrendValue(int value) {
    const TrendMeasure measure = shownTrend();
    if (value < 0 || value >= trendValueCount(measure)) return;
    const QString caption = fromStd(trendValueCaption(measure, value));
    MainConditions s = main_.conditions();
    auto& d = s.digits;
    const auto v = std::size_t(value);
    QString box;
    switch (measure) {
        case TrendMeasure::SumTail: d.sumTailKill[v] = true; box = QStringLiteral("杀和尾 %1").arg(caption); break;
        case TrendMeasure::Span: d.spanKill[v] = true; box = QStringLiteral("杀跨度 %1").arg(caption); break;
        case TrendMeasure::Form: d.special[v] = true; box = QStringLiteral("特别排除 %1").arg(caption); break;
        case TrendMeasure::BigSmall: d.bigSmall[v] = true; box = QStringLiteral("杀形态排列 %1").arg(caption); break;
        case TrendMeasure::OddEven: d.oddEven[v] = true; box = QStringLiteral("杀形态排列 %1").arg(caption); break;
        case TrendMeasure::Road: d.road[v] = true; box = QStringLiteral("012路排除 %1").arg(caption); break;
        case TrendMeasure::Sum: break;
    }
    if (box.isEmpty()) {
        trendNote_->setText(QStringLiteral("和值 %1 没有一一对应的排除框，主窗口没有改变。").arg(caption));
        return;
    }
    main_.applyConditions(s);
    trendNote_->setText(QStringLiteral("已在主窗口勾选“%1”。").arg(box));
}

// ---- opening and closing ------------------------------------------------------------

void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (rereadTimer_->isActive() || isReading()) rereadNow();
    QWidget::closeEvent(event);
}

}  // namespace tarnel
