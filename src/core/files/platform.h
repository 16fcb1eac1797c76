#pragma once
// Everything the core and tarnel-cli need from the system, in one place, so
// that they read and write the same bytes on Linux and on Windows:
//  - GB18030 text is decoded by the program's own tables (Windows may lack
//    the code page, and iconv is not everywhere), the same on every system;
//  - file names are UTF-8 in the program and wide on Windows;
//  - command-line arguments arrive as UTF-8 whatever the system's code page;
//  - standard input and output carry bytes untouched (no CR added or taken
//    away on Windows).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// The text as UTF-8. Bytes that do not start a GB18030 character (invalid,
// unassigned, or cut off at the end) each stand as U+FFFD, and reading goes
// on with the next byte.
std::string gb18030ToUtf8(std::string_view bytes);

// A file name written in UTF-8, as the system's file functions take it.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The program's arguments after its name, in UTF-8.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Puts standard input, output and error into binary mode where the system
// has a text mode; call before anything is read or written.
void useBinaryStandardStreams();

}  // namespace tarnel
