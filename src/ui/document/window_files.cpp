#include "ui/document/window_files.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {
namespace {

std::string quoted(const QString& path) { return "\u201C" + path.toStdString() + "\u201D"; }

std::string tooLarge(const QString& path, std::size_t maxBytes) {
    return "文件 " + quoted(path) + " 过大（超过 " + std::to_string(maxBytes >> 20) + " MB），未读取。";
}

// Closes the descriptor however the reading ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

FileBytes readWindowFile(const QString& path, std::size_t maxBytes) {
    FileBytes out;
    const QByteArray name = QFile::encodeName(path);
    // Opened without waiting, then looked at: opening a pipe for reading
    // would otherwise wait for a writer, and looking first leaves a moment
    // in which the name could come to mean another file.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        out.error = errno == EISDIR ? quoted(path) + " 是一个文件夹，不是文件。"
                                    : "无法读取文件 " + quoted(path) + "：文件不存在或没有读取权限。";
        return out;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        out.error = "读取文件 " + quoted(path) + " 时出错。";
        return out;
    }
    if (S_ISDIR(info.st_mode)) {
        out.error = quoted(path) + " 是一个文件夹，不是文件。";
        return out;
    }
    if (!S_ISREG(info.st_mode)) {
        out.error = quoted(path) + " 不是普通文件（是管道、设备或套接字），未读取。";
        return out;
    }
    if (std::size_t(info.st_size) > maxBytes) {
        out.error = tooLarge(path, maxBytes);
        return out;
    }
    // The file may still grow while it is read: at most one byte more than the limit is read.
    std::string bytes;
    bytes.reserve(std::size_t(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            out.error = "读取文件 " + quoted(path) + " 时出错。";
            return out;
        }
        if (got == 0) break;
        bytes.append(buffer, std::size_t(got));
        if (bytes.size() > maxBytes) {
            out.error = tooLarge(path, maxBytes);
            return out;
        }
    }
    out.bytes = std::move(bytes);
    return out;
}

bool isSchemePath(const QString& path) {
    return path.endsWith(QString::fromUtf8(kSchemeExtension.data(), qsizetype(kSchemeExtension.size())),
                         Qt::CaseInsensitive);
}

}  // namespace tarnel
