#pragma once
// How the windows read a file the player names (opened, dropped, picked
// from the recent list, given on the command line, or the remembered
// history): only a regular file is read. A pipe or a device is refused at
// once instead of waiting for a writer that may never come, and a file
// larger than the limit is refused before any of it is read.

#include <QString>
#include <cstddef>

#include "core/files/scheme.h"

namespace tarnel {

// The whole file, or why it was not read (a folder, a pipe or device, a
// missing or unreadable file, one larger than maxBytes).
FileBytes readWindowFile(const QString& path, std::size_t maxBytes);

// Whether a path names a scheme file (*.tarnel, in any case).
bool isSchemePath(const QString& path);
// The file dialogs' choice of scheme files.
inline const QString kSchemeFilter = QStringLiteral("Tarnel 方案 (*.tarnel);;所有文件 (*)");

}  // namespace tarnel
