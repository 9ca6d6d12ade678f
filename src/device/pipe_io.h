// Handles to the driver and single control requests on its pipes.
#pragma once

#include <cstdint>

#include "platform/device_io.h"

namespace kvx {

using DeviceHandle = platform::DeviceHandle;

// Opens a device path for writing, shared with other writers. Null on failure.
DeviceHandle OpenDevice(const char* path);
// Closes a non-null handle and nulls it.
void CloseDevice(DeviceHandle* handle);

// One synchronous request naming `pipe`, with `buffer` as the data buffer of
// `size` bytes. 0 when the driver completed it, -1 when not, -2 (no request)
// for a null buffer, -3 for a null handle. *bytesReturned gets the count the
// driver reported, also on failure.
int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer, uint32_t* bytesReturned,
                 uint32_t code);

// PipeTransfer with the read or the send code: 0 on success, 10 for a null
// handle, 12 when the request failed or moved another number of bytes.
int PipeRead(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer);
int PipeSend(DeviceHandle handle, uint32_t pipe, uint32_t size, void* buffer);

}  // namespace kvx
