// The list boxes of the main window's number-list conditions: junk
// compounds (垃圾复式), two-digit kill and must lists (杀2码, 必出2码),
// positional pair kills (定位杀2码) and the fifteen two-digit sum,
// difference and sum-tail boxes (两码和/差/合).
//
// Input: NUL-separated texts: junk compounds, kill pairs, must pairs, the
// three positional kill boxes, then the fifteen value boxes.
//
// Each rule is compared with a naive reading of its documented meaning,
// applied to all 1000 numbers one by one.

#include <array>
#include <string>
#include <vector>

#include "core/rules/number_lists.h"
#include "fuzz_support.h"
#include "core/rules/number_pool.h"

namespace {

using namespace tarnel;

std::array<int, 3> digitsOf(int v) { return {v / 100, v / 10 % 10, v % 10}; }

std::string trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

// Compares a pool after a rule with the numbers the reference kills.
template <class Killed>
void comparePool(const NumberPool& pool, const char* property, Killed killed) {
    for (int v = 0; v < NumberPool::kSize; ++v)
        if (pool.alive(v) == killed(v)) fuzz::fail(property, fuzz::paddedNumber(v, 3));
}

// ---- 垃圾复式 ----------------------------------------------------------------

// Reference: a compound line is three groups separated by exactly two "*";
// a group lists the digits written in it.
std::array<unsigned, 3> compoundReference(std::string_view line) {
    std::vector<std::string_view> groups;
    std::size_t start = 0;
    for (;;) {
        const std::size_t star = line.find('*', start);
        groups.push_back(line.substr(start, star == std::string_view::npos ? std::string_view::npos : star - start));
        if (star == std::string_view::npos) break;
        start = star + 1;
    }
    std::array<unsigned, 3> sets{};
    if (groups.size() != 3) return sets;
    for (std::size_t g = 0; g < 3; ++g)
        for (char c : groups[g])
            if (fuzz::isDigitByte(c)) sets[g] |= 1u << (c - '0');
    return sets;
}

std::vector<std::string_view> crLfLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return lines;
        text.remove_prefix(end + 2);
    }
}

void checkJunkCompounds(std::string_view text) {
    std::vector<std::array<unsigned, 3>> lines;
    for (std::string_view line : crLfLines(text)) {
        const auto expected = compoundReference(line);
        if (parseCompoundLine(line).digits != expected)
            fuzz::fail("a compound line reads as its three star-separated groups", fuzz::shown(line));
        lines.push_back(expected);
    }
    NumberListInputs in;
    in.junkCompounds = std::string(text);
    NumberPool pool;
    killJunkCompounds(pool, in);
    comparePool(pool, "junk compounds kill exactly the numbers some line covers", [&](int v) {
        const auto d = digitsOf(v);
        for (const auto& sets : lines)
            if ((sets[0] >> d[0] & 1u) && (sets[1] >> d[1] & 1u) && (sets[2] >> d[2] & 1u)) return true;
        return false;
    });
}

// ---- 杀2码 / 必出2码 / 定位杀2码 ----------------------------------------------

// Whether any ordered pair of two different positions of v is listed.
bool anyPairListed(int v, const std::vector<bool>& listed) {
    const auto d = digitsOf(v);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != j && listed[static_cast<std::size_t>(d[i] * 10 + d[j])]) return true;
    return false;
}

void checkPairLists(std::string_view kill, std::string_view must, const std::array<std::string_view, 3>& positional) {
    NumberListInputs in;
    in.killPairs = std::string(kill);
    in.mustPairs = std::string(must);
    for (std::size_t i = 0; i < 3; ++i) in.positionalKill[i] = std::string(positional[i]);

    const auto killListed = fuzz::listedWindows(kill, 2);
    NumberPool killPool;
    killTwoDigitCombos(killPool, in);
    comparePool(killPool, "the kill-pair list kills numbers holding a listed pair in any order",
                [&](int v) { return anyPairListed(v, killListed); });

    // A must list that is not blank is in force even when it lists nothing.
    const bool mustActive = !trimmed(must).empty();
    const auto mustListed = fuzz::listedWindows(must, 2);
    NumberPool mustPool;
    keepMustContainTwoDigit(mustPool, in);
    comparePool(mustPool, "the must-pair list keeps only numbers holding a listed pair",
                [&](int v) { return mustActive && !anyPairListed(v, mustListed); });

    const std::array<std::vector<bool>, 3> posListed = {fuzz::listedWindows(positional[0], 2),
                                                        fuzz::listedWindows(positional[1], 2),
                                                        fuzz::listedWindows(positional[2], 2)};
    NumberPool posPool;
    killPositionalPairs(posPool, in);
    comparePool(posPool, "positional pair kills look at their own two positions", [&](int v) {
        const auto d = digitsOf(v);
        return posListed[0][static_cast<std::size_t>(d[0] * 10 + d[1])] ||
               posListed[1][static_cast<std::size_t>(d[0] * 10 + d[2])] ||
               posListed[2][static_cast<std::size_t>(d[1] * 10 + d[2])];
    });
}

// ---- 两码和 / 两码差 / 两码合 --------------------------------------------------

// Reference: the values 0..18 a list names, each digit run read as a
// decimal number of any length.
std::uint32_t valuesReference(std::string_view text) {
    std::uint32_t values = 0;
    for (const std::string& run : fuzz::digitRuns(text)) {
        const std::size_t first = run.find_first_not_of('0');
        const std::string significant = first == std::string::npos ? "0" : run.substr(first);
        if (significant.size() <= 2 && std::stoi(significant) <= 18) values |= 1u << std::stoi(significant);
    }
    return values;
}

std::string joinedRuns(std::string_view text) {
    std::string out;
    for (const std::string& run : fuzz::digitRuns(text)) out += (out.empty() ? "" : " ") + run;
    return out;
}

void checkValueBoxes(const std::array<std::string_view, kPairValueBoxes>& boxes) {
    NumberListInputs in;
    std::array<bool, kPairValueBoxes> active{};
    std::array<std::uint32_t, kPairValueBoxes> values{};
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        in.pairValues[k] = std::string(boxes[k]);
        const std::string clean = normalizeValueList(boxes[k]);
        if (clean != joinedRuns(boxes[k]))
            fuzz::fail("a cleaned value list is its digit runs joined by single spaces", fuzz::shown(boxes[k]));
        values[k] = valuesReference(boxes[k]);
        if (listedPairValues(boxes[k]) != values[k])
            fuzz::fail("a value list names exactly its runs of value 0..18", fuzz::shown(boxes[k]));
        if (listedPairValues(clean) != values[k]) fuzz::fail("cleaning a value list keeps its values", fuzz::shown(clean));
        active[k] = !clean.empty();
    }

    NumberPool pool;
    filterTwoDigitSumsAndDiffs(pool, in);
    comparePool(pool, "sum and difference boxes keep and exclude as their rows say", [&](int v) {
        const auto d = digitsOf(v);
        const int pairs[3][2] = {{d[0], d[1]}, {d[0], d[2]}, {d[1], d[2]}};
        for (int col = 0; col < 3; ++col) {
            const int sum = pairs[col][0] + pairs[col][1];
            const int diff = pairs[col][0] > pairs[col][1] ? pairs[col][0] - pairs[col][1] : pairs[col][1] - pairs[col][0];
            auto box = [&](int row) { return static_cast<std::size_t>(row * 3 + col); };
            auto holds = [&](int row, int value) { return (values[box(row)] >> value & 1u) != 0; };
            if (active[box(0)] && !holds(0, sum)) return true;
            if (active[box(1)] && holds(1, sum)) return true;
            if (active[box(2)] && !holds(2, diff)) return true;
            if (active[box(3)] && holds(3, diff)) return true;
        }
        return false;
    });

    NumberPool tailPool;
    killTwoDigitSumTails(tailPool, in);
    comparePool(tailPool, "a sum-tail box kills the tails whose digit it holds", [&](int v) {
        const auto d = digitsOf(v);
        const int pairs[3][2] = {{d[0], d[1]}, {d[0], d[2]}, {d[1], d[2]}};
        for (int col = 0; col < 3; ++col) {
            const char tail = static_cast<char>('0' + (pairs[col][0] + pairs[col][1]) % 10);
            if (boxes[static_cast<std::size_t>(12 + col)].find(tail) != std::string_view::npos) return true;
        }
        return false;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 6 + kPairValueBoxes);
    checkJunkCompounds(parts[0]);
    checkPairLists(parts[1], parts[2], {parts[3], parts[4], parts[5]});
    std::array<std::string_view, kPairValueBoxes> boxes;
    for (std::size_t k = 0; k < boxes.size(); ++k) boxes[k] = parts[6 + k];
    checkValueBoxes(boxes);
    return 0;
}
