#pragma once
// The time order of a history, and what a player may need to mend in it.
//
// Results tables are often newest first. The draws of a history are in time
// order as read, oldest first, except when every draw has an issue and the
// issues, as integers, strictly decrease from the first draw to the last:
// then the order is reversed. Everything that looks back in time (droughts,
// trends, omissions, the newest draw) goes by this order.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/history.h"

namespace tarnel {

// Compares two issues (ASCII digits, any length) as integers: <0, 0 or >0.
int compareIssues(std::string_view a, std::string_view b);

// Decides the order one draw at a time, for readers that do not keep the draws.
class NewestFirstCheck {
public:
    void add(std::string_view issue);
    // Every draw so far has an issue and the issues strictly decrease.
    bool newestFirst() const { return seen_ && decreasing_; }

private:
    std::string previous_;
    bool seen_ = false;
    bool decreasing_ = true;
};

bool historyIsNewestFirst(const History& history);

// The indices of history.draws, oldest draw first.
std::vector<std::size_t> timeOrder(const History& history);

// An issue that more than one draw carries (as integers: "02026001" repeats
// "2026001"), with the lines of those draws, ascending.
struct IssueRepeat {
    std::string issue;  // as the first of them writes it
    std::vector<int> lines;
};

// A draw whose issue steps against the way the history's issues mostly go
// (down in a rising history, up in a falling one), from the draw with an
// issue before it.
struct IssueOutOfOrder {
    int line = 0;
    std::string issue;
    int previousLine = 0;
    std::string previousIssue;
};

struct HistoryQuality {
    std::vector<IssueRepeat> repeats;          // by the line of their first draw
    std::vector<IssueOutOfOrder> outOfOrder;   // by line
    bool newestFirst = false;
    bool clean() const { return repeats.empty() && outOfOrder.empty(); }
};

HistoryQuality historyQuality(const History& history);

}  // namespace tarnel
