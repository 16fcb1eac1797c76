#include "core/files/history_file.h"

namespace tarnel {

namespace {

// Bytes that text does not hold: the C0 controls other than tab, line
// breaks, form feed, the old end-of-file mark (0x1A) and escape (0x1B,
// which colours a terminal's copy).
bool isBinaryByte(unsigned char c) {
    if (c == 0) return true;
    if (c < 0x20) return !(c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A || c == 0x1B);
    return c == 0x7F;
}

}  // namespace

HistoryFileKind historyFileKind(std::string_view bytes) {
    // A NUL anywhere, or more than one byte in 64 that no text holds (a
    // picture or an archive has about one in ten; a pasted table may carry a
    // stray one or two).
    std::size_t binary = 0;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) return HistoryFileKind::NotText;
        if (isBinaryByte(c)) ++binary;
    }
    if (binary >= 4 && binary * 64 > bytes.size()) return HistoryFileKind::NotText;
    // A scheme is one JSON object naming its format; no history starts with a brace.
    std::size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    if (i < bytes.size() && bytes[i] == '{' && bytes.find("\"tarnel-scheme\"") != std::string_view::npos)
        return HistoryFileKind::Scheme;
    return HistoryFileKind::Text;
}

}  // namespace tarnel
