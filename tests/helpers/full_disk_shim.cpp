// A full disk for the tests, loaded with LD_PRELOAD into a writer.
//
// Until the writer calls tarnel_fill_disk(room, syncFails), every write goes
// through. After it, writes to regular files take `room` more bytes in all
// (the last one cut short, as the kernel does) and then fail with ENOSPC;
// with syncFails set, fsync and fdatasync of regular files fail with ENOSPC
// as well (a file system that reports a lost write only at the sync). Other
// descriptors (pipes, terminals) are never touched.

#include <cerrno>
#include <cstddef>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

bool armed = false;
long long room = 0;
bool syncFails = false;

bool isRegular(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// How many of `want` bytes fit; -1 (errno ENOSPC) when none does.
long long fits(int fd, std::size_t want) {
    const auto wanted = static_cast<long long>(want);
    if (!armed || want == 0 || !isRegular(fd)) return wanted;
    if (room <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const long long n = wanted < room ? wanted : room;
    room -= n;
    return n;
}

bool failsSync(int fd) {
    if (armed && syncFails && isRegular(fd)) {
        errno = ENOSPC;
        return true;
    }
    return false;
}

template <typename F>
F following(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void tarnel_fill_disk(long long bytes, int failSync) {
    room = bytes;
    syncFails = failSync != 0;
    armed = true;
}

ssize_t write(int fd, const void* data, std::size_t size) {
    static const auto real = following<ssize_t (*)(int, const void*, std::size_t)>("write");
    const long long n = fits(fd, size);
    if (n < 0) return -1;
    return real(fd, data, static_cast<std::size_t>(n));
}

ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    static const auto real = following<ssize_t (*)(int, const void*, std::size_t, off_t)>("pwrite");
    const long long n = fits(fd, size);
    if (n < 0) return -1;
    return real(fd, data, static_cast<std::size_t>(n), offset);
}

ssize_t pwrite64(int fd, const void* data, std::size_t size, off_t offset) { return pwrite(fd, data, size, offset); }

ssize_t writev(int fd, const struct iovec* parts, int count) {
    static const auto real = following<ssize_t (*)(int, const struct iovec*, int)>("writev");
    if (!armed || !isRegular(fd)) return real(fd, parts, count);
    // One part at a time keeps the count simple; a short write is allowed.
    ssize_t done = 0;
    for (int i = 0; i < count; ++i) {
        const ssize_t n = write(fd, parts[i].iov_base, parts[i].iov_len);
        if (n < 0) return done > 0 ? done : -1;
        done += n;
        if (static_cast<std::size_t>(n) < parts[i].iov_len) break;
    }
    return done;
}

int fsync(int fd) {
    static const auto real = following<int (*)(int)>("fsync");
    return failsSync(fd) ? -1 : real(fd);
}

int fdatasync(int fd) {
    static const auto real = following<int (*)(int)>("fdatasync");
    return failsSync(fd) ? -1 : real(fd);
}

}  // extern "C"
