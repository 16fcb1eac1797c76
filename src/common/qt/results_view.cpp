#include "common/qt/results_view.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/qt/controls.h"
#include "common/qt/ui_services.h"
#include "run/qt/price_settings.h"

namespace tarnel {

namespace {

const QString kSeparatorKey = QStringLiteral("results/separator");
const QString kPerLineKey = QStringLiteral("results/perLine");
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

}  // namespace

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
    grid_->setMinimumWidth(grid_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) * kGridColumns + 60);

    // Survivors by sum.
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setTitle(QStringLiteral("和值分布"));
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chartView_ = new QChartView(chart_, this);
    chartView_->setObjectName(QStringLiteral("Chart_jg_hezhi"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->setMinimumHeight(200);

    // Copy and export in a chosen layout.
    separator_ = new QComboBox(this);
    separator_->setObjectName(QStringLiteral("Combo_jg_fenge"));
    for (const char* c : kSeparatorCaptions) separator_->addItem(QString::fromUtf8(c));
    perLine_ = new QSpinBox(this);
    perLine_->setObjectName(QStringLiteral("Spin_jg_meihang"));
    perLine_->setRange(0, kMaxPerLine);
    perLine_->setSpecialValueText(QStringLiteral("不分行"));
    perLine_->setToolTip(QStringLiteral("每行放几个号码；0 表示全部放在一行"));
    {
        QSettings settings;
        separator_->setCurrentIndex(std::clamp(settings.value(kSeparatorKey, 0).toInt(), 0, 2));
        perLine_->setValue(std::clamp(settings.value(kPerLineKey, 0).toInt(), 0, kMaxPerLine));
    }
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
    right->addWidget(chartView_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 3);
    body->addLayout(right, 2);
    auto* v = new QVBoxLayout(this);
    v->addLayout(body, 1);
    v->addLayout(copyRow);
    v->addLayout(targetRow_);

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
    numbers_ = box_ ? resultNumbers(toStd(box_->text()), width_) : std::vector<int>{};
    summary_ = summarizeNumbers(numbers_, width_);
    showSummary();
    showGrid();
    showChart();
    const bool any = !numbers_.empty();
    for (QPushButton* b : targets_) b->setEnabled(any);
    copy_->setEnabled(any);
    export_->setEnabled(any);
}

int ResultsView::priceFen() const { return int(std::lround(price_->value() * 100.0)); }

void ResultsView::showSummary() {
    const ResultSummary& s = summary_;
    counts_->setText(QStringLiteral("直选 %1 注　　组选 %2 注").arg(s.direct).arg(s.groups));
    if (width_ == 2)
        forms_->setText(QStringLiteral("对子 %1　　非对子 %2").arg(s.allSame).arg(s.allDifferent));
    else
        forms_->setText(
            QStringLiteral("豹子 %1　　组三 %2　　组六 %3").arg(s.allSame).arg(s.twoSame).arg(s.allDifferent));
    const int fen = priceFen();
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
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    auto* set = new QBarSet(QStringLiteral("注数"));
    int most = 0;
    for (int count : summary_.bySum) {
        *set << count;
        most = std::max(most, count);
    }
    auto* series = new QBarSeries;
    series->setBarWidth(0.8);
    series->append(set);
    chart_->addSeries(series);
    // Bar i stands at i on a value axis, so the sums can be labelled every third one.
    auto* x = new QValueAxis;
    x->setRange(-0.5, double(summary_.bySum.size()) - 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(width_ == 3 ? 3 : 2);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setGridLineVisible(false);
    x->setTitleText(QStringLiteral("和值"));
    QFont small = x->labelsFont();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() - 1));
    x->setLabelsFont(small);
    auto* y = new QValueAxis;
    y->setRange(0, std::max(1, most));
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTickCount(std::min(6, std::max(2, most + 1)));
    y->setLabelsFont(small);
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

QString ResultsView::formattedText() const {
    return fromStd(formatNumbers(numbers_, width_, kSeparators[std::clamp(separator_->currentIndex(), 0, 2)],
                                 perLine_->value()));
}

void ResultsView::rememberChoices() const {
    QSettings settings;
    settings.setValue(kSeparatorKey, separator_->currentIndex());
    settings.setValue(kPerLineKey, perLine_->value());
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
    const QByteArray bytes = formattedText().toUtf8();
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly))
        error = file.errorString();
    else if (file.write(bytes) != bytes.size()) {
        error = file.errorString();
        file.cancelWriting();
    } else if (!file.commit())
        error = file.errorString();
    if (!error.isEmpty())
        services_.showMessage(this, QStringLiteral("错误提示"),
                              QStringLiteral("号码没有导出到“%1”：%2").arg(path, error));
}

}  // namespace tarnel
