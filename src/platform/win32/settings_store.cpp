// The settings store is the registry under HKEY_CURRENT_USER.
#include "platform/settings_store.h"

#include <windows.h>

namespace kvx::platform {

namespace {

HKEY OpenNative(HKEY parent, const std::string& path, SettingsKey::Access access) {
    HKEY key = nullptr;
    LONG rc;
    if (access == SettingsKey::Access::Read) {
        rc = RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key);
    } else {
        char noClass[] = "";
        rc = RegCreateKeyExA(parent, path.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr);
    }
    return rc == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

std::unique_ptr<SettingsKey> SettingsKey::Open(const std::string& path, Access access) {
    HKEY key = OpenNative(HKEY_CURRENT_USER, path, access);
    if (!key) return nullptr;
    std::unique_ptr<SettingsKey> out(new SettingsKey(path));
    out->native_ = key;
    return out;
}

std::unique_ptr<SettingsKey> SettingsKey::OpenSubKey(const std::string& path, Access access) const {
    HKEY key = OpenNative(static_cast<HKEY>(native_), path, access);
    if (!key) return nullptr;
    std::unique_ptr<SettingsKey> out(new SettingsKey(path_ + "\\" + path));
    out->native_ = key;
    return out;
}

bool SettingsKey::DeleteTree(const std::string& path) {
    LONG rc = RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// The registry keeps its own limits and reads what it holds.
bool SettingsKey::StoreReadable() { return true; }

SettingsKey::~SettingsKey() {
    if (native_) RegCloseKey(static_cast<HKEY>(native_));
}

bool SettingsKey::ReadDword(const std::string& name, uint32_t* value) const {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(static_cast<HKEY>(native_), name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(&data), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
    *value = data;
    return true;
}

bool SettingsKey::WriteDword(const std::string& name, uint32_t value) {
    DWORD data = value;
    return RegSetValueExA(static_cast<HKEY>(native_), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool SettingsKey::WriteDwords(const std::vector<std::pair<std::string, uint32_t>>& values) {
    for (const auto& named : values)
        if (!WriteDword(named.first, named.second)) return false;
    return true;
}

bool SettingsKey::WriteString(const std::string& name, const std::string& value) {
    return RegSetValueExA(static_cast<HKEY>(native_), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace kvx::platform
