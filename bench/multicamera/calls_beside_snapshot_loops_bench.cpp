// How long the calls on one camera take while every camera of the process
// (1 or 8, full 2048 x 1536 frame, 24-bit) is polled by a snapshot loop on a
// thread of its own: with cameras that answer, and with cameras that stopped
// answering (every snapshot then runs to the frame time-out, set to 1 s).
//
// Counters, the slowest of a few rounds on camera 0, in milliseconds:
//   stop_ms, close_ms, release_ms    Kolvex_StopPreview, Kolvex_Close, and
//                                    Kolvex_Release of each camera in turn
//   color_ms, exposure_ms, switch_ms Kolvex_SetColorMode,
//                                    Kolvex_SetRealExposureTime and
//                                    Kolvex_SetDeviceNumber, which wait for
//                                    the snapshot in progress
//   snapshots_per_s                  snapshots the loops took, all cameras
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "bench_environment.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/camera_table.h"

namespace {

using Clock = std::chrono::steady_clock;
using kvx::bench::Env;

constexpr int kRounds = 5;
constexpr uint32_t kStalledFrameTimeoutMs = 1000;

template <typename Call>
double Milliseconds(Call call) {
    const auto start = Clock::now();
    call();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One camera object at device number n and the thread that takes snapshots
// from it until told to stop or until its handle is gone.
struct Looper {
    int handle = 0;
    std::atomic<bool> running{true};
    std::atomic<long> snapshots{0};
    std::thread thread;

    explicit Looper(int n) {
        handle = Kolvex_Initialize(nullptr);
        Kolvex_SetDeviceNumber(handle, n);
        Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
        thread = std::thread([this] {
            std::vector<uint8_t> buffer(2048u * 1536u * 3u);
            while (running.load()) {
                Kolvex_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0);
                ++snapshots;
            }
        });
    }
    ~Looper() {
        running = false;
        thread.join();
        Kolvex_Release(handle);
    }
};

void BM_CallsBesideSnapshotLoops(benchmark::State& state) {
    kvx::bench::StoreFormat(2048, 1536, kvx::bench::kColor24, 10);
    const int count = static_cast<int>(state.range(0));
    const bool stalled = state.range(1) != 0;
    double stop = 0, close = 0, release = 0, color = 0, exposure = 0, switching = 0, rate = 0;
    for (auto _ : state) {
        kvx::sim::UnplugAll();
        std::vector<std::shared_ptr<kvx::sim::VirtualCamera>> cameras;
        for (int n = 0; n < count; ++n) cameras.push_back(kvx::sim::Plug(n));
        std::vector<std::unique_ptr<Looper>> loops;
        for (int n = 0; n < count; ++n) loops.push_back(std::make_unique<Looper>(n));
        // Every camera programmed and delivering before the stall, so the
        // loops are in their steady state.
        for (auto& loop : loops)
            while (loop->snapshots.load() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (stalled) {
            for (auto& loop : loops)
                kvx::SdkChain().Lookup(loop->handle)->device()->SetFrameTimeoutMs(kStalledFrameTimeoutMs);
            for (auto& camera : cameras) camera->SetStalled(true);
        }
        long before = 0;
        for (auto& loop : loops) before += loop->snapshots.load();
        const auto started = Clock::now();

        const int h = loops.front()->handle;
        for (int round = 0; round < kRounds; ++round) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            stop = std::max(stop, Milliseconds([&] { Kolvex_StopPreview(h); }));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            close = std::max(close, Milliseconds([&] { Kolvex_Close(h); }));
            color = std::max(color, Milliseconds([&] { Kolvex_SetColorMode(h, 24); }));
            exposure = std::max(exposure, Milliseconds([&] { Kolvex_SetRealExposureTime(h, 10000); }));
            switching = std::max(switching, Milliseconds([&] { Kolvex_SetDeviceNumber(h, 0); }));
        }
        long after = 0;
        for (auto& loop : loops) after += loop->snapshots.load();
        rate = static_cast<double>(after - before) / std::chrono::duration<double>(Clock::now() - started).count();
        // Each camera released while its own loop and all the others run.
        for (auto& loop : loops) {
            release = std::max(release, Milliseconds([&] { Kolvex_Release(loop->handle); }));
            loop->running = false;
        }
        loops.clear();
        kvx::sim::UnplugAll();
    }
    state.counters["stop_ms"] = stop;
    state.counters["close_ms"] = close;
    state.counters["release_ms"] = release;
    state.counters["color_ms"] = color;
    state.counters["exposure_ms"] = exposure;
    state.counters["switch_ms"] = switching;
    state.counters["snapshots_per_s"] = rate;
}

}  // namespace

BENCHMARK(BM_CallsBesideSnapshotLoops)
    ->ArgsProduct({{1, 8}, {0, 1}})
    ->ArgNames({"cameras", "stalled"})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
