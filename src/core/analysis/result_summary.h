#pragma once
// What the results view (查看结果) shows about a result: the numbers a
// result text lists, how many straight (直选) and group (组选) bets they
// make, their group forms, how they spread over the digit sums, the money
// they cost, and the numbers written out in the layout a player picks.
// Works for three-digit results (main window) and two-digit ones (二星).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// The numbers of a result text: every maximal run of exactly `width` ASCII
// digits (3 or 2), distinct, in the order first read. Other text (the
// no-survivor notice, hints, longer digit runs) is passed over.
std::vector<int> resultNumbers(std::string_view text, int width);

// A number's group form by how many of its digits are equal.
enum class GroupForm {
    AllSame,       // 豹子 (111); 对子 (11) for two digits
    TwoSame,       // 组三 (112); never for two digits
    AllDifferent,  // 组六 (123); 非对子 (12) for two digits
};
GroupForm groupForm(int number, int width);

// The digits of a number sorted ascending, as a number: 321 → 123, 10 → 1.
// Two numbers make the same group bet exactly when their keys are equal.
int groupKey(int number, int width);

struct ResultSummary {
    int width = 3;
    int direct = 0;        // 直选: the numbers listed
    int groups = 0;        // 组选: distinct digit multisets among them
    int allSame = 0;       // 豹子 / 对子
    int twoSame = 0;       // 组三
    int allDifferent = 0;  // 组六 / 非对子
    std::vector<int> bySum;  // bySum[s]: numbers whose digits add up to s, s = 0 .. 9 * width
};

ResultSummary summarizeNumbers(const std::vector<int>& numbers, int width);

// Money in fen (分), so that sums of prices stay exact.
std::int64_t betCostFen(int bets, int priceFen);
// "12.50": yuan with two decimals.
std::string yuanText(std::int64_t fen);

// How the numbers are separated when copied or exported.
enum class NumberSeparator { Space, Comma, LineBreak };

// The numbers as `width`-digit texts. Within a line they are joined by the
// separator; after every `perLine` numbers (0: no limit) a line break
// (CR LF) starts the next line. With LineBreak every number is a line of
// its own. No separator or line break at the end.
std::string formatNumbers(const std::vector<int>& numbers, int width, NumberSeparator separator, int perLine);

}  // namespace tarnel
