#pragma once
// tarnel-cli draws import|export|update: the draws kept per lottery. Built
// only with Qt (the store is SQLite through Qt SQL, the sources are fetched
// with Qt Network); the Qt-free build leaves the command out.

#include <string>

namespace tarnel {

struct DrawsRequest {
    std::string action;   // import, export, update
    std::string db;       // the store's file
    std::string lottery;  // 3d or p3 (checked by the caller)
    std::string input;    // import: the history's bytes
    std::string url;      // update: BASE, empty for the source's own
    int pages = 20;       // update: at most this many pages
};

// What the command prints (one JSON line, or export's lines), or why it
// refuses (then the store is as it was).
struct DrawsAnswer {
    std::string out;
    std::string error;
};

DrawsAnswer runDraws(const DrawsRequest& request);

}  // namespace tarnel
