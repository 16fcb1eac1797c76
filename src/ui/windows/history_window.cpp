#include "ui/windows/history_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFont>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPen>
#include <QFutureWatcher>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>

#include "ui/panels/backtest_range_bar.h"
#include "ui/windows/draws_panel.h"
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

#include "ui/widgets/atomic_file.h"
#include "core/files/history_file.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/bar_chart.h"
#include "ui/widgets/money_chart.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/ui_services.h"
#include "ui/document/conditions_document.h"
#include "ui/document/window_files.h"
#include "core/analysis/walk_forward.h"
#include "ui/windows/search_tab.h"
#include "ui/windows/history_file_reading.h"
#include "ui/windows/trend_view.h"
#include "core/files/scheme.h"
#include "core/rules/pair_step_kills.h"
#include "core/state/past_draw_rules.h"

namespace tarnel {
namespace {

const QString kHistoryFilter = QStringLiteral("文本文件 (*.txt *.csv);;所有文件 (*)");
constexpr int kRereadPauseMs = 300;
// A reading that takes longer than this shows a busy bar.
constexpr int kBusyAfterMs = 150;
// Histories of at least this many draws are checked away from the window's
// thread after a run; shorter ones take a few milliseconds and are checked at once.
constexpr std::size_t kBackgroundDraws = 20000;
// Files from this size on are read under a busy cursor.
constexpr qint64 kBigFileBytes = qint64(1) << 20;
// A history takes at most kHistoryMaxBytes in UTF-8 from any source (a
// paste, a file, the remembered file), as tarnel-cli reads it.
QString historyLimitText() { return QStringLiteral("%1 MB").arg(kHistoryMaxBytes >> 20); }

QString storageBlockedReason() {
    return QStringLiteral("保存的开奖历史无法读取，也无法改名保留，为免覆盖，本次不自动保存。");
}

// The UTF-8 size of a text as the history file holds it (line breaks as LF).
std::size_t utf8Size(QStringView text) {
    std::size_t bytes = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || u == QChar::LineSeparator || u == QChar::ParagraphSeparator) bytes += 1;
        else if (u < 0x800 || c.isSurrogate()) bytes += 2;  // a pair takes four
        else bytes += 3;
    }
    return bytes;
}
// At most this many skipped lines are named in the status line.
constexpr int kSkippedNamed = 30;
// At most this many repeated or out-of-order issues are named.
constexpr int kQualityNamed = 10;

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

QString decimalShown(double value, int decimals) {
    if (!std::isfinite(value)) return QStringLiteral("-");
    return QString::number(value, 'f', decimals);
}

// A chance as a percentage: tiny ones are not shown as 0.
QString chanceShown(double chance) {
    if (!std::isfinite(chance)) return QStringLiteral("-");
    if (chance > 0 && chance < 0.0005) return QStringLiteral("不到 0.1%");
    if (chance < 1 && chance > 0.9995) return QStringLiteral("超过 99.9%");
    return QString::number(chance * 100, 'f', 1) + QLatin1Char('%');
}

// The one sentence a player reads at a glance: hits against random bets of
// the same sizes, money, and the runs without a hit.
QString moneySentence(const BacktestFigures& f) {
    const MoneyTotals& t = f.money.totals;
    if (t.draws == 0)
        return f.warmupDraws > 0 ? QStringLiteral("全部 %1 期都是预热期，没有可以计算盈亏的开奖号码。").arg(f.warmupDraws)
                                 : QStringLiteral("没有可以计算盈亏的开奖号码。");
    if (t.bets == 0)
        return QStringLiteral("这些条件没有留下任何号码：每期都不投注，没有花费也没有奖金，无从与随机投注比较。");
    QString text = QStringLiteral("共 %1 期%2，中 %3 期，随机投注同样注数平均中 %4 期（±%5）；")
                       .arg(t.draws)
                       .arg(f.warmupDraws > 0 ? QStringLiteral("（不含 %1 期预热期）").arg(f.warmupDraws) : QString())
                       .arg(t.hits)
                       .arg(decimalShown(t.expectedHits, 1), decimalShown(t.sdHits, 1));
    text += QStringLiteral("花费 %1元，奖金 %2元（随机投注平均 %3元），盈亏 %4元")
                .arg(yuanShown(t.cost), yuanShown(t.win), yuanShown(t.expectedWin), yuanShown(t.net));
    if (t.cost > 0)
        text += QStringLiteral("（返奖率 %1%）").arg(decimalShown(100 * t.win / t.cost, 1));
    text += QStringLiteral("；最长连续不中 %1 期，").arg(t.longestMiss);
    text += t.currentMiss == 0 ? QStringLiteral("最新一期中了。")
                               : QStringLiteral("目前已连续 %1 期不中。").arg(t.currentMiss);
    // Whether the conditions did better than chance on these draws.
    const double gap = double(t.hits) - t.expectedHits;
    if (t.sdHits > 0 && gap > 2 * t.sdHits)
        text += QStringLiteral("中奖期数比随机投注多出两个标准差以上。");
    else if (t.sdHits > 0 && gap < -2 * t.sdHits)
        text += QStringLiteral("中奖期数比随机投注少了两个标准差以上。");
    else
        text += QStringLiteral("中奖期数与随机投注相差在两个标准差以内，与碰运气无异。");
    return text;
}

// The kills chart's least height (rules ask for more).
constexpr int kKillsChartMinHeight = 120;
constexpr int kKillsChartRulesMaxHeight = 160;

}  // namespace

BacktestView::BacktestView(const QString& name, bool twoStar, QWidget* parent)
    : QWidget(parent), twoStar_(twoStar), model_(new BacktestModel(this)) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    buildSettings(layout);
    range_ = new BacktestRangeBar(name, this);
    range_->setExport(model_, [this] { return QStringList{header_->text(), summary_->text(), money_->text()}; });
    layout->addWidget(range_);
    auto labelled = [&](const QString& suffix) {
        auto* label = new QLabel(this);
        label->setObjectName(name + suffix);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
        return label;
    };
    pending_ = labelled(QStringLiteral("_dengdai"));
    pending_->setStyleSheet(QStringLiteral("color: #b05000;"));
    pending_->hide();
    header_ = labelled(QStringLiteral("_zuijin"));
    {
        QFont bold = header_->font();
        bold.setBold(true);
        header_->setFont(bold);
    }
    summary_ = labelled(QStringLiteral("_zongjie"));
    money_ = labelled(QStringLiteral("_yingkui"));

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
    const int captionWidth = table_->fontMetrics().horizontalAdvance(QStringLiteral("累计盈亏"));
    table_->setColumnWidth(BacktestModel::Line, digitWidth * 5 + 12);
    table_->setColumnWidth(BacktestModel::Issue, digitWidth * 9 + 12);
    table_->setColumnWidth(BacktestModel::Number,
                           twoStar ? table_->fontMetrics().horizontalAdvance(QStringLiteral("开奖号码 → 后两位")) + 16
                                   : digitWidth * 6 + 12);
    table_->setColumnWidth(BacktestModel::Result, captionWidth * 2 / 3 + 12);
    for (int c : {BacktestModel::Bets, BacktestModel::Cost, BacktestModel::Win, BacktestModel::Net})
        table_->setColumnWidth(c, std::max(digitWidth * 7, captionWidth / 2) + 12);
    table_->setColumnWidth(BacktestModel::Cumulative, std::max(digitWidth * 9, captionWidth) + 12);

    // Right of the table: profit and loss over time, kills by condition, droughts.
    auto* right = new QSplitter(Qt::Vertical, split);
    moneyChart_ = new MoneyChart(right);
    moneyChart_->setObjectName(name + QStringLiteral("_leiji"));
    // Small enough minimums that the window fits a 1366 x 690 or 1024 x 768
    // screen; the splitter gives a larger window's height to the charts.
    moneyChart_->setMinimumSize(300, 115);
    chart_ = new BarChart(right);
    chart_->setDirection(BarChart::Direction::Across);
    chart_->setValueLabels(true);
    chart_->setSlotWidth(0.6);
    chart_->setTitle(twoStar ? QStringLiteral("二星条件排除的开奖号码") : QStringLiteral("各条件排除的开奖号码期数"));
    chart_->setObjectName(name + QStringLiteral("_tu"));
    chart_->setMinimumSize(300, kKillsChartMinHeight);
    drought_ = new QTableWidget(0, 2, right);
    drought_->setObjectName(name + QStringLiteral("_duanqi"));
    drought_->setHorizontalHeaderLabels({QStringLiteral("按下一期的注数"), QStringLiteral("机会")});
    drought_->verticalHeader()->hide();
    drought_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    drought_->setSelectionMode(QAbstractItemView::NoSelection);
    drought_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    drought_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    drought_->verticalHeader()->setDefaultSectionSize(drought_->fontMetrics().height() + 4);
    // Room for its six rows and the header without a scroll bar.
    drought_->setMinimumHeight((drought_->fontMetrics().height() + 4) * 7 + 8);
    right->addWidget(moneyChart_);
    right->addWidget(chart_);
    right->addWidget(drought_);
    right->setStretchFactor(0, 5);
    right->setStretchFactor(1, 2);
    right->setStretchFactor(2, 0);
    right->setSizes({400, 160, 170});  // the profit chart first takes what the others leave
    split->addWidget(table_);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    showSettings();
    connect(&PriceSettings::notifier(), &PriceSettings::changed, this, &BacktestView::showSettings);
}

void BacktestView::buildSettings(QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    const QString base = objectName();
    auto field = [&](MoneyField which, const QString& suffix, const QString& tip) {
        auto* label = new QLabel(PriceSettings::fieldName(which), this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(base + suffix);
        edit->setMaxLength(16);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.00")) + 12);
        edit->setToolTip(tip);
        label->setBuddy(edit);
        row->addWidget(label);
        row->addWidget(edit);
        row->addWidget(new QLabel(QStringLiteral("元"), this));
        row->addSpacing(6);
        connect(edit, &QLineEdit::editingFinished, this, [this, which, edit] { takeField(which, edit); });
        return edit;
    };
    price_ = field(MoneyField::Price, QStringLiteral("_danjia"), QStringLiteral("每注的价格；查看结果的金额也用这个单价"));
    if (twoStar_) {
        twoStarPrize_ = field(MoneyField::TwoStar, QStringLiteral("_erxing"), QStringLiteral("二星每注中奖的奖金"));
    } else {
        direct_ = field(MoneyField::Direct, QStringLiteral("_zhixuan"), QStringLiteral("直选每注中奖的奖金"));
        group3_ = field(MoneyField::Group3, QStringLiteral("_zusan"), QStringLiteral("组选三（开奖号码有两位相同）每注的奖金"));
        group6_ = field(MoneyField::Group6, QStringLiteral("_zuliu"), QStringLiteral("组选六（开奖号码三位都不同）每注的奖金"));
        betKind_ = new QComboBox(this);
        betKind_->setObjectName(base + QStringLiteral("_touzhu"));
        betKind_->addItems({QStringLiteral("直选"), QStringLiteral("组选")});
        betKind_->setToolTip(QStringLiteral("直选：每个号码买一注直选。组选：每个组选形态买一注，豹子按直选买。"));
        auto* label = new QLabel(QStringLiteral("投注方式"), this);
        label->setBuddy(betKind_);
        row->addWidget(label);
        row->addWidget(betKind_);
        connect(betKind_, &QComboBox::currentIndexChanged, this, [this](int index) {
            MoneyPrices p = PriceSettings::prices();
            p.groupBets = index == 1;
            PriceSettings::setPrices(p);
        });
    }
    settingsMessage_ = new QLabel(this);
    settingsMessage_->setObjectName(base + QStringLiteral("_tishi"));
    settingsMessage_->setStyleSheet(QStringLiteral("color: red;"));
    settingsMessage_->setWordWrap(true);
    row->addWidget(settingsMessage_, 1);
    layout->addLayout(row);
}

// The fields show what is remembered (another tab, or the results view, may have changed it).
void BacktestView::showSettings() {
    const MoneyPrices p = PriceSettings::prices();
    auto show = [](QLineEdit* edit, double value) {
        if (edit) edit->setText(PriceSettings::amountText(value));
    };
    show(price_, p.price);
    show(direct_, p.direct);
    show(group3_, p.group3);
    show(group6_, p.group6);
    show(twoStarPrize_, p.twoStar);
    if (betKind_) {
        const QSignalBlocker block(betKind_);
        betKind_->setCurrentIndex(p.groupBets ? 1 : 0);
    }
}

void BacktestView::takeField(MoneyField field, QLineEdit* edit) {
    QString error;
    const std::optional<double> value = PriceSettings::parse(field, edit->text(), &error);
    MoneyPrices p = PriceSettings::prices();
    double& slot = field == MoneyField::Price    ? p.price
                   : field == MoneyField::Direct ? p.direct
                   : field == MoneyField::Group3 ? p.group3
                   : field == MoneyField::Group6 ? p.group6
                                                 : p.twoStar;
    if (!value) {
        settingsMessage_->setText(error + QStringLiteral("仍用 %1 元。").arg(PriceSettings::amountText(slot)));
        edit->setText(PriceSettings::amountText(slot));
        return;
    }
    settingsMessage_->clear();
    slot = *value;
    edit->setText(PriceSettings::amountText(slot));
    PriceSettings::setPrices(p);
}

QString BacktestView::summaryText() const { return summary_->text(); }
QString BacktestView::headerText() const { return header_->text(); }
QString BacktestView::moneyText() const { return money_->text(); }
QString BacktestView::pendingText() const { return pending_->isHidden() ? QString() : pending_->text(); }
QString BacktestView::settingsMessage() const { return settingsMessage_->text(); }

void BacktestView::showPending(bool pending) {
    pending_->setText(QStringLiteral("条件或奖金设置已改变，正在按现在的条件重新验证，下面仍是上一次的结果…"));
    pending_->setVisible(pending);
}

void BacktestView::showRangeRefused(const QString& reason) {
    showNothing(QStringLiteral("没有验证：") + reason);
    range_->showNote(reason, true);
}

void BacktestView::showNothing(const QString& reason) {
    pending_->hide();
    range_->showNote(QString(), false);
    model_->setFigures(nullptr, twoStar_);
    header_->clear();
    header_->hide();
    summary_->setText(reason);
    fillChart(BacktestFigures{});
    clearMoney(QString());
}

void BacktestView::clearMoney(const QString& reason) {
    money_->setText(reason);
    money_->setVisible(!reason.isEmpty());
    moneyChart_->clearPoints();
    moneyChart_->setTitle(QStringLiteral("累计盈亏"));
    drought_->setRowCount(0);
}

void BacktestView::showFigures(std::shared_ptr<const BacktestFigures> figures) {
    pending_->hide();
    const BacktestFigures& f = *figures;
    const Backtest& b = f.backtest;
    // With 组选 bets a draw counts by whether a bet hit it, which need not be
    // whether the conditions kept its number: every sentence speaks of hits.
    const bool group = f.groupBets && !twoStar_ && f.money.draws.size() == b.draws.size();
    const auto success = [&](std::size_t i) { return group ? f.money.draws[i].hit : b.draws[i].survives; };
    const QString kept = group ? QStringLiteral("中") : QStringLiteral("保留");
    const QString missed = group ? QStringLiteral("未中") : QStringLiteral("排除");
    // The scored draws: with rules that walk forward, the warm-up draws count nowhere.
    const int total = int(b.draws.size()) - f.warmupDraws;
    // The newest draw kept and the newest missed, in time order.
    long long keptAgo = -1, missAgo = -1;
    std::size_t keptAt = 0, missAt = 0;
    for (std::size_t k = f.timeOrder.size(); k-- > 0;) {
        const std::size_t i = f.timeOrder[k];
        const long long ago = (long long)(f.timeOrder.size() - 1 - k);
        if (success(i) && keptAgo < 0) {
            keptAgo = ago;
            keptAt = i;
        }
        if (!success(i) && missAgo < 0) {
            missAgo = ago;
            missAt = i;
        }
        if (keptAgo >= 0 && missAgo >= 0) break;
    }
    if (total == 0 && f.warmupDraws > 0) {
        header_->setText(QStringLiteral("最近一次%1：没有，全部 %2 期都是预热期").arg(kept).arg(f.warmupDraws));
    } else if (keptAgo < 0) {
        header_->setText(group ? QStringLiteral("最近一次中：没有，全部 %1 期都未中").arg(total)
                               : QStringLiteral("最近一次保留：没有，这些条件排除了全部 %1 期开奖号码").arg(total));
    } else {
        const DrawCheck& d = b.draws[keptAt];
        const QString where = d.draw.issue.empty() ? QStringLiteral("第 %1 行").arg(d.draw.line)
                                                   : QStringLiteral("%1 期").arg(fromStd(d.draw.issue));
        header_->setText(QStringLiteral("最近一次%1：%2 %3，%4")
                             .arg(kept, where, fromStd(d.number),
                                  keptAgo == 0 ? QStringLiteral("就是最新一期") : QStringLiteral("%1 期前").arg(keptAgo)));
    }
    header_->show();

    // The runs without success, in time order over the scored draws.
    int keptCount = b.kept, longestRun = b.longestMissRun;
    if (group) {
        keptCount = int(f.money.totals.hits);
        longestRun = int(f.money.totals.longestMiss);
    }
    QString text;
    if (f.warmupDraws > 0) {
        // Walking forward: the draws before the rules could look back far enough.
        text = QStringLiteral("共 %1 期，其中 %2 期为预热期，不计入统计（动态条件回看的开奖期数还不够）；")
                   .arg(b.draws.size())
                   .arg(f.warmupDraws);
        text += total == 0 ? QStringLiteral("没有可以验证的开奖号码。") : QStringLiteral("其余 %1 期").arg(total);
    } else {
        text = QStringLiteral("共 %1 期").arg(total);
    }
    if (total > 0 || f.warmupDraws == 0) {
        text += QStringLiteral("，%1 %2 期（%3），%4 %5 期；最长连续%4 %6 期；")
                    .arg(kept)
                    .arg(keptCount)
                    .arg(percentText(keptCount, total))
                    .arg(missed)
                    .arg(total - keptCount)
                    .arg(longestRun);
        if (missAgo < 0) {
            text += group ? QStringLiteral("每期都中了。") : QStringLiteral("没有排除过开奖号码。");
        } else {
            const Draw& d = b.draws[missAt].draw;
            text += QStringLiteral("最近一次%1：第 %2 行%3 开奖号码 %4（其后已开 %5 期）。")
                        .arg(missed)
                        .arg(d.line)
                        .arg(d.issue.empty() ? QString() : QStringLiteral(" 第 %1 期").arg(fromStd(d.issue)))
                        .arg(fromStd(d.number))
                        .arg(missAgo);
        }
    }
    summary_->setText(text);
    fillChart(f);
    fillMoneyChart(f);
    fillDrought(f);
    money_->setText(moneySentence(f));
    money_->show();
    range_->showNote(f.rangeNote, false);
    model_->setFigures(std::move(figures), twoStar_);
}

void BacktestView::fillChart(const BacktestFigures& f) {
    const Backtest& b = f.backtest;
    // Conditions that ruled out at least one winning number, in the order of the run.
    QStringList names;
    BarChart::Group kills{QStringLiteral("排除期数"), {}};
    const std::vector<int>& byRow = twoStar_ ? f.killsByStep : b.killsByRow;
    for (std::size_t row = 0; row < byRow.size(); ++row) {
        if (byRow[row] == 0) continue;
        names << (twoStar_ ? fromStd(pairStepName(int(row))) : mainRowName(int(row), f.ruleNames));
        kills.values << byRow[row];
    }
    // A rule reads as a sentence: whole, in a smaller font, broken into lines rather than cut to "…".
    chart_->setCaptionScale(f.ruleNames.empty() ? 1.0 : 0.85);
    chart_->setCaptionWidth(f.ruleNames.empty() ? 0 : std::max(120, chart_->width() * 2 / 5));
    // Rule sentences are long: with rules the chart asks for room to show every one.
    chart_->setMinimumHeight(f.ruleNames.empty() ? kKillsChartMinHeight
                                                 : std::min(kKillsChartRulesMaxHeight, std::max(kKillsChartMinHeight, 64 + 22 * int(names.size()))));
    if (names.isEmpty()) {
        chart_->clearBars();
        chart_->setTitle(b.draws.empty() ? QStringLiteral("没有可验证的开奖号码")
                                         : QStringLiteral("没有条件排除过开奖号码"));
        return;
    }
    chart_->setTitle(twoStar_ ? QStringLiteral("各二星条件排除的开奖号码期数")
                              : QStringLiteral("各条件排除的开奖号码期数"));
    // Room beyond the longest bar for its label, ticks on whole counts; the
    // first row of the run on top.
    const int longest = int(*std::max_element(kills.values.begin(), kills.values.end()));
    chart_->setBars(names, {kills}, longest + longest / 10 + 1);
}

void BacktestView::fillMoneyChart(const BacktestFigures& f) {
    const std::size_t n = f.timeOrder.size();
    if (n == 0 || f.money.totals.bets == 0 || f.money.draws.size() != f.backtest.draws.size()) {
        moneyChart_->clearPoints();
        moneyChart_->setTitle(QStringLiteral("累计盈亏：没有投注"));
        return;
    }
    moneyChart_->setTitle(QStringLiteral("累计盈亏（按时间先后，共 %1 期）").arg(n));
    MoneyChart::Points points;
    // A long history is drawn from at most about 1500 points.
    const std::size_t step = std::max<std::size_t>(1, (n + 1499) / 1500);
    double net = 0, expected = 0, variance = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const DrawMoney& d = f.money.draws[f.timeOrder[k]];
        net += d.win - d.cost;
        expected += d.expectedWin - d.cost;
        variance += d.winVariance;
        if (k % step != 0 && k + 1 != n) continue;
        const double band = 2 * std::sqrt(std::max(0.0, variance));
        if (!std::isfinite(net) || !std::isfinite(expected) || !std::isfinite(band)) continue;
        points.draw << double(k + 1);
        points.actual << net;
        points.mean << expected;
        points.upper << expected + band;
        points.lower << expected - band;
    }
    moneyChart_->setPoints(points, int(n));
}

void BacktestView::fillDrought(const BacktestFigures& f) {
    drought_->setRowCount(0);
    if (f.timeOrder.empty() || f.money.draws.size() != f.backtest.draws.size()) return;
    // The bets about to be made: walking forward, those of the run for the
    // draw after the newest; otherwise every draw's, the newest's included.
    DrawMoney last = f.money.draws[f.timeOrder.back()];
    if (f.nextBets >= 0) {
        last.bets = f.nextBets;
        last.cost = f.nextBets * f.prices.price;
        last.p = f.nextChance;
    }
    auto add = [this](const QString& what, const QString& value) {
        const int r = drought_->rowCount();
        drought_->insertRow(r);
        drought_->setItem(r, 0, new QTableWidgetItem(what));
        auto* item = new QTableWidgetItem(value);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        drought_->setItem(r, 1, item);
    };
    if (last.bets == 0 || last.p <= 0) {
        add(QStringLiteral("下一期没有投注，不会中奖"), QStringLiteral("-"));
        return;
    }
    add(QStringLiteral("每期 %1 注、花费 %2元，一期中奖的机会").arg(last.bets).arg(yuanShown(last.cost)),
        chanceShown(last.p));
    for (long long n : {10LL, 20LL, 50LL, 100LL})
        add(QStringLiteral("连续 %1 期都不中").arg(n), chanceShown(noHitChance(last.p, n)));
    if (const std::optional<long long> m = drawsForLikelyHit(last.p)) {
        add(QStringLiteral("95% 的把握在 %1 期内中一次").arg(*m),
            QStringLiteral("花费 %1元").arg(yuanShown(double(*m) * last.cost)));
    }
}

// Figures at the player's prices, before any draw is counted.
static std::shared_ptr<BacktestFigures> newFigures(const HistoryJob& job, bool newestFirst) {
    auto f = std::make_shared<BacktestFigures>();
    f->prices = MoneySettings{job.prices.price, job.prices.direct, job.prices.group3, job.prices.group6,
                              job.prices.twoStar};
    f->groupBets = job.prices.groupBets;
    f->newestFirst = newestFirst;
    return f;
}

static std::shared_ptr<BacktestFigures> figuresOf(Backtest backtest, const Bets& bets, const History& history,
                                                 const HistoryJob& job, const std::vector<std::size_t>& order,
                                                 bool newestFirst) {
    auto f = newFigures(job, newestFirst);
    f->backtest = std::move(backtest);
    f->timeOrder = order;
    f->money = backtestMoney(history, bets, f->prices);
    f->cumulative.assign(f->money.draws.size(), 0);
    double net = 0;
    for (std::size_t i : order) {
        if (i >= f->money.draws.size()) continue;
        net += f->money.draws[i].win - f->money.draws[i].cost;
        f->cumulative[i] = net;
    }
    return f;
}

// The main window's conditions with their rules, walking forward: each draw
// is bet on with the rules looking back from it in time order; the warm-up
// draws are listed and left out of every figure.
static std::shared_ptr<BacktestFigures> walkForwardFigures(const MainConditions& conditions, const History& history,
                                                          const HistoryJob& job, const std::vector<std::size_t>& order,
                                                          bool newestFirst) {
    auto f = newFigures(job, newestFirst);
    f->walksForward = true;
    WalkedBacktest walk =
        walkBacktest(conditions, history, job.prices.groupBets ? BetKind::Group : BetKind::Direct, f->prices);
    for (const ExtraRow& row : ruleRows(conditions, {})) f->ruleNames.push_back(row.name);
    f->rules = conditions.rules;
    f->fixedKills = std::make_shared<const RowKills>(computeRowKills(shrinkInputs(conditions)));
    f->warmupDraws = walk.warmup;
    f->nextBets = walk.nextBets;
    f->nextChance = walk.nextChance;

    const std::size_t n = history.draws.size();
    Backtest& b = f->backtest;
    b.skipped = history.skipped;
    b.kept = walk.kept;
    b.killsByRow = std::move(walk.killsByRow);
    b.draws.reserve(n);
    f->warmup.assign(n, 0);
    f->money.draws.resize(n);
    f->money.totals = walk.money;
    // A draw's rows are worked out when its row is shown (BacktestModel::killedBy).
    for (std::size_t i = 0; i < n; ++i) {
        const WalkedDraw& w = walk.draws[i];
        const Draw& draw = history.draws[i];
        b.draws.push_back(DrawCheck{draw, draw.number, w.survives, {}});
        if (w.warmup) {
            f->warmup[i] = 1;
            continue;
        }
        f->money.draws[i] = w.money;
    }
    std::vector<WalkedDraw>().swap(walk.draws);
    f->timeNumbers = std::move(walk.numbers);
    f->timePlace.assign(n, 0);
    for (std::size_t t = 0; t < walk.timeOrder.size(); ++t) f->timePlace[walk.timeOrder[t]] = std::uint32_t(t);
    // The scored draws in time order: the runs without a keep and the
    // cumulative net leave the warm-up draws out.
    int run = 0;
    double net = 0;
    f->cumulative.assign(n, 0);
    for (std::size_t i : order) {
        if (f->warmup[i]) continue;
        f->timeOrder.push_back(i);
        run = b.draws[i].survives ? 0 : run + 1;
        b.longestMissRun = std::max(b.longestMissRun, run);
        net += f->money.draws[i].win - f->money.draws[i].cost;
        f->cumulative[i] = net;
    }
    for (std::size_t i = n; i-- > 0;) {
        if (!f->warmup[i] && !b.draws[i].survives) {
            b.lastMiss = int(i);
            break;
        }
    }
    return f;
}

// Draws in time order, oldest first.
static std::vector<Draw> drawsInTimeOrder(const History& history, const std::vector<std::size_t>& order) {
    std::vector<Draw> draws;
    draws.reserve(order.size());
    for (std::size_t i : order) draws.push_back(history.draws[i]);
    return draws;
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
    std::vector<std::size_t> order;
    if (job.read) {
        const QByteArray utf8 = job.text.toUtf8();
        if (std::size_t(utf8.size()) > kHistoryMaxBytes) {
            // Neither read nor saved: history.txt keeps the last history within the limit.
            reading.tooLargeBytes = std::size_t(utf8.size());
            reading.history = std::make_shared<const History>();
            reading.text = std::move(job.text);
            return reading;
        }
        History history = readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        history.convertedFromGb18030 = false;
        reading.quality = historyQuality(history);
        order = timeOrder(history);
        reading.trend = reading.quality.newestFirst ? trendTable(job.measure, drawsInTimeOrder(history, order))
                                                    : trendTable(job.measure, history.draws);
        job.history = std::make_shared<const History>(std::move(history));
        if (!job.keep) {
            // The box shows the kept draws: history.txt keeps the player's last text.
        } else if (job.text == job.savedText && !job.lastSaveFailed) {
            reading.saved = true;
        } else if (job.path.isEmpty()) {
            reading.saveError = storageBlockedReason();
        } else {
            QDir().mkpath(QFileInfo(job.path).absolutePath());
            reading.saveError = writeFileAtomically(job.path, utf8);
            reading.saved = reading.saveError.isEmpty();
        }
        reading.text = std::move(job.text);
    } else {
        order = timeOrder(*job.history);
    }
    const History& history = *job.history;
    // A failed allocation (a very long history with many rules) leaves the
    // tabs saying so; the reading itself stands.
    if (!history.draws.empty()) try {
        const bool newestFirst = historyIsNewestFirst(history);
        // A backtest limited to part of the history runs on the cut history
        // (the rules' warm-up draws and the range), in the same time order.
        const LimitedHistory mainPart =
            limitHistory(history, order, job.mainRange, job.walkForward ? rulesLookBack(job.walkForward->rules) : 0);
        const History& mainHistory = mainPart.cut ? *mainPart.cut : history;
        const std::vector<std::size_t>& mainOrder = mainPart.cut ? mainPart.order : order;
        std::shared_ptr<BacktestFigures> main;
        if (!mainPart.error.empty())
            reading.mainRangeError = fromStd(mainPart.error);
        else if (job.walkForward)
            main = walkForwardFigures(*job.walkForward, mainHistory, job, mainOrder, newestFirst);
        else
            main = figuresOf(backtestMain(job.mainInputs, job.tolerance, mainHistory),
                             mainBets(job.mainInputs, job.tolerance, job.prices.groupBets ? BetKind::Group : BetKind::Direct),
                             mainHistory, job, mainOrder, newestFirst);
        if (main) main->rangeNote = fromStd(mainPart.note);
        reading.main = std::move(main);
        const LimitedHistory twoStarPart = limitHistory(history, order, job.twoStarRange, 0);
        if (job.twoStar && !twoStarPart.error.empty()) reading.twoStarRangeError = fromStd(twoStarPart.error);
        if (job.twoStar && twoStarPart.error.empty()) {
            const History& pairHistory = twoStarPart.cut ? *twoStarPart.cut : history;
            const std::vector<std::size_t>& pairOrder = twoStarPart.cut ? twoStarPart.order : order;
            // Which of the two-star window's conditions rule out each draw.
            Backtest b = backtestTwoStar(*job.twoStar, pairHistory);
            const PairStepKills kills = computePairStepKills(*job.twoStar);
            std::vector<int> byStep(kTwoStarStepCount, 0);
            for (DrawCheck& check : b.draws) {
                if (check.survives) continue;
                check.killedBy = kills.killedBy(std::stoi(check.number));
                for (int step : check.killedBy) ++byStep[std::size_t(step)];
            }
            auto figures = figuresOf(std::move(b), twoStarBets(*job.twoStar), pairHistory, job, pairOrder, newestFirst);
            figures->killsByStep = std::move(byStep);
            figures->rangeNote = fromStd(twoStarPart.note);
            reading.twoStar = std::move(figures);
        }
    } catch (const std::bad_alloc&) {
        reading.main.reset();
        reading.twoStar.reset();
        reading.outOfMemory = true;
    }
    reading.history = std::move(job.history);
    return reading;
}

// ---- the window ----------------------------------------------------------------------

HistoryWindow::HistoryWindow(ConditionsDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window),
      document_(document),
      services_(document.services()),
      history_(document.history()) {
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
    trendView_ = new TrendView(document_, tabs_);
    tabs_->addTab(trendView_, QStringLiteral("走势统计"));
    tabs_->addTab(new SearchTab(document_, tabs_), QStringLiteral("条件寻优"));
    draws_ = new DrawsPanel(tabs_, false);
    tabs_->addTab(draws_, QStringLiteral("开奖库"));
    connect(trendView_, &TrendView::itemChosen, this, &HistoryWindow::refreshTrend);
    for (BacktestView* view : {mainView_, twoStarView_}) {
        view->rangeBar()->setServices(&services_);
        connect(view->rangeBar(), &BacktestRangeBar::rangeChanged, this, &HistoryWindow::checkLater);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    tabs_->setCornerWidget(buildLotteryChoice(), Qt::TopRightCorner);
    layout->addWidget(tabs_);

    // The two-star window may have opened or closed since the tab was last shown.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabs_->widget(index) == twoStarView_) checkLater();
    });
    connect(&document_, &ConditionsDocument::ran, this, &HistoryWindow::checkLater);
    // The backtests follow the conditions as they stand, as 预计注数 does,
    // once a burst of changes has settled; and a new price or prize.
    connect(&document_, &ConditionsDocument::settled, this, &HistoryWindow::checkLater);
    connect(&document_, &ConditionsDocument::twoStarChanged, backtestTimer_, qOverload<>(&QTimer::start));
    connect(&PriceSettings::notifier(), &PriceSettings::changed, this, &HistoryWindow::checkLater);
    // A backtest with rules walks forward: it follows the rule list, and what
    // the rules take from a history this window did not hand over itself.
    connect(&document_, &ConditionsDocument::rulesChanged, this, [this] {
        if (!takingHistory_) checkLater();
    });

    loadRemembered();
    if (boxShowsStore() || savedText_.isEmpty()) {
        showStoredDraws();
    } else {
        const QSignalBlocker block(text_);
        text_->setText(savedText_);
        rereadNow();
    }
    resize(1100, 660);
}

// The remembered history, read as a file the player opened (it is UTF-8).
// One that cannot be read (too large, no regular file, unreadable) is never
// overwritten: it is renamed aside first, and the player is told where it went.
void HistoryWindow::loadRemembered() {
    const QString path = storagePath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return;  // nothing remembered yet
    const FileBytes file = readWindowFile(path, kHistoryMaxBytes);
    if (file.bytes) {
        savedText_ = QString::fromUtf8(*file.bytes);
        return;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    const QString reason = fromStd(file.error);
    // QDir renames in place and never falls back to copying (a pipe would block the copy).
    if (QDir().rename(path, aside)) {
        storageNote_ = QStringLiteral("保存的开奖历史无法读取，已改名为“%1”保留。").arg(QFileInfo(aside).fileName());
        services_.showMessage(parentWidget(), kErrorTitle,
                              QStringLiteral("保存的开奖历史无法读取：%1\r\n它已改名为“%2”保留在原文件夹中，"
                                             "不会被覆盖；此后的开奖历史另存为新的“%3”。")
                                  .arg(reason, aside, info.fileName()));
    } else {
        storageBlocked_ = true;
        storageNote_ = storageBlockedReason();
        services_.showMessage(parentWidget(), kErrorTitle,
                              QStringLiteral("保存的开奖历史无法读取：%1\r\n它也无法改名保留，"
                                             "为免覆盖，本次不自动保存开奖历史。")
                                  .arg(reason));
    }
}

namespace {
// A remembered history up to this size is read as the program starts; a
// larger one away from the window's thread.
constexpr qint64 kStartReadAtOnceBytes = qint64(256) << 10;

// The draws of the remembered history as this window would read them from
// its box (the file taken as UTF-8); null when the file cannot be read or
// holds more than the box would read.
std::shared_ptr<const History> rememberedHistory(const QString& path) {
    const FileBytes file = readWindowFile(path, kHistoryMaxBytes);
    if (!file.bytes) return nullptr;
    const QByteArray utf8 = QString::fromUtf8(*file.bytes).toUtf8();
    if (std::size_t(utf8.size()) > kHistoryMaxBytes) return nullptr;
    History history = readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    history.convertedFromGb18030 = false;
    return std::make_shared<const History>(std::move(history));
}
}  // namespace

void HistoryWindow::readRememberedInto(ConditionsDocument& document) {
    const QString path = storagePath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return;  // nothing remembered yet
    // The draws go to the document unless it has others by then (this
    // window opened, read the file itself and the player went on).
    const std::shared_ptr<const History> before = document.history();
    auto hand = [&document, before](std::shared_ptr<const History> read) {
        if (read && !read->draws.empty() && document.history() == before) freeAway(document.setHistory(std::move(read)));
    };
    if (info.isFile() && info.size() < kStartReadAtOnceBytes) {
        hand(rememberedHistory(path));
        return;
    }
    auto* watcher = new QFutureWatcher<std::shared_ptr<const History>>(&document);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &document, [watcher, hand] {
        hand(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(rememberedHistory, path));
}

HistoryWindow::~HistoryWindow() {
    waitForReading();
    // The store is written whole; nothing more is asked.
    if (merging_) merger_->waitForFinished();
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
    return dataFolder() + QStringLiteral("/history.txt");
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
    text_->setInsertCheck([this](const QString& inserted) { return pasteFits(inserted); });
    layout->addWidget(text_, 1);

    quality_ = new QLabel(page);
    quality_->setObjectName(QStringLiteral("L_ls_qihao"));
    quality_->setWordWrap(true);
    quality_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    quality_->setStyleSheet(QStringLiteral("color: #b05000;"));
    quality_->hide();
    layout->addWidget(quality_);
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
    opening_ = new HistoryReadingBar(page);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(busy_);
    bottom->addWidget(opening_);
    layout->addLayout(bottom);
    return page;
}

QString HistoryWindow::trendOmissionHint() { return TrendView::omissionHint(); }

QString HistoryWindow::historyText() const { return text_->plainText(); }

void HistoryWindow::setHistoryText(const QString& text) { text_->setText(text); }

QString HistoryWindow::statusText() const { return status_->text(); }

void HistoryWindow::textEdited() {
    if (showsStore_) leaveStoredDraws();
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

bool HistoryWindow::readTurning() {
    rereadTimer_->stop();
    startJob(true);
    const QPointer<HistoryWindow> alive(this);
    QEventLoop loop;
    // After readingFinished, which may start the next job.
    connect(reader_, &QFutureWatcherBase::finished, &loop, [this, &loop] {
        if (!isReading()) loop.quit();
    });
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    while (alive) {
        if (isReading()) loop.exec();
        // A worker can be done before its watcher has said so: that word is
        // still on its way, and the reading is taken only with it.
        if (alive) QCoreApplication::sendPostedEvents(reader_, QEvent::FutureCallOut);
        if (!alive || !isReading()) break;
    }
    return bool(alive);
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
        job.path = storageBlocked_ ? QString() : storagePath();
        job.measure = shownTrend();
        job.keep = !showsStore_;
    } else {
        job.history = history_;
    }
    const MainConditions& state = document_.conditions();
    job.mainInputs = shrinkInputs(state);
    job.tolerance = state.tolerance;
    if (!state.rules.empty()) job.walkForward = state;
    if (std::optional<TwoStarConditions> twoStar = document_.twoStarConditions()) job.twoStar = *twoStar;
    job.prices = PriceSettings::prices();
    job.mainRange = mainView_->rangeBar()->range();
    job.twoStarRange = twoStarView_->rangeBar()->range();
    return job;
}

void HistoryWindow::startReading() {
    typed_ = true;  // the pause after typing is over
    startJob(true);
}

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
    if (!read) {
        // The tabs say in words that what they show is about to change.
        mainView_->showPending(true);
        twoStarView_->showPending(true);
    }
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
    refusedBytes_ = reading.tooLargeBytes;
    if ((pasted_ || typed_) && !showsStore_ && !refusedBytes_) mergeRead(reading.text, pasted_);
    pasted_ = typed_ = false;
    {
        // The reading's own backtests already follow its draws.
        const QScopedValueRollback taking(takingHistory_, true);
        freeAway(document_.setHistory(reading.history));
    }
    historyQuality_ = std::move(reading.quality);
    showStatus();
    showBacktests(reading);
    if (reading.measure == shownTrend()) {
        trendView_->showTable(std::move(reading.trend));
    } else {
        refreshTrend();
    }
    emit historyRead();
}

void HistoryWindow::remember() {
    if (showsStore_) return;  // history.txt keeps the player's last text
    const QString text = text_->plainText();
    if (text == savedText_ && saveError_.isEmpty()) return;
    if (storageBlocked_ || utf8Size(text) > kHistoryMaxBytes) return;  // as a reading would not save it
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
        // The newest draw in time order: the first line of a newest-first table.
        const bool newestFirst = historyQuality_.newestFirst;
        const Draw& newest = newestFirst ? history_->draws.front() : history_->draws.back();
        text += QStringLiteral("，最新一期（%1，第 %2 行）：%3%4")
                    .arg(newestFirst ? QStringLiteral("期号从大到小排列，第一行") : QStringLiteral("最后一行"))
                    .arg(newest.line)
                    .arg(newest.issue.empty() ? QString() : fromStd(newest.issue) + QLatin1Char(' '))
                    .arg(fromStd(newest.number));
    }
    text += QStringLiteral("。");
    if (!history_->skipped.empty())
        text += QStringLiteral("跳过 %1 行（不含三位开奖号码）：第 %2 行。")
                    .arg(history_->skipped.size())
                    .arg(lineList(history_->skipped, kSkippedNamed));
    if (!history_->skippedFullWidth.empty())
        text += QStringLiteral("其中第 %1 行含全角数字（请改用半角数字 0–9）。")
                    .arg(lineList(history_->skippedFullWidth, kSkippedNamed));
    if (refusedBytes_)
        text = QStringLiteral("框中的开奖历史有 %1，超过 %2 的上限：没有读取，也没有保存"
                              "（保存的仍是此前的历史）。请删去一部分。")
                   .arg(megabytes(refusedBytes_), historyLimitText());
    if (!saveError_.isEmpty()) text += QStringLiteral("历史未能保存：%1").arg(saveError_);
    if (!storageNote_.isEmpty() && !storageBlocked_) text += storageNote_;
    status_->setText(text + drawsStatus());
    showQuality();
}

// Repeated issues and issues out of order, with their lines, so a pasted
// table can be mended; the draws are read all the same.
void HistoryWindow::showQuality() {
    const HistoryQuality& q = historyQuality_;
    QStringList parts;
    if (!q.repeats.empty()) {
        QStringList named;
        for (std::size_t i = 0; i < q.repeats.size() && int(i) < kQualityNamed; ++i)
            named << QStringLiteral("%1（第 %2 行）")
                         .arg(fromStd(q.repeats[i].issue), lineList(q.repeats[i].lines, kSkippedNamed));
        parts << QStringLiteral("期号重复 %1 个：%2%3")
                     .arg(q.repeats.size())
                     .arg(named.join(QStringLiteral("；")))
                     .arg(int(q.repeats.size()) > kQualityNamed ? QStringLiteral(" 等") : QString());
    }
    if (!q.outOfOrder.empty()) {
        QStringList named;
        for (std::size_t i = 0; i < q.outOfOrder.size() && int(i) < kQualityNamed; ++i) {
            const IssueOutOfOrder& o = q.outOfOrder[i];
            named << QStringLiteral("第 %1 行 %2 期排在第 %3 行 %4 期之后")
                         .arg(o.line)
                         .arg(fromStd(o.issue))
                         .arg(o.previousLine)
                         .arg(fromStd(o.previousIssue));
        }
        parts << QStringLiteral("期号顺序不对 %1 处：%2%3")
                     .arg(q.outOfOrder.size())
                     .arg(named.join(QStringLiteral("；")))
                     .arg(int(q.outOfOrder.size()) > kQualityNamed ? QStringLiteral(" 等") : QString());
    }
    if (parts.isEmpty()) {
        quality_->clear();
        quality_->hide();
        return;
    }
    quality_->setText(parts.join(QStringLiteral("。")) +
                      QStringLiteral("。这些开奖号码照样读取，按行的先后计算；请改正后再看遗漏和验证结果。"));
    quality_->show();
}

QString HistoryWindow::qualityText() const { return quality_->isHidden() ? QString() : quality_->text(); }

bool HistoryWindow::openHistoryFile(const QString& path) {
    // Read, decoded and counted on a worker: the window goes on meanwhile,
    // and 取消 leaves the box and the draws as they were.
    if (opening_->isVisible()) return false;  // one file at a time
    const QString name = QFileInfo(path).fileName();
    const QPointer<HistoryWindow> alive(this);
    std::optional<HistoryFileReading> read = opening_->follow(name, readHistoryFileAway(path));
    if (!alive || !read) return false;
    if (!read->error.isEmpty()) {
        services_.showMessage(this, kErrorTitle, read->error);
        return false;
    }
    if (!showsStore_ && !historyText().trimmed().isEmpty() &&
        !services_.askYesNo(this, kNoticeTitle,
                            QStringLiteral("用“%1”的 %2 期开奖号码替换框中现有的开奖历史吗？").arg(name).arg(read->draws)))
        return false;
    const bool big = read->text.size() >= kBigFileBytes;
    if (big) QApplication::setOverrideCursor(Qt::WaitCursor);
    pasted_ = true;  // its draws go into the kept draws once read
    text_->setText(std::exchange(read->text, QString()));
    if (big) QApplication::restoreOverrideCursor();
    if (!readTurning()) return false;  // the window went meanwhile
    if (read->converted)
        status_->setText(status_->text() + QStringLiteral("（文件不是 UTF-8，已按 GB18030 读取。）"));
    return true;
}

bool HistoryWindow::pasteFits(const QString& inserted) {
    // UTF-8 takes at most three bytes a UTF-16 unit: most pastes need no counting.
    const auto units = std::size_t(text_->document()->characterCount()) + std::size_t(inserted.size());
    if (units * 3 <= kHistoryMaxBytes) return pasted_ = true;
    // The selection counts each block end once, a cut inside a long line too: never more than the whole.
    const std::size_t whole = utf8Size(historyText());
    const std::size_t kept = whole - std::min(whole, utf8Size(text_->textCursor().selectedText()));
    const std::size_t after = kept + utf8Size(fromLineBreaks(inserted));  // CR LF goes in as one break
    if (after <= kHistoryMaxBytes) return pasted_ = true;
    services_.showMessage(this, kErrorTitle,
                          QStringLiteral("粘贴的内容过大：开奖历史最多 %1，粘贴后将有 %2。\r\n没有粘贴，框中的内容没有改变。")
                              .arg(historyLimitText(), megabytes(after)));
    return false;
}

void HistoryWindow::cancelOpening() { opening_->cancel(); }

void HistoryWindow::openHistory() {
    const QString path = services_.chooseOpenPath(this, QStringLiteral("打开开奖历史"), kHistoryFilter);
    if (!path.isEmpty()) openHistoryFile(path);
}

void HistoryWindow::clearHistory() {
    if (historyText().isEmpty() || showsStore_) return;  // the kept draws are never cleared here
    if (!services_.askYesNo(this, kNoticeTitle,
                            QStringLiteral("清空框中的开奖历史吗？保存的历史也会一并清空；开奖库中的开奖号码不受影响，"
                                           "清空后这里显示开奖库中的开奖号码。")))
        return;
    text_->clear();
    rereadNow();
    showStoredDraws();
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
    if (reading.outOfMemory || (!reading.main && reading.mainRangeError.isEmpty())) {
        const QString none = QStringLiteral("内存不足，无法验证这 %1 期开奖号码：请减少开奖历史的期数或动态条件后再试。")
                                 .arg(reading.history->draws.size());
        mainView_->showNothing(none);
        twoStarView_->showNothing(none);
        return;
    }
    if (reading.main)
        mainView_->showFigures(std::move(reading.main));
    else
        mainView_->showRangeRefused(reading.mainRangeError);
    if (!reading.twoStarRangeError.isEmpty()) {
        twoStarView_->showRangeRefused(reading.twoStarRangeError);
        return;
    }
    if (!reading.twoStar) {
        twoStarView_->showNothing(
            QStringLiteral("二星缩水软件没有打开：打开后，这里按它的条件验证每期开奖号码的后两位。"));
        return;
    }
    twoStarView_->showFigures(std::move(reading.twoStar));
}

// ---- 走势统计 --------------------------------------------------------------------------

void HistoryWindow::showTrend(TrendItem measure) { trendView_->showItem(measure); }

TrendItem HistoryWindow::shownTrend() const { return trendView_->shownItem(); }

const TrendTable& HistoryWindow::trend() const { return trendView_->table(); }

void HistoryWindow::refreshTrend() {
    trendView_->showTable(historyQuality_.newestFirst
                              ? trendTable(shownTrend(), drawsInTimeOrder(*history_, timeOrder(*history_)))
                              : trendTable(shownTrend(), history_->draws));
}

void HistoryWindow::pickTrendValue(int value) { trendView_->pickValue(value); }

void HistoryWindow::addTrendRule(int value) { trendView_->addRuleFor(value); }

// ---- opening and closing ------------------------------------------------------------

void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (rereadTimer_->isActive() || isReading()) rereadNow();
    QWidget::closeEvent(event);
}

}  // namespace tarnel
