// The virtual camera's driver entry points, as the platform's device I/O
// table calls them.
#include <new>

#include "platform/device_io.h"
#include "sim/camera_table.h"

namespace kvx::sim {
namespace {

struct OpenCamera {
    std::shared_ptr<VirtualCamera> camera;
    VirtualHandle handle;
};

platform::DeviceBackend::OpenResult OpenVirtual(const char* path, void** native) {
    using Result = platform::DeviceBackend::OpenResult;
    std::shared_ptr<VirtualCamera> camera = CameraForPath(path);
    if (!camera) return Result::NotServed;
    if (!camera->Open()) return Result::Failed;
    auto* open = new (std::nothrow) OpenCamera{camera, {}};
    if (!open) {
        camera->Close();
        return Result::Failed;
    }
    *native = open;
    return Result::Opened;
}

bool ControlVirtual(void* native, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                    uint32_t* bytesReturned) {
    auto* open = static_cast<OpenCamera*>(native);
    return open->camera->Control(&open->handle, code, in, inSize, out, outSize, bytesReturned);
}

void CancelVirtual(void* native) {
    auto* open = static_cast<OpenCamera*>(native);
    open->camera->Cancel(&open->handle);
}

void CloseVirtual(void* native) {
    auto* open = static_cast<OpenCamera*>(native);
    open->camera->Close();
    delete open;
}

const platform::DeviceBackend kVirtualDriver{"virtual camera", OpenVirtual, ControlVirtual, CancelVirtual,
                                             CloseVirtual};

}  // namespace
}  // namespace kvx::sim

namespace kvx::platform {
const DeviceBackend* VirtualDeviceBackend() { return &sim::kVirtualDriver; }
}  // namespace kvx::platform
