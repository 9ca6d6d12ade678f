// CKVXSdkLib: device numbers, paths and the command exchange.
#include "device/kvx_sdk_lib.h"

#include <cstdio>
#include <cstring>

#include "device/driver_protocol.h"
#include "platform/clock.h"

namespace kvx {

namespace {

// One-character strings in the driver's instance order: after "L" the
// driver names its devices "N" and then "M".
constexpr char kDeviceDigits[36][2] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F", "G", "H",
    "I", "J", "K", "L", "N", "M", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};

constexpr uint32_t kReplyPauseMs = 6;

}  // namespace

CKVXSdkLib::CKVXSdkLib() {
    block_.frameEvent = &frameEvent_;
    block_.endedEvent = &endedEvent_;
}

CKVXSdkLib::~CKVXSdkLib() {
    StopTransfer();
    FreeBuffers();
    CloseSingleFrame();
}

int CKVXSdkLib::CopyRawRegion(void* dst, const void* src) {
    const size_t b = static_cast<size_t>(bytesPerPixel());
    auto* out = static_cast<uint8_t*>(dst);
    const auto* in = static_cast<const uint8_t*>(src);
    if (width_ == pitch_ && height_ == rows_) {
        std::memcpy(out, in, static_cast<size_t>(width_) * static_cast<size_t>(height_) * b);
        return 0;
    }
    //   transferred frame (pitch x rows)      delivered region (width x height)
    //   +-------------------------------+
    //   |        yOffset lines          |      +-----------+
    //   |   xOffset  +-----------+      |  ->  |           |  packed,
    //   |            |  region   |      |      |           |  top line first
    //   |            +-----------+      |      +-----------+
    //   +-------------------------------+
    const size_t line = static_cast<size_t>(width_) * b;
    for (int r = 0; r < height_; ++r) {
        size_t from = (static_cast<size_t>(r + yOffset_) * static_cast<size_t>(pitch_) + static_cast<size_t>(xOffset_)) * b;
        std::memcpy(out + static_cast<size_t>(r) * line, in + from, line);
    }
    return 0;
}

int CKVXSdkLib::SetVariant(int n) {
    variant_ = n <= 2 ? n : 1;
    return 1;
}

int CKVXSdkLib::SetSixteenBit(int flag) {
    sixteenBit_ = flag;
    driver::CommandBlock block(driver::kDepth);
    block.bytes[1] = flag ? 1 : 0;
    SendCommand(block.bytes);
    return 1;
}

void CKVXSdkLib::FormatDevicePath(int n, char* out) const {
    std::snprintf(out, sizeof(DevicePath::text), "\\\\.\\%s-%s", driverName_, kDeviceDigits[n]);
}

CKVXSdkLib::DevicePath CKVXSdkLib::PathOf(int n) const {
    DevicePath path;
    FormatDevicePath(n, path.text);
    return path;
}

// Listing the cameras must not move this object to another one: the
// selected number is what its claims and its programming refer to.
void CKVXSdkLib::ProbeDevices() {
    for (int n = 0; n < kMaxDevices; ++n) ProbeDevice(n);
}

bool CKVXSdkLib::ProbeDevice(int n) {
    if (n < 0 || n >= kMaxDevices) return false;
    DeviceHandle handle = OpenDevice(PathOf(n).text);
    const int32_t present = handle ? 1 : 0;
    CloseDevice(&handle);
    // A camera that came or went since the last look is a new camera to us.
    if (present_[n].exchange(present) != present && n == deviceNumber_.load()) programLost_ = 1;
    return present != 0;
}

int CKVXSdkLib::SelectDevicePath(int n) {
    if (n < 0 || n >= kMaxDevices) return 22;
    deviceNumber_ = n;
    return 0;
}

bool CKVXSdkLib::IsDevicePresent(int n) const { return n >= 0 && n < kMaxDevices && present_[n].load() != 0; }

DeviceHandle CKVXSdkLib::OpenForCommand() const {
    const int n = deviceNumber_.load();
    if (gate_ && !gate_(n)) return nullptr;
    return OpenDevice(PathOf(n).text);
}

void CKVXSdkLib::Settle(uint32_t ms) {
    constexpr uint32_t kLookMs = 5;
    // The clock counts whole milliseconds, so a difference of ms may be up
    // to one short of it: the wait ends at ms + 1 on that clock.
    const uint32_t start = platform::MultimediaTime();
    for (uint32_t waited = 0; waited <= ms; waited = platform::MultimediaTime() - start) {
        if (settleBreaker_ && settleBreaker_()) {
            programLost_ = 1;
            return;
        }
        platform::SleepMs(ms + 1 - waited < kLookMs ? ms + 1 - waited : kLookMs);
    }
}

bool CKVXSdkLib::SendCommand(uint8_t* block, uint32_t waitMs) {
    DeviceHandle handle = OpenForCommand();
    if (!handle) return false;
    bool sent = PipeSend(handle, driver::kCommandPipe, driver::kBlockSize, block) == 0;
    if (waitMs) platform::SleepMs(waitMs);
    CloseDevice(&handle);
    return sent;
}

bool CKVXSdkLib::QueryCommand(uint8_t* block, bool withPauses) {
    DeviceHandle handle = OpenForCommand();
    if (!handle) {
        block[0] = 0;
        return false;
    }
    bool sent = PipeSend(handle, driver::kCommandPipe, driver::kBlockSize, block) == 0;
    if (withPauses) platform::SleepMs(kReplyPauseMs);
    // The first reply read may still carry the previous answer; the second
    // one decides.
    PipeRead(handle, driver::kReplyPipe, driver::kBlockSize, block);
    bool replied = PipeRead(handle, driver::kReplyPipe, driver::kBlockSize, block) == 0;
    if (withPauses) platform::SleepMs(kReplyPauseMs);
    CloseDevice(&handle);
    bool ok = sent && replied;
    if (!ok) block[0] = 0;
    return ok;
}

void CKVXSdkLib::SendTriggerWait(int value) {
    triggerWait_ = value;
    DeviceHandle handle = OpenForCommand();
    if (!handle) return;
    uint8_t block[driver::kTriggerWaitBlockSize] = {};
    const uint32_t one = 1, wait = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        block[i] = static_cast<uint8_t>(one >> (8 * i));
        block[4 + i] = static_cast<uint8_t>(wait >> (8 * i));
    }
    uint32_t returned = 0;
    platform::DeviceControl(handle, driver::kTriggerWaitCode, block, sizeof block, nullptr, 0, &returned);
    CloseDevice(&handle);
}

}  // namespace kvx
