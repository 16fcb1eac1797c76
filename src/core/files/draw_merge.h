#pragma once
// Merging draws into the draws kept for a lottery, by issue.
//
// An issue of the lottery's length that is not kept is added; one kept with
// the same number changes nothing ("same"); one kept with another number is
// a conflict, and a conflict refuses the whole merge. A draw without an
// issue, or with an issue of another length, is never kept ("unstored").
// Within the merged draws themselves a repeated issue counts as kept by its
// first draw: the same number again is "same", another number a conflict.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/draw_sources.h"
#include "core/files/history.h"

namespace tarnel {

// An issue met twice with different numbers.
struct DrawConflict {
    std::string issue;
    std::string kept;      // the number kept (or met first)
    std::string incoming;  // the number that disagrees
    bool keptInStore = true;  // false: both numbers come from the merged draws
};

struct MergePlan {
    std::vector<StoredDraw> added;  // to add, by ascending issue
    long long same = 0;
    long long unstored = 0;
    std::optional<DrawConflict> conflict;  // set: nothing may be written
    std::string latest;  // the highest kept issue after the merge; empty when none
};

// `stored` holds the lottery's kept draws by ascending issue (issues of one
// length, so text order is number order).
MergePlan planMerge(Lottery lottery, const std::vector<StoredDraw>& stored, const std::vector<StoredDraw>& incoming);

// The draws of a history text as a merge takes them: issue, the first date
// of the line (empty when none) and the draw, in line order.
std::vector<StoredDraw> historyDraws(std::string_view utf8);

// The line that names a conflict. `from` says where the other number came
// from ("导入的是", "来源给出的是").
std::string conflictText(const DrawConflict& conflict, std::string_view from);

// The lottery whose issues a history's draws have: the one whose length
// most of its issued draws have (none when it has no issued draw of either
// length, or as many of both).
std::optional<Lottery> historyLottery(const std::vector<StoredDraw>& draws);

// Walks the pages of an update: page 1, 2, … up to maxPages, stopping after
// the first page that holds an issue already kept, or after one page when
// nothing is kept. The pages' draws are then merged as an import is.
class UpdateWalk {
public:
    UpdateWalk(Lottery lottery, std::vector<std::string> storedIssues, int maxPages);

    // Takes the reading of the next page; true when another page is wanted.
    bool addPage(const SourcePage& page);
    int pages() const { return pages_; }
    // Set once the walk is refused (a page refused, no draw at all, a gap).
    const std::string& error() const { return error_; }
    // Once addPage returned false: the draws fetched, newest first, or the
    // refusal in error().
    const std::vector<StoredDraw>& draws() const { return draws_; }
    bool done() const { return done_; }

private:
    void finish();

    Lottery lottery_;
    std::vector<std::string> stored_;  // ascending
    int maxPages_;
    int pages_ = 0;
    bool reached_ = false;
    bool done_ = false;
    std::string error_;
    std::vector<StoredDraw> draws_;
};

}  // namespace tarnel
