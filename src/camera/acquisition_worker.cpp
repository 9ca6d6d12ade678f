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

}  // namespace

// An application that asks for the library's threads below its own gets
// the worker lowered with the transfer thread: converting full frames as
// fast as they come is most of the processor time a camera takes.
void CKolvex::WorkerMain(bool triggerLoop, platform::ThreadPriority priority) {
    if (priority == platform::ThreadPriority::Low) platform::SetCurrentThreadPriority(priority);
    if (triggerLoop) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerEnded_.Set();
}

bool CKolvex::PauseUnlessStopped(uint32_t milliseconds) {
    if (milliseconds == 0) return runFlag_.load() != WorkerRun::Stop;
    return !stopAsked_.Wait(milliseconds);
}

void CKolvex::ReportDeviceLost() {
    runFlag_ = WorkerRun::Stop;
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
    while (runFlag_.load() != WorkerRun::Stop) {
        // The wait time may be anything up to INT_MAX: a stop ends the pause.
        if (!PauseUnlessStopped(static_cast<uint32_t>(GetWaitTime()))) break;
        if (runFlag_.load() != WorkerRun::Run) continue;
        const WaitFrameResult waited = device_->WaitFrame();
        if (runFlag_.load() == WorkerRun::Stop) break;
        if (waited == kWaitFailed) {
            ReportDeviceLost();
            break;
        }
        if (waited != kWaitFrameTaken) continue;

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
    while (runFlag_.load() != WorkerRun::Stop) {
        if (runFlag_.load() != WorkerRun::Run) {
            PauseUnlessStopped(kPausedPollMs);
            continue;
        }
        const int read = device_->ReadSingleFrame();
        if (runFlag_.load() == WorkerRun::Stop) break;
        if (read == kDeviceNoChannel) {
            // Unplugged: the channel cannot even be opened again.
            ReportDeviceLost();
            break;
        }
        if (read != kDeviceOk) {
            PauseUnlessStopped(kFailedTriggerReadPauseMs);
            continue;
        }
        DeliverFrame(triggered);
    }
}

}  // namespace kvx
