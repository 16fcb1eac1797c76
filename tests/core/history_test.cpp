// The history reader: line forms, line ends, decoding, and a cross-check
// against a plain std::regex reading of random pasted tables.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <iconv.h>
#endif

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/files/platform.h"
#include "core/files/history.h"

namespace tarnel {
namespace {

#ifdef _WIN32
// No iconv here: ASCII as it is, every other character by the two-byte
// sequence the program's decoder reads as it (checked against iconv in the
// Linux tests).
std::string toGb18030(const std::string& utf8) {
    static const std::map<std::string, std::string> twoByte = [] {
        std::map<std::string, std::string> m;
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const std::string gb{static_cast<char>(lead), static_cast<char>(trail)};
                const std::string u = gb18030ToUtf8(gb);
                if (u != "\xEF\xBF\xBD") m.emplace(u, gb);
            }
        return m;
    }();
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::size_t size = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        const std::string ch = utf8.substr(i, size);
        if (size == 1) {
            out += ch;
        } else {
            const auto it = twoByte.find(ch);
            EXPECT_NE(it, twoByte.end()) << ch;
            if (it != twoByte.end()) out += it->second;
        }
        i += size;
    }
    return out;
}
#else
std::string toGb18030(const std::string& utf8) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* src = const_cast<char*>(utf8.data());
    char* dst = out.data();
    std::size_t srcLeft = utf8.size(), dstLeft = out.size();
    EXPECT_EQ(iconv(cd, &src, &srcLeft, &dst, &dstLeft), 0u);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}
#endif

// ---- the reading, done plainly ------------------------------------------------

struct RefLine {
    std::string text, issue, number;  // number empty: no draw
};

// The line's digits left by the separators, cut into runs.
std::vector<std::string> referenceRuns(std::string line) {
    // 年月日 are several bytes each, so they are written as groups.
    static const std::regex date("[0-9]{4}(?:[-/.]|年)[0-9]{1,2}(?:[-/.]|月)[0-9]{1,2}(?:日)?");
    static const std::regex time("[0-9]{1,2}:[0-9]{2}(?::[0-9]{2})?");
    static const std::regex digits("[0-9]+");
    for (const std::regex* re : {&date, &time}) {
        std::string out = line;
        for (std::sregex_iterator it(line.begin(), line.end(), *re), stop; it != stop; ++it)
            out.replace(static_cast<std::size_t>(it->position()), it->str().size(), it->str().size(), ' ');
        line = out;
    }
    std::vector<std::string> runs;
    for (std::sregex_iterator it(line.begin(), line.end(), digits), stop; it != stop; ++it) runs.push_back(it->str());
    return runs;
}

// Lines cut at CR LF, CR or LF, each read on its own.
std::vector<RefLine> referenceLines(const std::string& text) {
    const std::string lf = std::regex_replace(text, std::regex("\r\n|\r"), "\n");
    std::vector<RefLine> lines;
    for (std::size_t start = 0, nl; start < lf.size(); start = nl + 1) {
        nl = std::min(lf.find('\n', start), lf.size());
        RefLine r{lf.substr(start, nl - start), "", ""};
        const std::vector<std::string> runs = referenceRuns(r.text);
        const std::size_t from = !runs.empty() && runs[0].size() >= 5 ? 1 : 0;
        for (std::size_t i = from; i < runs.size() && r.number.empty(); ++i) {
            if (runs[i].size() == 3)
                r.number = runs[i];
            else if (i + 2 < runs.size() && runs[i].size() == 1 && runs[i + 1].size() == 1 && runs[i + 2].size() == 1)
                r.number = runs[i] + runs[i + 1] + runs[i + 2];
        }
        if (!r.number.empty() && from) r.issue = runs[0];
        lines.push_back(r);
    }
    return lines;
}

// Pasted table rows: digit runs, separators of every kind, Chinese words,
// dates and times well formed or not quite, and times running into dates.
std::string randomLine(std::mt19937& rng) {
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto digits = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + below(10));
        return s;
    };
    static const char* const seps[] = {" ", "\t", ",", "，", "-", "/", ".", ":", "年", "月", "日", "期", "开奖", "试机号"};
    static const int lengths[] = {1, 1, 1, 1, 2, 3, 3, 3, 4, 5, 6, 7, 7, 8};
    if (below(12) == 0) return below(2) ? "" : " \t ";
    std::string s;
    for (int i = below(14); i > 0; --i) {
        const int kind = below(10);
        if (kind == 4 || kind == 6) {  // time-like
            s += digits(1 + below(3)) + ':';
            s += digits(1 + below(3));
            if (below(2)) {
                s += ':';
                s += digits(1 + below(3));
            }
        }
        if (kind == 5 || kind == 6) {  // date-like
            s += digits(3 + below(4)) + seps[4 + below(5)] + digits(1 + below(3)) + seps[4 + below(6)];
            s += digits(1 + below(3)) + (below(2) ? "日" : "");
        }
        if (kind < 4) s += digits(lengths[below(14)]);
        if (kind > 6) s += seps[below(14)];
    }
    return s;
}

// ---- line forms and line ends ----------------------------------------------------

TEST(HistoryLine, PastedRowForms) {
    struct Case {
        const char *line, *issue, *number;  // number "": skipped
    };
    const Case cases[] = {
        {"2026330 5 8 2", "2026330", "582"},
        {"2026330 582 2026-12-06", "2026330", "582"},
        {"第2026330期 2026年12月06日 开奖 5,8,2 试机号 1 2 3", "2026330", "582"},
        {"25242\t5 8 2\t93,123,456\t1040", "25242", "582"},
        {"582", "", "582"},
        {"1234", "", ""},
        {"2026330", "", ""},
        {"2026330 58 2", "", ""},
        {"123 2026330 582", "", "123"},  // a short first run is no issue and may be the draw
        {"2026330 2026331 582", "2026330", "582"},
        {"2026330 1:2 5 8 2", "2026330", "125"},  // whatever parts one-digit runs
        {"2026330 5 8 22 1-2.3", "2026330", "123"},
        {"2026330 5 8 222", "2026330", "222"},
        {"2026-12-06 2026330 582", "2026330", "582"},
        {"2026330 2026/1/2 21:30:05 5 8 2", "2026330", "582"},
        {"2026330 2026.12月6 9:30 0 0 7", "2026330", "007"},
        {"2026年12月06日12:30:45 5 8 2", "", "582"},
        {"12026-12-06 582", "", "582"},  // the date starts inside the run, as a regex search finds it
        {"2026-12-061 5 8", "", "158"},
        {"1234567:30 5 8 2", "12345", "582"},
        {"2026-12-06:30 582", "", "582"},
        {"12:2026-1-5 5 8 2", "", "582"},  // the date takes the minutes: "12" stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const History h = readHistory(c.line);
        if (*c.number == '\0') {
            EXPECT_TRUE(h.draws.empty());
            EXPECT_EQ(h.skipped, std::vector<int>{1});
            continue;
        }
        ASSERT_EQ(h.draws.size(), 1u);
        EXPECT_TRUE(h.skipped.empty());
        EXPECT_EQ(h.draws[0].issue, c.issue);
        EXPECT_EQ(h.draws[0].number, c.number);
        EXPECT_EQ(twoStarDraw(h.draws[0]), std::string(c.number).substr(1));
    }
}

TEST(HistoryText, LineEndsNumberLinesAndBlankLinesAreSilent) {
    const History h = readHistory("2026001 582\r\n\r\n开奖\r2026002 1 2 3\n \t \n12\n\n\r001\r\n");
    ASSERT_EQ(h.draws.size(), 3u);
    EXPECT_EQ(h.draws[0].line, 1);
    EXPECT_EQ(h.draws[1].line, 4);
    EXPECT_EQ(h.draws[1].issue, "2026002");
    EXPECT_EQ(h.draws[2].line, 9);
    EXPECT_EQ(h.draws[2].number, "001");
    EXPECT_EQ(h.skipped, (std::vector<int>{3, 6}));
    EXPECT_TRUE(h.skippedFullWidth.empty());
    EXPECT_FALSE(h.convertedFromGb18030);
    // Lines skipped for full-width digits are told apart from other skipped lines.
    const History wide = readHistory("2026001 \xef\xbc\x95\xef\xbc\x98\xef\xbc\x92\n开奖\n2026002 582\n");
    EXPECT_EQ(wide.skipped, (std::vector<int>{1, 2}));
    EXPECT_EQ(wide.skippedFullWidth, (std::vector<int>{1}));
    // A byte order mark is no character of the first line.
    EXPECT_TRUE(readHistory("\xEF\xBB\xBF\r\n582").skipped.empty());
}

TEST(HistoryText, AgreesWithRegexReadingOnRandomTables) {
    std::mt19937 rng(2026);
    int lines = 0, draws = 0, issues = 0;
    for (int t = 0; t < 400 && !::testing::Test::HasFailure(); ++t) {
        std::string text;
        for (int i = static_cast<int>(rng() % 15); i >= 0; --i) {
            static const char* const ends[] = {"\r\n", "\r", "\n"};
            text += randomLine(rng);
            if (i > 0 || rng() % 2) text += ends[rng() % 3];
        }
        const std::vector<RefLine> want = referenceLines(text);
        const History got = readHistory(text);
        SCOPED_TRACE(::testing::PrintToString(text));
        std::vector<int> skipped;
        std::size_t next = 0;
        for (std::size_t i = 0; i < want.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            if (want[i].number.empty()) {
                if (want[i].text.find_first_not_of(" \t") != std::string::npos) skipped.push_back(number);
                continue;
            }
            ASSERT_LT(next, got.draws.size());
            const Draw& d = got.draws[next++];
            EXPECT_EQ(d.line, number);
            EXPECT_EQ(d.issue, want[i].issue);
            EXPECT_EQ(d.number, want[i].number);
            // The issue is in the line, and the draw's digits follow it in order.
            std::size_t at = d.issue.empty() ? 0 : want[i].text.find(d.issue);
            ASSERT_NE(at, std::string::npos);
            at += d.issue.size();
            for (char c : d.number) ASSERT_NE(at = want[i].text.find(c, at) + 1, 0u);
            ++draws;
            issues += !d.issue.empty();
        }
        EXPECT_EQ(next, got.draws.size());
        EXPECT_EQ(got.skipped, skipped);
        lines += static_cast<int>(want.size());
    }
    // The random tables reach every part of the reading.
    EXPECT_GT(lines, 2500);
    EXPECT_GT(draws, lines / 5);
    EXPECT_GT(lines - draws, lines / 5);
    EXPECT_GT(issues, lines / 20);
}

// ---- decoding -----------------------------------------------------------------

TEST(HistoryDecoding, Gb18030TextIsConvertedAndRead) {
    const std::string utf8 =
        "第2026330期 2026年12月06日 开奖号码：5,8,2 试机号 1 2 3\r\n"
        "第2026331期\t2026年12月07日\t3 0 9\t销售额 1040万\r\n"
        "说明：每日开奖\r\n";
    const std::string gb = toGb18030(utf8);
    ASSERT_FALSE(isValidUtf8(gb));
    for (const std::string& bytes : {gb, utf8}) {
        bool converted = false;
        EXPECT_EQ(decodeHistoryText(bytes, &converted), utf8);
        EXPECT_EQ(converted, bytes == gb);
        const History h = readHistory(bytes);
        EXPECT_EQ(h.convertedFromGb18030, bytes == gb);
        ASSERT_EQ(h.draws.size(), 2u);
        EXPECT_EQ(h.draws[0].issue + h.draws[0].number, "2026330582");
        EXPECT_EQ(h.draws[1].issue + h.draws[1].number, "2026331309");
        EXPECT_EQ(h.skipped, std::vector<int>{3});
    }
    // Bytes GB18030 cannot read stand as U+FFFD, the rest still reads.
    EXPECT_EQ(decodeHistoryText("\xC4\xEA\xFF" "1\x81"), "年\xEF\xBF\xBD" "1\xEF\xBF\xBD");
    const History broken = readHistory(toGb18030("第2026330期 ") + "\xFF 5,8,2");
    ASSERT_EQ(broken.draws.size(), 1u);
    EXPECT_EQ(broken.draws[0].number, "582");
}

TEST(HistoryDecoding, Utf8CheckOverEveryEncodingOfEveryValue) {
    // Every value in every length that can hold it, at every offset from
    // an eight-byte block: valid exactly when the length is the shortest,
    // the value no surrogate and not above U+10FFFF. Cut short, never valid.
    static const unsigned leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t length = 1; length <= 4; ++length) {
        for (std::uint32_t cp = 0; cp < (length == 1 ? 0x80u : 1u << (5 * length + 1)); ++cp) {
            char text[32] = "aaaaaaaaaa";
            const std::size_t at = cp % 11;
            std::uint32_t v = cp;
            for (std::size_t k = length - 1; k > 0; --k, v >>= 6) text[at + k] = static_cast<char>(0x80 | (v & 0x3F));
            text[at] = static_cast<char>(leads[length] | v);
            std::memcpy(text + at + length, "bcdefghij", 9);
            const std::string_view all(text, at + length + 9);
            const bool valid = cp >= least[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
            ASSERT_EQ(isValidUtf8(all), valid) << std::hex << cp << " in " << length;
            if (length == 1) continue;
            // Cut short at the end of a view whose next byte in memory
            // would complete it, without its lead, and inside the text.
            ASSERT_FALSE(isValidUtf8(all.substr(0, at + length - 1)));
            const char lead = text[at];
            text[at] = 'a';
            ASSERT_FALSE(isValidUtf8(all));
            text[at] = lead;
            text[at + length - 1] = 'b';
            ASSERT_FALSE(isValidUtf8(all));
        }
    }
    // Bytes no sequence starts with.
    for (unsigned b = 0xF8; b < 0x100; ++b) EXPECT_FALSE(isValidUtf8(std::string{'a', static_cast<char>(b), '\x80', '\x80', '\x80'}));
}

}  // namespace
}  // namespace tarnel
