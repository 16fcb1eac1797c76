#include "ui/document/window_files.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnel {
namespace {

std::string quoted(const QString& path) { return "\u201C" + path.toStdString() + "\u201D"; }

std::string tooLarge(const QString& path, std::size_t maxBytes) {
    return "文件 " + quoted(path) + " 过大（超过 " + std::to_string(maxBytes >> 20) + " MB），未读取。";
}

std::string notAFile(const QString& path) { return quoted(path) + " 不是普通文件（是管道、设备或套接字），未读取。"; }
std::string folder(const QString& path) { return quoted(path) + " 是一个文件夹，不是文件。"; }
std::string cannotOpen(const QString& path) { return "无法读取文件 " + quoted(path) + "：文件不存在或没有读取权限。"; }
std::string readError(const QString& path) { return "读取文件 " + quoted(path) + " 时出错。"; }

#ifdef _WIN32

// Closes the handle however the reading ends.
struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

#else

// Closes the descriptor however the reading ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

#endif

}  // namespace

#ifdef _WIN32

FileBytes readWindowFile(const QString& path, std::size_t maxBytes) {
    FileBytes out;
    // Opened by its wide name (any characters), sharing it with writers, and
    // then looked at through the handle: a pipe, a console or another device
    // is refused, as is a folder (which opens only with backup semantics).
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const Handle file{CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN,
                                  nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) {
        out.error = cannotOpen(path);
        return out;
    }
    if (GetFileType(file.h) != FILE_TYPE_DISK) {
        out.error = notAFile(path);
        return out;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.h, &info)) {
        out.error = readError(path);
        return out;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        out.error = folder(path);
        return out;
    }
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
        out.error = tooLarge(path, maxBytes);
        return out;
    }
    // The file may still grow while it is read: at most one read more than the limit is read.
    std::string bytes;
    bytes.reserve(std::size_t(size));
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.h, buffer, sizeof buffer, &got, nullptr)) {
            out.error = readError(path);
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

#else

FileBytes readWindowFile(const QString& path, std::size_t maxBytes) {
    FileBytes out;
    const QByteArray name = QFile::encodeName(path);
    // Opened without waiting, then looked at: opening a pipe for reading
    // would otherwise wait for a writer, and looking first leaves a moment
    // in which the name could come to mean another file.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        out.error = errno == EISDIR ? folder(path) : cannotOpen(path);
        return out;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        out.error = readError(path);
        return out;
    }
    if (S_ISDIR(info.st_mode)) {
        out.error = folder(path);
        return out;
    }
    if (!S_ISREG(info.st_mode)) {
        out.error = notAFile(path);
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
            out.error = readError(path);
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

#endif

bool isSchemePath(const QString& path) {
    return path.endsWith(QString::fromUtf8(kSchemeExtension.data(), qsizetype(kSchemeExtension.size())),
                         Qt::CaseInsensitive);
}

}  // namespace tarnel
