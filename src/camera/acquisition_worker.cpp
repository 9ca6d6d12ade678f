// The acquisition worker: one thread per camera that takes frames from the
// device and delivers them (frame_delivery.cpp). It never stops itself
// through StopPreview (that would wait for its own end); it clears its run
// flag and ends.
#include <chrono>

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/clock.h"

namespace kvx {

namespace {

constexpr uint32_t kPausedPollMs = 10;
// After a failed triggered read: the loop must not spin a core asking a
// device that keeps failing.
constexpr uint32_t kFailedTriggerReadPauseMs = 10;
// ReadSingleFrame's result when the device can no longer be opened.
constexpr int kSingleFrameDeviceGone = 10;

}  // namespace

void CKolvex::WorkerMain(bool triggerLoop) {
    if (triggerLoop) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerEnded_.Set();
}

bool CKolvex::PauseUnlessStopped(uint32_t milliseconds) {
    if (milliseconds == 0) return runFlag_.load() != 0;
    return !stopAsked_.Wait(milliseconds);
}

void CKolvex::ReportDeviceLost() {
    runFlag_ = 0;
    WindowHandle callbackWindow;
    {
        std::lock_guard<std::mutex> hold(frameLock_);
        callbackWindow = callbackWindow_;
    }
    PostFrameError(callbackWindow, KOLVEX_ERR_DEVICE_LOST);
    RecordError(KOLVEX_ERR_DEVICE_LOST);
}

void CKolvex::PreviewLoop() {
    // A measuring window that started long before this run would report
    // the first rate far too low.
    framesInWindow_ = 0;
    frameRate_ = 0;
    windowStart_ = platform::MultimediaTime();
    FrameDelivery preview;
    preview.source = FrameSource::Ring;
    preview.measureRate = true;
    preview.feedRecorder = true;
    preview.paint = true;
    preview.announce = true;
    while (runFlag_.load() != 0) {
        // The wait time may be anything up to INT_MAX: a stop ends the pause.
        if (!PauseUnlessStopped(static_cast<uint32_t>(GetWaitTime()))) break;
        if (runFlag_.load() != 1) continue;
        const int waited = device_->WaitFrame();
        if (runFlag_.load() == 0) break;
        if (waited == 1) {
            ReportDeviceLost();
            break;
        }
        if (waited != 3) continue;

        const auto busySince = std::chrono::steady_clock::now();
        DeliverFrame(preview);
        workerBusyNs_ +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - busySince).count();
        ++workerFrames_;
    }
}

void CKolvex::TriggerLoop() {
    FrameDelivery triggered;
    triggered.source = FrameSource::Single;
    triggered.paint = true;
    triggered.announce = true;
    while (runFlag_.load() != 0) {
        if (runFlag_.load() != 1) {
            PauseUnlessStopped(kPausedPollMs);
            continue;
        }
        const int read = device_->ReadSingleFrame();
        if (runFlag_.load() == 0) break;
        if (read == kSingleFrameDeviceGone) {
            // Unplugged: the channel cannot even be opened again.
            ReportDeviceLost();
            break;
        }
        if (read != 0) {
            PauseUnlessStopped(kFailedTriggerReadPauseMs);
            continue;
        }
        DeliverFrame(triggered);
    }
}

}  // namespace kvx
