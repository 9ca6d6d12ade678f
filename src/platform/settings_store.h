// The per-user settings store: the registry under HKEY_CURRENT_USER on
// Windows, a file in the user's configuration directory elsewhere.
//
// Keys are named by backslash-separated paths below the user's root and, as
// in the registry, compared without regard to ASCII case. Every write is
// visible to the next read in any process.
//
// Blocking and threads: Every call may block for a short while: on POSIX a
// write waits for another process's write of the store (an exclusive lock on
// a companion file) and for the disk, and a read parses the file again when
// it changed; the registry waits for its own locks. Any thread may call
// them; one SettingsKey object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kvx::platform {

class SettingsKey {
public:
    enum class Access {
        Read,   // every key on the path must already exist
        Write,  // keys missing on the path are created
    };

    // Opens a key below the user's root; null when it cannot be opened.
    static std::unique_ptr<SettingsKey> Open(const std::string& path, Access access);
    // Opens a key below this one; null when it cannot be opened.
    std::unique_ptr<SettingsKey> OpenSubKey(const std::string& path, Access access) const;

    // Removes a key with everything below it. True when it is gone.
    static bool DeleteTree(const std::string& path);

    // False when the store exists but is too large to be a store of this
    // library (a settings file of more than 16 MiB): it then reads as empty
    // and every write to it fails, leaving it as it is.
    static bool StoreReadable();

    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // A 4-byte number. False, leaving *value alone, when the value is
    // missing or stored with another type or size.
    bool ReadDword(const std::string& name, uint32_t* value) const;
    bool WriteDword(const std::string& name, uint32_t value);
    // Several numbers of one key in one change of the store. On POSIX they
    // land together or not at all; the registry writes them one by one
    // and stops at the first failure.
    bool WriteDwords(const std::vector<std::pair<std::string, uint32_t>>& values);
    // Text values exist so that a value of the wrong type can be stored.
    bool WriteString(const std::string& name, const std::string& value);

    const std::string& path() const { return path_; }

private:
    explicit SettingsKey(std::string path) : path_(std::move(path)) {}

    std::string path_;
    void* native_ = nullptr;  // the HKEY on Windows; unused elsewhere
};

}  // namespace kvx::platform
