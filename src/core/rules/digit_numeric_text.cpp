#include "core/rules/digit_numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/rules/text.h"

namespace tarnel {

namespace {

// More significant digits than any halfway point between two doubles has
// (767 at most); digits beyond these only shift the exponent, and whether
// any of them is non-zero decides a tie.
constexpr std::size_t kMaxSignificant = 800;
// Exponents are accumulated with saturation far outside the double range.
constexpr long long kExponentCap = 1'000'000'000'000LL;

bool skippedBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

long long saturatingAdd(long long a, long long b) {
    const long long sum = a + b;  // operands stay within a few times the cap
    if (sum > kExponentCap) return kExponentCap;
    if (sum < -kExponentCap) return -kExponentCap;
    return sum;
}

// Walks the text, stepping over the blanks that are skipped wherever they stand.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    // The next character that is not a skipped blank, or -1 at the end.
    int peek() {
        while (pos_ < text_.size() && skippedBlank(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void advance() { ++pos_; }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

double leadingNumber(std::string_view text) {
    Reader in(text);
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }

    std::string significant;  // digits from the first non-zero one on
    long long exponent = 0;   // value = significant × 10^exponent
    bool anyDigit = false;
    bool afterPoint = false;
    bool droppedNonZero = false;  // a digit beyond the significant ones was not 0
    for (int c = in.peek();; c = in.peek()) {
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (significant.empty() && c == '0') {
                if (afterPoint) exponent = saturatingAdd(exponent, -1);
            } else if (significant.size() < kMaxSignificant) {
                significant.push_back(static_cast<char>(c));
                if (afterPoint) exponent = saturatingAdd(exponent, -1);
            } else {
                droppedNonZero = droppedNonZero || c != '0';
                if (!afterPoint) exponent = saturatingAdd(exponent, 1);
            }
            in.advance();
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
            in.advance();
        } else {
            break;
        }
    }
    if (!anyDigit) return 0.0;

    // An exponent counts only when at least one digit follows the letter.
    if (in.peek() == 'e' || in.peek() == 'E') {
        const std::size_t mark = in.position();
        in.advance();
        bool expNegative = false;
        if (in.peek() == '+' || in.peek() == '-') {
            expNegative = in.peek() == '-';
            in.advance();
        }
        long long value = 0;
        bool expDigits = false;
        for (int c = in.peek(); c >= '0' && c <= '9'; c = in.peek()) {
            expDigits = true;
            if (value < kExponentCap) value = value * 10 + (c - '0');
            in.advance();
        }
        if (expDigits)
            exponent = saturatingAdd(exponent, expNegative ? -value : value);
        else
            in.rewind(mark);
    }

    if (significant.empty()) return 0.0;
    const double inf = std::numeric_limits<double>::infinity();
    // Decimal magnitude of the leading digit; doubles end near 10^308 and 10^-324.
    const long long magnitude = exponent + static_cast<long long>(significant.size()) - 1;
    if (magnitude > 400) return negative ? -inf : inf;
    if (magnitude < -400) return 0.0;

    // The kept digits can land exactly halfway between two doubles; a
    // dropped non-zero digit means the text lies just above that, so one
    // extra digit 1 stands for all of them and rounding goes the right way.
    std::string literal = significant;
    if (droppedNonZero) literal += '1';
    literal += 'e';
    literal += std::to_string(droppedNonZero ? exponent - 1 : exponent);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) value = magnitude > 0 ? inf : 0.0;
    else if (ec != std::errc()) value = 0.0;
    if (value == 0.0) return 0.0;
    return negative ? -value : value;
}

std::string normalisedSumList(std::string_view text) {
    std::string out;
    std::string piece;
    auto flush = [&] {
        if (piece.empty()) return;
        const auto first = piece.find_first_not_of('0');
        const std::string_view digits =
            first == std::string::npos ? std::string_view() : std::string_view(piece).substr(first);
        if (digits.size() < 2) out.append(2 - digits.size(), '0');
        out += digits;
        out += ' ';
        piece.clear();
    };
    for (char c : text) {
        if (isAsciiDigit(c))
            piece.push_back(c);
        else if (c == ' ')
            flush();
        // every other character is dropped, joining the digits around it
    }
    flush();
    return out;
}

}  // namespace tarnel
