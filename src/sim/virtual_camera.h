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

#include "sim/register_map.h"
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
    std::string triggerBlock = DefaultTriggerBlock();
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

// The driver's state of one open handle.
struct VirtualHandle {
    int waitingReads = 0;          // image reads of this handle waiting for a frame
    bool cancelRequested = false;  // ends those reads with a failure
};

// The camera as the hardware behaves:
// - sensor writes made while the update hold is set take effect together
//   when it is released; other writes take effect at the start of the next
//   frame, never in the middle of one;
// - after power-up (control 0x20 <- 1) the sensor sleeps until its start-up
//   registers are written; a sleeping or unpowered sensor answers no frame
//   request: the image read fails at once, with no bytes;
// - a frame request is refused when the driver's transfer size (command
//   0x09) and the logic's (logic 0x00-0x03) disagree, or when the logic
//   packs two bytes per pixel over the 8-bit interface (command 0x0A 0);
// - the exposure timer (logic 0x14-0x17) bounds the frame rate;
// - the first reply read after a query returns the previous reply;
// - a read shorter than the frame leaves the rest for the next read;
// - a power-up by any process restarts the sensor for every process.
class VirtualCamera {
public:
    VirtualCamera(int deviceNumber, CameraOptions options);
    ~VirtualCamera();
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;

    // --- the driver's side ---
    bool Open();
    void Close();
    bool Control(VirtualHandle* handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* returned);
    // Ends the image reads waiting on `handle` (CancelIoEx).
    void Cancel(VirtualHandle* handle);

    // --- looking inside ---
    int deviceNumber() const { return deviceNumber_; }
    // The value last written; what a register read returns.
    uint8_t SensorRegister(uint16_t address) const;
    // The value the sensor works with now.
    uint8_t ActiveSensorRegister(uint16_t address) const;
    // Powered and through its start-up writes: frames can be requested.
    bool SensorAwake();
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
    void SetStalled(bool stalled);         // image reads wait until released, cancelled or unplugged
    void StallAfterFrames(int frames);     // deliver this many more frames, then stall; -1 never
    void FailReplyReads(int count);        // the next `count` reply reads fail; -1 all of them
    // The next image read reaches the camera this long after it was issued;
    // until then it is not pending, and a cancel meanwhile misses it.
    void DelayNextRead(int milliseconds);
    // Opens fail, reads (also waiting ones) fail; plugged in again, the
    // camera comes back unpowered, as from a new connection.
    void SetUnplugged(bool unplugged);
    void FailWritesTo(int sensorAddress);  // writes of this sensor register fail; -1 none
    void FailWritesAfter(int writes);      // register writes fail once this many more succeeded; -1 never
    void FireTrigger();

private:
    bool HandleCommand(uint32_t control, uint8_t* block, uint32_t size, uint32_t* returned);
    bool HandleReply(uint32_t control, uint8_t* out, uint32_t size, uint32_t* returned);
    bool HandleImage(VirtualHandle* handle, uint32_t control, uint8_t* out, uint32_t size, uint32_t* returned);
    bool HandleTriggerWait(const uint8_t* in, uint32_t size);
    bool WaitForFrame(VirtualHandle* handle, std::unique_lock<std::mutex>& hold);
    bool WriteAllowed(bool sensorWrite, uint16_t address);
    void WriteSensor(uint16_t address, uint8_t value);
    void ForgetProgramming();
    void PowerUp();
    void NoticeForeignPowerUp();
    void ApplyQueuedWrites();
    bool FrameRequestValid() const;
    void Query(uint8_t value);
    bool TriggerPending();
    bool TriggerMode() const { return (logic_[reg::logic::kTrigger] & 0x01) != 0; }
    std::chrono::steady_clock::duration FramePeriod() const;
    void Render(uint8_t* out, uint32_t bytes);
    void RenderRow(int row, bool sixteen, uint8_t* out, uint32_t bytes);
    uint16_t Expose(uint16_t sample) const;
    void Changed();
    void Log(LogEntry::Kind kind, uint8_t code, uint16_t address, uint32_t value, uint32_t control, bool ok);
    // One field read or set under the lock, for the test-facing calls.
    template <typename T>
    T Locked(const T& field) const {
        std::lock_guard<std::mutex> hold(lock_);
        return field;
    }
    template <typename T, typename V>
    void SetLocked(T& field, V value) {
        std::lock_guard<std::mutex> hold(lock_);
        field = value;
    }

    const int deviceNumber_;
    const CameraOptions options_;
    TriggerLine triggerLine_;

    mutable std::mutex lock_;  // guards everything below
    std::condition_variable wake_;
    std::array<uint8_t, 0x10000> sensor_{};  // as written
    std::array<uint8_t, 0x10000> active_{};  // as the sensor works with them
    std::vector<std::pair<uint16_t, uint8_t>> held_;    // written under the update hold
    std::vector<std::pair<uint16_t, uint8_t>> queued_;  // applied at the next frame
    bool holding_ = false;
    bool powered_ = false;
    uint32_t startupSeen_ = 0;  // bit i: start-up write i arrived since power-up
    uint32_t powerUpsSeen_ = 0;
    uint8_t interfaceDepth_ = 0;  // command 0x0A: 1 for the 16-bit interface
    std::array<uint8_t, 64> previousReply_{};
    int replyReads_ = 0;  // reply reads since the last query
    std::vector<uint8_t> leftover_;
    size_t leftoverAt_ = 0;
    int failWriteAddress_ = -1, failWritesAfter_ = -1;
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
    int failAfter_ = -1, stallAfter_ = -1, failReplies_ = 0, delayNextReadMs_ = 0;
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
