// Bet slips: every cut of a result into tickets is disjoint and exact, the
// plain cut agrees with a straightforward version built on the number
// texts, the search never does worse than the plain cut, and on results
// made of k disjoint tickets it mostly finds k or fewer.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/rules/text.h"
#include "core/analysis/tickets.h"

namespace tarnel {
namespace {

using Strings = std::tuple<std::string, std::string, std::string>;

Strings texts(const DirectTicket& t) {
    return {digitSetText(t.places[0]), digitSetText(t.places[1]), digitSetText(t.places[2])};
}

// The plain cut on texts: for each hundreds character the units string of
// every tens character, the tens sharing a units string joined, then the
// hundreds sharing tens and units strings joined.
std::vector<Strings> referencePlainCut(const TicketNumberSet& numbers) {
    std::map<std::pair<std::string, std::string>, std::string> hundredsOf;  // (tens, units) → hundreds
    for (char h = '0'; h <= '9'; ++h) {
        std::map<std::string, std::string> tensOf;  // units → tens
        for (char t = '0'; t <= '9'; ++t) {
            std::string units;
            for (char u = '0'; u <= '9'; ++u)
                if (numbers[std::size_t(std::stoi(std::string{h, t, u}))]) units += u;
            if (!units.empty()) tensOf[units] += t;
        }
        for (const auto& [units, tens] : tensOf) hundredsOf[{tens, units}] += h;
    }
    std::vector<Strings> out;
    for (const auto& [key, hundreds] : hundredsOf) out.emplace_back(hundreds, key.first, key.second);
    std::sort(out.begin(), out.end());
    return out;
}

// Disjoint, exact, in slip order, every place non-empty.
void expectExactCut(const std::vector<DirectTicket>& tickets, const TicketNumberSet& numbers) {
    TicketNumberSet covered;
    std::size_t bets = 0;
    for (const DirectTicket& t : tickets) {
        ASSERT_TRUE(t.places[0] && t.places[1] && t.places[2]);
        ASSERT_LT(t.places[0] | t.places[1] | t.places[2], 1024u);
        const TicketNumberSet mine = t.numbers();
        ASSERT_TRUE((mine & covered).none()) << "tickets overlap";
        covered |= mine;
        bets += std::size_t(t.bets());
        ASSERT_EQ(mine.count(), std::size_t(t.bets()));
    }
    ASSERT_EQ(covered, numbers);
    ASSERT_EQ(bets, numbers.count());
    for (std::size_t i = 1; i < tickets.size(); ++i) {
        const auto& a = tickets[i - 1];
        const auto& b = tickets[i];
        ASSERT_TRUE(a.bets() > b.bets() || (a.bets() == b.bets() && texts(a) < texts(b))) << "out of slip order";
    }
}

TicketNumberSet randomSet(std::mt19937& rng, int size) {
    std::vector<int> all(1000);
    for (int i = 0; i < 1000; ++i) all[std::size_t(i)] = i;
    std::shuffle(all.begin(), all.end(), rng);
    TicketNumberSet s;
    for (int i = 0; i < size; ++i) s.set(std::size_t(all[std::size_t(i)]));
    return s;
}

unsigned randomDigits(std::mt19937& rng, int least, int most) {
    const int n = std::uniform_int_distribution<int>(least, most)(rng);
    std::vector<int> d{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::shuffle(d.begin(), d.end(), rng);
    unsigned bits = 0;
    for (int i = 0; i < n; ++i) bits |= 1u << d[std::size_t(i)];
    return bits;
}

// k pairwise disjoint random tickets (fewer when no more fit after many tries).
std::vector<DirectTicket> disjointBoxes(std::mt19937& rng, int k, int most) {
    std::vector<DirectTicket> boxes;
    TicketNumberSet used;
    for (int tries = 0; int(boxes.size()) < k && tries < 2000; ++tries) {
        DirectTicket t{{randomDigits(rng, 1, most), randomDigits(rng, 1, most), randomDigits(rng, 1, most)}};
        const TicketNumberSet mine = t.numbers();
        if ((mine & used).any()) continue;
        used |= mine;
        boxes.push_back(t);
    }
    return boxes;
}

TEST(DirectTickets, ThePlainCutMatchesAVersionBuiltOnTheTexts) {
    std::mt19937 rng(27);
    for (int round = 0; round < 150; ++round) {
        const int size = round < 10 ? round + 1 : std::uniform_int_distribution<int>(1, 1000)(rng);
        const TicketNumberSet numbers = randomSet(rng, size);
        const std::vector<DirectTicket> cut = plainDirectCut(numbers);
        expectExactCut(cut, numbers);
        std::vector<Strings> got;
        for (const DirectTicket& t : cut) got.push_back(texts(t));
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, referencePlainCut(numbers)) << "size " << size;
    }
    // A worked case: 012 013 112 113 212 213 are three per-hundreds tickets joined into one.
    TicketNumberSet six;
    for (int n : {12, 13, 112, 113, 212, 213}) six.set(std::size_t(n));
    const std::vector<DirectTicket> one = plainDirectCut(six);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(texts(one[0]), Strings("012", "1", "23"));
    EXPECT_TRUE(plainDirectCut(TicketNumberSet{}).empty());
}

TEST(DirectTickets, EveryCutIsExactAndNeverLongerThanThePlainCut) {
    std::mt19937 rng(2027);
    int better = 0, rounds = 0;
    auto check = [&](const TicketNumberSet& numbers) {
        const std::vector<DirectTicket> cut = cutDirect(numbers);
        expectExactCut(cut, numbers);
        const std::size_t plain = plainDirectCut(numbers).size();
        ASSERT_LE(cut.size(), plain);
        if (rounds % 8 == 0) {
            ASSERT_EQ(cut, cutDirect(numbers)) << "the same set gives the same slips";
        }
        better += cut.size() < plain;
        ++rounds;
    };
    for (int size = 1; size <= 1000; size += std::uniform_int_distribution<int>(1, 40)(rng)) check(randomSet(rng, size));
    check(randomSet(rng, 1000));
    // Unions of overlapping tickets and their complements: results with structure.
    for (int round = 0; round < 40; ++round) {
        TicketNumberSet s;
        const int boxes = std::uniform_int_distribution<int>(1, 6)(rng);
        for (int b = 0; b < boxes; ++b)
            s |= DirectTicket{{randomDigits(rng, 1, 8), randomDigits(rng, 1, 8), randomDigits(rng, 1, 8)}}.numbers();
        check(s);
        check(~s);
    }
    std::cout << "[ tickets  ] the search beat the plain cut on " << better << " of " << rounds << " results\n";
    EXPECT_GT(better, 0);
}

TEST(DirectTickets, ResultsMadeOfKDisjointTicketsMostlyGetKOrFewer) {
    std::mt19937 rng(327);
    int cases = 0, atMostK = 0, plainAtMostK = 0;
    for (int round = 0; round < 300; ++round) {
        const int k = 1 + round % 8;
        const std::vector<DirectTicket> boxes = disjointBoxes(rng, k, round % 3 == 0 ? 9 : 5);
        TicketNumberSet numbers;
        for (const DirectTicket& b : boxes) numbers |= b.numbers();
        const std::vector<DirectTicket> cut = cutDirect(numbers);
        expectExactCut(cut, numbers);
        ++cases;
        atMostK += cut.size() <= boxes.size();
        plainAtMostK += plainDirectCut(numbers).size() <= boxes.size();
        if (boxes.size() == 1) {
            ASSERT_EQ(cut.size(), 1u);
        }
    }
    std::cout << "[ tickets  ] k disjoint tickets: k or fewer found in " << atMostK << " of " << cases
              << " results (plain cut: " << plainAtMostK << ")\n";
    EXPECT_GE(atMostK * 10, cases * 8);
}

TEST(ReadingTicketNumbers, ThreeDigitRunsOnlyAnythingElseSeparatesRepeatsCountOnce) {
    TicketInput in = readTicketNumbers("123,456 123\r\n007，abc999");
    ASSERT_TRUE(in.ok());
    EXPECT_EQ(in.numbers.count(), 4u);
    EXPECT_TRUE(in.numbers[123] && in.numbers[456] && in.numbers[7] && in.numbers[999]);
    EXPECT_TRUE(readTicketNumbers("").ok());
    EXPECT_EQ(readTicketNumbers("").numbers.count(), 0u);
    // Full-width digits are not ASCII digits: they separate.
    in = readTicketNumbers("１２３123");
    ASSERT_TRUE(in.ok());
    EXPECT_EQ(in.numbers.count(), 1u);
    for (const char* bad : {"12", "1234", "123 45 678", "5"}) {
        in = readTicketNumbers(bad);
        EXPECT_FALSE(in.ok()) << bad;
        EXPECT_EQ(in.numbers.count(), 0u);
    }
    EXPECT_EQ(readTicketNumbers("123 45 6789").badRun, "45");
    EXPECT_EQ(readTicketNumbers("123 4567").badRun, "4567");
}

TEST(SlipLines, ReadAsAShopClerkReadsThem) {
    const DirectTicket compound{{0b100111u, 0b1000u, 0b1110000000u}};
    const DirectTicket single{{1u << 9, 1u << 0, 1u << 7}};
    const auto lines = directSlipLines({compound, single}, 3);
    EXPECT_EQ(slipLineText(lines[0], 200), "直选复式 百位:0125 十位:3 个位:789 12注 24元");
    EXPECT_EQ(slipLineText(lines[1], 250), "直选单式 907 1注 2.50元");
    const auto pairs = directSlipLines({DirectTicket{{1u, 0b110u, 0b1001u}}}, 2);
    EXPECT_EQ(slipLineText(pairs[0], 200), "二星直选复式 十位:12 个位:03 4注 8元");
    const auto groups = groupSlipLines({GroupTicket{GroupTicketKind::SixCompound, 0b100111u, 0},
                                        GroupTicket{GroupTicketKind::ThreeCompound, 0b110u, 0},
                                        GroupTicket{GroupTicketKind::ThreeSingle, 0, 88},
                                        GroupTicket{GroupTicketKind::Triple, 0, 0}});
    EXPECT_EQ(slipLineText(groups[0], 200), "组六复式 0125 4注 8元");
    EXPECT_EQ(slipLineText(groups[1], 200), "组三复式 12 2注 4元");
    EXPECT_EQ(slipLineText(groups[2], 200), "组三单式 088 1注 2元");
    EXPECT_EQ(slipLineText(groups[3], 200), "直选单式 000 1注 2元");
    EXPECT_EQ(slipMoneyText(123456), "1234.56");
    EXPECT_EQ(slipMoneyText(0), "0");
}

// ---- group tickets ----------------------------------------------------------

int sortedKey(int n) {
    std::string t = numberText(n, 3);
    std::sort(t.begin(), t.end());
    return std::stoi(t);
}

// Disjoint and exact against the group keys of `numbers`; returns the ticket count.
std::size_t expectExactGroupCut(const std::vector<GroupTicket>& tickets, const std::vector<int>& numbers) {
    std::set<int> want;
    for (int n : numbers) want.insert(sortedKey(n));
    std::set<int> got;
    std::size_t bets = 0;
    for (const GroupTicket& t : tickets) {
        const int digits = __builtin_popcount(t.digits);
        const int least = t.kind == GroupTicketKind::SixCompound ? 4 : t.kind == GroupTicketKind::ThreeCompound ? 2 : 0;
        EXPECT_GE(digits, least);
        const std::vector<int> mine = t.groupNumbers();
        EXPECT_EQ(mine.size(), std::size_t(t.bets()));
        for (int g : mine) {
            const std::string s = numberText(g, 3);
            const std::set<char> distinct(s.begin(), s.end());
            const bool six = t.kind == GroupTicketKind::SixCompound || t.kind == GroupTicketKind::SixSingle;
            const bool three = t.kind == GroupTicketKind::ThreeCompound || t.kind == GroupTicketKind::ThreeSingle;
            EXPECT_EQ(distinct.size(), six ? 3u : three ? 2u : 1u);
            EXPECT_TRUE(got.insert(g).second) << "tickets overlap at " << g;
        }
        bets += mine.size();
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(bets, want.size());
    EXPECT_LE(tickets.size(), want.size());
    return tickets.size();
}

TEST(GroupTickets, EveryCutIsExactAndNoLongerThanTheSingleBets) {
    std::mt19937 rng(4027);
    for (int round = 0; round < 120; ++round) {
        const int size = std::uniform_int_distribution<int>(1, 1000)(rng);
        std::vector<int> numbers;
        const TicketNumberSet s = randomSet(rng, size);
        for (int n = 0; n < 1000; ++n)
            if (s[std::size_t(n)]) numbers.push_back(n);
        const std::vector<GroupTicket> cut = cutGroups(numbers);
        expectExactGroupCut(cut, numbers);
        if (round % 8 == 0) {
            ASSERT_EQ(cut, cutGroups(numbers));
        }
    }
    // All 220 groups: one 组六复式 of ten digits, one 组三复式 of ten digits, ten 豹子.
    std::vector<int> all(1000);
    for (int i = 0; i < 1000; ++i) all[std::size_t(i)] = i;
    const std::vector<GroupTicket> cut = cutGroups(all);
    EXPECT_EQ(expectExactGroupCut(cut, all), 12u);
    EXPECT_EQ(cut[0], (GroupTicket{GroupTicketKind::SixCompound, 1023u, 0}));
    EXPECT_EQ(cut[0].bets(), 120);
    EXPECT_EQ(cut[1].bets(), 90);
    EXPECT_TRUE(cutGroups({}).empty());
}

TEST(GroupTickets, ResultsMadeOfKDisjointSlipsMostlyGetKOrFewer) {
    std::mt19937 rng(5027);
    int cases = 0, atMostK = 0;
    for (int round = 0; round < 300; ++round) {
        const int k = 1 + round % 6;
        // 组六 digit sets that share at most two digits hold no common group, 组三 sets at most one.
        std::vector<unsigned> six, three;
        for (int tries = 0; int(six.size() + three.size()) < k && tries < 500; ++tries) {
            const bool isSix = rng() % 2 == 0;
            const unsigned d = isSix ? randomDigits(rng, 4, 7) : randomDigits(rng, 2, 6);
            auto& list = isSix ? six : three;
            const int limit = isSix ? 2 : 1;
            if (std::all_of(list.begin(), list.end(), [&](unsigned o) { return __builtin_popcount(o & d) <= limit; }))
                list.push_back(d);
        }
        std::vector<int> numbers;
        for (unsigned d : six)
            for (int g : GroupTicket{GroupTicketKind::SixCompound, d, 0}.groupNumbers()) numbers.push_back(g);
        for (unsigned d : three)
            for (int g : GroupTicket{GroupTicketKind::ThreeCompound, d, 0}.groupNumbers()) numbers.push_back(g);
        // Shuffled digits: 321 is the group 123.
        for (int& n : numbers) {
            std::string t = numberText(n, 3);
            std::shuffle(t.begin(), t.end(), rng);
            n = std::stoi(t);
        }
        const std::size_t count = expectExactGroupCut(cutGroups(numbers), numbers);
        ++cases;
        atMostK += count <= six.size() + three.size();
    }
    std::cout << "[ tickets  ] k disjoint group slips: k or fewer found in " << atMostK << " of " << cases << " results\n";
    EXPECT_GE(atMostK * 10, cases * 8);
}

}  // namespace
}  // namespace tarnel
