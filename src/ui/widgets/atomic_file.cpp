#include "ui/widgets/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnel {

namespace {

// Why a write failed, in the player's words, from the system's error number.
[[maybe_unused]] QString reasonOf(int error) {
    switch (error) {
#ifdef ENOSPC
    case ENOSPC: return QStringLiteral("磁盘已满（没有剩余空间）");
#endif
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("超出了磁盘配额");
#endif
#ifdef EROFS
    case EROFS: return QStringLiteral("磁盘或文件夹是只读的");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("没有写入权限");
    case ENOENT: return QStringLiteral("文件夹不存在");
#ifdef EFBIG
    case EFBIG: return QStringLiteral("文件超过了允许的大小");
#endif
    case EIO: return QStringLiteral("写入磁盘时出错（输入输出错误）");
    default: break;
    }
    return QStringLiteral("写入出错（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
}

// The file a write replaces: a link is followed, so that the link stays a
// link and the file it names takes the new content.
QString targetOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty()) return target;
    }
    return info.absoluteFilePath();
}

QString temporaryName(const QString& target) {
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

#ifndef Q_OS_WIN

// Writes straight into a descriptor, every byte or a failure with its
// reason: a short write that the disk cut is a failure too.
class DescriptorWriter final : public QIODevice {
public:
    explicit DescriptorWriter(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    int failure() const { return failure_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failure_ != 0) return -1;
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, std::size_t(std::min<qint64>(size - done, qint64(1) << 30)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                failure_ = n < 0 ? errno : EIO;
                setErrorString(reasonOf(failure_));
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    int fd_;
    int failure_ = 0;
};

// One temporary file beside the target, open for writing. On Linux it has
// no name until it is complete, so a kill leaves nothing behind.
struct Temporary {
    int fd = -1;
    QString name;  // empty while the file has no name
    int error = 0;
};

Temporary openTemporary(const QString& target) {
    Temporary t;
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
#ifdef O_TMPFILE
    // It gets its name through /proc once complete (see nameTemporary).
    if (::access("/proc/self/fd", X_OK) == 0) {
        t.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (t.fd >= 0) return t;
    }
#endif
    // No unnamed files here: a name of its own, made anew (the mode the
    // process's umask allows, as for any new file).
    for (int attempt = 0; attempt < 100; ++attempt) {
        t.name = temporaryName(target);
        t.fd = ::open(QFile::encodeName(t.name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (t.fd >= 0 || errno != EEXIST) break;
    }
    if (t.fd < 0) {
        t.error = errno;
        t.name.clear();
    }
    return t;
}

// The folder's entry for the file is on the disk too once this returns (a
// crash right after a save keeps the new file). File systems that cannot
// sync a folder say so; that is no failure of the write.
void syncFolder(const QString& target) {
    const int fd = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Gives an unnamed temporary file a name beside the target (through
// /proc: a descriptor cannot be linked by itself without privileges).
int nameTemporary(Temporary& t, const QString& target) {
    if (!t.name.isEmpty()) return 0;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(t.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = temporaryName(target);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(), AT_SYMLINK_FOLLOW) == 0) {
            t.name = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

#endif

}  // namespace

QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce) {
    const QString target = targetOf(path);
    if (QFileInfo(target).isDir()) return QStringLiteral("这是一个文件夹");
#ifdef Q_OS_WIN
    // Windows: a named file beside the target, flushed to the disk, then moved over it.
    const QString name = temporaryName(target);
    QString why;
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) return file.errorString();
        const bool produced = produce(file);
        if (file.error() != QFileDevice::NoError)
            why = file.errorString();
        else if (!produced)
            why = QStringLiteral("写入被取消");
        else if (!file.flush())
            why = file.errorString();
        else if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
            why = QStringLiteral("写入磁盘时出错");
        file.close();
        if (why.isEmpty() && file.error() != QFileDevice::NoError) why = file.errorString();
    }
    if (why.isEmpty() &&
        !MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(name).utf16()),
                     reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(target).utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        why = QStringLiteral("无法替换原有文件");
    if (!why.isEmpty()) QFile::remove(name);
    return why;
#else
    Temporary t = openTemporary(target);
    if (t.fd < 0) return reasonOf(t.error);
    // A file written again keeps who may read and write it.
    struct stat old {};
    if (::stat(QFile::encodeName(target).constData(), &old) == 0 && ::fchmod(t.fd, old.st_mode & 07777) != 0) {
        // Left with the mode a new file gets.
    }
    // Written straight through: every write that fails says so at once,
    // instead of at a final flush whose failure nobody would see.
    QString why;
    int error = 0;
    {
        DescriptorWriter device(t.fd);
        const bool produced = produce(device);
        if (device.failure() != 0)
            error = device.failure();
        else if (!produced)
            why = QStringLiteral("写入被取消");
    }
    // On the disk, named, closed (a file system may report a lost write only
    // at the sync or the close), then in the target's place.
    if (why.isEmpty() && error == 0) {
        while (::fsync(t.fd) != 0) {
            if (errno == EINTR) continue;
            if (errno != EINVAL && errno != ENOTSUP) error = errno;  // EINVAL: a file that cannot be synced
            break;
        }
    }
    if (why.isEmpty() && error == 0) error = nameTemporary(t, target);
    if (::close(t.fd) != 0 && why.isEmpty() && error == 0 && errno != EINTR) error = errno;
    if (why.isEmpty() && error == 0 &&
        ::rename(QFile::encodeName(t.name).constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (!why.isEmpty() || error != 0) {
        if (!t.name.isEmpty()) ::unlink(QFile::encodeName(t.name).constData());
        return why.isEmpty() ? reasonOf(error) : why;
    }
    syncFolder(target);
    return QString();
#endif
}

QString writeFileAtomically(const QString& path, QByteArrayView bytes) {
    return writeFileAtomically(path, [bytes](QIODevice& device) {
        return device.write(bytes.data(), bytes.size()) == bytes.size();
    });
}

}  // namespace tarnel
