#include "ui/windows/backtest_model.h"

#include <QColor>
#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

#include "core/rules/pair_step_kills.h"
#include "core/state/past_draw_rules.h"
#include "core/analysis/walk_forward.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/price_settings.h"

namespace tarnel {

// A row of the main window by its name: a fixed row, or a rule that follows past draws.
QString mainRowName(int row, const std::vector<std::string>& ruleNames) {
    if (row >= kFirstRuleRow) {
        const auto rule = std::size_t(row - kFirstRuleRow);
        return rule < ruleNames.size() ? fromStd(ruleNames[rule]) : QString();
    }
    return fromStd(rowName(row));
}

// An amount of yuan as the tabs show it: "-12.5", "1040"; never NaN or infinity.
QString yuanShown(double yuan) {
    if (!std::isfinite(yuan)) return QStringLiteral("-");
    const qint64 fen = std::llround(yuan * 100);
    return (fen < 0 ? QStringLiteral("-") : QString()) + PriceSettings::amountText(double(fen < 0 ? -fen : fen) / 100);
}

namespace {

// Lets a worker thread free the figures of a long history, so the table goes on at once.
template <typename T>
void freeAway(T value) {
    (void)QtConcurrent::run([doomed = std::move(value)] { (void)doomed; });
}

// A draw's result as a row shows it: with 组选 bets whether a bet hit it,
// otherwise whether the conditions kept it.
QString resultCaption(bool groupBets, bool success) {
    if (groupBets) return success ? QStringLiteral("中") : QStringLiteral("未中");
    return success ? QStringLiteral("保留") : QStringLiteral("排除");
}

// The conditions a draw met, by their names.
QString killerNames(const std::vector<int>& killedBy, bool twoStar, const std::vector<std::string>& ruleNames) {
    if (twoStar) return killedBy.empty() ? QString() : QStringLiteral("二星缩水条件");
    QStringList names;
    for (int row : killedBy) names << mainRowName(row, ruleNames);
    return names.join(QStringLiteral("、"));
}

// The conditions a draw met, in full: for the two-star window each of its conditions.
QString killerDetails(const std::vector<int>& killedBy, bool twoStar, const std::vector<std::string>& ruleNames) {
    if (!twoStar) return killerNames(killedBy, false, ruleNames);
    QStringList names;
    for (int step : killedBy) names << fromStd(pairStepName(step));
    return QStringLiteral("二星缩水条件：") + names.join(QStringLiteral("、"));
}

}  // namespace

// ---- backtest table --------------------------------------------------------------

void BacktestModel::setFigures(std::shared_ptr<const BacktestFigures> figures, bool twoStar) {
    beginResetModel();
    std::swap(figures_, figures);
    twoStar_ = twoStar;
    killedCache_.clear();
    endResetModel();
    freeAway(std::move(figures));
}

QString BacktestModel::warmupCaption() { return QStringLiteral("预热"); }

bool BacktestModel::isWarmup(int row) const {
    return figures_ && row >= 0 && std::size_t(row) < figures_->warmup.size() && figures_->warmup[std::size_t(row)];
}

std::vector<int> BacktestModel::killedBy(int row) const {
    if (!figures_ || row < 0 || row >= rowCount()) return {};
    const auto i = std::size_t(row);
    const BacktestFigures& f = *figures_;
    const DrawCheck& d = f.backtest.draws[i];
    if (!f.walksForward || !f.fixedKills || i >= f.timePlace.size() || isWarmup(row)) return d.killedBy;
    for (const auto& [cached, rows] : killedCache_)
        if (cached == row) return rows;
    const int n = std::stoi(d.draw.number);
    std::vector<int> rows = f.fixedKills->killedBy(n);
    const std::vector<int> rules = ruleRowsAt(f.rules, f.timeNumbers, f.timePlace[i]);
    rows.insert(rows.end(), rules.begin(), rules.end());
    if (killedCache_.size() >= 256) killedCache_.erase(killedCache_.begin(), killedCache_.begin() + 128);
    killedCache_.emplace_back(row, rows);
    return rows;
}

bool BacktestModel::succeeded(int row) const {
    if (!figures_ || row < 0 || row >= rowCount()) return false;
    const auto i = std::size_t(row);
    if (figures_->groupBets && !twoStar_ && i < figures_->money.draws.size()) return figures_->money.draws[i].hit;
    return figures_->backtest.draws[i].survives;
}

const Backtest& BacktestModel::backtest() const {
    static const Backtest none;
    return figures_ ? figures_->backtest : none;
}

int BacktestModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !figures_ ? 0 : int(figures_->backtest.draws.size());
}

int BacktestModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BacktestModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto row = std::size_t(index.row());
    const DrawCheck& d = figures_->backtest.draws[row];
    const int column = index.column();
    if (row < figures_->warmup.size() && figures_->warmup[row]) {
        // A warm-up draw: listed in grey, with nothing that would count.
        if (role == Qt::DisplayRole) {
            switch (column) {
                case Line: return d.draw.line;
                case Issue: return fromStd(d.draw.issue);
                case Number: return fromStd(d.number);
                case Result: return warmupCaption();
                default: return QString();
            }
        }
        if (role == Qt::ForegroundRole) return QColor(Qt::gray);
        if (role == Qt::TextAlignmentRole && column != KilledBy)
            return column >= Bets ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignCenter);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("预热期：这一期之前的开奖期数还不够动态条件回看，不投注，也不计入任何统计。");
        return {};
    }
    const DrawMoney* m = row < figures_->money.draws.size() ? &figures_->money.draws[row] : nullptr;
    const bool groupBets = figures_->groupBets && !twoStar_;
    const double cumulative = row < figures_->cumulative.size() ? figures_->cumulative[row] : 0;
    if (role == Qt::DisplayRole) {
        switch (column) {
            case Line: return d.draw.line;
            case Issue: return fromStd(d.draw.issue);
            case Number: return twoStar_ ? fromStd(d.draw.number) + QStringLiteral(" → ") + fromStd(d.number)
                                         : fromStd(d.number);
            case Result: return resultCaption(groupBets, succeeded(index.row()));
            case Bets: return m ? QVariant(m->bets) : QVariant();
            case Cost: return m ? yuanShown(m->cost) : QString();
            case Win: return m ? yuanShown(m->win) : QString();
            case Net: return m ? yuanShown(m->win - m->cost) : QString();
            case Cumulative: return m ? yuanShown(cumulative) : QString();
            case KilledBy: return killerNames(killedBy(index.row()), twoStar_, figures_->ruleNames);
        }
    } else if (role == Qt::ForegroundRole) {
        if (column == Result && !succeeded(index.row())) return QColor(Qt::red);
        if (m && column == Win && m->win > 0) return QColor(Qt::darkGreen);
        if (m && column == Net) return m->win - m->cost < 0 ? QColor(Qt::red) : QColor(Qt::darkGreen);
        if (m && column == Cumulative) return cumulative < 0 ? QColor(Qt::red) : QColor(Qt::darkGreen);
    } else if (role == Qt::TextAlignmentRole && column != KilledBy) {
        return column >= Bets ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignCenter);
    } else if (role == Qt::ToolTipRole && column == KilledBy) {
        const std::vector<int> rows = killedBy(index.row());
        if (!rows.empty()) return killerDetails(rows, twoStar_, figures_->ruleNames);
    } else if (role == Qt::ToolTipRole && column == Cumulative && m) {
        return QStringLiteral("从最早一期到这一期（按时间先后）的盈亏之和");
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
        case Bets: return QStringLiteral("注数");
        case Cost: return QStringLiteral("花费");
        case Win: return QStringLiteral("奖金");
        case Net: return QStringLiteral("盈亏");
        case Cumulative: return QStringLiteral("累计盈亏");
        case KilledBy: return QStringLiteral("排除它的条件");
    }
    return {};
}

}  // namespace tarnel
