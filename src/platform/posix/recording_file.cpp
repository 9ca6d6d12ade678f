#include "platform/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvx::platform {

RecordingFile::OpenResult RecordingFile::Open(const char* path) {
    Close();
    createdPath_.clear();
    if (path == nullptr || *path == '\0') return OpenResult::CannotOpen;
    struct stat named;
    if (::stat(path, &named) == 0 && !S_ISREG(named.st_mode)) return OpenResult::NotAFile;
    // Without O_NONBLOCK, a FIFO that took the name since the test would
    // hold the open until a reader came; with it, the open fails at once
    // or the type test below refuses it.
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    bool created = false;
    int fd = ::open(path, kFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path, kFlags | O_CREAT | O_EXCL, 0666);
        created = fd >= 0;
    }
    if (fd < 0) return OpenResult::CannotOpen;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return OpenResult::NotAFile;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    if (created) createdPath_ = path;
    return created ? OpenResult::Created : OpenResult::Opened;
}

bool RecordingFile::Truncate(uint64_t size) {
    if (!isOpen()) return false;
    int rc;
    do {
        rc = ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size));
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool RecordingFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (!isOpen()) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(static_cast<int>(handle_), bytes, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        // 0 would repeat for ever; the system wrote nothing and said no more.
        if (n <= 0) return false;
        bytes += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool RecordingFile::Close() {
    if (!isOpen()) return true;
    const int fd = static_cast<int>(handle_);
    handle_ = kNoHandle;
    return ::close(fd) == 0;
}

}  // namespace kvx::platform
