#pragma once
// What a backtest would have cost and won (奖金、盈亏), and how random bets
// of the same size would have done.
//
// The bets for a draw come from the survivors of the run for that draw:
// - direct (直选): each survivor is one bet; it wins the direct prize when it
//   equals the draw;
// - group (组选): each group form of the survivors whose digits are not all
//   equal is one bet; a survivor with all digits equal (豹子) is bought as a
//   direct bet. A group bet wins when the draw's group form equals it: the
//   组选三 prize when the draw has exactly two equal digits, the 组选六 prize
//   when its digits all differ;
// - two-star (二星): each two-digit survivor is one bet; it wins the
//   two-star prize when it equals the last two digits of the draw.
// A draw wins at most one prize. `p` is the chance that a random draw hits
// the bets: direct bets/1000; group (6 × 组六 + 3 × 组三 + direct)/1000;
// two-star bets/100.

#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/rules/number_pool.h"
#include "core/rules/pair_pool.h"
#include "core/files/history.h"
#include "core/state/shrink.h"
#include "core/rules/two_star_run.h"

namespace tarnel {

enum class BetKind { Direct, Group };

// The player's price and prize settings; the defaults are the fixed prizes
// of the standard game.
struct MoneySettings {
    double price = 2;
    double direct = 1040;   // 直选
    double group3 = 346;    // 组选三
    double group6 = 173;    // 组选六
    double twoStar = 100;   // 二星
    bool operator==(const MoneySettings&) const = default;
};

// The largest price or prize accepted.
inline constexpr double kMoneyMax = 1000000;

// A price or prize as typed: a non-negative decimal number written with
// ASCII digits and at most one point ("2", "1040", "0.5"), at most
// kMoneyMax. Anything else (empty, a sign, an exponent, spaces) is nullopt.
std::optional<double> moneyValue(std::string_view text);

// The bets bought for one draw.
class Bets {
public:
    // Main window: the survivors as direct or group bets.
    static Bets main(const NumberSet& survivors, BetKind kind);
    // Two-star window: the alive two-digit numbers.
    static Bets twoStar(const PairPool& pool);
    static Bets twoStar(const std::bitset<100>& survivors);

    bool isTwoStar() const { return twoStar_; }
    BetKind kind() const { return kind_; }
    int count() const { return direct_ + group3_ + group6_; }
    int directBets() const { return direct_; }  // with group bets: the 豹子 bought as direct
    int group3Bets() const { return group3_; }
    int group6Bets() const { return group6_; }
    // The chance that a random draw hits these bets.
    double chance() const;
    // The mean win of these bets on a random draw: each bet's chance times its prize.
    double expectedWin(const MoneySettings& money) const;
    // The variance of that win (the spread of random bets' profit and loss).
    double winVariance(const MoneySettings& money) const;
    // Whether a draw hits: `draw` is the number 0..999 (the two-star bets
    // look at its last two digits).
    bool hits(int draw) const;
    // The prize the bets win on `draw` (0 when none hits).
    double win(int draw, const MoneySettings& money) const;

private:
    NumberSet hitting_;  // the draws that some bet hits (two-star: 0..99)
    BetKind kind_ = BetKind::Direct;
    bool twoStar_ = false;
    int direct_ = 0, group3_ = 0, group6_ = 0;
};

// One scored draw.
struct DrawMoney {
    int bets = 0;
    double cost = 0;
    double win = 0;
    bool hit = false;  // some bet equals the draw
    double p = 0;      // the chance that a random draw hits these bets
    double expectedWin = 0;  // the mean win of random bets of the same size
    double winVariance = 0;  // and its variance
};

DrawMoney drawMoney(const Bets& bets, int draw, const MoneySettings& money);

// Totals over the scored draws. expectedHits and sdHits are the mean and
// standard deviation of the hits of random bets of the same sizes; the miss
// runs count draws in time order (oldest first).
struct MoneyTotals {
    long long draws = 0;
    long long bets = 0;
    double cost = 0;
    double win = 0;
    double net = 0;
    long long hits = 0;
    double expectedHits = 0;
    double sdHits = 0;
    double expectedWin = 0;
    double sdWin = 0;  // the standard deviation of the win (and of the net) of random bets
    long long longestMiss = 0;
    long long currentMiss = 0;
};

// Adds up scored draws one at a time in the history's order; `totals` then
// says which end is the newest.
class MoneyTally {
public:
    void add(const DrawMoney& d);
    // newestFirst: the history lists its newest draw first (see
    // historyIsNewestFirst), so the run at the end of time order is the one
    // the history opens with.
    MoneyTotals totals(bool newestFirst) const;

private:
    // Compensated sums: a million draws of p = 0.001 still add up to 1000
    // to well within a millionth.
    struct Sum {
        double value = 0, carry = 0;
        void add(double x);
        double total() const { return value + carry; }
    };
    MoneyTotals sum_;
    Sum cost_, win_, expectedHits_, variance_, expectedWin_, winVariance_;
    long long run_ = 0;          // misses at the end so far
    long long openingRun_ = 0;   // misses before the first hit
    bool hitSeen_ = false;
};

struct MoneyReport {
    std::vector<DrawMoney> draws;  // in the history's order
    MoneyTotals totals;
};

// The same bets against every draw of a history (the main window's bets
// look at the whole draw, the two-star bets at its last two digits).
MoneyReport backtestMoney(const History& history, const Bets& bets, const MoneySettings& money);

// The bets of a window's conditions as they stand (the same for every draw).
Bets mainBets(const ShrinkInputs& inputs, int tolerance, BetKind kind);
Bets twoStarBets(const TwoStarInputs& inputs);

// ---- droughts ----------------------------------------------------------

// The chance of no hit in n draws in a row, each hit with chance p.
double noHitChance(double p, long long n);
// The smallest m with (1 − p)^m ≤ 5 %: a hit comes within m draws with
// 95 % chance. nullopt when p is 0 (no hit ever comes).
std::optional<long long> drawsForLikelyHit(double p);

}  // namespace tarnel
