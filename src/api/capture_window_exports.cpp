// Setting the readout window, outright or from a stored size preset.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart,
                                                     int width, int verticalTotal, int verticalStart,
                                                     int height) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) {
        return c.SetCaptureWindowEx(horizontalTotal, horizontalStart, width, verticalTotal, verticalStart, height);
    });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindow(int handle, int width, int height) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetCaptureWindow(width, height); });
}

}  // extern "C"
