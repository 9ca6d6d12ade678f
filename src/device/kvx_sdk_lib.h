// CKVXSdkLib: the device-access base class. It names the driver's devices,
// exchanges command blocks with the camera, and moves frames from the camera
// into a ring of buffers on a transfer thread of its own. The model class
// (CKolvex410QFXZQPSdk) adds what is particular to one sensor.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "device/device_results.h"
#include "device/pipe_io.h"
#include "platform/event.h"

namespace kvx {

// State shared between the object and its transfer thread. The thread gets
// a pointer to this block, never to the object.
//
// Who writes what: the thread writes the write index, frames, elapsed,
// status and the error flag and sets the events; the reader writes the read
// index and the stop flag. The slot choice on both sides (the writer's next
// slot, the reader's newest slot) happens under slotLock, so the writer can
// never pick the slot the reader has taken and the reader only ever takes
// the newest finished slot; the copies themselves run outside it.
struct TransferBlock {
    int32_t transferBytes = 0;
    platform::Event* frameEvent = nullptr;  // auto reset: one per filled slot
    platform::Event* endedEvent = nullptr;  // manual reset: set once at the end
    std::atomic<int32_t> elapsed{0};
    std::atomic<int32_t> frames{0};
    std::atomic<int32_t> status{kDeviceOk};  // or kDeviceNoChannel, kDeviceTransferFailed
    std::atomic<int32_t> stopFlag{1};
    std::atomic<int32_t> errorFlag{0};
    int32_t ringCount = 0;
    uint8_t* const* ring = nullptr;
    std::mutex slotLock;  // guards writeIndex and readIndex updates and the three below
    std::atomic<int32_t> writeIndex{0};
    std::atomic<int32_t> readIndex{0};
    int32_t newest = -1;      // last slot filled
    bool newestUnread = false;  // newest holds a frame the reader has not taken
    int32_t readerSlot = -1;  // slot the reader copies from; never refilled meanwhile
    std::mutex handleLock;    // guards handle: a stop cancels through it
    DeviceHandle handle = nullptr;
    int32_t largeFlag = 0;
    char devicePath[128] = {};  // the selected device's, copied when the run starts
};

class CKVXSdkLib {
public:
    static constexpr int kMaxDevices = 32;
    static constexpr uint32_t kDefaultFrameTimeoutMs = 6000;
    // A stop lets the image read in progress finish this long before it
    // cancels it: a camera that stalls must not hold the stop.
    static constexpr uint32_t kStopGraceMs = 200;
    static constexpr uint32_t kCancelRepeatMs = 20;

    CKVXSdkLib();
    virtual ~CKVXSdkLib();
    CKVXSdkLib(const CKVXSdkLib&) = delete;
    CKVXSdkLib& operator=(const CKVXSdkLib&) = delete;

    // --- what a model class may replace ---
    // Cuts the delivered region out of a transferred frame; returns 0.
    virtual int CopyRawRegion(void* dst, const void* src);
    virtual int SetVariant(int n);
    virtual int SetSixteenBit(int flag);

    // --- device numbers and paths ---
    // The selected number and the presence table may change on one thread
    // (a device switch, a listing) while another sends a command or asks
    // for a name: every command formats its path from one reading of the
    // number, so it never goes out with half of one path and half of another.
    struct DevicePath {
        char text[128];
    };
    // Probes every device number. The selected device stays selected.
    void ProbeDevices();
    // Probes one device number; true when it answers.
    bool ProbeDevice(int n);
    int SelectDevicePath(int n);
    bool IsDevicePresent(int n) const;
    int GetDeviceNumber() const { return deviceNumber_.load(); }
    int GetMaxDevices() const { return kMaxDevices; }
    DevicePath devicePath() const { return PathOf(deviceNumber_.load()); }
    DevicePath PathOf(int n) const;
    // Formats the path of device number n (0..31) into `out` (128 bytes).
    void FormatDevicePath(int n, char* out) const;

    // --- commands ---
    // Asked before every command: false withholds it (the command fails
    // without reaching the device). The owner uses it to keep its hands off
    // a device that another camera object streams from. Set before use.
    void SetCommandGate(std::function<bool(int deviceNumber)> gate) { gate_ = std::move(gate); }
    // Asked while the camera settles (after a power-up, after a new
    // transfer size): true cuts the wait short. What was programmed without
    // its settling time then counts as lost and is programmed again by the
    // next set-up. Set before use.
    void SetSettleBreaker(std::function<bool()> breaker) { settleBreaker_ = std::move(breaker); }
    // Sends a 64-byte block on the command pipe with a handle of its own;
    // waits `waitMs` after sending before it closes the handle.
    bool SendCommand(uint8_t* block, uint32_t waitMs = 0);
    // Sends a query and reads the reply into the same block (value in byte
    // 0, 0 on failure); the sensor and ROM queries pause 6 ms around the
    // reply so the camera has time to fetch the value.
    bool QueryCommand(uint8_t* block, bool withPauses);
    void SendTriggerWait(int value);
    int triggerWait() const { return triggerWait_; }

    // --- frame transfer ---
    int SetupBuffers(int pitch, int xOffset, int width, int rows, int yOffset, int height, int ringCount);
    void FreeBuffers();
    bool SendTransferSize();
    int StartTransfer();
    int StopTransfer();
    WaitFrameResult WaitFrame();
    int ReadFrame(void* dst);
    int ReadSingleFrame();
    int CopySingleFrame(void* dst);
    void CloseSingleFrame();
    // Ends a single-frame read waiting on another thread (a trigger that
    // never comes, a camera that never answers). Repeat until that thread is
    // out: a cancel reaches only a read already issued.
    void CancelSingleFrame();

    // The delivered region and the transfer it comes from.
    int pitch() const { return pitch_; }
    int xOffset() const { return xOffset_; }
    int width() const { return width_; }
    int rows() const { return rows_; }
    int yOffset() const { return yOffset_; }
    int height() const { return height_; }
    int transferSize() const { return transferSize_; }
    int sixteenBit() const { return sixteenBit_; }
    int largeTransfer() const { return largeTransfer_; }
    int bytesPerPixel() const { return sixteenBit_ ? 2 : 1; }
    int ringCount() const { return ringCount_; }
    int lastElapsedMs() const { return lastElapsedMs_; }
    int lastSingleStatus() const { return lastSingleStatus_; }
    int framesTransferred() const { return block_.frames.load(); }
    int writeIndex() const { return block_.writeIndex.load(); }
    int readIndex() const { return block_.readIndex.load(); }
    int variant() const { return variant_; }
    // How long WaitFrame waits for a frame before it gives up.
    void SetFrameTimeoutMs(uint32_t ms) { frameTimeoutMs_ = ms; }
    uint32_t frameTimeoutMs() const { return frameTimeoutMs_; }

protected:
    // Bytes of one frame read at the current depth; also decides whether
    // reads need the large send code.
    int32_t UpdateTransferBytes();

    // A handle on the selected device for one command, or null when the
    // gate withholds it (or the device does not open).
    DeviceHandle OpenForCommand() const;
    // Waits `ms` for the camera to settle, unless the settle breaker cuts
    // the wait short.
    void Settle(uint32_t ms);

    // Driver interface
    char driverName_[32] = {};  // set once, before any other call
    std::atomic<int32_t> present_[kMaxDevices] = {};
    std::atomic<int32_t> deviceNumber_{0};
    int32_t triggerWait_ = 3000;

    // Device state used by the model class
    int32_t sixteenBit_ = 0;
    int32_t subsample_ = 0;
    int32_t windowX_ = 0, windowY_ = 0, windowWidth_ = 0, windowHeight_ = 0;
    int32_t mirrorH_ = 0, mirrorV_ = 0;
    int32_t triggerMode_ = 0;
    int32_t variant_ = 0;
    int32_t lastLine_ = 0;

    // Transfer geometry (pixels)
    int32_t pitch_ = 0, xOffset_ = 0, width_ = 0, rows_ = 0, yOffset_ = 0, height_ = 0;
    int32_t transferSize_ = 0;
    int32_t largeTransfer_ = 0;

    // Buffers: each holds a 16-bit frame, so a depth change needs none new.
    uint8_t* singleBuffer_ = nullptr;
    int32_t ringCount_ = 0;
    uint8_t** ring_ = nullptr;
    int32_t ringBufferSize_ = 0;

    std::function<bool(int)> gate_;
    std::function<bool()> settleBreaker_;
    // Set when the selected camera may have lost what it was programmed
    // with: it went away, came back, or a transfer from it failed.
    std::atomic<int32_t> programLost_{0};

    TransferBlock block_;
    // The events live as long as the object: a reader may still be waiting
    // on the frame event while another thread stops the transfer.
    platform::Event frameEvent_{platform::Event::Reset::Auto};
    platform::Event endedEvent_{platform::Event::Reset::Manual};
    std::thread thread_;
    // Opened and closed by the reading thread; a stopping thread cancels
    // through it, so both take singleLock_ (never held during the read).
    std::mutex singleLock_;
    DeviceHandle singleHandle_ = nullptr;
    int32_t lastSingleStatus_ = kDeviceOk;
    int32_t lastElapsedMs_ = 0;
    uint32_t frameTimeoutMs_ = kDefaultFrameTimeoutMs;
};

}  // namespace kvx
