// The one-pass digit-window scan behind every "its text occurs in the
// list" rule, and the two rules that read a pasted three-digit list: the
// base list (大底) and the direct numbers to kill (杀直选); and the three
// compound digit boxes (复式输入), which read single digits.
//
// Properties: for widths 1, 2 and 3, a value is in the windows exactly when
// its padded text is a substring of the input (every substring of that
// width read on its own); size() counts them; adding a second text adds exactly that
// text's windows; the base list keeps exactly the listed numbers (or all
// when the text has no digit); direct numbers kill exactly the listed ones;
// compound boxes keep the numbers whose every digit occurs in its box.
//
// Input: NUL-separated texts: the list, a second text, three compound boxes.

#include <array>

#include "core/rules/text.h"
#include "core/rules/number_lists.h"
#include "core/rules/pool_sources.h"
#include "fuzz_support.h"
#include "core/rules/number_pool.h"

namespace {

using namespace tarnel;

template <int Width>
std::vector<bool> listedValues(std::string_view text) {
    return fuzz::listedWindows(text, Width);
}

template <int Width>
void checkWindows(std::string_view text, std::string_view more) {
    const DigitWindows<Width> windows(text);
    const std::vector<bool> reference = listedValues<Width>(text);
    std::size_t listed = 0;
    for (int v = 0; v < DigitWindows<Width>::kCount; ++v) {
        const bool expected = reference[static_cast<std::size_t>(v)];
        if (windows.contains(v) != expected)
            fuzz::fail("digit windows equal the substring reference",
                       "width " + std::to_string(Width) + ", value " + std::to_string(v) + ", text \"" +
                           fuzz::shown(text) + "\"");
        listed += expected;
    }
    fuzz::check(windows.size() == listed, "size() counts the listed values");
    fuzz::check(windows.empty() == (listed == 0), "empty() means nothing listed");

    // A second text, added after the first, adds its own windows only: the
    // scan starts afresh, so no window spans the two texts.
    DigitWindows<Width> both(text);
    both.add(more);
    const DigitWindows<Width> second(more);
    for (int v = 0; v < DigitWindows<Width>::kCount; ++v)
        if (both.contains(v) != (windows.contains(v) || second.contains(v)))
            fuzz::fail("add() unites the windows of separate texts", std::to_string(v));
}

void checkDigitSet(std::string_view text) {
    unsigned expected = 0;
    for (int d = 0; d < 10; ++d)
        if (text.find(static_cast<char>('0' + d)) != std::string_view::npos) expected |= 1u << d;
    fuzz::check(digitSet(text) == expected, "digitSet lists exactly the digits that occur");
    fuzz::check(hasAsciiDigit(text) == (expected != 0), "hasAsciiDigit agrees with digitSet");
}

void checkBaseList(std::string_view text, const std::vector<bool>& listed) {
    PoolSourceInputs in;
    in.baseList = std::string(text);
    NumberPool pool;
    keepBaseList(pool, in);
    const bool anyDigit = text.find_first_of("0123456789") != std::string_view::npos;
    for (int v = 0; v < NumberPool::kSize; ++v) {
        const bool expected = !anyDigit || listed[static_cast<std::size_t>(v)];
        if (pool.alive(v) != expected)
            fuzz::fail("the base list keeps exactly its numbers", fuzz::paddedNumber(v, 3));
    }
}

void checkDirectNumbers(std::string_view text, const std::vector<bool>& listed) {
    NumberListInputs in;
    in.directNumbers = std::string(text);
    NumberPool pool;
    killDirectNumbers(pool, in);
    for (int v = 0; v < NumberPool::kSize; ++v) {
        const bool expected = !listed[static_cast<std::size_t>(v)];
        if (pool.alive(v) != expected)
            fuzz::fail("direct numbers kill exactly the listed numbers", fuzz::paddedNumber(v, 3));
    }
}

// 复式输入: three boxes of digits, one per position.
void checkCompoundDigits(const std::array<std::string_view, 3>& boxes, bool on) {
    PoolSourceInputs in;
    in.compoundOn = on;
    for (std::size_t i = 0; i < 3; ++i) in.compoundDigits[i] = std::string(boxes[i]);
    NumberPool pool;
    killByCompoundDigits(pool, in);
    for (int v = 0; v < NumberPool::kSize; ++v) {
        const std::string text = fuzz::paddedNumber(v, 3);
        bool expected = true;
        for (std::size_t i = 0; i < 3 && on; ++i) expected = expected && boxes[i].find(text[i]) != std::string_view::npos;
        if (pool.alive(v) != expected)
            fuzz::fail("compound digits keep the numbers whose every digit is in its box", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 5);
    const std::string_view text = parts[0], more = parts[1];
    checkWindows<1>(text, more);
    checkWindows<2>(text, more);
    checkWindows<3>(text, more);
    checkDigitSet(text);
    const std::vector<bool> numbers = listedValues<3>(text);
    checkBaseList(text, numbers);
    checkDirectNumbers(text, numbers);
    checkCompoundDigits({parts[2], parts[3], parts[4]}, size % 2 == 0);
    return 0;
}
