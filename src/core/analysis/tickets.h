#pragma once
// Bet slips (投注单): a result cut into compound tickets.
//
// A direct compound ticket (直选复式) names a set of digits for each place
// and stands for every number with its hundreds in the first set, its tens
// in the second and its units in the third. A group result is cut into
// 组六复式 tickets (a digit set standing for all its three-digit groups),
// 组三复式 tickets (a digit set standing for all its pair groups) and single
// bets. Every cut is exact: the tickets are pairwise disjoint and together
// hold exactly the numbers they were cut from.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// Bit n for the number n (000..999), as the pool keeps them.
using TicketNumberSet = std::bitset<1000>;

// A direct compound ticket: digit sets as bits (bit d for digit d) for the
// hundreds, tens and units.
struct DirectTicket {
    std::array<unsigned, 3> places{};

    int bets() const;
    bool contains(int number) const;
    TicketNumberSet numbers() const;
    bool operator==(const DirectTicket&) const = default;
};

// A digit set written out ascending: bits of 0, 1, 2, 5 → "0125".
std::string digitSetText(unsigned digits);

// The plain cut: for each hundreds digit h and tens digit t take the units
// U(h,t) that occur; for each h one ticket per distinct non-empty U(h,t)
// with every t that has it; then tickets with the same tens and units sets
// join their hundreds. In the slip order (see orderDirectTickets).
std::vector<DirectTicket> plainDirectCut(const TicketNumberSet& numbers);

// As few tickets as the search finds, never more than the plain cut; in the
// slip order. Deterministic: the same set always gives the same tickets.
std::vector<DirectTicket> cutDirect(const TicketNumberSet& numbers);

// Slip order: bets descending, then the hundreds, tens and units texts.
void orderDirectTickets(std::vector<DirectTicket>& tickets);

// ---- group tickets ----------------------------------------------------------

enum class GroupTicketKind {
    SixCompound,    // 组六复式: every three-digit group of its digit set (at least four digits)
    ThreeCompound,  // 组三复式: every pair group (aab, abb) of its digit set (at least two digits)
    SixSingle,      // 组六 single bet (123)
    ThreeSingle,    // 组三 single bet (112)
    Triple,         // 豹子 (111): sold as a direct bet
};

struct GroupTicket {
    GroupTicketKind kind = GroupTicketKind::SixSingle;
    unsigned digits = 0;  // the digit set of a compound ticket
    int number = 0;       // the group number of a single bet, digits ascending

    int bets() const;
    // The group numbers (digits ascending) the ticket stands for.
    std::vector<int> groupNumbers() const;
    bool operator==(const GroupTicket&) const = default;
};

// Cuts group numbers (each given by its digits in any order; 321 and 123
// are the same group) into compound tickets and single bets: compound
// tickets first, the larger first, then the single bets ascending.
// Deterministic.
std::vector<GroupTicket> cutGroups(const std::vector<int>& numbers);

// ---- the slips as a shop clerk reads them ----------------------------------

struct SlipLine {
    std::string kind;     // 直选复式, 直选单式, 组六复式, 组三复式, 组六单式, 组三单式; 二星直选… for two digits
    std::string numbers;  // "百位:0125 十位:3 个位:789", "01256", "123"
    int bets = 0;
};

// Direct tickets of a three-digit result (width 3), or of a two-digit one
// (width 2: the pairs as numbers 00..99, so every ticket's hundreds is 0).
std::vector<SlipLine> directSlipLines(const std::vector<DirectTicket>& tickets, int width);
// A 豹子 is sold as a direct bet and so is written 直选单式.
std::vector<SlipLine> groupSlipLines(const std::vector<GroupTicket>& tickets);
// Yuan from fen, whole yuan without decimals: 2400 → "24", 1250 → "12.50".
std::string slipMoneyText(std::int64_t fen);
// "直选复式 百位:0125 十位:3 个位:789 12注 24元".
std::string slipLineText(const SlipLine& line, int priceFen);

// ---- reading numbers for a cut ----------------------------------------------

// Every maximal run of ASCII digits must have exactly three digits;
// everything else separates them; repeats count once. `badRun` is the first
// run of another length (empty when all runs were good).
struct TicketInput {
    TicketNumberSet numbers;
    std::string badRun;
    bool ok() const { return badRun.empty(); }
};
TicketInput readTicketNumbers(std::string_view text);

}  // namespace tarnel
