#include "registered_devices.h"

#include <windows.h>

#include "guids.h"

namespace kvx::dshow {

const wchar_t kVideoInputInstances[] = L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance";

std::vector<std::wstring> RegisteredDeviceEntries() {
    std::vector<std::wstring> found;
    HKEY instances = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kVideoInputInstances, 0, KEY_READ, &instances) != ERROR_SUCCESS)
        return found;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(instances, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t clsidText[64] = {};
        DWORD bytes = sizeof clsidText - sizeof(wchar_t);
        CLSID clsid;
        int device = 0;
        if (RegGetValueW(instances, name, L"CLSID", RRF_RT_REG_SZ, nullptr, clsidText, &bytes) == ERROR_SUCCESS &&
            SUCCEEDED(CLSIDFromString(clsidText, &clsid)) && DeviceOfClassId(clsid, &device))
            found.push_back(name);
    }
    RegCloseKey(instances);
    return found;
}

}  // namespace kvx::dshow
