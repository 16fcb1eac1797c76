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
#include "run/combine.h"
#include "run/scheme.h"
#include "run/shrink.h"
#include "twostar/two_star_run.h"

using namespace tarnel;

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char* kUsage =
    "用法：tarnel-cli run SCHEME [--window Fmain|F2d] [--tolerance K] | "
    "tarnel-cli explain SCHEME NUMBER... [--tolerance K] | "
    "tarnel-cli backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K]（SCHEME 为方案文件，- 表示标准输入）";

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
            fail("未知选项 " + a);
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
            fail("允许不中的方案数 \"" + t + "\" 不正确，" + std::to_string(n) + " 个方案时应为 0 到 " +
                 std::to_string(n - 1) + " 的整数");
    }
    const auto stdinUses = std::count(paths.begin(), paths.end(), "-") + (historyPath == "-" ? 1 : 0);
    if (stdinUses > 1) fail("标准输入只能读取一次（方案或开奖历史只能有一个是 -）");
    const auto readInput = [](const std::string& path, std::size_t maxBytes, const char* what) {
        if (path != "-") {
            FileBytes file = readFileBytes(path, maxBytes);
            if (!file.bytes) fail(file.error);
            return std::move(*file.bytes);
        }
        std::string bytes(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
        if (bytes.size() > maxBytes) fail(std::string("标准输入的") + what + "过大（超过 64 MB）");
        return bytes;
    };
    // The draws rules look back on; no rule reads them yet, but a history
    // given must be one.
    if (historyPath) {
        const std::string bytes = readInput(*historyPath, kHistoryMaxBytes, "开奖历史");
        if (bytes.find('\0') != std::string::npos)
            fail("开奖历史 \"" + *historyPath + "\" 不是文本文件");
        (void)readHistory(bytes);
    }
    std::vector<NumberSet> results;
    OrderedJson schemes = OrderedJson::array();
    for (const std::string& path : paths) {
        const SchemeOutcome outcome = runSchemeText(readInput(path, kSchemeMaxBytes, "方案"));
        if (!outcome.survivors) fail("方案 \"" + path + "\"：" + outcome.error);
        results.push_back(*outcome.survivors);
        OrderedJson entry = OrderedJson::object();
        entry["count"] = outcome.survivors->count();
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
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) fail(kUsage);
        const std::string command = args[0];
        if (command == "combine") {
            const std::string line = combineCommand({args.begin() + 1, args.end()}).dump() + '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 2;
        }
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
