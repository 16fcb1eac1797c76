// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/tickets.h"
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

// tickets FILE|-: the numbers cut into direct compound tickets.
OrderedJson ticketsCommand(const Options& o) {
    if (o.positional.size() != 1) fail("用法：tarnel-cli tickets FILE（FILE 为号码文件，- 表示标准输入）");
    if (o.tolerance || o.window != "Fmain") fail("tickets 不用 --window 和 --tolerance");
    std::string bytes;
    if (o.positional[0] == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (bytes.size() > kHistoryMaxBytes) fail("标准输入的号码过大（超过 64 MB）");
    } else {
        FileBytes file = readFileBytes(o.positional[0], kHistoryMaxBytes);
        if (!file.bytes) fail(file.error);
        bytes = std::move(*file.bytes);
    }
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
        else if (command == "tickets")
            out = ticketsCommand(options);
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
