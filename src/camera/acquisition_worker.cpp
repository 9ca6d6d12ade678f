// The acquisition worker: one thread per camera that takes frames from the
// device, converts them, paints the preview and hands them to the
// application. It never stops itself through StopPreview (that would wait
// for its own end); it clears its run flag and ends.
#include <chrono>

#include "camera/camera_exposure.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"
#include "platform/clock.h"

namespace kvx {

namespace {

constexpr int kBitsPerPixel[6] = {8, 16, 24, 32, 48, 64};
constexpr uint32_t kPausedPollMs = 10;
// After a failed triggered read: a device that is gone fails at once, and
// the loop must not spin a core asking it again.
constexpr uint32_t kFailedTriggerReadPauseMs = 10;

int32_t LoadWord(const int32_t* word) { return __atomic_load_n(word, __ATOMIC_RELAXED); }

}  // namespace

ModeBitmaps CKolvex::ModeBitmapSet() const {
    return {bitmaps_[kBitmap8].get(),  bitmaps_[kBitmap16].get(), bitmaps_[kBitmap24].get(),
            bitmaps_[kBitmap32].get(), bitmaps_[kBitmap48].get(), bitmaps_[kBitmap64].get()};
}

FrameBitmap* CKolvex::RawBitmap() const {
    if (activeMode_ < 0 || activeMode_ > 5) return nullptr;
    const bool sixteen = activeMode_ == 1 || activeMode_ == 4 || activeMode_ == 5;
    return bitmaps_[sixteen ? kBitmap16 : kBitmap8].get();
}

FrameBitmap* CKolvex::OutputBitmap(int mode) const {
    if (mode < 0 || mode > 5) return nullptr;
    return bitmaps_[static_cast<size_t>(kBitmap8 + mode)].get();
}

void CKolvex::WorkerMain(bool triggerLoop) {
    if (triggerLoop) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerEnded_.Set();
}

void CKolvex::FillFrameInfo(const FrameBitmap& raw, int frameRate) {
    frameInfo_.size = static_cast<int>(sizeof(KolvexFrameInfo));
    frameInfo_.width = raw.width();
    frameInfo_.height = raw.height();
    frameInfo_.buffer = callbackBuffer_;
    frameInfo_.bitsPerPixel = kBitsPerPixel[activeMode_];
    frameInfo_.frameRate = frameRate;
}

// Tenths of a frame per second over windows of at least a second.
void CKolvex::UpdateFrameRate() {
    ++framesInWindow_;
    if (platform::MultimediaTime() - windowStart_ > 1000) {
        const uint32_t elapsed = platform::MultimediaTime() - windowStart_;
        frameRate_ = static_cast<int32_t>(uint64_t{static_cast<uint32_t>(framesInWindow_)} * 10000u / elapsed);
        framesInWindow_ = 0;
        windowStart_ = platform::MultimediaTime();
    }
    frameInfo_.frameRate = frameRate_;
}

void CKolvex::Convert() {
    ConversionControls controls;
    controls.filter = filter_.data();
    controls.colorMode = activeMode_;
    controls.mirrorVertical = LoadWord(&analog_[kMirrorV]) != 0;
    controls.mirrorHorizontal = LoadWord(&analog_[kMirrorH]) != 0;
    controls.autoExposure = LoadWord(&analog_[kAutoIris]);
    ConversionBitmaps bitmaps;
    bitmaps.byMode = ModeBitmapSet();
    bitmaps.outputCopy = bitmaps_[kBitmapOutputCopy].get();
    CameraExposure exposure(device_.get(), analog_.data(), &dialogHooks_);
    ConvertFrame(controls, bitmaps, &exposure, &dialogHooks_);
}

void CKolvex::Paint() { PaintPreview(preview_, activeMode_, ModeBitmapSet(), *bitmaps_[kBitmapDisplay]); }

void CKolvex::PreviewLoop() {
    // A measuring window that started long before this run would report
    // the first rate far too low.
    framesInWindow_ = 0;
    frameRate_ = 0;
    windowStart_ = platform::MultimediaTime();
    while (runFlag_.load() != 0) {
        platform::SleepMs(static_cast<uint32_t>(GetWaitTime()));
        if (runFlag_.load() != 1) continue;
        const int waited = device_->WaitFrame();
        if (waited == 1) {
            runFlag_ = 0;
            WindowHandle callbackWindow;
            {
                std::lock_guard<std::mutex> hold(frameLock_);
                callbackWindow = callbackWindow_;
            }
            PostFrameError(callbackWindow, KOLVEX_ERR_DEVICE_LOST);
            RecordError(KOLVEX_ERR_DEVICE_LOST);
            break;
        }
        if (waited != 3) continue;

        const auto busySince = std::chrono::steady_clock::now();
        auto countBusy = [&] {
            workerBusyNs_ += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                                  busySince)
                                 .count();
            ++workerFrames_;
        };
        std::unique_lock<std::mutex> hold(frameLock_);
        FrameBitmap* raw = RawBitmap();
        if (!raw || raw->empty() || device_->ReadFrame(raw->bits()) != 0) {
            const WindowHandle callbackWindow = callbackWindow_;
            hold.unlock();
            PostFrameError(callbackWindow, KOLVEX_ERR_FRAME);
            RecordError(KOLVEX_ERR_FRAME);
            countBusy();
            continue;
        }
        SpreadPackedRows(*raw);
        FillFrameInfo(*raw, frameRate_);
        UpdateFrameRate();
        Convert();
        recorderNewFrame_ = 1;
        imageAvailable_ = 1;
        Paint();
        if (callbackBuffer_ && callbackSize_ != 0 &&
            !FrameCopy(OutputBitmap(activeMode_), callbackBottomUp_, callbackBuffer_, callbackSize_, callbackWindow_)) {
            countBusy();
            continue;
        }
        const WindowHandle callbackWindow = callbackWindow_;
        hold.unlock();
        if (callbackWindow)
            platform::PostWindowMessage(callbackWindow, KOLVEX_WM_FRAME, reinterpret_cast<uintptr_t>(&frameInfo_), 0);
        countBusy();
    }
}

void CKolvex::TriggerLoop() {
    while (runFlag_.load() != 0) {
        if (runFlag_.load() != 1) {
            platform::SleepMs(kPausedPollMs);
            continue;
        }
        const int read = device_->ReadSingleFrame();
        if (runFlag_.load() == 0) break;
        if (read != 0) {
            platform::SleepMs(kFailedTriggerReadPauseMs);
            continue;
        }

        std::lock_guard<std::mutex> hold(frameLock_);
        FrameBitmap* raw = RawBitmap();
        if (!raw || raw->empty()) continue;
        device_->CopySingleFrame(raw->bits());
        SpreadPackedRows(*raw);
        FillFrameInfo(*raw, 0);
        Convert();
        imageAvailable_ = 1;
        if (callbackBuffer_ && callbackSize_ != 0 &&
            !FrameCopy(OutputBitmap(activeMode_), callbackBottomUp_, callbackBuffer_, callbackSize_, callbackWindow_))
            continue;
        if (callbackWindow_)
            platform::PostWindowMessage(callbackWindow_, KOLVEX_WM_FRAME, reinterpret_cast<uintptr_t>(&frameInfo_), 0);
        Paint();
    }
}

}  // namespace kvx
