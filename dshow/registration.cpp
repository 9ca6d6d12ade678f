// regsvr32's two entry points. Registering lists every camera present as a
// video input device named "<model> (device N)", each with the filter class
// of its device number; unregistering removes every entry of ours, also of
// cameras registered earlier and gone since, and every key it made.
#include <windows.h>
#include <olectl.h>
#include <strmif.h>
#include <uuids.h>

#include <string>
#include <vector>

#include "KolvexSdk.h"
#include "guids.h"
#include "module.h"
#include "registered_devices.h"

namespace kvx::dshow {
namespace {

const wchar_t kPageName[] = L"Kolvex camera settings";

struct Camera {
    int device;
    std::wstring friendlyName;
};

std::wstring ClassKey(REFCLSID clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// HKCR\CLSID\{id} naming the module as an in-process server of either
// threading model.
HRESULT RegisterClass(REFCLSID clsid, const std::wstring& name, const std::wstring& modulePath) {
    HKEY key = nullptr, server = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return SELFREG_E_CLASS;
    bool ok = SetString(key, nullptr, name) &&
              RegCreateKeyExW(key, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server, nullptr) == 0 &&
              SetString(server, nullptr, modulePath) && SetString(server, L"ThreadingModel", L"Both");
    if (server) RegCloseKey(server);
    RegCloseKey(key);
    return ok ? S_OK : SELFREG_E_CLASS;
}

void UnregisterClass(REFCLSID clsid) { RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str()); }

// "Kolvex410QFX-ZQP_01" -> "Kolvex410QFX-ZQP (device 0)": the model name
// without the library's running number, which is not the device number.
std::wstring FriendlyName(const char* libraryName, int device) {
    std::string model = libraryName;
    const size_t cut = model.rfind('_');
    if (cut != std::string::npos) model.resize(cut);
    std::wstring wide(model.begin(), model.end());
    return wide + L" (device " + std::to_wstring(device) + L")";
}

std::vector<Camera> PresentCameras() {
    std::vector<Camera> cameras;
    const int handle = Kolvex_Initialize(nullptr);
    if (!handle) return cameras;
    char names[10][256];
    Kolvex_EnumDevice(handle, names);  // probes every device number afresh
    for (int device = 0; device < kMaxDevices; ++device) {
        char name[32];
        if (Kolvex_GetDeviceName(handle, device, name, sizeof name)) cameras.push_back({device, FriendlyName(name, device)});
    }
    Kolvex_Release(handle);
    return cameras;
}

HRESULT RegisterCamera(IFilterMapper2* mapper, const Camera& camera, const std::wstring& modulePath) {
    const CLSID clsid = FilterClassId(camera.device);
    HRESULT hr = RegisterClass(clsid, camera.friendlyName, modulePath);
    if (FAILED(hr)) return hr;
    const REGPINTYPES types[] = {
        {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
        {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
        {&MEDIATYPE_Video, &kSubtypeY800},
        {&MEDIATYPE_Video, &kSubtypeY16},
    };
    REGFILTERPINS2 pin{};
    pin.dwFlags = REG_PINFLAG_B_OUTPUT;
    pin.cInstances = 1;
    pin.nMediaTypes = sizeof types / sizeof types[0];
    pin.lpMediaType = types;
    pin.clsPinCategory = &PIN_CATEGORY_CAPTURE;
    REGFILTER2 filter{};
    filter.dwVersion = 2;
    // A source is chosen by the user, never by intelligent connection.
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins2 = 1;
    filter.rgPins2 = &pin;
    return mapper->RegisterFilter(clsid, camera.friendlyName.c_str(), nullptr, &CLSID_VideoInputDeviceCategory,
                                  camera.friendlyName.c_str(), &filter);
}

HRESULT Unregister() {
    for (const std::wstring& instance : RegisteredDeviceEntries()) {
        HKEY instances = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kVideoInputInstances, 0, KEY_ALL_ACCESS, &instances) == ERROR_SUCCESS) {
            RegDeleteTreeW(instances, instance.c_str());
            RegCloseKey(instances);
        }
    }
    for (int device = 0; device < kMaxDevices; ++device) UnregisterClass(FilterClassId(device));
    UnregisterClass(kSettingsPageClassId);
    return S_OK;
}

// COM for the length of one entry point, whatever the caller set up.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

IFilterMapper2* CreateMapper() {
    IFilterMapper2* mapper = nullptr;
    CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                     reinterpret_cast<void**>(&mapper));
    return mapper;
}

}  // namespace
}  // namespace kvx::dshow

using namespace kvx::dshow;

HRESULT STDAPICALLTYPE DllRegisterServer() {
    ComScope com;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    IFilterMapper2* mapper = CreateMapper();
    if (!mapper) return REGDB_E_CLASSNOTREG;
    // Entries of cameras registered before and gone since go first.
    Unregister();
    const std::vector<Camera> cameras = PresentCameras();
    HRESULT hr = cameras.empty() ? HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED) : S_OK;
    if (SUCCEEDED(hr)) hr = RegisterClass(kSettingsPageClassId, kPageName, path);
    for (const Camera& camera : cameras)
        if (SUCCEEDED(hr)) hr = RegisterCamera(mapper, camera, path);
    // Nothing half registered stays behind.
    if (FAILED(hr)) Unregister();
    mapper->Release();
    return hr;
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Unregister();
}
