// tarnel-cli: runs a scheme file without a window. Every command prints one
// JSON object on one line; a bad argument, an unreadable file or a refused
// scheme prints one line "tarnel-cli: REASON" on standard error, exit 2.

#include <cstdio>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "pool/pair_pool.h"
#include "run/scheme.h"
#include "run/shrink.h"
#include "twostar/two_star_run.h"

using namespace tarnel;

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char* kUsage =
    "用法：tarnel-cli run SCHEME [--window Fmain|F2d]（SCHEME 为方案文件，- 表示标准输入）";

struct Failure {
    std::string reason;
};

[[noreturn]] void fail(std::string reason) { throw Failure{std::move(reason)}; }

struct Options {
    std::vector<std::string> positional;
    std::string window = "Fmain";
};

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--window") {
            if (i + 1 >= args.size()) fail("--window 后面缺少窗口名（Fmain 或 F2d）");
            o.window = args[++i];
            if (o.window != "Fmain" && o.window != "F2d") fail("未知窗口 \"" + o.window + "\"（应为 Fmain 或 F2d）");
        } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
            fail("未知选项 " + a);
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

Scheme loadScheme(const std::string& path) {
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
    return std::move(*reading.scheme);
}

OrderedJson runCommand(const Options& o) {
    if (o.positional.size() != 1) fail(kUsage);
    const Scheme scheme = loadScheme(o.positional[0]);
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
