// Operations that this camera model does not have. They answer as the
// library family always has, so that applications written for other models
// keep running: a notification and 0, or 0 written through the pointer.
#include "api/export_call.h"

using kvx::CKolvex;

namespace {

int Unsupported(int handle) {
    kvx::CallCamera(handle, 0, [](CKolvex& c) {
        c.PostError(KOLVEX_ERR_UNSUPPORTED);
        return 0;
    });
    return 0;
}

int ZeroValue(int handle, int* value) {
    kvx::CallCamera(handle, 0, [value](CKolvex&) {
        if (value) *value = 0;
        return 0;
    });
    return 0;
}

}  // namespace

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_ReadRegister(int handle, int, int*) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_WriteRegister(int handle, int, int) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_Fps(int handle, int*) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_GetHalfClock(int handle, int*) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_SetHalfClock(int handle, int) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_SetCrossbar(int handle, int) { return Unsupported(handle); }
KOLVEX_API int KOLVEX_CALL Kolvex_SetSamplingRate(int handle, int) { return Unsupported(handle); }

KOLVEX_API int KOLVEX_CALL Kolvex_GetSamplingRate(int handle, int* value) { return ZeroValue(handle, value); }
KOLVEX_API int KOLVEX_CALL Kolvex_GetVideoFormat(int handle, int* value) { return ZeroValue(handle, value); }

KOLVEX_API int KOLVEX_CALL Kolvex_GetConfigFilter(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) {
        c.RecordError(KOLVEX_ERR_UNSUPPORTED);
        return -1;
    });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetConfigFilter(int handle, int) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) {
        c.RecordError(KOLVEX_ERR_UNSUPPORTED);
        return -1;
    });
}

}  // extern "C"
