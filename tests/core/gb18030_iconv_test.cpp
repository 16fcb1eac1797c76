// The program's own GB18030 decoder against the system's iconv, read the way
// the history reader used to read with iconv: every one-, two- and four-byte
// sequence alone, then random texts mixing characters, stray and cut-off
// bytes. Linux only: that is where iconv is at hand.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>

#include "core/files/platform.h"

namespace tarnel {
namespace {

class IconvReference {
public:
    IconvReference() : cd_(iconv_open("UTF-8", "GB18030")) {}
    ~IconvReference() {
        if (ok()) iconv_close(cd_);
    }
    IconvReference(const IconvReference&) = delete;
    IconvReference& operator=(const IconvReference&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // iconv over the whole text; where it stops (invalid or cut off), one
    // byte becomes U+FFFD and it goes on after that byte.
    std::string decode(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 3 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size(), used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) continue;
            EXPECT_NE(errno, E2BIG);
            std::memcpy(out.data() + used, "\xEF\xBF\xBD", 3);
            used += 3;
            ++src;
            --srcLeft;
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

std::string bytes(std::initializer_list<unsigned> list) {
    std::string s;
    for (unsigned b : list) s += static_cast<char>(b);
    return s;
}

TEST(Gb18030, EveryOneAndTwoByteSequenceReadsAsIconvReadsIt) {
    IconvReference iconv;
    ASSERT_TRUE(iconv.ok());
    int differences = 0;
    for (unsigned a = 0; a < 256; ++a) {
        const std::string one = bytes({a});
        if (gb18030ToUtf8(one) != iconv.decode(one) && ++differences <= 5) ADD_FAILURE() << "byte " << a;
        for (unsigned b = 0; b < 256; ++b) {
            const std::string two = bytes({a, b});
            if (gb18030ToUtf8(two) != iconv.decode(two) && ++differences <= 5)
                ADD_FAILURE() << "bytes " << std::hex << a << ' ' << b;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(Gb18030, EveryFourByteSequenceReadsAsIconvReadsIt) {
    IconvReference iconv;
    ASSERT_TRUE(iconv.ok());
    int differences = 0, characters = 0;
    std::string four(4, '\0');
    for (unsigned a = 0x81; a <= 0xFE; ++a)
        for (unsigned b = 0x30; b <= 0x39; ++b)
            for (unsigned c = 0x81; c <= 0xFE; ++c)
                for (unsigned d = 0x30; d <= 0x39; ++d) {
                    four[0] = static_cast<char>(a), four[1] = static_cast<char>(b);
                    four[2] = static_cast<char>(c), four[3] = static_cast<char>(d);
                    const std::string mine = gb18030ToUtf8(four);
                    characters += mine.find("\xEF\xBF\xBD") == std::string::npos;
                    if (mine != iconv.decode(four) && ++differences <= 5)
                        ADD_FAILURE() << "bytes " << std::hex << a << ' ' << b << ' ' << c << ' ' << d;
                }
    EXPECT_EQ(differences, 0);
    // The BMP beyond the two-byte characters and the supplementary planes.
    EXPECT_GT(characters, 39000 + 1000000);
}

TEST(Gb18030, RandomTextsReadAsIconvReadsThem) {
    IconvReference iconv;
    ASSERT_TRUE(iconv.ok());
    std::mt19937 rng(29);
    auto byteIn = [&rng](unsigned lo, unsigned hi) { return static_cast<char>(lo + rng() % (hi - lo + 1)); };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int pieces = static_cast<int>(rng() % 12);
        for (int p = 0; p < pieces; ++p) {
            switch (rng() % 6) {
                case 0: text += byteIn(0x20, 0x7E); break;
                case 1: text += byteIn(0x81, 0xFE), text += byteIn(0x40, 0xFE); break;
                case 2:
                    text += byteIn(0x81, 0x84), text += byteIn(0x30, 0x39);
                    text += byteIn(0x81, 0xFE), text += byteIn(0x30, 0x39);
                    break;
                case 3:
                    text += byteIn(0x90, 0xE3), text += byteIn(0x30, 0x39);
                    text += byteIn(0x81, 0xFE), text += byteIn(0x30, 0x39);
                    break;
                case 4: text += static_cast<char>(rng() & 0xFF); break;
                default: text += byteIn(0x81, 0xFE), text += byteIn(0x30, 0x39); break;  // often cut off
            }
        }
        ASSERT_EQ(gb18030ToUtf8(text), iconv.decode(text)) << "round " << round;
    }
}

}  // namespace
}  // namespace tarnel
