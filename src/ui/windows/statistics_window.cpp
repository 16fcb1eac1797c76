#include "ui/windows/statistics_window.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/document/conditions_document.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/keyboard.h"

namespace tarnel {

namespace {

enum StatisticsColumn { kRowColumn, kNameColumn, kKillsColumn, kPoolKillsColumn, kStatisticsColumnCount };

const char* const kStatisticsHeaders[kStatisticsColumnCount] = {"序号", "条件", "单独排除", "大底内排除"};
const char* const kHeaderTips[kStatisticsColumnCount] = {
    "条件在缩水中的先后次序",
    "设置了内容的条件（复式输入、大底号码是大底的来源）",
    "这个条件单独使用时，从全部 1000 注中排除的注数",
    "大底（复式输入和大底号码都保留的号码）中被这个条件排除的注数；大底来源本身不计，显示为 —"};
const QString kNotApplicable = QStringLiteral("—");

// A cell that sorts by the number (or text) kept in its sort role.
class SortItem : public QTableWidgetItem {
public:
    SortItem(const QString& text, const QVariant& key) : QTableWidgetItem(text) { setData(Qt::UserRole, key); }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(Qt::UserRole), b = other.data(Qt::UserRole);
        if (a.typeId() == QMetaType::Int && b.typeId() == QMetaType::Int) return a.toInt() < b.toInt();
        return a.toString().localeAwareCompare(b.toString()) < 0;
    }
};

SortItem* numberItem(int value) {
    auto* item = new SortItem(value < 0 ? kNotApplicable : QString::number(value), value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

void StatisticsWindow::follow() {
    if (const std::optional<MainRun>& run = document_.lastRun()) {
        showStatistics(run->inputs, run->tolerance, true, run->extra);
    } else {
        const MainConditions& now = document_.conditions();
        showStatistics(shrinkInputs(now), now.tolerance, false, document_.ruleRows());
    }
}

StatisticsWindow::StatisticsWindow(ConditionsDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document) {
    connect(&document_, &ConditionsDocument::ran, this, [this] {
        if (isVisible()) follow();
    });
    // Until the first run the statistics follow the conditions as they change.
    // So do they when the rules take other values from a changed history.
    const auto followBeforeRun = [this] {
        if (!document_.lastRun() && isVisible()) follow();
    };
    connect(&document_, &ConditionsDocument::settled, this, followBeforeRun);
    connect(&document_, &ConditionsDocument::rulesChanged, this, followBeforeRun);

    setObjectName(QStringLiteral("F_tongji"));
    setWindowTitle(QStringLiteral("条件统计"));
    closeOnEscape(this);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("L_tongji_zongji"));
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);
    basis_ = new QLabel(this);
    basis_->setObjectName(QStringLiteral("L_tongji_yiju"));

    table_ = new QTableWidget(0, kStatisticsColumnCount, this);
    table_->setObjectName(QStringLiteral("Grid_tongji"));
    for (int c = 0; c < kStatisticsColumnCount; ++c) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(kStatisticsHeaders[c]));
        header->setToolTip(QString::fromUtf8(kHeaderTips[c]));
        table_->setHorizontalHeaderItem(c, header);
    }
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSortIndicator(kRowColumn, Qt::AscendingOrder);
    table_->setColumnWidth(kRowColumn, 44);
    table_->setColumnWidth(kKillsColumn, 72);
    table_->setColumnWidth(kPoolKillsColumn, 84);
    table_->setMinimumWidth(380);
    table_->setMaximumWidth(420);
    table_->setSortingEnabled(true);
    // A sort reorders the rows in place; the chart follows.
    connect(table_->model(), &QAbstractItemModel::layoutChanged, this, &StatisticsWindow::rebuildChart);

    // The chart grows with its bars and scrolls when they outgrow the window.
    chartScroll_ = new QScrollArea(this);
    chartScroll_->setWidgetResizable(true);
    chartScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chartScroll_->setFrameShape(QFrame::NoFrame);
    chart_ = new BarChart;
    chart_->setObjectName(QStringLiteral("Chart_tongji"));
    chart_->setDirection(BarChart::Direction::Across);
    chart_->setCountAxisOnTop(true);  // in sight while the bars scroll
    chart_->setValueLabels(true);
    chart_->setSlotWidth(0.6);
    chart_->setAxisTitles(QStringLiteral("条件"), QStringLiteral("排除注数"));
    chart_->setMinimumWidth(400);
    chartScroll_->setWidget(chart_);

    // The pool kills first: the whole-pool counts of a base list dwarf them.
    chartColumn_ = new QComboBox(this);
    chartColumn_->setObjectName(QStringLiteral("Combo_tongji_tubiao"));
    chartColumn_->addItem(QString::fromUtf8(kStatisticsHeaders[kPoolKillsColumn]), int(kPoolKillsColumn));
    chartColumn_->addItem(QString::fromUtf8(kStatisticsHeaders[kKillsColumn]), int(kKillsColumn));
    connect(chartColumn_, &QComboBox::currentIndexChanged, this, &StatisticsWindow::rebuildChart);
    auto* chartLabel = new QLabel(QStringLiteral("图表显示"), this);
    chartLabel->setBuddy(chartColumn_);
    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(chartLabel);
    chartRow->addWidget(chartColumn_);
    chartRow->addStretch(1);
    auto* chartColumn = new QVBoxLayout;
    chartColumn->addLayout(chartRow);
    chartColumn->addWidget(chartScroll_, 1);

    auto* body = new QHBoxLayout;
    body->addWidget(table_);
    body->addLayout(chartColumn, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(summary_);
    layout->addWidget(basis_);
    layout->addLayout(body, 1);

    fillTable();
    placeOverParent();
}

void StatisticsWindow::placeOverParent() {
    // Centred over the main window and whole on its screen, frame included.
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner ? owner->screen() : this->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    const QSize frame(8, 40);  // what a window manager's borders and title bar add, about
    const QSize size = sizeHint().boundedTo(room.size() - frame);
    resize(size);
    QPoint at = owner ? owner->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2) : room.topLeft();
    at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width() - frame.width())));
    at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height() - frame.height())));
    move(at);
}

QSize StatisticsWindow::sizeHint() const { return QSize(980, 600); }

void StatisticsWindow::showStatistics(const ShrinkInputs& in, int tolerance, bool fromRun,
                                      std::span<const ExtraRow> extra) {
    stats_ = conditionStatistics(in, computeRowKills(in, extra), tolerance);
    QString summary = QStringLiteral("大底内 %1 注，当前条件保留 %2 注（容错 %3），生效条件 %4 个")
                          .arg(stats_.poolSize)
                          .arg(stats_.kept)
                          .arg(stats_.tolerance)
                          .arg(stats_.conditionRows);
    summary_->setText(summary);
    basis_->setText(fromRun ? QStringLiteral("按上次缩水的条件统计，每次缩水后自动更新。点击表头可排序。")
                            : QStringLiteral("尚未缩水：按现在的条件统计，缩水后自动更新。点击表头可排序。"));
    fillTable();
}

void StatisticsWindow::fillTable() {
    // Sorting is off while the rows go in and sorts them by the player's column after.
    table_->setSortingEnabled(false);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(stats_.rows.size()));
    int line = 0;
    for (const RowStatistic& s : stats_.rows) {
        auto* rowItem = numberItem(s.row);
        rowItem->setTextAlignment(Qt::AlignCenter);
        table_->setItem(line, kRowColumn, rowItem);
        const QString name = fromStd(s.name);
        table_->setItem(line, kNameColumn, new SortItem(name, name));
        table_->setItem(line, kKillsColumn, numberItem(s.kills));
        table_->setItem(line, kPoolKillsColumn, numberItem(s.poolKills));
        ++line;
    }
    table_->setSortingEnabled(true);
    rebuildChart();
}

void StatisticsWindow::rebuildChart() {
    const int column = chartColumn_->currentData().toInt();
    BarChart::Group bars{chartColumn_->currentText(), {}};
    QStringList names;
    int most = 0;
    // Categories go top to bottom, in the table's order.
    for (int line = 0; line < table_->rowCount(); ++line) {
        const int value = table_->item(line, column)->data(Qt::UserRole).toInt();
        if (value < 0) continue;  // a pool source's pool kills
        names << table_->item(line, kNameColumn)->text();
        bars.values << value;
        most = std::max(most, value);
    }
    chart_->setTitle(table_->rowCount() == 0 ? QStringLiteral("没有设置任何条件")
                     : names.isEmpty()        ? QStringLiteral("除大底外没有设置条件")
                                              : QString());
    if (names.isEmpty()) {
        chart_->clearBars();
        chart_->setMinimumHeight(0);
        return;
    }
    // Names longer than a third of the chart go on two lines or more.
    chart_->setCaptionWidth(std::max(140, chart_->width() / 3));
    // Room beside the longest bar for its label.
    chart_->setBars(names, {bars}, std::max(10, most + most / 8 + 1));
    // Room for every name, its lines one above another. Many bars make the chart scroll.
    const int line = chart_->fontMetrics().height();
    int lines = 0;
    for (const QString& caption : chart_->shownCaptions()) lines += int(caption.count(QLatin1Char('\n'))) + 1;
    chart_->setMinimumHeight(lines * line + int(names.size()) * 12 + 110);
}

}  // namespace tarnel
