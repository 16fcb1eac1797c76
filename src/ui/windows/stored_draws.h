#pragma once
// The kept draws (draws.sqlite) as the windows take them: the text the
// 开奖号码 box shows for a lottery, a history text merged into them with the
// player asked about a conflict, the program's start (a history.txt of an
// earlier version imported once, then the draws the document starts from),
// and the check for new draws at start.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/files/draw_sources.h"

namespace tarnel {

class ConditionsDocument;
class DrawStore;

// The kept draws as the 开奖号码 box shows them: oldest first, one a line,
// "ISSUE DATE D D D" ("-" for a date not known), then the draws without an
// issue given in this run. Read as a history, it gives the same draws in
// the same order.
QString storedDrawsText(const std::vector<StoredDraw>& draws, const QString& drawsOfThisRun = {});

// The draws of a history text without an issue, one a line, as their digits.
QString drawsWithoutIssueText(const QString& historyText);

// What merging a history text's draws into the kept draws did.
struct DrawsMerged {
    bool written = false;    // the merge went in (maybe adding nothing)
    long long added = 0;
    long long withoutIssue = 0;
    QString line;            // what it did or why not, in one sentence
    QString question;        // a conflict put to the player, when it was (see mergeDraws)
};

// Merges the draws into the lottery's kept draws as an import merges them.
// A conflict is put to `ask` once, naming the issue and both numbers: yes
// keeps the kept number of every issue that disagrees and merges the rest,
// no merges nothing. Without `ask` the kept numbers are kept unasked.
using ConflictQuestion = std::function<bool(const QString& question)>;
DrawsMerged mergeDraws(DrawStore& store, Lottery lottery, std::vector<StoredDraw> draws, const ConflictQuestion& ask);
DrawsMerged mergeHistoryText(DrawStore& store, Lottery lottery, const QString& text, const ConflictQuestion& ask);

// Whether the 开奖号码 box shows the kept draws (rather than a text the
// player pasted, opened or typed, kept in history.txt). Remembered in the
// setting "draws/boxShowsStore"; before it was ever set, the box shows the
// kept draws unless a history.txt holds something.
bool boxShowsStore();
void setBoxShowsStore(bool shows);

// As the program starts: a history.txt of an earlier version is imported
// into the lottery its issues fit (once for the store; the file is left as
// it is), and the document takes the draws the 开奖号码 box will show: the
// kept draws of the chosen lottery, or the text the player left in it.
// Returns a line for the status bar, empty when there is nothing to say.
QString startDraws(ConditionsDocument& document);

// When the setting "draws/checkAtStart" is on, asks the chosen lottery's
// source for new draws without holding up the window; `say` gets the answer
// in one line, and the document hears of the draws added.
void checkDrawsAtStart(ConditionsDocument& document, std::function<void(const QString&)> say);

}  // namespace tarnel
