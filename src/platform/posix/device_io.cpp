#include "platform/device_io.h"

namespace kvx::platform {

// No camera driver exists here: the virtual camera is the only transport.
const DeviceBackend* NativeDeviceBackend() { return nullptr; }

}  // namespace kvx::platform
