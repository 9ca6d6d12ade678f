// The video input device category's entries in the registry that are this
// filter's: what registration replaces and unregistration removes.
#pragma once

#include <string>
#include <vector>

namespace kvx::dshow {

// Under HKEY_CLASSES_ROOT: one subkey per device entry, named by its
// instance name, holding the filter's class, friendly name and pin data.
extern const wchar_t kVideoInputInstances[];

// The instance names of the entries whose filter class is one of ours.
std::vector<std::wstring> RegisteredDeviceEntries();

}  // namespace kvx::dshow
