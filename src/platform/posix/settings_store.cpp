// The settings store as one text file, replaced whole on every change.
//
// A writer holds an exclusive advisory lock on "<file>.lock" while it reads
// the current file, applies its change and renames a fully written and
// synced temporary file over it, so two processes never lose each other's
// writes and a crash leaves either the old or the new file, never half of
// one. Readers need no lock: rename replaces the file atomically.
//
// The store replaces only what is a plain file of its own: through a
// symbolic link the file the link leads to is replaced (the link stays), a
// file with other hard links is rewritten in place so that the links stay
// one file, and a device, FIFO, socket or directory in the store's place is
// never written (nor given a lock file beside it).
//
// A store larger than any this library writes (kMaxStoreBytes) is not read:
// it reads as empty, writes to it are refused so that it stays as it is, and
// StoreReadable reports it.
//
// The file is parsed once and kept in memory. Every read first compares
// the file's identity (device, inode, size, change times) with the one the
// parsed copy came from and parses again only when they differ, so another
// process's write is seen by the next read while a read of an unchanged
// store costs one stat. The file the copy came from stays open: its inode
// number cannot be handed to a new file while it is, so an equal identity
// really is the same file.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>

#include "platform/file_replace.h"
#include "platform/posix/reg_file.h"
#include "platform/posix/settings_file.h"

namespace kvx::platform {

namespace {

// Every camera's keys with a hundred sizes each take well under 1 MiB.
constexpr off_t kMaxStoreBytes = 16 << 20;

std::mutex g_overrideLock;  // guards g_override
std::string g_override;

struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {0, 0};
    struct timespec changed = {0, 0};

    static FileIdentity Of(const struct stat& st) {
        FileIdentity id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.modified = st.st_mtim;
        id.changed = st.st_ctim;
        return id;
    }
    bool operator==(const FileIdentity& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The parsed store of this process. Readers and writers take `lock` for
// the whole of their work on `doc`, so a writer can change it in place; a
// writer takes it before the file lock, never after.
struct StoreCache {
    std::mutex lock;
    std::string file;  // the path the copy belongs to; empty: no copy
    FileIdentity identity;
    int pinned = -1;  // the file the copy came from, kept open
    bool tooLarge = false;  // the file was not read: it is larger than a store may be
    posix::RegDocument doc;

    void Forget() {
        if (pinned >= 0) ::close(pinned);
        pinned = -1;
        file.clear();
        identity = FileIdentity{};
        tooLarge = false;
        doc = posix::RegDocument{};
    }
    void Keep(const std::string& path, int fd, const FileIdentity& id) {
        if (pinned >= 0 && pinned != fd) ::close(pinned);
        pinned = fd;
        file = path;
        identity = id;
    }
};

StoreCache& Cache() {
    // Never destroyed: settings are saved while the process exits.
    static StoreCache* cache = new StoreCache;
    return *cache;
}

enum class ReadResult { Ok, Failed, TooLarge };

ReadResult ReadAll(int fd, std::string* text) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadResult::Failed;
        if (n == 0) return ReadResult::Ok;
        // A file that grows while it is read is held to the same limit.
        if (text->size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxStoreBytes)) return ReadResult::TooLarge;
        text->append(buffer, static_cast<size_t>(n));
    }
}

// Brings cache.doc up to date with `path`; the caller holds cache.lock.
void Refresh(StoreCache& cache, const std::string& path) {
    struct stat st;
    FileIdentity now;
    if (::stat(path.c_str(), &st) == 0) now = FileIdentity::Of(st);
    if (cache.file == path && cache.identity == now) return;

    cache.Forget();
    if (!now.exists) {
        cache.file = path;  // absent: an empty store until the file appears
        return;
    }
    // Non-blocking, so that a FIFO put in the store's place cannot hang the
    // process; only a regular file is read.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;  // unreadable: empty, and tried again next time
    std::string text;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    // The identity is taken before the contents: a file changed in place
    // while it is read then differs from it at the next read.
    const FileIdentity id = FileIdentity::Of(st);
    ReadResult read = st.st_size > kMaxStoreBytes ? ReadResult::TooLarge : ReadResult::Ok;
    if (read == ReadResult::Ok) {
        if (st.st_size > 0) text.reserve(static_cast<size_t>(st.st_size));
        read = ReadAll(fd, &text);
    }
    if (read == ReadResult::Failed) {
        ::close(fd);
        return;
    }
    // Too large: kept as an empty copy, so that the next read does not try
    // again unless the file changes.
    cache.tooLarge = read == ReadResult::TooLarge;
    if (!cache.tooLarge) cache.doc = posix::RegDocument::Parse(text);
    cache.Keep(path, fd, id);
}

// Runs `use` on the current contents of the store.
template <typename Use>
auto Read(Use use) {
    StoreCache& cache = Cache();
    const std::string path = posix::SettingsFile();
    std::lock_guard<std::mutex> hold(cache.lock);
    Refresh(cache, path);
    return use(static_cast<const posix::RegDocument&>(cache.doc));
}

bool MakeDirectories(const std::string& dir) {
    if (dir.empty()) return true;
    struct stat st;
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(dir.substr(0, slash))) return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes `doc` as the new file beside `target` and renames it over it; the
// caller holds the writers' lock. The open descriptor of the new file, or -1
// with the old file in place.
int Replace(const std::string& target, const std::string& dir, const posix::RegDocument& doc) {
    const std::string temp = target + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    bool ok = WriteAll(fd, doc.Serialize()) && ::fsync(fd) == 0;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::close(fd);
        ::unlink(temp.c_str());
        return -1;
    }
    // Make the rename itself durable.
    int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d >= 0) {
        ::fsync(d);
        ::close(d);
    }
    return fd;
}

// Writes `doc` into the file `target` names (a plain file with other hard
// links, or the missing file a dangling link leads to). The open descriptor,
// or -1.
int Rewrite(const std::string& target, const posix::RegDocument& doc) {
    int fd = ::open(target.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) == 0 &&
                    WriteAll(fd, doc.Serialize()) && ::fsync(fd) == 0;
    if (!ok) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where and how the store at `file` is written; false when it may not be.
bool PlanStoreWrite(const std::string& file, ReplacementPlan* plan) {
    *plan = PlanReplacement(file.c_str());
    if (plan->target.empty()) return false;
    if (!plan->exists || plan->staged) return true;
    struct stat st;
    if (::stat(plan->target.c_str(), &st) != 0) return errno == ENOENT;  // a dangling link: its file is made
    return S_ISREG(st.st_mode);  // hard-linked: rewritten in place
}

// Applies `change` to the current document under the writers' lock and
// stores the result. `change` returns false to store nothing, and then
// leaves the document as it was.
bool Modify(const std::function<bool(posix::RegDocument&)>& change) {
    const std::string file = posix::SettingsFile();
    ReplacementPlan plan;
    if (!PlanStoreWrite(file, &plan)) return false;
    const std::string dir = DirectoryOf(plan.target);
    if (!plan.exists && !MakeDirectories(dir)) return false;

    StoreCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    // Beside the file itself, so that every name of it shares one lock.
    int lock = ::open((plan.target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return false;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return false;
        }
    }

    bool ok = false;
    Refresh(cache, file);
    // A store too large to read is never written over with what little this
    // process knows of it.
    if (!cache.tooLarge && change(cache.doc)) {
        const int fd = plan.staged ? Replace(plan.target, dir, cache.doc) : Rewrite(plan.target, cache.doc);
        struct stat st;
        if (fd >= 0 && ::fstat(fd, &st) == 0) {
            // Taken after the rename, which changes the file's change time.
            cache.Keep(file, fd, FileIdentity::Of(st));
            ok = true;
        } else {
            if (fd >= 0) ::close(fd);
            // The copy holds a change the file does not: read the file again.
            cache.Forget();
        }
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return ok;
}

std::string Join(const std::string& parent, const std::string& child) {
    return posix::RegDocument::NormalizePath(parent + "\\" + child);
}

}  // namespace

namespace posix {

std::string SettingsFile() {
    {
        std::lock_guard<std::mutex> hold(g_overrideLock);
        if (!g_override.empty()) return g_override;
    }
    if (const char* file = std::getenv("KOLVEX_SETTINGS_FILE"); file && *file) return file;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    return base + "/kolvex-sdk/settings.reg";
}

void SetSettingsFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(g_overrideLock);
    g_override = path;
}

}  // namespace posix

bool SettingsKey::StoreReadable() {
    StoreCache& cache = Cache();
    const std::string path = posix::SettingsFile();
    std::lock_guard<std::mutex> hold(cache.lock);
    Refresh(cache, path);
    return !cache.tooLarge;
}

std::unique_ptr<SettingsKey> SettingsKey::Open(const std::string& path, Access access) {
    const std::string normal = posix::RegDocument::NormalizePath(path);
    if (normal.empty()) return nullptr;
    const bool exists = Read([&](const posix::RegDocument& doc) { return doc.HasKey(normal); });
    const bool ok = exists || (access == Access::Write &&
                               Modify([&](posix::RegDocument& doc) { return doc.CreateKey(normal); }));
    if (!ok) return nullptr;
    return std::unique_ptr<SettingsKey>(new SettingsKey(normal));
}

std::unique_ptr<SettingsKey> SettingsKey::OpenSubKey(const std::string& path, Access access) const {
    return Open(Join(path_, path), access);
}

bool SettingsKey::DeleteTree(const std::string& path) {
    const std::string normal = posix::RegDocument::NormalizePath(path);
    if (!Read([&](const posix::RegDocument& doc) { return doc.HasKey(normal); })) return true;
    return Modify([&](posix::RegDocument& doc) { return doc.DeleteTree(normal); });
}

SettingsKey::~SettingsKey() = default;

bool SettingsKey::ReadDword(const std::string& name, uint32_t* value) const {
    return Read([&](const posix::RegDocument& doc) {
        const posix::RegValue* v = doc.Find(path_, name);
        if (!v || v->type != posix::RegValue::Type::Dword) return false;
        *value = v->dword;
        return true;
    });
}

bool SettingsKey::WriteDword(const std::string& name, uint32_t value) {
    return WriteDwords({{name, value}});
}

bool SettingsKey::WriteDwords(const std::vector<std::pair<std::string, uint32_t>>& values) {
    // The key may have been deleted by another process since it was opened;
    // like the registry, writing to a deleted key fails.
    return Modify([&](posix::RegDocument& doc) {
        if (!doc.HasKey(path_)) return false;
        posix::RegValue v;
        v.type = posix::RegValue::Type::Dword;
        for (const auto& named : values) {
            v.name = named.first;
            v.dword = named.second;
            doc.Set(path_, v);
        }
        return true;
    });
}

bool SettingsKey::WriteString(const std::string& name, const std::string& value) {
    posix::RegValue v;
    v.name = name;
    v.type = posix::RegValue::Type::String;
    v.text = value;
    return Modify([&](posix::RegDocument& doc) { return doc.Set(path_, v); });
}

}  // namespace kvx::platform
