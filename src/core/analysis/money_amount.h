#pragma once
// Prices and prizes as a player writes them, read one way everywhere (the
// windows' fields and tarnel-cli's --price and --prizes): an exact decimal
// number of yuan, kept in fen (hundredths), within one range per kind.

#include <cstdint>
#include <string_view>

namespace tarnel {

// A bet costs from 0.01 to 10,000 yuan; a prize is from 0 to 1,000,000.
inline constexpr std::int64_t kPriceMinFen = 1;
inline constexpr std::int64_t kPriceMaxFen = 10000 * 100;
inline constexpr std::int64_t kPrizeMinFen = 0;
inline constexpr std::int64_t kPrizeMaxFen = 1000000 * 100;

enum class AmountProblem {
    None,
    Empty,
    Negative,
    NotANumber,       // anything but ASCII digits with at most one point between digits
    TooManyDecimals,  // a digit other than 0 after the fen
    TooLarge,
    TooSmall,
};

struct Amount {
    std::int64_t fen = 0;
    AmountProblem problem = AmountProblem::None;
    bool ok() const { return problem == AmountProblem::None; }
};

// "2", "0.5", "1040", "007.25", "2.50" are amounts; "", "-1", "+2", "1e3",
// ".5", "1.", " 2", "inf", "２" are not. The value is exact: 1000000.00000000001
// is more than 1,000,000 (and has more than two decimals), never rounded to it.
Amount readAmount(std::string_view text, std::int64_t minFen, std::int64_t maxFen);

}  // namespace tarnel
