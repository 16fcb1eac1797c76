#pragma once
// Searching for rules that follow past draws (条件寻优), honestly.
//
// A search tries a fixed list of candidate rules on the older part of a
// history (the training draws) and keeps the best few, chosen greedily by
// how far their walk-forward hits lie above what random bets of the same
// size would have hit. What it finds always looks good on the draws it was
// chosen on, so the rules are then scored on the newest draws, which the
// search never saw (the holdout), and the very same search is run on
// histories drawn uniformly at random: how often pure chance does as well
// is the p value.
//
// Draws are numbers 0..999 in time order, oldest first. Everything here is
// deterministic: the same draws and seed give the same result on every
// machine, with any number of threads (each null run draws its history from
// a seed of its own, and its figures are placed by its run index).

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/analysis/backtest_money.h"
#include "core/state/past_draw_rule.h"

namespace tarnel {

// The candidates, in the order ties are broken by: for each measure,
// "kill the values of the last d draws" for d = 1, 2, 3, 5, 10; then for
// each measure, "values whose omission over 100 draws lies in [a, b]" for
// the bins [0,0] [1,2] [3,5] [6,10] [11,20] [21,100], kill then keep.
inline constexpr int kSearchCandidateCount = 204;
const std::vector<PastDrawRule>& searchCandidates();

// A rule set scored on a range of draws, walk-forward, with direct bets:
// the draws before which every rule is ready are scored; `bets` is the sum
// of the survivors over them (1000 × Σp) and `spread` the sum of
// k × (1000 − k) over their survivor counts k (10⁶ × Σp(1 − p)). Kept as
// whole numbers, so that every figure below comes out the same everywhere.
struct SearchScore {
    long long scored = 0;
    long long hits = 0;
    long long bets = 0;
    long long spread = 0;

    double expectedHits() const { return static_cast<double>(bets) / 1000.0; }
    double sdHits() const { return std::sqrt(static_cast<double>(spread)) / 1000.0; }
    // (hits − expected) / sd; 0 when nothing is scored or the sd is 0.
    double z() const {
        if (scored == 0 || spread == 0) return 0;
        return static_cast<double>(hits * 1000 - bets) / std::sqrt(static_cast<double>(spread));
    }
    bool operator==(const SearchScore&) const = default;
};

// The draws kept out of the search: ⌊f·n + 0.5⌋ (0 <= result <= n).
std::size_t holdoutDrawCount(std::size_t draws, double share);

// A rule set on the draws [begin, end) of `draws`, looking back into the
// draws before `begin` as it must.
SearchScore scoreRules(std::span<const int> draws, std::span<const PastDrawRule> rules, std::size_t begin,
                       std::size_t end);

// One greedy step: the training score with each candidate added to the
// rules chosen before it (`scored` is -1 for a candidate already chosen),
// and the candidate taken (-1 when none raised the training z).
struct SearchStep {
    std::vector<SearchScore> candidates;
    int chosen = -1;
};

// One search without null runs: the candidates chosen (indices into
// searchCandidates(), in the order chosen) and their scores.
struct SearchOutcome {
    std::vector<int> chosen;
    SearchScore training, holdout;
    std::vector<SearchStep> steps;  // only when asked for
};
SearchOutcome searchOnce(std::span<const int> draws, std::size_t holdoutDraws, int maxRules, bool keepSteps = false);

struct SearchSettings {
    double holdout = 0.3;     // the share of the newest draws kept out, in (0, 1)
    int maxRules = 2;         // 1..kSearchMaxRules
    int nullRuns = 99;        // 0..kSearchMaxNullRuns
    std::uint64_t seed = 1;
};
inline constexpr int kSearchMaxRules = 5;
inline constexpr int kSearchMaxNullRuns = 9999;

// Shared with a search running on other threads: set `cancel` to stop it
// after the null runs under way; `nullDone` counts the null runs finished.
struct SearchControl {
    std::atomic<bool> cancel{false};
    std::atomic<int> nullDone{0};
};

struct SearchResult {
    std::size_t draws = 0, trainingDraws = 0, holdoutDraws = 0;
    std::vector<PastDrawRule> rules;
    SearchScore training, holdout;
    int nullRuns = 0;
    // The null runs' z, by run index (NaN for a run not done when cancelled).
    std::vector<double> nullTrainingZ, nullHoldoutZ;
    // (1 + null runs at least as good) / (null runs + 1).
    double pTraining = 1, pHoldout = 1;
    // Null runs whose training (holdout) z is at least ours.
    int nullAtLeastTraining = 0, nullAtLeastHoldout = 0;
    bool cancelled = false;
};

// The whole search. threads 0: as many as the machine has.
SearchResult searchRules(std::span<const int> draws, const SearchSettings& settings, unsigned threads = 0,
                         SearchControl* control = nullptr);

// Null run `run` (0-based) of seed S: its seed is output run + 1 of
// splitmix64 started at S, fed to std::mt19937_64; each draw takes 64-bit
// outputs until one falls below the largest multiple of 1000 (so that every
// number is equally likely) and is that output mod 1000.
std::uint64_t nullRunSeed(std::uint64_t seed, int run);
std::vector<int> nullHistory(std::size_t draws, std::uint64_t seed, int run);

// What the scored draws of a score would have cost and won with direct bets
// (a search bets every survivor as 直选), beside random bets of the same size.
struct SearchMoney {
    double cost = 0, win = 0, net = 0;
    double expectedWin = 0;  // random bets of the same sizes, on average
    double sdWin = 0;        // and the spread of their win
};
SearchMoney searchMoney(const SearchScore& score, const MoneySettings& money);

// A p value as the verdict writes it: two decimals from 0.1 up ("0.42"),
// below that two significant digits ("0.05", "0.0099", "0.0001").
std::string pValueText(double p);

// The verdict in one sentence: the holdout's hits against chance, and how
// often the same search on pure chance did as well, e.g.
// "在未参与寻优的 2283 期中，中 231 期，随机投注同样注数平均中 228.6 期（±14.2）；
// 在纯随机的开奖上重复同样的寻优 99 次，有 41 次不比这次差（p = 0.42）：与碰运气无异。"
// It ends by p_holdout: above 0.05 "与碰运气无异"; above 0.01 "可能不只是运气，
// 但证据不强，宜在以后的开奖上继续检验"; from 0.01 down "很难用运气解释，
// 但过去的规律不保证以后还有效". Without rules, without holdout draws or
// without null runs it says so instead.
std::string searchVerdict(const SearchResult& result);

}  // namespace tarnel
