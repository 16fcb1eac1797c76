#include "core/files/draw_sources.h"

#include <nlohmann/json.hpp>

#include "core/rules/text.h"

namespace tarnel {

namespace {

using Json = nlohmann::json;

std::string pageTag(int page) { return "（第 " + std::to_string(page) + " 页）"; }

// A source's text, shown in a refusal: control characters escaped, cut short.
std::string sourceText(std::string_view text) {
    std::string out = "\"";
    out += echoedText(text, 80);
    out += '"';
    return out;
}

bool isDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isAsciiDigit(s[i])) return false;
    return true;
}

// The first ten characters of a date field when they are a date.
std::string dateOf(const Json& field) {
    if (!field.is_string()) return {};
    const std::string& s = field.get_ref<const std::string&>();
    return s.size() >= 10 && isDate(std::string_view(s).substr(0, 10)) ? s.substr(0, 10) : std::string();
}

// The three digits of a draw written with separators ("3,7,7", "3 7 7") or
// without ("377"); nothing when the text holds other characters or another
// count of digits.
std::optional<std::string> drawDigits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (isAsciiDigit(c))
            digits += c;
        else if (c != ',' && c != ' ' && c != '\t')
            return std::nullopt;
    }
    if (digits.size() != 3) return std::nullopt;
    return digits;
}

// A field that holds text; numbers are read as the digits they print.
std::optional<std::string> textField(const Json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end()) return std::nullopt;
    if (it->is_string()) return it->get<std::string>();
    if (it->is_number_unsigned()) return std::to_string(it->get<std::uint64_t>());
    if (it->is_number_integer()) return std::to_string(it->get<std::int64_t>());
    return std::nullopt;
}

SourcePage refused(std::string why) {
    SourcePage page;
    page.error = std::move(why);
    return page;
}

// One listed draw: issue, draw and date fields of the lottery's answer.
struct DrawFields {
    const char* issue;
    const char* number;
    const char* date;
};

SourcePage readList(Lottery lottery, const Json& list, const DrawFields& fields, int page) {
    SourcePage out;
    for (const Json& item : list) {
        if (!item.is_object()) return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：列表中有一项不是开奖记录");
        const std::optional<std::string> issue = textField(item, fields.issue);
        if (!issue) return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：开奖记录缺少 " + fields.issue);
        if (!isIssueOf(lottery, *issue))
            return refused("来源给出的期号 " + sourceText(*issue) + " 不是 " + std::to_string(issueLength(lottery)) +
                           " 位数字（" + std::string(lotteryName(lottery)) + "的期号为 " +
                           std::to_string(issueLength(lottery)) + " 位）" + pageTag(page));
        const std::optional<std::string> drawText = textField(item, fields.number);
        if (!drawText) return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：第 " + *issue + " 期缺少 " + fields.number);
        const std::optional<std::string> number = drawDigits(*drawText);
        if (!number)
            return refused("来源给出的第 " + *issue + " 期开奖号码 " + sourceText(*drawText) + " 不是三位数字" + pageTag(page));
        const auto date = item.find(fields.date);
        out.draws.push_back({*issue, date == item.end() ? std::string() : dateOf(*date), *number});
    }
    return out;
}

std::optional<long long> wholeNumber(const Json& v) {
    if (v.is_number_unsigned()) return static_cast<long long>(std::min<std::uint64_t>(v.get<std::uint64_t>(), 1LL << 62));
    if (v.is_number_integer()) return v.get<std::int64_t>();
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        if (s.empty() || s.size() > 12) return std::nullopt;
        long long n = 0;
        for (char c : s) {
            if (!isAsciiDigit(c)) return std::nullopt;
            n = n * 10 + (c - '0');
        }
        return n;
    }
    return std::nullopt;
}

std::string messageOf(const Json& answer, const char* name) {
    const auto it = answer.find(name);
    if (it == answer.end() || it->is_null()) return {};
    return it->is_string() ? it->get<std::string>() : it->dump(-1, ' ', false, Json::error_handler_t::replace);
}

SourcePage failed(const std::string& message, int page) {
    return refused("来源报告失败" + pageTag(page) + (message.empty() ? std::string("，没有说明原因") : "：" + sourceText(message)));
}

SourcePage read3d(const Json& answer, int page) {
    const auto state = answer.find("state");
    if (state == answer.end()) return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：缺少 state");
    const std::optional<long long> code = wholeNumber(*state);
    if (!code || *code != 0) return failed(messageOf(answer, "message"), page);
    const auto result = answer.find("result");
    if (result == answer.end() || !result->is_array())
        return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：缺少 result 列表");
    SourcePage out = readList(Lottery::Fc3d, *result, {"code", "red", "date"}, page);
    if (out.ok() && out.draws.empty()) out.last = true;
    return out;
}

SourcePage readP3(const Json& answer, int page) {
    const auto success = answer.find("success");
    const auto errorCode = answer.find("errorCode");
    if (success == answer.end() && errorCode == answer.end())
        return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：缺少 success 和 errorCode");
    const bool saysFailed = (success != answer.end() && !(success->is_boolean() && success->get<bool>())) ||
                            (errorCode != answer.end() && wholeNumber(*errorCode) != 0LL);
    if (saysFailed) return failed(messageOf(answer, "errorMessage"), page);
    const auto value = answer.find("value");
    if (value == answer.end() || !value->is_object())
        return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：缺少 value");
    const auto list = value->find("list");
    if (list == value->end() || !list->is_array())
        return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：缺少 value.list 列表");
    std::optional<long long> pages;
    if (const auto p = value->find("pages"); p != value->end()) pages = wholeNumber(*p);
    if (pages && page > *pages) {
        SourcePage end;
        end.last = true;
        return end;
    }
    SourcePage out = readList(Lottery::Pl3, *list, {"lotteryDrawNum", "lotteryDrawResult", "lotteryDrawTime"}, page);
    if (out.ok() && (out.draws.empty() || (pages && page >= *pages))) out.last = true;
    return out;
}

bool looksLikeWebPage(std::string_view body) {
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return false;
    body.remove_prefix(first);
    if (body.starts_with("\xEF\xBB\xBF")) return looksLikeWebPage(body.substr(3));
    return body.front() == '<';
}

}  // namespace

std::string_view lotteryKey(Lottery lottery) { return lottery == Lottery::Fc3d ? "3d" : "p3"; }

std::optional<Lottery> lotteryFromKey(std::string_view key) {
    if (key == "3d") return Lottery::Fc3d;
    if (key == "p3") return Lottery::Pl3;
    return std::nullopt;
}

std::string_view lotteryName(Lottery lottery) { return lottery == Lottery::Fc3d ? "福彩3D" : "排列三"; }

std::size_t issueLength(Lottery lottery) { return lottery == Lottery::Fc3d ? 7 : 5; }

bool isIssueOf(Lottery lottery, std::string_view issue) {
    if (issue.size() != issueLength(lottery)) return false;
    for (char c : issue)
        if (!isAsciiDigit(c)) return false;
    return true;
}

std::string_view defaultSourceBase(Lottery lottery) {
    return lottery == Lottery::Fc3d ? "https://www.cwl.gov.cn" : "https://webapi.sporttery.cn";
}

std::string sourcePagePath(Lottery lottery, int page) {
    const std::string p = std::to_string(page);
    if (lottery == Lottery::Fc3d)
        return "/cwl_admin/front/cwlkj/search/kjxx/findDrawNotice?name=3d&pageNo=" + p + "&pageSize=30&systemType=PC";
    return "/gateway/lottery/getHistoryPageListV1.qry?gameNo=35&provinceId=0&pageSize=30&isVerify=1&pageNo=" + p;
}

std::string withControlCharactersBlanked(std::string_view json) {
    std::string out(json);
    bool inString = false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (!inString) {
            inString = c == '"';
        } else if (c == '\\') {
            // An escape: the next byte belongs to it (a control character
            // there is blanked as well, and the parser refuses the escape).
            if (i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) < 0x20) out[i + 1] = ' ';
            ++i;
        } else if (c == '"') {
            inString = false;
        } else if (c < 0x20) {
            out[i] = ' ';
        }
    }
    return out;
}

SourcePage readSourcePage(Lottery lottery, std::string_view body, int page) {
    if (body.size() > kSourcePageMaxBytes)
        return refused("来源的回答过大" + pageTag(page) + "，超过 " + std::to_string(kSourcePageMaxBytes >> 20) + " MB");
    if (looksLikeWebPage(body)) return refused("来源返回的是网页，不是开奖数据" + pageTag(page));
    const Json answer = Json::parse(withControlCharactersBlanked(body), nullptr, false);
    if (answer.is_discarded()) return refused("来源的回答不是开奖数据" + pageTag(page) + "：不是有效的 JSON");
    if (!answer.is_object()) return refused("来源的回答不是预期的开奖数据" + pageTag(page) + "：不是 JSON 对象");
    return lottery == Lottery::Fc3d ? read3d(answer, page) : readP3(answer, page);
}

}  // namespace tarnel
