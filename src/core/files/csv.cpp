#include "core/files/csv.h"

namespace tarnel {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

CsvWriter::CsvWriter() : text_("\xEF\xBB\xBF") {}

void CsvWriter::add(std::string_view field, bool first) {
    if (!first) text_ += ',';
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        text_ += field;
        return;
    }
    text_ += csvField(field);
}

void CsvWriter::row(std::span<const std::string> fields) {
    bool first = true;
    for (const std::string& f : fields) {
        add(f, first);
        first = false;
    }
    text_ += "\r\n";
}

void CsvWriter::row(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view f : fields) {
        add(f, first);
        first = false;
    }
    text_ += "\r\n";
}

}  // namespace tarnel
