// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "pool/pair_pool.h"
#include "run/backtest.h"
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
            if (o.window != "Fmain" && o.window != "F2d") fail("未知窗口 \"" + echoedText(o.window) + "\"（应为 Fmain 或 F2d）");
        } else if (a == "--tolerance") {
            if (i + 1 >= args.size()) fail("--tolerance 后面缺少容错数（0 到 25）");
            o.tolerance = toleranceValue(args[++i]);
            if (!o.tolerance) fail("容错数 \"" + echoedText(args[i]) + "\" 不正确，应为 0 到 25 的整数");
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
            fail("号码 \"" + echoedText(n) + "\" 不是三位数字");
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
    const History history = readHistory(readInput(o.positional[1], kHistoryMaxBytes, "开奖历史"));
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

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
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
            fail("未知命令 \"" + echoedText(command) + "\"；" + kUsage);
        writeOut(out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n');
        finishOut();
        return 0;
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
