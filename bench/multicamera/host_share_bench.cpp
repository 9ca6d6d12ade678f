// What the library leaves its host: an ordinary application thread spins
// while four virtual cameras deliver frames as fast as they can (fps=max,
// 24-bit output into a callback buffer each), and its processor time is
// compared with what it gets alone. The two alternate in short rounds, so
// that load from other programs on the machine falls on both alike.
//
// Counters:
//   host_cpu_kept   the spinning thread's processor time per second of wall
//                   time beside the cameras, over the same alone (1 = it
//                   lost nothing)
//   camera_fps      frames delivered per second, all cameras together
//
// Args: the capture window's width and height. BM_HostShareRaised runs the
// cameras with KOLVEX_TRANSFER_PRIORITY=highest, what the library did on its
// own before; it reports nothing extra when the process may not raise a
// thread. BM_HostShareLowered runs them with KOLVEX_TRANSFER_PRIORITY=low,
// the library's busy threads below the application's.
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "bench_environment.h"
#include "sim/camera_table.h"

namespace {

using kvx::bench::Env;

constexpr int kCameras = 4;
constexpr int kRounds = 4;
constexpr auto kMeasure = std::chrono::milliseconds(1500);

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// An application thread with work to do: its processor seconds per wall
// second over the measuring time.
double SpinningShare() {
    double share = 0;
    std::thread host([&] {
        const double cpuStart = ThreadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        volatile uint64_t sink = 0;
        while (std::chrono::steady_clock::now() - start < kMeasure)
            for (int i = 0; i < 10000; ++i) sink = sink + static_cast<uint64_t>(i);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        share = (ThreadCpuSeconds() - cpuStart) / wall;
    });
    host.join();
    return share;
}

struct Cameras {
    std::vector<std::shared_ptr<kvx::sim::VirtualCamera>> devices;
    std::vector<int> handles;
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<int> windows = std::vector<int>(kCameras);  // any address is a mailbox key
    std::atomic<bool> draining{true};
    std::atomic<long> frames{0};
    std::thread drain;

    Cameras(int width, int height) {
        kvx::sim::UnplugAll();
        kvx::sim::CameraOptions options;
        options.fastFrames = true;
        options.triggerBlock = Env().wire;
        for (int i = 0; i < kCameras; ++i) devices.push_back(kvx::sim::Plug(i, options));
        for (int i = 0; i < kCameras; ++i) {
            const int h = Kolvex_Initialize(nullptr);
            handles.push_back(h);
            buffers.emplace_back(static_cast<size_t>(width) * static_cast<size_t>(height) * 3u);
            Kolvex_SetDeviceNumber(h, i);
            Kolvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0);
            if (!Kolvex_CallBackPreview(h, &windows[static_cast<size_t>(i)], buffers.back().data(),
                                        static_cast<int>(buffers.back().size()), 0))
                std::fprintf(stderr, "camera %d did not start\n", i);
        }
        // The application reads its messages, as a real one would.
        drain = std::thread([this] {
            KolvexMessage message;
            while (draining.load())
                for (int& w : windows)
                    while (KolvexLinux_WaitMessage(&w, 1, &message))
                        if (message.message == KOLVEX_WM_FRAME && message.wParam != 0) frames.fetch_add(1);
        });
    }
    ~Cameras() {
        for (int h : handles) {
            Kolvex_StopPreview(h);
            Kolvex_Release(h);
        }
        draining = false;
        drain.join();
        KolvexMessage message;
        for (int& w : windows)
            while (KolvexLinux_WaitMessage(&w, 0, &message)) {
            }
        kvx::sim::UnplugAll();
    }
};

void Measure(benchmark::State& state, const char* priority) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    kvx::bench::StoreFormat(width, height, 2, 1);
    if (priority) setenv("KOLVEX_TRANSFER_PRIORITY", priority, 1);
    double alone = 0, beside = 0, fps = 0;
    for (auto _ : state) {
        double frames = 0, seconds = 0;
        for (int round = 0; round < kRounds; ++round) {
            alone += SpinningShare();
            Cameras cameras(width, height);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const long before = cameras.frames.load();
            const auto start = std::chrono::steady_clock::now();
            beside += SpinningShare();
            frames += static_cast<double>(cameras.frames.load() - before);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        fps = frames / seconds;
    }
    unsetenv("KOLVEX_TRANSFER_PRIORITY");
    state.counters["host_cpu_kept"] = alone > 0 ? beside / alone : 0;
    state.counters["camera_fps"] = fps;
}

void BM_HostShare(benchmark::State& state) { Measure(state, nullptr); }

void BM_HostShareRaised(benchmark::State& state) { Measure(state, "highest"); }

void BM_HostShareLowered(benchmark::State& state) { Measure(state, "low"); }

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({640, 480})->Args({2048, 1536})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
}

BENCHMARK(BM_HostShare)->Apply(Sizes);
BENCHMARK(BM_HostShareRaised)->Apply(Sizes);
BENCHMARK(BM_HostShareLowered)->Apply(Sizes);

}  // namespace
