// Still images and recording.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_SaveImage(int handle, const char* path, int format) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SaveImage(path, format); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SaveImageW(int handle, const wchar_t* path, int format) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SaveImageWide(path, format); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_Record(int handle, const char* path, int milliseconds, int showWindow) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.Record(path, milliseconds, showWindow); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_RecordW(int handle, const wchar_t* path, int milliseconds, int showWindow) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.RecordWide(path, milliseconds, showWindow); });
}

}  // extern "C"
