#include "ui/widgets/results_view.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <QFontMetricsF>
#include <cmath>

#include "ui/widgets/atomic_file.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/settings.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/ui_services.h"
#include "ui/widgets/price_settings.h"
#include "core/analysis/slip_heading.h"

namespace tarnel {

namespace {

constexpr int kMaxPerLine = 1000;

const char* const kSeparatorCaptions[3] = {"空格", "逗号", "换行"};
const NumberSeparator kSeparators[3] = {NumberSeparator::Space, NumberSeparator::Comma, NumberSeparator::LineBreak};

QString numberQText(int n, int width) { return QString::number(n).rightJustified(width, QLatin1Char('0')); }

QPushButton* plainButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);  // Enter in the price box must not copy or send
    return b;
}

const char* const kGroupFormsKey = "tarnelGroupForms";
const char* const kGroupFormsWatchedKey = "tarnelGroupFormsWatched";

}  // namespace

void markGroupForms(MultiLineBox* box, bool groups) {
    if (!groups) {
        box->setProperty(kGroupFormsKey, QVariant());
        return;
    }
    box->setProperty(kGroupFormsKey, box->text());
    if (box->property(kGroupFormsWatchedKey).toBool()) return;
    box->setProperty(kGroupFormsWatchedKey, true);
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box] {
        const QVariant held = box->property(kGroupFormsKey);
        if (held.isValid() && held.toString() != box->text()) box->setProperty(kGroupFormsKey, QVariant());
    });
}

bool holdsGroupForms(const MultiLineBox* box) {
    const QVariant held = box->property(kGroupFormsKey);
    return held.isValid() && held.toString() == box->text();
}

ResultsView::ResultsView(MultiLineBox* resultBox, int width, UiServices& services, QWidget* parent)
    : QDialog(parent), box_(resultBox), width_(width), services_(services) {
    setObjectName(QStringLiteral("F_jieguo"));
    setWindowTitle(QStringLiteral("查看结果"));
    setModal(false);

    // Counts, forms and cost.
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("L_jg_zhushu"));
    QFont bold = counts_->font();
    bold.setBold(true);
    counts_->setFont(bold);
    forms_ = new QLabel(this);
    forms_->setObjectName(QStringLiteral("L_jg_xingtai"));
    price_ = new QDoubleSpinBox(this);
    price_->setObjectName(QStringLiteral("Spin_jg_danjia"));
    price_->setDecimals(2);
    price_->setRange(0.01, 10000.0);
    price_->setSingleStep(1.0);
    price_->setSuffix(QStringLiteral(" 元"));
    price_->setToolTip(QStringLiteral("每注的价格，下次打开时仍用这个价格"));
    price_->setValue(PriceSettings::priceFen() / 100.0);  // the price the backtests use too
    cost_ = new QLabel(this);
    cost_->setObjectName(QStringLiteral("L_jg_jine"));
    auto* priceLabel = new QLabel(QStringLiteral("单价"), this);
    priceLabel->setBuddy(price_);

    auto* figures = new QGridLayout;
    figures->addWidget(counts_, 0, 0, 1, 3);
    figures->addWidget(forms_, 1, 0, 1, 3);
    figures->addWidget(priceLabel, 2, 0);
    figures->addWidget(price_, 2, 1);
    figures->addWidget(cost_, 2, 2);
    figures->setColumnStretch(2, 1);

    // The numbers in columns.
    grid_ = new QTableWidget(0, kGridColumns, this);
    grid_->setObjectName(QStringLiteral("Grid_jg_haoma"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int column = grid_->fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    // A column as narrow as a number: left to itself the header keeps each one
    // as wide as the widest glyph of its font, which on Windows can be twice
    // that and pushed the last columns out of sight.
    grid_->horizontalHeader()->setMinimumSectionSize(column);
    grid_->setMinimumWidth(column * kGridColumns + 60);

    // Survivors by sum.
    chart_ = new BarChart(this);
    chart_->setObjectName(QStringLiteral("Chart_jg_hezhi"));
    chart_->setTitle(QStringLiteral("和值分布"));
    chart_->setAxisTitles(QStringLiteral("和值"), QString());
    chart_->setSlotWidth(0.8);
    chart_->setMinimumHeight(200);

    // Copy and export in a chosen layout.
    separator_ = new QComboBox(this);
    separator_->setObjectName(QStringLiteral("Combo_jg_fenge"));
    for (const char* c : kSeparatorCaptions) separator_->addItem(QString::fromUtf8(c));
    perLine_ = new QSpinBox(this);
    perLine_->setObjectName(QStringLiteral("Spin_jg_meihang"));
    perLine_->setRange(0, kMaxPerLine);
    perLine_->setSpecialValueText(QStringLiteral("不分行"));
    perLine_->setToolTip(QStringLiteral("每行放几个号码；0 表示全部放在一行"));
    separator_->setCurrentIndex(std::clamp(Settings::intValue(Setting::ResultsSeparator), 0, 2));
    perLine_->setValue(std::clamp(Settings::intValue(Setting::ResultsPerLine), 0, kMaxPerLine));
    auto syncPerLine = [this] { perLine_->setEnabled(separator_->currentIndex() != 2); };
    syncPerLine();
    connect(separator_, &QComboBox::currentIndexChanged, this, syncPerLine);
    copy_ = plainButton(QStringLiteral("C_jg_copy"), QStringLiteral("复制"), this);
    export_ = plainButton(QStringLiteral("C_jg_export"), QStringLiteral("导出…"), this);
    auto* separatorLabel = new QLabel(QStringLiteral("分隔符"), this);
    separatorLabel->setBuddy(separator_);
    auto* perLineLabel = new QLabel(QStringLiteral("每行个数"), this);
    perLineLabel->setBuddy(perLine_);
    auto* copyRow = new QHBoxLayout;
    copyRow->addWidget(separatorLabel);
    copyRow->addWidget(separator_);
    copyRow->addSpacing(8);
    copyRow->addWidget(perLineLabel);
    copyRow->addWidget(perLine_);
    copyRow->addStretch(1);
    copyRow->addWidget(copy_);
    copyRow->addWidget(export_);

    targetRow_ = new QHBoxLayout;
    targetRow_->addStretch(1);
    auto* close = plainButton(QStringLiteral("C_jg_close"), QStringLiteral("关闭"), this);
    targetRow_->addWidget(close);

    auto* right = new QVBoxLayout;
    right->addLayout(figures);
    right->addWidget(chart_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 3);
    body->addLayout(right, 2);
    auto* numbersPage = new QWidget;
    auto* numbersLayout = new QVBoxLayout(numbersPage);
    numbersLayout->addLayout(body, 1);
    numbersLayout->addLayout(copyRow);

    // 投注单: the numbers cut into tickets.
    slipPage_ = new QWidget;
    slipMode_ = new QComboBox(slipPage_);
    slipMode_->setObjectName(QStringLiteral("Combo_jg_tzd_fangshi"));
    slipMode_->addItem(QStringLiteral("直选复式"));
    slipMode_->addItem(QStringLiteral("组选复式（组六、组三）"));
    slipMode_->setToolTip(QStringLiteral("按直选号码或按组选号码开投注单"));
    slipMode_->setVisible(width_ == 3);
    auto* modeLabel = new QLabel(QStringLiteral("投注方式"), slipPage_);
    modeLabel->setBuddy(slipMode_);
    modeLabel->setVisible(width_ == 3);
    slipPaper_ = new QComboBox(slipPage_);
    slipPaper_->setObjectName(QStringLiteral("Combo_jg_tzd_zhi"));
    slipPaper_->addItem(QStringLiteral("A4 纸"));
    slipPaper_->addItem(QStringLiteral("小票（80 毫米宽）"));
    slipPaper_->setCurrentIndex(std::clamp(Settings::intValue(Setting::SlipPaper), 0, 1));
    auto* paperLabel = new QLabel(QStringLiteral("打印纸"), slipPage_);
    paperLabel->setBuddy(slipPaper_);
    slipTotal_ = new QLabel(slipPage_);
    slipTotal_->setObjectName(QStringLiteral("L_jg_tzd_heji"));
    slipTotal_->setFont(bold);
    slipTotal_->setWordWrap(true);
    slipGrid_ = new QTableWidget(0, 4, slipPage_);
    slipGrid_->setObjectName(QStringLiteral("Grid_jg_tzd"));
    slipGrid_->setHorizontalHeaderLabels(
        {QStringLiteral("玩法"), QStringLiteral("号码"), QStringLiteral("注数"), QStringLiteral("金额")});
    slipGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    slipGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    slipGrid_->verticalHeader()->setDefaultSectionSize(slipGrid_->fontMetrics().height() + 6);
    slipGrid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    slipGrid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    slipGrid_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    slipGrid_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    slipCopy_ = plainButton(QStringLiteral("C_jg_tzd_copy"), QStringLiteral("复制投注单"), slipPage_);
    slipPreview_ = plainButton(QStringLiteral("C_jg_tzd_yulan"), QStringLiteral("打印预览…"), slipPage_);
    slipPrint_ = plainButton(QStringLiteral("C_jg_tzd_print"), QStringLiteral("打印…"), slipPage_);
    slipPdf_ = plainButton(QStringLiteral("C_jg_tzd_pdf"), QStringLiteral("导出 PDF…"), slipPage_);
    auto* slipChoices = new QHBoxLayout;
    slipChoices->addWidget(modeLabel);
    slipChoices->addWidget(slipMode_);
    slipChoices->addSpacing(8);
    slipChoices->addWidget(paperLabel);
    slipChoices->addWidget(slipPaper_);
    slipChoices->addStretch(1);
    // The lottery and the issue the slips are for (shown once a window gives them).
    slipTargetRow_ = new QWidget(slipPage_);
    auto* targetRow = new QHBoxLayout(slipTargetRow_);
    targetRow->setContentsMargins(0, 0, 0, 0);
    slipLottery_ = new QLabel(slipTargetRow_);
    slipLottery_->setObjectName(QStringLiteral("L_jg_tzd_caizhong"));
    slipIssue_ = new QLineEdit(slipTargetRow_);
    slipIssue_->setObjectName(QStringLiteral("T_jg_tzd_qihao"));
    slipIssue_->setMaxLength(16);
    slipIssue_->setFixedWidth(slipIssue_->fontMetrics().horizontalAdvance(QStringLiteral("000000000")) + 14);
    slipIssue_->setToolTip(QStringLiteral("投注单是哪一期的：默认是最新开奖的下一期，可以改"));
    auto* issueLabel = new QLabel(QStringLiteral("期号"), slipTargetRow_);
    issueLabel->setBuddy(slipIssue_);
    slipIssueNote_ = new QLabel(slipTargetRow_);
    slipIssueNote_->setObjectName(QStringLiteral("L_jg_tzd_qihao_tishi"));
    slipIssueNote_->setWordWrap(true);
    slipCopyHeaded_ = plainButton(QStringLiteral("C_jg_tzd_copy_qihao"), QStringLiteral("复制（含彩种期号）"), slipTargetRow_);
    slipCopyHeaded_->setToolTip(QStringLiteral("复制投注单，第一行写明彩种和期号"));
    targetRow->addWidget(slipLottery_);
    targetRow->addSpacing(8);
    targetRow->addWidget(issueLabel);
    targetRow->addWidget(slipIssue_);
    targetRow->addWidget(slipIssueNote_, 1);
    targetRow->addWidget(slipCopyHeaded_);
    slipTargetRow_->hide();
    auto* slipButtons = new QHBoxLayout;
    slipButtons->addStretch(1);
    for (QPushButton* b : {slipCopy_, slipPreview_, slipPrint_, slipPdf_}) slipButtons->addWidget(b);
    auto* slipLayout = new QVBoxLayout(slipPage_);
    slipLayout->addLayout(slipChoices);
    slipLayout->addWidget(slipTargetRow_);
    slipLayout->addWidget(slipTotal_);
    slipLayout->addWidget(slipGrid_, 1);
    slipLayout->addLayout(slipButtons);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("Tab_jg"));
    tabs_->addTab(numbersPage, QStringLiteral("号码"));
    tabs_->addTab(slipPage_, QStringLiteral("投注单"));

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs_, 1);
    v->addLayout(targetRow_);

    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (tabs_->currentWidget() == slipPage_) showSlips();
    });
    connect(slipMode_, &QComboBox::currentIndexChanged, this, [this] {
        slipsStale_ = true;
        showSlips();
    });
    connect(slipPaper_, &QComboBox::currentIndexChanged, this,
            [this] { Settings::set(Setting::SlipPaper, slipPaper_->currentIndex()); });
    connect(slipCopy_, &QPushButton::clicked, this, &ResultsView::copySlips);
    connect(slipCopyHeaded_, &QPushButton::clicked, this, &ResultsView::copyHeadedSlips);
    connect(slipIssue_, &QLineEdit::textEdited, this, [this] { slipIssueUsable(); });
    connect(slipPreview_, &QPushButton::clicked, this, &ResultsView::previewSlips);
    connect(slipPrint_, &QPushButton::clicked, this, &ResultsView::printSlips);
    connect(slipPdf_, &QPushButton::clicked, this, &ResultsView::exportSlipsPdf);

    connect(price_, &QDoubleSpinBox::valueChanged, this, [this] {
        PriceSettings::setPriceFen(priceFen());
        showSummary();
    });
    // A price set in the history window shows here at once.
    connect(&PriceSettings::notifier(), &PriceSettings::changed, this, [this] {
        const int fen = PriceSettings::priceFen();
        if (fen == priceFen()) return;
        const QSignalBlocker block(price_);
        price_->setValue(fen / 100.0);
        showSummary();
        if (tabs_->currentWidget() == slipPage_) showSlips();
    });
    connect(separator_, &QComboBox::currentIndexChanged, this, &ResultsView::rememberChoices);
    connect(perLine_, &QSpinBox::valueChanged, this, &ResultsView::rememberChoices);
    connect(copy_, &QPushButton::clicked, this, &ResultsView::copyNumbers);
    connect(export_, &QPushButton::clicked, this, &ResultsView::exportNumbers);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    // Follows the result box: a run empties and refills it, so the changes
    // of one event-loop pass are read once.
    followTimer_ = new QTimer(this);
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(0);
    connect(followTimer_, &QTimer::timeout, this, &ResultsView::refresh);
    if (box_) connect(box_, &QPlainTextEdit::textChanged, followTimer_, qOverload<>(&QTimer::start));

    refresh();
    resize(920, 600);
    grid_->setFocus();
}

QPushButton* ResultsView::addTarget(const QString& objectName, const QString& caption,
                                    std::function<void(const QString&)> send) {
    auto* b = plainButton(objectName, caption, this);
    b->setToolTip(QStringLiteral("把这些号码（空格隔开）放入该框，原有内容被替换"));
    targetRow_->insertWidget(targets_.size(), b);
    targets_ << b;
    connect(b, &QPushButton::clicked, this, [this, send = std::move(send)] {
        if (followTimer_->isActive()) refresh();  // the box changed a moment ago
        if (numbers_.empty()) return;
        send(fromStd(formatNumbers(numbers_, width_, NumberSeparator::Space, 0)));
    });
    b->setEnabled(!numbers_.empty());
    return b;
}

void ResultsView::refresh() {
    followTimer_->stop();
    std::vector<int> numbers = box_ ? resultNumbers(toStd(box_->text()), width_) : std::vector<int>{};
    const bool groupForms = box_ && holdsGroupForms(box_);
    const bool changed = numbers != numbers_ || groupForms != groupForms_;
    numbers_ = std::move(numbers);
    groupForms_ = groupForms;
    summary_ = summarizeNumbers(numbers_, width_);
    showSummary();
    showGrid();
    showChart();
    const bool any = !numbers_.empty();
    // A result of group numbers only (after 转为组选) is cut into group tickets.
    if (width_ == 3 && changed) {
        const bool groupsOnly = groupForms_ || (any && std::all_of(numbers_.begin(), numbers_.end(), [](int n) {
            return groupKey(n, 3) == n;
        }) && std::any_of(numbers_.begin(), numbers_.end(), [](int n) { return groupForm(n, 3) != GroupForm::AllSame; }));
        const QSignalBlocker quiet(slipMode_);
        slipMode_->setCurrentIndex(groupsOnly ? 1 : 0);
    }
    if (changed) slipsStale_ = true;
    if (tabs_->currentWidget() == slipPage_) showSlips();
    for (QPushButton* b : targets_) b->setEnabled(any);
    copy_->setEnabled(any);
    export_->setEnabled(any);
}

int ResultsView::priceFen() const { return int(std::lround(price_->value() * 100.0)); }

void ResultsView::showSummary() {
    const ResultSummary& s = summary_;
    const int fen = priceFen();
    if (groupForms_) {
        // Group forms: one group bet each, covering every order of its
        // digits; a form of equal digits (豹子) can only be bought as a
        // straight bet, so it is counted and priced as one.
        if (width_ == 2) {
            counts_->setText(QStringLiteral("组选 %1 注（对子 %2 注，非对子 %3 注）")
                                 .arg(s.direct).arg(s.allSame).arg(s.allDifferent));
            forms_->setText(QStringLiteral("对子 %1　　非对子 %2　　相当于直选 %3 注")
                                .arg(s.allSame).arg(s.allDifferent).arg(s.allSame + 2 * s.allDifferent));
            cost_->setText(QStringLiteral("组选 %1 元").arg(fromStd(yuanText(betCostFen(s.direct, fen)))));
            return;
        }
        const int groupBets = s.twoSame + s.allDifferent;
        QString counts = QStringLiteral("组选 %1 注（组三 %2 注，组六 %3 注）").arg(groupBets).arg(s.twoSame).arg(s.allDifferent);
        QString cost = QStringLiteral("组选 %1 元").arg(fromStd(yuanText(betCostFen(groupBets, fen))));
        if (s.allSame > 0) {
            counts += QStringLiteral("，豹子 %1 注按直选").arg(s.allSame);
            cost += QStringLiteral("　　豹子直选 %1 元　　合计 %2 元")
                        .arg(fromStd(yuanText(betCostFen(s.allSame, fen))), fromStd(yuanText(betCostFen(s.direct, fen))));
        }
        counts_->setText(counts);
        forms_->setText(QStringLiteral("豹子 %1　　组三 %2　　组六 %3　　相当于直选 %4 注")
                            .arg(s.allSame).arg(s.twoSame).arg(s.allDifferent)
                            .arg(s.allSame + 3 * s.twoSame + 6 * s.allDifferent));
        cost_->setText(cost);
        return;
    }
    counts_->setText(QStringLiteral("直选 %1 注　　组选 %2 注").arg(s.direct).arg(s.groups));
    if (width_ == 2)
        forms_->setText(QStringLiteral("对子 %1　　非对子 %2").arg(s.allSame).arg(s.allDifferent));
    else
        forms_->setText(
            QStringLiteral("豹子 %1　　组三 %2　　组六 %3").arg(s.allSame).arg(s.twoSame).arg(s.allDifferent));
    cost_->setText(QStringLiteral("直选 %1 元　　组选 %2 元")
                       .arg(fromStd(yuanText(betCostFen(s.direct, fen))), fromStd(yuanText(betCostFen(s.groups, fen)))));
}

void ResultsView::showGrid() {
    const int count = int(numbers_.size());
    grid_->clearContents();
    grid_->setRowCount((count + kGridColumns - 1) / kGridColumns);
    for (int i = 0; i < count; ++i) {
        auto* item = new QTableWidgetItem(numberQText(numbers_[std::size_t(i)], width_));
        item->setTextAlignment(Qt::AlignCenter);
        grid_->setItem(i / kGridColumns, i % kGridColumns, item);
    }
}

void ResultsView::showChart() {
    BarChart::Group bets{QStringLiteral("注数"), {}};
    QStringList sums;
    int most = 0;
    for (std::size_t sum = 0; sum < summary_.bySum.size(); ++sum) {
        sums << QString::number(sum);
        bets.values << summary_.bySum[sum];
        most = std::max(most, summary_.bySum[sum]);
    }
    // Every third sum labelled (every second of two digits); each bar tells its own in a tooltip.
    chart_->setCaptionEvery(width_ == 3 ? 3 : 2);
    chart_->setBars(sums, {bets}, most);
}

QString ResultsView::formattedText() const {
    return fromStd(formatNumbers(numbers_, width_, kSeparators[std::clamp(separator_->currentIndex(), 0, 2)],
                                 perLine_->value()));
}

void ResultsView::rememberChoices() const {
    Settings::set({{Setting::ResultsSeparator, separator_->currentIndex()}, {Setting::ResultsPerLine, perLine_->value()}});
}

void ResultsView::copyNumbers() {
    if (followTimer_->isActive()) refresh();
    services_.copyWithNotice(this, formattedText());
}

void ResultsView::exportNumbers() {
    if (followTimer_->isActive()) refresh();
    QString path = services_.chooseSavePath(this, QStringLiteral("导出号码"), QStringLiteral("号码.txt"),
                                            QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    const QString error = writeFileAtomically(path, formattedText().toUtf8());
    if (!error.isEmpty())
        services_.showMessage(this, QStringLiteral("错误提示"),
                              QStringLiteral("号码没有导出到“%1”：%2").arg(path, error));
}

// ---- 投注单 ---------------------------------------------------------------------

void ResultsView::setSchemeNameSource(std::function<QString()> source) { schemeName_ = std::move(source); }

QString ResultsView::schemeName() const {
    const QString name = schemeName_ ? schemeName_().trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("未保存的方案") : name;
}

ResultsView::SlipMode ResultsView::slipMode() const {
    return width_ == 3 && slipMode_->currentIndex() == 1 ? SlipMode::Group : SlipMode::Direct;
}

void ResultsView::setSlipMode(SlipMode mode) { slipMode_->setCurrentIndex(mode == SlipMode::Group ? 1 : 0); }

ResultsView::SlipPaper ResultsView::slipPaper() const {
    return slipPaper_->currentIndex() == 1 ? SlipPaper::Receipt : SlipPaper::A4;
}

void ResultsView::setSlipPaper(SlipPaper paper) { slipPaper_->setCurrentIndex(paper == SlipPaper::Receipt ? 1 : 0); }

const std::vector<SlipLine>& ResultsView::slipLines() {
    if (followTimer_->isActive()) refresh();
    if (!slipsStale_) return slips_;
    slipsStale_ = false;
    if (slipMode() == SlipMode::Group) {
        slips_ = groupSlipLines(cutGroups(numbers_));
    } else {
        TicketNumberSet set;
        for (int n : numbers_) set.set(std::size_t(n));
        slips_ = directSlipLines(cutDirect(set), width_);
    }
    return slips_;
}

int ResultsView::slipBets() const {
    int bets = 0;
    for (const SlipLine& line : slips_) bets += line.bets;
    return bets;
}

void ResultsView::setSlipTargetSource(std::function<SlipTarget()> source) {
    slipTarget_ = std::move(source);
    showSlipTarget();
}

// The lottery as the window has it now; the issue field suggests again
// when the newest past draw or the lottery changed.
void ResultsView::showSlipTarget() {
    slipTargetRow_->setVisible(bool(slipTarget_));
    if (!slipTarget_) return;
    const SlipTarget target = slipTarget_();
    const QString suggestion = fromStd(nextIssue(target.lottery, target.latestIssue));
    slipLottery_->setText(QStringLiteral("彩种：%1").arg(fromStd(lotteryName(target.lottery))));
    if (target.lottery != slipLotteryShown_ || suggestion != slipSuggested_) {
        slipLotteryShown_ = target.lottery;
        slipSuggested_ = suggestion;
        slipIssue_->setText(suggestion);
        slipIssue_->setModified(false);
    }
    slipIssueUsable();
}

QString ResultsView::slipIssue() {
    showSlipTarget();
    return slipIssue_->text().trimmed();
}

void ResultsView::setSlipIssue(const QString& issue) {
    showSlipTarget();
    slipIssue_->setText(issue);
    slipIssue_->setModified(true);
    slipIssueUsable();
}

bool ResultsView::slipIssueUsable() {
    const std::string error =
        slipTarget_ ? slipIssueError(slipLotteryShown_, toStd(slipIssue_->text().trimmed())) : std::string();
    slipIssueNote_->setText(fromStd(error));
    slipIssueNote_->setStyleSheet(error.empty() ? QString() : QStringLiteral("color: red;"));
    if (error.empty() && slipTarget_ && slipIssue_->text().trimmed().isEmpty())
        slipIssueNote_->setText(slipSuggested_.isEmpty() ? QStringLiteral("开奖历史中没有这个彩种的期号：投注单只写彩种。")
                                                         : QStringLiteral("期号空着：投注单只写彩种。"));
    return error.empty();
}

QString ResultsView::slipIssueMessage() {
    showSlipTarget();
    return slipIssueUsable() ? QString() : slipIssueNote_->text();
}

QString ResultsView::slipHeading() {
    if (!slipTarget_) return {};
    const QString issue = slipIssue();
    return fromStd(tarnel::slipHeading(slipLotteryShown_, slipIssueUsable() ? toStd(issue) : std::string()));
}

QString ResultsView::headedSlipText() {
    const QString heading = slipHeading();
    return heading.isEmpty() ? slipText() : heading + QStringLiteral("\r\n") + slipText();
}

void ResultsView::copyHeadedSlips() {
    if (slipLines().empty()) return;
    if (!slipIssueMessage().isEmpty()) {
        services_.showMessage(this, QStringLiteral("错误提示"), slipIssueMessage());
        return;
    }
    services_.copyWithNotice(this, headedSlipText());
}

void ResultsView::showSlips() {
    showSlipTarget();
    const std::vector<SlipLine>& lines = slipLines();
    const int fen = priceFen();
    slipGrid_->clearContents();
    slipGrid_->setRowCount(int(lines.size()));
    for (int row = 0; row < int(lines.size()); ++row) {
        const SlipLine& line = lines[std::size_t(row)];
        const QString cells[4] = {fromStd(line.kind), fromStd(line.numbers), QStringLiteral("%1注").arg(line.bets),
                                  fromStd(slipMoneyText(betCostFen(line.bets, fen))) + QStringLiteral("元")};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            slipGrid_->setItem(row, column, item);
        }
    }
    const bool any = !lines.empty();
    if (!any)
        slipTotal_->setText(kNoSlipsText);
    else
        slipTotal_->setText(QStringLiteral("共 %1 张投注单　%2 %3 注　合计 %4 元")
                                .arg(lines.size())
                                .arg(slipMode() == SlipMode::Group ? QStringLiteral("组选") : QStringLiteral("直选"))
                                .arg(slipBets())
                                .arg(fromStd(slipMoneyText(betCostFen(slipBets(), fen)))));
    for (QPushButton* b : {slipCopy_, slipPreview_, slipPrint_, slipPdf_}) b->setEnabled(any);
}

QString ResultsView::slipText() {
    const std::vector<SlipLine>& lines = slipLines();
    if (lines.empty()) return kNoSlipsText;
    const int fen = priceFen();
    QStringList out;
    for (const SlipLine& line : lines) out << fromStd(slipLineText(line, fen));
    out << QStringLiteral("合计 %1注 %2元").arg(slipBets()).arg(fromStd(slipMoneyText(betCostFen(slipBets(), fen))));
    return out.join(QStringLiteral("\r\n"));
}

QString ResultsView::slipHtml() {
    const std::vector<SlipLine>& lines = slipLines();
    const int fen = priceFen();
    const bool receipt = slipPaper() == SlipPaper::Receipt;
    const QString kind = slipMode() == SlipMode::Group ? QStringLiteral("组选") : QStringLiteral("直选");
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<p style=\"font-size:%1pt; font-weight:bold; margin:0\">投注单</p>").arg(receipt ? 11 : 16);
    const QString heading = slipHeading();
    html += QStringLiteral("<p>%1日期：%2<br>方案：%3<br>%4 %5 注，%6 张投注单，合计 %7 元（每注 %8 元）</p>")
                .arg(heading.isEmpty() ? QString() : QStringLiteral("<b>%1</b><br>").arg(heading.toHtmlEscaped()),
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                     schemeName().toHtmlEscaped(), kind)
                .arg(slipBets())
                .arg(lines.size())
                .arg(fromStd(slipMoneyText(betCostFen(slipBets(), fen))), fromStd(slipMoneyText(fen)));
    if (lines.empty()) {
        html += QStringLiteral("<p>%1</p>").arg(kNoSlipsText);
    } else if (receipt) {
        // A narrow roll: the play and the money on one line, the digits below.
        int index = 0;
        for (const SlipLine& line : lines)
            html += QStringLiteral("<p style=\"margin-top:4px; margin-bottom:0\"><b>%1. %2</b>　%3注 %4元<br>%5</p>")
                        .arg(++index)
                        .arg(fromStd(line.kind))
                        .arg(line.bets)
                        .arg(fromStd(slipMoneyText(betCostFen(line.bets, fen))), fromStd(line.numbers));
        html += QStringLiteral("<p><b>合计 %1注 %2元</b></p>")
                    .arg(slipBets())
                    .arg(fromStd(slipMoneyText(betCostFen(slipBets(), fen))));
    } else {
        // The column names head the table on every page it runs over.
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
                               "<thead><tr><th>序号</th><th>玩法</th><th>号码</th><th>注数</th><th>金额</th></tr></thead>");
        int index = 0;
        for (const SlipLine& line : lines)
            html += QStringLiteral("<tr><td align=\"right\">%1</td><td>%2</td><td>%3</td>"
                                   "<td align=\"right\">%4</td><td align=\"right\">%5元</td></tr>")
                        .arg(++index)
                        .arg(fromStd(line.kind), fromStd(line.numbers))
                        .arg(line.bets)
                        .arg(fromStd(slipMoneyText(betCostFen(line.bets, fen))));
        html += QStringLiteral("<tr><td></td><td><b>合计</b></td><td></td><td align=\"right\"><b>%1</b></td>"
                               "<td align=\"right\"><b>%2元</b></td></tr></table>")
                    .arg(slipBets())
                    .arg(fromStd(slipMoneyText(betCostFen(slipBets(), fen))));
    }
    html += QStringLiteral("</body></html>");
    return html;
}

void ResultsView::copySlips() {
    if (slipLines().empty()) return;
    services_.copyWithNotice(this, slipText());
}

namespace {

constexpr double kReceiptWidthMm = 80.0;
constexpr double kReceiptMarginMm = 4.0;
constexpr double kA4MarginMm = 15.0;
// Room on a receipt strip beyond its text: the running head and the page
// number, with some to spare.
constexpr double kReceiptBandsMm = 24.0;

}  // namespace

void ResultsView::setUpSlipDocument(QTextDocument& document) {
    QFont font = QApplication::font();
    font.setPointSizeF(slipPaper() == SlipPaper::Receipt ? 8.0 : 10.0);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(slipHtml());
}

void ResultsView::setUpPrinter(QPrinter& printer) {
    printer.setCreator(QStringLiteral("Tarnel"));
    printer.setDocName(QStringLiteral("投注单"));
    if (slipPaper() == SlipPaper::Receipt) {
        // One strip as long as the slips, as a till prints it; a very long
        // result goes on to further strips of the longest length allowed.
        QTextDocument document;
        setUpSlipDocument(document);
        const double dpi = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInchY() : 96.0;
        const double mmPerPixel = 25.4 / (dpi > 0 ? dpi : 96.0);
        document.setTextWidth((kReceiptWidthMm - 2 * kReceiptMarginMm) / mmPerPixel);
        const double height =
            std::clamp(document.size().height() * mmPerPixel + 2 * kReceiptMarginMm + kReceiptBandsMm, 60.0, 2000.0);
        const QPageSize strip(QSizeF(kReceiptWidthMm, height), QPageSize::Millimeter, QStringLiteral("小票 80 毫米"),
                              QPageSize::ExactMatch);
        printer.setPageLayout(QPageLayout(strip, QPageLayout::Portrait,
                                          QMarginsF(kReceiptMarginMm, kReceiptMarginMm, kReceiptMarginMm, kReceiptMarginMm),
                                          QPageLayout::Millimeter));
    } else {
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(kA4MarginMm, kA4MarginMm, kA4MarginMm, kA4MarginMm),
                                          QPageLayout::Millimeter));
    }
}

bool ResultsView::renderSlips(QPrinter& printer) {
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    if (paintSlipPages(painter, &printer, area.size(), [&printer] { return printer.newPage(); }) == 0) return false;
    return painter.end();
}

int ResultsView::paintSlipPages(QPainter& painter, QPaintDevice* device, QSizeF page,
                                const std::function<bool()>& newPage) {
    QTextDocument document;
    // Laid out for the device's resolution, page by page within its margins.
    document.documentLayout()->setPaintDevice(device);
    setUpSlipDocument(document);
    // A band above each page for the running head, one below for its number.
    QFont small = document.defaultFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    const QFontMetricsF metrics(small, device);
    const double band = std::ceil(metrics.height() * 1.8);
    const QSizeF body(page.width(), std::max(page.height() - 2 * band, page.height() / 2));
    document.setPageSize(body);
    const int pages = document.pageCount();
    const QString heading = slipHeading();
    const QString head = QStringLiteral("投注单　%1方案：%2　%3 %4 注，合计 %5 元")
                             .arg(heading.isEmpty() ? QString() : heading + QStringLiteral("　"), schemeName(),
                                  slipMode() == SlipMode::Group ? QStringLiteral("组选") : QStringLiteral("直选"))
                             .arg(slipBets())
                             .arg(fromStd(slipMoneyText(betCostFen(slipBets(), priceFen()))));
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !newPage()) return 0;
        painter.save();
        painter.setFont(small);
        painter.setPen(Qt::black);
        const QRectF headRect(0, 0, page.width(), band);
        painter.drawText(headRect, Qt::AlignLeft | Qt::AlignTop,
                         metrics.elidedText(p == 0 ? head : head + QStringLiteral("（续）"), Qt::ElideRight, page.width()));
        painter.drawText(QRectF(0, page.height() - band, page.width(), band), Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("第 %1 页，共 %2 页").arg(p + 1).arg(pages));
        painter.translate(0, band - p * body.height());
        document.drawContents(&painter, QRectF(QPointF(0, p * body.height()), body));
        painter.restore();
    }
    return pages;
}

bool ResultsView::writeSlipsPdf(const QString& path, QString* error) {
    // QPrinter writes into a scratch file; the chosen file is replaced in one step afterwards,
    // so a failed export leaves whatever was there before.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = QStringLiteral("无法建立临时文件夹");
        return false;
    }
    const QString draft = scratch.filePath(QStringLiteral("slips.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(draft);
        setUpPrinter(printer);
        if (!renderSlips(printer)) {
            *error = QStringLiteral("PDF 没有生成");
            return false;
        }
    }
    QFile drafted(draft);
    if (!drafted.open(QIODevice::ReadOnly) || drafted.size() == 0) {
        *error = QStringLiteral("PDF 没有生成");
        return false;
    }
    *error = writeFileAtomically(path, drafted.readAll());
    return error->isEmpty();
}

void ResultsView::exportSlipsPdf() {
    if (slipLines().empty()) {
        services_.showMessage(this, QStringLiteral("提示"), kNoSlipsText);
        return;
    }
    if (const QString bad = slipIssueMessage(); !bad.isEmpty()) {
        services_.showMessage(this, QStringLiteral("错误提示"), QStringLiteral("投注单的期号不对，请改正后再打印或导出：%1").arg(bad));
        return;
    }
    QString path = services_.chooseSavePath(this, QStringLiteral("导出投注单"), QStringLiteral("投注单.pdf"),
                                            QStringLiteral("PDF 文件 (*.pdf);;所有文件 (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    QString error;
    if (!writeSlipsPdf(path, &error))
        services_.showMessage(this, QStringLiteral("错误提示"),
                              QStringLiteral("投注单没有导出到“%1”：%2。投注单仍在这里，可以换个位置再导出。").arg(path, error));
}

void ResultsView::printSlips() {
    if (slipLines().empty()) {
        services_.showMessage(this, QStringLiteral("提示"), kNoSlipsText);
        return;
    }
    if (const QString bad = slipIssueMessage(); !bad.isEmpty()) {
        services_.showMessage(this, QStringLiteral("错误提示"), QStringLiteral("投注单的期号不对，请改正后再打印或导出：%1").arg(bad));
        return;
    }
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        if (services_.askYesNo(this, QStringLiteral("打印投注单"),
                               QStringLiteral("没有找到可用的打印机。要把投注单导出为 PDF 文件吗？")))
            exportSlipsPdf();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印投注单"));
    if (dialog.exec() == QDialog::Accepted && !renderSlips(printer))
        services_.showMessage(this, QStringLiteral("错误提示"),
                              QStringLiteral("投注单没有打印出来：打印机无法使用。可以改为导出 PDF。"));
}

void ResultsView::previewSlips() {
    if (slipLines().empty()) {
        services_.showMessage(this, QStringLiteral("提示"), kNoSlipsText);
        return;
    }
    if (const QString bad = slipIssueMessage(); !bad.isEmpty()) {
        services_.showMessage(this, QStringLiteral("错误提示"), QStringLiteral("投注单的期号不对，请改正后再打印或导出：%1").arg(bad));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("F_jg_tzd_yulan"));
    dialog.setWindowTitle(QStringLiteral("投注单打印预览"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { renderSlips(*p); });
    dialog.resize(700, 800);
    fitToScreen(&dialog);  // a 768-high screen has no room for 800
    dialog.exec();
}

}  // namespace tarnel
