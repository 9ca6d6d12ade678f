// What saving stills and stopping cost a previewing camera.
//
// BM_FramesWhileSaving: frames announced in three seconds by a camera at
// 2048 x 1536, 24 bits, with the sensor's own frame timing, while another
// thread saves PNG and JPEG stills of it in a loop (saving = 1), against the
// same camera without saving (saving = 0). Counters: fps, saves (files
// written) and of_unsaved (fps over the run without saving; the goal is at
// least 0.9).
//
// BM_StopLatency: time Stop preview takes with the worker's wait time at
// 10 ms, 5000 ms and INT_MAX.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"
#include "sim/camera_table.h"

namespace {

// Device 1 of this program: real frame timing, unlike the fast device 0
// the throughput benchmarks use.
constexpr int kDevice = 1;

void PlugTimedCamera() {
    static const bool plugged = [] {
        kvx::sim::Plug(kDevice, kvx::sim::CameraOptions{});
        const std::string camera = kvx::settings::CameraKeyPath(kDevice);
        auto key = kvx::platform::SettingsKey::Open(camera, kvx::platform::SettingsKey::Access::Write);
        key->WriteDword("Size", 0);
        key->WriteDword("Color", 2);
        key->WriteDword("SubSample", 0);
        key->WriteDword("WaitTime", 10);
        key->WriteDword("Clock", 0);
        auto size = kvx::platform::SettingsKey::Open(camera + "\\Size_00", kvx::platform::SettingsKey::Access::Write);
        const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
        const uint32_t values[] = {2048, 1536, 2048, 1536, 0, 0, 4};
        for (int i = 0; i < 7; ++i) size->WriteDword(names[i], values[i]);
        return true;
    }();
    (void)plugged;
}

struct PreviewingCamera {
    int handle = 0;
    int window = 0;  // any address will do as a mailbox key
    std::vector<uint8_t> buffer = std::vector<uint8_t>(size_t{2048} * 1536 * 3);

    bool Start(int waitTime) {
        PlugTimedCamera();
        handle = Kolvex_Initialize(nullptr);
        if (!handle || !Kolvex_SetDeviceNumber(handle, kDevice)) return false;
        Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
        Kolvex_SetWaitTime(handle, waitTime);
        return Kolvex_CallBackPreview(handle, &window, buffer.data(), static_cast<int>(buffer.size()), 0) == 1;
    }
    // Frames announced within `seconds`.
    int CountFrames(double seconds) {
        KolvexMessage message;
        while (KolvexLinux_WaitMessage(&window, 0, &message)) {
        }
        int frames = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end)
            if (KolvexLinux_WaitMessage(&window, 50, &message) && message.wParam) ++frames;
        return frames;
    }
    ~PreviewingCamera() {
        if (handle) Kolvex_Release(handle);
        KolvexMessage message;
        while (KolvexLinux_WaitMessage(&window, 0, &message)) {
        }
    }
};

double& UnsavedRate() {
    static double fps = 0;
    return fps;
}

void BM_FramesWhileSaving(benchmark::State& state) {
    const bool saving = state.range(0) != 0;
    constexpr double kSeconds = 3.0;
    const std::string stem = "/tmp/kolvex-bench-still-" + std::to_string(getpid());
    const std::string png = stem + ".png", jpeg = stem + ".jpg";
    for (auto _ : state) {
        PreviewingCamera camera;
        if (!camera.Start(10)) return state.SkipWithError("preview did not start");
        camera.CountFrames(0.5);  // settle
        std::atomic<bool> done{false};
        std::atomic<int> saves{0};
        std::thread saver;
        if (saving) {
            saver = std::thread([&] {
                while (!done.load()) {
                    saves += Kolvex_SaveImage(camera.handle, png.c_str(), KOLVEX_FILE_PNG);
                    saves += Kolvex_SaveImage(camera.handle, jpeg.c_str(), KOLVEX_FILE_JPEG_70);
                }
            });
        }
        const int frames = camera.CountFrames(kSeconds);
        done = true;
        if (saver.joinable()) saver.join();
        const double fps = frames / kSeconds;
        if (!saving) UnsavedRate() = fps;
        state.counters["fps"] = fps;
        state.counters["saves"] = saves.load();
        if (saving && UnsavedRate() > 0) state.counters["of_unsaved"] = fps / UnsavedRate();
    }
    std::remove(png.c_str());
    std::remove(jpeg.c_str());
}

void BM_StopLatency(benchmark::State& state) {
    const int waitTime = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PreviewingCamera camera;
        if (!camera.Start(waitTime)) return state.SkipWithError("preview did not start");
        // Inside its pause (or its frame wait) by now.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto start = std::chrono::steady_clock::now();
        Kolvex_StopPreview(camera.handle);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

}  // namespace

BENCHMARK(BM_FramesWhileSaving)->Arg(0)->Arg(1)->ArgName("saving")->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_StopLatency)->Arg(10)->Arg(5000)->Arg(INT_MAX)->ArgName("wait_ms")->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
