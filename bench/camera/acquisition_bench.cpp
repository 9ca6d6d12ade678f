// Frames delivered to the application's buffer through callback preview at
// 2048 x 1536 on the virtual camera in fast mode, per colour mode, beside
// what the device alone delivers (WaitFrame/ReadFrame) in the same run.
//
// Counters: fps (frames a second), of_device (that rate over the device's
// rate at the same depth), worker_ms (time per frame the worker spends
// outside WaitFrame: read, conversion, copy) and worker_share (worker_ms
// over the device's frame period: above 1 the worker, not the device,
// limits the rate).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"
#include "sim/camera_table.h"

namespace {

using kvx::CKolvex410QFXZQPSdk;

// A settings store and a device table of this run's own, and one fast
// virtual camera, before anything reads them.
const bool g_environment = [] {
    const std::string tag = std::to_string(getpid());
    setenv("KOLVEX_SETTINGS_FILE", ("/tmp/kolvex-bench-camera-" + tag + ".reg").c_str(), 1);
    kvx::CKolvex::SetSharedTableNameForTesting("KolvexBenchTable" + tag);
    kvx::sim::UnplugAll();
    kvx::sim::CameraOptions options;
    options.fastFrames = true;
    kvx::sim::Plug(0, options);
    return true;
}();

bool SixteenBit(int mode) { return mode == 1 || mode == 4 || mode == 5; }

// Device frames a second per depth, measured by BM_DeviceOnly.
std::map<int, double>& DeviceRates() {
    static std::map<int, double> rates;
    return rates;
}

void BM_DeviceOnly(benchmark::State& state) {
    const int sixteen = static_cast<int>(state.range(0));
    static CKolvex410QFXZQPSdk* device = new CKolvex410QFXZQPSdk;
    device->SetSixteenBit(sixteen);
    device->SetFrameGeometry(0, 0, 2048, 1536, 0);
    std::vector<uint8_t> frame(static_cast<size_t>(device->width()) * device->height() * device->bytesPerPixel());
    if (device->StartTransfer() != 0) return state.SkipWithError("transfer did not start");
    int64_t frames = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        int result;
        while ((result = device->WaitFrame()) == 2) {
        }
        if (result != 3) {
            state.SkipWithError("transfer failed");
            break;
        }
        device->ReadFrame(frame.data());
        ++frames;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    device->StopTransfer();
    const double fps = seconds > 0 ? frames / seconds : 0;
    DeviceRates()[sixteen] = fps;
    state.counters["fps"] = fps;
}

void StoreFormat(int mode) {
    const std::string camera = kvx::settings::CameraKeyPath(0);
    auto key = kvx::platform::SettingsKey::Open(camera, kvx::platform::SettingsKey::Access::Write);
    key->WriteDword("Size", 0);
    key->WriteDword("Color", static_cast<uint32_t>(mode));
    key->WriteDword("SubSample", 0);
    key->WriteDword("WaitTime", 0);
    key->WriteDword("Clock", 0);
    auto size = kvx::platform::SettingsKey::Open(camera + "\\Size_00", kvx::platform::SettingsKey::Access::Write);
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    const uint32_t values[] = {2048, 1536, 2048, 1536, 0, 0, 4};
    for (int i = 0; i < 7; ++i) size->WriteDword(names[i], values[i]);
}

void BM_CallbackPreview(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    StoreFormat(mode);
    const int handle = Kolvex_Initialize(nullptr);
    auto camera = kvx::SdkChain().Lookup(handle);
    Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    static const int kBytes[] = {1, 2, 3, 4, 6, 8};
    std::vector<uint8_t> buffer(static_cast<size_t>(2048) * 1536 * kBytes[mode]);
    int window = 0;  // any address will do as a mailbox key
    if (!camera || !Kolvex_CallBackPreview(handle, &window, buffer.data(), static_cast<int>(buffer.size()), 0)) {
        Kolvex_Release(handle);
        return state.SkipWithError("callback preview did not start");
    }
    // Settle: the first frames of a run pay for the first touches of memory.
    KolvexMessage message;
    for (int i = 0; i < 3;) i += KolvexLinux_WaitMessage(&window, 10000, &message) && message.wParam ? 1 : 0;
    // Only frames announced from here on count: a backlog would read as speed.
    while (KolvexLinux_WaitMessage(&window, 0, &message)) {
    }
    const int64_t framesBefore = camera->workerFrames(), busyBefore = camera->workerBusyNanoseconds();
    int64_t frames = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!KolvexLinux_WaitMessage(&window, 10000, &message)) {
            state.SkipWithError("no frame within 10 s");
            break;
        }
        frames += message.wParam != 0 ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int64_t workerFrames = camera->workerFrames() - framesBefore;
    const double workerMs = workerFrames ? (camera->workerBusyNanoseconds() - busyBefore) / 1e6 / workerFrames : 0;
    Kolvex_StopPreview(handle);
    Kolvex_Release(handle);
    while (KolvexLinux_WaitMessage(&window, 0, &message)) {
    }
    const double fps = seconds > 0 ? frames / seconds : 0;
    const double deviceFps = DeviceRates()[SixteenBit(mode) ? 1 : 0];
    state.counters["fps"] = fps;
    state.counters["worker_fps"] = seconds > 0 ? workerFrames / seconds : 0;
    state.counters["worker_ms"] = workerMs;
    if (deviceFps > 0) {
        state.counters["of_device"] = fps / deviceFps;
        state.counters["worker_share"] = workerMs / (1000.0 / deviceFps);
    }
    state.SetLabel("mode " + std::to_string(mode));
}

}  // namespace

BENCHMARK(BM_DeviceOnly)->Arg(0)->Arg(1)->ArgName("sixteen")->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallbackPreview)->Arg(0)->Arg(2)->Arg(4)->ArgName("mode")->Iterations(120)->UseRealTime()->Unit(benchmark::kMillisecond);
