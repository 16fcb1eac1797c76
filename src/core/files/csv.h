#pragma once
// Tables written for spreadsheet programs: comma-separated values with
// CR LF line ends, a field in double quotes when it holds a comma, a double
// quote (written twice), CR or LF, and a UTF-8 byte order mark first, by
// which spreadsheet programs know to read the Chinese as UTF-8.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tarnel {

// One field as it goes into a line.
std::string csvField(std::string_view text);

class CsvWriter {
public:
    CsvWriter();
    void row(std::span<const std::string> fields);
    void row(std::initializer_list<std::string_view> fields);
    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }

private:
    void add(std::string_view field, bool first);
    std::string text_;
};

}  // namespace tarnel
