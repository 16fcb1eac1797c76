#include "core/state/input_feedback.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/rules/text.h"
#include "core/rules/digit_numeric_text.h"
#include "core/rules/digit_properties.h"
#include "core/rules/number_lists.h"
#include "core/rules/pool_sources.h"
#include "core/rules/positional.h"
#include "core/rules/number_pool.h"
#include "core/rules/two_star_run.h"
#include "core/state/condition_rows.h"
#include "core/state/shrink.h"

namespace tarnel {

namespace {

// Sums are listed one by one up to this many, counted beyond.
constexpr int kListedSumsShown = 10;

std::string countText(int count, std::string_view unit) {
    std::string text = "识别 ";
    text.append(std::to_string(count)).append(" 个").append(unit);
    return text;
}

// A main-window box's text alone, where its row reads it; the feedback asks
// the row whether that sets it and what it then rules out.
struct BoxRow {
    RowId row;
    ShrinkInputs in;

    bool isSet() const { return conditionRow(row).isSet(in); }
    int kills() const { return static_cast<int>(rowKills(row, in).count()); }
};

// Lines of the junk-compound box that are compounds with a digit in every
// group, split at CR LF as the stage splits them.
int compoundLines(std::string_view text) {
    int lines = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kCrLf, start);
        const CompoundLine line =
            parseCompoundLine(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (line.digits[0] && line.digits[1] && line.digits[2]) ++lines;
        if (end == std::string_view::npos) break;
        start = end + kCrLf.size();
    }
    return lines;
}

InputFeedback pairFeedback(const PairWindows& pairs) {
    const int n = static_cast<int>(pairs.size());
    return {countText(n, "两码"), {}, n};
}

InputFeedback numberFeedback(int n) { return {countText(n, "号码"), {}, n}; }

InputFeedback sumListFeedback(std::string_view text) {
    const std::string_view trimmed = trimSpaces(text);
    if (trimmed == trimSpaces(kSumKillListHint)) return {};
    InputFeedback f;
    // The rule ignores the whole box while it holds hint text.
    if (occursIn("值", trimmed) || occursIn("双", trimmed)) {
        if (hasAsciiDigit(trimmed)) f.warning = kHintMixedWarning;
        return f;
    }
    // The listed sums alone, read by the sum rule with the full range.
    DigitPropertyInputs listOnly;
    listOnly.sumKillList = std::string(text);
    const std::uint32_t sums = killedSums(listOnly);
    if (!hasAsciiDigit(trimmed)) return f;
    f.count = std::popcount(sums);
    if (f.count > kListedSumsShown) {
        f.info = countText(f.count, "和值");
    } else if (f.count == 0) {
        f.info = "识别和值：无";
    } else {
        f.info = "识别和值：";
        const char* separator = "";
        for (int s = 0; s <= 27; ++s) {
            if (!((sums >> s) & 1u)) continue;
            f.info.append(separator).append(std::to_string(s));
            separator = " ";
        }
    }
    return f;
}

InputFeedback readBox(ListBox box, std::string_view text) {
    switch (box) {
        case ListBox::BaseList: {
            BoxRow b{RowId::BaseList, {}};
            b.in.source.baseList = std::string(text);
            if (!b.isSet()) return {};
            InputFeedback f = numberFeedback(NumberPool::kSize - b.kills());
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::DirectNumbers: {
            BoxRow b{RowId::DirectNumbers, {}};
            b.in.lists.directNumbers = std::string(trimSpaces(text));
            if (!b.isSet()) return {};
            return numberFeedback(b.kills());
        }
        case ListBox::JunkCompounds: {
            BoxRow b{RowId::JunkCompounds, {}};
            b.in.lists.junkCompounds = std::string(text);
            if (!b.isSet()) return {};
            InputFeedback f;
            f.count = b.kills();
            f.info = "识别 ";
            f.info.append(std::to_string(compoundLines(trimSpaces(text)))).append(" 行复式，共 ");
            f.info.append(std::to_string(f.count)).append(" 注");
            return f;
        }
        case ListBox::KillPairs: {
            BoxRow b{RowId::KillPairs, {}};
            b.in.lists.killPairs = std::string(trimSpaces(text));
            if (!b.isSet()) return {};
            return pairFeedback(PairWindows(b.in.lists.killPairs));
        }
        case ListBox::MustPairs: {
            // Any text that is not blank is a condition, even without a pair.
            BoxRow b{RowId::MustPairs, {}};
            b.in.lists.mustPairs = std::string(trimSpaces(text));
            if (!b.isSet()) return {};
            InputFeedback f = pairFeedback(PairWindows(b.in.lists.mustPairs));
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::PositionalKill: {
            BoxRow b{RowId::PositionalPairKill, {}};
            b.in.lists.positionalKill[0] = std::string(trimSpaces(text));
            if (!b.isSet()) return {};
            return pairFeedback(PairWindows(b.in.lists.positionalKill[0]));
        }
        case ListBox::PositionalPairs: {
            BoxRow b{RowId::PositionalPairs, {}};
            b.in.positional.pairLists[0] = cleanPairListText(text);
            if (!b.isSet()) return {};
            InputFeedback f = pairFeedback(PairWindows(b.in.positional.pairLists[0]));
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::SumKillList: return sumListFeedback(text);
        case ListBox::TwoStarBase: {
            const std::string normalised = normalizePairList(text);
            if (normalised.empty()) return {};
            InputFeedback f = pairFeedback(PairWindows(normalised));
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::TwoStarKill: {
            if (!hasAsciiDigit(text)) return {};
            return pairFeedback(PairWindows(text));
        }
    }
    return {};
}

// A bound box's text is a plain number when, blanks left out, it is a sign,
// digits with at most one decimal point, and an exponent: all of it read.
bool isPlainBound(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (isAsciiDigit(s[i])) digits = true;
        else if (s[i] == '.' && !point) point = true;
        else break;
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t first = j;
        while (j < s.size() && isAsciiDigit(s[j])) ++j;
        if (j > first) i = j;
    }
    return i == s.size();
}

std::string valueText(double v) {
    if (std::isinf(v)) return v > 0 ? "无穷大" : "负无穷大";
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

// How one bound was read, when that is not what a player plainly typed.
std::string boundWarning(std::string_view name, std::string_view text) {
    if (isPlainBound(text)) return {};
    const std::string value = valueText(leadingNumber(text));
    std::string w(name);
    if (text.find_first_not_of(" \t\n") == std::string_view::npos)
        w += "为空";
    else if (hasFullWidthDigit(text))
        w += "含全角数字";
    else
        w.append("“").append(echoedText(text, 12)).append("”不是数字");
    w.append("，读作 ").append(value);
    return w;
}

}  // namespace

InputFeedback sumRangeFeedback(std::string_view lower, std::string_view upper) {
    DigitPropertyInputs range;
    range.sumLower = std::string(lower);
    range.sumUpper = std::string(upper);
    range.sumKillList.clear();
    const std::uint32_t kept = ~killedSums(range) & ((1u << 28) - 1);
    InputFeedback f;
    f.count = std::popcount(kept);
    std::vector<std::string> warnings;
    if (kept == 0) {
        const double lo = leadingNumber(lower), hi = leadingNumber(upper);
        warnings.push_back(lo > hi ? "下限大于上限，本框会排除全部号码"
                                   : "范围内没有 0–27 的和值，本框会排除全部号码");
    }
    for (std::string w : {boundWarning("下限", lower), boundWarning("上限", upper)})
        if (!w.empty()) warnings.push_back(std::move(w));
    if (kept == (1u << 28) - 1 && warnings.empty()) return {};
    if (kept == 0) {
        // The warning says it all: which numbers would be left, none.
    } else {
        const int first = std::countr_zero(kept);
        const int last = 31 - std::countl_zero(kept);
        f.info = "识别和值 " + std::to_string(first) + "–" + std::to_string(last);
        if (f.count == 28) f.info += "（不限）";
    }
    for (const std::string& w : warnings) {
        if (!f.warning.empty()) f.warning += "；";
        f.warning += w;
    }
    return f;
}

bool hasFullWidthDigit(std::string_view text) {
    // ０..９ are EF BC 90..99 in UTF-8.
    for (std::size_t i = text.find('\xEF'); i != std::string_view::npos && i + 2 < text.size();
         i = text.find('\xEF', i + 1)) {
        const auto b = static_cast<unsigned char>(text[i + 2]);
        if (text[i + 1] == '\xBC' && b >= 0x90 && b <= 0x99) return true;
    }
    return false;
}

bool hasDigitRunLongerThan(std::string_view text, int length) {
    int run = 0;
    for (char c : text) {
        run = isAsciiDigit(c) ? run + 1 : 0;
        if (run > length) return true;
    }
    return false;
}

InputFeedback inputFeedback(ListBox box, std::string_view text) {
    InputFeedback f = readBox(box, text);
    // Warnings by importance: a box the rule ignores or that rules out
    // everything, then what the rule skips or reads otherwise than typed.
    const auto warn = [&f](std::string_view warning) {
        if (!f.warning.empty()) f.warning += "；";
        f.warning += warning;
    };
    if (hasFullWidthDigit(text)) warn(kFullWidthDigitsWarning);
    if ((box == ListBox::BaseList || box == ListBox::DirectNumbers) && hasDigitRunLongerThan(text, 3))
        warn(kLongDigitRunWarning);
    return f;
}

}  // namespace tarnel
