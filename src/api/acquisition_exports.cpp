// Preview, callback preview, capture, snapshots, trigger and the preview
// window.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_Preview(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.Preview(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_CallBackPreview(int handle, KolvexWindow callbackWindow, void* buffer,
                                                  int bufferSize, int bottomUp) {
    return kvx::CallCamera(handle, 0,
                           [&](CKolvex& c) { return c.CallBackPreview(callbackWindow, buffer, bufferSize, bottomUp); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_StartPreview(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.StartPreview(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_StopPreview(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.StopPreview(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Close(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.Close(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Capture(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.Capture(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SnapShot(int handle, void* buffer, int bufferSize, int bottomUp) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SnapShot(buffer, bufferSize, bottomUp); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetImage(int handle, void* buffer, int bufferSize, int bottomUp) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetImage(buffer, bufferSize, bottomUp); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Trigger(int handle, KolvexWindow callbackWindow, void* buffer, int bufferSize,
                                          int bottomUp) {
    return kvx::CallCamera(handle, 0,
                           [&](CKolvex& c) { return c.Trigger(callbackWindow, buffer, bufferSize, bottomUp); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetPreviewWindow(int handle, KolvexWindow parent, int left, int top, int right,
                                                   int bottom) {
    return kvx::CallCamera(handle, 0,
                           [&](CKolvex& c) { return c.SetPreviewWindow(parent, left, top, right, bottom); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetWaitTime(int handle, int milliseconds) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetWaitTime(milliseconds); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetWaitTime(int handle) {
    return kvx::CallCamera(handle, -1, [](CKolvex& c) { return c.GetWaitTime(); });
}

}  // extern "C"
