// ConvertFrame per colour mode at the sensor's full size, with every control
// neutral and with every control active: on one thread, and with the suffix
// /all_threads on the pool every camera shares (one thread per core unless
// KOLVEX_THREADS says otherwise).
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>

#include "display/frame_bitmap.h"
#include "imaging/convert_frame.h"
#include "platform/worker_pool.h"

namespace {

constexpr int kWidth = 2048, kHeight = 1536;

class FixedSensor : public kvx::ExposureDevice {
public:
    int GetGain() override { return 64; }
    int GetMaxGain() override { return 255; }
    int GetExposureLines() override { return 1000; }
    int GetMaxExposureLines() override { return 65535; }
    void ApplyGain(int) override {}
    void ApplyExposureLines(int) override {}
};

class NoDialog : public kvx::ImageDialogRefresh {
public:
    void GainsChanged() override {}
};

void ConvertFrameOn(benchmark::State& state, int mode, bool active, kvx::platform::WorkerPool* pool) {
    static const int depths[6] = {8, 16, 24, 32, 48, 64};
    std::array<std::unique_ptr<kvx::FrameBitmap>, 6> bitmaps;
    kvx::ConversionBitmaps set;
    for (int m = 0; m < 6; ++m) {
        bitmaps[m] = std::make_unique<kvx::FrameBitmap>();
        bitmaps[m]->Create(kWidth, kHeight, depths[m]);
        set.byMode[m] = bitmaps[m].get();
    }
    kvx::FrameBitmap copy;
    copy.CreateLike(bitmaps[mode].get());
    set.outputCopy = &copy;
    std::mt19937 random(3);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row8 = set.byMode[0]->bits() + static_cast<size_t>(y) * set.byMode[0]->stride();
        auto* row16 = reinterpret_cast<uint16_t*>(set.byMode[1]->bits() + static_cast<size_t>(y) * set.byMode[1]->stride());
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t v = 600 + random() % 2800;
            row8[x] = static_cast<uint8_t>(v >> 4);
            row16[x] = static_cast<uint16_t>(v);
        }
    }
    std::array<int32_t, kvx::kFilterBlockSize> filter{};
    filter[kvx::kGamma] = 100;
    filter[kvx::kBayerGainRed] = filter[kvx::kBayerGainGreen] = filter[kvx::kBayerGainBlue] = 100;
    for (int i = kvx::kGrayGainR; i <= kvx::kGrayGainB; ++i) filter[i] = 128;
    kvx::ConversionControls controls;
    controls.filter = filter.data();
    controls.pool = pool;
    controls.colorMode = mode;
    if (active) {
        filter[kvx::kBrightness] = 20;
        filter[kvx::kContrast] = 10;
        filter[kvx::kHue] = 30;
        filter[kvx::kSaturation] = 40;
        filter[kvx::kSharpness] = 15;
        filter[kvx::kGamma] = 120;
        filter[kvx::kGrayMode] = 1;
        filter[kvx::kGrayGainR] = 140;
        controls.autoExposure = kvx::kAutoExposureByGain;
    }
    FixedSensor sensor;
    NoDialog dialog;
    // The raw frame is converted in place in the gray modes; the benchmark
    // measures the steady state of converting the same memory every frame.
    for (auto _ : state) {
        if (active) filter[kvx::kAutoWhiteBalance] = 1;
        kvx::ConvertFrame(controls, set, &sensor, &dialog);
        benchmark::DoNotOptimize(set.byMode[mode]->bits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_ConvertFrame(benchmark::State& state) {
    static kvx::platform::WorkerPool oneThread(1);
    ConvertFrameOn(state, static_cast<int>(state.range(0)), state.range(1) != 0, &oneThread);
}

BENCHMARK(BM_ConvertFrame)
    ->ArgNames({"mode", "active"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

const bool kAllThreadsRegistered = [] {
    for (int active = 0; active < 2; ++active) {
        for (int mode = 0; mode < 6; ++mode) {
            const std::string name = "BM_ConvertFrame/mode:" + std::to_string(mode) +
                                     "/active:" + std::to_string(active) + "/all_threads";
            benchmark::RegisterBenchmark(name.c_str(), [mode, active](benchmark::State& state) {
                ConvertFrameOn(state, mode, active != 0, &kvx::platform::SharedWorkerPool());
            })->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace
