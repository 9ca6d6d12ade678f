// One virtual camera behind its driver: register files, serial ROM, a
// sensor that obeys what was programmed, frame pacing, a trigger input and
// faults on request. The virtual driver (virtual_driver.cpp) feeds it the
// control requests that arrive through the platform's device I/O; tests
// reach the same object through this interface to look inside and to
// inject faults.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/sensor_readout.h"
#include "sim/trigger_line.h"

namespace kvx::sim {

struct CameraOptions {
    // Deliver frames as fast as they are asked for instead of at the pace
    // the sensor timing allows.
    bool fastFrames = false;
    // Serial ROM byte at 0x1EB0 (1 and 2 select the two model variants).
    uint8_t variant = 1;
    // Frame counter of the first frame: close to the wrap so that counter
    // arithmetic that forgets the wrap shows quickly.
    uint32_t firstFrameCounter = 0xFFFFFFF0u;
    // Name of the shared block through which other processes fire the
    // trigger input.
    std::string triggerBlock = kDefaultTriggerBlock;
};

// What the camera saw, in arrival order, when logging is on.
struct LogEntry {
    enum class Kind : uint8_t { Command, ReplyRead, ImageRead, TriggerWait };
    Kind kind;
    uint8_t code;       // command code (Command only)
    uint16_t address;   // register or ROM address the command names
    uint32_t value;     // written value, transfer size, depth flag, trigger wait
    uint32_t control;   // the control code of the request
    bool ok;            // whether the request succeeded
    std::chrono::steady_clock::time_point at;
};

class VirtualCamera {
public:
    VirtualCamera(int deviceNumber, CameraOptions options);
    ~VirtualCamera();
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;

    // --- the driver's side ---
    bool Open();
    void Close();
    bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize, uint32_t* returned);

    // --- looking inside ---
    int deviceNumber() const { return deviceNumber_; }
    uint8_t SensorRegister(uint16_t address) const;
    uint8_t LogicRegister(uint8_t address) const;
    uint8_t ControlRegister(uint8_t address) const;
    uint8_t RomByte(uint16_t address) const;
    void SetRomByte(uint16_t address, uint8_t value);
    uint32_t TransferSize() const;
    uint32_t TriggerWait() const;
    int OpenHandles() const;
    uint64_t FramesDelivered() const;
    uint32_t NextFrameCounter() const;
    // Stream geometry the sensor currently produces.
    Readout CurrentReadout() const;

    // Logging is off until started, so a long-running stream costs nothing.
    void StartLog();
    std::vector<LogEntry> TakeLog();

    // --- configuration and faults ---
    void SetFastFrames(bool fast);
    void ShortenNextRead();                // one image read returns half its bytes
    void ShortenEveryRead(bool on);        // every image read does
    void FailReadsAfterFrames(int frames);  // image reads fail once this many more frames came; -1 never
    void SetStalled(bool stalled);         // image reads wait until released
    void StallAfterFrames(int frames);     // deliver this many more frames, then stall; -1 never
    void FailReplyReads(int count);        // the next `count` reply reads fail; -1 all of them
    void SetUnplugged(bool unplugged);     // opens fail, reads (also waiting ones) fail
    void FireTrigger();

private:
    bool HandleCommand(uint32_t control, uint8_t* block, uint32_t size, uint32_t* returned);
    bool HandleReply(uint32_t control, uint8_t* out, uint32_t size, uint32_t* returned);
    bool HandleImage(uint32_t control, uint8_t* out, uint32_t size, uint32_t* returned);
    bool HandleTriggerWait(const uint8_t* in, uint32_t size);
    bool WaitForFrame(std::unique_lock<std::mutex>& hold);
    bool TriggerPending();
    bool TriggerMode() const { return (logic_[0x0B] & 0x01) != 0; }
    std::chrono::steady_clock::duration FramePeriod() const;
    void Render(uint8_t* out, uint32_t bytes);
    void RenderRow(int row, bool sixteen, uint8_t* out, uint32_t bytes);
    uint16_t Expose(uint16_t sample) const;
    void Changed();
    void Log(LogEntry::Kind kind, uint8_t code, uint16_t address, uint32_t value, uint32_t control, bool ok);

    const int deviceNumber_;
    const CameraOptions options_;
    TriggerLine triggerLine_;

    mutable std::mutex lock_;  // guards everything below
    std::condition_variable wake_;
    std::array<uint8_t, 0x10000> sensor_{};
    std::array<uint8_t, 0x100> logic_{};
    std::array<uint8_t, 0x100> control_{};
    std::vector<uint8_t> rom_;
    std::array<uint8_t, 64> reply_{};
    uint32_t transferSize_ = 0;
    uint32_t triggerWaitMs_ = 3000;
    bool fast_;
    bool armed_ = false;
    int pendingRequests_ = 0;
    int openHandles_ = 0;
    uint32_t frameCounter_;
    uint64_t framesDelivered_ = 0;
    std::chrono::steady_clock::time_point nextFrame_{};

    bool shortenNext_ = false, shortenAll_ = false, stalled_ = false, unplugged_ = false;
    int failAfter_ = -1, stallAfter_ = -1, failReplies_ = 0;
    int localTriggers_ = 0;
    uint32_t sharedTriggersSeen_ = 0;

    bool logging_ = false;
    std::vector<LogEntry> log_;

    // The stream as the sensor last produced it for the current settings;
    // only the rows that change per frame are redrawn for each frame.
    bool cacheValid_ = false;
    Readout readout_;
    std::vector<uint8_t> cache_;
    uint32_t exposeScale_ = 0;
};

}  // namespace kvx::sim
