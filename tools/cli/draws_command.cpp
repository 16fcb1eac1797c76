#include "draws_command.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <nlohmann/json.hpp>

#include "core/files/draw_merge.h"
#include "core/files/history.h"
#include "data/draw_store.h"
#include "data/draw_update.h"

namespace tarnel {

namespace {

constexpr const char* kUnchanged = "；开奖库未改动";

nlohmann::ordered_json latestValue(const std::string& latest) {
    return latest.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(latest);
}

DrawsAnswer refusal(std::string why) { return {{}, std::move(why) + kUnchanged}; }

DrawsAnswer importDraws(DrawStore& store, Lottery lottery, const std::string& bytes) {
    std::string converted;
    const std::vector<StoredDraw> draws = historyDraws(historyText(bytes, converted));
    const StoreMerge merged = store.merge(lottery, draws);
    if (!merged.ok()) return refusal(merged.plan.conflict ? "导入被拒绝：" + merged.error : merged.error);
    nlohmann::ordered_json out;
    out["added"] = merged.plan.added.size();
    out["same"] = merged.plan.same;
    out["unstored"] = merged.plan.unstored;
    out["latest"] = latestValue(merged.plan.latest);
    return {out.dump() + "\n", {}};
}

DrawsAnswer exportDraws(DrawStore& store, Lottery lottery) {
    const auto draws = store.draws(lottery);
    if (!draws) return refusal(store.error());
    if (!store.create()) return refusal(store.error());  // "made when missing"
    std::string out;
    out.reserve(draws->size() * 24);
    for (const StoredDraw& d : *draws) {
        out += d.issue;
        out += ' ';
        out += d.date.empty() ? "-" : d.date;
        out += ' ';
        out += d.number[0];
        out += ' ';
        out += d.number[1];
        out += ' ';
        out += d.number[2];
        out += '\n';
    }
    return {out, {}};
}

DrawsAnswer updateDraws(DrawStore& store, Lottery lottery, const DrawsRequest& request) {
    DrawUpdate update(store, lottery);
    if (!request.url.empty()) update.setBase(QString::fromStdString(request.url));
    update.setMaxPages(request.pages);
    UpdateOutcome outcome;
    QEventLoop loop;
    QObject::connect(&update, &DrawUpdate::finished, &loop, [&](const UpdateOutcome& o) {
        outcome = o;
        loop.quit();
    });
    update.start();
    if (update.running()) loop.exec();
    if (!outcome.error.empty()) return refusal("未更新" + std::string(lotteryName(lottery)) + "开奖号码：" + outcome.error);
    if (!store.create()) return refusal(store.error());
    nlohmann::ordered_json out;
    out["added"] = outcome.added;
    out["same"] = outcome.same;
    out["latest"] = latestValue(outcome.latest);
    out["pages"] = outcome.pages;
    return {out.dump() + "\n", {}};
}

}  // namespace

DrawsAnswer runDraws(const DrawsRequest& request) {
    static int argc = 1;
    static char name[] = "tarnel-cli";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const Lottery lottery = *lotteryFromKey(request.lottery);
    DrawStore store(QString::fromStdString(request.db));
    if (request.action == "import") return importDraws(store, lottery, request.input);
    if (request.action == "export") return exportDraws(store, lottery);
    return updateDraws(store, lottery, request);
}

}  // namespace tarnel
