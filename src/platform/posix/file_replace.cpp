#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>

namespace kvx::platform {

namespace {

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// Creates `prefix` followed by six characters that no file there has yet.
// O_EXCL makes the name ours alone, whatever stood there a moment before.
int CreateUniqueFile(const std::string& prefix, mode_t mode, std::string& name) {
    static const char kCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        uint64_t bits = random();
        for (int i = 0; i < 6; ++i, bits /= 62) name += kCharacters[bits % 62];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

ReplacementPlan PlanReplacement(const char* path) {
    ReplacementPlan plan;
    if (path == nullptr || *path == '\0') return plan;
    plan.target = path;
    struct stat link;
    if (::lstat(path, &link) != 0) return plan;  // absent (or unreachable: the staging says which)
    plan.exists = true;
    if (S_ISLNK(link.st_mode)) {
        // Replace what the link leads to, beside it, and keep the link.
        char resolved[PATH_MAX];
        if (::realpath(path, resolved) == nullptr) {
            // A dangling link: writing through it creates its target.
            plan.staged = false;
            return plan;
        }
        plan.target = resolved;
    }
    struct stat target;
    if (::stat(plan.target.c_str(), &target) != 0) return plan;
    plan.staged = S_ISREG(target.st_mode) && target.st_nlink == 1;
    return plan;
}

bool CreateTemporaryFileBeside(const char* path, std::string& temporaryPath) {
    temporaryPath.clear();
    if (path == nullptr || *path == '\0') return false;
    // A short name of its own in the same directory (the rename must not
    // cross file systems): a name built from the destination's could pass
    // the system's limit for one name where the destination's does not.
    const std::string directory = DirectoryOf(path);
    // A file that replaces another is private until it takes the other's
    // access. A new one is made with what any new file gets, which the
    // kernel works out from the umask (and a default ACL): the umask cannot
    // be read without setting it, which other threads of the application
    // would see.
    struct stat existing;
    const mode_t mode = ::stat(path, &existing) == 0 ? 0600 : 0666;
    std::string name;
    const int fd = CreateUniqueFile((directory == "/" ? "" : directory) + "/.kvx-save-", mode, name);
    if (fd < 0) return false;
    ::close(fd);
    temporaryPath = name;
    return true;
}

bool ReplaceWithTemporaryFile(const std::string& temporaryPath, const char* path) {
    // A replaced file keeps the access it had. A file that went away since
    // the temporary one was made private stays private.
    struct stat existing;
    if (::stat(path, &existing) == 0) ::chmod(temporaryPath.c_str(), existing.st_mode & 07777);
    if (!SyncPath(temporaryPath, O_RDONLY)) return false;
    if (::rename(temporaryPath.c_str(), path) != 0) return false;
    // Make the rename itself durable; the new file is complete either way.
    SyncPath(DirectoryOf(path), O_RDONLY | O_DIRECTORY);
    return true;
}

void RemoveFileQuietly(const std::string& path) {
    if (!path.empty()) ::unlink(path.c_str());
}

bool SeekStream(std::FILE* stream, int64_t offset, int origin) {
    return stream != nullptr && ::fseeko(stream, static_cast<off_t>(offset), origin) == 0;
}

}  // namespace kvx::platform
