#pragma once
// A file offered as past draws is looked at before it is read as a history:
// a file that is no text (a picture, an archive) would give draws out of the
// digits its bytes happen to hold, and a scheme file would give "draws" out
// of its check boxes and lists. Every reader of a history file (the windows,
// and tarnel-cli's run, explain, backtest and combine) asks here first, so
// that one file is refused or read alike everywhere.

#include <string>
#include <string_view>

namespace tarnel {

enum class HistoryFileKind {
    Text,    // read as a history
    NotText, // a NUL byte, or control bytes no text holds in such number
    Scheme,  // a scheme file (方案)
};

HistoryFileKind historyFileKind(std::string_view bytes);

}  // namespace tarnel
