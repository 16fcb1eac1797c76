#pragma once
// What a bet slip is for: the lottery and the issue. The issue suggested is
// the one after the newest past draw of the lottery; the player may change it.

#include <string>
#include <string_view>

#include "core/files/draw_sources.h"
#include "core/files/history.h"

namespace tarnel {

// The issue after `issue` of the lottery: the number in the year plus one
// (2026224 → 2026225 for 福彩3D, 26224 → 26225 for 排列三); after number 999 of a
// year comes number 001 of the next. Empty when `issue` is not of the lottery.
std::string nextIssue(Lottery lottery, std::string_view issue);

// The highest issue of the lottery among the draws of a history (empty when none has one).
std::string latestIssue(const History& history, Lottery lottery);

// Why an issue typed for a slip is refused (empty: taken). An empty issue is
// taken: the slip then names the lottery only.
std::string slipIssueError(Lottery lottery, std::string_view issue);

// The slip's heading: "福彩3D 第2026225期", or "福彩3D" without an issue.
std::string slipHeading(Lottery lottery, std::string_view issue);

}  // namespace tarnel
