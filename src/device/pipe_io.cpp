#include "device/pipe_io.h"

#include "device/driver_protocol.h"

namespace kvx {

DeviceHandle OpenDevice(const char* path) { return platform::DeviceOpen(path); }

void CloseDevice(DeviceHandle* handle) {
    if (!handle || !*handle) return;
    platform::DeviceClose(*handle);
    *handle = nullptr;
}

int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer, uint32_t* bytesReturned,
                 uint32_t code) {
    if (!buffer) return -2;
    if (!handle) return -3;
    uint32_t returned = 0;
    bool ok = platform::DeviceControl(handle, code, &pipe, sizeof pipe, buffer, size, &returned);
    if (bytesReturned) *bytesReturned = returned;
    return ok ? 0 : -1;
}

namespace {
int PipeExchange(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer, uint32_t code) {
    if (!handle) return 10;
    uint32_t returned = 0;
    if (PipeTransfer(handle, pipe, size, buffer, &returned, code) != 0 || returned != size) return 12;
    return 0;
}
}  // namespace

int PipeRead(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer) {
    return PipeExchange(handle, pipe, size, buffer, driver::kReadCode);
}

int PipeSend(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer) {
    return PipeExchange(handle, pipe, size, buffer, driver::kSendCode);
}

}  // namespace kvx
