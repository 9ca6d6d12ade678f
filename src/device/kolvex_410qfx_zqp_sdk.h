// CKolvex410QFXZQPSdk: the one camera model this SDK drives, a 2048 x 1536
// sensor behind a logic device. Camera settings become register writes here.
#pragma once

#include <atomic>
#include <cstdint>

#include "device/kvx_sdk_lib.h"

namespace kvx {

class CKolvex410QFXZQPSdk : public CKVXSdkLib {
public:
    static constexpr int kSensorWidth = 2048;
    static constexpr int kSensorHeight = 1536;
    static constexpr int kRingCount = 4;

    // Probes the device numbers and selects device 0.
    CKolvex410QFXZQPSdk();
    // Probes the device numbers and names device 0 without sending it
    // anything, so that the owner can set a command gate first.
    struct NoSelection {};
    explicit CKolvex410QFXZQPSdk(NoSelection);
    ~CKolvex410QFXZQPSdk() override = default;

    // Selects device n and programs it: power, initialisation table, full
    // window, mirrors and trigger off. 0, or 22 for a bad number.
    int SelectDevice(int n);
    // Programs the selected device as SelectDevice does when its
    // initialisation is missing: it was withheld or failed, or the camera
    // may have lost it (it went away, came back, or a transfer failed).
    enum class Programming { NotNeeded, Done, Failed };
    Programming ProgramIfNeeded();
    // Writes the initialisation table if needed; returns 1. The table counts
    // as written only when every write of it arrived.
    int InitSensor();
    bool initNeeded() const { return initNeeded_ != 0; }
    int SetFrameGeometry(int x, int y, int width, int height, int subsample);
    int SetExposureLines(int lines);
    int GetExposureLines(uint16_t* lines) const;
    int SetGain(int gain);
    int GetGain();
    int SetMirrorH(int flag);
    int SetMirrorV(int flag);
    int GetMirrorH() const { return mirrorH_; }
    int GetMirrorV() const { return mirrorV_; }
    int SetTriggerMode(int on);
    int GetTriggerMode() const { return triggerMode_; }
    int SetSixteenBit(int flag) override;

    int ReadSensorRegister(int address, uint8_t* value);
    int WriteSensorRegister(int address, int value);
    int ReadLogicRegister(int reg, uint8_t* value);
    int WriteLogicRegister(int reg, int value);
    int WriteControlRegister(int reg, int value);
    // The IO port is logic register 0x07.
    static constexpr int kIoPortRegister = 0x07;

    int ReadSromByte(int offset, uint8_t* value);
    int ReadSromByteAt(int address, uint8_t* value);
    int WriteSromByte(int offset, int value);

    int GetMaxGain() const { return 480; }
    int GetMaxExposureLines() const { return 32767; }
    int GetDefaultExposureLines() const { return 1561; }
    // The sensor clock cannot be changed on this model.
    int GetClock(uint8_t* value) const;
    int SetClock(int value);

    int lineLength() const { return lineLength_; }
    int subsample() const { return subsample_; }
    int lastLine() const { return lastLine_; }

private:
    void ForgetProgramming();
    void BeginUpdateHold();
    void EndUpdateHold();
    bool WriteSensor(int address, int value) { return WriteSensorRegister(address, value) == 1; }
    bool WriteLogic(int reg, int value) { return WriteLogicRegister(reg, value) == 1; }

    int32_t initNeeded_ = 1;
    int32_t lastLogicTransferSize_ = 0;
    // Read by the exposure getter on any thread while a setter, the device
    // switch or automatic exposure writes it.
    std::atomic<int32_t> exposureLines_{1500};
    int32_t lineLength_ = 3384;
};

}  // namespace kvx
