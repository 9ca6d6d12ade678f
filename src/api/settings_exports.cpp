// Settings files.
#include "api/export_call.h"

using kvx::CKolvex;

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileA(int handle, const char* path) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.LoadConfigFile(path); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileW(int handle, const wchar_t* path) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.LoadConfigFileWide(path); });
}

}  // extern "C"
