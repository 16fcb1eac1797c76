// Outside text that messages repeat (keys, paths, arguments) stays one short
// line; a scheme file is one JSON value and nothing after it but spaces.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>

#include "core/rules/text.h"
#include "core/files/history.h"
#include "core/files/scheme.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

// Reads the escapes of an echo back (for texts without a backslash of their own).
std::string unescaped(std::string_view echo) {
    std::string out;
    const auto hex = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (std::size_t i = 0; i < echo.size(); ++i) {
        if (echo[i] != '\\') {
            out += echo[i];
            continue;
        }
        const char kind = echo[++i];
        if (kind == 'n') out += '\n';
        else if (kind == 'r') out += '\r';
        else if (kind == 't') out += '\t';
        else if (kind == 'x') {
            out += static_cast<char>(hex(echo[i + 1]) * 16 + hex(echo[i + 2]));
            i += 2;
        } else {
            char32_t cp = 0;
            for (int k = 1; k <= 4; ++k) cp = cp * 16 + char32_t(hex(echo[i + std::size_t(k)]));
            i += 4;
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
    }
    return out;
}

// Whether a valid UTF-8 text holds a character a line must not: C0, DEL, C1, U+2028, U+2029.
bool holdsControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) return true;
        if (text.substr(i, 3) == "\u2028" || text.substr(i, 3) == "\u2029") return true;
    }
    return false;
}

std::string randomText(std::mt19937& rng, int length) {
    static const std::string pieces[] = {"a", "Z", "7", " ", "大底", "é", "𝟘", "\t", "\n", "\r", "\r\n", "\x01",
                                         std::string(1, '\0'), "\x1F", "\x7F", "\u0085", "\u2028", "\u2029",
                                         "\xFF", "\xC3", "\xE2\x80", "\xED\xA0\x80", "\"", "…"};
    std::string text;
    for (int i = 0; i < length; ++i) text += pieces[rng() % std::size(pieces)];
    return text;
}

// Characters of an echo, an escape counting as the one character it stands for.
std::size_t echoedCharacters(std::string_view echo) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < echo.size(); ++n) {
        if (echo[i] == '\\') i += echo[i + 1] == 'x' ? 4 : echo[i + 1] == 'u' ? 6 : 2;
        else i += 1 + (static_cast<unsigned char>(echo[i]) >= 0xC0) + (static_cast<unsigned char>(echo[i]) >= 0xE0) +
                  (static_cast<unsigned char>(echo[i]) >= 0xF0);
    }
    return n;
}

constexpr std::string_view kEllipsis = "…";

TEST(EchoedText, IsOneValidLineThatReadsBackAndIsCutOnACharacter) {
    std::mt19937 rng(5);
    int cuts = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(rng, int(rng() % 120));
        const std::size_t limit = 1 + rng() % 80;
        const std::string whole = echoedText(text, std::size_t(-1));
        const std::string echo = echoedText(text, limit);
        ASSERT_TRUE(isValidUtf8(whole)) << round;
        ASSERT_TRUE(isValidUtf8(echo)) << round;
        EXPECT_FALSE(holdsControl(echo)) << round;
        EXPECT_EQ(unescaped(whole), text) << round;
        if (echoedCharacters(whole) <= limit) {
            EXPECT_EQ(echo, whole) << round;
            continue;
        }
        // A cut echo is the start of the whole one, `limit` characters of it, then "…".
        ++cuts;
        ASSERT_GT(echo.size(), kEllipsis.size());
        const std::string head = echo.substr(0, echo.size() - kEllipsis.size());
        EXPECT_EQ(echo.substr(head.size()), kEllipsis) << round;
        EXPECT_EQ(whole.rfind(head, 0), 0u) << round;
        EXPECT_EQ(echoedCharacters(head), limit) << round;
        EXPECT_EQ(text.rfind(unescaped(head), 0), 0u) << round;
    }
    EXPECT_GT(cuts, 1000);
    EXPECT_EQ(echoedText("T_jichu_dadi"), "T_jichu_dadi");
    EXPECT_EQ(echoedText("a\nb\r\x01", 10), "a\\nb\\r\\u0001");
    EXPECT_EQ(echoedText("大底大底", 2), "大底…");
    EXPECT_EQ(echoedText(std::string(5 << 20, 'k')), std::string(kEchoedKeyChars, 'k') + "…");
}

std::string jsonString(const std::string& text) { return nlohmann::json(text).dump(); }

// The longest line an echoed key can make in a message.
constexpr std::size_t kLongestEcho = kEchoedKeyChars * 6 + 3;

TEST(UnknownKeys, NoticeNamesAScreenfulOfKeysEachOnOneShortLine) {
    std::mt19937 rng(8);
    for (int round = 0; round < 60; ++round) {
        const int count = round == 0 ? 200000 : int(rng() % 60);
        std::vector<std::string> keys;
        std::string scheme = R"({"format":"tarnel-scheme","version":1,"Fmain":{)";
        for (int i = 0; i < count; ++i) {
            std::string key = round == 0 ? std::string("K") : randomText(rng, int(rng() % 30));
            if (round > 0 && rng() % 20 == 0) key += std::string(1 << 20, 'x');
            key += '#';
            key += std::to_string(i);  // no two alike
            if (!isValidUtf8(key)) continue;  // JSON holds only UTF-8
            if (!keys.empty()) scheme += ',';
            scheme.append(jsonString(key)).append(":1");
            keys.push_back(std::string("Fmain.").append(key));
        }
        const SchemeReading reading = readScheme(scheme + "}}");
        ASSERT_TRUE(reading.scheme) << reading.error;
        std::vector<std::string> expectedKeys = keys;
        std::sort(expectedKeys.begin(), expectedKeys.end());  // an object's keys come sorted
        ASSERT_EQ(reading.unknownKeys, expectedKeys);
        const std::string notice = unknownKeysNotice(reading.unknownKeys);
        if (keys.empty()) {
            EXPECT_EQ(notice, "");
            continue;
        }
        const std::size_t listed = std::min(keys.size(), kNoticeMaxKeys);
        // A heading, one line a key, and how many more.
        std::vector<std::string> lines;
        for (std::size_t from = 0; from < notice.size();) {
            const std::size_t end = notice.find("\r\n", from);
            ASSERT_NE(end, std::string::npos) << "the notice ends with a line break";
            lines.push_back(notice.substr(from, end - from));
            from = end + 2;
        }
        ASSERT_EQ(lines.size(), 1 + listed + (keys.size() > listed));
        for (std::size_t i = 0; i < listed; ++i) {
            EXPECT_FALSE(holdsControl(lines[1 + i])) << round;
            EXPECT_LE(lines[1 + i].size(), kLongestEcho) << round;
            EXPECT_EQ(lines[1 + i], echoedText(reading.unknownKeys[i])) << round;
        }
        if (keys.size() > listed) {
            EXPECT_EQ(lines.back(), "…及其他 " + std::to_string(keys.size() - listed) + " 个");
        }
        EXPECT_LE(notice.size(), 200 + kNoticeMaxKeys * (kLongestEcho + 2));
    }
}

// Every reason a scheme is refused for is one line, however long or
// strange the key it names.
TEST(RefusalReasons, EchoKeysOnOneShortLine) {
    std::mt19937 rng(13);
    for (int round = 0; round < 300; ++round) {
        std::string key = randomText(rng, 1 + int(rng() % 40));
        if (round % 10 == 0) key.insert(0, std::string(1 << 20, 'k'));
        if (!isValidUtf8(key)) continue;
        std::string twice = "{";
        twice.append(jsonString(key)).append(":1,").append(jsonString(key)).append(":2}");
        const std::string place =
            rng() % 2 ? twice : std::string(R"({"format":"tarnel-scheme","version":1,"Fmain":)").append(twice).append("}");
        const SchemeReading reading = readScheme(place);
        ASSERT_FALSE(reading.scheme);
        EXPECT_NE(reading.error.find("重复出现"), std::string::npos) << reading.error;
        EXPECT_FALSE(holdsControl(reading.error)) << reading.error;
        EXPECT_LE(reading.error.size(), kLongestEcho + 200);
    }
    for (const std::string& path : {std::string("/nonexistent/a\nb\r.tarnel"), "/nonexistent/" + std::string(1 << 20, 'p')}) {
        const FileBytes file = readFileBytes(path, 100);
        ASSERT_FALSE(file.bytes);
        EXPECT_FALSE(holdsControl(file.error)) << file.error;
        EXPECT_LE(file.error.size(), 1000u);
    }
}

// A scheme is one JSON value with nothing after it but white space: a NUL
// ends nothing, wherever it stands.
TEST(SchemeFile, IsOneJsonValueAndWhiteSpace) {
    testing::StateMaker make(17);
    std::mt19937 rng(17);
    for (int round = 0; round < 200; ++round) {
        const std::string scheme = writeScheme(make.main(0.1), nullptr);
        std::string tail;
        for (int n = int(rng() % 5); n > 0; --n) tail += " \t\r\n"[rng() % 4];
        ASSERT_TRUE(readScheme(scheme + tail).scheme);
        // A NUL after the scheme, then anything.
        std::string junk = randomText(rng, int(rng() % 10));
        if (rng() % 3 == 0) junk = scheme;
        const SchemeReading after = readScheme(scheme + tail + '\0' + junk);
        EXPECT_FALSE(after.scheme) << round;
        std::size_t lines = 1 + std::size_t(std::count(scheme.begin(), scheme.end(), '\n'));
        lines += std::size_t(std::count(tail.begin(), tail.end(), '\n'));
        EXPECT_NE(after.error.find("第 " + std::to_string(lines) + " 行"), std::string::npos) << after.error;
        // A NUL in place of any white space between tokens.
        std::vector<std::size_t> spaces;
        for (std::size_t i = 0; i < scheme.size(); ++i)
            if (scheme[i] == '\n') spaces.push_back(i);
        std::string broken = scheme;
        broken[spaces[rng() % spaces.size()]] = '\0';
        EXPECT_FALSE(readScheme(broken).scheme) << round;
    }
    EXPECT_TRUE(readScheme(R"({"format":"tarnel-scheme","version":1} )").scheme);
    EXPECT_FALSE(readScheme(std::string(R"({"format":"tarnel-scheme","version":1})") + '\0').scheme);
    const SchemeReading inside = readScheme(std::string("{\"format\":\"tarnel-scheme\",\n\"version\":1,\0}", 40));
    EXPECT_EQ(inside.error, "方案文件不是有效的 JSON：第 2 行第 13 列有错误。");
}

}  // namespace
}  // namespace tarnel
