#pragma once
// The draws kept for each lottery: draws.sqlite in the data folder, one row
// per lottery and issue, written through Qt SQL.
//
// Every write is one transaction that takes the write lock as it begins
// (BEGIN IMMEDIATE) and decides what to add from the rows it finds then:
// a second running copy of the program, an update and an import never lose
// each other's draws, and SQLite's journal leaves the file as before or
// after a whole write whatever moment the writer is killed at. A refused
// write changes nothing; a store that was missing stays missing.

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "core/files/draw_merge.h"

namespace tarnel {

// What a merge did, or why it was refused (then nothing was written).
struct StoreMerge {
    MergePlan plan;
    std::string error;  // non-empty: refused (a conflict is in plan.conflict)
    bool ok() const { return error.empty(); }
};

// What became of an earlier history.txt.
struct EarlierHistory {
    bool imported = false;            // read now (only ever once per store)
    std::optional<Lottery> lottery;   // the lottery its issues fit
    long long added = 0;
    std::string note;                 // a line for the player; empty when there is nothing to say
};

class DrawStore {
public:
    explicit DrawStore(QString path);
    ~DrawStore();
    DrawStore(const DrawStore&) = delete;
    DrawStore& operator=(const DrawStore&) = delete;

    const QString& path() const { return path_; }
    // Why the last call failed (in Chinese); empty after a call that worked.
    const std::string& error() const { return error_; }

    // The lottery's kept draws by ascending issue; nothing (with error())
    // when the file cannot be read. A missing file holds no draws.
    std::optional<std::vector<StoredDraw>> draws(Lottery lottery);

    // Merges as an import does, in one write transaction; the file is made
    // when missing, unless the merge is refused.
    StoreMerge merge(Lottery lottery, const std::vector<StoredDraw>& incoming);

    // Makes the file (with its tables) when missing; false with error().
    bool create();

    // Imports a history.txt of an earlier version into the lottery its issues
    // fit, once for this store (the file itself is left as it is). A missing
    // file is remembered as read, so that only a history from before the
    // store is ever imported.
    EarlierHistory importEarlierHistory(const QString& historyPath);

private:
    enum class Open { Missing, Ready, Failed };
    Open openForReading();
    bool openForWriting();
    bool checkOwnFile();
    bool exec(const QString& sql);
    bool begin();
    void rollback();
    bool commit();
    bool ensureTables();
    bool readDraws(Lottery lottery, std::vector<StoredDraw>& out);
    bool insert(Lottery lottery, const std::vector<StoredDraw>& added);

    QString path_;
    QString connection_;
    bool open_ = false;
    std::string error_;
};

// The store in the given data folder: FOLDER/draws.sqlite.
QString drawStorePath(const QString& dataFolder);

}  // namespace tarnel
