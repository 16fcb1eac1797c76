// What the core takes from the system, checked the same way on Linux and on
// Windows: bit sets walked in order, GB18030 tables in place, files with
// Chinese names read byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/files/platform.h"
#include "core/rules/number_pool.h"
#include "core/files/scheme.h"

namespace tarnel {
namespace {

TEST(Platform, ForEachNumberVisitsTheSetInOrder) {
    std::mt19937 rng(2029);
    std::vector<NumberSet> sets = {NumberSet(), ~NumberSet(), NumberSet().set(0), NumberSet().set(999),
                                   NumberSet().set(63).set(64).set(959).set(960)};
    for (int density : {1, 10, 100, 500, 990})
        for (int k = 0; k < 50; ++k) {
            NumberSet s;
            for (std::size_t n = 0; n < s.size(); ++n)
                if (static_cast<int>(rng() % 1000) < density) s.set(n);
            sets.push_back(s);
        }
    for (const NumberSet& s : sets) {
        std::vector<std::size_t> plain, walked;
        for (std::size_t n = 0; n < s.size(); ++n)
            if (s.test(n)) plain.push_back(n);
        forEachNumber(s, [&walked](std::size_t n) { walked.push_back(n); });
        ASSERT_EQ(walked, plain);
    }
}

TEST(Platform, Gb18030TablesReachEveryKindOfCharacter) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc\r\n", "abc\r\n"},
        {"\xC4\xEA\xD4\xC2\xC8\xD5", "年月日"},
        {"\x81\x40", "\xE4\xB8\x82"},                  // U+4E02, first two-byte character
        {"\xA1\xA1", "\xE3\x80\x80"},                  // U+3000
        {"\x81\x30\x81\x30", "\xC2\x80"},              // U+0080, first four-byte character
        {"\x84\x31\xA4\x39", "\xEF\xBF\xBF"},          // U+FFFF
        {"\x90\x30\x81\x30", "\xF0\x90\x80\x80"},      // U+10000
        {"\xE3\x32\x9A\x35", "\xF4\x8F\xBF\xBF"},      // U+10FFFF
        {"\x80\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},      // never characters
        {"\xC4", "\xEF\xBF\xBD"},                      // cut off
        {"\x81\x30\x81", "\xEF\xBF\xBD" "0\xEF\xBF\xBD"},
        {"\xE3\x32\x9A\x36", "\xEF\xBF\xBD" "2\xEF\xBF\xBD" "6"},  // past U+10FFFF
    };
    for (const auto& [gb, utf8] : cases) EXPECT_EQ(gb18030ToUtf8(gb), utf8) << gb;
}

TEST(Platform, FilesWithChineseNamesReadByteForByte) {
    namespace fs = std::filesystem;
    const std::u8string temp =
        (fs::temp_directory_path() / ("tarnel-platform-" + std::to_string(std::random_device{}()))).u8string();
    const std::string dir(temp.begin(), temp.end());
    const std::string name = dir + "/方案 缩水①.tarnel";
    ASSERT_TRUE(fs::create_directories(pathFromUtf8(dir)));
    // Line ends of both kinds, a Ctrl-Z and a zero byte: a text-mode read would change them.
    const std::string bytes = std::string("{\r\n\"a\": 1}\n\x1A\r\r\n") + '\0' + "尾";
    {
        std::ofstream out(pathFromUtf8(name), std::ios::binary);
        out << bytes;
        ASSERT_TRUE(out.good());
    }
    EXPECT_TRUE(fs::exists(pathFromUtf8(name)));
    const FileBytes read = readFileBytes(name, kSchemeMaxBytes);
    ASSERT_TRUE(read.bytes.has_value()) << read.error;
    EXPECT_EQ(*read.bytes, bytes);
    const FileBytes folder = readFileBytes(dir, kSchemeMaxBytes);
    EXPECT_FALSE(folder.bytes.has_value());
    EXPECT_EQ(folder.error, "\u201C" + dir + "\u201D 是一个文件夹，不是文件。");
    const FileBytes missing = readFileBytes(dir + "/没有.tarnel", kSchemeMaxBytes);
    EXPECT_FALSE(missing.bytes.has_value());
    fs::remove_all(pathFromUtf8(dir));
}

}  // namespace
}  // namespace tarnel
