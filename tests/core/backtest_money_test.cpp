// Money of a backtest against a plain reference: the bets written out one by
// one, each draw checked against every bet, chances counted over all 1000
// (or 100) draws; expected hits against a simulation of random draws; the
// time order and the quality facts of histories.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/rules/text.h"
#include "core/analysis/backtest.h"
#include "core/analysis/backtest_money.h"
#include "core/files/history_order.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

// ---- the reference: bets as a list --------------------------------------------

struct RefBet {
    enum Kind { Direct, Group, TwoStar } kind;
    int value;  // the number, the group form (digits ascending) or the pair
};

std::string sortedDigits(int n) {
    std::string s = numberText(n, 3);
    std::sort(s.begin(), s.end());
    return s;
}

std::vector<RefBet> refBets(const std::vector<int>& survivors, BetKind kind) {
    std::vector<RefBet> bets;
    for (int n : survivors) {
        const std::string s = numberText(n, 3);
        if (kind == BetKind::Direct || (s[0] == s[1] && s[1] == s[2])) {
            bets.push_back({RefBet::Direct, n});
            continue;
        }
        const int form = std::stoi(sortedDigits(n));
        const bool bought = std::any_of(bets.begin(), bets.end(),
                                        [&](const RefBet& b) { return b.kind == RefBet::Group && b.value == form; });
        if (!bought) bets.push_back({RefBet::Group, form});
    }
    return bets;
}

// What the list wins on a draw, summing every bet that wins.
double refWin(const std::vector<RefBet>& bets, int draw, const MoneySettings& m, int* winners = nullptr) {
    const std::string d = numberText(draw, 3);
    const int equal = (d[0] == d[1]) + (d[1] == d[2]) + (d[0] == d[2]);
    double win = 0;
    int count = 0;
    for (const RefBet& b : bets) {
        bool wins = false;
        double prize = 0;
        switch (b.kind) {
            case RefBet::Direct: wins = b.value == draw; prize = m.direct; break;
            case RefBet::TwoStar: wins = b.value == draw % 100; prize = m.twoStar; break;
            case RefBet::Group:
                wins = equal != 3 && b.value == std::stoi(sortedDigits(draw));
                prize = equal == 1 ? m.group3 : m.group6;
                break;
        }
        if (wins) {
            win += prize;
            ++count;
        }
    }
    if (winners) *winners = count;
    return win;
}

// Chance and mean win of the list over every draw a random draw can be.
void refChance(const std::vector<RefBet>& bets, bool twoStar, const MoneySettings& m, double& p, double& meanWin,
               double& winVariance) {
    const int draws = twoStar ? 100 : 1000;
    int hitting = 0;
    double total = 0, squares = 0;
    for (int d = 0; d < draws; ++d) {
        const double w = refWin(bets, d, m);
        // Prizes here are positive, so a win is a hit.
        hitting += w > 0;
        total += w;
        squares += w * w;
    }
    p = double(hitting) / draws;
    meanWin = total / draws;
    winVariance = squares / draws - meanWin * meanWin;
}

std::vector<int> randomSurvivors(StateMaker& make, int range) {
    std::vector<int> s;
    const double density = make.chance(0.2) ? 0.9 : make.chance(0.5) ? 0.02 : make.chance(0.5) ? 0.3 : 0.0;
    for (int n = 0; n < range; ++n)
        if (make.chance(density)) s.push_back(n);
    return s;
}

MoneySettings randomSettings(StateMaker& make) {
    if (make.chance(0.3)) return MoneySettings{};
    MoneySettings m;
    m.price = 0.5 * (1 + make.below(10));
    m.direct = 1 + make.below(2000);
    m.group3 = 1 + make.below(600);
    m.group6 = 1 + make.below(300);
    m.twoStar = 1 + make.below(200);
    return m;
}

// A history of random draws with issues rising, falling, jumbled or absent;
// every form of draw (豹子, 组三, 组六) comes often.
std::string randomHistoryText(StateMaker& make, int lines, std::vector<int>& draws) {
    const int way = make.below(4);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        int n = make.below(1000);
        if (make.chance(0.2)) n = 111 * make.below(10);
        if (make.chance(0.2)) n = make.below(10) * 110 + make.below(10);
        draws.push_back(n);
        long long issue = 2026000;
        switch (way) {
            case 0: issue += i; break;
            case 1: issue += lines - i; break;
            case 2: issue += make.below(lines); break;
            default: issue = -1; break;
        }
        if (issue >= 0) text += std::to_string(issue) + " ";
        text += numberText(n, 3) + "\n";
        if (make.chance(0.05)) text += "junk\n";
    }
    return text;
}

TEST(BacktestMoney, EveryDrawAndTotalAgreeWithBetsWrittenOut) {
    StateMaker make(2401);
    for (int round = 0; round < 120; ++round) {
        const bool twoStar = round % 3 == 2;
        const BetKind kind = round % 3 == 1 ? BetKind::Group : BetKind::Direct;
        const std::vector<int> survivors = randomSurvivors(make, twoStar ? 100 : 1000);
        const MoneySettings m = randomSettings(make);

        std::vector<RefBet> ref;
        Bets bets;
        if (twoStar) {
            std::bitset<100> set;
            for (int n : survivors) {
                set.set(std::size_t(n));
                ref.push_back({RefBet::TwoStar, n});
            }
            bets = Bets::twoStar(set);
        } else {
            NumberSet set;
            for (int n : survivors) set.set(std::size_t(n));
            ref = refBets(survivors, kind);
            bets = Bets::main(set, kind);
        }
        double p = 0, meanWin = 0, winVariance = 0;
        refChance(ref, twoStar, m, p, meanWin, winVariance);
        ASSERT_EQ(bets.count(), int(ref.size())) << "round " << round;
        EXPECT_NEAR(bets.chance(), p, 1e-12);
        EXPECT_NEAR(bets.expectedWin(m), meanWin, 1e-9);
        EXPECT_NEAR(bets.winVariance(m), winVariance, 1e-6 * (1 + winVariance));

        std::vector<int> draws;
        const History history = readHistory(randomHistoryText(make, 1 + make.below(80), draws));
        ASSERT_EQ(history.draws.size(), draws.size());
        const MoneyReport report = backtestMoney(history, bets, m);
        ASSERT_EQ(report.draws.size(), draws.size());

        std::vector<bool> hits;
        double cost = 0, win = 0, sumP = 0, var = 0;
        long long betCount = 0;
        for (std::size_t i = 0; i < draws.size(); ++i) {
            int winners = 0;
            const double w = refWin(ref, draws[i], m, &winners);
            ASSERT_LE(winners, 1) << "a draw wins at most one prize";
            const DrawMoney& d = report.draws[i];
            EXPECT_EQ(d.bets, int(ref.size()));
            EXPECT_DOUBLE_EQ(d.cost, double(ref.size()) * m.price);
            EXPECT_DOUBLE_EQ(d.win, w) << "draw " << draws[i] << " round " << round;
            EXPECT_EQ(d.hit, w > 0);
            EXPECT_NEAR(d.p, p, 1e-12);
            hits.push_back(w > 0);
            cost += double(ref.size()) * m.price;
            win += w;
            sumP += p;
            var += p * (1 - p);
            betCount += long(ref.size());
        }
        // Runs of misses in time order: a newest-first history is read backwards.
        bool falling = true;
        for (std::size_t i = 0; i < history.draws.size(); ++i)
            falling = falling && !history.draws[i].issue.empty() &&
                      (i == 0 || std::stoll(history.draws[i].issue) < std::stoll(history.draws[i - 1].issue));
        std::vector<bool> timeHits = hits;
        if (falling) std::reverse(timeHits.begin(), timeHits.end());
        long long run = 0, longest = 0;
        for (bool h : timeHits) {
            run = h ? 0 : run + 1;
            longest = std::max(longest, run);
        }
        const MoneyTotals& t = report.totals;
        EXPECT_EQ(t.draws, (long long)draws.size());
        EXPECT_EQ(t.bets, betCount);
        EXPECT_NEAR(t.cost, cost, 1e-6);
        EXPECT_NEAR(t.win, win, 1e-6);
        EXPECT_NEAR(t.net, win - cost, 1e-6);
        EXPECT_EQ(t.hits, std::count(hits.begin(), hits.end(), true));
        EXPECT_NEAR(t.expectedHits, sumP, 1e-9);
        EXPECT_NEAR(t.sdHits, std::sqrt(var), 1e-9);
        EXPECT_NEAR(t.expectedWin, meanWin * double(draws.size()), 1e-6);
        EXPECT_NEAR(t.sdWin, std::sqrt(std::max(0.0, winVariance) * double(draws.size())), 1e-6 * (1 + t.sdWin));
        EXPECT_EQ(t.longestMiss, longest) << "round " << round;
        EXPECT_EQ(t.currentMiss, run) << "round " << round << (falling ? " newest first" : "");
    }
}

TEST(BacktestMoney, BetsFollowTheRunOfTheConditions) {
    StateMaker make(2402);
    for (int round = 0; round < 30; ++round) {
        MainConditions state = make.main(0.08);
        state.tolerance = make.below(3);
        NumberPool pool;
        runMain(pool, state);
        std::vector<int> alive;
        for (int n = 0; n < 1000; ++n)
            if (pool.alive(n)) alive.push_back(n);
        for (BetKind kind : {BetKind::Direct, BetKind::Group}) {
            const Bets bets = mainBets(shrinkInputs(state), state.tolerance, kind);
            const std::vector<RefBet> ref = refBets(alive, kind);
            EXPECT_EQ(bets.count(), int(ref.size()));
            for (int d = 0; d < 1000; ++d) EXPECT_EQ(bets.hits(d), refWin(ref, d, MoneySettings{}) > 0) << d;
        }
        // A direct hit is exactly a kept draw.
        std::vector<int> draws;
        const History history = readHistory(randomHistoryText(make, 30, draws));
        const Backtest b = backtestMain(shrinkInputs(state), state.tolerance, history);
        const MoneyReport money = backtestMoney(history, mainBets(shrinkInputs(state), state.tolerance, BetKind::Direct), {});
        for (std::size_t i = 0; i < b.draws.size(); ++i) EXPECT_EQ(money.draws[i].hit, b.draws[i].survives);

        const TwoStarConditions two = make.twoStar(0.1);
        const Bets pairs = twoStarBets(two);
        const Backtest tb = backtestTwoStar(two, history);
        const MoneyReport tm = backtestMoney(history, pairs, {});
        for (std::size_t i = 0; i < tb.draws.size(); ++i) EXPECT_EQ(tm.draws[i].hit, tb.draws[i].survives);
    }
}

// Random bets of the same sizes, drawn many times: their hits average
// expected_hits with sd_hits as their spread.
TEST(BacktestMoney, ExpectedHitsMatchRandomDraws) {
    StateMaker make(2403);
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        const bool twoStar = round == 5;
        const BetKind kind = round % 2 ? BetKind::Group : BetKind::Direct;
        NumberSet set;
        std::bitset<100> pairs;
        for (int n = 0; n < 1000; ++n)
            if (make.chance(0.05 + 0.1 * round)) set.set(std::size_t(n));
        for (int n = 0; n < 100; ++n)
            if (make.chance(0.2)) pairs.set(std::size_t(n));
        const Bets bets = twoStar ? Bets::twoStar(pairs) : Bets::main(set, kind);
        std::vector<int> draws;
        const History history = readHistory(randomHistoryText(make, 200, draws));
        const MoneyTotals t = backtestMoney(history, bets, {}).totals;

        constexpr int kTrials = 4000;
        double sum = 0, sumSq = 0, winSum = 0, winSq = 0;
        std::uniform_int_distribution<int> any(0, 999);
        for (int trial = 0; trial < kTrials; ++trial) {
            int hits = 0;
            double win = 0;
            for (std::size_t i = 0; i < draws.size(); ++i) {
                const int d = any(rng);
                hits += bets.hits(d);
                win += bets.win(d, MoneySettings{});
            }
            winSum += win;
            winSq += win * win;
            sum += hits;
            sumSq += double(hits) * hits;
        }
        const double mean = sum / kTrials;
        const double sd = std::sqrt(sumSq / kTrials - mean * mean);
        // Within five standard errors of the mean, and the spread within 5 %.
        EXPECT_NEAR(mean, t.expectedHits, 5 * t.sdHits / std::sqrt(double(kTrials)) + 1e-9) << "round " << round;
        EXPECT_NEAR(sd, t.sdHits, 0.05 * t.sdHits + 1e-9) << "round " << round;
        EXPECT_NEAR(winSum / kTrials, t.expectedWin, 0.05 * t.expectedWin + 1) << "round " << round;
        const double winMean = winSum / kTrials;
        EXPECT_NEAR(std::sqrt(winSq / kTrials - winMean * winMean), t.sdWin, 0.05 * t.sdWin + 1e-9) << "round " << round;
    }
}

TEST(BacktestMoney, LongHistoriesAddUpToWithinAMillionth) {
    MoneyTally tally;
    DrawMoney d;
    d.bets = 1;
    d.cost = 0.1;
    d.p = 0.001;
    d.expectedWin = 1.04;
    for (int i = 0; i < 3000000; ++i) tally.add(d);
    const MoneyTotals t = tally.totals(false);
    EXPECT_NEAR(t.expectedHits, 3000, 1e-7);
    EXPECT_NEAR(t.cost, 300000, 1e-7);
    EXPECT_NEAR(t.expectedWin, 3120000, 1e-7);
    EXPECT_NEAR(t.sdHits * t.sdHits, 3000 * 0.999, 1e-7);
    EXPECT_EQ(t.longestMiss, 3000000);
}

TEST(BacktestMoney, GroupBetsOfEveryForm) {
    // 豹子 bought as direct; 组三 and 组六 forms once each, however many
    // survivors share them.
    NumberSet s;
    for (int n : {777, 112, 121, 211, 123, 321, 213, 990}) s.set(std::size_t(n));
    const Bets b = Bets::main(s, BetKind::Group);
    EXPECT_EQ(b.directBets(), 1);
    EXPECT_EQ(b.group3Bets(), 2);  // 112, 099
    EXPECT_EQ(b.group6Bets(), 1);  // 123
    EXPECT_DOUBLE_EQ(b.chance(), (6 + 3 * 2 + 1) / 1000.0);
    const MoneySettings m;
    EXPECT_EQ(b.win(777, m), 1040.0);
    EXPECT_EQ(b.win(121, m), 346.0);
    EXPECT_EQ(b.win(909, m), 346.0);
    EXPECT_EQ(b.win(312, m), 173.0);
    EXPECT_EQ(b.win(111, m), 0.0);
    EXPECT_EQ(b.win(122, m), 0.0);
    EXPECT_EQ(Bets::main(s, BetKind::Direct).win(213, m), 1040.0);
    EXPECT_EQ(Bets::main(s, BetKind::Direct).win(312, m), 0.0);
}

TEST(BacktestMoney, ThePointOfSaleRefusesWhatIsNotAnAmount) {
    EXPECT_EQ(moneyValue("2"), 2.0);
    EXPECT_EQ(moneyValue("0"), 0.0);
    EXPECT_EQ(moneyValue("1040"), 1040.0);
    EXPECT_EQ(moneyValue("0.5"), 0.5);
    EXPECT_EQ(moneyValue("007.25"), 7.25);
    EXPECT_EQ(moneyValue("1000000"), 1000000.0);
    for (const char* bad : {"", "-1", "+2", "1e3", "1.", ".5", "1.2.3", " 2", "2 ", "inf", "nan", "0x10",
                            "1000000.01", "99999999999999999999999999", "２", "1,5"})
        EXPECT_FALSE(moneyValue(bad).has_value()) << bad;
    EXPECT_FALSE(moneyValue(std::string(400, '9')).has_value());
}

TEST(BacktestMoney, Droughts) {
    for (int k = 1; k <= 1000; k += (k < 20 ? 1 : 37)) {
        for (double p : {k / 1000.0, std::min(1.0, k / 100.0)}) {
            double left = 1;
            long long m = 0;
            while (left > 0.05) {
                left *= 1 - p;
                ++m;
            }
            const auto got = drawsForLikelyHit(p);
            ASSERT_TRUE(got.has_value());
            // Exact at the boundary up to rounding of the product.
            EXPECT_LE(std::abs(*got - m), 1) << p;
            EXPECT_LE(noHitChance(p, *got), 0.05) << p;
            if (*got > 1) { EXPECT_GT(noHitChance(p, *got - 1), 0.05) << p; }
            EXPECT_NEAR(noHitChance(p, 10), std::pow(1 - p, 10), 1e-12);
        }
    }
    EXPECT_EQ(drawsForLikelyHit(0), std::nullopt);
    EXPECT_EQ(drawsForLikelyHit(1), 1);
    EXPECT_EQ(*drawsForLikelyHit(0.001), 2995);
    EXPECT_EQ(noHitChance(0, 100), 1);
    EXPECT_EQ(noHitChance(0.5, 0), 1);
}

// ---- time order and quality ------------------------------------------------

History historyOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return readHistory(text);
}

TEST(HistoryOrder, ANewestFirstTableIsReversed) {
    EXPECT_TRUE(historyIsNewestFirst(historyOf({"2026003 111", "2026002 222", "2026001 333"})));
    EXPECT_FALSE(historyIsNewestFirst(historyOf({"2026001 111", "2026002 222", "2026003 333"})));
    EXPECT_FALSE(historyIsNewestFirst(historyOf({"2026003 111", "2026003 222", "2026001 333"})));  // a repeat
    EXPECT_FALSE(historyIsNewestFirst(historyOf({"2026003 111", "222", "2026001 333"})));          // one without
    EXPECT_FALSE(historyIsNewestFirst(historyOf({"111", "222"})));
    EXPECT_FALSE(historyIsNewestFirst(historyOf({})));
    // As integers, whatever their widths: 100000 < 99999 is false.
    EXPECT_TRUE(historyIsNewestFirst(historyOf({"100000 111", "99999 222", "099998 333"})));
    EXPECT_FALSE(historyIsNewestFirst(historyOf({"99999 111", "100000 222"})));
    EXPECT_TRUE(historyIsNewestFirst(historyOf({"123456789012345678901234567891 111", "123456789012345678901234567890 222"})));

    const History h = historyOf({"2026003 111", "junk", "2026002 222", "2026001 333"});
    EXPECT_EQ(timeOrder(h), (std::vector<std::size_t>{2, 1, 0}));
    EXPECT_EQ(timeOrder(historyOf({"1 111", "2 222"})), (std::vector<std::size_t>{0, 1}));

    // The misses at the newest end are those the table opens with.
    NumberSet s;
    s.set(333);
    const MoneyTotals t = backtestMoney(h, Bets::main(s, BetKind::Direct), {}).totals;
    EXPECT_EQ(t.currentMiss, 2);
    EXPECT_EQ(t.longestMiss, 2);
    const MoneyTotals forward =
        backtestMoney(historyOf({"2026001 333", "2026002 222", "2026003 111"}), Bets::main(s, BetKind::Direct), {}).totals;
    EXPECT_EQ(forward.currentMiss, 2);
}

TEST(HistoryOrder, CompareIssuesAsIntegers) {
    std::mt19937_64 rng(5);
    for (int i = 0; i < 2000; ++i) {
        const unsigned long long a = rng() % 100000000000ULL, b = i % 3 ? rng() % 100000000000ULL : a;
        const std::string za = std::string(rng() % 3, '0') + std::to_string(a);
        const std::string zb = std::string(rng() % 3, '0') + std::to_string(b);
        EXPECT_EQ(compareIssues(za, zb), a < b ? -1 : a > b ? 1 : 0) << za << " " << zb;
    }
}

TEST(HistoryOrder, QualitySaysWhichIssuesRepeatAndWhereTheOrderBreaks) {
    // Rising, with one line pasted out of place and one repeated.
    const History h = historyOf({"2026001 111", "2026002 222", "2026009 999", "2026003 333", "",
                                 "2026004 444", "02026002 555", "2026005 505", "2026005 606"});
    const HistoryQuality q = historyQuality(h);
    EXPECT_FALSE(q.newestFirst);
    ASSERT_EQ(q.repeats.size(), 2u);
    EXPECT_EQ(q.repeats[0].issue, "2026002");
    EXPECT_EQ(q.repeats[0].lines, (std::vector<int>{2, 7}));
    EXPECT_EQ(q.repeats[1].issue, "2026005");
    EXPECT_EQ(q.repeats[1].lines, (std::vector<int>{8, 9}));
    ASSERT_EQ(q.outOfOrder.size(), 2u);
    EXPECT_EQ(q.outOfOrder[0].line, 4);
    EXPECT_EQ(q.outOfOrder[0].previousLine, 3);
    EXPECT_EQ(q.outOfOrder[0].previousIssue, "2026009");
    EXPECT_EQ(q.outOfOrder[1].line, 7);
    EXPECT_EQ(q.outOfOrder[1].issue, "02026002");

    // Falling: a rise is what breaks it.
    const HistoryQuality f = historyQuality(historyOf({"2026005 111", "2026004 222", "2026006 333", "2026002 444", "2026001 555"}));
    ASSERT_EQ(f.outOfOrder.size(), 1u);
    EXPECT_EQ(f.outOfOrder[0].line, 3);
    EXPECT_TRUE(f.repeats.empty());

    EXPECT_TRUE(historyQuality(historyOf({"2026003 111", "2026002 222"})).clean());
    EXPECT_TRUE(historyQuality(historyOf({"2026003 111", "2026002 222"})).newestFirst);
    EXPECT_TRUE(historyQuality(historyOf({"111", "222", "2026001 333"})).clean());
}

TEST(HistoryOrder, QualityOfRandomHistoriesAgreesWithAPlainCount) {
    StateMaker make(2404);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> draws;
        const History h = readHistory(randomHistoryText(make, 1 + make.below(60), draws));
        const HistoryQuality q = historyQuality(h);
        std::map<long long, std::vector<int>> byIssue;
        for (const Draw& d : h.draws)
            if (!d.issue.empty()) byIssue[std::stoll(d.issue)].push_back(d.line);
        std::size_t repeated = 0;
        for (const auto& [issue, lines] : byIssue) repeated += lines.size() > 1;
        EXPECT_EQ(q.repeats.size(), repeated);
        for (const IssueRepeat& r : q.repeats) EXPECT_EQ(r.lines, byIssue[std::stoll(r.issue)]);
        // A history whose issues only rise or only fall and never repeat is clean.
        bool rising = true, falling = true;
        for (std::size_t i = 1; i < h.draws.size(); ++i) {
            if (h.draws[i].issue.empty() || h.draws[i - 1].issue.empty()) continue;
            rising = rising && std::stoll(h.draws[i].issue) > std::stoll(h.draws[i - 1].issue);
            falling = falling && std::stoll(h.draws[i].issue) < std::stoll(h.draws[i - 1].issue);
        }
        if (rising || falling) { EXPECT_TRUE(q.outOfOrder.empty()) << "round " << round; }
        if (!rising && !falling && repeated == 0) { EXPECT_FALSE(q.outOfOrder.empty()) << "round " << round; }
    }
}

}  // namespace
}  // namespace tarnel
