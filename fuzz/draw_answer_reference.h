#pragma once
// A plain reading of a draw source's answer, for the two draw-source
// harnesses: control characters inside strings found by counting the quotes
// before each byte afresh, the fields taken with std::regex.

#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "core/files/draw_sources.h"

namespace fuzz {

// Whether byte i lies inside a string: the quotes before it, not escaped by
// a backslash inside a string, are odd in number. Quadratic and obvious.
inline bool insideString(std::string_view text, std::size_t i) {
    bool inside = false;
    for (std::size_t k = 0; k < i; ++k) {
        if (inside && text[k] == '\\') {
            ++k;
            if (k == i) return true;  // the escaped byte itself
            continue;
        }
        if (text[k] == '"') inside = !inside;
    }
    return inside;
}

inline std::string referenceBlanked(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20 && insideString(text, i)) out[i] = ' ';
    return out;
}

struct ReferencePage {
    bool ok = false;
    bool last = false;
    std::vector<tarnel::StoredDraw> draws;
};

inline std::optional<std::string> referenceText(const nlohmann::json& v) {
    if (v.is_string()) return v.get<std::string>();
    if (v.is_number_unsigned()) return std::to_string(v.get<std::uint64_t>());
    if (v.is_number_integer()) return std::to_string(v.get<std::int64_t>());
    return std::nullopt;
}

// A whole number given as a JSON number or a short text of digits.
inline std::optional<long long> referenceWhole(const nlohmann::json& v) {
    static const std::regex digits("[0-9]{1,12}");
    if (v.is_number_unsigned()) return static_cast<long long>(std::min<std::uint64_t>(v.get<std::uint64_t>(), 1ULL << 62));
    if (v.is_number_integer()) return v.get<std::int64_t>();
    if (v.is_string() && std::regex_match(v.get<std::string>(), digits)) return std::stoll(v.get<std::string>());
    return std::nullopt;
}

inline ReferencePage referenceRead(tarnel::Lottery lottery, std::string_view body, int page) {
    using nlohmann::json;
    ReferencePage r;
    if (body.size() > tarnel::kSourcePageMaxBytes) return r;
    static const std::regex webPage("^[ \\t\\r\\n]*(\xEF\xBB\xBF[ \\t\\r\\n]*)*<");
    if (std::regex_search(std::string(body), webPage)) return r;
    const json answer = json::parse(referenceBlanked(body), nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) return r;
    const bool d3 = lottery == tarnel::Lottery::Fc3d;
    const json* list = nullptr;
    std::optional<long long> pages;
    if (d3) {
        if (!answer.contains("state") || referenceWhole(answer["state"]) != 0LL) return r;
        if (!answer.contains("result") || !answer["result"].is_array()) return r;
        list = &answer["result"];
    } else {
        if (!answer.contains("success") && !answer.contains("errorCode")) return r;
        if (answer.contains("success") && answer["success"] != true) return r;
        if (answer.contains("errorCode") && referenceWhole(answer["errorCode"]) != 0LL) return r;
        if (!answer.contains("value") || !answer["value"].is_object()) return r;
        const json& value = answer["value"];
        if (!value.contains("list") || !value["list"].is_array()) return r;
        if (value.contains("pages")) pages = referenceWhole(value["pages"]);
        if (pages && page > *pages) {
            r.ok = r.last = true;
            return r;
        }
        list = &value["list"];
    }
    static const std::regex issue3d("[0-9]{7}"), issueP3("[0-9]{5}");
    static const std::regex draw("[ ,\\t]*([0-9])[ ,\\t]*([0-9])[ ,\\t]*([0-9])[ ,\\t]*");
    static const std::regex date("([0-9]{4}-[0-9]{2}-[0-9]{2})[^]*");
    const char* issueField = d3 ? "code" : "lotteryDrawNum";
    const char* drawField = d3 ? "red" : "lotteryDrawResult";
    const char* dateField = d3 ? "date" : "lotteryDrawTime";
    for (const json& item : *list) {
        if (!item.is_object() || !item.contains(issueField) || !item.contains(drawField)) return r;
        const auto issue = referenceText(item[issueField]);
        const auto drawText = referenceText(item[drawField]);
        std::smatch m;
        if (!issue || !std::regex_match(*issue, d3 ? issue3d : issueP3)) return r;
        if (!drawText || !std::regex_match(*drawText, m, draw)) return r;
        tarnel::StoredDraw d{*issue, "", m[1].str() + m[2].str() + m[3].str()};
        if (item.contains(dateField) && item[dateField].is_string()) {
            const std::string text = item[dateField].get<std::string>();
            if (std::regex_match(text, m, date)) d.date = m[1].str();
        }
        r.draws.push_back(d);
    }
    r.ok = true;
    r.last = r.draws.empty() || (pages && page >= *pages);
    return r;
}

// The harness body: the page number from the first byte, the answer the rest.
inline void checkAnswer(tarnel::Lottery lottery, std::string_view input) {
    if (input.empty()) return;
    const int page = 1 + static_cast<unsigned char>(input[0]) % 8;
    const std::string_view body = input.substr(1);
    const tarnel::SourcePage read = tarnel::readSourcePage(lottery, body, page);
    const ReferencePage ref = referenceRead(lottery, body, page);
    check(read.ok() == ref.ok, "an answer is refused exactly when the plain reading refuses it",
          shown(body.substr(0, 300)) + " -> " + read.error);
    check(read.ok() || read.draws.empty(), "a refused page gives no draw");
    check(read.ok() || !read.error.empty(), "a refusal says why");
    if (!read.ok()) return;
    check(read.last == ref.last, "the last page is the one the plain reading says");
    check(read.draws == ref.draws, "the draws are the ones the plain reading finds", shown(body.substr(0, 300)));
    for (const tarnel::StoredDraw& d : read.draws)
        check(tarnel::isIssueOf(lottery, d.issue) && d.number.size() == 3, "a draw read has the lottery's issue and three digits");
}

}  // namespace fuzz
