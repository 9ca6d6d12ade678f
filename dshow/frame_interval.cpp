#include "frame_interval.h"

#include <vfwmsgs.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "announcement_window.h"

namespace kvx::dshow {
namespace {

// The first announcements come close together (frames the sensor made while
// acquisition started up); after them the sensor's period shows, with the
// jitter of the thread that announces, which a span of several frames
// averages out.
constexpr size_t kSkippedFrames = 2;
constexpr size_t kTimedIntervals = 6;
// The longest exposure the sensor takes is about 1.5 s.
constexpr DWORD kFrameWaitMs = 4000;

REFERENCE_TIME Now100ns() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<REFERENCE_TIME>(count.QuadPart * 10000000.0 / frequency.QuadPart);
}

HRESULT TimeFrames(CameraSession* camera, const VideoFormat& format, REFERENCE_TIME* interval) {
    HRESULT hr = camera->Prepare(format);
    AnnouncementWindow window;
    if (SUCCEEDED(hr)) hr = camera->Start(window.handle());
    if (FAILED(hr)) {
        camera->Restore();
        return hr;
    }
    std::vector<REFERENCE_TIME> arrivals;
    MSG m;
    while (arrivals.size() < kSkippedFrames + kTimedIntervals + 1 && window.Next(kFrameWaitMs, &m)) {
        if (IsFrameError(m)) break;
        if (IsFrameReady(m)) arrivals.push_back(Now100ns());
    }
    camera->Stop();
    camera->Restore();
    if (arrivals.size() < kSkippedFrames + kTimedIntervals + 1) return VFW_E_TIMEOUT;
    const REFERENCE_TIME span = arrivals.back() - arrivals[kSkippedFrames];
    *interval = std::max<REFERENCE_TIME>(span / static_cast<REFERENCE_TIME>(kTimedIntervals), 1);
    return S_OK;
}

}  // namespace

HRESULT MeasureFrameInterval(CameraSession* camera, const VideoFormat& format, REFERENCE_TIME* interval) {
    // A thread of its own owns the window the announcements go to, so the
    // caller's thread (perhaps an application's user-interface thread) never
    // has to pump messages for it.
    HRESULT hr = E_FAIL;
    std::thread timer([&] { hr = TimeFrames(camera, format, interval); });
    timer.join();
    return hr;
}

}  // namespace kvx::dshow
