#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvx::platform {

namespace {

FileRead Closing(int fd, FileRead why) { return ::close(fd), why; }

}  // namespace

FileRead ReadNamedRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data) {
    struct stat named;
    if (::stat(path, &named) != 0) return FileRead::CannotOpen;
    if (!S_ISREG(named.st_mode)) return FileRead::NotAFile;
    // Opening a FIFO for reading waits for a writer; without blocking it
    // cannot, should the name have been replaced by one since the test.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return FileRead::CannotOpen;
    struct stat opened;
    if (::fstat(fd, &opened) != 0) return Closing(fd, FileRead::Failed);
    if (!S_ISREG(opened.st_mode) || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return Closing(fd, FileRead::NotAFile);
    if (opened.st_size < 0 || static_cast<uint64_t>(opened.st_size) > maxBytes)
        return Closing(fd, FileRead::TooLarge);

    data->reserve(static_cast<size_t>(opened.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Closing(fd, FileRead::Failed);
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        if (static_cast<size_t>(n) > maxBytes - data->size()) return Closing(fd, FileRead::TooLarge);
        data->insert(data->end(), buffer, buffer + n);
    }
    ::close(fd);
    return FileRead::Ok;
}

}  // namespace kvx::platform
