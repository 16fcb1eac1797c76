#include "ui/widgets/atomic_file.h"

#include <QSaveFile>

namespace tarnel {

QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce) {
    QSaveFile file(path);
    // Never fall back to writing over the target in place (as QSaveFile may
    // in a folder where no new file can be made): then the write fails.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!produce(file) || file.error() != QFileDevice::NoError) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("写入被取消");
        file.cancelWriting();
        return why;
    }
    if (!file.commit()) return file.errorString();
    return QString();
}

QString writeFileAtomically(const QString& path, QByteArrayView bytes) {
    return writeFileAtomically(path, [bytes](QIODevice& device) {
        return device.write(bytes.data(), bytes.size()) == bytes.size();
    });
}

}  // namespace tarnel
