// Cameras set up for acquisition tests: a small capture window, a colour
// mode and fast frames, and a way to wait for the messages a worker posts.
#pragma once

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"

namespace kvx::test {

inline bool IsFrameReady(const Notification& n) { return n.message == KOLVEX_WM_FRAME && n.wParam != 0; }
inline bool IsFrameError(const Notification& n, int code) {
    return n.message == KOLVEX_WM_FRAME && n.wParam == 0 && n.lParam == code;
}
inline bool IsError(const Notification& n, int code) { return n.message == KOLVEX_WM_ERROR && n.lParam == code; }

inline int Count(const std::vector<Notification>& all, const std::function<bool(const Notification&)>& match) {
    int n = 0;
    for (const auto& m : all) n += match(m) ? 1 : 0;
    return n;
}

// Collects what `window` receives until `done` holds for everything so far
// (or 10 s passed, which only a broken build reaches).
inline std::vector<Notification> Collect(NotificationWindow& window,
                                         const std::function<bool(const std::vector<Notification>&)>& done) {
    std::vector<Notification> all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done(all) && std::chrono::steady_clock::now() < deadline) {
        for (const auto& m : window.Take()) all.push_back(m);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return all;
}

inline std::vector<Notification> CollectFrames(NotificationWindow& window, int frames) {
    return Collect(window, [&](const std::vector<Notification>& all) { return Count(all, IsFrameReady) >= frames; });
}

class AcquisitionTest : public CameraTest {
protected:
    explicit AcquisitionTest(std::vector<int> devices = {0}) : CameraTest(std::move(devices)) {}

    // Stores a capture window of width x height at (0, 0), the colour mode
    // index and the subsample mode for device 0, then opens the camera.
    int OpenWith(int width, int height, int colorMode, int subSample = 0) {
        const std::string camera = settings::CameraKeyPath(0);
        Store(camera, "Size", 1);
        const std::string size = camera + "\\Size_01";
        Store(size, "TH", 2048);
        Store(size, "TV", 1536);
        Store(size, "EH", static_cast<uint32_t>(width));
        Store(size, "EV", static_cast<uint32_t>(height));
        Store(size, "EHS", 0);
        Store(size, "EVS", 0);
        Store(size, "Buf", 4);
        Store(camera, "Color", static_cast<uint32_t>(colorMode));
        Store(camera, "SubSample", static_cast<uint32_t>(subSample));
        Store(camera, "WaitTime", 1);
        Store(camera, "Clock", 0);
        return Open();
    }
    // Frames go to the application only, unless a test asks for a window.
    void NoPreviewWindow() { ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1); }

    const FrameBitmap& Output(int mode) const { return *Object()->bitmap(static_cast<BitmapSlot>(kBitmap8 + mode)); }

    std::vector<int> TakeErrors() {
        std::vector<int> codes;
        for (int code; (code = Kolvex_GetLastError(handle_)) != 0;) codes.push_back(code);
        return codes;
    }

    NotificationWindow callback_;
};

}  // namespace kvx::test
