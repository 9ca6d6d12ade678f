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
//
// Some blocks stay attached until the process ends (objects that are never
// destroyed, because threads may use them while the process exits). A
// Windows mapping goes with its last process all the same, so at exit every
// block still attached is detached by name: the last user removes the files,
// while the memory stays mapped for whatever still runs.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

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

// Gives up this process's use of a block: the last user removes it and its
// companions. Called with the guard held; closes the users lock.
void LeaveBlock(const std::string& name, int users) {
    if (::flock(users, LOCK_EX | LOCK_NB) == 0) RemoveAll(name);
    ::close(users);
}

// The blocks this process has attached, for the exit handler. Its lock is
// taken inside a block's guard, never around one.
struct AttachedBlock {
    const std::string* name;
    intptr_t* users;  // the object's users lock; -1 once left at exit
};

struct Attached {
    std::mutex lock;  // guards blocks and the users locks they point to
    std::vector<AttachedBlock> blocks;
    pid_t owner = 0;  // a forked child shares our locks and must not leave our blocks
};

Attached& TheAttached() {
    static Attached* attached = new Attached;  // never destroyed: used while the process exits
    return *attached;
}

void Forget(Attached& a, const intptr_t* users) {
    for (size_t i = 0; i < a.blocks.size(); ++i)
        if (a.blocks[i].users == users) {
            a.blocks[i] = a.blocks.back();
            a.blocks.pop_back();
            return;
        }
}

void LeaveAllAtExit() {
    Attached& a = TheAttached();
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> hold(a.lock);
        if (a.owner != ::getpid()) return;
        for (const AttachedBlock& block : a.blocks) names.push_back(*block.name);
    }
    for (const std::string& name : names) {
        const int guard = LockGuard(LockPath(name, ".guard"));
        {
            std::lock_guard<std::mutex> hold(a.lock);
            for (size_t i = a.blocks.size(); i-- > 0;) {
                const AttachedBlock block = a.blocks[i];
                if (*block.name != name) continue;
                LeaveBlock(name, static_cast<int>(*block.users));
                *block.users = -1;
                Forget(a, block.users);
            }
        }
        Unlock(guard);
    }
}

// Called with the block's guard held.
void Remember(const std::string* name, intptr_t* users) {
    Attached& a = TheAttached();
    std::lock_guard<std::mutex> hold(a.lock);
    if (a.owner == 0) {
        a.owner = ::getpid();
        std::atexit(LeaveAllAtExit);
    }
    try {
        a.blocks.push_back({name, users});
    } catch (const std::bad_alloc&) {
        // This block is left to the next process that attaches it.
    }
}

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
            Remember(&name_, &lock_);
        } else if (view != MAP_FAILED) {
            ::munmap(view, static_cast<size_t>(st.st_size));
        }
    }
    if (!ok) {
        if (fd >= 0) ::close(fd);
        if (made) ::shm_unlink(ShmName(name).c_str());
        LeaveBlock(name, users);
    }
    Unlock(guard);
    if (ok && created) *created = made;
    return ok;
}

void SharedMemory::Close() {
    if (!view_) return;
    Attached& a = TheAttached();
    bool leftAtExit;
    {
        std::lock_guard<std::mutex> hold(a.lock);
        leftAtExit = lock_ < 0;
    }
    // Taking the guard again would make its file anew.
    if (!leftAtExit) {
        const int guard = LockGuard(LockPath(name_, ".guard"));
        {
            std::lock_guard<std::mutex> hold(a.lock);
            Forget(a, &lock_);
            if (lock_ >= 0) LeaveBlock(name_, static_cast<int>(lock_));
        }
        Unlock(guard);
    }
    ::munmap(view_, size_);
    ::close(static_cast<int>(mapping_));
    view_ = nullptr;
    size_ = 0;
    mapping_ = -1;
    lock_ = -1;
    name_.clear();
}

}  // namespace kvx::platform
