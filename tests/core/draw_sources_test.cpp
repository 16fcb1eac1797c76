// Draw sources and the merge by issue: each source's answer and its faults,
// and cross-checks over random inputs against plain reference readings
// (answers written out by hand, the merge and the update walk done with a
// std::map, the first date of a line found with std::regex).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/files/draw_merge.h"
#include "core/files/draw_sources.h"
#include "core/files/history.h"

namespace tarnel {
namespace {

// --- answers written by hand, as the sources write them -------------------

struct ModelDraw {
    std::string issue, date, number;
};

std::string answer3d(const std::vector<ModelDraw>& draws, int state = 0, const std::string& message = "查询成功") {
    std::string s = "{\"state\":" + std::to_string(state) + ",\"message\":\"" + message + "\",\"total\":9,\"result\":[";
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const ModelDraw& d = draws[i];
        s += (i ? "," : "") + std::string("{\"name\":\"3d\",\"code\":\"") + d.issue + "\",\"date\":\"" + d.date +
             "(六)\",\"red\":\"" + d.number.substr(0, 1) + "," + d.number.substr(1, 1) + "," + d.number.substr(2, 1) +
             "\",\"blue\":\"\",\"sales\":\"12345678\"}";
    }
    return s + "]}";
}

std::string answerP3(const std::vector<ModelDraw>& draws, int pages, bool success = true, const std::string& code = "0",
                     const std::string& message = "") {
    std::string s = "{\"dataFrom\":\"\",\"emptyFlag\":false,\"errorCode\":\"" + code + "\",\"errorMessage\":\"" + message +
                    "\",\"success\":" + (success ? "true" : "false") + ",\"value\":{\"list\":[";
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const ModelDraw& d = draws[i];
        s += (i ? "," : "") + std::string("{\"lotteryDrawNum\":\"") + d.issue + "\",\"lotteryDrawResult\":\"" +
             d.number.substr(0, 1) + " " + d.number.substr(1, 1) + " " + d.number.substr(2, 1) +
             "\",\"lotteryDrawTime\":\"" + d.date + "\",\"poolBalanceAfterdraw\":\"0\"}";
    }
    return s + "],\"pageNo\":1,\"pageSize\":30,\"pages\":" + std::to_string(pages) + ",\"total\":999}}";
}

std::vector<StoredDraw> stored(const std::vector<ModelDraw>& draws) {
    std::vector<StoredDraw> out;
    for (const ModelDraw& d : draws) out.push_back({d.issue, d.date, d.number});
    return out;
}

TEST(DrawSources, AnswersOfBothSourcesAndTheirFaults) {
    const std::vector<ModelDraw> d3 = {{"2026224", "2026-08-22", "377"}, {"2026223", "2026-08-21", "051"}};
    SourcePage page = readSourcePage(Lottery::Fc3d, answer3d(d3), 1);
    ASSERT_TRUE(page.ok()) << page.error;
    EXPECT_EQ(page.draws, stored(d3));
    EXPECT_FALSE(page.last);
    page = readSourcePage(Lottery::Fc3d, answer3d({}), 4);
    EXPECT_TRUE(page.ok() && page.last && page.draws.empty());

    const std::vector<ModelDraw> p3 = {{"26224", "2026-08-22", "377"}, {"26223", "2026-08-21", "900"}};
    page = readSourcePage(Lottery::Pl3, answerP3(p3, 3), 2);
    ASSERT_TRUE(page.ok()) << page.error;
    EXPECT_EQ(page.draws, stored(p3));
    EXPECT_FALSE(page.last);
    page = readSourcePage(Lottery::Pl3, answerP3(p3, 3), 3);  // the last page still counts
    EXPECT_TRUE(page.ok() && page.last && page.draws.size() == 2);
    page = readSourcePage(Lottery::Pl3, answerP3(p3, 3), 4);  // beyond the pages: nothing more
    EXPECT_TRUE(page.ok() && page.last && page.draws.empty());

    struct Fault {
        Lottery lottery;
        std::string body;
        std::string says;
    };
    const Fault faults[] = {
        {Lottery::Fc3d, "<!DOCTYPE html><html><body>访问过于频繁</body></html>", "来源返回的是网页，不是开奖数据（第 1 页）"},
        {Lottery::Pl3, "\r\n  <html>", "来源返回的是网页"},
        {Lottery::Fc3d, "{\"state\":0,\"result\":[", "不是有效的 JSON"},
        {Lottery::Fc3d, "", "不是有效的 JSON"},
        {Lottery::Fc3d, "[1,2]", "不是 JSON 对象"},
        {Lottery::Fc3d, "{\"state\":0}", "缺少 result 列表"},
        {Lottery::Fc3d, answer3d(d3, 1, "系统繁忙\\n请稍后"), "来源报告失败（第 1 页）：\"系统繁忙\\n请稍后\""},
        {Lottery::Fc3d, answer3d(d3, 1, "系统繁忙\n请稍后"), "来源报告失败（第 1 页）：\"系统繁忙 请稍后\""},
        {Lottery::Fc3d, "{\"state\":\"2\"}", "来源报告失败（第 1 页），没有说明原因"},
        {Lottery::Pl3, answerP3(p3, 3, false, "0", "非法请求"), "来源报告失败（第 1 页）：\"非法请求\""},
        {Lottery::Pl3, answerP3(p3, 3, true, "E01", "参数错误"), "来源报告失败（第 1 页）：\"参数错误\""},
        {Lottery::Pl3, "{\"success\":true,\"errorCode\":\"0\"}", "缺少 value"},
        {Lottery::Fc3d, answer3d({{"2026224", "2026-08-22", "37"}}), "不是三位数字"},
        {Lottery::Fc3d, answer3d({{"202622", "2026-08-22", "377"}}), "期号 \"202622\" 不是 7 位数字（福彩3D的期号为 7 位）"},
        {Lottery::Pl3, answerP3({{"2026224", "2026-08-22", "377"}}, 1), "期号 \"2026224\" 不是 5 位数字"},
        {Lottery::Fc3d, answer3d(d3), ""},  // control case
    };
    for (const Fault& f : faults) {
        page = readSourcePage(f.lottery, f.body, 1);
        if (f.says.empty()) {
            EXPECT_TRUE(page.ok());
            continue;
        }
        EXPECT_NE(page.error.find(f.says), std::string::npos) << f.body << "\n -> " << page.error;
        EXPECT_TRUE(page.draws.empty());
    }
    // A draw of four digits, of letters, and one written "3,7,7a".
    for (const char* red : {"3,7,7,1", "a,b,c", "3,7,7a", ""}) {
        const std::string body = "{\"state\":0,\"result\":[{\"code\":\"2026224\",\"date\":\"x\",\"red\":\"" +
                                  std::string(red) + "\"}]}";
        EXPECT_NE(readSourcePage(Lottery::Fc3d, body, 1).error.find("不是三位数字"), std::string::npos) << red;
    }
    // A date that is no date is not kept; the draw is.
    page = readSourcePage(Lottery::Fc3d, "{\"state\":0,\"result\":[{\"code\":\"2026224\",\"date\":\"明天\",\"red\":\"377\"}]}", 1);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page.draws[0].date, "");
}

TEST(DrawSources, RawControlCharactersInsideStringsReadAsSpaces) {
    // A tab and a line feed inside the draw, a NUL in the message: all read
    // as spaces, so the page reads as if they were not there.
    std::string body = "{\"state\":0,\"message\":\"ok\x01\",\"result\":[{\"code\":\"2026224\",\"date\":\"2026-08-22\",\"red\":\"3,\t7,\n7\"}]}";
    body.insert(body.find("ok") + 2, 1, '\0');
    const SourcePage page = readSourcePage(Lottery::Fc3d, body, 1);
    ASSERT_TRUE(page.ok()) << page.error;
    ASSERT_EQ(page.draws.size(), 1u);
    EXPECT_EQ(page.draws[0].number, "377");
    // Outside strings a control character stays and the answer is refused.
    EXPECT_FALSE(readSourcePage(Lottery::Fc3d, std::string("{\"state\":0,\x01\"result\":[]}"), 1).ok());
}

// Random JSON-like texts made of pieces whose blanked form is known: strings
// with raw control characters and escapes inside, and the bytes between them.
TEST(DrawSources, BlankingMatchesAPieceByPieceReference) {
    std::mt19937 rng(38);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 3000; ++round) {
        std::string text, expected;
        const int pieces = pick(8);
        for (int k = 0; k < pieces; ++k) {
            if (pick(2)) {  // between strings: no quote, no control byte changed
                const std::string between[] = {"{", "}", ":", ",", " ", "\n", "\t", "12", "[", "]", "\x01", "true"};
                const std::string& b = between[pick(12)];
                text += b;
                expected += b;
                continue;
            }
            text += '"';
            expected += '"';
            const int length = pick(6);
            for (int i = 0; i < length; ++i) {
                switch (pick(5)) {
                case 0: {
                    const char c = static_cast<char>(pick(0x20));
                    text += c;
                    expected += ' ';
                    break;
                }
                case 1: {
                    const std::string esc[] = {"\\\"", "\\\\", "\\n", "\\u0001", "\\/"};
                    const std::string& e = esc[pick(5)];
                    text += e;
                    expected += e;
                    break;
                }
                case 2:
                    text += "\xE4\xB8\xAD";  // 中
                    expected += "\xE4\xB8\xAD";
                    break;
                default: {
                    const char c = static_cast<char>('a' + pick(26));
                    text += c;
                    expected += c;
                }
                }
            }
            text += '"';
            expected += '"';
        }
        ASSERT_EQ(withControlCharactersBlanked(text), expected) << round;
    }
}

// Random pages of both shapes, with draws, dates, page counts, control
// characters and faults chosen at random, against what they were made from.
TEST(DrawSources, RandomPagesReadAsTheyWereWritten) {
    std::mt19937 rng(3824);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 2000; ++round) {
        const Lottery lottery = kLotteries[pick(2)];
        const int page = 1 + pick(5);
        const int pages = 1 + pick(6);
        std::vector<ModelDraw> draws;
        const int count = pick(5);
        for (int i = 0; i < count; ++i) {
            std::string issue = lottery == Lottery::Fc3d ? "2026" : "26";
            issue += std::to_string(100 + pick(900));
            std::string number = std::to_string(pick(10)) + std::to_string(pick(10)) + std::to_string(pick(10));
            draws.push_back({issue, "2026-0" + std::to_string(1 + pick(9)) + "-1" + std::to_string(pick(10)), number});
        }
        enum { Good, BadDraw, BadIssue, Failed, WebPage, Control } kind =
            static_cast<decltype(Good)>(count ? pick(6) : pick(2) * 3);
        std::vector<ModelDraw> written = draws;
        if (kind == BadDraw) written[static_cast<std::size_t>(pick(count))].number = "12";
        if (kind == BadIssue) written[static_cast<std::size_t>(pick(count))].issue += "1";
        std::string body = lottery == Lottery::Fc3d ? answer3d(written, kind == Failed ? 1 + pick(9) : 0, "坏了")
                                                    : answerP3(written, pages, kind != Failed, "0", "坏了");
        if (kind == BadDraw) {  // "1,2,"+"" — keep it two digits in either shape
            const std::string from = lottery == Lottery::Fc3d ? "\"1,2,\"" : "\"1 2 \"";
            ASSERT_NE(body.find(from), std::string::npos);
        }
        if (kind == WebPage) body = "<html><head><title>403</title></head></html>";
        if (kind == Control) {
            // A raw control byte after every draw's first digit.
            const std::string field = lottery == Lottery::Fc3d ? "\"red\":\"" : "\"lotteryDrawResult\":\"";
            for (std::size_t at = body.find(field); at != std::string::npos; at = body.find(field, at + 1))
                body.insert(at + field.size() + 1, 1, static_cast<char>(pick(0x20)));
        }
        const SourcePage read = readSourcePage(lottery, body, page);
        const bool beyond = lottery == Lottery::Pl3 && page > pages;
        if (beyond && kind != Failed && kind != WebPage) {
            EXPECT_TRUE(read.ok() && read.last && read.draws.empty()) << body;
            continue;
        }
        switch (kind) {
        case Good:
        case Control:
            ASSERT_TRUE(read.ok()) << body << " -> " << read.error;
            EXPECT_EQ(read.draws, stored(draws));
            EXPECT_EQ(read.last, draws.empty() || (lottery == Lottery::Pl3 && page >= pages));
            break;
        case BadDraw:
            EXPECT_NE(read.error.find("不是三位数字"), std::string::npos) << read.error;
            break;
        case BadIssue:
            EXPECT_NE(read.error.find(lottery == Lottery::Fc3d ? "不是 7 位数字" : "不是 5 位数字"), std::string::npos);
            break;
        case Failed:
            EXPECT_EQ(read.error, "来源报告失败（第 " + std::to_string(page) + " 页）：\"坏了\"");
            break;
        case WebPage:
            EXPECT_NE(read.error.find("网页"), std::string::npos);
            break;
        }
        if (!read.ok()) {
            EXPECT_TRUE(read.draws.empty());
        }
    }
}

// --- the merge --------------------------------------------------------------

std::string randomIssue(std::mt19937& rng, Lottery lottery, int spread) {
    const int n = static_cast<int>(rng() % static_cast<unsigned>(spread));
    std::string tail = std::to_string(n);
    tail.insert(0, 3 - std::min<std::size_t>(3, tail.size()), '0');
    return (lottery == Lottery::Fc3d ? "2026" : "26") + tail;
}

TEST(DrawMerge, AgreesWithAPlainMapOverRandomDraws) {
    std::mt19937 rng(7);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 3000; ++round) {
        const Lottery lottery = kLotteries[pick(2)];
        const Lottery other = lottery == Lottery::Fc3d ? Lottery::Pl3 : Lottery::Fc3d;
        const int spread = 5 + pick(40);
        std::map<std::string, std::string> kept;
        for (int i = pick(20); i > 0; --i) kept[randomIssue(rng, lottery, spread)] = std::to_string(100 + pick(3));
        std::vector<StoredDraw> storedDraws;
        for (const auto& [issue, number] : kept) storedDraws.push_back({issue, "", number});
        const bool agreeing = pick(3) != 0;  // most rounds have no conflict to find
        std::vector<StoredDraw> incoming;
        for (int i = pick(25); i > 0; --i) {
            const int what = pick(10);
            if (what == 0) {
                incoming.push_back({"", "", "123"});
            } else if (what == 1) {
                incoming.push_back({randomIssue(rng, other, spread), "2026-01-01", "123"});
            } else {
                const std::string issue = randomIssue(rng, lottery, spread);
                std::string number = std::to_string(100 + pick(3));
                if (agreeing && kept.count(issue)) number = kept[issue];
                incoming.push_back({issue, pick(2) ? "2026-02-03" : "", number});
            }
        }
        if (agreeing) {  // repeated issues within the incoming draws agree too
            std::map<std::string, std::string> first;
            for (StoredDraw& d : incoming)
                if (isIssueOf(lottery, d.issue)) d.number = first.emplace(d.issue, d.number).first->second;
        }

        // Reference: one draw at a time into a copy of the map.
        std::map<std::string, std::string> after = kept;
        std::map<std::string, StoredDraw> added;
        long long same = 0, unstored = 0;
        bool conflict = false;
        std::string conflictIssue;
        for (const StoredDraw& d : incoming) {
            if (d.issue.size() != issueLength(lottery)) {
                ++unstored;
                continue;
            }
            const auto it = after.find(d.issue);
            if (it == after.end()) {
                after[d.issue] = d.number;
                added[d.issue] = d;
            } else if (it->second == d.number) {
                ++same;
            } else {
                conflict = true;
                conflictIssue = d.issue;
                break;
            }
        }
        const MergePlan plan = planMerge(lottery, storedDraws, incoming);
        ASSERT_EQ(plan.conflict.has_value(), conflict) << round;
        if (conflict) {
            EXPECT_EQ(plan.conflict->issue, conflictIssue);
            EXPECT_NE(plan.conflict->kept, plan.conflict->incoming);
            EXPECT_TRUE(plan.added.empty());
            EXPECT_EQ(plan.latest, kept.empty() ? "" : kept.rbegin()->first);
            continue;
        }
        std::vector<StoredDraw> expectedAdded;
        for (const auto& [issue, d] : added) expectedAdded.push_back(d);
        EXPECT_EQ(plan.added, expectedAdded) << round;
        EXPECT_EQ(plan.same, same);
        EXPECT_EQ(plan.unstored, unstored);
        EXPECT_EQ(plan.latest, after.empty() ? "" : after.rbegin()->first);
    }
}

TEST(DrawMerge, ConflictLinesAndHistoryDraws) {
    const MergePlan plan = planMerge(Lottery::Fc3d, {{"2026224", "", "377"}}, {{"2026225", "", "111"}, {"2026224", "", "378"}});
    ASSERT_TRUE(plan.conflict);
    EXPECT_EQ(conflictText(*plan.conflict, "导入的是"), "第 2026224 期库中为 377，导入的是 378");
    const MergePlan twice = planMerge(Lottery::Pl3, {}, {{"26001", "", "111"}, {"26001", "", "112"}});
    ASSERT_TRUE(twice.conflict);
    EXPECT_EQ(conflictText(*twice.conflict, "导入的是"), "第 26001 期出现两次，号码不同：111 和 112");

    const std::vector<StoredDraw> draws = historyDraws(
        "第2026330期 2026年12月6日 开奖 5,8,2\n\n2026329 123 2026/1/05 2026-02-03\n582\nabc\n26001 9 9 9 21:30\n");
    const std::vector<StoredDraw> expected = {
        {"2026330", "2026-12-06", "582"}, {"2026329", "2026-01-05", "123"}, {"", "", "582"}, {"26001", "", "999"}};
    EXPECT_EQ(draws, expected);
    EXPECT_EQ(historyLottery(draws), Lottery::Fc3d);
    EXPECT_EQ(historyLottery({{"26001", "", "1"}, {"2026001", "", "1"}}), std::nullopt);
    EXPECT_EQ(historyLottery({{"26001", "", "1"}, {"", "", "1"}}), Lottery::Pl3);
    EXPECT_EQ(historyLottery({{"", "", "1"}}), std::nullopt);
}

// The first date of a line against std::regex's first match of the rule.
TEST(DrawMerge, FirstDateOfALineAgreesWithTheRegexRule) {
    const std::regex date("([0-9]{4})(?:[-/.]|\xE5\xB9\xB4)([0-9]{1,2})(?:[-/.]|\xE6\x9C\x88)([0-9]{1,2})(?:\xE6\x97\xA5)?");
    const std::string pieces[] = {"2026", "-", "/", ".", "年", "月", "日", "1", "12", "123", " ", ":", "05", "9", "20261"};
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int k = static_cast<int>(rng() % 12); k > 0; --k) line += pieces[rng() % std::size(pieces)];
        std::smatch m;
        std::string expected;
        if (std::regex_search(line, m, date)) {
            auto two = [](const std::string& s) { return s.size() == 1 ? "0" + s : s; };
            expected = m[1].str() + "-" + two(m[2].str()) + "-" + two(m[3].str());
        }
        ASSERT_EQ(historyLineDate(line), expected) << line;
    }
}

// --- the update walk --------------------------------------------------------

TEST(UpdateWalk, StopsAndRefusesAsAPlainWalkDoes) {
    std::mt19937 rng(2026);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 2000; ++round) {
        // The source's draws, newest first: issues 2026000 + k for k = total .. 1.
        const int total = pick(200);
        const int pageSize = 1 + pick(30);
        const int maxPages = 1 + pick(12);
        std::set<int> keptNumbers;
        const int keptMode = pick(4);
        if (keptMode == 1)
            for (int k = 1; k <= total; ++k)
                if (pick(3) == 0) keptNumbers.insert(k);
        if (keptMode == 2) keptNumbers.insert(1 + pick(std::max(1, total)));
        if (keptMode == 3) keptNumbers.insert(total + 5);  // newer than anything the source has
        std::vector<std::string> keptIssues;
        for (int k : keptNumbers) keptIssues.push_back(std::to_string(2026000 + k));
        const int badPage = pick(8) == 0 ? 1 + pick(maxPages) : 0;

        UpdateWalk walk(Lottery::Fc3d, keptIssues, maxPages);
        // Reference walk.
        std::vector<StoredDraw> fetched;
        bool reached = false;
        int pagesAsked = 0;
        std::string why;
        for (int p = 1;; ++p) {
            ++pagesAsked;
            SourcePage page;
            if (p == badPage) {
                page.error = "坏页";
            } else {
                for (int k = total - (p - 1) * pageSize; k > std::max(0, total - p * pageSize); --k)
                    page.draws.push_back({std::to_string(2026000 + k), "", "123"});
                page.last = page.draws.empty();
            }
            const bool more = walk.addPage(page);
            if (!page.ok()) {
                why = "坏页";
                ASSERT_FALSE(more);
                break;
            }
            for (const StoredDraw& d : page.draws) {
                fetched.push_back(d);
                reached = reached || keptNumbers.count(std::stoi(d.issue) - 2026000);
            }
            const bool stop = reached || keptNumbers.empty() || page.last || p >= maxPages;
            ASSERT_EQ(more, !stop) << round << " page " << p;
            if (stop) break;
        }
        if (why.empty() && fetched.empty()) why = "没有给出";
        if (why.empty() && !keptNumbers.empty() && !reached) why = "仍未接上";
        EXPECT_EQ(walk.pages(), pagesAsked);
        ASSERT_TRUE(walk.done());
        if (why.empty()) {
            EXPECT_EQ(walk.error(), "");
            EXPECT_EQ(walk.draws(), fetched);
        } else {
            EXPECT_NE(walk.error().find(why), std::string::npos) << walk.error();
            EXPECT_TRUE(walk.draws().empty());
        }
        if (why == "仍未接上") {
            EXPECT_NE(walk.error().find("最早一期是 " + fetched.back().issue + "，库中最新一期是 " + keptIssues.back()),
                      std::string::npos)
                << walk.error();
        }
    }
}

}  // namespace
}  // namespace tarnel
