// The camera's kernel driver, reached by its device path.
#include <windows.h>

#include "platform/device_io.h"

namespace kvx::platform {

namespace {

DeviceBackend::OpenResult OpenDriver(const char* path, void** native) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return DeviceBackend::OpenResult::Failed;
    *native = handle;
    return DeviceBackend::OpenResult::Opened;
}

bool ControlDriver(void* native, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                   uint32_t* bytesReturned) {
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(static_cast<HANDLE>(native), code, const_cast<void*>(in), inSize, out, outSize,
                              &returned, nullptr);
    *bytesReturned = returned;
    return ok != FALSE;
}

// The requests are synchronous, so another thread cancels them: CancelIoEx
// on the handle ends every request the driver still holds for it.
void CancelDriver(void* native) { CancelIoEx(static_cast<HANDLE>(native), nullptr); }

void CloseDriver(void* native) { CloseHandle(static_cast<HANDLE>(native)); }

const DeviceBackend kDriver{"kernel driver", OpenDriver, ControlDriver, CancelDriver, CloseDriver};

}  // namespace

const DeviceBackend* NativeDeviceBackend() { return &kDriver; }

}  // namespace kvx::platform
