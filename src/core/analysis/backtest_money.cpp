#include "core/analysis/backtest_money.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "core/analysis/money_amount.h"
#include "core/files/history_order.h"

namespace tarnel {

namespace {

int digitAt(int n, int pos) { return pos == 0 ? n / 100 : pos == 1 ? n / 10 % 10 : n % 10; }

// How many of the three digits are equal: 3 for 豹子, 2 for 组三, 0 for 组六.
int equalDigits(int n) {
    const int a = digitAt(n, 0), b = digitAt(n, 1), c = digitAt(n, 2);
    if (a == b && b == c) return 3;
    return (a == b || b == c || a == c) ? 2 : 0;
}

int groupForm(int n) {
    int d[3] = {digitAt(n, 0), digitAt(n, 1), digitAt(n, 2)};
    std::sort(d, d + 3);
    return d[0] * 100 + d[1] * 10 + d[2];
}

}  // namespace

std::optional<double> moneyValue(std::string_view text) {
    const Amount amount = readAmount(text, 0, std::int64_t(kMoneyMax) * 100);
    if (!amount.ok()) return std::nullopt;
    return double(amount.fen) / 100;
}

Bets Bets::main(const NumberSet& survivors, BetKind kind) {
    Bets b;
    b.kind_ = kind;
    if (kind == BetKind::Direct) {
        b.hitting_ = survivors;
        b.direct_ = static_cast<int>(survivors.count());
        return b;
    }
    // Tables made once: each number's group form, the numbers of each form,
    // the 豹子 and the 组三 forms. A backtest walking forward makes bets for
    // every draw, so this is whole-set work rather than a pass per number.
    struct Tables {
        std::array<std::uint16_t, NumberPool::kSize> form{};
        std::array<NumberSet, NumberPool::kSize> members;  // by form
        NumberSet triples, group3Forms;
    };
    static const Tables t = [] {
        Tables t;
        for (int n = 0; n < NumberPool::kSize; ++n) {
            const auto i = static_cast<std::size_t>(n);
            t.form[i] = static_cast<std::uint16_t>(groupForm(n));
            t.members[t.form[i]].set(i);
            if (equalDigits(n) == 3) t.triples.set(i);
            if (equalDigits(n) == 2 && groupForm(n) == n) t.group3Forms.set(i);
        }
        return t;
    }();
    const NumberSet triples = survivors & t.triples;
    b.hitting_ = triples;
    b.direct_ = static_cast<int>(triples.count());
    NumberSet forms;
    forEachNumber(survivors & ~t.triples, [&](std::size_t n) { forms.set(t.form[n]); });
    forEachNumber(forms, [&](std::size_t f) { b.hitting_ |= t.members[f]; });
    b.group3_ = static_cast<int>((forms & t.group3Forms).count());
    b.group6_ = static_cast<int>(forms.count()) - b.group3_;
    return b;
}

Bets Bets::twoStar(const std::bitset<100>& survivors) {
    Bets b;
    b.twoStar_ = true;
    for (std::size_t i = 0; i < survivors.size(); ++i)
        if (survivors.test(i)) b.hitting_.set(i);
    b.direct_ = static_cast<int>(survivors.count());
    return b;
}

Bets Bets::twoStar(const PairPool& pool) {
    std::bitset<100> alive;
    for (int i = 0; i < PairPool::kSize; ++i)
        if (pool.alive(i)) alive.set(static_cast<std::size_t>(i));
    return twoStar(alive);
}

double Bets::chance() const {
    if (twoStar_) return direct_ / 100.0;
    return (6.0 * group6_ + 3.0 * group3_ + direct_) / 1000.0;
}

double Bets::expectedWin(const MoneySettings& money) const {
    if (twoStar_) return direct_ / 100.0 * money.twoStar;
    return (direct_ * money.direct + 3.0 * group3_ * money.group3 + 6.0 * group6_ * money.group6) / 1000.0;
}

double Bets::winVariance(const MoneySettings& money) const {
    double meanSquare;
    if (twoStar_)
        meanSquare = direct_ / 100.0 * money.twoStar * money.twoStar;
    else
        meanSquare = (direct_ * money.direct * money.direct + 3.0 * group3_ * money.group3 * money.group3 +
                      6.0 * group6_ * money.group6 * money.group6) / 1000.0;
    const double mean = expectedWin(money);
    return std::max(0.0, meanSquare - mean * mean);
}

bool Bets::hits(int draw) const {
    if (draw < 0 || draw >= NumberPool::kSize) return false;
    return hitting_.test(static_cast<std::size_t>(twoStar_ ? draw % 100 : draw));
}

double Bets::win(int draw, const MoneySettings& money) const {
    if (!hits(draw)) return 0;
    if (twoStar_) return money.twoStar;
    if (kind_ == BetKind::Direct) return money.direct;
    switch (equalDigits(draw)) {
        case 3: return money.direct;
        case 2: return money.group3;
        default: return money.group6;
    }
}

DrawMoney drawMoney(const Bets& bets, int draw, const MoneySettings& money) {
    DrawMoney d;
    d.bets = bets.count();
    d.cost = d.bets * money.price;
    d.hit = bets.hits(draw);
    d.win = d.hit ? bets.win(draw, money) : 0;
    d.p = bets.chance();
    d.expectedWin = bets.expectedWin(money);
    d.winVariance = bets.winVariance(money);
    return d;
}

void MoneyTally::Sum::add(double x) {
    // Neumaier's summation: what each addition rounds away is kept apart.
    const double t = value + x;
    carry += std::fabs(value) >= std::fabs(x) ? (value - t) + x : (x - t) + value;
    value = t;
}

void MoneyTally::add(const DrawMoney& d) {
    ++sum_.draws;
    sum_.bets += d.bets;
    cost_.add(d.cost);
    win_.add(d.win);
    expectedHits_.add(d.p);
    variance_.add(d.p * (1 - d.p));
    expectedWin_.add(d.expectedWin);
    winVariance_.add(d.winVariance);
    if (d.hit) {
        ++sum_.hits;
        run_ = 0;
        hitSeen_ = true;
    } else {
        ++run_;
        if (!hitSeen_) ++openingRun_;
        sum_.longestMiss = std::max(sum_.longestMiss, run_);
    }
}

MoneyTotals MoneyTally::totals(bool newestFirst) const {
    MoneyTotals t = sum_;
    t.cost = cost_.total();
    t.win = win_.total();
    t.net = t.win - t.cost;
    t.expectedHits = expectedHits_.total();
    t.sdHits = std::sqrt(std::max(0.0, variance_.total()));
    t.expectedWin = expectedWin_.total();
    t.sdWin = std::sqrt(std::max(0.0, winVariance_.total()));
    // A run of misses reads the same either way, so the longest one does
    // not depend on the order; the current one sits at the newest end.
    t.currentMiss = newestFirst ? openingRun_ : run_;
    return t;
}

MoneyReport backtestMoney(const History& history, const Bets& bets, const MoneySettings& money) {
    MoneyReport report;
    report.draws.reserve(history.draws.size());
    MoneyTally tally;
    for (const Draw& draw : history.draws) {
        const int n = (draw.number[0] - '0') * 100 + (draw.number[1] - '0') * 10 + (draw.number[2] - '0');
        report.draws.push_back(drawMoney(bets, n, money));
        tally.add(report.draws.back());
    }
    report.totals = tally.totals(historyIsNewestFirst(history));
    return report;
}

Bets mainBets(const ShrinkInputs& inputs, int tolerance, BetKind kind) {
    return Bets::main(survivorsWithTolerance(computeRowKills(inputs), tolerance), kind);
}

Bets twoStarBets(const TwoStarInputs& inputs) {
    PairPool pool;
    runTwoStar(pool, inputs);
    return Bets::twoStar(pool);
}

double noHitChance(double p, long long n) {
    if (n <= 0) return 1;
    p = std::clamp(p, 0.0, 1.0);
    return std::pow(1 - p, static_cast<double>(n));
}

std::optional<long long> drawsForLikelyHit(double p) {
    constexpr double kLeft = 0.05;
    if (!(p > 0)) return std::nullopt;
    if (p >= 1) return 1;
    long long m = static_cast<long long>(std::ceil(std::log(kLeft) / std::log1p(-p)));
    m = std::max(m, 1LL);
    // The logarithms may round either way at an exact boundary.
    while (m > 1 && noHitChance(p, m - 1) <= kLeft) --m;
    while (noHitChance(p, m) > kLeft) ++m;
    return m;
}

}  // namespace tarnel
