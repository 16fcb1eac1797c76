// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/platform.h"
#include "core/rules/text.h"
#include "core/analysis/tickets.h"
#include "core/rules/pair_pool.h"
#include "core/analysis/backtest.h"
#include "core/analysis/backtest_money.h"
#include "core/analysis/combine.h"
#include "core/analysis/money_amount.h"
#include "core/analysis/rule_search.h"
#include "core/analysis/walk_forward.h"
#include "core/files/history_file.h"
#include "core/files/history_order.h"
#include "core/files/scheme.h"
#include "core/state/past_draw_rules.h"
#include "core/state/shrink.h"
#include "core/rules/two_star_run.h"
#include "core/files/draw_sources.h"
#ifdef TARNEL_CLI_DRAWS
#include "draws_command.h"
#endif
#if defined(TARNEL_CLI_DRAWS_ELSEWHERE) && !defined(_WIN32)
#include <climits>
#include <unistd.h>
#endif
#if defined(TARNEL_CLI_DRAWS_ELSEWHERE) && defined(_WIN32)
#include <windows.h>
#endif

using namespace tarnel;

#ifndef TARNEL_VERSION
#define TARNEL_VERSION "0.0.0"
#endif

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char* kUsage =
    "用法：tarnel-cli run SCHEME [--window Fmain|F2d] [--tolerance K] [--history FILE] | "
    "tarnel-cli explain SCHEME NUMBER... [--tolerance K] [--history FILE] | "
    "tarnel-cli backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K] [--bet direct|group] [--price P] "
    "[--prizes D,G3,G6 | --prizes T] | tarnel-cli rows [SCHEME] | tarnel-cli tickets FILE | "
    "tarnel-cli combine SCHEME SCHEME... [--tolerance K] [--history FILE] | "
    "tarnel-cli search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S] | "
    "tarnel-cli draws import|export|update --db FILE --lottery 3d|p3 …"
    "（SCHEME 为方案文件，- 表示标准输入；tarnel-cli --help 显示详细用法）";

// What --help prints: several lines on standard output. Errors keep to one line.
constexpr const char* kHelpHead =
    "用法：tarnel-cli 命令 参数… [选项]\n"
    "\n"
    "不用窗口按方案文件（*.tarnel）缩水。每个命令在标准输出打印一行 JSON，退出码 0；\n"
    "参数错误、文件无法读取或方案被拒绝时，在标准错误打印一行 “tarnel-cli: 原因”，退出码 2。\n"
    "\n"
    "命令：\n";

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* summary;  // one line, under the synopsis in the whole usage
    const char* details;  // more lines for `tarnel-cli COMMAND --help`
};

const CommandHelp kCommands[] = {
    {"run", "run SCHEME [--window Fmain|F2d] [--tolerance K] [--history FILE]",
     "按方案缩水（与按【开始缩水】相同），列出剩下的号码",
     "并给出第 2 到 28 行各自排除的注数。--window F2d 运行二星窗口的条件（方案须含 F2d）；\n"
     "--history FILE 为方案中的动态条件提供开奖历史（方案有动态条件时必须给出），\n"
     "动态条件看历史的最后几期，为其后的一期取值；rules 列出各条（第 101 行起）的取值和排除的注数。"},
    {"explain", "explain SCHEME NUMBER... [--tolerance K] [--history FILE]",
     "说明每个号码被哪些行排除、按容错是否保留",
     "NUMBER 为三位数字，可给多个。动态条件为第 101 行起，方案有动态条件时须用 --history FILE 给出开奖历史。"},
    {"backtest",
     "backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K]\n"
     "           [--bet direct|group] [--price P] [--prizes D,G3,G6 | --prizes T]",
     "用开奖历史逐期验证方案，并与同样注数的随机购买比较",
     "每期给出开奖号码是否保留、被哪些行排除、投注与奖金。\n"
     "--bet 直选（direct，默认）或组选（group）；--price 每注价格；\n"
     "--prizes 直选、组三、组六奖金（二星窗口为一个二星奖金）。\n"
     "方案有动态条件时逐期向前验证：每期的动态条件只看这期以前的开奖（按时间顺序）；\n"
     "某条动态条件历史不足的期为预热期（\"warmup\":true），不计入任何统计。"},
    {"rows", "rows [SCHEME]", "列出其它命令以编号给出的行",
     "第 2 到 28 行，以及 SCHEME 中的动态条件（101 起）。"},
    {"tickets", "tickets FILE", "把号码切成尽量少的直选复式票",
     "FILE（或 - 表示标准输入）中每段连续数字须恰好三位；重复的号码只算一次。"},
    {"combine", "combine SCHEME SCHEME... [--tolerance K] [--history FILE]",
     "多方案组合：保留 n 个方案中至少 n − K 个方案都保留的号码",
     "K 默认 0，即所有方案结果的交集；每个方案用它自己的容错。\n"
     "方案中的动态条件看 --history FILE 的开奖历史（有动态条件时必须给出）。"},
    {"search", "search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S]",
     "条件寻优：在开奖历史上找出最好的几条动态条件，并如实说明它们是否胜过碰运气",
     "HISTORY 为开奖历史文件（- 表示标准输入）。最新的 f 份（默认 0.3，0 到 1 之间）开奖留作检验，\n"
     "不参与寻优；在其余开奖上逐条加入最能提高命中的动态条件，至多 m 条（默认 2，1 到 5）。\n"
     "再在 B 段（默认 99，0 到 9999）纯随机的开奖上重复同样的寻优（随机数种子 S，默认 1），\n"
     "p_training、p_holdout 为随机开奖上不比这次差的比例：p 大说明找到的条件与碰运气无异。"},
    {"draws",
     "draws import --db FILE --lottery 3d|p3 HISTORY\n"
     "           draws export --db FILE --lottery 3d|p3\n"
     "           draws update --db FILE --lottery 3d|p3 [--url BASE] [--pages N]",
#if defined(TARNEL_CLI_DRAWS) || defined(TARNEL_CLI_DRAWS_ELSEWHERE)
     "开奖库：按彩种保存的开奖号码（3d 福彩3D，期号 7 位；p3 排列三，期号 5 位）",
     "--db FILE 为开奖库（SQLite，没有时新建）。\n"
     "import 把开奖历史（- 表示标准输入）中的开奖按期号并入：新期号添加，号码相同的不变，\n"
     "号码不同则整次导入被拒绝；没有期号或期号位数不符的开奖不保存，计入 unstored。\n"
     "export 按期号从小到大打印每期一行：期号 日期 号码（日期不明时为 -）。\n"
     "update 向该彩种的开奖来源逐页取最新开奖（最多 N 页，默认 20），取到库中已有的一期为止，\n"
     "再按 import 的规则并入；--url BASE 替换来源的协议和主机（如 http://127.0.0.1:8080）。\n"
     "来源无法连接、回答出错、给出的数据不符或与库中不同时，整次更新被拒绝。\n"
     "被拒绝时开奖库不会改动。"},
#else
     "开奖库（本版本不含此命令）",
     "这个版本的 tarnel-cli 不用 Qt 构建（Windows 的无 Qt 版），不含开奖库，draws 命令不可用。"},
#endif
};

constexpr const char* kHelpTail =
    "\n"
    "SCHEME 为方案文件，- 表示标准输入；HISTORY 为开奖历史文本文件。\n"
    "--tolerance K 覆盖方案的容错（主窗口）。\n"
    "\n"
    "选项：\n"
    "  -h, --help           显示本帮助\n"
    "  --version            显示版本\n"
    "  命令 --help          显示该命令的用法\n";

std::string commandHelp(const CommandHelp& c) {
    return std::string("用法：tarnel-cli ") + c.synopsis + "\n\n" + c.summary + "。\n" + c.details + "\n" + kHelpTail;
}

std::string wholeHelp() {
    std::string text = kHelpHead;
    for (const CommandHelp& c : kCommands) text += std::string("  ") + c.synopsis + "\n      " + c.summary + "\n";
    return text + kHelpTail;
}

bool isHelpFlag(const std::string& arg) { return arg == "--help" || arg == "-h"; }

struct Failure {
    std::string reason;
};

[[noreturn]] void fail(std::string reason) { throw Failure{std::move(reason)}; }

struct Options {
    std::vector<std::string> positional;
    std::string window = "Fmain";
    std::optional<int> tolerance;
    // backtest only
    std::optional<BetKind> bet;
    std::optional<double> price;  // read as the windows read it (money_amount.h)
    std::optional<std::string> prizes;  // read once the window is known
    // run and explain: the draws the rules look back on
    std::optional<std::string> history;
};

// An argument as a refusal shows it: control characters escaped, cut to a
// readable length, so that the refusal stays one short line.
std::string shown(const std::string& text) { return echoedText(text, 40); }

// A whole number 0..25 written with ASCII digits only.
std::optional<int> toleranceValue(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxTolerance) return std::nullopt;
    return value;
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--window") {
            if (i + 1 >= args.size()) fail("--window 后面缺少窗口名（Fmain 或 F2d）");
            o.window = args[++i];
            if (o.window != "Fmain" && o.window != "F2d") fail("未知窗口 \"" + echoedText(o.window) + "\"（应为 Fmain 或 F2d）");
        } else if (a == "--tolerance") {
            if (i + 1 >= args.size()) fail("--tolerance 后面缺少容错数（0 到 25）");
            o.tolerance = toleranceValue(args[++i]);
            if (!o.tolerance) fail("容错数 \"" + echoedText(args[i]) + "\" 不正确，应为 0 到 25 的整数");
        } else if (a == "--bet") {
            if (i + 1 >= args.size()) fail("--bet 后面缺少投注方式（direct 或 group）");
            const std::string& kind = args[++i];
            if (kind == "direct")
                o.bet = BetKind::Direct;
            else if (kind == "group")
                o.bet = BetKind::Group;
            else
                fail("未知投注方式 \"" + shown(kind) + "\"（应为 direct 或 group）");
        } else if (a == "--price") {
            if (i + 1 >= args.size()) fail("--price 后面缺少单价");
            const Amount price = readAmount(args[++i], kPriceMinFen, kPriceMaxFen);
            if (!price.ok()) fail("单价 \"" + shown(args[i]) + "\" 不正确，应为 0.01 到 10000 的金额，最多两位小数（如 2 或 0.5）");
            o.price = double(price.fen) / 100;
        } else if (a == "--history") {
            if (i + 1 >= args.size()) fail("--history 后面缺少开奖历史文件");
            o.history = args[++i];
        } else if (a == "--prizes") {
            if (i + 1 >= args.size()) fail("--prizes 后面缺少奖金");
            o.prizes = args[++i];
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + echoedText(a));
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.tolerance && o.window == "F2d") fail("--tolerance 只用于主窗口（Fmain），二星窗口（F2d）没有容错");
    return o;
}

// The bytes of a file argument, or of standard input for "-", reading no
// more than one byte past `maxBytes` (standard input may never end). A
// FIFO is read as a file is, under the same limit.
std::string readInput(const std::string& path, std::size_t maxBytes, const char* what) {
    if (path != "-") {
        FileBytes file = readFileBytes(path, maxBytes);
        if (!file.bytes) fail(file.error);
        return std::move(*file.bytes);
    }
    std::string bytes;
    std::vector<char> buffer(std::size_t(1) << 16);
    while (bytes.size() <= maxBytes) {
        const std::size_t want = std::min(buffer.size(), maxBytes + 1 - bytes.size());
        const std::size_t got = std::fread(buffer.data(), 1, want, stdin);
        bytes.append(buffer.data(), got);
        if (got < want) {
            if (std::ferror(stdin)) fail(std::string("读取标准输入的") + what + "时出错");
            break;
        }
    }
    if (bytes.size() > maxBytes)
        fail(std::string("标准输入的") + what + "过大（超过 " + std::to_string(maxBytes >> 20) + " MB），未读取");
    return bytes;
}

Scheme loadScheme(const std::string& path, const Options& o) {
    const std::string bytes = readInput(path, kSchemeMaxBytes, "方案");
    SchemeReading reading = readScheme(bytes);
    if (!reading.scheme) fail(reading.error);
    if (o.tolerance) reading.scheme->main.tolerance = *o.tolerance;
    return std::move(*reading.scheme);
}

constexpr const char* kRulesNeedHistory = "方案中有动态条件，需要用 --history FILE 给出开奖历史";

// Every command reads a history file alike: a file that is no text, or a
// scheme given in a history's place, is refused whatever command reads it.
void refuseNonHistory(std::string_view bytes, const std::string& path) {
    switch (historyFileKind(bytes)) {
    case HistoryFileKind::Text: return;
    case HistoryFileKind::NotText: fail("开奖历史 \"" + echoedText(path, 200) + "\" 不是文本文件");
    case HistoryFileKind::Scheme: fail("\"" + echoedText(path, 200) + "\" 是方案文件，不是开奖历史");
    }
}

// The draws of a history file, oldest first: what rules look back on.
std::vector<int> loadPastDraws(const std::string& path) {
    const std::string bytes = readInput(path, kHistoryMaxBytes, "开奖历史");
    refuseNonHistory(bytes, path);
    return drawsInTimeOrder(readHistory(bytes));
}

// The scheme of run and explain, with the draws its rules look back on. A
// history given is read even when no rule needs it: it must be one.
struct SchemeWithPast {
    Scheme scheme;
    std::vector<int> past;
};
SchemeWithPast loadSchemeWithPast(const Options& o, bool rulesApply) {
    if (o.history && *o.history == "-" && o.positional[0] == "-") fail("方案和开奖历史不能都从标准输入读取");
    SchemeWithPast s{loadScheme(o.positional[0], o), {}};
    if (rulesApply && !s.scheme.main.rules.empty() && !o.history) fail(kRulesNeedHistory);
    if (o.history) s.past = loadPastDraws(*o.history);
    return s;
}

OrderedJson runCommand(const Options& o) {
    if (o.positional.size() != 1) fail(kUsage);
    const SchemeWithPast loaded = loadSchemeWithPast(o, o.window == "Fmain");
    const Scheme& scheme = loaded.scheme;
    OrderedJson out = OrderedJson::object();
    if (o.window == "F2d") {
        if (!scheme.twoStar) fail("方案中没有二星窗口（F2d）的条件");
        PairPool pool;
        runTwoStar(pool, *scheme.twoStar);
        std::vector<std::string> numbers;
        for (int i = 0; i < PairPool::kSize; ++i)
            if (pool.alive(i)) numbers.emplace_back(pool.text(i));
        out["count"] = numbers.size();
        out["numbers"] = numbers;
        return out;
    }
    NumberPool pool;
    const std::vector<ExtraRow> ruleRowsNow = ruleRows(scheme.main, loaded.past);
    runMain(pool, scheme.main, ruleRowsNow);
    std::vector<std::string> numbers;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (pool.alive(i)) numbers.emplace_back(pool.text(i));
    out["count"] = numbers.size();
    out["numbers"] = numbers;
    const ShrinkInputs in = shrinkInputs(scheme.main);
    OrderedJson stages = OrderedJson::array();
    for (const ConditionRow& row : namedRows()) {
        OrderedJson stage = OrderedJson::object();
        stage["row"] = rowNumber(row.id);
        stage["kills"] = rowKills(row.id, in).count();
        stages.push_back(std::move(stage));
    }
    out["stages"] = std::move(stages);
    OrderedJson rules = OrderedJson::array();
    for (std::size_t i = 0; i < ruleRowsNow.size(); ++i) {
        const ExtraRow& r = ruleRowsNow[i];
        OrderedJson rule = OrderedJson::object();
        rule["row"] = r.number;
        rule["ready"] = r.ready;
        rule["values"] = valueList(ruleValues(scheme.main.rules[i], loaded.past));
        rule["kills"] = r.effectiveKills().count();
        rules.push_back(std::move(rule));
    }
    out["rules"] = std::move(rules);
    return out;
}

OrderedJson explainCommand(const Options& o) {
    if (o.positional.size() < 2) fail(kUsage);
    if (o.window != "Fmain") fail("explain 只用于主窗口（Fmain）");
    std::vector<int> numbers;
    for (std::size_t i = 1; i < o.positional.size(); ++i) {
        const std::string& n = o.positional[i];
        if (n.size() != 3 || !isAsciiDigit(n[0]) || !isAsciiDigit(n[1]) || !isAsciiDigit(n[2]))
            fail("号码 \"" + echoedText(n) + "\" 不是三位数字");
        numbers.push_back(std::stoi(n));
    }
    const SchemeWithPast loaded = loadSchemeWithPast(o, true);
    const Scheme& scheme = loaded.scheme;
    const RowKills kills = computeRowKills(shrinkInputs(scheme.main), ruleRows(scheme.main, loaded.past));
    OrderedJson list = OrderedJson::array();
    for (int n : numbers) {
        OrderedJson entry = OrderedJson::object();
        entry["number"] = numberText(n, 3);
        entry["survives"] = survivesWithTolerance(kills, n, scheme.main.tolerance);
        entry["killed_by"] = kills.killedBy(n);
        list.push_back(std::move(entry));
    }
    OrderedJson out = OrderedJson::object();
    out["numbers"] = std::move(list);
    return out;
}

// The price and prizes of a backtest: the defaults, then what the options say.
MoneySettings moneySettings(const Options& o, bool twoStar) {
    MoneySettings m;
    if (o.price) m.price = *o.price;
    if (!o.prizes) return m;
    std::vector<double> values;
    const std::string& text = *o.prizes;
    bool ok = true;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const Amount v = readAmount(std::string_view(text).substr(start, comma - start), kPrizeMinFen, kPrizeMaxFen);
        if (!v.ok()) {
            ok = false;
            break;
        }
        values.push_back(double(v.fen) / 100);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    if (twoStar) {
        if (!ok || values.size() != 1)
            fail("二星奖金 \"" + shown(text) + "\" 不正确，应为一个 0 到 1000000 的金额，最多两位小数（如 100）");
        m.twoStar = values[0];
    } else {
        if (!ok || values.size() != 3)
            fail("奖金 \"" + shown(text) + "\" 不正确，应为 直选,组选三,组选六 三个 0 到 1000000 的金额，最多两位小数（如 1040,346,173）");
        m.direct = values[0];
        m.group3 = values[1];
        m.group6 = values[2];
    }
    return m;
}

// A JSON number: whole amounts without a fraction, others in the shortest
// form that reads back the same.
std::string jsonNumber(double v) {
    if (v == 0) return "0";
    if (std::fabs(v) < 1e15 && std::floor(v) == v) return std::to_string(static_cast<long long>(v));
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The answer goes out as it is made, in blocks; a failed write stops the
// command with one line.
// The rows that the other commands print as numbers, with the player's names.
// A scheme, when given, is read and checked like any other.
OrderedJson rowsCommand(const Options& o) {
    if (o.positional.size() > 1) fail(kUsage);
    std::vector<ExtraRow> rules;
    if (o.positional.size() == 1) rules = ruleRows(loadScheme(o.positional[0], o).main, {});
    OrderedJson rows = OrderedJson::array();
    for (const ConditionRow& row : namedRows()) {
        OrderedJson entry = OrderedJson::object();
        entry["row"] = rowNumber(row.id);
        entry["name"] = std::string(row.playerName);
        rows.push_back(std::move(entry));
    }
    for (const ExtraRow& rule : rules) {
        OrderedJson entry = OrderedJson::object();
        entry["row"] = rule.number;
        entry["name"] = rule.name;
        rows.push_back(std::move(entry));
    }
    OrderedJson out = OrderedJson::object();
    out["rows"] = std::move(rows);
    return out;
}

// tickets FILE|-: the numbers cut into direct compound tickets.
OrderedJson ticketsCommand(const Options& o) {
    if (o.positional.size() != 1) fail("用法：tarnel-cli tickets FILE（FILE 为号码文件，- 表示标准输入）");
    if (o.tolerance || o.window != "Fmain") fail("tickets 不用 --window 和 --tolerance");
    const std::string bytes = readInput(o.positional[0], kHistoryMaxBytes, "号码");
    const TicketInput input = readTicketNumbers(bytes);
    if (!input.ok()) {
        const std::string shown = input.badRun.size() > 40 ? input.badRun.substr(0, 40) + "…" : input.badRun;
        fail("\"" + shown + "\" 不是三位号码（" + std::to_string(input.badRun.size()) + " 位数字）");
    }
    OrderedJson tickets = OrderedJson::array();
    for (const DirectTicket& t : cutDirect(input.numbers)) {
        OrderedJson entry = OrderedJson::object();
        entry["hundreds"] = digitSetText(t.places[0]);
        entry["tens"] = digitSetText(t.places[1]);
        entry["units"] = digitSetText(t.places[2]);
        entry["bets"] = t.bets();
        tickets.push_back(std::move(entry));
    }
    OrderedJson out = OrderedJson::object();
    out["count"] = input.numbers.count();
    out["tickets"] = std::move(tickets);
    return out;
}

void writeOut(std::string_view text);

class AnswerWriter {
public:
    AnswerWriter() { buffer_.reserve(kBlock + 4096); }
    AnswerWriter& operator<<(std::string_view s) {
        buffer_.append(s);
        if (buffer_.size() >= kBlock) flush();
        return *this;
    }
    AnswerWriter& operator<<(long long n) {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, n);
        return *this << std::string_view(buf, static_cast<std::size_t>(r.ptr - buf));
    }
    void flush() {
        if (!buffer_.empty()) writeOut(buffer_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    std::string buffer_;
};

// A backtest with rules walks forward: each draw is bet on with the rules
// looking back from it in time order, so the bets change from draw to draw.
// The draws are kept as numbers and nothing else grows with the history: a
// first walk adds up what the answer opens with; then the draws are written
// in the history's order a block at a time, each block walked again from
// the draws its rules look back on (a newest-first history is written
// against time order), so the rows that ruled out each draw are held for
// one block only, however many rules there are.
void walkForwardCommand(const MainConditions& conditions, std::string_view text, BetKind kind, const MoneySettings& money) {
    std::vector<std::uint16_t> numbers;
    NewestFirstCheck order;
    for (HistoryScanner scan(text); scan.next();) {
        if (!scan.hasDraw()) continue;
        numbers.push_back(static_cast<std::uint16_t>(scan.number()));
        order.add(scan.issue());
    }
    const bool newestFirst = order.newestFirst();
    const std::size_t n = numbers.size();
    const auto inTime = [&](std::size_t t) { return static_cast<int>(numbers[newestFirst ? n - 1 - t : t]); };

    MoneyTally tally;
    long long total = 0, kept = 0, warmup = 0;
    std::vector<std::string> fixedRows(NumberPool::kSize);
    {
        WalkForward walk(conditions, kind, money);
        for (std::size_t t = 0; t < n; ++t) {
            const WalkForward::Step step = walk.next(inTime(t));
            if (step.warmup) {
                ++warmup;
                continue;
            }
            ++total;
            kept += step.survives ? 1 : 0;
            tally.add(step.money);
        }
        // The fixed rows that rule out each number, as the inside of killed_by.
        for (int x = 0; x < NumberPool::kSize; ++x) {
            const std::string list = OrderedJson(walk.fixedKills().killedBy(x)).dump();
            fixedRows[static_cast<std::size_t>(x)] = list.substr(1, list.size() - 2);
        }
    }

    struct Outcome {
        double win = 0;
        std::uint32_t rulesBegin = 0, rulesCount = 0;
        int bets = 0;
        bool warmup = false, survives = false, hit = false;
    };
    constexpr std::size_t kBlock = 1024;
    std::vector<Outcome> block;
    std::vector<std::uint32_t> ruleRows;
    std::optional<WalkForward> walk;
    std::size_t walked = 0;  // the draws `walk` has seen, in time order
    std::size_t blockBegin = 0;
    // The steps of draws [begin, end) of time order into `block`.
    const auto walkBlock = [&](std::size_t begin, std::size_t end) {
        if (!walk || walked != begin) {
            walk.emplace(conditions, kind, money);
            const std::size_t from = begin > walk->lookBack() ? begin - walk->lookBack() : 0;
            for (std::size_t t = from; t < begin; ++t) walk->skip(inTime(t));
        }
        block.assign(end - begin, Outcome{});
        ruleRows.clear();
        for (std::size_t t = begin; t < end; ++t) {
            const WalkForward::Step step = walk->next(inTime(t));
            Outcome& o = block[t - begin];
            o.warmup = step.warmup;
            if (step.warmup) continue;
            o.survives = step.survives;
            o.hit = step.money.hit;
            o.win = step.money.win;
            o.bets = step.money.bets;
            o.rulesBegin = static_cast<std::uint32_t>(ruleRows.size());
            o.rulesCount = static_cast<std::uint32_t>(step.ruleRows.size());
            ruleRows.insert(ruleRows.end(), step.ruleRows.begin(), step.ruleRows.end());
        }
        walked = end;
        blockBegin = begin;
    };

    AnswerWriter out;
    out << "{\"total\":" << total << ",\"kept\":" << kept << ",\"warmup\":" << warmup << ",\"draws\":[";
    std::size_t k = 0;  // the draw's place in the history's order
    for (HistoryScanner scan(text); scan.next();) {
        if (!scan.hasDraw()) continue;
        if (k % kBlock == 0) {
            const std::size_t size = std::min(kBlock, n - k);
            walkBlock(newestFirst ? n - k - size : k, newestFirst ? n - k : k + size);
        }
        const std::size_t t = newestFirst ? n - 1 - k : k;
        const Outcome& o = block[t - blockBegin];
        const int number = inTime(t);
        out << (k == 0 ? "{\"line\":" : ",{\"line\":") << scan.line() << ",\"issue\":\"" << scan.issue()
            << "\",\"number\":\"" << scan.numberText() << "\",";
        ++k;
        if (o.warmup) {
            out << "\"warmup\":true}";
            continue;
        }
        const std::string& fixed = fixedRows[static_cast<std::size_t>(number)];
        out << "\"survives\":" << (o.survives ? "true" : "false") << ",\"killed_by\":[" << fixed;
        for (std::uint32_t r = 0; r < o.rulesCount; ++r)
            out << (r == 0 && fixed.empty() ? "" : ",") << static_cast<long long>(ruleRows[o.rulesBegin + r]);
        out << "],\"bets\":" << static_cast<long long>(o.bets) << ",\"win\":" << jsonNumber(o.win)
            << ",\"hit\":" << (o.hit ? "true" : "false") << "}";
    }
    out << "],\"skipped\":[";
    bool first = true;
    for (HistoryScanner scan(text); scan.next();) {
        if (scan.hasDraw()) continue;
        if (!first) out << ",";
        out << scan.line();
        first = false;
    }
    // Added in time order: the run without a hit at the end is the newest.
    const MoneyTotals t = tally.totals(false);
    out << "],\"money\":{\"bets\":" << t.bets << ",\"cost\":" << jsonNumber(t.cost) << ",\"win\":" << jsonNumber(t.win)
        << ",\"net\":" << jsonNumber(t.net) << ",\"hits\":" << t.hits << ",\"expected_hits\":" << jsonNumber(t.expectedHits)
        << ",\"sd_hits\":" << jsonNumber(t.sdHits) << ",\"expected_win\":" << jsonNumber(t.expectedWin)
        << ",\"longest_miss\":" << t.longestMiss << ",\"current_miss\":" << t.currentMiss << "}}\n";
    out.flush();
}

// The backtest writes its answer as it goes: the history's text is the only
// thing held whole. A first pass counts what the answer opens with, a second
// writes the draws, a third the skipped lines. Every draw of the same
// number reads the same after its issue, so those endings are made once.
void backtestCommand(const Options& o) {
    if (o.positional.size() != 2) fail(kUsage);
    if (o.positional[0] == "-" && o.positional[1] == "-") fail("方案和开奖历史不能都从标准输入读取");
    const bool twoStar = o.window == "F2d";
    if (twoStar && o.bet == BetKind::Group) fail("组选（--bet group）只用于主窗口（Fmain）");
    const MoneySettings money = moneySettings(o, twoStar);
    const Scheme scheme = loadScheme(o.positional[0], o);
    if (twoStar && !scheme.twoStar) fail("方案中没有二星窗口（F2d）的条件");
    std::string bytes = readInput(o.positional[1], kHistoryMaxBytes, "开奖历史");
    refuseNonHistory(bytes, o.positional[1]);
    std::string converted;
    const std::string_view text = historyText(bytes, converted);
    if (!converted.empty()) std::string().swap(bytes);  // the text lives in `converted` now
    if (!twoStar && !scheme.main.rules.empty()) {
        walkForwardCommand(scheme.main, text, o.bet.value_or(BetKind::Direct), money);
        return;
    }

    // What follows the issue, for each of the 1000 numbers.
    std::vector<std::string> endings(NumberPool::kSize);
    std::vector<DrawMoney> moneyOf(NumberPool::kSize);
    std::vector<bool> keeps(NumberPool::kSize);
    {
        Bets bets;
        std::optional<RowKills> kills;
        PairPool pairs;
        if (twoStar) {
            runTwoStar(pairs, *scheme.twoStar);
            bets = Bets::twoStar(pairs);
        } else {
            kills = computeRowKills(shrinkInputs(scheme.main));
            bets = Bets::main(survivorsWithTolerance(*kills, scheme.main.tolerance), o.bet.value_or(BetKind::Direct));
        }
        for (int n = 0; n < NumberPool::kSize; ++n) {
            const std::size_t i = static_cast<std::size_t>(n);
            const std::string number = twoStar ? numberText(n % 100, 2) : numberText(n, 3);
            std::string killedBy;
            if (twoStar) {
                keeps[i] = pairs.alive(n % 100);
                killedBy = keeps[i] ? "[]" : "[0]";
            } else {
                keeps[i] = survivesWithTolerance(*kills, n, scheme.main.tolerance);
                killedBy = OrderedJson(kills->killedBy(n)).dump();
            }
            moneyOf[i] = drawMoney(bets, n, money);
            endings[i] = "\"number\":\"" + number + "\",\"survives\":" + (keeps[i] ? "true" : "false") +
                         ",\"killed_by\":" + killedBy + ",\"bets\":" + std::to_string(moneyOf[i].bets) +
                         ",\"win\":" + jsonNumber(moneyOf[i].win) + ",\"hit\":" + (moneyOf[i].hit ? "true" : "false") + "}";
        }
    }

    long long total = 0, kept = 0;
    MoneyTally tally;
    NewestFirstCheck order;
    for (HistoryScanner scan(text); scan.next();) {
        if (!scan.hasDraw()) continue;
        const std::size_t n = static_cast<std::size_t>(scan.number());
        ++total;
        kept += keeps[n];
        tally.add(moneyOf[n]);
        order.add(scan.issue());
    }

    AnswerWriter out;
    // No rule, no warm-up: the count is there all the same, so readers need not
    // tell the two kinds of backtest apart.
    out << "{\"total\":" << total << ",\"kept\":" << kept << ",\"warmup\":0,\"draws\":[";
    bool first = true;
    for (HistoryScanner scan(text); scan.next();) {
        if (!scan.hasDraw()) continue;
        out << (first ? "{\"line\":" : ",{\"line\":") << scan.line() << ",\"issue\":\"" << scan.issue() << "\","
            << endings[static_cast<std::size_t>(scan.number())];
        first = false;
    }
    out << "],\"skipped\":[";
    first = true;
    for (HistoryScanner scan(text); scan.next();) {
        if (scan.hasDraw()) continue;
        if (!first) out << ",";
        out << scan.line();
        first = false;
    }
    const MoneyTotals t = tally.totals(order.newestFirst());
    out << "],\"money\":{\"bets\":" << t.bets << ",\"cost\":" << jsonNumber(t.cost) << ",\"win\":" << jsonNumber(t.win)
        << ",\"net\":" << jsonNumber(t.net) << ",\"hits\":" << t.hits << ",\"expected_hits\":" << jsonNumber(t.expectedHits)
        << ",\"sd_hits\":" << jsonNumber(t.sdHits) << ",\"expected_win\":" << jsonNumber(t.expectedWin)
        << ",\"longest_miss\":" << t.longestMiss << ",\"current_miss\":" << t.currentMiss << "}}\n";
    out.flush();
}

// The answer on standard output; a write that fails (a full disk, a closed
// pipe) is a failure of the command, said on standard error.
[[noreturn]] void failWrite() {
    const int error = errno;
    std::string why;
    if (error == ENOSPC) why = "（磁盘已满）";
    else if (error == EPIPE) why = "（输出已被关闭）";
    else if (error == EIO) why = "（输入输出错误）";
    fail("无法把结果写到标准输出" + why);
}

void writeOut(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) failWrite();
}

void finishOut() {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) failWrite();
}


// combine SCHEME SCHEME... [--tolerance K] [--history FILE]: each scheme's
// main window run with its own tolerance; a number is kept when at least
// n − K of the n results hold it.
OrderedJson combineCommand(const std::vector<std::string>& args) {
    std::vector<std::string> paths;
    std::optional<std::string> toleranceText;
    std::optional<std::string> historyPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--tolerance" || a == "--history") {
            if (i + 1 >= args.size())
                fail(a == "--tolerance" ? "--tolerance 后面缺少允许不中的方案数" : "--history 后面缺少开奖历史文件");
            (a == "--tolerance" ? toleranceText : historyPath) = args[++i];
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + shown(a));
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() < 2) fail("combine 至少需要两个方案文件；用法：tarnel-cli combine SCHEME SCHEME... [--tolerance K] [--history FILE]");
    const int n = static_cast<int>(paths.size());
    int tolerance = 0;
    if (toleranceText) {
        const std::string& t = *toleranceText;
        const bool digits = !t.empty() && t.size() <= 4 && std::all_of(t.begin(), t.end(), isAsciiDigit);
        tolerance = digits ? std::stoi(t) : -1;
        if (tolerance < 0 || tolerance >= n)
            fail("允许不中的方案数 \"" + shown(t) + "\" 不正确，" + std::to_string(n) + " 个方案时应为 0 到 " +
                 std::to_string(n - 1) + " 的整数");
    }
    const auto stdinUses = std::count(paths.begin(), paths.end(), "-") + (historyPath == "-" ? 1 : 0);
    if (stdinUses > 1) fail("标准输入只能读取一次（方案或开奖历史只能有一个是 -）");
    // The draws rules look back on; a history given must be one, whether
    // or not a rule reads it.
    std::vector<int> past;
    if (historyPath) past = loadPastDraws(*historyPath);
    std::vector<NumberSet> results;
    OrderedJson schemes = OrderedJson::array();
    for (const std::string& path : paths) {
        const SchemeReading reading = readScheme(readInput(path, kSchemeMaxBytes, "方案"));
        if (!reading.scheme) fail("方案 \"" + echoedText(path, 200) + "\"：" + reading.error);
        if (!reading.scheme->main.rules.empty() && !historyPath)
            fail("方案 \"" + echoedText(path, 200) + "\"：" + kRulesNeedHistory);
        results.push_back(mainSurvivors(reading.scheme->main, past));
        OrderedJson entry = OrderedJson::object();
        entry["count"] = results.back().count();
        schemes.push_back(std::move(entry));
    }
    const NumberSet combined = combineResults(results, tolerance);
    std::vector<std::string> numbers;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (combined[static_cast<std::size_t>(i)]) numbers.push_back(numberText(i, 3));
    OrderedJson out = OrderedJson::object();
    out["count"] = numbers.size();
    out["numbers"] = numbers;
    out["schemes"] = std::move(schemes);
    return out;
}

// search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S]: the
// rule search with its null runs, one JSON line.
std::string searchCommand(const std::vector<std::string>& args) {
    std::optional<std::string> path;
    SearchSettings settings;
    const auto wholeNumber = [](const std::string& text) -> std::optional<std::uint64_t> {
        std::uint64_t v = 0;
        if (text.empty() || !std::all_of(text.begin(), text.end(), isAsciiDigit)) return std::nullopt;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
        if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
        return v;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--holdout" || a == "--max-rules" || a == "--null" || a == "--seed") {
            if (i + 1 >= args.size()) fail(a + " 后面缺少数值");
            const std::string& v = args[++i];
            if (a == "--holdout") {
                const std::optional<double> f = moneyValue(v);
                if (!f || !(*f > 0 && *f < 1)) fail("检验份额 \"" + shown(v) + "\" 不正确，应为 0 到 1 之间的小数（如 0.3）");
                settings.holdout = *f;
            } else if (a == "--max-rules") {
                const std::optional<std::uint64_t> m = wholeNumber(v);
                if (!m || *m < 1 || *m > std::uint64_t(kSearchMaxRules))
                    fail("条件条数 \"" + shown(v) + "\" 不正确，应为 1 到 " + std::to_string(kSearchMaxRules) + " 的整数");
                settings.maxRules = int(*m);
            } else if (a == "--null") {
                const std::optional<std::uint64_t> b = wholeNumber(v);
                if (!b || *b > std::uint64_t(kSearchMaxNullRuns))
                    fail("随机重复次数 \"" + shown(v) + "\" 不正确，应为 0 到 " + std::to_string(kSearchMaxNullRuns) + " 的整数");
                settings.nullRuns = int(*b);
            } else {
                const std::optional<std::uint64_t> seed = wholeNumber(v);
                if (!seed) fail("随机数种子 \"" + shown(v) + "\" 不正确，应为 0 到 18446744073709551615 的整数");
                settings.seed = *seed;
            }
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + shown(a));
        } else if (path) {
            fail("search 只读一个开奖历史文件；用法：tarnel-cli search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S]");
        } else {
            path = a;
        }
    }
    if (!path) fail("search 需要一个开奖历史文件；用法：tarnel-cli search HISTORY [--holdout f] [--max-rules m] [--null B] [--seed S]");
    const std::vector<int> draws = loadPastDraws(*path);
    const SearchResult r = searchRules(draws, settings);
    // Numbers as backtest writes them: whole ones without a fraction.
    const auto score = [](const SearchScore& s) {
        return "{\"scored\":" + std::to_string(s.scored) + ",\"hits\":" + std::to_string(s.hits) +
               ",\"expected_hits\":" + jsonNumber(s.expectedHits()) + ",\"sd_hits\":" + jsonNumber(s.sdHits()) +
               ",\"z\":" + jsonNumber(s.z()) + "}";
    };
    return "{\"draws\":" + std::to_string(r.draws) + ",\"training_draws\":" + std::to_string(r.trainingDraws) +
           ",\"holdout_draws\":" + std::to_string(r.holdoutDraws) + ",\"rules\":" + rulesJson(r.rules) +
           ",\"training\":" + score(r.training) + ",\"holdout\":" + score(r.holdout) +
           ",\"null\":" + std::to_string(r.nullRuns) + ",\"p_training\":" + jsonNumber(r.pTraining) +
           ",\"p_holdout\":" + jsonNumber(r.pHoldout) + "}\n";
}

// draws import|export|update: what it prints, or a refusal (then the store
// is as it was).
std::string drawsCommand(const std::vector<std::string>& args) {
#if defined(TARNEL_CLI_DRAWS_ELSEWHERE) && !defined(_WIN32)
    // The command runs in tarnel-cli-draws beside this program, with the
    // same arguments and standard streams.
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string helper(self, std::size_t(length));
        helper = helper.substr(0, helper.rfind('/') + 1) + "tarnel-cli-draws";
        std::vector<std::string> words = {helper, "draws"};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        std::fflush(stdout);
        execv(helper.c_str(), argv.data());
    }
    fail("找不到开奖库命令的程序 tarnel-cli-draws（应与 tarnel-cli 在同一文件夹）");
#elif defined(TARNEL_CLI_DRAWS_ELSEWHERE) && defined(_WIN32)
    // The command runs in tarnel-cli-draws.exe beside this program, with
    // the same arguments and standard streams; its exit code is this one's.
    std::wstring self(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), DWORD(self.size()));
    if (length > 0 && length < self.size()) {
        self.resize(length);
        const std::wstring helper = self.substr(0, self.find_last_of(L"\\/") + 1) + L"tarnel-cli-draws.exe";
        // Each word quoted as the C runtime reads a command line back.
        const auto quoted = [](const std::wstring& word) {
            std::wstring out = L"\"";
            std::size_t slashes = 0;
            for (const wchar_t c : word) {
                if (c == L'\\') {
                    ++slashes;
                    continue;
                }
                out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
                slashes = 0;
                out += c;
            }
            out.append(slashes * 2, L'\\');
            return out + L"\"";
        };
        const auto wide = [](const std::string& utf8) {
            std::wstring out(utf8.size() + 1, L'\0');
            const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), int(out.size()));
            out.resize(std::size_t(n > 0 ? n : 0));
            return out;
        };
        std::wstring line = quoted(helper) + L" draws";
        for (const std::string& a : args) line += L" " + quoted(wide(a));
        std::fflush(stdout);
        STARTUPINFOW start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(helper.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 2;
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            std::exit(int(code));
        }
    }
    fail("找不到开奖库命令的程序 tarnel-cli-draws.exe（应与 tarnel-cli.exe 在同一文件夹）");
#elif !defined(TARNEL_CLI_DRAWS)
    (void)args;
    fail("这个版本的 tarnel-cli 不含 draws 命令（开奖库需要 Qt，Windows 的无 Qt 版没有）");
#else
    constexpr const char* kDrawsUsage =
        "用法：tarnel-cli draws import --db FILE --lottery 3d|p3 HISTORY | draws export --db FILE --lottery 3d|p3 | "
        "draws update --db FILE --lottery 3d|p3 [--url BASE] [--pages N]";
    if (args.empty() || (args[0] != "import" && args[0] != "export" && args[0] != "update")) fail(kDrawsUsage);
    DrawsRequest request;
    request.action = args[0];
    std::vector<std::string> positional;
    bool pagesGiven = false, urlGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--db" || a == "--lottery" || a == "--url" || a == "--pages") {
            if (i + 1 >= args.size()) fail(a + " 后面缺少值；" + kDrawsUsage);
            const std::string& value = args[++i];
            if (a == "--db") {
                request.db = value;
            } else if (a == "--lottery") {
                if (!lotteryFromKey(value)) fail("未知彩种 \"" + shown(value) + "\"（应为 3d 或 p3）");
                request.lottery = value;
            } else if (a == "--url") {
                request.url = value;
                urlGiven = true;
                if (value.empty() || value.find_first_of(" \t\r\n") != std::string::npos ||
                    (value.rfind("http://", 0) != 0 && value.rfind("https://", 0) != 0))
                    fail("来源地址 \"" + shown(value) + "\" 不是 http:// 或 https:// 开头的网址");
            } else {
                const bool digits = !value.empty() && value.size() <= 4 && std::all_of(value.begin(), value.end(), isAsciiDigit);
                request.pages = digits ? std::stoi(value) : 0;
                if (request.pages < 1 || request.pages > 1000) fail("页数 \"" + shown(value) + "\" 不正确，应为 1 到 1000 的整数");
                pagesGiven = true;
            }
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + shown(a));
        } else {
            positional.push_back(a);
        }
    }
    if (request.db.empty()) fail("缺少 --db FILE（开奖库文件）");
    if (request.lottery.empty()) fail("缺少 --lottery 3d|p3（彩种）");
    if (request.action != "update" && (pagesGiven || urlGiven)) fail("--url 和 --pages 只用于 draws update");
    if (request.action == "import") {
        if (positional.size() != 1) fail("用法：tarnel-cli draws import --db FILE --lottery 3d|p3 HISTORY（- 表示标准输入）");
        request.input = readInput(positional[0], kHistoryMaxBytes, "开奖历史");
        if (request.input.find('\0') != std::string::npos)
            fail("开奖历史 \"" + echoedText(positional[0], 200) + "\" 不是文本文件");
    } else if (!positional.empty()) {
        fail("多余的参数 \"" + shown(positional[0]) + "\"；" + kDrawsUsage);
    }
    DrawsAnswer answer = runDraws(request);
    if (!answer.error.empty()) fail(answer.error);
    return std::move(answer.out);
#endif
}

// A memory failure, wherever it comes from (the handlers below build their
// lines too), ends in one fixed line that needs no memory.
int outOfMemory() {
    static const char kLine[] = "tarnel-cli: 内存不足，无法完成\n";
    std::fwrite(kLine, 1, sizeof kLine - 1, stderr);
    return 2;
}

int cli(const std::vector<std::string>& args) {
    try {
        // --help, -h, --version, COMMAND --help: usage on standard output, exit 0.
        std::string usage;
        if (!args.empty() && isHelpFlag(args[0])) {
            usage = wholeHelp();
        } else if (!args.empty() && args[0] == "--version") {
            usage = "tarnel-cli " TARNEL_VERSION "\n";
        } else if (args.size() > 1 && std::any_of(args.begin() + 1, args.end(), isHelpFlag)) {
            for (const CommandHelp& c : kCommands)
                if (args[0] == c.name) usage = commandHelp(c);
            if (usage.empty()) fail("未知命令 \"" + shown(args[0]) + "\"（tarnel-cli --help 显示用法）");
        }
        if (!usage.empty()) {
            std::fwrite(usage.data(), 1, usage.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 2;
        }
        if (args.empty()) fail(kUsage);
        const std::string command = args[0];
        if (command == "search" || command == "draws") {
            writeOut(command == "search" ? searchCommand({args.begin() + 1, args.end()})
                                         : drawsCommand({args.begin() + 1, args.end()}));
            finishOut();
            return 0;
        }
        if (command == "combine") {
            writeOut(combineCommand({args.begin() + 1, args.end()}).dump(-1, ' ', false,
                                                                         nlohmann::json::error_handler_t::replace) +
                     '\n');
            finishOut();
            return 0;
        }
        const Options options = parseOptions({args.begin() + 1, args.end()});
        if (command != "backtest" && (options.bet || options.price || options.prizes))
            fail("--bet、--price 和 --prizes 只用于 backtest");
        if (options.history && command != "run" && command != "explain")
            fail("--history 只用于 run 和 explain（backtest 的开奖历史是第二个参数）");
        OrderedJson out;
        if (command == "backtest") {
            backtestCommand(options);  // writes its answer as it goes
            finishOut();
            return 0;
        }
        if (command == "run")
            out = runCommand(options);
        else if (command == "explain")
            out = explainCommand(options);
        else if (command == "rows")
            out = rowsCommand(options);
        else if (command == "tickets")
            out = ticketsCommand(options);
        else
            fail("未知命令 \"" + echoedText(command) + "\"；" + kUsage);
        writeOut(out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n');
        finishOut();
        return 0;
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (const Failure& f) {
        const std::string line = "tarnel-cli: " + f.reason + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        return 2;
    } catch (const std::exception& e) {
        const std::string line = std::string("tarnel-cli: ") + e.what() + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        useBinaryStandardStreams();
        return cli(utf8Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}
