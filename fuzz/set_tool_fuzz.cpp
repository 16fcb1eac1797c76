// The set tool (三星交集工具), which reads two pasted three-digit lists and
// combines them.
//
// Input: NUL-separated texts: list A, list B.
//
// Properties, for each of the four operations: the result is three-digit
// numbers separated by single spaces, strictly ascending (so each once),
// its count is the number of them, and they are exactly the numbers the
// operation takes from the reference memberships (a number is in a list
// when its text is a substring of the list).

#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "core/rules/set_tool.h"

namespace {

using namespace tarnel;

void checkOperation(std::string_view a, std::string_view b, SetOperation op, const std::vector<bool>& inA,
                    const std::vector<bool>& inB) {
    const SetToolResult r = combineLists(a, b, op);
    fuzz::check(r.text.find("  ") == std::string::npos && (r.text.empty() || r.text.front() != ' ') &&
                    (r.text.empty() || r.text.back() != ' '),
                "the result is separated by single spaces", r.text);
    std::istringstream words(r.text);
    std::string word;
    int count = 0, previous = -1;
    std::vector<bool> listed(1000);
    while (words >> word) {
        fuzz::check(word.size() == 3 && fuzz::isDigitByte(word[0]) && fuzz::isDigitByte(word[1]) &&
                        fuzz::isDigitByte(word[2]),
                    "the result lists three-digit numbers", word);
        const int v = std::stoi(word);
        fuzz::check(v > previous, "the result is strictly ascending", r.text);
        previous = v;
        listed[static_cast<std::size_t>(v)] = true;
        ++count;
    }
    fuzz::check(count == r.count, "the count is the number of numbers listed");
    for (std::size_t v = 0; v < 1000; ++v) {
        const bool x = inA[v], y = inB[v];
        bool expected = false;
        switch (op) {
            case SetOperation::Intersection: expected = x && y; break;
            case SetOperation::Union: expected = x || y; break;
            case SetOperation::AMinusB: expected = x && !y; break;
            case SetOperation::BMinusA: expected = y && !x; break;
        }
        if (listed[v] != expected) fuzz::fail("the operation takes exactly its numbers", fuzz::paddedNumber(int(v), 3));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::fields(fuzz::asText(data, size), 2);
    const auto inA = fuzz::listedWindows(parts[0], 3);
    const auto inB = fuzz::listedWindows(parts[1], 3);
    for (SetOperation op :
         {SetOperation::Intersection, SetOperation::Union, SetOperation::AMinusB, SetOperation::BMinusA})
        checkOperation(parts[0], parts[1], op, inA, inB);
    return 0;
}
