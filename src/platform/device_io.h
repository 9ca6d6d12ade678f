// Device I/O: opening a driver device by path and exchanging control
// requests with it, the way a Win32 program uses CreateFileA and
// DeviceIoControl.
//
// Several drivers may answer at once, so the service keeps a run-time table
// of backends (the real kernel driver where the system has one, the virtual
// camera everywhere) and asks them in order which one serves a path. The
// callers never learn which backend answered.
#pragma once

#include <cstdint>

namespace kvx::platform {

// An open device; null means "not open".
struct DeviceConnection;
using DeviceHandle = DeviceConnection*;

// Opens the device at `path` for writing, sharing write access with other
// handles (GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING). Null on failure.
// Blocking: no. Thread-safe: yes.
DeviceHandle DeviceOpen(const char* path);

// One synchronous control request, shaped like DeviceIoControl: `in` and
// `out` may be null with a size of 0. Stores the byte count the driver
// reports in *bytesReturned (0 on failure). Returns true when the driver
// completed the request. Blocking: until the driver completes; a frame read
// may wait for the camera. Several threads may use different handles to one
// device at the same time.
bool DeviceControl(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
                   uint32_t outSize, uint32_t* bytesReturned);

// Cancels the requests waiting on `device` in other threads (CancelIoEx on
// the whole handle): each fails at once. A request issued after the call is
// not affected, so a caller that races the request repeats the cancel.
// Blocking: no. Thread-safe: yes, while the handle stays open.
void DeviceCancel(DeviceHandle device);

// Closes a handle from DeviceOpen; null is ignored.
void DeviceClose(DeviceHandle device);

// One entry of the backend table.
struct DeviceBackend {
    enum class OpenResult {
        NotServed,  // this backend does not know the path; ask the next one
        Failed,     // the path is this backend's, but it cannot be opened now
        Opened,
    };
    const char* name;
    OpenResult (*open)(const char* path, void** native);
    bool (*control)(void* native, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                    uint32_t* bytesReturned);
    void (*cancel)(void* native);
    void (*close)(void* native);
};

// The system's own driver backend (CreateFileA/DeviceIoControl on Windows);
// null where the system has none.
const DeviceBackend* NativeDeviceBackend();

// The virtual camera's driver. Implemented on the far side of the seam, in
// src/sim, as a kernel driver would be.
const DeviceBackend* VirtualDeviceBackend();

}  // namespace kvx::platform
