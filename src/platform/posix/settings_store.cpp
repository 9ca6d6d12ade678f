// The settings store as one text file, replaced whole on every change.
//
// A writer holds an exclusive advisory lock on "<file>.lock" while it reads
// the current file, applies its change and renames a fully written and
// synced temporary file over it, so two processes never lose each other's
// writes and a crash leaves either the old or the new file, never half of
// one. Readers need no lock: rename replaces the file atomically.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>

#include "platform/posix/reg_file.h"
#include "platform/posix/settings_file.h"

namespace kvx::platform {

namespace {

std::mutex g_overrideLock;  // guards g_override
std::string g_override;

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

posix::RegDocument LoadDocument() { return posix::RegDocument::Parse(ReadWholeFile(posix::SettingsFile())); }

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

// Applies `change` to the current document under the writers' lock and
// stores the result. `change` returns false to store nothing.
bool Modify(const std::function<bool(posix::RegDocument&)>& change) {
    const std::string file = posix::SettingsFile();
    const size_t slash = file.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : file.substr(0, slash);
    if (!MakeDirectories(dir)) return false;

    int lock = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return false;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return false;
        }
    }

    bool ok = false;
    posix::RegDocument doc = LoadDocument();
    if (change(doc)) {
        const std::string temp = file + ".tmp." + std::to_string(::getpid());
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ok = WriteAll(fd, doc.Serialize()) && ::fsync(fd) == 0;
            ok = (::close(fd) == 0) && ok;
            ok = ok && ::rename(temp.c_str(), file.c_str()) == 0;
            if (!ok) ::unlink(temp.c_str());
            if (ok) {
                // Make the rename itself durable.
                int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (d >= 0) {
                    ::fsync(d);
                    ::close(d);
                }
            }
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

std::unique_ptr<SettingsKey> SettingsKey::Open(const std::string& path, Access access) {
    const std::string normal = posix::RegDocument::NormalizePath(path);
    if (normal.empty()) return nullptr;
    bool ok = access == Access::Read
                  ? LoadDocument().HasKey(normal)
                  : (LoadDocument().HasKey(normal) ||
                     Modify([&](posix::RegDocument& doc) { return doc.CreateKey(normal); }));
    if (!ok) return nullptr;
    return std::unique_ptr<SettingsKey>(new SettingsKey(normal));
}

std::unique_ptr<SettingsKey> SettingsKey::OpenSubKey(const std::string& path, Access access) const {
    return Open(Join(path_, path), access);
}

bool SettingsKey::DeleteTree(const std::string& path) {
    const std::string normal = posix::RegDocument::NormalizePath(path);
    if (!LoadDocument().HasKey(normal)) return true;
    return Modify([&](posix::RegDocument& doc) { return doc.DeleteTree(normal); });
}

SettingsKey::~SettingsKey() = default;

bool SettingsKey::ReadDword(const std::string& name, uint32_t* value) const {
    posix::RegDocument doc = LoadDocument();
    const posix::RegValue* v = doc.Find(path_, name);
    if (!v || v->type != posix::RegValue::Type::Dword) return false;
    *value = v->dword;
    return true;
}

bool SettingsKey::WriteDword(const std::string& name, uint32_t value) {
    posix::RegValue v;
    v.name = name;
    v.type = posix::RegValue::Type::Dword;
    v.dword = value;
    // The key may have been deleted by another process since it was opened;
    // like the registry, writing to a deleted key fails.
    return Modify([&](posix::RegDocument& doc) { return doc.Set(path_, v); });
}

bool SettingsKey::WriteString(const std::string& name, const std::string& value) {
    posix::RegValue v;
    v.name = name;
    v.type = posix::RegValue::Type::String;
    v.text = value;
    return Modify([&](posix::RegDocument& doc) { return doc.Set(path_, v); });
}

}  // namespace kvx::platform
