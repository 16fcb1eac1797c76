// The 3d draw source's answer (a page of its latest draws, as JSON), read
// against a plain reading: raw control characters inside strings blanked by
// counting quotes afresh for each byte, the fields matched with std::regex.
// Properties: an answer is refused exactly when the plain reading refuses
// it; a refusal says why and gives no draw; otherwise the same draws, in the
// same order, with the same end of the pages.
//
// Input: the first byte chooses the page number (1..8), the rest is the answer.

#include "draw_answer_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::checkAnswer(tarnel::Lottery::Fc3d, fuzz::asText(data, size));
    return 0;
}
