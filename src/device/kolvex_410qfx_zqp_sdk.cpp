#include "device/kolvex_410qfx_zqp_sdk.h"

#include <cstring>

#include "device/driver_protocol.h"
#include "device/sensor_init_table.h"
#include "platform/clock.h"

namespace kvx {

namespace {

constexpr int RoundUp4(int v) { return (v + 3) & ~3; }

// Sensor registers
constexpr int kUpdateHold = 0x0208;
constexpr int kTriggerModeReg = 0x020B;
constexpr int kReadoutMode = 0x020D;
constexpr int kMirror = 0x020E;
constexpr int kFrameLength = 0x0210;
constexpr int kLineLength = 0x0214;
constexpr int kShutterOffset = 0x028D;
constexpr int kGainLow = 0x0404, kGainHigh = 0x0405;
constexpr int kWindowEnable = 0x0500;
constexpr int kWindowX = 0x0510, kWindowY = 0x0512, kWindowWidth = 0x0514, kWindowHeight = 0x0516;
// Logic registers
constexpr int kLogicTransferSize = 0x00;
constexpr int kLogicTrigger = 0x0B;
constexpr int kLogicDepth = 0x0E;
constexpr int kLogicTimer = 0x14;
// Control-port registers
constexpr int kControlPower = 0x20;
constexpr int kControlUpdate = 0x60;

constexpr int kSubsampledPitch = 1032;
constexpr int kSubsampledLastLine = 776;
constexpr int kSubsampledLineLength = 1692;
constexpr uint32_t kRomIdBase = 0x1800;

}  // namespace

CKolvex410QFXZQPSdk::CKolvex410QFXZQPSdk() : CKolvex410QFXZQPSdk(NoSelection{}) { SelectDevice(0); }

CKolvex410QFXZQPSdk::CKolvex410QFXZQPSdk(NoSelection) {
    std::strcpy(driverName_, "Kvex410qfxZQP");
    ProbeDevices();
    SelectDevicePath(0);
}

// Another camera has its own sensor and logic: neither the table nor the
// transfer size written to the last one says anything about it.
void CKolvex410QFXZQPSdk::ForgetProgramming() {
    initNeeded_ = 1;
    lastLogicTransferSize_ = -1;
}

CKolvex410QFXZQPSdk::Programming CKolvex410QFXZQPSdk::ProgramIfNeeded() {
    if (programLost_.exchange(0)) ForgetProgramming();
    if (!initNeeded_) return Programming::NotNeeded;
    SelectDevice(deviceNumber_);
    return initNeeded_ ? Programming::Failed : Programming::Done;
}

int CKolvex410QFXZQPSdk::SelectDevice(int n) {
    if (n != deviceNumber_) ForgetProgramming();
    sixteenBit_ = 0;
    subsample_ = 0;
    variant_ = 0;
    triggerMode_ = 0;
    triggerWait_ = 3000;
    lastElapsedMs_ = 0;
    CloseSingleFrame();
    if (SelectDevicePath(n) != 0) return 22;
    SetSixteenBit(0);
    driver::CommandBlock select(driver::kSelect);
    SendCommand(select.bytes);
    InitSensor();
    SetFrameGeometry(0, 0, kSensorWidth, kSensorHeight, 0);
    SetMirrorH(0);
    SetMirrorV(0);
    SetTriggerMode(0);
    return 0;
}

int CKolvex410QFXZQPSdk::InitSensor() {
    if (programLost_.exchange(0)) ForgetProgramming();
    if (!initNeeded_) return 1;
    // A power-up restarts the logic's view of the sensor too: the transfer
    // size must be written again after it.
    lastLogicTransferSize_ = -1;
    bool complete = WriteControlRegister(kControlPower, 1) == 1;
    Settle(300);
    for (size_t i = 0; i < kSensorInitCount; ++i) {
        if (i == kSensorInitPauseAfter) platform::SleepMs(kSensorInitPauseMs);
        complete = WriteSensorRegister(kSensorInitTable[i].address, kSensorInitTable[i].value) == 1 && complete;
    }
    // A camera that missed part of the table (absent, or a write failed)
    // still needs all of it before its first frame.
    if (complete) initNeeded_ = 0;
    return 1;
}

// The sensor takes a group of changes at once: it ignores new values while
// the hold is set and applies them together when the hold is released.
void CKolvex410QFXZQPSdk::BeginUpdateHold() { WriteSensor(kUpdateHold, 1); }

void CKolvex410QFXZQPSdk::EndUpdateHold() {
    WriteControlRegister(kControlUpdate, 0);
    WriteSensor(kUpdateHold, 0);
    WriteControlRegister(kControlUpdate, 1);
}

int CKolvex410QFXZQPSdk::SetFrameGeometry(int x, int y, int width, int height, int subsample) {
    if (x < 0 || y < 0 || width < 4 || height < 3 || x > kSensorWidth - width || y > kSensorHeight - height ||
        (subsample != 0 && subsample != 1))
        return 1;
    subsample_ = subsample;
    windowX_ = x;
    windowY_ = y;
    windowWidth_ = width;
    windowHeight_ = height;

    const int d = subsample ? 2 : 1;
    const int w = width / d, h = height / d;
    const int w4 = RoundUp4(w), h4 = RoundUp4(h), x4 = RoundUp4(x), y4 = RoundUp4(y);
    // The sensor works in blocks of 4 pixels, so its window is w4 x h4; the
    // region handed on is exactly w x h, the size the caller asked for and
    // sized its buffers from. The extra columns and lines stay in the ring.
    int setup;
    if (subsample) {
        //   one 1032-pixel line of the whole array, 2x2 subsampled:
        //   | 4 dark | xs | region (w) ...                   | 4 dark |
        const int xs = x4 / 2, ys = y4 / 2;
        lastLine_ = kSubsampledLastLine;
        BeginUpdateHold();
        WriteSensor(kReadoutMode, 0x11);
        WriteSensor(kWindowEnable, 0x00);
        WriteSensor(kLineLength, kSubsampledLineLength & 0xFF);
        WriteSensor(kLineLength + 1, kSubsampledLineLength >> 8);
        EndUpdateHold();
        lineLength_ = kSubsampledLineLength;
        setup = SetupBuffers(kSubsampledPitch, xs + 4, w, h4 + ys + 4, ys + 4, h, kRingCount);
    } else {
        lastLine_ = ((height + 1) & ~1) - 1;
        // Window starts count from the far edge of the array, past its 8
        // dark columns and lines.
        const int startX = 2056 - x4 - w4, startY = 1544 - y4 - h4;
        const int lineLength = (w4 + 208) * 3 / 2;
        BeginUpdateHold();
        WriteSensor(kReadoutMode, 0x00);
        WriteSensor(kWindowX, startX & 0xFF);
        WriteSensor(kWindowX + 1, (startX >> 8) & 0x1F);
        WriteSensor(kWindowY, startY & 0xFF);
        WriteSensor(kWindowY + 1, (startY >> 8) & 0x0F);
        WriteSensor(kWindowWidth, w4 & 0xFF);
        WriteSensor(kWindowWidth + 1, (w4 >> 8) & 0x1F);
        WriteSensor(kWindowHeight, h4 & 0xFF);
        WriteSensor(kWindowHeight + 1, (h4 >> 8) & 0x0F);
        WriteSensor(kWindowEnable, 0x03);
        WriteSensor(kLineLength, lineLength & 0xFF);
        WriteSensor(kLineLength + 1, (lineLength >> 8) & 0x1F);
        EndUpdateHold();
        lineLength_ = lineLength;
        setup = SetupBuffers(w4, 0, w, h4, 0, h, kRingCount);
    }

    if (transferSize_ != lastLogicTransferSize_) {
        bool written = true;
        for (int i = 0; i < 4; ++i)
            written = WriteLogic(kLogicTransferSize + i,
                                 static_cast<int>((static_cast<uint32_t>(transferSize_) >> (8 * i)) & 0xFF)) &&
                      written;
        Settle(100);
        // Remembered only when the logic has it, so a failed write is repeated.
        lastLogicTransferSize_ = written ? transferSize_ : -1;
    }
    UpdateTransferBytes();
    // Without buffers for the new geometry, nothing may be delivered as if
    // it had them.
    return setup;
}

int CKolvex410QFXZQPSdk::SetExposureLines(int lines) {
    const uint32_t exposure = static_cast<uint16_t>(lines);
    exposureLines_ = static_cast<int32_t>(exposure);
    // The logic's exposure timer, from the line time at the 74.25 MHz clock.
    uint64_t t = static_cast<uint64_t>(static_cast<uint32_t>(lineLength_)) * exposure * 10000u / 74250u;
    if (t > 137) t -= 137;
    t *= 5;
    if (t < 1792) t = 1792;
    if (t > 0xFFFFFFFFull) t = 0xFFFFFFFFull;
    for (int i = 0; i < 4; ++i) WriteLogic(kLogicTimer + i, static_cast<int>((t >> (8 * i)) & 0xFF));

    // A frame is at least as long as the window plus the sensor's blanking;
    // shorter exposures start later within it.
    const uint32_t minimum = static_cast<uint32_t>(lastLine_ + 281);
    uint32_t shutter, frameLength;
    if (exposure < minimum) {
        shutter = minimum - exposure;
        frameLength = minimum;
    } else {
        shutter = 10;
        frameLength = exposure;
    }
    WriteSensor(kShutterOffset, shutter & 0xFF);
    WriteSensor(kShutterOffset + 1, (shutter >> 8) & 0xFF);
    WriteSensor(kShutterOffset + 2, (shutter >> 16) & 0x0F);
    WriteSensor(kFrameLength, frameLength & 0xFF);
    WriteSensor(kFrameLength + 1, (frameLength >> 8) & 0xFF);
    WriteSensor(kFrameLength + 2, (frameLength >> 16) & 0x0F);
    return 1;
}

int CKolvex410QFXZQPSdk::GetExposureLines(uint16_t* lines) const {
    if (lines) *lines = static_cast<uint16_t>(exposureLines_.load());
    return 1;
}

int CKolvex410QFXZQPSdk::SetGain(int gain) {
    if (!WriteSensor(kGainLow, gain & 0xFF)) return 0;
    WriteSensor(kGainHigh, (gain >> 8) & 0x01);
    return 1;
}

int CKolvex410QFXZQPSdk::GetGain() {
    uint8_t low = 0, high = 0;
    ReadSensorRegister(kGainLow, &low);
    ReadSensorRegister(kGainHigh, &high);
    return high << 8 | low;
}

// Register 0x020E has a bit set for each direction that is *not* mirrored.
int CKolvex410QFXZQPSdk::SetMirrorH(int flag) {
    if (!WriteSensor(kMirror, (flag ? 0 : 2) | (mirrorV_ ? 0 : 1))) return -1;
    mirrorH_ = flag;
    return 0;
}

int CKolvex410QFXZQPSdk::SetMirrorV(int flag) {
    if (!WriteSensor(kMirror, (mirrorH_ ? 0 : 2) | (flag ? 0 : 1))) return -1;
    mirrorV_ = flag;
    return 0;
}

int CKolvex410QFXZQPSdk::SetTriggerMode(int on) {
    BeginUpdateHold();
    const bool written = WriteSensor(kTriggerModeReg, on ? 1 : 0);
    EndUpdateHold();
    if (!written) return 0;
    WriteLogic(kLogicTrigger, on ? 0x11 : 0x00);
    triggerMode_ = on;
    return 1;
}

int CKolvex410QFXZQPSdk::SetSixteenBit(int flag) {
    sixteenBit_ = flag;
    // This model always streams through the 16-bit path of the interface;
    // the logic decides whether it packs samples to one byte.
    driver::CommandBlock depth(driver::kDepth);
    depth.bytes[1] = 0x01;
    SendCommand(depth.bytes);
    WriteLogic(kLogicDepth, 0x04 | (flag ? 0x01 : 0x00));
    return 1;
}

int CKolvex410QFXZQPSdk::ReadSensorRegister(int address, uint8_t* value) {
    driver::CommandBlock query(driver::kSensorRead);
    query.bytes[1] = static_cast<uint8_t>(address >> 8);
    query.bytes[2] = static_cast<uint8_t>(address);
    bool ok = QueryCommand(query.bytes, true);
    if (value) *value = query.bytes[0];
    return ok ? 1 : 0;
}

int CKolvex410QFXZQPSdk::WriteSensorRegister(int address, int value) {
    driver::CommandBlock write(driver::kSensorWrite);
    write.bytes[1] = static_cast<uint8_t>(address >> 8);
    write.bytes[2] = static_cast<uint8_t>(address);
    write.bytes[3] = static_cast<uint8_t>(value);
    return SendCommand(write.bytes) ? 1 : 0;
}

int CKolvex410QFXZQPSdk::ReadLogicRegister(int reg, uint8_t* value) {
    driver::CommandBlock query(driver::kLogicRead);
    query.bytes[1] = static_cast<uint8_t>(reg);
    bool ok = QueryCommand(query.bytes, false);
    if (value) *value = query.bytes[0];
    return ok ? 1 : 0;
}

int CKolvex410QFXZQPSdk::WriteLogicRegister(int reg, int value) {
    driver::CommandBlock write(driver::kLogicWrite);
    write.bytes[1] = static_cast<uint8_t>(reg);
    write.bytes[2] = static_cast<uint8_t>(value);
    return SendCommand(write.bytes) ? 1 : 0;
}

int CKolvex410QFXZQPSdk::WriteControlRegister(int reg, int value) {
    driver::CommandBlock write(driver::kControlWrite);
    write.bytes[1] = static_cast<uint8_t>(reg);
    write.bytes[2] = static_cast<uint8_t>(value);
    return SendCommand(write.bytes) ? 1 : 0;
}

int CKolvex410QFXZQPSdk::ReadSromByte(int offset, uint8_t* value) {
    return ReadSromByteAt(static_cast<int>(kRomIdBase) + offset, value);
}

int CKolvex410QFXZQPSdk::ReadSromByteAt(int address, uint8_t* value) {
    // Below the ID area the ROM holds the firmware, which is not ours to read.
    if (address < static_cast<int>(kRomIdBase) || address > 0xFFFF) return 0;
    driver::CommandBlock query(driver::kRomRead);
    query.bytes[1] = driver::kRomBus;
    query.bytes[2] = 0x02;
    query.bytes[3] = 0x01;
    query.bytes[4] = static_cast<uint8_t>(address >> 8);
    query.bytes[5] = static_cast<uint8_t>(address);
    bool ok = QueryCommand(query.bytes, true);
    if (value) *value = query.bytes[0];
    return ok ? 1 : 0;
}

int CKolvex410QFXZQPSdk::WriteSromByte(int offset, int value) {
    // The write command carries one byte of offset into the ID area.
    if (offset < 0 || offset > 0xFF) return 0;
    driver::CommandBlock write(driver::kRomWrite);
    write.bytes[1] = driver::kRomBus;
    write.bytes[2] = 0x03;
    write.bytes[3] = static_cast<uint8_t>(kRomIdBase >> 8);
    write.bytes[4] = static_cast<uint8_t>(offset);
    write.bytes[5] = static_cast<uint8_t>(value);
    // The ROM needs its write cycle before the next command.
    return SendCommand(write.bytes, 10) ? 1 : 0;
}

int CKolvex410QFXZQPSdk::GetClock(uint8_t*) const { return 1; }

int CKolvex410QFXZQPSdk::SetClock(int) { return 1; }

}  // namespace kvx
