#include "core/files/scheme.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>

#include "core/files/platform.h"
#include "core/rules/text.h"

namespace tarnel {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr int kMaxDepth = 64;

std::string indexed(std::string_view name, std::size_t i) {
    return std::string(name) + '[' + std::to_string(i) + ']';
}

class Table {
public:
    std::vector<ControlField> fields;

    void text(std::string_view name, std::string& s, ControlKind kind) { fields.push_back({std::string(name), kind, &s}); }
    template <std::size_t N>
    void texts(std::string_view name, std::array<std::string, N>& a, ControlKind kind) {
        for (std::size_t i = 0; i < N; ++i) fields.push_back({indexed(name, i), kind, &a[i]});
    }
    void flag(std::string_view name, bool& b, ControlKind kind) { fields.push_back({std::string(name), kind, &b}); }
    template <std::size_t N>
    void flags(std::string_view name, std::array<bool, N>& a, ControlKind kind) {
        for (std::size_t i = 0; i < N; ++i) fields.push_back({indexed(name, i), kind, &a[i]});
    }
};

constexpr auto kMulti = ControlKind::MultiLineText;
constexpr auto kSingle = ControlKind::SingleLineText;
constexpr auto kCheck = ControlKind::Check;
constexpr auto kToggle = ControlKind::Toggle;

}  // namespace

std::vector<ControlField> mainControls(MainConditions& s) {
    Table t;
    // Text boxes.
    t.text("T_jichu_dadi", s.sources.baseList, kMulti);
    t.texts("T_dadi_in", s.sources.compoundDigits, kSingle);
    t.text("T_main_shazhixuan", s.lists.directNumbers, kMulti);
    t.text("T_main_laji_fushi", s.lists.junkCompounds, kMulti);
    t.text("T_main_sha_2ma", s.lists.killPairs, kMulti);
    t.text("T_main_bichu_2ma", s.lists.mustPairs, kMulti);
    t.texts("T_main_dw_sha", s.lists.positionalKill, kMulti);
    t.texts("T_lm_he", s.lists.pairValues, kSingle);
    t.text("T_hezhi_fanwei_1", s.digits.sumLower, kSingle);
    t.text("T_hezhi_fanwei_2", s.digits.sumUpper, kSingle);
    t.text("T__hezhi_zhiding_sha", s.digits.sumKillList, kMulti);
    t.texts("T_main_dw2m", s.positional.pairLists, kMulti);
    t.texts("T_dd_jiaoji", s.setLists, kMulti);
    // Check boxes.
    t.flag("Check_fs_ip", s.sources.compoundOn, kCheck);
    t.flags("Check_hewei_sha", s.digits.sumTailKill, kCheck);
    t.flags("Check_kuadu_sha", s.digits.spanKill, kCheck);
    t.flags("Check_danma_chu", s.digits.bankerDigits, kCheck);
    t.flags("Check_danma_chu_geshu", s.digits.bankerCount, kCheck);
    t.flags("Check_ac", s.digits.acKill, kCheck);
    t.flags("Check_pailie_daxiao", s.digits.bigSmall, kCheck);
    t.flags("Check_pailie_jiou", s.digits.oddEven, kCheck);
    t.flags("Check_pailie_zhihe", s.digits.primeComposite, kCheck);
    t.flags("Check_012_paichu", s.digits.road, kCheck);
    t.flags("Check_tebie_paichu", s.digits.special, kCheck);
    t.flag("Check_danzu_sx0", s.positional.bankerOn, kCheck);
    t.flag("Check_danma_jc", s.positional.bankerRepeats, kCheck);
    // Toggle buttons.
    t.flags("C_fushi_paichu", s.digits.compoundExclude, kToggle);
    t.flags("C_dingwei_sha", s.digits.positionKill, kToggle);
    t.flags("C_danzu", s.positional.bankerDigits, kToggle);
    t.flags("C_danzu_gs", s.positional.bankerCounts, kToggle);
    t.flags("C_3d_dwrd", s.positional.hitGrid, kToggle);
    t.flags("C_ry2m_he", s.positional.anyTwoTails, kToggle);
    // Combo boxes and the list box.
    t.texts("C_wz_pp", s.positional.matchCombos, ControlKind::Combo);
    t.fields.push_back({"Combo_rongcuo", ControlKind::Combo, &s.tolerance});
    t.fields.push_back({"L_wz_pp", ControlKind::List, &s.positional.matchRules});
    return std::move(t.fields);
}

std::vector<ControlField> twoStarControls(TwoStarConditions& s) {
    Table t;
    t.text("T_2d_dd[0]", s.baseList, kMulti);
    t.text("T_2d_dd[1]", s.killList, kMulti);
    t.flag("Check_danma_jc", s.countRepeats, kCheck);
    t.flags("C_2d_dm", s.bankerDigit, kToggle);
    t.flags("C_2d_dm_rc", s.bankerCount, kToggle);
    t.flags("C_2d_kua", s.span, kToggle);
    t.flags("C_2d_he", s.sum, kToggle);
    t.flags("C_2d_dw", s.position, kToggle);
    t.flags("C_2d_fs", s.compound, kToggle);
    t.flags("C_2d_xt", s.shape, kToggle);
    t.flags("C_2d_012", s.road, kToggle);
    t.flags("C_2d_duizi", s.kind, kToggle);
    return std::move(t.fields);
}

// ---- box texts -----------------------------------------------------------------

namespace {

// Replaces each line break (CR LF, CR, LF and, when `paragraphs`, U+2028 and
// U+2029, which a multi-line box shows as line breaks too) by `with`.
std::string replaceBreaks(std::string_view text, std::string_view with, bool paragraphs) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += with;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += with;
        } else if (paragraphs && c == '\xE2' &&
                   (text.substr(i, 3) == "\xE2\x80\xA9" || text.substr(i, 3) == "\xE2\x80\xA8")) {
            out += with;
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string multiLineBoxText(std::string_view text) { return replaceBreaks(text, "\r\n", true); }
std::string singleLineBoxText(std::string_view text) { return replaceBreaks(text, " ", false); }

// ---- writing -------------------------------------------------------------------

namespace {

OrderedJson windowObject(std::vector<ControlField> fields) {
    OrderedJson object = OrderedJson::object();
    for (const ControlField& f : fields) {
        std::visit(
            [&](auto* v) {
                using T = std::remove_pointer_t<decltype(v)>;
                if constexpr (std::is_same_v<T, bool>) {
                    if (f.kind == ControlKind::Check)
                        object[f.key] = *v ? 1 : 0;
                    else
                        object[f.key] = *v;
                } else if constexpr (std::is_same_v<T, int>) {
                    object[f.key] = std::to_string(*v);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    object[f.key] = *v;
                } else {
                    OrderedJson lines = OrderedJson::array();
                    for (const std::string& line : *v) lines.push_back(line);
                    object[f.key] = std::move(lines);
                }
            },
            f.value);
    }
    return object;
}

OrderedJson rulesArray(const std::vector<PastDrawRule>& rules) {
    OrderedJson array = OrderedJson::array();
    for (const PastDrawRule& r : rules) {
        OrderedJson rule = OrderedJson::object();
        rule["measure"] = measureInfo(r.measure).key;
        rule["from"] = r.from == RuleSource::Recent ? kRuleFromRecent : kRuleFromOmission;
        rule["draws"] = r.draws;
        if (r.from == RuleSource::Omission) {
            rule["min"] = r.min;
            rule["max"] = r.max;
        }
        rule["action"] = r.action == RuleAction::Kill ? kRuleKill : kRuleKeep;
        array.push_back(std::move(rule));
    }
    return array;
}

}  // namespace

std::string rulesJson(const std::vector<PastDrawRule>& rules) { return rulesArray(rules).dump(); }

std::string writeScheme(const MainConditions& main, const TwoStarConditions* twoStar) {
    OrderedJson doc = OrderedJson::object();
    doc["format"] = kSchemeFormat;
    doc["version"] = main.rules.empty() ? kSchemeVersionWithoutRules : kSchemeVersionOfRules;
    MainConditions m = main;
    OrderedJson fmain = windowObject(mainControls(m));
    if (!main.rules.empty()) fmain["rules"] = rulesArray(main.rules);
    doc["Fmain"] = std::move(fmain);
    if (twoStar) {
        TwoStarConditions t = *twoStar;
        doc["F2d"] = windowObject(twoStarControls(t));
    }
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

// ---- reading -------------------------------------------------------------------

namespace {

struct Refusal {
    std::string message;
};

// 1-based line and column (in characters) of a 1-based byte position.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view bytes, std::size_t position) {
    std::size_t line = 1, column = 1;
    const std::size_t end = std::min(position > 0 ? position - 1 : 0, bytes.size());
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// A key or a path as a message names it: escaped and cut, so that a reason
// stays one short line whatever the file holds.
constexpr std::size_t kEchoedPathChars = 200;
std::string inQuotes(std::string_view text, std::size_t maxChars = kEchoedKeyChars) {
    return "\u201C" + echoedText(text, maxChars) + "\u201D";
}

const char* expectedValue(ControlKind kind) {
    switch (kind) {
        case ControlKind::MultiLineText:
        case ControlKind::SingleLineText: return "文本框的值应为字符串";
        case ControlKind::Check: return "复选框的值应为 0 或 1";
        case ControlKind::Toggle: return "按钮的值应为 true 或 false";
        case ControlKind::Combo: return "下拉框的值应为字符串";
        case ControlKind::List: return "列表框的值应为字符串数组";
    }
    return "";
}

void readWindow(const Json& object, std::string_view window, std::vector<ControlField> fields,
                std::vector<std::string>& unknown) {
    const auto wrong = [&](const std::string& key, const char* why) {
        throw Refusal{"方案中 " + std::string(window) + " 的 " + inQuotes(key) + " 的值不正确：" + why + "。"};
    };
    std::set<std::string, std::less<>> known;
    for (ControlField& f : fields) {
        known.insert(f.key);
        const auto it = object.find(f.key);
        if (it == object.end()) continue;
        const Json& v = *it;
        std::visit(
            [&](auto* target) {
                using T = std::remove_pointer_t<decltype(target)>;
                if constexpr (std::is_same_v<T, bool>) {
                    if (f.kind == ControlKind::Check) {
                        if (!v.is_number_integer() || (v.get<std::int64_t>() != 0 && v.get<std::int64_t>() != 1))
                            wrong(f.key, expectedValue(f.kind));
                        *target = v.get<std::int64_t>() == 1;
                    } else {
                        if (!v.is_boolean()) wrong(f.key, expectedValue(f.kind));
                        *target = v.get<bool>();
                    }
                } else if constexpr (std::is_same_v<T, std::string>) {
                    if (!v.is_string()) wrong(f.key, expectedValue(f.kind));
                    const auto& s = v.get_ref<const std::string&>();
                    if (f.kind == ControlKind::MultiLineText)
                        *target = multiLineBoxText(s);
                    else if (f.kind == ControlKind::SingleLineText)
                        *target = singleLineBoxText(s);
                    else
                        *target = s;
                } else if constexpr (std::is_same_v<T, int>) {
                    if (!v.is_string()) wrong(f.key, expectedValue(f.kind));
                    const auto& s = v.get_ref<const std::string&>();
                    if (s.size() != 1 || s[0] < '0' || s[0] > '9') wrong(f.key, "应为 \"0\" 到 \"9\" 之一");
                    *target = s[0] - '0';
                } else {
                    if (!v.is_array()) wrong(f.key, expectedValue(f.kind));
                    target->clear();
                    for (const Json& line : v) {
                        if (!line.is_string()) wrong(f.key, expectedValue(f.kind));
                        target->push_back(line.get_ref<const std::string&>());
                    }
                }
            },
            f.value);
    }
    for (const auto& [key, value] : object.items())
        if (!known.count(key)) unknown.push_back(std::string(window) + '.' + key);
}

// The rules of Fmain (动态条件), checked whole: every rule's keys known, its
// measure, source and action named, its numbers present and in range.
std::vector<PastDrawRule> readRules(const Json& value) {
    const auto refuse = [](const std::string& what) {
        throw Refusal{"方案中 Fmain 的 " + inQuotes("rules") + " " + what + "。"};
    };
    if (!value.is_array()) refuse("的值不正确：动态条件应为对象数组");
    std::vector<PastDrawRule> rules;
    rules.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const Json& item = value[i];
        const std::string which = "第 " + std::to_string(i + 1) + " 条";
        if (!item.is_object()) refuse(which + "的值不正确：每条动态条件应为一个对象");
        const auto wrong = [&](std::string_view key, const std::string& why) {
            refuse(which + "的 " + inQuotes(key) + " 不正确：" + why);
        };
        static const std::set<std::string, std::less<>> kKeys = {"measure", "from", "draws", "min", "max", "action"};
        for (const auto& [key, v] : item.items())
            if (!kKeys.count(key)) wrong(key, "动态条件没有这一项");
        const auto text = [&](std::string_view key, const std::string& expected) -> const std::string& {
            const auto it = item.find(key);
            if (it == item.end()) wrong(key, "缺少这一项，应为" + expected);
            if (!it->is_string()) wrong(key, "应为" + expected);
            return it->get_ref<const std::string&>();
        };
        const auto number = [&](std::string_view key, int low, int high, std::string_view note) {
            const auto it = item.find(key);
            const std::string expected =
                "应为 " + std::to_string(low) + " 到 " + std::to_string(high) + " 的整数" + std::string(note);
            if (it == item.end()) wrong(key, "缺少这一项，" + expected);
            if (!it->is_number_integer()) wrong(key, expected);
            const bool negative = it->is_number_unsigned() ? false : it->get<std::int64_t>() < 0;
            if (negative || it->get<std::uint64_t>() < std::uint64_t(low) || it->get<std::uint64_t>() > std::uint64_t(high))
                wrong(key, expected);
            return static_cast<int>(it->get<std::int64_t>());
        };
        std::string measures;
        for (const RuleMeasureInfo& m : kRuleMeasures) measures += (measures.empty() ? "" : "、") + std::string(m.key);
        PastDrawRule rule;
        const std::string& measure = text("measure", " " + measures + " 之一");
        const auto known = measureByKey(measure);
        if (!known) wrong("measure", "应为 " + measures + " 之一");
        rule.measure = *known;
        const std::string& from = text("from", " \"recent\" 或 \"omission\"");
        if (from != kRuleFromRecent && from != kRuleFromOmission) wrong("from", "应为 \"recent\" 或 \"omission\"");
        rule.from = from == kRuleFromRecent ? RuleSource::Recent : RuleSource::Omission;
        rule.draws = number("draws", 1, kRuleMaxDraws, "");
        if (rule.from == RuleSource::Omission) {
            rule.min = number("min", 0, rule.draws, "（不大于 draws）");
            rule.max = number("max", rule.min, rule.draws, "（不小于 min，不大于 draws）");
        } else {
            for (const char* key : {"min", "max"})
                if (item.contains(key)) wrong(key, "只用于 \"from\": \"omission\" 的动态条件");
        }
        const std::string& action = text("action", " \"kill\" 或 \"keep\"");
        if (action != kRuleKill && action != kRuleKeep) wrong("action", "应为 \"kill\" 或 \"keep\"");
        rule.action = action == kRuleKill ? RuleAction::Kill : RuleAction::Keep;
        rules.push_back(rule);
    }
    return rules;
}

// Byte offset of the first number outside strings that no double holds (or
// the end when there is none).
std::size_t firstHugeNumber(std::string_view bytes) {
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t end = i;
            while (end < bytes.size() && std::string_view("+-.eE0123456789").find(bytes[end]) != std::string_view::npos)
                ++end;
            const std::string number(bytes.substr(i, end - i));
            if (!std::isfinite(std::strtod(number.c_str(), nullptr))) return i;
            i = end - 1;
        }
    }
    return bytes.size();
}

// Builds the document from the parser's events, refusing repeated keys
// (they would silently hide one value) and deep nesting (it only costs) as
// they come, and keeping only what a scheme is read from. Each event is
// constant work: the parser's own callback mode
// looks through the whole parent array after every value it keeps, which
// made a file of many objects in one array take minutes.
class CheckedBuilder {
public:
    using Int = Json::number_integer_t;
    using Unsigned = Json::number_unsigned_t;
    using Float = Json::number_float_t;

    explicit CheckedBuilder(Json& root) : root_(root) {}

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(Int value) { return add(value); }
    bool number_unsigned(Unsigned value) { return add(value); }
    bool number_float(Float value, const std::string&) { return add(value); }
    bool string(std::string& value) { return add(std::move(value)); }
    bool binary(Json::binary_t& value) { return add(std::move(value)); }

    bool start_object(std::size_t) { return open(Json::value_t::object); }
    bool start_array(std::size_t) { return open(Json::value_t::array); }
    bool end_object() {
        open_.pop_back();
        keys_.pop_back();
        return true;
    }
    bool end_array() {
        open_.pop_back();
        return true;
    }
    bool key(std::string& key) {
        if (!keys_.back().insert(key).second)
            throw Refusal{"方案文件中的键 " + inQuotes(key) + " 重复出现，无法确定用哪一个值。"};
        Json* object = open_.back();
        slot_ = nullptr;
        if (!object) return true;
        Json& value = (*object)[key];
        // Of the top level only the scheme's own members are read; any other
        // is listed by its key alone, so its value is checked but not kept.
        if (open_.size() > 1 || key == "format" || key == "version" || key == "Fmain" || key == "F2d") slot_ = &value;
        return true;
    }

    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& error) {
        throw error;
    }

private:
    // Whether the next value is kept: not within a value that is not, nor
    // inside a document that is an array (it is refused whatever it holds).
    bool keeps() const {
        if (open_.empty()) return true;
        const Json* parent = open_.back();
        if (!parent) return false;
        return parent->is_array() ? open_.size() > 1 : slot_ != nullptr;
    }
    // Places a kept value where the parser is: the whole document, the next
    // element of the open array, or the value of the key just read.
    Json* place(Json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        if (open_.back()->is_array()) {
            open_.back()->get_ref<Json::array_t&>().push_back(std::move(value));
            return &open_.back()->get_ref<Json::array_t&>().back();
        }
        *slot_ = std::move(value);
        return slot_;
    }
    template <class T>
    bool add(T&& value) {
        if (keeps()) place(Json(std::forward<T>(value)));
        return true;
    }
    bool open(Json::value_t type) {
        if (open_.size() >= std::size_t(kMaxDepth)) throw Refusal{"方案文件的嵌套层数过多（超过 64 层），不是方案文件。"};
        open_.push_back(keeps() ? place(Json(type)) : nullptr);
        if (type == Json::value_t::object) keys_.emplace_back();
        return true;
    }

    Json& root_;
    std::vector<Json*> open_;  // the arrays and objects being read, outermost first (null: not kept)
    std::vector<std::set<std::string>> keys_;  // the keys read so far in each open object
    Json* slot_ = nullptr;
};

Json parseChecked(std::string_view bytes) {
    const auto at = [bytes](std::size_t position) {
        const auto [line, column] = lineAndColumn(bytes, position);
        return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列";
    };
    // The parser takes a NUL byte for the end of its input, so a scheme
    // followed by a NUL and anything at all would pass. No NUL byte belongs
    // in JSON (a string writes it as \u0000): what comes before the first
    // one must be refused on its own, and if it is a whole value the NUL is
    // the error.
    const std::size_t nul = bytes.find('\0');
    try {
        Json doc;
        CheckedBuilder builder(doc);
        Json::sax_parse(bytes.begin(), bytes.begin() + std::ptrdiff_t(std::min(nul, bytes.size())), &builder);
        if (nul != std::string_view::npos) throw Refusal{"方案文件不是有效的 JSON：" + at(nul + 1) + "有错误。"};
        return doc;
    } catch (const Json::parse_error& e) {
        throw Refusal{"方案文件不是有效的 JSON：" + at(e.byte) + "有错误。"};
    } catch (const Json::out_of_range&) {
        // A number beyond a double (1e400): the parser names no place, so
        // find the first such number outside the strings.
        throw Refusal{"方案文件不是有效的 JSON：" + at(firstHugeNumber(bytes) + 1) + "的数超出范围。"};
    }
}

}  // namespace

SchemeReading readScheme(std::string_view bytes) {
    SchemeReading reading;
    try {
        const Json doc = parseChecked(bytes);
        if (!doc.is_object()) throw Refusal{"方案文件的内容应是一个 JSON 对象。"};
        const auto format = doc.find("format");
        if (format == doc.end() || !format->is_string() || format->get_ref<const std::string&>() != kSchemeFormat)
            throw Refusal{"这不是 Tarnel 方案文件：\"format\" 应为 \"tarnel-scheme\"。"};
        const auto version = doc.find("version");
        if (version == doc.end() || !version->is_number_integer() || version->get<std::int64_t>() < 1 ||
            version->get<std::int64_t>() > kSchemeVersion)
            throw Refusal{"方案文件的版本 \"version\" 应为 1 到 " + std::to_string(kSchemeVersion) +
                          " 之间的整数，本程序打不开这个版本的方案。"};
        Scheme scheme;
        for (const auto& [key, value] : doc.items()) {
            if (key == "format" || key == "version") continue;
            if (key == "Fmain" || key == "F2d") {
                if (!value.is_object()) throw Refusal{"方案中 " + inQuotes(key) + " 的值应是一个对象。"};
                if (key == "Fmain") {
                    readWindow(value, key, mainControls(scheme.main), reading.unknownKeys);
                    if (const auto rules = value.find("rules"); rules != value.end()) {
                        std::erase(reading.unknownKeys, std::string("Fmain.rules"));
                        if (version->get<std::int64_t>() < kSchemeVersionOfRules)
                            throw Refusal{"方案中 Fmain 的 " + inQuotes("rules") + "（动态条件）只能出现在版本 " +
                                          std::to_string(kSchemeVersionOfRules) + " 的方案中，这个文件的 \"version\" 是 " +
                                          std::to_string(version->get<std::int64_t>()) + "。"};
                        scheme.main.rules = readRules(*rules);
                    }
                } else {
                    scheme.twoStar = twoStarStartState();
                    readWindow(value, key, twoStarControls(*scheme.twoStar), reading.unknownKeys);
                }
            } else {
                reading.unknownKeys.push_back(key);
            }
        }
        reading.scheme = std::move(scheme);
    } catch (const Refusal& r) {
        reading.error = r.message;
        reading.unknownKeys.clear();
    } catch (const Json::exception&) {
        reading.error = "方案文件不是有效的 JSON。";
        reading.unknownKeys.clear();
    }
    return reading;
}

std::string unknownKeysNotice(const std::vector<std::string>& keys) {
    if (keys.empty()) return {};
    std::string text = "方案中有以下项目本程序不认识，已忽略：\r\n";
    const std::size_t shown = std::min(keys.size(), kNoticeMaxKeys);
    for (std::size_t i = 0; i < shown; ++i) text += echoedText(keys[i]) + "\r\n";
    if (keys.size() > shown) text += "…及其他 " + std::to_string(keys.size() - shown) + " 个\r\n";
    return text;
}

FileBytes readFileBytes(const std::string& path, std::size_t maxBytes) {
    namespace fs = std::filesystem;
    FileBytes out;
    std::error_code ec;
    const fs::path p = pathFromUtf8(path);
    if (fs::is_directory(p, ec)) {
        out.error = inQuotes(path, kEchoedPathChars) + " 是一个文件夹，不是文件。";
        return out;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        out.error = "无法读取文件 " + inQuotes(path, kEchoedPathChars) + "：文件不存在或没有读取权限。";
        return out;
    }
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            out.error = "文件 " + inQuotes(path, kEchoedPathChars) + " 过大（超过 " + std::to_string(maxBytes >> 20) + " MB），未读取。";
            return out;
        }
    }
    if (in.bad()) {
        out.error = "读取文件 " + inQuotes(path, kEchoedPathChars) + " 时出错。";
        return out;
    }
    out.bytes = std::move(bytes);
    return out;
}

}  // namespace tarnel
