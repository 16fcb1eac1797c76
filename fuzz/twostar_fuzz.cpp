// The two text boxes of the two-star window: the base list (大底), which a
// run cleans and writes back, and the kill list (杀直选).
//
// Input: NUL-separated texts: base list, kill list.
//
// Properties: space collapsing equals ten literal passes of replacing two
// spaces by one; the cleaned base list equals a character-by-character
// reference for valid UTF-8 and, for any bytes, holds only digits and
// single-ish spaces with the same digit runs in the same order; the base
// list keeps exactly the pairs that occur in its cleaned text; the kill
// list kills exactly the pairs that occur in it.

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "core/rules/pair_pool.h"
#include "core/rules/two_star_run.h"

namespace {

using namespace tarnel;

std::string tenPasses(std::string text) {
    for (int pass = 0; pass < 10; ++pass) {
        std::string next;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
                next += ' ';
                ++i;
            } else {
                next += text[i];
            }
        }
        text = std::move(next);
    }
    return text;
}

std::string trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void checkBaseList(std::string_view text) {
    const std::string normalised = normalizePairList(text);
    for (char c : normalised)
        fuzz::check(fuzz::isDigitByte(c) || c == ' ', "a cleaned base list holds only digits and spaces",
                    fuzz::shown(text));
    fuzz::check(normalised.empty() || (normalised.front() != ' ' && normalised.back() != ' '),
                "a cleaned base list has no spaces at its ends", fuzz::shown(text));
    fuzz::check(fuzz::digitRuns(normalised) == fuzz::digitRuns(text), "cleaning keeps the digit runs as they are",
                fuzz::shown(text));
    std::vector<std::string_view> chars;
    if (fuzz::utf8Characters(text, &chars)) {
        std::string spaced;
        for (std::string_view c : chars) spaced += c.size() == 1 && fuzz::isDigitByte(c[0]) ? c[0] : ' ';
        if (normalised != trimmed(tenPasses(spaced)))
            fuzz::fail("a base list cleans character by character", fuzz::shown(text));
    }

    PairPool pool;
    const std::string written = keepPairBaseList(pool, text);
    fuzz::check(written == normalised, "the run writes back the cleaned list");
    for (int v = 0; v < PairPool::kSize; ++v) {
        const bool kept = normalised.empty() || fuzz::naiveOccurs(fuzz::paddedNumber(v, 2), normalised);
        if (pool.alive(v) != kept) fuzz::fail("the base list keeps exactly its pairs", fuzz::paddedNumber(v, 2));
    }
}

void checkKillList(std::string_view text) {
    TwoStarInputs in;
    in.killList = std::string(text);
    PairPool pool;
    killPairList(pool, in);
    for (int v = 0; v < PairPool::kSize; ++v)
        if (pool.alive(v) == fuzz::naiveOccurs(fuzz::paddedNumber(v, 2), text))
            fuzz::fail("the kill list kills exactly its pairs", fuzz::paddedNumber(v, 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 2);
    const std::string collapsed = collapseSpaces(parts[0]);
    if (collapsed != tenPasses(std::string(parts[0])))
        fuzz::fail("collapsing spaces equals ten passes of two spaces to one", fuzz::shown(parts[0]));
    checkBaseList(parts[0]);
    checkKillList(parts[1]);
    return 0;
}
