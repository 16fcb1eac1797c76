#include "core/analysis/rule_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <limits>
#include <random>
#include <thread>

#include "core/rules/number_pool.h"
#include "core/state/past_draw_rules.h"

// The scoring loops spend their time counting bits; where the loader can
// pick a version by the processor, a second one uses its popcnt instruction.
// Both count the same, so the answer does not depend on which runs.
#if defined(__x86_64__) && defined(__linux__) && (defined(__GNUC__) || defined(__clang__))
#define TARNEL_COUNTING_CLONES __attribute__((target_clones("popcnt", "default")))
#else
#define TARNEL_COUNTING_CLONES
#endif

namespace tarnel {

namespace {

constexpr std::array<int, 5> kRecentDraws = {1, 2, 3, 5, 10};
constexpr int kOmissionDraws = 100;
struct Bin {
    int min, max;
};
constexpr std::array<Bin, 6> kOmissionBins = {{{0, 0}, {1, 2}, {3, 5}, {6, 10}, {11, 20}, {21, 100}}};
constexpr int kRecentCandidates = kRuleMeasureCount * int(kRecentDraws.size());
static_assert(kRecentCandidates + kRuleMeasureCount * int(kOmissionBins.size()) * 2 == kSearchCandidateCount);

using Words = NumberWords;

// ---- tables shared by every search ---------------------------------------------

// The numbers of each value of the measures with one value per number (all
// but digits), one block of classes per measure.
struct ValueClasses {
    std::array<int, kRuleMeasureCount> offset{};  // -1 for digits
    int count = 0;
    std::vector<Words> sets;
    std::vector<int> sizes;
    // For every set of digits (bit d for digit d), the numbers without any
    // of them.
    std::vector<Words> withoutDigits;
};

const ValueClasses& valueClasses() {
    static const ValueClasses classes = [] {
        ValueClasses c;
        for (int m = 0; m < kRuleMeasureCount; ++m) {
            if (static_cast<RuleMeasure>(m) == RuleMeasure::Digits) {
                c.offset[std::size_t(m)] = -1;
                continue;
            }
            c.offset[std::size_t(m)] = c.count;
            c.count += kRuleMeasures[std::size_t(m)].values;
        }
        c.sets.assign(std::size_t(c.count), Words{});
        c.sizes.assign(std::size_t(c.count), 0);
        for (int m = 0; m < kRuleMeasureCount; ++m) {
            const int off = c.offset[std::size_t(m)];
            if (off < 0) continue;
            for (int n = 0; n < 1000; ++n) {
                const int v = std::countr_zero(measureValues(static_cast<RuleMeasure>(m), n));
                c.sets[std::size_t(off + v)][std::size_t(n / 64)] |= std::uint64_t(1) << (n % 64);
                ++c.sizes[std::size_t(off + v)];
            }
        }
        c.withoutDigits.assign(1024, Words{});
        for (std::uint32_t v = 0; v < 1024; ++v)
            for (int n = 0; n < 1000; ++n)
                if ((measureValues(RuleMeasure::Digits, n) & v) == 0)
                    c.withoutDigits[v][std::size_t(n / 64)] |= std::uint64_t(1) << (n % 64);
        return c;
    }();
    return classes;
}

// What the scoring loop needs of a candidate.
struct CandidateInfo {
    int measure;
    int draws;
    int offset;  // into the value classes; -1 for digits
    bool kill;
};

const std::array<CandidateInfo, kSearchCandidateCount>& candidateInfo() {
    static const auto info = [] {
        std::array<CandidateInfo, kSearchCandidateCount> a{};
        const ValueClasses& classes = valueClasses();
        const std::vector<PastDrawRule>& rules = searchCandidates();
        for (std::size_t c = 0; c < a.size(); ++c) {
            const int m = static_cast<int>(rules[c].measure);
            a[c] = {m, rules[c].draws, classes.offset[std::size_t(m)], rules[c].action == RuleAction::Kill};
        }
        return a;
    }();
    return info;
}

// ---- one history, ready to be searched ------------------------------------------

// Each candidate's value set for each draw, worked out once in one sweep
// (all candidates of a measure share the sweep: the recent ones grow one
// draw at a time, the omission bins share one omission per value).
// Row t holds the values for betting on draw t, looking at draws before it.
struct DrawTable {
    std::size_t n = 0;
    std::vector<int> draws;
    std::vector<std::uint32_t> measures;  // n × 12: the values of draw t
    std::vector<std::uint32_t> values;    // n × 204

    void build(std::span<const int> history) {
        n = history.size();
        draws.assign(history.begin(), history.end());
        measures.assign(n * kRuleMeasureCount, 0);
        values.assign(n * kSearchCandidateCount, 0);
        for (std::size_t t = 0; t < n; ++t)
            for (int m = 0; m < kRuleMeasureCount; ++m)
                measures[t * kRuleMeasureCount + std::size_t(m)] = measureValues(static_cast<RuleMeasure>(m), draws[t]);

        static const std::array<std::uint8_t, kOmissionDraws + 1> binOf = [] {
            std::array<std::uint8_t, kOmissionDraws + 1> b{};
            for (std::size_t i = 0; i < kOmissionBins.size(); ++i)
                for (int o = kOmissionBins[i].min; o <= kOmissionBins[i].max; ++o) b[std::size_t(o)] = std::uint8_t(i);
            return b;
        }();
        std::array<std::array<long long, 32>, kRuleMeasureCount> last;
        for (auto& l : last) l.fill(-1);
        for (std::size_t t = 0; t < n; ++t) {
            std::uint32_t* row = &values[t * kSearchCandidateCount];
            for (int m = 0; m < kRuleMeasureCount; ++m) {
                const auto mi = std::size_t(m);
                // Recent: the union over the last d draws, d growing.
                std::uint32_t seen = 0;
                int d = 0;
                for (std::size_t k = 0; k < kRecentDraws.size(); ++k) {
                    if (std::size_t(kRecentDraws[k]) > t) break;
                    for (; d < kRecentDraws[k]; ++d) seen |= measures[(t - 1 - std::size_t(d)) * kRuleMeasureCount + mi];
                    row[mi * kRecentDraws.size() + k] = seen;
                }
                // Omission over the last 100 draws: every value falls in one bin.
                if (t >= std::size_t(kOmissionDraws)) {
                    std::array<std::uint32_t, kOmissionBins.size()> bins{};
                    const int range = kRuleMeasures[mi].values;
                    for (int v = 0; v < range; ++v) {
                        const long long at = last[mi][std::size_t(v)];
                        const long long ago = at < 0 ? kOmissionDraws : static_cast<long long>(t) - 1 - at;
                        bins[binOf[std::size_t(std::min<long long>(ago, kOmissionDraws))]] |= std::uint32_t(1) << v;
                    }
                    const std::size_t first = kRecentCandidates + mi * kOmissionBins.size() * 2;
                    for (std::size_t b = 0; b < bins.size(); ++b) row[first + 2 * b] = row[first + 2 * b + 1] = bins[b];
                }
            }
            // Draw t joins the past of the draws after it.
            for (int m = 0; m < kRuleMeasureCount; ++m)
                for (std::uint32_t v = measures[t * kRuleMeasureCount + std::size_t(m)]; v; v &= v - 1)
                    last[std::size_t(m)][std::size_t(std::countr_zero(v))] = static_cast<long long>(t);
        }
    }
};

inline int countBoth(const Words& a, const Words& b) {
    int count = 0;
    for (std::size_t w = 0; w < kNumberWordCount; ++w) count += std::popcount(a[w] & b[w]);
    return count;
}

// The numbers a candidate kills, for its value set.
Words candidateKills(const CandidateInfo& info, std::uint32_t values) {
    const ValueClasses& classes = valueClasses();
    Words having{};
    if (info.offset < 0) {
        having = classes.withoutDigits[values];
        for (std::size_t w = 0; w < kNumberWordCount; ++w) having[w] = ~having[w] & numberWordMask(w);
    } else {
        for (std::uint32_t v = values; v; v &= v - 1) {
            const Words& s = classes.sets[std::size_t(info.offset + std::countr_zero(v))];
            for (std::size_t w = 0; w < kNumberWordCount; ++w) having[w] |= s[w];
        }
    }
    if (!info.kill)
        for (std::size_t w = 0; w < kNumberWordCount; ++w) having[w] = ~having[w] & numberWordMask(w);
    return having;
}

struct Tally {
    long long scored = 0, hits = 0, bets = 0, spread = 0;
};

// One greedy step over the training draws [0, end): each candidate not yet
// chosen is scored together with the chosen ones. Per draw the survivors W
// of the chosen rules are counted by value class once; a candidate's
// survivors then follow from the counts of its values (the digits measure,
// whose classes overlap, from one count against a table).
TARNEL_COUNTING_CLONES
void scoreStep(const DrawTable& table, std::size_t end, const std::vector<int>& chosen, std::vector<Tally>& tallies) {
    const ValueClasses& classes = valueClasses();
    const auto& info = candidateInfo();
    tallies.assign(kSearchCandidateCount, Tally{});
    std::array<bool, kSearchCandidateCount> taken{};
    std::size_t start = 0;
    for (int c : chosen) {
        taken[std::size_t(c)] = true;
        start = std::max(start, std::size_t(info[std::size_t(c)].draws));
    }
    std::vector<int> hist(classes.sizes);
    Words survivors{};
    for (std::size_t w = 0; w < kNumberWordCount; ++w) survivors[w] = numberWordMask(w);
    int survivorCount = 1000;
    std::array<std::uint32_t, kSearchMaxRules> chosenValues{};
    bool haveHist = chosen.empty();

    for (std::size_t t = start; t < end; ++t) {
        const std::uint32_t* row = &table.values[t * kSearchCandidateCount];
        const std::uint32_t* drawValues = &table.measures[t * kRuleMeasureCount];
        if (!chosen.empty()) {
            bool same = haveHist;
            for (std::size_t i = 0; i < chosen.size(); ++i) same = same && chosenValues[i] == row[chosen[i]];
            if (!same) {
                for (std::size_t w = 0; w < kNumberWordCount; ++w) survivors[w] = numberWordMask(w);
                for (std::size_t i = 0; i < chosen.size(); ++i) {
                    chosenValues[i] = row[chosen[i]];
                    const Words kills = candidateKills(info[std::size_t(chosen[i])], chosenValues[i]);
                    for (std::size_t w = 0; w < kNumberWordCount; ++w) survivors[w] &= ~kills[w];
                }
                survivorCount = 0;
                for (std::size_t w = 0; w < kNumberWordCount; ++w) survivorCount += std::popcount(survivors[w]);
                for (int k = 0; k < classes.count; ++k) hist[std::size_t(k)] = countBoth(survivors, classes.sets[std::size_t(k)]);
                haveHist = true;
            }
        }
        const int draw = table.draws[t];
        const bool drawSurvives = (survivors[std::size_t(draw / 64)] >> (draw % 64)) & 1;
        for (std::size_t c = 0; c < kSearchCandidateCount; ++c) {
            const CandidateInfo& ci = info[c];
            if (taken[c] || t < std::size_t(ci.draws)) continue;
            const std::uint32_t v = row[c];
            int having;  // survivors of the chosen rules with a value in v
            if (ci.offset < 0) {
                having = survivorCount - countBoth(survivors, classes.withoutDigits[v]);
            } else {
                having = 0;
                for (std::uint32_t b = v; b; b &= b - 1) having += hist[std::size_t(ci.offset + std::countr_zero(b))];
            }
            const long long k = ci.kill ? survivorCount - having : having;
            const bool drawHas = (drawValues[ci.measure] & v) != 0;
            Tally& tally = tallies[c];
            ++tally.scored;
            tally.hits += (drawSurvives && drawHas != ci.kill) ? 1 : 0;
            tally.bets += k;
            tally.spread += k * (1000 - k);
        }
    }
}

SearchOutcome searchTable(const DrawTable& table, std::size_t holdoutDraws, int maxRules, bool keepSteps) {
    const std::vector<PastDrawRule>& candidates = searchCandidates();
    const std::size_t trainingEnd = table.n - std::min(holdoutDraws, table.n);
    SearchOutcome out;
    std::vector<Tally> tallies;
    double current = 0;  // the empty set scores z = 0
    while (int(out.chosen.size()) < maxRules) {
        scoreStep(table, trainingEnd, out.chosen, tallies);
        SearchStep step;
        step.candidates.resize(kSearchCandidateCount);
        int best = -1;
        double bestZ = current;
        for (std::size_t c = 0; c < kSearchCandidateCount; ++c) {
            if (std::find(out.chosen.begin(), out.chosen.end(), int(c)) != out.chosen.end()) {
                step.candidates[c].scored = -1;
                continue;
            }
            const Tally& t = tallies[c];
            step.candidates[c] = {t.scored, t.hits, t.bets, t.spread};
            const double z = step.candidates[c].z();
            if (z > bestZ) {
                best = int(c);
                bestZ = z;
            }
        }
        step.chosen = best;
        if (keepSteps) out.steps.push_back(std::move(step));
        if (best < 0) break;
        out.chosen.push_back(best);
        current = bestZ;
    }
    std::vector<PastDrawRule> rules;
    for (int c : out.chosen) rules.push_back(candidates[std::size_t(c)]);
    out.training = scoreRules(table.draws, rules, 0, trainingEnd);
    out.holdout = scoreRules(table.draws, rules, trainingEnd, table.n);
    return out;
}

std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void drawNullHistory(std::vector<int>& out, std::size_t draws, std::uint64_t seed, int run) {
    std::mt19937_64 engine(nullRunSeed(seed, run));
    // Outputs at or above the largest multiple of 1000 are drawn again.
    constexpr std::uint64_t kAccept = std::numeric_limits<std::uint64_t>::max() -
                                      std::numeric_limits<std::uint64_t>::max() % 1000;
    out.resize(draws);
    for (std::size_t i = 0; i < draws; ++i) {
        std::uint64_t x;
        do x = engine();
        while (x >= kAccept);
        out[i] = static_cast<int>(x % 1000);
    }
}

}  // namespace

const std::vector<PastDrawRule>& searchCandidates() {
    static const std::vector<PastDrawRule> list = [] {
        std::vector<PastDrawRule> l;
        for (const RuleMeasureInfo& m : kRuleMeasures)
            for (int d : kRecentDraws) l.push_back({m.measure, RuleSource::Recent, d, 0, 0, RuleAction::Kill});
        for (const RuleMeasureInfo& m : kRuleMeasures)
            for (const Bin& b : kOmissionBins)
                for (RuleAction a : {RuleAction::Kill, RuleAction::Keep})
                    l.push_back({m.measure, RuleSource::Omission, kOmissionDraws, b.min, b.max, a});
        return l;
    }();
    return list;
}

std::size_t holdoutDrawCount(std::size_t draws, double share) {
    const double h = std::floor(share * static_cast<double>(draws) + 0.5);
    if (!(h > 0)) return 0;
    return std::min(draws, static_cast<std::size_t>(h));
}

TARNEL_COUNTING_CLONES
SearchScore scoreRules(std::span<const int> draws, std::span<const PastDrawRule> rules, std::size_t begin,
                       std::size_t end) {
    SearchScore score;
    end = std::min(end, draws.size());
    RuleTracker tracker({rules.begin(), rules.end()});
    for (std::size_t t = 0; t < end; ++t) {
        if (t >= begin && tracker.allReady()) {
            NumberSet killed;
            for (std::size_t i = 0; i < rules.size(); ++i) killed |= tracker.kills(i);
            const long long k = 1000 - static_cast<long long>(killed.count());
            ++score.scored;
            score.hits += killed.test(std::size_t(draws[t])) ? 0 : 1;
            score.bets += k;
            score.spread += k * (1000 - k);
        }
        tracker.add(draws[t]);
    }
    return score;
}

SearchOutcome searchOnce(std::span<const int> draws, std::size_t holdoutDraws, int maxRules, bool keepSteps) {
    DrawTable table;
    table.build(draws);
    return searchTable(table, holdoutDraws, maxRules, keepSteps);
}

std::uint64_t nullRunSeed(std::uint64_t seed, int run) {
    std::uint64_t state = seed + static_cast<std::uint64_t>(run) * 0x9E3779B97F4A7C15ULL;
    return splitmix64(state);
}

std::vector<int> nullHistory(std::size_t draws, std::uint64_t seed, int run) {
    std::vector<int> out;
    drawNullHistory(out, draws, seed, run);
    return out;
}

SearchResult searchRules(std::span<const int> draws, const SearchSettings& settings, unsigned threads,
                         SearchControl* control) {
    SearchResult r;
    r.draws = draws.size();
    r.holdoutDraws = holdoutDrawCount(draws.size(), settings.holdout);
    r.trainingDraws = r.draws - r.holdoutDraws;
    r.nullRuns = std::max(0, settings.nullRuns);
    const int maxRules = std::clamp(settings.maxRules, 1, kSearchMaxRules);

    const SearchOutcome ours = searchOnce(draws, r.holdoutDraws, maxRules);
    for (int c : ours.chosen) r.rules.push_back(searchCandidates()[std::size_t(c)]);
    r.training = ours.training;
    r.holdout = ours.holdout;

    const double nan = std::numeric_limits<double>::quiet_NaN();
    r.nullTrainingZ.assign(std::size_t(r.nullRuns), nan);
    r.nullHoldoutZ.assign(std::size_t(r.nullRuns), nan);
    std::atomic<int> next{0};
    const auto work = [&] {
        DrawTable table;
        std::vector<int> history;
        for (;;) {
            if (control && control->cancel.load(std::memory_order_relaxed)) return;
            const int run = next.fetch_add(1);
            if (run >= r.nullRuns) return;
            drawNullHistory(history, draws.size(), settings.seed, run);
            table.build(history);
            const SearchOutcome o = searchTable(table, r.holdoutDraws, maxRules, false);
            r.nullTrainingZ[std::size_t(run)] = o.training.z();
            r.nullHoldoutZ[std::size_t(run)] = o.holdout.z();
            if (control) control->nullDone.fetch_add(1);
        }
    };
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = std::min<unsigned>(threads, static_cast<unsigned>(std::max(1, r.nullRuns)));
    {
        std::vector<std::jthread> helpers;
        for (unsigned i = 1; i < threads; ++i) helpers.emplace_back(work);
        work();
    }

    r.cancelled = control && control->cancel.load();
    const double trainingZ = r.training.z(), holdoutZ = r.holdout.z();
    int done = 0;
    for (int i = 0; i < r.nullRuns; ++i) {
        const double t = r.nullTrainingZ[std::size_t(i)], h = r.nullHoldoutZ[std::size_t(i)];
        if (std::isnan(t)) continue;
        ++done;
        r.nullAtLeastTraining += t >= trainingZ ? 1 : 0;
        r.nullAtLeastHoldout += h >= holdoutZ ? 1 : 0;
    }
    r.pTraining = double(1 + r.nullAtLeastTraining) / double(done + 1);
    r.pHoldout = double(1 + r.nullAtLeastHoldout) / double(done + 1);
    return r;
}

SearchMoney searchMoney(const SearchScore& score, const MoneySettings& money) {
    SearchMoney m;
    m.cost = static_cast<double>(score.bets) * money.price;
    m.win = static_cast<double>(score.hits) * money.direct;
    m.net = m.win - m.cost;
    m.expectedWin = score.expectedHits() * money.direct;
    m.sdWin = score.sdHits() * money.direct;
    return m;
}

namespace {

std::string fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

}  // namespace

std::string pValueText(double p) {
    if (!std::isfinite(p)) return "-";
    if (p >= 0.1 || p <= 0) return fixed(p, 2);
    int decimals = 2;
    while (decimals < 12 && p * std::pow(10.0, decimals) < 9.95) ++decimals;
    std::string text = fixed(p, decimals);
    while (text.back() == '0') text.pop_back();
    return text;
}

std::string searchVerdict(const SearchResult& r) {
    if (r.rules.empty())
        return "在参与寻优的 " + std::to_string(r.training.scored) +
               " 期中，没有哪一条候选条件比随机投注同样注数中得更多：没有找到可用的条件。";
    const SearchScore& h = r.holdout;
    if (h.scored == 0) return "没有未参与寻优的开奖可以检验找到的条件：在参与寻优的开奖上看起来好，不说明以后也好。";
    std::string s = "在未参与寻优的 " + std::to_string(h.scored) + " 期中，中 " + std::to_string(h.hits) +
                    " 期，随机投注同样注数平均中 " + fixed(h.expectedHits(), 1) + " 期（±" + fixed(h.sdHits(), 1) + "）；";
    int done = 0;
    for (double z : r.nullHoldoutZ) done += std::isnan(z) ? 0 : 1;
    if (done == 0) return s + "没有在纯随机的开奖上重复寻优，无法判断这是否胜过碰运气。";
    s += "在纯随机的开奖上重复同样的寻优 " + std::to_string(done) + " 次，有 " + std::to_string(r.nullAtLeastHoldout) +
         " 次不比这次差（p = " + pValueText(r.pHoldout) + "）：";
    if (r.pHoldout > 0.05) return s + "与碰运气无异。";
    if (r.pHoldout > 0.01) return s + "可能不只是运气，但证据不强，宜在以后的开奖上继续检验。";
    return s + "很难用运气解释，但过去的规律不保证以后还有效。";
}

}  // namespace tarnel
