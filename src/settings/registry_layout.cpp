#include "settings/registry_layout.h"

#include <cstdio>

#include "platform/settings_store.h"

namespace kvx::settings {

const char kRootKey[] = "Software\\Benmor\\Kolvex410QFXZQPSdk";

std::string CameraKeyPath(int device) {
    char name[32];
    std::snprintf(name, sizeof name, "Camera_%02d", device);
    return std::string(kRootKey) + "\\" + name;
}

std::string SizeKeyName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "Size_%02d", index);
    return name;
}

bool SettingsStoreReadable() { return platform::SettingsKey::StoreReadable(); }

}  // namespace kvx::settings
