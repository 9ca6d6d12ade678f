#include "platform/device_io.h"

#include <new>

namespace kvx::platform {

struct DeviceConnection {
    const DeviceBackend* backend;
    void* native;
};

namespace {

// The virtual camera is asked first: on Windows it serves only the device
// numbers it was configured for, and every other path goes on to the driver.
struct BackendTable {
    const DeviceBackend* entries[2];
};

const BackendTable& Backends() {
    static const BackendTable table{{VirtualDeviceBackend(), NativeDeviceBackend()}};
    return table;
}

}  // namespace

DeviceHandle DeviceOpen(const char* path) {
    if (!path) return nullptr;
    for (const DeviceBackend* backend : Backends().entries) {
        if (!backend) continue;
        void* native = nullptr;
        switch (backend->open(path, &native)) {
            case DeviceBackend::OpenResult::NotServed:
                continue;
            case DeviceBackend::OpenResult::Failed:
                return nullptr;
            case DeviceBackend::OpenResult::Opened: {
                auto* connection = new (std::nothrow) DeviceConnection{backend, native};
                if (!connection) backend->close(native);
                return connection;
            }
        }
    }
    return nullptr;
}

bool DeviceControl(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
                   uint32_t outSize, uint32_t* bytesReturned) {
    uint32_t ignored = 0;
    uint32_t* returned = bytesReturned ? bytesReturned : &ignored;
    *returned = 0;
    if (!device) return false;
    return device->backend->control(device->native, code, in, inSize, out, outSize, returned);
}

void DeviceCancel(DeviceHandle device) {
    if (device && device->backend->cancel) device->backend->cancel(device->native);
}

void DeviceClose(DeviceHandle device) {
    if (!device) return;
    device->backend->close(device->native);
    delete device;
}

}  // namespace kvx::platform
