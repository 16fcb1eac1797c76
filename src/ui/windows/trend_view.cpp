#include "ui/windows/trend_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/document/conditions_document.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/controls.h"

namespace tarnel {
namespace {

// 28 sums side by side, or 27 road patterns one above another: captions in
// a smaller font, always whole.
BarChart* trendChart(const QString& name, QWidget* parent) {
    auto* chart = new BarChart(parent);
    chart->setObjectName(name);
    chart->setCaptionScale(0.8);
    chart->setSlotWidth(0.8);
    chart->setMinimumSize(300, 160);
    return chart;
}

}  // namespace

TrendView::TrendView(ConditionsDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    setObjectName(QStringLiteral("Frame_zoushi"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("统计项目"), this));
    items_ = new QComboBox(this);
    items_->setObjectName(QStringLiteral("Combo_zoushi"));
    for (TrendItem item : kTrendItems) items_->addItem(fromStd(trendItemName(item)));
    items_->setMaxVisibleItems(kTrendItemCount);
    top->addWidget(items_);
    note_ = new QLabel(QStringLiteral("双击一个值，在主窗口勾选对应的排除条件，并添加动态条件“杀 遗漏 ≥ N 期的 …”"
                                      "（N 为这个值的当前遗漏）。"),
                       this);
    note_->setObjectName(QStringLiteral("L_zoushi_tishi"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(note_, 1);
    layout->addLayout(top);

    auto* split = new QSplitter(Qt::Horizontal, this);
    grid_ = new QTableWidget(0, 5, split);
    grid_->setObjectName(QStringLiteral("Grid_zoushi"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("值"), QStringLiteral("出现次数"), QStringLiteral("出现比例"),
                                      QStringLiteral("当前遗漏"), QStringLiteral("最大遗漏")});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setToolTip(omissionHint());
    for (int c : {3, 4}) grid_->horizontalHeaderItem(c)->setToolTip(omissionHint());
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { doubleClicked(row); });

    // Counts and omissions on scales of their own: omissions of a long
    // history run to hundreds while counts stay a few dozen.
    charts_ = new QSplitter(Qt::Vertical, split);
    countChart_ = trendChart(QStringLiteral("Chart_zoushi"), charts_);
    omissionChart_ = trendChart(QStringLiteral("Chart_zoushi_yilou"), charts_);
    omissionChart_->setLegendShown(true);
    charts_->addWidget(countChart_);
    charts_->addWidget(omissionChart_);
    // A double-click on a bar is one on its value.
    for (BarChart* chart : {countChart_, omissionChart_})
        connect(chart, &BarChart::barDoubleClicked, this, [this](int, int value) { doubleClicked(value); });
    split->addWidget(grid_);
    split->addWidget(charts_);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({420, 700});  // the charts get room for 28 values side by side
    layout->addWidget(split, 1);

    connect(items_, &QComboBox::currentIndexChanged, this, &TrendView::itemChosen);
}

QString TrendView::omissionHint() {
    return QStringLiteral("开奖号码按时间先后计算：通常最后一行是最新一期；每行都有期号且期号从上到下"
                          "由大到小时（最新一期在最前），第一行是最新一期。\n"
                          "当前遗漏：最新一期往前数，这个值已经连续多少期没有开出（从未开出时为总期数）。\n"
                          "最大遗漏：历史上连续没有开出的最多期数，包括当前遗漏。\n"
                          "数字：号码的任一位是这个数字，这一期就算它出现一次（112 中的 1 也只算一次）。");
}

void TrendView::showItem(TrendItem item) {
    items_->setCurrentIndex(int(std::find(kTrendItems.begin(), kTrendItems.end(), item) - kTrendItems.begin()));
}

TrendItem TrendView::shownItem() const { return kTrendItems[std::size_t(std::max(0, items_->currentIndex()))]; }

QString TrendView::noteText() const { return note_->text(); }

void TrendView::showTable(TrendTable table) {
    table_ = std::move(table);
    const TrendItem item = table_.item;
    const int values = int(table_.values.size());
    grid_->setRowCount(values);
    for (int v = 0; v < values; ++v) {
        const TrendValue& t = table_.values[std::size_t(v)];
        const QStringList cells = {fromStd(trendItemValueCaption(item, v)), QString::number(t.hits),
                                   percentText(t.hits, table_.draws), QString::number(t.currentOmission),
                                   QString::number(t.longestOmission)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            cell->setTextAlignment(Qt::AlignCenter);
            grid_->setItem(v, c, cell);
        }
    }
    showCharts();
}

void TrendView::showCharts() {
    const TrendItem item = table_.item;
    // Three-digit captions (012 road) are too wide side by side: their bars
    // run across, the first on top, and the two charts stand side by side.
    const bool across = item == TrendItem(TrendMeasure::Road);
    charts_->setOrientation(across ? Qt::Horizontal : Qt::Vertical);
    QStringList captions;
    BarChart::Group hits{QStringLiteral("出现次数"), {}};
    BarChart::Group current{QStringLiteral("当前遗漏"), {}};
    BarChart::Group longest{QStringLiteral("最大遗漏"), {}};
    int topHits = 1, topOmission = 1;
    for (int v = 0; v < int(table_.values.size()); ++v) {
        const TrendValue& t = table_.values[std::size_t(v)];
        captions << fromStd(trendItemValueCaption(item, v));
        hits.values << t.hits;
        current.values << t.currentOmission;
        longest.values << t.longestOmission;
        topHits = std::max(topHits, t.hits);
        topOmission = std::max({topOmission, t.currentOmission, t.longestOmission});
    }
    const QString name = fromStd(trendItemName(item));
    countChart_->setTitle(QStringLiteral("%1 出现次数：%2 期").arg(name).arg(table_.draws));
    omissionChart_->setTitle(QStringLiteral("%1 遗漏：%2 期").arg(name).arg(table_.draws));
    for (BarChart* chart : {countChart_, omissionChart_})
        chart->setDirection(across ? BarChart::Direction::Across : BarChart::Direction::Up);
    countChart_->setBars(captions, {hits}, topHits);
    omissionChart_->setBars(captions, {current, longest}, topOmission);
}

void TrendView::doubleClicked(int value) {
    // A double-click ticks the value's kill box, as it always has, and adds
    // beside it the rule that keeps following the value's omission.
    pickValue(value);
    const QString ticked = note_->text();
    addRuleFor(value);
    note_->setText(ticked + note_->text());
}

void TrendView::pickValue(int value) {
    const TrendItem item = shownItem();
    if (value < 0 || value >= trendItemValueCount(item)) return;
    const QString caption = fromStd(trendItemValueCaption(item, value));
    MainConditions s = document_.conditions();
    const std::optional<TrendBox> box = tickTrendBox(s, item, value);
    if (!box) {
        note_->setText(QStringLiteral("%1 %2 没有一一对应的排除框，主窗口没有改变。")
                           .arg(fromStd(trendItemName(item)), caption));
        return;
    }
    document_.applyConditions(s);
    note_->setText(QStringLiteral("已在主窗口勾选“%1”。").arg(fromStd(box->caption)));
}

void TrendView::addRuleFor(int value) {
    const TrendItem item = shownItem();
    if (value < 0 || value >= trendItemValueCount(item) || value >= int(table_.values.size())) return;
    const QString name = fromStd(trendItemName(item));
    const QString caption = fromStd(trendItemValueCaption(item, value));
    const std::optional<PastDrawRule> rule = trendKillRule(table_, value);
    if (!rule) {
        if (!trendRuleMeasure(item))
            note_->setText(QStringLiteral("%1不是动态条件的统计项目，没有添加动态条件。").arg(name));
        else if (table_.draws == 0)
            note_->setText(QStringLiteral("还没有开奖历史，没有添加动态条件。"));
        else
            note_->setText(QStringLiteral("%1 %2 最新一期刚开出（遗漏 0 期）：“杀 遗漏 ≥ 0 期”会排除全部号码，"
                                          "没有添加动态条件。")
                               .arg(name, caption));
        return;
    }
    document_.addRule(*rule);
    note_->setText(QStringLiteral("已添加动态条件“%1”：排除最近 %2 期里遗漏 %3 期及以上的%4（含 %5），"
                                  "每期按最新的开奖历史重新计算。")
                       .arg(fromStd(ruleSentence(*rule)))
                       .arg(rule->draws)
                       .arg(rule->min)
                       .arg(name, caption));
}

}  // namespace tarnel
