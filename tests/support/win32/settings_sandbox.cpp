#include <windows.h>

#include "settings_sandbox.h"
#include "unique_name.h"

namespace kvx::test {

SettingsSandbox::SettingsSandbox() : location_("Software\\KolvexTests\\" + UniqueName("sandbox")) { Enter(); }

SettingsSandbox::SettingsSandbox(const std::string& sharedLocation) : location_(sharedLocation), owned_(false) {
    Enter();
}

void SettingsSandbox::Enter() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, location_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegOverridePredefKey(HKEY_CURRENT_USER, key);
        RegCloseKey(key);
    }
}

SettingsSandbox::~SettingsSandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (owned_) RegDeleteTreeA(HKEY_CURRENT_USER, location_.c_str());
}

}  // namespace kvx::test
