#pragma once
// Every file the program writes (schemes, exported results, the remembered
// history) is written whole or not at all: the bytes go to a temporary file
// beside the target, which takes the target's place only once it is
// complete and flushed. A crash, a kill or a full disk midway leaves the old
// file exactly as it was.

#include <QByteArrayView>
#include <QString>
#include <functional>

class QIODevice;

namespace tarnel {

// Writes the file through `produce`, which writes the content into the
// device it is given and returns false to give up (the old file stays).
// Returns an empty string on success, else why the file was not written.
QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce);
QString writeFileAtomically(const QString& path, QByteArrayView bytes);

}  // namespace tarnel
