#pragma once
// Compact JSON text for the replay output, with keys in the order written.

#include <QString>
#include <QStringList>

namespace replay {

QString jsonString(const QString& s);
QString jsonStringArray(const QStringList& items);

}  // namespace replay
