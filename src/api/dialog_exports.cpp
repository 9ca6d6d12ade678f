// The built-in settings dialogs.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_SetCameraDlg(int handle, KolvexWindow parent) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetCameraDlg(parent); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetAnalogDlg(int handle, KolvexWindow parent) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetAnalogDlg(parent); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_SetImageDlg(int handle, KolvexWindow parent) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.SetImageDlg(parent); });
}

}  // extern "C"
