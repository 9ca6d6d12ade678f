// Listing, naming and selecting cameras; their information and readout window.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_EnumDevice(int handle, char (*names)[256]) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.Enumerate(names); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_EnumDeviceW(int handle, wchar_t (*names)[256]) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.EnumerateWide(names); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceName(int handle, int device, char* name, int size) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetDeviceName(device, name, size); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceNameW(int handle, int device, wchar_t* name, int size) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetDeviceNameWide(device, name, size); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetDeviceNumber(int handle, int device) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SelectDevice(device); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetCameraInfo(int handle, KolvexCameraInfo* info) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetCameraInfo(info); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Width(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.Width(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Height(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.Height(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetCaptureWindowEx(int handle, int* horizontalTotal, int* horizontalStart,
                                                     int* width, int* verticalTotal, int* verticalStart,
                                                     int* height) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) {
        return c.GetCaptureWindow(horizontalTotal, horizontalStart, width, verticalTotal, verticalStart, height);
    });
}

}  // extern "C"
