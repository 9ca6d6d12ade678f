// Named shared memory on POSIX with the lifetime of a Windows named mapping:
// the block exists while some process has it mapped and disappears with the
// last one, even when that process crashed.
//
// Every attached object holds a shared flock on "<name>.users"; whoever can
// turn that into an exclusive lock is the only user left. Attaching and
// detaching run under an exclusive flock on "<name>.guard", so a block is
// never removed while another process is halfway through mapping it.
//
// The last user removes the block and both companion files. A process that
// was waiting for the guard meanwhile holds a lock on a file that is gone:
// it sees that the path no longer names the file it locked and starts over.
// Companions left by processes that crashed are taken over by the next
// process to attach and removed when it detaches.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvx::platform {

namespace {

std::string LockPath(const std::string& name, const char* suffix) {
    struct stat st;
    const char* dir = ::stat("/dev/shm", &st) == 0 ? "/dev/shm/" : "/tmp/";
    return std::string(dir) + name + suffix;
}

// An exclusive lock on the guard file that the path names now.
int LockGuard(const std::string& path) {
    for (;;) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            ::close(fd);
            return -1;
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return fd;
        ::close(fd);  // removed by the last user while we waited: try the new one
    }
}

// Called with the guard held and no user left: the block and its
// companions go.
void RemoveAll(const std::string& name) {
    ::shm_unlink(("/" + name).c_str());
    ::unlink(LockPath(name, ".users").c_str());
    ::unlink(LockPath(name, ".guard").c_str());
}

void Unlock(int fd) {
    if (fd < 0) return;
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

// A valid shm_open name: one leading slash, none inside.
std::string ShmName(const std::string& name) { return "/" + name; }

bool ValidName(const std::string& name) { return !name.empty() && name.find('/') == std::string::npos; }

}  // namespace

bool SharedMemory::OpenOrCreateImpl(const std::string& name, size_t createSize, bool* created) {
    if (created) *created = false;
    Close();
    if (!ValidName(name)) return false;

    int guard = LockGuard(LockPath(name, ".guard"));
    if (guard < 0) return false;
    int users = ::open(LockPath(name, ".users").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (users < 0) {
        Unlock(guard);
        return false;
    }
    // Nobody attached: whatever block is left belonged to processes that
    // ended without detaching, and goes as it would have with them.
    if (::flock(users, LOCK_EX | LOCK_NB) == 0) ::shm_unlink(ShmName(name).c_str());

    bool made = false;
    int fd = ::shm_open(ShmName(name).c_str(), O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && createSize > 0) {
        fd = ::shm_open(ShmName(name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 && ::ftruncate(fd, static_cast<off_t>(createSize)) != 0) {
            ::close(fd);
            ::shm_unlink(ShmName(name).c_str());
            fd = -1;
        }
        made = fd >= 0;
    }

    bool ok = false;
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size > 0) {
        void* view = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view != MAP_FAILED && ::flock(users, LOCK_SH) == 0) {
            view_ = view;
            size_ = static_cast<size_t>(st.st_size);
            mapping_ = fd;
            lock_ = users;
            name_ = name;
            ok = true;
        } else if (view != MAP_FAILED) {
            ::munmap(view, static_cast<size_t>(st.st_size));
        }
    }
    if (!ok) {
        if (fd >= 0) ::close(fd);
        if (made) ::shm_unlink(ShmName(name).c_str());
        if (::flock(users, LOCK_EX | LOCK_NB) == 0) RemoveAll(name);
        ::close(users);
    }
    Unlock(guard);
    if (ok && created) *created = made;
    return ok;
}

void SharedMemory::Close() {
    if (!view_) return;
    int guard = LockGuard(LockPath(name_, ".guard"));
    ::munmap(view_, size_);
    ::close(static_cast<int>(mapping_));
    if (::flock(static_cast<int>(lock_), LOCK_EX | LOCK_NB) == 0) RemoveAll(name_);
    ::close(static_cast<int>(lock_));
    Unlock(guard);
    view_ = nullptr;
    size_ = 0;
    mapping_ = -1;
    lock_ = -1;
    name_.clear();
}

}  // namespace kvx::platform
