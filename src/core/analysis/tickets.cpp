#include "core/analysis/tickets.h"

#include <algorithm>
#include <bit>
#include <map>
#include <random>
#include <tuple>

#include "core/analysis/result_summary.h"
#include "core/rules/text.h"

namespace tarnel {

namespace {

constexpr unsigned kAllDigits = 0x3FFu;

int bitCount(unsigned bits) { return std::popcount(bits); }

// ---- direct tickets ---------------------------------------------------------

// The set as units masks: cells[h][t] holds the units u with h t u in the set.
using Cells = std::array<std::array<unsigned, 10>, 10>;

Cells cellsOf(const TicketNumberSet& numbers) {
    Cells cells{};
    for (int n = 0; n < 1000; ++n)
        if (numbers[static_cast<std::size_t>(n)]) cells[std::size_t(n / 100)][std::size_t(n / 10 % 10)] |= 1u << (n % 10);
    return cells;
}

// The places reordered: order[k] is the place that plays the part of place k.
using Order = std::array<int, 3>;

TicketNumberSet permuted(const TicketNumberSet& numbers, const Order& order) {
    TicketNumberSet out;
    for (int n = 0; n < 1000; ++n) {
        if (!numbers[static_cast<std::size_t>(n)]) continue;
        const int d[3] = {n / 100, n / 10 % 10, n % 10};
        out.set(static_cast<std::size_t>(d[order[0]] * 100 + d[order[1]] * 10 + d[order[2]]));
    }
    return out;
}

DirectTicket unpermuted(const DirectTicket& t, const Order& order) {
    DirectTicket out;
    for (std::size_t k = 0; k < 3; ++k) out.places[std::size_t(order[k])] = t.places[k];
    return out;
}

std::vector<DirectTicket> plainCutUnordered(const TicketNumberSet& numbers) {
    const Cells cells = cellsOf(numbers);
    // For each h, one ticket per distinct non-empty U(h,t) with every t that has it.
    std::vector<DirectTicket> perHundreds;
    for (unsigned h = 0; h < 10; ++h) {
        std::map<unsigned, unsigned> tensByUnits;  // U → the tens that have it
        for (unsigned t = 0; t < 10; ++t)
            if (cells[h][t] != 0) tensByUnits[cells[h][t]] |= 1u << t;
        for (const auto& [units, tens] : tensByUnits) perHundreds.push_back(DirectTicket{{1u << h, tens, units}});
    }
    // Tickets with the same tens and units sets join their hundreds.
    std::map<std::pair<unsigned, unsigned>, unsigned> joined;
    std::vector<std::pair<unsigned, unsigned>> firstSeen;
    for (const DirectTicket& t : perHundreds) {
        const auto key = std::make_pair(t.places[1], t.places[2]);
        auto [it, fresh] = joined.emplace(key, 0u);
        if (fresh) firstSeen.push_back(key);
        it->second |= t.places[0];
    }
    std::vector<DirectTicket> out;
    for (const auto& key : firstSeen) out.push_back(DirectTicket{{joined[key], key.first, key.second}});
    return out;
}

// Two disjoint tickets that agree in two places become one: their union is
// again a ticket. Repeated until no two agree so.
void mergeAlike(std::vector<DirectTicket>& tickets) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (std::size_t i = 0; i < tickets.size() && !merged; ++i) {
            for (std::size_t j = i + 1; j < tickets.size() && !merged; ++j) {
                DirectTicket& a = tickets[i];
                const DirectTicket& b = tickets[j];
                const int same = (a.places[0] == b.places[0]) + (a.places[1] == b.places[1]) + (a.places[2] == b.places[2]);
                if (same != 2) continue;
                for (std::size_t k = 0; k < 3; ++k) a.places[k] |= b.places[k];
                tickets.erase(tickets.begin() + std::ptrdiff_t(j));
                merged = true;
            }
        }
    }
}

// The search for the largest ticket inside what is left: hundreds sets A
// depth first (the tens rows shrink to the units every digit of A has),
// and for each A every units set C that is an intersection of those rows,
// with all the tens rows that hold C.
class BoxSearch {
public:
    BoxSearch(const Cells& cells, std::mt19937* rng) : cells_(cells), rng_(rng) {}

    DirectTicket largest() {
        best_ = 0;
        ties_ = 0;
        std::array<unsigned, 10> rows;
        rows.fill(kAllDigits);
        descend(0, 0, 0, rows);
        return box_;
    }

private:
    void descend(int next, unsigned hundreds, int size, const std::array<unsigned, 10>& rows) {
        for (int h = next; h < 10; ++h) {
            std::array<unsigned, 10> narrowed;
            unsigned any = 0;
            for (std::size_t t = 0; t < 10; ++t) {
                narrowed[t] = rows[t] & cells_[std::size_t(h)][t];
                any |= narrowed[t];
            }
            if (any == 0) continue;
            const unsigned a = hundreds | (1u << h);
            consider(a, size + 1, narrowed);
            descend(h + 1, a, size + 1, narrowed);
        }
    }

    void consider(unsigned hundreds, int size, const std::array<unsigned, 10>& rows) {
        int filled = 0;
        int widest = 0;
        for (unsigned r : rows) {
            if (r == 0) continue;
            ++filled;
            widest = std::max(widest, bitCount(r));
        }
        if (size * filled * widest < best_) return;
        // The units sets worth trying: intersections of the rows.
        std::bitset<1024> seen;
        family_.clear();
        for (unsigned r : rows) {
            if (r == 0) continue;
            const std::size_t known = family_.size();
            if (!seen[r]) {
                seen.set(r);
                family_.push_back(r);
            }
            for (std::size_t i = 0; i < known; ++i) {
                const unsigned g = family_[i] & r;
                if (g != 0 && !seen[g]) {
                    seen.set(g);
                    family_.push_back(g);
                }
            }
        }
        for (unsigned units : family_) {
            const int unitCount = bitCount(units);
            if (size * filled * unitCount < best_) continue;
            unsigned tens = 0;
            for (std::size_t t = 0; t < 10; ++t)
                if ((rows[t] & units) == units) tens |= 1u << t;
            const int score = size * bitCount(tens) * unitCount;
            if (score < best_) continue;
            if (score > best_) {
                best_ = score;
                ties_ = 1;
                box_ = DirectTicket{{hundreds, tens, units}};
            } else if (rng_ != nullptr && (*rng_)() % static_cast<unsigned>(++ties_) == 0) {
                box_ = DirectTicket{{hundreds, tens, units}};
            }
        }
    }

    const Cells& cells_;
    std::mt19937* rng_;
    int best_ = 0;
    int ties_ = 0;
    DirectTicket box_;
    std::vector<unsigned> family_;
};

// Takes the largest ticket that is left, again and again.
std::vector<DirectTicket> greedyCut(const TicketNumberSet& numbers, std::mt19937* rng) {
    Cells cells = cellsOf(numbers);
    std::vector<DirectTicket> tickets;
    int left = int(numbers.count());
    while (left > 0) {
        const DirectTicket box = BoxSearch(cells, rng).largest();
        for (unsigned h = 0; h < 10; ++h) {
            if (!(box.places[0] >> h & 1u)) continue;
            for (unsigned t = 0; t < 10; ++t)
                if (box.places[1] >> t & 1u) cells[h][t] &= ~box.places[2];
        }
        left -= box.bets();
        tickets.push_back(box);
    }
    mergeAlike(tickets);
    return tickets;
}

std::tuple<int, std::string, std::string, std::string> slipKey(const DirectTicket& t) {
    return {-t.bets(), digitSetText(t.places[0]), digitSetText(t.places[1]), digitSetText(t.places[2])};
}

// ---- group tickets ----------------------------------------------------------

// Three-digit groups a < b < c are the items 0..119 of a 组六 set, pair
// groups (double d, single s, d != s) the items d * 10 + s of a 组三 set.
using SixItems = std::bitset<120>;
using ThreeItems = std::bitset<100>;

struct GroupTables {
    std::array<std::array<std::array<int, 10>, 10>, 10> sixIndex{};
    std::array<int, 120> sixKey{};  // item → group number abc
    std::vector<SixItems> sixOf;    // digit set → its 组六 items
    std::vector<ThreeItems> threeOf;

    GroupTables() : sixOf(1024), threeOf(1024) {
        int index = 0;
        for (int a = 0; a < 10; ++a)
            for (int b = a + 1; b < 10; ++b)
                for (int c = b + 1; c < 10; ++c) {
                    sixIndex[std::size_t(a)][std::size_t(b)][std::size_t(c)] = index;
                    sixKey[std::size_t(index++)] = a * 100 + b * 10 + c;
                }
        for (unsigned set = 0; set < 1024; ++set) {
            for (int i = 0; i < 120; ++i) {
                const int k = sixKey[std::size_t(i)];
                if ((set >> (k / 100) & 1u) && (set >> (k / 10 % 10) & 1u) && (set >> (k % 10) & 1u))
                    sixOf[set].set(std::size_t(i));
            }
            for (unsigned d = 0; d < 10; ++d)
                for (unsigned s = 0; s < 10; ++s)
                    if (d != s && (set >> d & 1u) && (set >> s & 1u)) threeOf[set].set(d * 10 + s);
        }
    }
};

const GroupTables& groupTables() {
    static const GroupTables tables;
    return tables;
}

// The digit sets of at least `least` digits, the larger first.
std::vector<unsigned> digitSetsFrom(int least) {
    std::vector<unsigned> sets;
    for (unsigned s = 1; s < 1024; ++s)
        if (bitCount(s) >= least) sets.push_back(s);
    std::stable_sort(sets.begin(), sets.end(), [](unsigned a, unsigned b) { return bitCount(a) > bitCount(b); });
    return sets;
}

// Greedy cover of `items` by whole digit-set blocks (of/least as above):
// again and again the largest block that lies within what is left, ties
// broken by `rng` when given. Returns the blocks; `items` keeps the rest.
template <class Items>
std::vector<unsigned> greedyBlocks(Items& items, const std::vector<Items>& of, const std::vector<unsigned>& sets,
                                   std::mt19937* rng) {
    std::vector<unsigned> blocks;
    for (;;) {
        unsigned chosen = 0;
        int chosenSize = 0;
        int ties = 0;
        for (unsigned s : sets) {
            const int size = bitCount(s);
            if (chosen != 0 && size < chosenSize) break;  // sets come larger first
            if ((of[s] & ~items).any()) continue;
            if (chosen == 0) {
                chosen = s;
                chosenSize = size;
                ties = 1;
            } else if (rng != nullptr && (*rng)() % static_cast<unsigned>(++ties) == 0) {
                chosen = s;
            }
        }
        if (chosen == 0) return blocks;
        items &= ~of[chosen];
        blocks.push_back(chosen);
    }
}

// The fewest tickets of several greedy covers: blocks plus the items left.
template <class Items>
std::pair<std::vector<unsigned>, Items> bestBlocks(const Items& items, const std::vector<Items>& of, int least,
                                                   unsigned seed) {
    const std::vector<unsigned> sets = digitSetsFrom(least);
    std::mt19937 rng(seed);
    std::pair<std::vector<unsigned>, Items> best;
    std::size_t bestCount = SIZE_MAX;
    constexpr int kRounds = 24;
    for (int round = 0; round < kRounds; ++round) {
        Items left = items;
        std::vector<unsigned> blocks = greedyBlocks(left, of, sets, round == 0 ? nullptr : &rng);
        const std::size_t count = blocks.size() + left.count();
        if (count < bestCount) {
            bestCount = count;
            best = {std::move(blocks), left};
        }
    }
    return best;
}

}  // namespace

// ---- public -----------------------------------------------------------------

int DirectTicket::bets() const { return bitCount(places[0]) * bitCount(places[1]) * bitCount(places[2]); }

bool DirectTicket::contains(int number) const {
    if (number < 0 || number > 999) return false;
    return (places[0] >> (number / 100) & 1u) && (places[1] >> (number / 10 % 10) & 1u) && (places[2] >> (number % 10) & 1u);
}

TicketNumberSet DirectTicket::numbers() const {
    TicketNumberSet out;
    for (int n = 0; n < 1000; ++n)
        if (contains(n)) out.set(std::size_t(n));
    return out;
}

std::string digitSetText(unsigned digits) {
    std::string text;
    for (int d = 0; d < 10; ++d)
        if (digits >> d & 1u) text += char('0' + d);
    return text;
}

void orderDirectTickets(std::vector<DirectTicket>& tickets) {
    std::sort(tickets.begin(), tickets.end(),
              [](const DirectTicket& a, const DirectTicket& b) { return slipKey(a) < slipKey(b); });
}

std::vector<DirectTicket> plainDirectCut(const TicketNumberSet& numbers) {
    std::vector<DirectTicket> tickets = plainCutUnordered(numbers);
    orderDirectTickets(tickets);
    return tickets;
}

std::vector<DirectTicket> cutDirect(const TicketNumberSet& numbers) {
    std::vector<DirectTicket> best = plainCutUnordered(numbers);
    if (best.size() <= 1) {
        orderDirectTickets(best);
        return best;
    }
    auto keep = [&best](std::vector<DirectTicket> candidate) {
        if (candidate.size() < best.size()) best = std::move(candidate);
    };
    // The plain cut with the places in every order, alike tickets merged.
    static constexpr Order kOrders[6] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const Order& order : kOrders) {
        std::vector<DirectTicket> cut = plainCutUnordered(permuted(numbers, order));
        for (DirectTicket& t : cut) t = unpermuted(t, order);
        mergeAlike(cut);
        keep(std::move(cut));
    }
    // Largest ticket first, with the ties broken differently each round.
    std::mt19937 rng(0x7a11e1u);
    constexpr int kRounds = 12;
    for (int round = 0; round < kRounds && best.size() > 1; ++round)
        keep(greedyCut(numbers, round == 0 ? nullptr : &rng));
    orderDirectTickets(best);
    return best;
}

int GroupTicket::bets() const {
    const int n = bitCount(digits);
    switch (kind) {
    case GroupTicketKind::SixCompound: return n * (n - 1) * (n - 2) / 6;
    case GroupTicketKind::ThreeCompound: return n * (n - 1);
    default: return 1;
    }
}

std::vector<int> GroupTicket::groupNumbers() const {
    std::vector<int> out;
    if (kind == GroupTicketKind::SixCompound) {
        for (int a = 0; a < 10; ++a)
            for (int b = a + 1; b < 10; ++b)
                for (int c = b + 1; c < 10; ++c)
                    if ((digits >> a & 1u) && (digits >> b & 1u) && (digits >> c & 1u)) out.push_back(a * 100 + b * 10 + c);
    } else if (kind == GroupTicketKind::ThreeCompound) {
        for (int a = 0; a < 10; ++a)
            for (int b = a + 1; b < 10; ++b)
                if ((digits >> a & 1u) && (digits >> b & 1u)) {
                    out.push_back(a * 100 + a * 10 + b);  // aab
                    out.push_back(a * 100 + b * 10 + b);  // abb
                }
        std::sort(out.begin(), out.end());
    } else {
        out.push_back(number);
    }
    return out;
}

std::vector<GroupTicket> cutGroups(const std::vector<int>& numbers) {
    const GroupTables& tables = groupTables();
    SixItems six;
    ThreeItems three;
    std::bitset<10> triples;
    for (int n : numbers) {
        if (n < 0 || n > 999) continue;
        int d[3] = {n / 100, n / 10 % 10, n % 10};
        std::sort(d, d + 3);
        if (d[0] == d[2])
            triples.set(std::size_t(d[0]));
        else if (d[0] == d[1])
            three.set(std::size_t(d[0] * 10 + d[2]));  // double d0, single d2
        else if (d[1] == d[2])
            three.set(std::size_t(d[2] * 10 + d[0]));  // double d2, single d0
        else
            six.set(std::size_t(tables.sixIndex[std::size_t(d[0])][std::size_t(d[1])][std::size_t(d[2])]));
    }
    const auto [sixBlocks, sixLeft] = bestBlocks(six, tables.sixOf, 4, 0x6u);
    const auto [threeBlocks, threeLeft] = bestBlocks(three, tables.threeOf, 2, 0x3u);

    std::vector<GroupTicket> tickets;
    for (unsigned s : sixBlocks) tickets.push_back(GroupTicket{GroupTicketKind::SixCompound, s, 0});
    for (unsigned s : threeBlocks) tickets.push_back(GroupTicket{GroupTicketKind::ThreeCompound, s, 0});
    std::stable_sort(tickets.begin(), tickets.end(), [](const GroupTicket& a, const GroupTicket& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        if (a.bets() != b.bets()) return a.bets() > b.bets();
        return digitSetText(a.digits) < digitSetText(b.digits);
    });
    std::vector<GroupTicket> singles;
    for (int i = 0; i < 120; ++i)
        if (sixLeft[std::size_t(i)])
            singles.push_back(GroupTicket{GroupTicketKind::SixSingle, 0, tables.sixKey[std::size_t(i)]});
    for (int i = 0; i < 100; ++i) {
        if (!threeLeft[std::size_t(i)]) continue;
        const int dbl = i / 10, single = i % 10;
        const int key = dbl < single ? dbl * 110 + single : single * 100 + dbl * 11;
        singles.push_back(GroupTicket{GroupTicketKind::ThreeSingle, 0, key});
    }
    for (int d = 0; d < 10; ++d)
        if (triples[std::size_t(d)]) singles.push_back(GroupTicket{GroupTicketKind::Triple, 0, d * 111});
    std::sort(singles.begin(), singles.end(),
              [](const GroupTicket& a, const GroupTicket& b) { return a.number < b.number; });
    tickets.insert(tickets.end(), singles.begin(), singles.end());
    return tickets;
}

std::vector<SlipLine> directSlipLines(const std::vector<DirectTicket>& tickets, int width) {
    std::vector<SlipLine> lines;
    const std::string prefix = width == 2 ? "二星直选" : "直选";
    for (const DirectTicket& t : tickets) {
        SlipLine line;
        line.bets = t.bets();
        if (line.bets == 1) {
            line.kind = prefix + "单式";
            line.numbers = width == 2 ? digitSetText(t.places[1]) + digitSetText(t.places[2])
                                      : digitSetText(t.places[0]) + digitSetText(t.places[1]) + digitSetText(t.places[2]);
        } else {
            line.kind = prefix + "复式";
            if (width != 2) line.numbers = "百位:" + digitSetText(t.places[0]) + " ";
            line.numbers += "十位:" + digitSetText(t.places[1]) + " 个位:" + digitSetText(t.places[2]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<SlipLine> groupSlipLines(const std::vector<GroupTicket>& tickets) {
    std::vector<SlipLine> lines;
    for (const GroupTicket& t : tickets) {
        SlipLine line;
        line.bets = t.bets();
        switch (t.kind) {
        case GroupTicketKind::SixCompound: line.kind = "组六复式"; break;
        case GroupTicketKind::ThreeCompound: line.kind = "组三复式"; break;
        case GroupTicketKind::SixSingle: line.kind = "组六单式"; break;
        case GroupTicketKind::ThreeSingle: line.kind = "组三单式"; break;
        case GroupTicketKind::Triple: line.kind = "直选单式"; break;
        }
        const bool compound = t.kind == GroupTicketKind::SixCompound || t.kind == GroupTicketKind::ThreeCompound;
        line.numbers = compound ? digitSetText(t.digits) : numberText(t.number, 3);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string slipMoneyText(std::int64_t fen) {
    const std::string text = yuanText(fen);
    return fen % 100 == 0 && text.size() > 3 && text.compare(text.size() - 3, 3, ".00") == 0
               ? text.substr(0, text.size() - 3)
               : text;
}

std::string slipLineText(const SlipLine& line, int priceFen) {
    return line.kind + " " + line.numbers + " " + std::to_string(line.bets) + "注 " +
           slipMoneyText(betCostFen(line.bets, priceFen)) + "元";
}

TicketInput readTicketNumbers(std::string_view text) {
    TicketInput in;
    forEachDigitRun(text, [&in](std::string_view run) {
        if (run.size() != 3) {
            in.badRun = std::string(run);
            in.numbers.reset();
            return false;
        }
        in.numbers.set(std::size_t(threeDigitValue(run)));
        return true;
    });
    return in;
}

}  // namespace tarnel
