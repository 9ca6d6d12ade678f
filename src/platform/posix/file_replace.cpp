#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

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
    const std::string pattern = (directory == "/" ? "" : directory) + "/.kvx-save-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    temporaryPath = name.data();
    return true;
}

bool ReplaceWithTemporaryFile(const std::string& temporaryPath, const char* path) {
    // mkstemp made the file private to its owner; a replaced file keeps the
    // access it had, a new one gets what any new file would get.
    struct stat existing;
    mode_t mode;
    if (::stat(path, &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(temporaryPath.c_str(), mode);
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
