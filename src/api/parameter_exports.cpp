// The output format and the camera's parameters: the generic filter-value
// pair, exposure in microseconds, mirrors and the automatic exposure mode.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_SetColorMode(int handle, int bitsPerPixel) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetColorMode(bitsPerPixel); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetColorMode(int handle) {
    return kvx::CallCamera(handle, -1, [](CKolvex& c) { return c.GetColorMode(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetSubSample(int handle, int half) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetSubSample(half); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetSubSample(int handle) {
    return kvx::CallCamera(handle, -1, [](CKolvex& c) { return c.GetSubSample(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetFilterValue(int handle, int parameter, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetFilterValue(parameter, ok); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetFilterValue(int handle, int parameter, int value) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetFilterValue(parameter, value); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetRealExposureTime(int handle, int microseconds) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetRealExposureTime(microseconds); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetRealExposureTime(int handle, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetRealExposureTime(ok); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorH(int handle, int on) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetMirrorH(on); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorH(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.GetMirrorH(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorV(int handle, int on) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetMirrorV(on); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorV(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.GetMirrorV(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetAutoIris(int handle, int mode) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetAutoIris(mode); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetAutoIris(int handle, int* ok) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetAutoIris(ok); });
}

}  // extern "C"
