// Backtests limited to the last N draws or a range of issues, the CSV
// writer and the issue a slip is for, against plain reckoning over random
// histories, ranges, fields and issues.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_range.h"
#include "core/analysis/slip_heading.h"
#include "core/analysis/walk_forward.h"
#include "core/files/csv.h"
#include "core/files/history_order.h"
#include "core/rules/text.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::randomRule;
using testing::StateMaker;

// Histories of every shape a player pastes: issues rising, falling (newest
// first), repeated or out of order, some or all missing.
History randomHistory(StateMaker& make, int draws) {
    const int shape = make.below(5);
    std::string text;
    long long issue = 2026000 + make.below(50);
    for (int i = 0; i < draws; ++i) {
        const std::string number = numberText(make.below(1000), 3);
        std::string line;
        switch (shape) {
            case 0: line = std::to_string(issue + i) + " " + number; break;           // rising
            case 1: line = std::to_string(issue + 500 - i) + " " + number; break;     // newest first
            case 2: line = std::to_string(issue + make.below(draws + 1)) + " " + number; break;  // any order, repeats
            case 3: line = (make.chance(0.8) ? std::to_string(issue + i) + " " : std::string()) + number; break;
            default: line = number; break;                                            // no issues at all
        }
        text += line + "\n";
        if (make.chance(0.05)) text += "停售\n";
    }
    return readHistory(text);
}

std::string issueAtOrAny(StateMaker& make, const History& h) {
    if (!h.draws.empty() && make.chance(0.8)) return h.draws[std::size_t(make.below(int(h.draws.size())))].issue;
    static const char* const others[] = {"", "1999001", "20a6", " ", "-5", "２０２６"};
    return others[make.below(6)];
}

BacktestRange randomRange(StateMaker& make, const History& h) {
    BacktestRange r;
    r.kind = static_cast<RangeKind>(make.below(3));
    static const char* const lastTexts[] = {"", "0", "-3", "abc", " 5 ", "007", "99999999999999999999", "3.5"};
    r.last = make.chance(0.6) ? std::to_string(make.below(int(h.draws.size()) + 10)) : lastTexts[make.below(8)];
    r.from = issueAtOrAny(make, h);
    r.to = issueAtOrAny(make, h);
    return r;
}

std::string plainTrim(const std::string& s) {
    const auto a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

bool plainDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The draws a range takes, worked out by hand: the line indices, or nullopt when refused.
std::optional<std::set<std::size_t>> plainRange(const History& h, const BacktestRange& r) {
    // Time order: reversed when every draw has an issue and they strictly fall.
    std::vector<std::size_t> order;
    bool falling = !h.draws.empty();
    for (std::size_t i = 0; i < h.draws.size(); ++i) {
        order.push_back(i);
        if (!falling) continue;
        if (h.draws[i].issue.empty() || (i > 0 && !(std::stoll(h.draws[i].issue) < std::stoll(h.draws[i - 1].issue))))
            falling = false;
    }
    if (falling) std::reverse(order.begin(), order.end());
    std::set<std::size_t> taken;
    if (r.kind == RangeKind::All) {
        taken.insert(order.begin(), order.end());
        return taken;
    }
    if (r.kind == RangeKind::Last) {
        const std::string t = plainTrim(r.last);
        if (!plainDigits(t) || t.find_first_not_of('0') == std::string::npos) return std::nullopt;
        const unsigned long long n = t.size() > 15 ? ~0ULL : std::stoull(t);
        for (std::size_t k = 0; k < order.size(); ++k)
            if (order.size() - k <= n) taken.insert(order[k]);
        return taken;
    }
    const std::string from = plainTrim(r.from), to = plainTrim(r.to);
    if ((!from.empty() && !plainDigits(from)) || (!to.empty() && !plainDigits(to))) return std::nullopt;
    for (const Draw& d : h.draws)
        if (d.issue.empty()) return std::nullopt;
    long long a = -1, b = -1;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const long long issue = std::stoll(h.draws[order[k]].issue);
        if (a < 0 && (from.empty() || issue == std::stoll(from))) a = (long long)k;
        if (to.empty() || issue == std::stoll(to)) b = (long long)k;
    }
    if (order.empty()) return taken;
    if (a < 0 || b < 0 || a > b) return std::nullopt;
    for (long long k = a; k <= b; ++k) taken.insert(order[std::size_t(k)]);
    return taken;
}

TEST(BacktestRange, TakesWhatAPlainFilterTakesAndRefusesBadInputInWords) {
    StateMaker make(3801);
    int refused = 0, limited = 0;
    for (int round = 0; round < 3000; ++round) {
        const History h = randomHistory(make, make.below(40));
        const BacktestRange r = randomRange(make, h);
        const std::vector<std::size_t> order = timeOrder(h);
        const RangePick pick = pickBacktestRange(h, order, r);
        const std::optional<std::set<std::size_t>> want = plainRange(h, r);
        SCOPED_TRACE("round " + std::to_string(round) + " last '" + r.last + "' from '" + r.from + "' to '" + r.to + "'");
        ASSERT_EQ(pick.ok(), want.has_value()) << pick.error;
        EXPECT_EQ(pick.total, h.draws.size());
        if (!pick.ok()) {
            ++refused;
            EXPECT_NE(pick.error.find("期"), std::string::npos) << pick.error;
            continue;
        }
        std::set<std::size_t> got;
        for (std::size_t t = pick.first; t < pick.end; ++t) got.insert(order[t]);
        EXPECT_EQ(got, *want);
        if (!pick.whole()) ++limited;
        // The cut history without warm-up holds exactly the range, in line order.
        const History cut = cutHistory(h, order, pick, 0);
        std::vector<int> lines, wantLines;
        for (const Draw& d : cut.draws) lines.push_back(d.line);
        for (std::size_t i : got) wantLines.push_back(h.draws[i].line);
        EXPECT_EQ(lines, wantLines);
        EXPECT_EQ(historyIsNewestFirst(cut), historyIsNewestFirst(h)) << "the cut keeps the history's order";
    }
    EXPECT_GT(refused, 300);
    EXPECT_GT(limited, 300);
}

// A limited walk-forward backtest is the full one on the cut history, and
// also the whole history's walk read over the range alone.
TEST(BacktestRange, ALimitedWalkIsTheWalkOnTheCutHistoryAndTheWholeWalkOverTheRange) {
    StateMaker make(3802);
    int scored = 0, warmBefore = 0;
    for (int round = 0; round < 300; ++round) {
        MainConditions state = make.main(0.04);
        state.tolerance = make.chance(0.5) ? 0 : 1 + make.below(3);
        for (int i = make.below(4); i > 0; --i) state.rules.push_back(randomRule(make, 12));
        const History h = randomHistory(make, make.below(70));
        BacktestRange r = randomRange(make, h);
        const std::vector<std::size_t> order = timeOrder(h);
        const RangePick pick = pickBacktestRange(h, order, r);
        if (!pick.ok()) continue;
        const BetKind kind = make.chance(0.5) ? BetKind::Group : BetKind::Direct;
        MoneySettings money;
        money.price = 1 + make.below(3);
        const std::size_t lookBack = rulesLookBack(state.rules);
        const History cut = cutHistory(h, order, pick, lookBack);
        const WalkedBacktest limited = walkBacktest(state, cut, kind, money);
        const std::size_t from = pick.first - std::min(pick.first, lookBack);
        ASSERT_EQ(cut.draws.size(), pick.end - from);
        SCOPED_TRACE("round " + std::to_string(round));

        // The cut by hand: the draws in time order, without issues.
        const std::vector<int> numbers = drawsInTimeOrder(h);
        std::string text;
        for (std::size_t t = from; t < pick.end; ++t) text += numberText(numbers[t], 3) + "\n";
        const WalkedBacktest byHand = walkBacktest(state, readHistory(text), kind, money);
        EXPECT_EQ(limited.numbers, byHand.numbers);
        EXPECT_EQ(limited.warmup, byHand.warmup);
        EXPECT_EQ(limited.total, byHand.total);
        EXPECT_EQ(limited.kept, byHand.kept);
        EXPECT_EQ(limited.killsByRow, byHand.killsByRow);
        EXPECT_EQ(limited.money.hits, byHand.money.hits);
        EXPECT_EQ(limited.money.bets, byHand.money.bets);
        EXPECT_NEAR(limited.money.net, byHand.money.net, 1e-6);
        EXPECT_NEAR(limited.money.expectedHits, byHand.money.expectedHits, 1e-9);
        EXPECT_NEAR(limited.money.expectedWin, byHand.money.expectedWin, 1e-6);
        EXPECT_EQ(limited.money.longestMiss, byHand.money.longestMiss);
        EXPECT_EQ(limited.money.currentMiss, byHand.money.currentMiss);
        EXPECT_EQ(limited.nextBets, byHand.nextBets);

        // The whole history's walk over the range: the same draw for draw,
        // the same totals added up over the range alone.
        const WalkedBacktest whole = walkBacktest(state, h, kind, money);
        MoneyTally tally;
        int kept = 0, total = 0, inRangeWarmup = 0;
        for (std::size_t t = pick.first; t < pick.end; ++t) {
            const WalkedDraw& want = whole.draws[order[t]];
            const WalkedDraw& got = limited.draws[limited.timeOrder[t - from]];
            ASSERT_EQ(got.warmup, want.warmup) << "time " << t;
            if (want.warmup) {
                ++inRangeWarmup;
                continue;
            }
            EXPECT_EQ(got.survives, want.survives);
            EXPECT_EQ(got.money.bets, want.money.bets);
            EXPECT_EQ(got.money.hit, want.money.hit);
            EXPECT_DOUBLE_EQ(got.money.win, want.money.win);
            tally.add(want.money);
            kept += want.survives ? 1 : 0;
            ++total;
        }
        const MoneyTotals t = tally.totals(false);
        EXPECT_EQ(limited.total, total);
        EXPECT_EQ(limited.kept, kept);
        EXPECT_EQ(limited.warmup, int(pick.first - from) + inRangeWarmup) << "warm-up: the draws looked back on, then the range's own";
        EXPECT_EQ(limited.money.hits, t.hits);
        EXPECT_NEAR(limited.money.cost, t.cost, 1e-6);
        EXPECT_NEAR(limited.money.win, t.win, 1e-6);
        EXPECT_NEAR(limited.money.expectedHits, t.expectedHits, 1e-9);
        EXPECT_NEAR(limited.money.sdHits, t.sdHits, 1e-9);
        EXPECT_EQ(limited.money.longestMiss, t.longestMiss);
        EXPECT_EQ(limited.money.currentMiss, t.currentMiss);
        if (pick.end == pick.total) {
            EXPECT_EQ(limited.nextBets, whole.nextBets);
        }
        scored += total;
        warmBefore += int(pick.first - from);
    }
    EXPECT_GT(scored, 1000);
    EXPECT_GT(warmBefore, 100);
}

// Without rules every draw is bet on alike: the range's figures are the
// whole backtest's over its draws, the newest end found in either order.
TEST(BacktestRange, AFixedBacktestOfARangeIsTheWholeOneOverItsDraws) {
    StateMaker make(3803);
    for (int round = 0; round < 300; ++round) {
        const MainConditions state = make.main(0.05);
        const ShrinkInputs inputs = shrinkInputs(state);
        const History h = randomHistory(make, make.below(60));
        const std::vector<std::size_t> order = timeOrder(h);
        const RangePick pick = pickBacktestRange(h, order, randomRange(make, h));
        if (!pick.ok()) continue;
        const History cut = cutHistory(h, order, pick, 0);
        const Bets bets = mainBets(inputs, state.tolerance, BetKind::Direct);
        const MoneyReport limited = backtestMoney(cut, bets, {});
        const Backtest checks = backtestMain(inputs, state.tolerance, cut);
        const MoneyReport whole = backtestMoney(h, bets, {});
        const Backtest wholeChecks = backtestMain(inputs, state.tolerance, h);
        MoneyTally tally;
        std::size_t k = 0;
        std::vector<std::size_t> lines;
        for (std::size_t t = pick.first; t < pick.end; ++t) {
            tally.add(whole.draws[order[t]]);
            lines.push_back(order[t]);
        }
        std::sort(lines.begin(), lines.end());
        for (std::size_t i : lines) {
            EXPECT_EQ(checks.draws[k].survives, wholeChecks.draws[i].survives);
            EXPECT_EQ(checks.draws[k].draw.line, h.draws[i].line);
            ++k;
        }
        const MoneyTotals want = tally.totals(false);
        EXPECT_EQ(limited.totals.hits, want.hits) << round;
        EXPECT_NEAR(limited.totals.net, want.net, 1e-6);
        EXPECT_NEAR(limited.totals.expectedWin, want.expectedWin, 1e-6);
        EXPECT_EQ(limited.totals.longestMiss, want.longestMiss);
        EXPECT_EQ(limited.totals.currentMiss, want.currentMiss) << "round " << round;
    }
    // Issues out of order, with a stretch that falls: cut out, it keeps the
    // history's order (as read), not the order its own issues would suggest.
    const History h = readHistory("2026005 111\n2026004 222\n2026003 333\n2026006 444\n");
    const std::vector<std::size_t> order = timeOrder(h);
    BacktestRange r{RangeKind::Issues, "", "2026005", "2026003"};
    const RangePick pick = pickBacktestRange(h, order, r);
    ASSERT_TRUE(pick.ok()) << pick.error;
    const History cut = cutHistory(h, order, pick, 0);
    EXPECT_EQ(timeOrder(cut), (std::vector<std::size_t>{0, 1, 2}));
    r.from = "2026003";
    r.to = "2026005";
    EXPECT_EQ(pickBacktestRange(h, order, r).error, "起始期号 2026003 在结束期号 2026005 之后：请把较早的一期填在前面。");
}

TEST(BacktestRange, SaysWhatItTookAndWhatTheRulesLookBackOn) {
    const History h = readHistory("2026001 111\n2026002 222\n2026003 333\n2026004 444\n2026005 555\n");
    const std::vector<std::size_t> order = timeOrder(h);
    const BacktestRange last{RangeKind::Last, "2", "", ""};
    const RangePick pick = pickBacktestRange(h, order, last);
    EXPECT_EQ(rangeDescription(h, order, last, pick, 0),
              "验证最近 2 期：2026004 期至 2026005 期。盈亏和与随机投注的比较只按这个范围计算。");
    EXPECT_EQ(rangeDescription(h, order, last, pick, 5),
              "验证最近 2 期：2026004 期至 2026005 期；动态条件另回看此前 3 期，这些期只作预热，不计入统计，"
              "范围内最早的 2 期之前开奖期数不够动态条件回看，也是预热期。盈亏和与随机投注的比较只按这个范围计算。");
    EXPECT_EQ(cutHistory(h, order, pick, 5).draws.size(), 5u);
    EXPECT_EQ(cutHistory(h, order, pick, 1).draws.front().issue, "2026003");
    const BacktestRange issues{RangeKind::Issues, "", "2026002", "2026002"};
    EXPECT_EQ(rangeDescription(h, order, issues, pickBacktestRange(h, order, issues), 0),
              "验证 2026002 期，共 1 期。盈亏和与随机投注的比较只按这个范围计算。");
    EXPECT_EQ(pickBacktestRange(h, order, {RangeKind::Issues, "", "2026009", ""}).error,
              "起始期号 2026009 不在开奖历史中（开奖历史从 2026001 期到 2026005 期）。");
    const History noIssues = readHistory("2026001 111\n222\n");
    EXPECT_EQ(pickBacktestRange(noIssues, timeOrder(noIssues), issues).error,
              "开奖历史第 2 行的开奖号码没有期号：按期号范围验证需要每期都有期号，可以改用“最近 N 期”。");
    EXPECT_EQ(pickBacktestRange(h, order, {RangeKind::Last, "0", "", ""}).error, "最近期数至少为 1 期。");
    EXPECT_EQ(pickBacktestRange(h, order, {RangeKind::Last, "二十期以及更多的期数都要算进去", "", ""}).error,
              "“二十期以及更多的期数都要算进去”不是期数：最近期数只能填 1 以上的整数。");
}

// ---- CSV -----------------------------------------------------------------------

// RFC 4180 read by hand: records end with CR LF; a quoted field runs to the
// quote not doubled.
std::vector<std::vector<std::string>> parseCsv(const std::string& text, bool* wellFormed) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    *wellFormed = true;
    std::size_t i = 0;
    bool quoted = false, fieldStart = true;
    while (i < text.size()) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                i += 2;
            } else if (c == '"') {
                quoted = false;
                ++i;
            } else {
                field += c;
                ++i;
            }
            continue;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
            fieldStart = false;
            ++i;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            fieldStart = true;
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            fieldStart = true;
            i += 2;
        } else if (c == '\r' || c == '\n' || c == '"') {
            *wellFormed = false;  // a bare line end or a stray quote outside quotes
            ++i;
        } else {
            field += c;
            fieldStart = false;
            ++i;
        }
    }
    if (quoted || !row.empty() || !field.empty()) *wellFormed = false;  // the last record must end with CR LF
    return rows;
}

TEST(Csv, RandomFieldsReadBackExactlyWithTheMarkAndCrLf) {
    StateMaker make(3804);
    static const char* const pieces[] = {"a", "1", ",", "\"", "\r", "\n", "\r\n", " ", "期号", "盈亏", "-12.5", "“", ""};
    for (int round = 0; round < 500; ++round) {
        std::vector<std::vector<std::string>> rows(std::size_t(1 + make.below(6)));
        CsvWriter csv;
        for (auto& row : rows) {
            row.resize(std::size_t(1 + make.below(5)));
            for (std::string& f : row)
                for (int k = make.below(6); k > 0; --k) f += pieces[make.below(13)];
            csv.row(row);
        }
        const std::string text = csv.text();
        ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        bool good = false;
        EXPECT_EQ(parseCsv(text.substr(3), &good), rows) << "round " << round;
        EXPECT_TRUE(good) << "round " << round;
    }
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("plain"), "plain");
    CsvWriter w;
    w.row({"期号", "盈亏"});
    EXPECT_EQ(w.text(), "\xEF\xBB\xBF期号,盈亏\r\n");
}

// ---- the issue a slip is for --------------------------------------------------

TEST(SlipIssue, TheNextIssueIsTheNumberInTheYearPlusOne) {
    EXPECT_EQ(nextIssue(Lottery::Fc3d, "2026224"), "2026225");
    EXPECT_EQ(nextIssue(Lottery::Pl3, "26224"), "26225");
    EXPECT_EQ(nextIssue(Lottery::Fc3d, "26224"), "");
    EXPECT_EQ(nextIssue(Lottery::Pl3, "2026224"), "");
    EXPECT_EQ(nextIssue(Lottery::Pl3, "2622a"), "");
    StateMaker make(3805);
    for (int round = 0; round < 2000; ++round) {
        const Lottery lottery = make.chance(0.5) ? Lottery::Fc3d : Lottery::Pl3;
        const int years = lottery == Lottery::Fc3d ? 10000 : 100;
        const long long year = make.below(years), number = make.below(1000);
        long long next = year * 1000 + number + 1;
        if (number >= 999) next = (year + 1) % years * 1000 + 1;
        char issue[16], want[16];
        const int width = lottery == Lottery::Fc3d ? 7 : 5;
        std::snprintf(issue, sizeof issue, "%0*lld", width, year * 1000 + number);
        std::snprintf(want, sizeof want, "%0*lld", width, next);
        EXPECT_EQ(nextIssue(lottery, issue), want) << issue;
    }
}

TEST(SlipIssue, TheLatestIssueIsTheLotterysHighestAndATypedIssueIsChecked) {
    const History h = readHistory("2026224 123\n26230 456\n2026223 789\n582\n2026100 000\n");
    EXPECT_EQ(latestIssue(h, Lottery::Fc3d), "2026224");
    EXPECT_EQ(latestIssue(h, Lottery::Pl3), "26230");
    EXPECT_EQ(latestIssue(readHistory("582\n"), Lottery::Fc3d), "");
    EXPECT_EQ(slipIssueError(Lottery::Fc3d, ""), "");
    EXPECT_EQ(slipIssueError(Lottery::Fc3d, "2026225"), "");
    EXPECT_EQ(slipIssueError(Lottery::Fc3d, "26225"), "期号有 5 位：福彩3D的期号是 7 位数字，如 2026225。");
    EXPECT_EQ(slipIssueError(Lottery::Pl3, "2622x"), "期号只能由数字 0–9 组成：排列三的期号是 5 位数字，如 26225。");
    EXPECT_EQ(slipHeading(Lottery::Fc3d, "2026225"), "福彩3D 第2026225期");
    EXPECT_EQ(slipHeading(Lottery::Pl3, ""), "排列三");
}

}  // namespace
}  // namespace tarnel
