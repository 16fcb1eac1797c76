// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <algorithm>
#include <charconv>
#include <cmath>
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
#include "run/backtest_money.h"
#include "run/combine.h"
#include "run/history_order.h"
#include "run/scheme.h"
#include "run/shrink.h"
#include "twostar/two_star_run.h"

using namespace tarnel;

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char* kUsage =
    "用法：tarnel-cli run SCHEME [--window Fmain|F2d] [--tolerance K] | "
    "tarnel-cli explain SCHEME NUMBER... [--tolerance K] | "
    "tarnel-cli backtest SCHEME HISTORY [--window Fmain|F2d] [--tolerance K] [--bet direct|group] [--price P] "
    "[--prizes D,G3,G6 | --prizes T]（SCHEME 为方案文件，- 表示标准输入）";

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
    std::optional<double> price;
    std::optional<std::string> prizes;  // read once the window is known
};

// An argument as a refusal shows it: control characters escaped, cut to a
// readable length, so that the refusal stays one short line.
std::string shown(const std::string& text) {
    constexpr std::size_t kMax = 40;
    std::string out;
    std::size_t i = 0;
    for (; i < text.size() && out.size() < kMax; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += text[i];
        }
    }
    // Never end inside a UTF-8 sequence.
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) out += text[i++];
    if (i < text.size()) out += "…";
    return out;
}

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
            o.price = moneyValue(args[++i]);
            if (!o.price) fail("单价 \"" + shown(args[i]) + "\" 不正确，应为 0 到 1000000 的数（如 2 或 0.5）");
        } else if (a == "--prizes") {
            if (i + 1 >= args.size()) fail("--prizes 后面缺少奖金");
            o.prizes = args[++i];
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
        const std::optional<double> v = moneyValue(std::string_view(text).substr(start, comma - start));
        if (!v) {
            ok = false;
            break;
        }
        values.push_back(*v);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    if (twoStar) {
        if (!ok || values.size() != 1)
            fail("二星奖金 \"" + shown(text) + "\" 不正确，应为一个 0 到 1000000 的数（如 100）");
        m.twoStar = values[0];
    } else {
        if (!ok || values.size() != 3)
            fail("奖金 \"" + shown(text) + "\" 不正确，应为 直选,组选三,组选六 三个 0 到 1000000 的数（如 1040,346,173）");
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
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            fail("无法写出结果（标准输出已满或已关闭）");
        buffer_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    std::string buffer_;
};

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
    std::string bytes;
    if (o.positional[1] == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        FileBytes file = readFileBytes(o.positional[1], kHistoryMaxBytes);
        if (!file.bytes) fail(file.error);
        bytes = std::move(*file.bytes);
    }
    std::string converted;
    const std::string_view text = historyText(bytes, converted);
    if (!converted.empty()) std::string().swap(bytes);  // the text lives in `converted` now

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
    out << "{\"total\":" << total << ",\"kept\":" << kept << ",\"draws\":[";
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

// A memory failure, wherever it comes from (the handlers below build their
// lines too), ends in one fixed line that needs no memory.
int outOfMemory() {
    static const char kLine[] = "tarnel-cli: 内存不足，无法完成\n";
    std::fwrite(kLine, 1, sizeof kLine - 1, stderr);
    return 2;
}

int cli(int argc, char** argv) {
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        if (args.empty()) fail(kUsage);
        const std::string command = args[0];
        if (command == "combine") {
            const std::string line = combineCommand({args.begin() + 1, args.end()}).dump() + '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 2;
        }
        const Options options = parseOptions({args.begin() + 1, args.end()});
        if (command != "backtest" && (options.bet || options.price || options.prizes))
            fail("--bet、--price 和 --prizes 只用于 backtest");
        OrderedJson out;
        if (command == "backtest") {
            backtestCommand(options);  // writes its answer as it goes
            if (std::fflush(stdout) != 0 || std::ferror(stdout)) fail("无法写出结果（标准输出已满或已关闭）");
            return 0;
        }
        if (command == "run")
            out = runCommand(options);
        else if (command == "explain")
            out = explainCommand(options);
        else
            fail("未知命令 \"" + command + "\"；" + kUsage);
        const std::string line = out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
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
        return cli(argc, argv);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}
