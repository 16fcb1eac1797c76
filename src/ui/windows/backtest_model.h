#pragma once
// The rows of a backtest as the 历史验证 and 二星验证 tabs show them, and the
// texts those tabs share: amounts of yuan and the names of the rows.

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_money.h"
#include "core/state/past_draw_rule.h"
#include "core/state/shrink.h"

namespace tarnel {

// An amount of yuan as the tabs show it: "-12.5", "1040"; never NaN or infinity.
QString yuanShown(double yuan);
// A row of the main window by its name: a fixed row, or a rule that follows past draws.
QString mainRowName(int row, const std::vector<std::string>& ruleNames);

// A backtest as a tab shows it: which draws the conditions kept, what the
// bets would have cost and won, and what random bets of the same sizes
// would have done. Made away from the window's thread.
struct BacktestFigures {
    Backtest backtest;
    MoneyReport money;                  // per draw in the history's order, and totals
    MoneySettings prices;
    bool groupBets = false;             // the main window's bets bought as 组选
    bool newestFirst = false;           // the history lists its newest draw first
    // Indices of the scored draws, oldest first: every draw, except the
    // warm-up draws of a backtest that walks forward.
    std::vector<std::size_t> timeOrder;
    std::vector<double> cumulative;     // by draw: net of the draws up to it in time order
    // A backtest of rules that follow past draws walks forward: each draw is
    // bet on with the rules looking back from it. A draw before which some
    // rule is not ready is a warm-up draw, listed and left out of every figure.
    bool walksForward = false;
    std::vector<char> warmup;           // by draw (empty when not walking forward)
    int warmupDraws = 0;
    std::vector<std::string> ruleNames;  // rule row 101 + i is ruleNames[i]
    // Walking forward, the rows that ruled a draw out are worked out when a
    // row asks (killedBy) rather than kept for every draw: memory grows with
    // the draws and with the rules, never with their product.
    std::vector<PastDrawRule> rules;
    std::shared_ptr<const RowKills> fixedKills;
    std::vector<int> timeNumbers;             // every draw in time order
    std::vector<std::uint32_t> timePlace;     // by draw: its place in timeNumbers
    // The bets about to be made on the draw after the newest, as the run
    // makes them now (the drought table's); negative: those of the newest draw.
    int nextBets = -1;
    double nextChance = 0;
    // Two-star window: draws each of its conditions would have ruled out, by step.
    std::vector<int> killsByStep;
    QString rangeNote;  // the draws a limited backtest took (empty: the whole history)
};

// The rows of a backtest for a table view: data is made when a row is
// painted, so a history of a few hundred thousand draws shows at once.
class BacktestModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Line, Issue, Number, Result, Bets, Cost, Win, Net, Cumulative, KilledBy, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;
    void setFigures(std::shared_ptr<const BacktestFigures> figures, bool twoStar);
    const Backtest& backtest() const;
    const BacktestFigures* figures() const { return figures_.get(); }
    // The rows that ruled out the draw of `row` (fixed rows, then rules).
    std::vector<int> killedBy(int row) const;
    // Whether a row's draw counts as a success: with 组选 bets a hit, otherwise kept.
    bool succeeded(int row) const;
    // A warm-up draw of a backtest that walks forward: greyed, its result
    // column says warmupCaption(), and it counts nowhere.
    bool isWarmup(int row) const;
    static QString warmupCaption();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const BacktestFigures> figures_;
    bool twoStar_ = false;
    // The rule rows of the rows asked for last: a painted row asks several times.
    mutable std::vector<std::pair<int, std::vector<int>>> killedCache_;
};

}  // namespace tarnel
