// What the device class's buffer, transfer and frame calls return. These
// are the device's own numbers, not the public error codes: 7 here means
// no buffer, where the public 7 means something else, so they are never
// passed to the application as they stand.
#pragma once

namespace kvx {

enum DeviceResult : int {
    kDeviceOk = 0,
    kDeviceNoBuffer = 7,          // the buffers are not set up, or could not be
    kDeviceNoChannel = 10,        // the device could not be opened
    kDeviceNullDestination = 14,  // no memory to copy the frame into
    kDeviceTransferFailed = 19,   // a frame came short or the read failed
    kDeviceTransferRunning = 21,  // a start while the transfer runs
};

// What WaitFrame reports.
enum WaitFrameResult : int {
    kWaitStopped = 0,     // the transfer is stopped
    kWaitFailed = 1,      // the transfer failed, or no frame came in time
    kWaitWoken = 2,       // a frame arrived meanwhile: wait again to take it
    kWaitFrameTaken = 3,  // the newest frame is the reader's; ReadFrame copies it
};

}  // namespace kvx
