// The camera driver's protocol as the SDK speaks it: control codes, pipes,
// command codes and the 64-byte command block.
#pragma once

#include <cstdint>

namespace kvx::driver {

// CTL_CODE(0x22, function, method, FILE_ANY_ACCESS)
constexpr uint32_t kReadCode = 0x22204E;       // function 0x813, METHOD_OUT_DIRECT
constexpr uint32_t kSendCode = 0x222051;       // function 0x814, METHOD_IN_DIRECT
constexpr uint32_t kLargeSendCode = 0x2220A9;  // function 0x82A, METHOD_IN_DIRECT
constexpr uint32_t kTriggerWaitCode = 0x2220A0;  // function 0x828, METHOD_BUFFERED

constexpr uint32_t kCommandPipe = 0;
constexpr uint32_t kReplyPipe = 1;
constexpr uint32_t kImagePipe = 2;

constexpr uint32_t kBlockSize = 64;
constexpr uint32_t kTriggerWaitBlockSize = 44;

// Frames of this many bytes or more must be read with the large send code.
constexpr int32_t kLargeTransferBytes = 3072000;

enum Command : uint8_t {
    kArm = 0x01,
    kRequestFrame = 0x02,
    kSensorWrite = 0x04,
    kSelect = 0x06,
    kTransferSize = 0x09,
    kDepth = 0x0A,
    kSensorRead = 0x0C,
    kControlWrite = 0x0E,
    kLogicWrite = 0x25,
    kLogicRead = 0x26,
    kRomWrite = 0x40,
    kRomRead = 0x41,
};

constexpr uint8_t kRomBus = 0x51;

struct CommandBlock {
    uint8_t bytes[kBlockSize] = {};
    explicit CommandBlock(uint8_t code) { bytes[0] = code; }
};

}  // namespace kvx::driver
