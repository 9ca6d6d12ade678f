// The transfer path on the virtual camera in fast mode: frames per second
// through WaitFrame/ReadFrame, and the region cut against a plain memcpy of
// the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/camera_table.h"

namespace {

using kvx::CKolvex410QFXZQPSdk;

// One device object for the whole run: its construction initialises the
// sensor, which takes half a second of fixed pauses.
CKolvex410QFXZQPSdk& Device() {
    static CKolvex410QFXZQPSdk* device = [] {
        kvx::sim::UnplugAll();
        kvx::sim::CameraOptions options;
        options.fastFrames = true;
        kvx::sim::Plug(0, options);
        return new CKolvex410QFXZQPSdk;
    }();
    return *device;
}

void Configure(int sixteen, int subsample) {
    CKolvex410QFXZQPSdk& device = Device();
    device.SetSixteenBit(sixteen);
    device.SetFrameGeometry(0, 0, 2048, 1536, subsample);
}

void BM_FramesThroughTheRing(benchmark::State& state) {
    const int sixteen = static_cast<int>(state.range(0));
    Configure(sixteen, 0);
    CKolvex410QFXZQPSdk& device = Device();
    std::vector<uint8_t> frame(static_cast<size_t>(device.width()) * device.height() * device.bytesPerPixel());
    if (device.StartTransfer() != 0) {
        state.SkipWithError("transfer did not start");
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        int result;
        while ((result = device.WaitFrame()) == 2) {
        }
        if (result != 3) {
            state.SkipWithError("transfer failed");
            break;
        }
        device.ReadFrame(frame.data());
        benchmark::DoNotOptimize(frame.data());
        ++frames;
    }
    device.StopTransfer();
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(frames * static_cast<int64_t>(frame.size()));
}
BENCHMARK(BM_FramesThroughTheRing)->Arg(0)->Arg(1)->ArgName("sixteen")->UseRealTime()->Unit(benchmark::kMillisecond);

// range(0): depth, range(1): subsampled (a cut of lines) or the full frame
// (one block); range(2): 1 for the plain memcpy of the same bytes.
void BM_RegionCut(benchmark::State& state) {
    Configure(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CKolvex410QFXZQPSdk& device = Device();
    const size_t region = static_cast<size_t>(device.width()) * device.height() * device.bytesPerPixel();
    std::vector<uint8_t> src(2 * static_cast<size_t>(device.transferSize()), 0x5A), dst(region);
    const bool plain = state.range(2) != 0;
    for (auto _ : state) {
        if (plain) std::memcpy(dst.data(), src.data(), region);
        else device.CopyRawRegion(dst.data(), src.data());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(region));
    state.SetLabel(plain ? "memcpy" : "CopyRawRegion");
}
BENCHMARK(BM_RegionCut)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"sixteen", "subsampled", "memcpy"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
