#include "run/input_feedback.h"

#include <bit>
#include <cstdint>

#include "common/text.h"
#include "conditions/digit_properties.h"
#include "conditions/number_lists.h"
#include "conditions/pool_sources.h"
#include "conditions/positional.h"
#include "pool/number_pool.h"
#include "twostar/two_star_run.h"

namespace tarnel {

namespace {

// Sums are listed one by one up to this many, counted beyond.
constexpr int kListedSumsShown = 10;

std::string countText(int count, std::string_view unit) {
    std::string text = "识别 ";
    text.append(std::to_string(count)).append(" 个").append(unit);
    return text;
}

// The numbers one stage rules out of a full pool.
template <class Inputs>
int killedByStage(void (*stage)(NumberPool&, const Inputs&), const Inputs& in) {
    NumberPool pool;
    stage(pool, in);
    return NumberPool::kSize - pool.aliveCount();
}

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
            if (!hasAsciiDigit(text)) return {};
            PoolSourceInputs in;
            in.baseList = std::string(text);
            InputFeedback f = numberFeedback(NumberPool::kSize - killedByStage(keepBaseList, in));
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::DirectNumbers: {
            const std::string_view trimmed = trimSpaces(text);
            if (!hasAsciiDigit(trimmed)) return {};
            NumberListInputs in;
            in.directNumbers = std::string(trimmed);
            return numberFeedback(killedByStage(killDirectNumbers, in));
        }
        case ListBox::JunkCompounds: {
            const std::string_view trimmed = trimSpaces(text);
            if (!hasAsciiDigit(trimmed)) return {};
            NumberListInputs in;
            in.junkCompounds = std::string(text);
            InputFeedback f;
            f.count = killedByStage(killJunkCompounds, in);
            f.info = "识别 ";
            f.info.append(std::to_string(compoundLines(trimmed))).append(" 行复式，共 ");
            f.info.append(std::to_string(f.count)).append(" 注");
            return f;
        }
        case ListBox::KillPairs: {
            const std::string_view trimmed = trimSpaces(text);
            if (!hasAsciiDigit(trimmed)) return {};
            return pairFeedback(PairWindows(trimmed));
        }
        case ListBox::MustPairs: {
            // Any text that is not blank is a condition, even without a pair.
            const std::string_view trimmed = trimSpaces(text);
            if (trimmed.empty()) return {};
            InputFeedback f = pairFeedback(PairWindows(trimmed));
            if (f.count == 0) f.warning = kNothingReadWarning;
            return f;
        }
        case ListBox::PositionalKill: {
            const std::string_view trimmed = trimSpaces(text);
            if (!hasAsciiDigit(trimmed)) return {};
            return pairFeedback(PairWindows(trimmed));
        }
        case ListBox::PositionalPairs: {
            const std::string cleaned = cleanPairListText(text);
            if (cleaned.empty()) return {};
            InputFeedback f = pairFeedback(PairWindows(cleaned));
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

}  // namespace

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
