// The history reader: line forms, line ends, decoding, and a cross-check
// against a plain std::regex reading of random pasted tables.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "run/history.h"

namespace tarnel {
namespace {

struct Expected {
    const char* line;
    bool hasDraw;
    const char* issue;
    const char* number;
};

void expectLine(const Expected& e) {
    SCOPED_TRACE(e.line);
    const History h = readHistory(e.line);
    if (!e.hasDraw) {
        EXPECT_TRUE(h.draws.empty());
        EXPECT_EQ(h.skipped, std::vector<int>{1});
        return;
    }
    ASSERT_EQ(h.draws.size(), 1u);
    EXPECT_TRUE(h.skipped.empty());
    EXPECT_EQ(h.draws[0].line, 1);
    EXPECT_EQ(h.draws[0].issue, e.issue);
    EXPECT_EQ(h.draws[0].number, e.number);
}

std::string convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(text.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(text.data());
    std::size_t srcLeft = text.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

// ---- the reading, done plainly ----------------------------------------------

struct RefLine {
    bool hasDraw = false;
    std::string issue, number;
    bool blanked = false;  // some date or time was taken out
};

RefLine referenceLine(std::string line) {
    // 年月日 are several bytes each, so they are written as groups.
    static const std::regex date("[0-9]{4}(?:[-/.]|年)[0-9]{1,2}(?:[-/.]|月)[0-9]{1,2}(?:日)?");
    static const std::regex time("[0-9]{1,2}:[0-9]{2}(?::[0-9]{2})?");
    static const std::regex digits("[0-9]+");
    RefLine r;
    for (const std::regex* re : {&date, &time}) {
        std::string out = line;
        for (std::sregex_iterator it(line.begin(), line.end(), *re), stop; it != stop; ++it) {
            out.replace(static_cast<std::size_t>(it->position()), static_cast<std::size_t>(it->length()),
                        static_cast<std::size_t>(it->length()), ' ');
            r.blanked = true;
        }
        line = out;
    }
    std::vector<std::string> runs;
    for (std::sregex_iterator it(line.begin(), line.end(), digits), stop; it != stop; ++it)
        runs.push_back(it->str());
    std::size_t from = 0;
    if (!runs.empty() && runs[0].size() >= 5) {
        r.issue = runs[0];
        from = 1;
    }
    for (std::size_t i = from; i < runs.size() && !r.hasDraw; ++i) {
        if (runs[i].size() == 3) {
            r.number = runs[i];
            r.hasDraw = true;
        } else if (i + 2 < runs.size() && runs[i].size() == 1 && runs[i + 1].size() == 1 &&
                   runs[i + 2].size() == 1) {
            r.number = runs[i] + runs[i + 1] + runs[i + 2];
            r.hasDraw = true;
        }
    }
    return r;
}

History referenceHistory(const std::string& text) {
    const std::string lf = std::regex_replace(text, std::regex("\r\n|\r"), "\n");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = lf.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(lf.substr(start, nl - start));
    if (start < lf.size()) lines.push_back(lf.substr(start));

    static const std::regex blank("[ \t]*");
    History h;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const RefLine r = referenceLine(lines[i]);
        const int number = static_cast<int>(i) + 1;
        if (r.hasDraw)
            h.draws.push_back(Draw{number, r.issue, r.number});
        else if (!std::regex_match(lines[i], blank))
            h.skipped.push_back(number);
    }
    return h;
}

// Lines as pasted from results tables: digit runs, separators of every
// kind, Chinese words, and dates and times both well formed and not quite.
class LineMaker {
public:
    explicit LineMaker(unsigned seed) : rng_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + below(10));
        return s;
    }

    std::string run() {
        static const int lengths[] = {1, 1, 1, 1, 2, 3, 3, 3, 4, 5, 6, 7, 7, 8};
        return digits(lengths[below(14)]);
    }

    std::string dateLike() {
        static const char* const yearSep[] = {"-", "/", ".", "年", ":", " "};
        static const char* const monthSep[] = {"-", "/", ".", "月", ":", "年"};
        std::string s = digits(3 + below(4)) + yearSep[below(6)] + digits(1 + below(3)) + monthSep[below(6)] +
                        digits(1 + below(3));
        if (below(2)) s += "日";
        return s;
    }

    std::string timeLike() {
        std::string s = digits(1 + below(3));
        s += ':';
        s += digits(1 + below(3));
        if (below(2)) {
            s += ':';
            s += digits(1 + below(3));
        }
        return s;
    }

    std::string line() {
        static const char* const pieces[] = {" ",  " ",  "\t", ",",    "，",     "-",      "/",  ".",   ":",
                                             "年", "月", "日", "期",   "第",     "开奖",   "试机号", "销售额", "é"};
        if (below(12) == 0) return below(2) ? "" : " \t ";
        std::string s;
        const int n = below(14);
        for (int i = 0; i < n; ++i) {
            const int kind = below(10);
            if (kind < 4)
                s += run();
            else if (kind == 4)
                s += dateLike();
            else if (kind == 5)
                s += timeLike();
            else if (kind == 6)
                s += timeLike() + dateLike();  // a date may take the time's digits
            else
                s += pieces[below(18)];
        }
        return s;
    }

    std::string lineEnd() {
        static const char* const ends[] = {"\r\n", "\r", "\n"};
        return ends[below(3)];
    }

private:
    std::mt19937 rng_;
};

// ---- line forms ---------------------------------------------------------------

TEST(HistoryLine, PastedRowForms) {
    const Expected cases[] = {
        {"2026330 5 8 2", true, "2026330", "582"},
        {"2026330 582 2026-12-06", true, "2026330", "582"},
        {"第2026330期 2026年12月06日 开奖 5,8,2 试机号 1 2 3", true, "2026330", "582"},
        {"25242\t5 8 2\t93,123,456\t1040", true, "25242", "582"},
        {"582", true, "", "582"},
        {"1234", false, "", ""},
        {"2026330", false, "", ""},
        {"2026330 58 2", false, "", ""},
        // A short first run is no issue and may itself be the draw.
        {"123 2026330 582", true, "", "123"},
        {"2026330 2026331 582", true, "2026330", "582"},
        // What parts the one-digit runs does not matter; a longer run breaks a triple.
        {"2026330 1:2 5 8 2", true, "2026330", "125"},
        {"2026330 5 8 22 1-2.3", true, "2026330", "123"},
        {"2026330 5 8 222", true, "2026330", "222"},
        // Dates and times are spaces, in any separator mix, with or without 日.
        {"2026-12-06 2026330 582", true, "2026330", "582"},
        {"2026330 2026/1/2 21:30:05 5 8 2", true, "2026330", "582"},
        {"2026330 2026.12月6 9:30 0 0 7", true, "2026330", "007"},
        {"2026年12月06日12:30:45 5 8 2", true, "", "582"},
        // A date starts where the regex search finds it: inside the run.
        {"12026-12-06 582", true, "", "582"},
        {"2026-12-061 5 8", true, "", "158"},
        {"1234567:30 5 8 2", true, "12345", "582"},
        {"2026-12-06:30 582", true, "", "582"},
    };
    for (const Expected& e : cases) expectLine(e);

    const History h = readHistory("2026330 5 8 2");
    ASSERT_EQ(h.draws.size(), 1u);
    EXPECT_EQ(twoStarDraw(h.draws[0]), "82");
}

TEST(HistoryText, LineEndsNumberLinesAndBlankLinesAreSilent) {
    const History h = readHistory("2026001 582\r\n\r\n开奖\r2026002 1 2 3\n \t \n12\n\n\r001\r\n");
    ASSERT_EQ(h.draws.size(), 3u);
    EXPECT_EQ(h.draws[0].line, 1);
    EXPECT_EQ(h.draws[1].line, 4);
    EXPECT_EQ(h.draws[1].issue, "2026002");
    EXPECT_EQ(h.draws[1].number, "123");
    EXPECT_EQ(h.draws[2].line, 9);
    EXPECT_EQ(h.draws[2].number, "001");
    EXPECT_EQ(h.skipped, (std::vector<int>{3, 6}));
    EXPECT_FALSE(h.convertedFromGb18030);

    // A byte order mark is no character of the first line.
    EXPECT_EQ(readHistory("\xEF\xBB\xBF\r\n582").skipped.size(), 0u);
    EXPECT_EQ(readHistory("\r\n").draws.size() + readHistory("\r\n").skipped.size(), 0u);
}

// ---- decoding -----------------------------------------------------------------

TEST(HistoryDecoding, Gb18030TextIsConvertedAndRead) {
    const std::string utf8 =
        "第2026330期 2026年12月06日 开奖号码：5,8,2 试机号 1 2 3\r\n"
        "第2026331期\t2026年12月07日\t3 0 9\t销售额 1040万\r\n"
        "说明：每日开奖\r\n";
    const std::string gb = convert(utf8, "GB18030", "UTF-8");
    ASSERT_FALSE(isValidUtf8(gb));

    bool converted = false;
    EXPECT_EQ(decodeHistoryText(gb, &converted), utf8);
    EXPECT_TRUE(converted);
    EXPECT_EQ(decodeHistoryText(utf8, &converted), utf8);
    EXPECT_FALSE(converted);

    for (const std::string& bytes : {gb, utf8}) {
        const History h = readHistory(bytes);
        EXPECT_EQ(h.convertedFromGb18030, bytes == gb);
        ASSERT_EQ(h.draws.size(), 2u);
        EXPECT_EQ(h.draws[0].issue, "2026330");
        EXPECT_EQ(h.draws[0].number, "582");
        EXPECT_EQ(h.draws[1].line, 2);
        EXPECT_EQ(h.draws[1].issue, "2026331");
        EXPECT_EQ(h.draws[1].number, "309");
        EXPECT_EQ(h.skipped, std::vector<int>{3});
    }

    // Bytes GB18030 cannot read stand as U+FFFD, the rest still reads.
    EXPECT_EQ(decodeHistoryText("\xC4\xEA\xFF" "1\x81"), "年\xEF\xBF\xBD" "1\xEF\xBF\xBD");
    const History broken = readHistory(convert("第2026330期 ", "GB18030", "UTF-8") + "\xFF 5,8,2");
    ASSERT_EQ(broken.draws.size(), 1u);
    EXPECT_EQ(broken.draws[0].number, "582");
}

std::string encode(std::uint32_t cp, int length) {
    if (length == 1) return std::string(1, static_cast<char>(cp));
    static const unsigned leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    std::string s(static_cast<std::size_t>(length), '\0');
    for (int k = length - 1; k > 0; --k, cp >>= 6) s[static_cast<std::size_t>(k)] = static_cast<char>(0x80 | (cp & 0x3F));
    s[0] = static_cast<char>(leads[length] | cp);
    return s;
}

// Decodes every sequence and checks the value it gives.
bool referenceUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned c = static_cast<unsigned char>(s[i]);
        const int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + static_cast<std::size_t>(more) >= s.size()) return false;
        std::uint32_t cp = more == 0 ? c : c & (0x3Fu >> more);
        for (int k = 1; k <= more; ++k) {
            const unsigned b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

TEST(HistoryDecoding, Utf8CheckAgreesWithDecodingOnRandomBytes) {
    std::mt19937 rng(11);
    auto below = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); };
    static const unsigned edges[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                                     0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFF};
    int valid = 0, invalid = 0;
    for (int t = 0; t < 20000; ++t) {
        std::string s;
        const int n = static_cast<int>(below(8));
        for (int i = 0; i < n; ++i) {
            switch (below(4)) {
                case 0: s += static_cast<char>(edges[below(20)]); break;
                case 1: s += "0123456789"; break;  // long enough for whole-word steps
                default: {
                    // Any value (surrogates and out-of-range ones too) in any
                    // length that holds it, overlong forms included.
                    const int length = 1 + static_cast<int>(below(4));
                    const std::uint32_t bits[] = {0, 7, 11, 16, 21};
                    s += encode(below(1u << bits[length]), length);
                }
            }
        }
        const bool expected = referenceUtf8(s);
        (expected ? valid : invalid)++;
        ASSERT_EQ(isValidUtf8(s), expected) << ::testing::PrintToString(s);
    }
    EXPECT_GT(valid, 2000);
    EXPECT_GT(invalid, 2000);
}

// ---- against the plain reading --------------------------------------------------

void expectSameHistory(const History& got, const History& want, const std::string& text) {
    SCOPED_TRACE(::testing::PrintToString(text));
    ASSERT_EQ(got.draws.size(), want.draws.size());
    for (std::size_t i = 0; i < want.draws.size(); ++i) {
        EXPECT_EQ(got.draws[i].line, want.draws[i].line);
        EXPECT_EQ(got.draws[i].issue, want.draws[i].issue);
        EXPECT_EQ(got.draws[i].number, want.draws[i].number);
    }
    EXPECT_EQ(got.skipped, want.skipped);
}

TEST(HistoryText, AgreesWithRegexReadingOnRandomTables) {
    LineMaker maker(2026);
    int lines = 0, draws = 0, blanked = 0, withIssue = 0;
    for (int t = 0; t < 400; ++t) {
        std::string text;
        const int n = 1 + maker.below(15);
        for (int i = 0; i < n; ++i) {
            const std::string line = maker.line();
            const RefLine r = referenceLine(line);
            ++lines;
            draws += r.hasDraw;
            blanked += r.blanked;
            withIssue += r.hasDraw && !r.issue.empty();
            text += line;
            if (i + 1 < n || maker.below(2)) text += maker.lineEnd();
        }
        const History got = readHistory(text);
        EXPECT_FALSE(got.convertedFromGb18030);
        expectSameHistory(got, referenceHistory(text), text);
        if (::testing::Test::HasFailure()) return;
    }
    // The random tables reach every part of the reading.
    EXPECT_GT(lines, 2500);
    EXPECT_GT(draws, lines / 5);
    EXPECT_GT(lines - draws, lines / 5);
    EXPECT_GT(blanked, lines / 10);
    EXPECT_GT(withIssue, lines / 20);
}

TEST(HistoryText, DrawDigitsFollowTheIssueInTheLine) {
    LineMaker maker(77);
    for (int t = 0; t < 3000; ++t) {
        const std::string line = maker.line();
        const History h = readHistory(line);
        ASSERT_LE(h.draws.size(), 1u);
        if (h.draws.empty()) continue;
        const Draw& d = h.draws[0];
        SCOPED_TRACE(line);
        ASSERT_EQ(d.number.size(), 3u);
        std::size_t at = 0;
        if (!d.issue.empty()) {
            ASSERT_GE(d.issue.size(), 5u);
            at = line.find(d.issue);
            ASSERT_NE(at, std::string::npos);
            at += d.issue.size();
        }
        for (char c : d.number) {
            at = line.find(c, at);
            ASSERT_NE(at, std::string::npos);
            ++at;
        }
        EXPECT_EQ(twoStarDraw(d), d.number.substr(1));
    }
}

}  // namespace
}  // namespace tarnel
