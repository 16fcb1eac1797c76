// Scheme files (*.tarnel): reading any bytes, and writing any state the
// windows can hold.
//
// The input is read as the bytes of a file; when that is refused, it is
// the material of a state instead (its NUL-separated texts fill the text
// controls in table order, its bits the check boxes and buttons).
//
// Properties: a refused file gives a message of one short line and nothing
// else; an accepted one names its ignored keys in a screenful; an accepted
// one, written again, reads back to the same state with no unknown keys,
// and that second writing is byte-identical to the first. A state built as
// the windows build one (valid UTF-8 texts with the line breaks their boxes
// give) is written and read back unchanged, and its writing is stable.
// The box-text rules themselves are idempotent and leave no stray breaks.

#include <string>
#include <variant>
#include <vector>

#include "fuzz_support.h"
#include "core/files/scheme.h"

namespace {

using namespace tarnel;

std::string describe(const SchemeReading& r) {
    return r.scheme ? "accepted" : "refused: " + r.error;
}

// Writes, reads back and writes again: the state must survive unchanged.
void checkRoundTrip(const Scheme& scheme, const char* what) {
    const std::string written = writeScheme(scheme.main, scheme.twoStar ? &*scheme.twoStar : nullptr);
    fuzz::check(fuzz::validUtf8(written) && !written.empty() && written.back() == '\n',
                "a written scheme is UTF-8 text ending in a line break", what);
    const SchemeReading again = readScheme(written);
    if (!again.scheme) fuzz::fail("a written scheme is read back", std::string(what) + "; " + describe(again));
    fuzz::check(again.unknownKeys.empty(), "a written scheme has no unknown keys", what);
    if (!(*again.scheme == scheme)) fuzz::fail("a written scheme reads back to the same state", what);
    const std::string rewritten =
        writeScheme(again.scheme->main, again.scheme->twoStar ? &*again.scheme->twoStar : nullptr);
    fuzz::check(rewritten == written, "writing the state read back gives the same bytes", what);
}

// Returns whether the bytes were accepted as a scheme.
bool checkFileBytes(std::string_view bytes) {
    const SchemeReading reading = readScheme(bytes);
    if (!reading.scheme) {
        fuzz::check(!reading.error.empty(), "a refused scheme says why");
        fuzz::check(fuzz::validUtf8(reading.error), "the refusal message is UTF-8", fuzz::shown(reading.error));
        fuzz::check(reading.unknownKeys.empty(), "a refused scheme lists no ignored keys");
        fuzz::check(reading.error.find_first_of("\r\n") == std::string::npos && reading.error.size() < 1000,
                    "the refusal message is one short line", fuzz::shown(reading.error));
        return false;
    }
    fuzz::check(reading.error.empty(), "an accepted scheme has no error");
    fuzz::check(unknownKeysNotice(reading.unknownKeys).size() < 10000, "the ignored-key notice is a screenful");
    checkRoundTrip(*reading.scheme, "file read from the input");
    return true;
}

void fillControls(std::vector<ControlField> fields, const std::vector<std::string_view>& texts, std::size_t& next,
                  std::string_view bits, std::size_t& bit) {
    auto nextText = [&]() -> std::string {
        const std::string_view t = next < texts.size() ? texts[next++] : std::string_view();
        return fuzz::validUtf8(t) ? std::string(t) : std::string();  // the boxes only ever hold valid text
    };
    auto nextBit = [&]() {
        const bool on = !bits.empty() && (static_cast<unsigned char>(bits[(bit / 8) % bits.size()]) >> (bit % 8) & 1u);
        ++bit;
        return on;
    };
    for (ControlField& f : fields) {
        std::visit(
            [&](auto* target) {
                using T = std::remove_pointer_t<decltype(target)>;
                if constexpr (std::is_same_v<T, bool>) {
                    *target = nextBit();
                } else if constexpr (std::is_same_v<T, int>) {
                    *target = static_cast<int>(bits.size() % 10);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    const std::string text = nextText();
                    if (f.kind == ControlKind::MultiLineText) *target = multiLineBoxText(text);
                    else if (f.kind == ControlKind::SingleLineText) *target = singleLineBoxText(text);
                    else *target = text;
                } else {
                    target->clear();
                    const std::string text = nextText();
                    std::size_t start = 0;
                    while (!text.empty() && start <= text.size()) {
                        const std::size_t end = std::min(text.find('\n', start), text.size());
                        target->push_back(text.substr(start, end - start));
                        start = end + 1;
                    }
                }
            },
            f.value);
    }
}

void checkBuiltState(std::string_view input) {
    const std::vector<std::string_view> texts = fuzz::fields(input, 64);
    Scheme scheme;
    std::size_t next = 0, bit = 0;
    fillControls(mainControls(scheme.main), texts, next, input, bit);
    if (!input.empty() && (input[0] & 1)) {
        scheme.twoStar = twoStarStartState();
        fillControls(twoStarControls(*scheme.twoStar), texts, next, input, bit);
    }
    checkRoundTrip(scheme, "state built from the input");
}

void checkBoxTexts(std::string_view text) {
    const std::string multi = multiLineBoxText(text);
    fuzz::check(multiLineBoxText(multi) == multi, "multi-line box text is idempotent", fuzz::shown(text));
    for (std::size_t i = 0; i < multi.size(); ++i) {
        if (multi[i] == '\r') fuzz::check(i + 1 < multi.size() && multi[i + 1] == '\n', "every CR starts a CR LF");
        if (multi[i] == '\n') fuzz::check(i > 0 && multi[i - 1] == '\r', "every LF ends a CR LF");
    }
    const std::string single = singleLineBoxText(text);
    fuzz::check(single.find_first_of("\r\n") == std::string::npos, "a single-line box holds no CR or LF");
    fuzz::check(singleLineBoxText(single) == single, "single-line box text is idempotent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::asText(data, size);
    // A round trip is the costly part under the sanitizers: one per input,
    // of the file when it is a scheme, else of a state built from it.
    if (!checkFileBytes(input)) checkBuiltState(input);
    checkBoxTexts(input);
    return 0;
}
