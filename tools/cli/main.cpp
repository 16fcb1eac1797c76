// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/text.h"
#include "pool/pair_pool.h"
#include "run/backtest.h"
#include "run/scheme.h"
#include "run/shrink.h"
#include "twostar/two_star_run.h"

using namespace tarnel;

#ifndef TARNEL_VERSION
#define TARNEL_VERSION "0.0.0"
#endif

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char* kUsage =
    "用法：tarnel-cli run SCHEME [--window Fmain|F2d] [--tolerance K] | "
    "tarnel-cli explain SCHEME NUMBER... [--tolerance K] | "
    "tarnel-cli backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K]（SCHEME 为方案文件，- 表示标准输入）";

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
     "--history FILE 为方案中的动态条件提供开奖历史。"},
    {"explain", "explain SCHEME NUMBER... [--tolerance K] [--history FILE]",
     "说明每个号码被哪些行排除、按容错是否保留", "NUMBER 为三位数字，可给多个。"},
    {"backtest",
     "backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K]\n"
     "           [--bet direct|group] [--price P] [--prizes D,G3,G6 | --prizes T]",
     "用开奖历史逐期验证方案，并与同样注数的随机购买比较",
     "每期给出开奖号码是否保留、被哪些行排除、投注与奖金。\n"
     "--bet 直选（direct，默认）或组选（group）；--price 每注价格；\n"
     "--prizes 直选、组三、组六奖金（二星窗口为一个二星奖金）。"},
    {"rows", "rows [SCHEME]", "列出其它命令以编号给出的行",
     "第 2 到 28 行，以及 SCHEME 中的动态条件（101 起）。"},
    {"tickets", "tickets FILE", "把号码切成尽量少的直选复式票",
     "FILE（或 - 表示标准输入）中每段连续数字须恰好三位；重复的号码只算一次。"},
    {"combine", "combine SCHEME SCHEME... [--tolerance K] [--history FILE]",
     "多方案组合：保留 n 个方案中至少 n − K 个方案都保留的号码",
     "K 默认 0，即所有方案结果的交集；每个方案用它自己的容错。"},
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
};

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
            if (o.window != "Fmain" && o.window != "F2d") fail("未知窗口 \"" + o.window + "\"（应为 Fmain 或 F2d）");
        } else if (a == "--tolerance") {
            if (i + 1 >= args.size()) fail("--tolerance 后面缺少容错数（0 到 25）");
            o.tolerance = toleranceValue(args[++i]);
            if (!o.tolerance) fail("容错数 \"" + args[i] + "\" 不正确，应为 0 到 25 的整数");
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + a);
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

Scheme loadScheme(const std::string& path, const Options& o) {
    std::string bytes;
    if (path == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (bytes.size() > kSchemeMaxBytes) fail("标准输入的方案过大（超过 64 MB）");
    } else {
        FileBytes file = readFileBytes(path, kSchemeMaxBytes);
        if (!file.bytes) fail(file.error);
        bytes = std::move(*file.bytes);
    }
    SchemeReading reading = readScheme(bytes);
    if (!reading.scheme) fail(reading.error);
    if (o.tolerance) reading.scheme->main.tolerance = *o.tolerance;
    return std::move(*reading.scheme);
}

OrderedJson runCommand(const Options& o) {
    if (o.positional.size() != 1) fail(kUsage);
    const Scheme scheme = loadScheme(o.positional[0], o);
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
    runMain(pool, scheme.main);
    std::vector<std::string> numbers;
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (pool.alive(i)) numbers.emplace_back(pool.text(i));
    out["count"] = numbers.size();
    out["numbers"] = numbers;
    const ShrinkInputs in = shrinkInputs(scheme.main);
    OrderedJson stages = OrderedJson::array();
    for (int row = kFirstSourceRow; row <= kLastConditionRow; ++row) {
        OrderedJson stage = OrderedJson::object();
        stage["row"] = row;
        stage["kills"] = rowKillSet(row - 1, in).count();
        stages.push_back(std::move(stage));
    }
    out["stages"] = std::move(stages);
    return out;
}

OrderedJson explainCommand(const Options& o) {
    if (o.positional.size() < 2) fail(kUsage);
    if (o.window != "Fmain") fail("explain 只用于主窗口（Fmain）");
    std::vector<int> numbers;
    for (std::size_t i = 1; i < o.positional.size(); ++i) {
        const std::string& n = o.positional[i];
        if (n.size() != 3 || !isAsciiDigit(n[0]) || !isAsciiDigit(n[1]) || !isAsciiDigit(n[2]))
            fail("号码 \"" + n + "\" 不是三位数字");
        numbers.push_back(std::stoi(n));
    }
    const Scheme scheme = loadScheme(o.positional[0], o);
    const RowKills kills = computeRowKills(shrinkInputs(scheme.main));
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

OrderedJson backtestCommand(const Options& o) {
    if (o.positional.size() != 2) fail(kUsage);
    if (o.positional[0] == "-" && o.positional[1] == "-") fail("方案和开奖历史不能都从标准输入读取");
    const Scheme scheme = loadScheme(o.positional[0], o);
    std::string bytes;
    if (o.positional[1] == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        FileBytes file = readFileBytes(o.positional[1], kHistoryMaxBytes);
        if (!file.bytes) fail(file.error);
        bytes = std::move(*file.bytes);
    }
    const History history = readHistory(bytes);
    Backtest result;
    if (o.window == "F2d") {
        if (!scheme.twoStar) fail("方案中没有二星窗口（F2d）的条件");
        result = backtestTwoStar(*scheme.twoStar, history);
    } else {
        result = backtestMain(shrinkInputs(scheme.main), scheme.main.tolerance, history);
    }
    OrderedJson draws = OrderedJson::array();
    for (const DrawCheck& d : result.draws) {
        OrderedJson entry = OrderedJson::object();
        entry["line"] = d.draw.line;
        entry["issue"] = d.draw.issue;
        entry["number"] = d.number;
        entry["survives"] = d.survives;
        entry["killed_by"] = d.killedBy;
        draws.push_back(std::move(entry));
    }
    OrderedJson out = OrderedJson::object();
    out["total"] = result.draws.size();
    out["kept"] = result.kept;
    out["draws"] = std::move(draws);
    out["skipped"] = result.skipped;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
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
            if (usage.empty()) fail("未知命令 \"" + args[0] + "\"（tarnel-cli --help 显示用法）");
        }
        if (!usage.empty()) {
            std::fwrite(usage.data(), 1, usage.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 2;
        }
        if (args.empty()) fail(kUsage);
        const std::string command = args[0];
        const Options options = parseOptions({args.begin() + 1, args.end()});
        OrderedJson out;
        if (command == "run")
            out = runCommand(options);
        else if (command == "explain")
            out = explainCommand(options);
        else if (command == "backtest")
            out = backtestCommand(options);
        else
            fail("未知命令 \"" + command + "\"；" + kUsage);
        const std::string line = out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
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
