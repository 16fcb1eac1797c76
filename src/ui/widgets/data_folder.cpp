#include "ui/widgets/data_folder.h"

#include <QStandardPaths>

namespace tarnel {

namespace {
QString& folderOverride() {
    static QString path;
    return path;
}
}  // namespace

QString dataFolder() {
    if (!folderOverride().isEmpty()) return folderOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void setDataFolder(const QString& path) { folderOverride() = path; }

}  // namespace tarnel
