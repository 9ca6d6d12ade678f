// Creating and releasing cameras, their error history and the version.
#include "api/export_call.h"

using kvx::CKolvex;

namespace {
// The build gives the number with the release it belongs to (CMakeLists.txt).
constexpr int kDllVersion = KOLVEX_VERSION_NUMBER;
}

extern "C" {

KOLVEX_API int KOLVEX_CALL Kolvex_GetDllVersion(void) { return kDllVersion; }

KOLVEX_API int KOLVEX_CALL Kolvex_Initialize(KolvexWindow applicationWindow) {
    std::shared_ptr<CKolvex> camera;
    int handle = kvx::SdkChain().CreateEntry(&camera);
    if (handle == 0) return 0;
    try {
        camera->Initialize(applicationWindow);
    } catch (...) {
        // The handle stays valid with the failure recorded; releasing it
        // frees whatever was made.
        camera->RecordError(KOLVEX_ERR_RESOURCE);
    }
    return handle;
}

KOLVEX_API int KOLVEX_CALL Kolvex_Release(int handle) {
    std::shared_ptr<CKolvex> camera;
    if (!kvx::SdkChain().Take(handle, &camera)) return 0;
    // Nothing may touch the application's buffer once Release returned,
    // whatever another thread is still doing on this camera.
    try {
        camera->Retire();
    } catch (...) {
        // The teardown below stops what is left.
    }
    // Dropping the reference runs the teardown here, unless another thread
    // is still inside a call on this camera: then it runs when that call
    // returns.
    camera.reset();
    return 1;
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetLastError(int handle) {
    return kvx::CallCamera(handle, 0, [](CKolvex& c) { return c.TakeLastError(); });
}

KOLVEX_API int KOLVEX_CALL Kolvex_GetStatus(int handle, int reserved) {
    return kvx::CallCamera(handle, 0, [&](CKolvex& c) { return c.GetStatus(reserved); });
}

}  // extern "C"
