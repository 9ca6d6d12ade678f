// What the camera's driver and firmware understand: device names, control
// codes, pipes and command codes. This is the driver's side of the contract,
// written down independently of the SDK's own constants so that a test of
// one against the other means something.
#pragma once

#include <cstdint>

namespace kvx::sim {

constexpr char kDriverDeviceName[] = "Kvex410qfxZQP";

// Device digits in the driver's instance order: "N" comes before "M".
constexpr char kInstanceDigits[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";
constexpr int kMaxInstances = 32;

// CTL_CODE(0x22, function, method, FILE_ANY_ACCESS)
constexpr uint32_t ControlCode(uint32_t function, uint32_t method) { return (0x22u << 16) | (function << 2) | method; }
constexpr uint32_t kIoctlPipeRead = ControlCode(0x813, 2);       // METHOD_OUT_DIRECT
constexpr uint32_t kIoctlPipeSend = ControlCode(0x814, 1);       // METHOD_IN_DIRECT
constexpr uint32_t kIoctlPipeSendLarge = ControlCode(0x82A, 1);  // METHOD_IN_DIRECT
constexpr uint32_t kIoctlTriggerWait = ControlCode(0x828, 0);    // METHOD_BUFFERED
static_assert(kIoctlPipeRead == 0x22204E && kIoctlPipeSend == 0x222051);
static_assert(kIoctlPipeSendLarge == 0x2220A9 && kIoctlTriggerWait == 0x2220A0);

// The plain send code maps the buffer page by page; the driver refuses image
// reads this large unless they come with the large-transfer code.
constexpr uint32_t kLargeTransferBytes = 3072000;

enum Pipe : uint32_t { kCommandPipe = 0, kReplyPipe = 1, kImagePipe = 2 };

constexpr uint32_t kBlockSize = 64;
constexpr uint32_t kTriggerWaitBlockSize = 44;

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

constexpr uint8_t kRomBusAddress = 0x51;

// The sensor's pixel clock.
constexpr double kPixelClockHz = 74.25e6;

}  // namespace kvx::sim
