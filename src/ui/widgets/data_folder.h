#pragma once
// The folder where the program keeps files of its own between sessions: the
// remembered past draws and the last conditions. It is the platform's data
// folder for the program unless a test or a replay points it elsewhere.

#include <QString>

namespace tarnel {

// The folder (not necessarily made yet), without a trailing slash.
QString dataFolder();
// Points every later dataFolder() at `path`; an empty path goes back to the
// platform's folder.
void setDataFolder(const QString& path);

}  // namespace tarnel
