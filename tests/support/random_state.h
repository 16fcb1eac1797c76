#pragma once
// Random condition states for cross-checks: every control of the scheme
// table is set now and then, so that most states keep some numbers and
// every kind of condition takes part over a few hundred states.

#include <random>
#include <string>
#include <type_traits>
#include <variant>

#include "core/files/scheme.h"

namespace tarnel::testing {

class StateMaker {
public:
    explicit StateMaker(unsigned seed) : rng_(seed) {}

    std::mt19937& rng() { return rng_; }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    // Digits in groups of `width`, separated as players type them.
    std::string numberList(int width, int count, bool multiLine) {
        static const char* const separators[] = {" ", "  ", ",", "，", "\t"};
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i > 0) text += multiLine && chance(0.3) ? std::string("\r\n") : separators[below(5)];
            for (int k = 0; k < width; ++k) text += static_cast<char>('0' + below(10));
        }
        return text;
    }

    // A text as a box holds it: any characters, CR LF breaks in a multi-line box.
    std::string anyText(bool multiLine) {
        static const char* const pieces[] = {"1", "23", "456", " ", "大底", "\"", "\\", "é", "𝟘", "\t", "*", "-"};
        std::string text;
        const int n = below(8);
        for (int i = 0; i < n; ++i) text += multiLine && chance(0.15) ? "\r\n" : pieces[below(12)];
        return text;
    }

    // Sets each field with probability p (texts to lists of numbers).
    void scramble(std::vector<ControlField> fields, double p) {
        for (ControlField& f : fields) {
            if (!chance(p)) continue;
            std::visit(
                [&](auto* v) {
                    using T = std::remove_pointer_t<decltype(v)>;
                    if constexpr (std::is_same_v<T, bool>) {
                        *v = !*v;
                    } else if constexpr (std::is_same_v<T, int>) {
                        *v = below(10);
                    } else if constexpr (std::is_same_v<T, std::string>) {
                        const bool multi = f.kind == ControlKind::MultiLineText;
                        *v = chance(0.2) ? anyText(multi) : numberList(1 + below(3), 1 + below(40), multi);
                    } else {
                        v->clear();
                        static const char* const positions[] = {"百", "十", "个"};
                        static const char* const relations[] = {"大于", "小于", "等于", "大于等于", "小于等于", "不等于"};
                        for (int n = below(3); n > 0; --n)
                            v->push_back(std::string(positions[below(3)]) + "         " + relations[below(6)] +
                                         "         " + positions[below(3)]);
                    }
                },
                f.value);
        }
    }

    MainConditions main(double p = 0.04) {
        MainConditions s;
        scramble(mainControls(s), p);
        // A run keeps few numbers with a base list; leave it empty most of the time.
        if (chance(0.6)) s.sources.baseList.clear();
        if (chance(0.8)) s.sources.compoundOn = false;
        return s;
    }

    TwoStarConditions twoStar(double p = 0.04) {
        TwoStarConditions s = twoStarStartState();
        scramble(twoStarControls(s), p);
        return s;
    }

private:
    std::mt19937 rng_;
};

// A rule that follows past draws, every field in its range, looking back at
// most `maxDraws` draws.
inline PastDrawRule randomRule(StateMaker& make, int maxDraws) {
    PastDrawRule r;
    r.measure = static_cast<RuleMeasure>(make.below(kRuleMeasureCount));
    r.from = make.chance(0.5) ? RuleSource::Recent : RuleSource::Omission;
    r.draws = 1 + make.below(maxDraws);
    if (r.from == RuleSource::Omission) {
        r.min = make.below(r.draws + 1);
        r.max = r.min + make.below(r.draws - r.min + 1);
    }
    r.action = make.chance(0.5) ? RuleAction::Kill : RuleAction::Keep;
    return r;
}

}  // namespace tarnel::testing
