// The positional rules read from text: the position-match rule lines
// (位置匹配, as the list box shows them or a scheme brings them) and the
// three positional pair boxes (定位2码).
//
// Input: NUL-separated texts: the rule lines (one per LF), then the three
// pair boxes.
//
// Properties: a rule line reads as a character-by-character reading of its
// documented form (for valid UTF-8; any line at all reads to positions in
// range and one of the seven outcome sets, and surrounding spaces change
// nothing); a line written by matchRuleLine reads back as the rule it
// shows; the rules keep exactly the numbers one of them holds for; a pair
// box cleans to digits and single inner spaces as a step-by-step
// reference does, and keeps exactly the numbers whose pair occurs in it.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/rules/positional.h"
#include "fuzz_support.h"
#include "core/rules/number_pool.h"

namespace {

using namespace tarnel;

constexpr unsigned kGreater = 1, kEqual = 2, kLess = 4;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Reference reading of a valid UTF-8 line, by whole characters.
std::optional<MatchRule> matchRuleReference(std::string_view line) {
    std::vector<std::string_view> chars;
    if (!fuzz::utf8Characters(trimmed(line), &chars)) fuzz::fail("the reference needs valid UTF-8");
    std::vector<std::string> coded;
    for (std::string_view c : chars) {
        if (c == "百") coded.emplace_back("1");
        else if (c == "十") coded.emplace_back("2");
        else if (c == "个") coded.emplace_back("3");
        else coded.emplace_back(c);
    }
    auto position = [](const std::string& c) { return c.size() == 1 && c[0] >= '1' && c[0] <= '3' ? c[0] - '1' : -1; };
    if (coded.empty() || position(coded.front()) < 0 || position(coded.back()) < 0) return std::nullopt;
    MatchRule rule;
    rule.first = position(coded.front());
    rule.second = position(coded.back());
    std::string relation;  // characters 2 .. n-2 (1-based): between the second and the third-from-last
    for (std::size_t i = 1; i + 2 < coded.size(); ++i) relation += coded[i];
    static const std::map<std::string, unsigned, std::less<>> relations = {
        {"大于", kGreater}, {"小于", kLess}, {"等于", kEqual},
        {"大于等于", kGreater | kEqual}, {"小于等于", kLess | kEqual}, {"不等于", kGreater | kLess}};
    const auto it = relations.find(trimmed(relation));
    rule.outcomes = it == relations.end() ? 0 : it->second;
    return rule;
}

bool sameRule(const std::optional<MatchRule>& a, const std::optional<MatchRule>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->first == b->first && a->second == b->second && a->outcomes == b->outcomes);
}

void checkRuleLine(std::string_view line) {
    const auto rule = parseMatchRule(line);
    if (rule) {
        fuzz::check(rule->first >= 0 && rule->first < 3 && rule->second >= 0 && rule->second < 3,
                    "a rule names positions 0..2", fuzz::shown(line));
        const unsigned o = rule->outcomes;
        fuzz::check(o == 0 || o == kGreater || o == kLess || o == kEqual || o == (kGreater | kEqual) ||
                        o == (kLess | kEqual) || o == (kGreater | kLess),
                    "a rule's outcomes are those of one relation word", fuzz::shown(line));
    }
    const std::string padded = "  " + std::string(line) + " ";
    fuzz::check(sameRule(rule, parseMatchRule(padded)), "spaces around a rule line change nothing", fuzz::shown(line));
    if (fuzz::validUtf8(line) && !sameRule(rule, matchRuleReference(line)))
        fuzz::fail("a rule line reads as its characters say", fuzz::shown(line));
}

// Lines built the way the list box builds them, from words the input picks.
void checkWrittenRules(std::string_view input) {
    for (std::size_t i = 0; i + 2 < input.size() && i < 30; i += 3) {
        const auto first = static_cast<unsigned char>(input[i]) % 3;
        const auto relation = static_cast<unsigned char>(input[i + 1]) % 6;
        const auto second = static_cast<unsigned char>(input[i + 2]) % 3;
        const std::string line =
            matchRuleLine(kMatchPositions[first], kMatchRelations[relation], kMatchPositions[second]);
        const auto rule = parseMatchRule(line);
        static constexpr unsigned kOutcomes[6] = {kGreater, kLess, kEqual, kGreater | kEqual, kLess | kEqual,
                                                  kGreater | kLess};
        fuzz::check(rule && rule->first == int(first) && rule->second == int(second) &&
                        rule->outcomes == kOutcomes[relation],
                    "a written rule line reads back as its rule", line);
    }
}

void checkRuleList(std::string_view text) {
    PositionalInputs in;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        in.matchRules.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (text.empty()) in.matchRules.clear();
    std::vector<std::optional<MatchRule>> rules;
    for (const std::string& line : in.matchRules) {
        checkRuleLine(line);
        rules.push_back(fuzz::validUtf8(line) ? matchRuleReference(line) : parseMatchRule(line));
    }
    NumberPool pool;
    applyPositionMatchRules(pool, in);
    for (int v = 0; v < NumberPool::kSize; ++v) {
        const int d[3] = {v / 100, v / 10 % 10, v % 10};
        bool kept = rules.empty();
        for (const auto& rule : rules) {
            if (!rule) continue;
            const int a = d[rule->first], b = d[rule->second];
            const unsigned outcome = a > b ? kGreater : a == b ? kEqual : kLess;
            kept = kept || (rule->outcomes & outcome) != 0;
        }
        if (pool.alive(v) != kept) fuzz::fail("the rules keep the numbers one of them holds for", fuzz::paddedNumber(v, 3));
    }
}

// Reference cleaning, one documented step at a time.
std::string cleanReference(std::string_view text) {
    std::string kept;
    for (char c : text)
        if (fuzz::isDigitByte(c) || c == ' ' || c == '\r' || c == '\n') kept += c;
    std::string spaced;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept.compare(i, 2, "\r\n") == 0) {
            spaced += ' ';
            ++i;
        } else {
            spaced += kept[i];
        }
    }
    std::string single;
    for (char c : spaced)
        if (!(c == ' ' && !single.empty() && single.back() == ' ')) single += c;
    return std::string(trimmed(single));
}

void checkPairBoxes(const std::array<std::string_view, 3>& boxes) {
    PositionalInputs in;
    std::array<std::string, 3> cleaned;
    for (std::size_t i = 0; i < 3; ++i) {
        in.pairLists[i] = std::string(boxes[i]);
        cleaned[i] = cleanPairListText(boxes[i]);
        if (cleaned[i] != cleanReference(boxes[i]))
            fuzz::fail("a pair box cleans as the reference does", fuzz::shown(boxes[i]));
        fuzz::check(cleanPairListText(cleaned[i]) == cleaned[i], "cleaning a cleaned box changes nothing");
    }
    NumberPool pool;
    keepPositionalPairs(pool, in);
    constexpr int kPositions[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (int v = 0; v < NumberPool::kSize; ++v) {
        const int d[3] = {v / 100, v / 10 % 10, v % 10};
        bool kept = true;
        for (std::size_t i = 0; i < 3; ++i) {
            if (cleaned[i].empty()) continue;
            const int pair = d[kPositions[i][0]] * 10 + d[kPositions[i][1]];
            kept = kept && fuzz::naiveOccurs(fuzz::paddedNumber(pair, 2), cleaned[i]);
        }
        if (pool.alive(v) != kept)
            fuzz::fail("pair boxes keep the numbers whose pairs they list", fuzz::paddedNumber(v, 3));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 4);
    checkRuleList(parts[0]);
    checkWrittenRules(parts[0]);
    checkPairBoxes({parts[1], parts[2], parts[3]});
    return 0;
}
