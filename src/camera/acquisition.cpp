// Acquisition control: the four ways of working (idle with single
// snapshots, continuous preview, on-demand capture, external trigger), how
// each starts and stops, and what a start prepares.
#include <chrono>
#include <cstdlib>

#include "camera/camera_exposure.h"
#include "camera/frame_copy.h"
#include "camera/kolvex.h"
#include "camera/snapshot_watch.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"
#include "pixels/color_mode.h"
#include "platform/atomic_word.h"
#include "platform/clock.h"
#include "platform/system_info.h"
#include "platform/worker_pool.h"

namespace kvx {

namespace {

using State = AcquisitionState;

constexpr int kTriggerWaitMs = 5000;
constexpr uint32_t kStopPollMs = 20;

int SubsampleDivisor(int mode) {
    switch (mode) {
        case 1: case 17: return 2;
        case 2: case 18: return 4;
        case 3: case 19: return 8;
        default: return 1;
    }
}

}  // namespace

// --- what a start prepares ----------------------------------------------------

// Bitmaps for `mode` at the frame size, in the order the raw data, the
// output and the sharpening copy need them.
bool CKolvex::CreateModeBitmaps(int mode, int width, int height) {
    // The 8-bit modes read into it, the 16-bit gray mode is shown through it.
    if (mode <= kColorMode32) {
        if (!bitmaps_[kBitmap8]->Create(width, height, 8)) return false;
        bitmaps_[kBitmap8]->SetPalette(FrameBitmap::kGrayPalette, nullptr, 0, 256);
    }
    if (IsSixteenBitMode(mode) && !bitmaps_[kBitmap16]->Create(width, height, 16)) return false;
    if (mode != kColorMode16 && !bitmaps_[kBitmap24]->Create(width, height, 24)) return false;
    if (mode == kColorMode32 && !bitmaps_[kBitmap32]->Create(width, height, 32)) return false;
    if (mode == kColorMode48 && !bitmaps_[kBitmap48]->Create(width, height, 48)) return false;
    if (mode == kColorMode64 && !bitmaps_[kBitmap64]->Create(width, height, 64)) return false;
    return bitmaps_[kBitmapOutputCopy]->CreateLike(OutputBitmap(mode)) == 1;
}

// The busy test and the claim are one step: two starts at the same moment,
// in one process or two, never both get the device. The claim is held until
// acquisition stops, and given back at once when the start fails.
int CKolvex::Setup() {
    const int n = device_->GetDeviceNumber();
    // Looked at again, so that a camera plugged in after Initialize is found.
    if (!device_->IsDevicePresent(n)) device_->ProbeDevice(n);
    if (!device_->IsDevicePresent(n) || !ClaimForUse(n)) {
        RecordError(KOLVEX_ERR_DEVICE_NUMBER);
        return 0;
    }
    if (!SetupClaimed()) {
        ReleaseClaim();
        return 0;
    }
    return 1;
}

int CKolvex::SetupClaimed() {
    // A device whose programming was withheld or lost gets it now.
    if (!ProgramClaimedDevice()) {
        RecordError(KOLVEX_ERR_DEVICE_NUMBER);
        return 0;
    }
    if (!CaptureWindowValid()) {
        RecordError(KOLVEX_ERR_GEOMETRY);
        return 0;
    }
    const int divisor = SubsampleDivisor(subSample_);
    const int width = geometry_.width / divisor, height = geometry_.height / divisor;
    const int mode = colorMode_;
    if (!IsColorMode(mode)) {
        RecordError(KOLVEX_ERR_RESOURCE);
        return 0;
    }
    {
        // Get image may be reading the bitmaps on another thread.
        std::lock_guard<std::mutex> hold(frameLock_);
        activeMode_ = mode;
        if (!CreateModeBitmaps(mode, width, height)) {
            RecordError(KOLVEX_ERR_RESOURCE);
            return 0;
        }
    }
    device_->SetSixteenBit(IsSixteenBitMode(mode) ? 1 : 0);

    uint8_t deviceClock = 0;
    device_->GetClock(&deviceClock);
    if (deviceClock != clock_) {
        device_->SetClock(clock_);
        platform::SleepMs(100);
        device_->InitSensor();
    }

    // The device must deliver exactly the frame the raw bitmap was made
    // for: a geometry it refused would leave buffers of another size.
    if (device_->SetFrameGeometry(geometry_.horizontalStart, geometry_.verticalStart, geometry_.width,
                                  geometry_.height, subSample_) != 0 ||
        device_->width() != width || device_->height() != height) {
        RecordError(KOLVEX_ERR_GEOMETRY);
        return 0;
    }
    device_->SetMirrorV(analog_[kMirrorV]);
    device_->SetMirrorH(analog_[kMirrorH]);
    device_->SetTriggerMode(0);
    device_->SetGain(analog_[kGlobalGain] & 0xFFFF);
    device_->SetExposureLines(analog_[kExposureLines] & 0xFFFF);
    UpdateRealExposure();

    int clientWidth = 0, clientHeight = 0;
    std::lock_guard<std::mutex> hold(frameLock_);
    if (PaintableClientSize(preview_, &clientWidth, &clientHeight))
        FitPreviewBitmap(*bitmaps_[kBitmapDisplay], clientWidth, clientHeight, mode);
    return 1;
}

// --- the preview window ---------------------------------------------------------

bool CKolvex::OpenPreviewIfWanted() {
    // A second start while a window is open keeps that window: making
    // another would orphan the first.
    if (preview_.open() || !placement_.WantsWindow()) return true;
    const int divisor = SubsampleDivisor(subSample_);
    PreviewWindowHandles opened;
    if (!OpenPreviewWindow(this, placement_, geometry_.width / divisor, geometry_.height / divisor, &opened)) {
        RecordError(KOLVEX_ERR_WINDOW);
        return false;
    }
    std::lock_guard<std::mutex> hold(frameLock_);
    preview_ = std::move(opened);
    return true;
}

int CKolvex::SetPreviewWindow(WindowHandle parent, int left, int top, int right, int bottom) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    placement_ = PreviewPlacement{parent, left, top, right, bottom};
    return 1;
}

// --- starting and stopping -------------------------------------------------------

// A stop's turn at controlLock_: while a stop waits, the watch of a snapshot
// that holds the lock cancels its read rather than let it run to the frame
// time-out.
class CKolvex::StopTurn {
public:
    explicit StopTurn(CKolvex& camera) : camera_(camera) {
        {
            std::lock_guard<std::mutex> gate(camera_.stopGateLock_);
            ++camera_.stopsWaiting_;
        }
        // A snapshot's watch cancels a read that holds the lock meanwhile.
        camera_.stopGateOpen_.notify_all();
        camera_.controlLock_.lock();
        {
            std::lock_guard<std::mutex> gate(camera_.stopGateLock_);
            --camera_.stopsWaiting_;
        }
        camera_.stopGateOpen_.notify_all();
    }
    ~StopTurn() { camera_.controlLock_.unlock(); }
    StopTurn(const StopTurn&) = delete;
    StopTurn& operator=(const StopTurn&) = delete;

private:
    CKolvex& camera_;
};

bool CKolvex::StopWaiting() {
    std::lock_guard<std::mutex> gate(stopGateLock_);
    return stopsWaiting_ > 0;
}

void CKolvex::Retire() {
    retired_ = true;
    // Without a device nothing runs, and a stop would only report error 1.
    if (device_) Close();
    SetCallback(nullptr, nullptr, 0, 0);
}

void CKolvex::SetCallback(WindowHandle window, void* buffer, int size, int bottomUp) {
    std::lock_guard<std::mutex> hold(frameLock_);
    callbackWindow_ = window;
    callbackBuffer_ = buffer;
    callbackSize_ = size;
    callbackBottomUp_ = bottomUp;
}

int CKolvex::Preview() { return CallBackPreview(nullptr, nullptr, 0, 0); }

int CKolvex::CallBackPreview(WindowHandle window, void* buffer, int size, int bottomUp) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (retired()) return 0;
    SetCallback(window, buffer, size, bottomUp);
    // Without a device the start fails at once; a window would only be
    // opened to be closed again.
    if (device_ && !OpenPreviewIfWanted()) return 0;
    const int started = StartPreviewHeld();
    if (!started) {
        Close();
        RecordError(KOLVEX_ERR_FRAME);
    }
    return started;
}

int CKolvex::StartPreview() {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    return StartPreviewHeld();
}

int CKolvex::StartPreviewHeld() {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (retired()) return 0;
    const State state = state_.load();
    // A worker that lost the device has ended: previewing in name only.
    // Saying so beats a 1 that delivers nothing; Stop preview (or the
    // failure path of Preview, which closes) clears the way for a new
    // start.
    if (state == State::Preview && runFlag_.load() == WorkerRun::Stop) return RecordError(KOLVEX_ERR_DEVICE_LOST), 0;
    if (state == State::Preview) return 1;
    if (state != State::Idle) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (!Setup()) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;

    if (!StartWorker(false)) {
        StopPreview();
        return RecordError(KOLVEX_ERR_THREAD), 0;
    }
    device_->SetTriggerMode(0);
    if (device_->StartTransfer() != 0) {
        StopPreview();
        return RecordError(KOLVEX_ERR_DEVICE_IO), 0;
    }
    state_ = State::Preview;
    return 1;
}

int CKolvex::StopPreview() {
    StopTurn control(*this);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    runFlag_ = WorkerRun::Stop;
    stopAsked_.Set();
    if (OnWorkerThread()) {
        // Waiting here would be waiting for ourselves; the cleared flag ends
        // the loop and the next stop from outside collects the thread.
        return 1;
    }
    if (state_.exchange(State::Idle) != State::Idle) {
        device_->SetTriggerMode(0);
        // Ending the transfer also wakes a worker waiting for a frame.
        device_->StopTransfer();
    }
    if (worker_.joinable()) {
        // A worker waiting for a triggered frame that never comes, or for a
        // camera that never answers, has its read cancelled.
        while (!workerEnded_.Wait(kStopPollMs)) device_->CancelSingleFrame();
        worker_.join();
        workerId_ = std::thread::id();
    }
    // Given back once nothing drives the device any more; also after a
    // start that failed before it changed the state.
    ReleaseClaim();
    // Frames reach the recorder only from the preview worker: with it gone
    // the recording ends too, finished with the frames it has.
    StopRecording();
    return 1;
}

int CKolvex::Close() {
    StopTurn control(*this);
    // Acquisition stops before the window goes, so no frame is painted
    // through a device context that is being released.
    StopPreview();
    imageAvailable_ = 0;
    PreviewWindowHandles closing;
    {
        std::lock_guard<std::mutex> hold(frameLock_);
        closing = std::move(preview_);
        preview_ = PreviewWindowHandles{};
    }
    ClosePreviewWindow(&closing);
    if (device_) device_->CloseSingleFrame();
    return 1;
}

int CKolvex::Capture() {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (retired()) return 0;
    const State state = state_.load();
    if (state == State::Capture) return 1;
    if (state != State::Idle) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (!Setup()) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    state_ = State::Capture;
    return 1;
}

int CKolvex::Trigger(WindowHandle window, void* buffer, int size, int bottomUp) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (retired()) return 0;
    const State state = state_.load();
    if (state == State::Preview || state == State::Capture) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    SetCallback(window, buffer, size, bottomUp);
    // Already triggering: the running worker delivers the next frames to
    // the new destination; a second worker must never run beside it.
    if (state == State::Trigger && worker_.joinable()) return 1;
    if (!OpenPreviewIfWanted()) return 0;
    if (!Setup()) {
        Close();
        return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    }
    state_ = State::Trigger;
    device_->SendTriggerWait(kTriggerWaitMs);
    device_->SetTriggerMode(1);
    if (!StartWorker(true)) {
        Close();
        return RecordError(KOLVEX_ERR_THREAD), 0;
    }
    return 1;
}

bool CKolvex::StartWorker(bool triggerLoop) {
    runFlag_ = WorkerRun::Run;
    workerEnded_.Clear();
    stopAsked_.Clear();
    const platform::ThreadPriority priority = platform::ConversionThreadPriority();
    conversionPool_ = &platform::SharedWorkerPool(priority);
    try {
        worker_ = std::thread(&CKolvex::WorkerMain, this, triggerLoop, priority);
    } catch (...) {
        runFlag_ = WorkerRun::Stop;
        return false;
    }
    workerId_ = worker_.get_id();
    return true;
}

bool CKolvex::OnWorkerThread() const { return worker_.joinable() && std::this_thread::get_id() == workerId_; }

// --- single frames ---------------------------------------------------------------

int CKolvex::SnapShot(void* buffer, int size, int bottomUp) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    // The frame time-out bounds the whole snapshot, set-up included, since
    // every other call on this camera waits for it: a camera that stopped
    // answering is programmed afresh by each idle snapshot.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(device_->frameTimeoutMs());
    const State state = state_.load();
    if (state == State::Preview || state == State::Trigger) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (state == State::Idle) {
        // A stop that comes while the camera settles after a power-up (as
        // it does at every snapshot once a read failed) need not wait for
        // the sensor: its settling is cut short, programmed again next
        // time, and the snapshot gives way below.
        snapshotSettingUp_ = true;
        const bool ready = Setup() != 0;
        snapshotSettingUp_ = false;
        if (!ready) return 0;
    }
    // Capture state keeps the single-frame channel for the next snapshot,
    // and its claim; a snapshot from idle gives the claim back when done.
    const bool keepChannel = state == State::Capture;
    struct ClaimedForSnapshot {
        CKolvex* camera;
        ~ClaimedForSnapshot() {
            if (camera) camera->ReleaseClaim();
        }
    } claimed{keepChannel ? nullptr : this};

    auto closeChannel = [&] {
        if (!keepChannel) device_->CloseSingleFrame();
    };

    // A stop that waits for the lock ends the snapshot as a failed read:
    // the read is not begun, and a frame read meanwhile is not converted,
    // which takes long while several cameras convert at once.
    int read = kDeviceTransferFailed;
    if (!StopWaiting()) {
        SnapshotWatch watch(*this, deadline);
        read = device_->ReadSingleFrame();
    }
    if (read != kDeviceOk || StopWaiting()) {
        closeChannel();
        return RecordError(KOLVEX_ERR_FRAME), 0;
    }
    const FrameDelivery::Destination destination{buffer, size, bottomUp};
    FrameDelivery single;
    single.source = FrameSource::Single;
    single.destination = &destination;
    const DeliveryResult delivered = DeliverFrame(single);
    closeChannel();
    switch (delivered) {
        case DeliveryResult::Delivered: return 1;
        case DeliveryResult::ReadFailed: return 0;  // reported by the delivery
        case DeliveryResult::CopyFailed: break;
    }
    return RecordError(KOLVEX_ERR_RESOURCE), 0;
}

// The output bitmap of the colour mode set now, which need not be the one
// the last start set up for: after an 8-bit run a 24-bit reader gets the
// 24-bit bitmap (or error 5 when it has no pixels), and an 8-bit reader
// after a colour run gets the raw frame the 8-bit bitmap holds.
int CKolvex::GetImage(void* buffer, int size, int bottomUp) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    std::lock_guard<std::mutex> hold(frameLock_);
    const FrameBitmap* output = OutputBitmap(colorMode());
    if (!output) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (output->empty() || !buffer) return RecordError(KOLVEX_ERR_RESOURCE), 0;
    if (!FrameCopy(output, bottomUp, buffer, size, callbackWindow_)) return RecordError(KOLVEX_ERR_RESOURCE), 0;
    return 1;
}

int CKolvex::SetWaitTime(int milliseconds) {
    if (milliseconds < 0) return 0;
    platform::StoreRelaxed(&waitTimeMs_, milliseconds);
    return 1;
}

int CKolvex::GetWaitTime() const { return platform::LoadRelaxed(&waitTimeMs_); }

}  // namespace kvx
