#include "core/rules/two_star_run.h"

#include <algorithm>
#include <bitset>

#include "core/rules/digits.h"
#include "core/rules/selection.h"
#include "core/rules/text.h"
#include "core/rules/pair_grids.h"

namespace tarnel {

namespace {

// Selection text of buttons first..last of a grid, each caption followed by "*".
template <std::size_t N>
std::string selectionText(PairGrid grid, const std::array<bool, N>& selected, int first = 0,
                          int last = static_cast<int>(N) - 1) {
    return captionSelectionText(selected, first, last, [grid](int i) { return gridCaption(grid, i); }, true);
}

std::string digitText(int d) { return std::string(1, static_cast<char>('0' + d)); }

bool inDigits(int d, std::string_view digits) { return occursIn(digitText(d), digits); }

// Two-character class text of a pair: `second` for digits in `secondDigits`.
std::string classText(int t, int u, std::string_view first, std::string_view second,
                      std::string_view secondDigits) {
    std::string text(inDigits(t, secondDigits) ? second : first);
    text += inDigits(u, secondDigits) ? second : first;
    return text;
}

}  // namespace

void rebuildPairPool(PairPool& pool) { pool.reset(); }

void applyPairBankers(PairPool& pool, const TwoStarInputs& in) {
    std::array<std::string, 3> banker;  // B(g): banker digits of row g
    std::array<std::string, 3> counts;  // R(g): allowed numbers of hits
    for (int g = 0; g < 3; ++g) {
        banker[static_cast<std::size_t>(g)] =
            selectionText(PairGrid::BankerDigit, in.bankerDigit, 10 * g, 10 * g + 9);
        counts[static_cast<std::size_t>(g)] =
            selectionText(PairGrid::BankerCount, in.bankerCount, 3 * g, 3 * g + 2);
    }
    if (banker[0].empty() && banker[1].empty() && banker[2].empty()) return;
    // A row without a chosen count asks for at least one banker digit.
    for (auto& r : counts)
        if (r.empty()) r = "12";
    const bool repeats = in.countRepeats;
    // A row's digits and counts are its captions ("3*5*"), so their digit sets say the same.
    std::array<unsigned, 3> bankerSets{}, countSets{};
    for (std::size_t g = 0; g < 3; ++g) {
        bankerSets[g] = digitSet(banker[g]);
        countSets[g] = digitSet(counts[g]);
    }
    pool.killWhere([&](int t, int u) {
        for (std::size_t g = 0; g < 3; ++g) {
            if (banker[g].empty()) continue;
            if (!inDigitSet(countSets[g], bankerHits(std::array{t, u}, bankerSets[g], repeats))) return true;
        }
        return false;
    });
}

void killPairSpans(PairPool& pool, const TwoStarInputs& in) {
    const std::string selected = selectionText(PairGrid::Span, in.span);
    if (selected.empty()) return;
    pool.killWhere([&](int t, int u) { return occursIn(digitText(pairDiff(t, u)), selected); });
}

void killPairSums(PairPool& pool, const TwoStarInputs& in) {
    // Each chosen sum is written with two digits, so "1*" cannot match inside "11*".
    std::string selected;
    for (int i = 0; i < gridSize(PairGrid::Sum); ++i) {
        if (!in.sum[static_cast<std::size_t>(i)]) continue;
        const std::string caption = gridCaption(PairGrid::Sum, i);
        selected += caption.size() < 2 ? "0" + caption : caption;
        selected += '*';
    }
    if (selected.empty()) return;
    pool.killWhere([&](int t, int u) { return occursIn(numberText(pairSum(t, u), 2), selected); });
}

void killPairPositions(PairPool& pool, const TwoStarInputs& in) {
    const std::string tens = selectionText(PairGrid::Position, in.position, 0, 9);
    const std::string units = selectionText(PairGrid::Position, in.position, 10, 19);
    if (tens.empty() && units.empty()) return;
    pool.killWhere([&](int t, int u) {
        return (!tens.empty() && inDigits(t, tens)) || (!units.empty() && inDigits(u, units));
    });
}

void killPairCompound(PairPool& pool, const TwoStarInputs& in) {
    const std::string tens = selectionText(PairGrid::Compound, in.compound, 0, 9);
    const std::string units = selectionText(PairGrid::Compound, in.compound, 10, 19);
    if (tens.empty() || units.empty()) return;
    pool.killWhere([&](int t, int u) { return inDigits(t, tens) && inDigits(u, units); });
}

void killPairShapes(PairPool& pool, const TwoStarInputs& in) {
    const std::string selected = selectionText(PairGrid::Shape, in.shape);
    if (selected.empty()) return;
    pool.killWhere([&](int t, int u) {
        return occursIn(classText(t, u, "大", "小", "01234"), selected) ||
               occursIn(classText(t, u, "单", "双", "02468"), selected) ||
               occursIn(classText(t, u, "质", "合", "04689"), selected);
    });
}

void killPairRoads(PairPool& pool, const TwoStarInputs& in) {
    const std::string selected = selectionText(PairGrid::Road, in.road);
    if (selected.empty()) return;
    pool.killWhere([&](int t, int u) {
        return occursIn(digitText(road(t)) + digitText(road(u)), selected);
    });
}

void killPairKinds(PairPool& pool, const TwoStarInputs& in) {
    const std::string selected = selectionText(PairGrid::Kind, in.kind);
    if (selected.empty()) return;
    pool.killWhere([&](int t, int u) {
        const int d = pairDiff(t, u);
        // 0 and 9 are neighbours: 09 and 90 are consecutive.
        const std::string_view kind = d == 0 ? "对" : (d == 1 || d == 9) ? "连" : "杂";
        return occursIn(kind, selected);
    });
}

void killPairList(PairPool& pool, const TwoStarInputs& in) {
    if (in.killList.empty()) return;
    const PairWindows listed(in.killList);
    pool.killWhere([&](int t, int u) { return listed.contains(t * 10 + u); });
}

std::string collapseSpaces(std::string_view text) {
    // Each pass turns a run of n spaces into ceil(n / 2); ten passes give ceil(n / 1024).
    constexpr std::size_t kKeptPerSpace = std::size_t{1} << 10;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != ' ') {
            out += text[i++];
            continue;
        }
        std::size_t run = 0;
        while (i < text.size() && text[i] == ' ') ++run, ++i;
        out.append((run + kKeptPerSpace - 1) / kKeptPerSpace, ' ');
    }
    return out;
}

std::string normalizePairList(std::string_view text) {
    std::string spaced;
    spaced.reserve(text.size());
    // One space per character, not per UTF-8 byte. A continuation byte that
    // follows no lead byte is a character of its own, so it still separates.
    bool inSequence = false;
    for (unsigned char c : text) {
        if (c >= 0x80 && c < 0xC0 && inSequence) continue;
        inSequence = c >= 0xC0;
        spaced += isAsciiDigit(static_cast<char>(c)) ? static_cast<char>(c) : ' ';
    }
    return std::string(trimSpaces(collapseSpaces(spaced)));
}

std::string keepPairBaseList(PairPool& pool, std::string_view baseList) {
    std::string normalised = normalizePairList(baseList);
    if (normalised.empty()) return normalised;
    const PairWindows listed(normalised);
    pool.killWhere([&](int t, int u) { return !listed.contains(t * 10 + u); });
    return normalised;
}

TwoStarResult pairOutput(const PairPool& pool) {
    TwoStarResult r;
    for (int i = 0; i < PairPool::kSize; ++i) {
        if (!pool.alive(i)) continue;
        r.text += pool.text(i);
        r.text += ' ';
        ++r.count;
    }
    r.text = std::string(trimSpaces(r.text));
    return r;
}

#define TARNEL_PAIR_STEP(name, fn) \
    TwoStarStep { name, [](PairPool& p, const TwoStarInputs& in, TwoStarResult&) { fn(p, in); } }

const std::array<TwoStarStep, kTwoStarStepCount> kTwoStarSteps = {{
    {"rebuild pool", [](PairPool& p, const TwoStarInputs&, TwoStarResult&) { rebuildPairPool(p); }},
    TARNEL_PAIR_STEP("banker groups", applyPairBankers),
    TARNEL_PAIR_STEP("kill span", killPairSpans),
    TARNEL_PAIR_STEP("kill sum", killPairSums),
    TARNEL_PAIR_STEP("position kill", killPairPositions),
    TARNEL_PAIR_STEP("compound exclusion", killPairCompound),
    TARNEL_PAIR_STEP("shapes", killPairShapes),
    TARNEL_PAIR_STEP("012 road", killPairRoads),
    TARNEL_PAIR_STEP("pairs, consecutive and mixed", killPairKinds),
    TARNEL_PAIR_STEP("kill list", killPairList),
    {"base list",
     [](PairPool& p, const TwoStarInputs& in, TwoStarResult& out) {
         out.baseList = keepPairBaseList(p, in.baseList);
     }},
    {"output",
     [](PairPool& p, const TwoStarInputs&, TwoStarResult& out) {
         TwoStarResult printed = pairOutput(p);
         out.text = std::move(printed.text);
         out.count = printed.count;
     }},
}};

#undef TARNEL_PAIR_STEP

TwoStarResult runTwoStar(PairPool& pool, const TwoStarInputs& in) {
    TwoStarResult result;
    for (const TwoStarStep& step : kTwoStarSteps) step.run(pool, in, result);
    return result;
}

TwoStarResult pairGroups(const PairPool& pool) {
    TwoStarResult r;
    std::bitset<PairPool::kSize> seen;
    for (int i = 0; i < PairPool::kSize; ++i) {
        if (!pool.alive(i)) continue;
        const int low = std::min(pool.tens(i), pool.units(i));
        const int high = std::max(pool.tens(i), pool.units(i));
        const auto group = static_cast<std::size_t>(low * 10 + high);
        if (seen.test(group)) continue;
        seen.set(group);
        r.text += numberText(low * 10 + high, 2);
        r.text += ' ';
        ++r.count;
    }
    r.text = std::string(trimSpaces(r.text));
    return r;
}

}  // namespace tarnel
