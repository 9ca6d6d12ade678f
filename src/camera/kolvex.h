// CKolvex: the object behind one camera handle. It owns the device, the
// frame bitmaps, the worker threads and every setting of one camera, and
// every export forwards to it.
#pragma once

#include <array>
#include <cstdint>

#include "KolvexSdk.h"
#include "camera/error_history.h"
#include "imaging/filter_index.h"
#include "platform/window_message.h"

namespace kvx {

using platform::WindowHandle;

// The sensor settings as stored under "Gain", in that order.
struct AnalogSettings {
    int32_t globalGain = 0;
    int32_t gainGreen1 = 0;
    int32_t gainRed = 0;
    int32_t gainBlue = 0;
    int32_t gainGreen2 = 0;
    int32_t exposureLines = 0;
    int32_t mirrorV = 0;
    int32_t mirrorH = 0;
    int32_t autoIris = 0;  // 0 off, 1 by exposure time, 2 by gain
};

// The readout size as stored in a "Size_NN" key, in that order.
struct CaptureGeometry {
    int32_t horizontalTotal = 2048;
    int32_t verticalTotal = 1536;
    int32_t width = 2048;
    int32_t height = 1536;
    int32_t horizontalStart = 0;
    int32_t verticalStart = 0;
    int32_t buffers = 4;
};

// Microseconds <-> sensor lines.
struct ExposureConversion {
    int32_t lineLengthClocks = 0;
    int32_t offset = 0;  // always 0
    int32_t lines = 1;
    double msPerClock = 1.0;
    int32_t lastMicroseconds = 0;
};

enum class AcquisitionState : int32_t { Idle = 0, Preview = 1, Capture = 2, Trigger = 3 };

enum class WorkerRun : int32_t { Stop = 0, Run = 1, Paused = 2 };

class CKolvex {
public:
    CKolvex();
    virtual ~CKolvex();
    CKolvex(const CKolvex&) = delete;
    CKolvex& operator=(const CKolvex&) = delete;

    // Brings the camera up for the application window; 1, or 0 with the
    // failure recorded.
    int Initialize(WindowHandle applicationWindow);

    // Records a failure in the history and posts it to the application
    // window (when there is one). Always returns 1.
    int RecordError(int code);
    // Reports a code to the application window only; the history is left
    // alone, so Kolvex_GetLastError never sees it.
    void PostError(int code);
    // The newest recorded code, taken out of the history; 0 when empty.
    int TakeLastError();

    int GetStatus(int ignored) const;

    WindowHandle applicationWindow() const { return applicationWindow_; }

private:
    // Capture geometry and the selected size entry's buffer value.
    CaptureGeometry geometry_;

    std::array<int32_t, kFilterBlockSize> filter_{};
    AnalogSettings analog_;
    ExposureConversion exposure_;

    // Preview window placement.
    WindowHandle previewParent_ = nullptr;
    int32_t previewLeft_ = 0, previewTop_ = 0, previewRight_ = 2048, previewBottom_ = 1536;

    WindowHandle applicationWindow_ = nullptr;

    // Frame callback settings, set by the callback and trigger exports.
    WindowHandle callbackWindow_ = nullptr;
    void* callbackBuffer_ = nullptr;
    int32_t callbackSize_ = 0;
    int32_t callbackBottomUp_ = 0;

    KolvexFrameInfo frameInfo_{};

    AcquisitionState state_ = AcquisitionState::Idle;
    int32_t colorMode_ = 0;
    int32_t subSample_ = 0;
    int32_t waitTimeMs_ = 10;
    int32_t clock_ = 0;
    int32_t imageAvailable_ = 0;

    // Frame rate in tenths of a frame per second over a measuring window.
    int32_t frameRate_ = 0;
    int32_t framesInWindow_ = 0;
    uint32_t windowStart_ = 0;

    ErrorHistory errors_;
    int32_t deviceNumber_ = 0;
};

}  // namespace kvx
