// Frames per second at the virtual camera's fastest rate, full frame,
// 24-bit: through the library's own callback path (every frame copied into
// the application's buffer and announced) and through the capture filter
// into Wine's Sample Grabber, in the same run. The filter's one copy
// (the library's image into the media sample) stands where the callback
// path copies into the application's buffer, so the two rates should be
// about the same.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <vector>

#include "KolvexSdk.h"
#include "announcement_window.h"
#include "graph_rig.h"
#include "sim/camera_table.h"

namespace {

constexpr int kWidth = 2048, kHeight = 1536;
constexpr DWORD kFrameWaitMs = 10000;

// A virtual camera at device 0 that delivers frames as fast as they are read.
void PlugFastCamera() {
    kvx::sim::CameraOptions options;
    options.fastFrames = true;
    kvx::sim::Plug(0, options);
}

void BM_LibraryCallbackPath(benchmark::State& state) {
    PlugFastCamera();
    const int handle = Kolvex_Initialize(nullptr);
    Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    Kolvex_SetColorMode(handle, 24);
    Kolvex_SetSubSample(handle, 0);
    std::vector<BYTE> buffer(static_cast<size_t>(kWidth) * 3 * kHeight);
    kvx::dshow::AnnouncementWindow window;
    if (!Kolvex_CallBackPreview(handle, window.handle(), buffer.data(), static_cast<int>(buffer.size()), 1)) {
        state.SkipWithError("the camera did not start");
        Kolvex_Release(handle);
        return;
    }
    auto nextFrame = [&] {
        MSG m;
        while (window.Next(kFrameWaitMs, &m))
            if (kvx::dshow::IsFrameReady(m)) return true;
        return false;
    };
    nextFrame();
    for (auto _ : state)
        if (!nextFrame()) state.SkipWithError("frames stopped");
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
    Kolvex_StopPreview(handle);
    Kolvex_Release(handle);
}
BENCHMARK(BM_LibraryCallbackPath)->Iterations(60)->UseRealTime()->Unit(benchmark::kMillisecond);

// The filter's capture pin straight into the grabber: the capture graph
// builder's tee would add a copy of its own, which is not the filter's.
void BM_FilterToSampleGrabber(benchmark::State& state) {
    PlugFastCamera();
    kvx::test::ComScope com;
    kvx::test::CaptureGraph graph(0);
    graph.samples().KeepBytes(false);
    if (FAILED(graph.ChooseFormat(0)) || FAILED(graph.ConnectDirectly()) || FAILED(graph.Run()) ||
        !graph.samples().WaitFor(1, kFrameWaitMs)) {
        state.SkipWithError("the graph did not run");
        return;
    }
    size_t seen = graph.samples().samples().size();
    for (auto _ : state)
        if (!graph.samples().WaitFor(++seen, kFrameWaitMs)) state.SkipWithError("frames stopped");
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
    graph.Stop();
}
BENCHMARK(BM_FilterToSampleGrabber)->Iterations(60)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
