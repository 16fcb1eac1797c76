#include "core/files/draw_merge.h"

#include <algorithm>
#include <unordered_map>

namespace tarnel {

namespace {

const StoredDraw* findStored(const std::vector<StoredDraw>& stored, std::string_view issue) {
    const auto it = std::lower_bound(stored.begin(), stored.end(), issue,
                                     [](const StoredDraw& d, std::string_view i) { return d.issue < i; });
    return it != stored.end() && it->issue == issue ? &*it : nullptr;
}

}  // namespace

MergePlan planMerge(Lottery lottery, const std::vector<StoredDraw>& stored, const std::vector<StoredDraw>& incoming) {
    MergePlan plan;
    // Issue (a view into `incoming`, which outlives the map) -> index in plan.added.
    std::unordered_map<std::string_view, std::size_t> fresh;
    for (const StoredDraw& draw : incoming) {
        if (!isIssueOf(lottery, draw.issue)) {
            ++plan.unstored;
            continue;
        }
        if (const StoredDraw* kept = findStored(stored, draw.issue)) {
            if (kept->number != draw.number) {
                plan.conflict = DrawConflict{draw.issue, kept->number, draw.number, true};
                break;
            }
            ++plan.same;
            continue;
        }
        const auto [it, isNew] = fresh.try_emplace(draw.issue, plan.added.size());
        if (!isNew) {
            const StoredDraw& first = plan.added[it->second];
            if (first.number != draw.number) {
                plan.conflict = DrawConflict{draw.issue, first.number, draw.number, false};
                break;
            }
            ++plan.same;
            continue;
        }
        plan.added.push_back(draw);
    }
    if (plan.conflict) {
        plan.added.clear();
        plan.same = plan.unstored = 0;
    }
    std::sort(plan.added.begin(), plan.added.end(),
              [](const StoredDraw& a, const StoredDraw& b) { return a.issue < b.issue; });
    plan.latest = stored.empty() ? std::string() : stored.back().issue;
    if (!plan.conflict && !plan.added.empty() && plan.added.back().issue > plan.latest) plan.latest = plan.added.back().issue;
    return plan;
}

std::vector<StoredDraw> historyDraws(std::string_view utf8) {
    std::vector<StoredDraw> draws;
    for (HistoryScanner scan(utf8); scan.next();) {
        if (!scan.hasDraw()) continue;
        draws.push_back({std::string(scan.issue()), scan.issue().empty() ? std::string() : historyLineDate(scan.lineText()),
                         std::string(scan.numberText())});
    }
    return draws;
}

std::string conflictText(const DrawConflict& c, std::string_view from) {
    if (!c.keptInStore)
        return "第 " + c.issue + " 期出现两次，号码不同：" + c.kept + " 和 " + c.incoming;
    return "第 " + c.issue + " 期库中为 " + c.kept + "，" + std::string(from) + " " + c.incoming;
}

std::optional<Lottery> historyLottery(const std::vector<StoredDraw>& draws) {
    long long counts[2] = {0, 0};
    for (const StoredDraw& d : draws)
        for (int k = 0; k < 2; ++k)
            if (isIssueOf(kLotteries[k], d.issue)) ++counts[k];
    if (counts[0] == counts[1]) return std::nullopt;
    return counts[0] > counts[1] ? kLotteries[0] : kLotteries[1];
}

UpdateWalk::UpdateWalk(Lottery lottery, std::vector<std::string> storedIssues, int maxPages)
    : lottery_(lottery), stored_(std::move(storedIssues)), maxPages_(std::max(1, maxPages)) {
    std::sort(stored_.begin(), stored_.end());
}

bool UpdateWalk::addPage(const SourcePage& page) {
    if (done_) return false;
    ++pages_;
    if (!page.ok()) {
        error_ = page.error;
        draws_.clear();
        done_ = true;
        return false;
    }
    for (const StoredDraw& d : page.draws) {
        draws_.push_back(d);
        if (std::binary_search(stored_.begin(), stored_.end(), d.issue)) reached_ = true;
    }
    if (reached_ || stored_.empty() || page.last || pages_ >= maxPages_) {
        finish();
        return false;
    }
    return true;
}

void UpdateWalk::finish() {
    done_ = true;
    if (draws_.empty()) {
        error_ = "来源没有给出任何" + std::string(lotteryName(lottery_)) + "开奖号码（第 1 页为空）";
        return;
    }
    if (!stored_.empty() && !reached_) {
        const auto oldest = std::min_element(draws_.begin(), draws_.end(),
                                             [](const StoredDraw& a, const StoredDraw& b) { return a.issue < b.issue; });
        error_ = "取了 " + std::to_string(pages_) + " 页仍未接上库中的开奖：取到的最早一期是 " + oldest->issue +
                 "，库中最新一期是 " + stored_.back() + "，中间可能缺期";
        draws_.clear();
    }
}

}  // namespace tarnel
