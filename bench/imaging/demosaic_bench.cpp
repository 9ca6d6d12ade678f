// Demosaic at the sensor's full size, one thread, beside OpenCV's bilinear
// Bayer conversion of the same frame on one thread and, with the suffix
// /all_threads, on OpenCV's default number of threads.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "display/frame_bitmap.h"
#include "imaging/demosaic.h"
#include "imaging/simd_dispatch.h"

#if KOLVEX_BENCH_WITH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

constexpr int kWidth = 2048, kHeight = 1536;

void FillRandom(kvx::FrameBitmap& bitmap, uint32_t maxValue) {
    std::mt19937 random(7);
    for (int y = 0; y < bitmap.height(); ++y) {
        uint8_t* row = bitmap.bits() + static_cast<size_t>(y) * bitmap.stride();
        for (int x = 0; x < bitmap.width(); ++x) {
            const uint32_t v = random() % (maxValue + 1);
            if (bitmap.bitsPerPixel() == 8) {
                row[x] = static_cast<uint8_t>(v);
            } else {
                reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(v);
            }
        }
    }
}

// range(0): SIMD level, range(1): destination bits per pixel.
void BM_Demosaic(benchmark::State& state, bool deep) {
    const auto level = static_cast<kvx::SimdLevel>(state.range(0));
    if (!kvx::SimdLevelSupported(level)) {
        state.SkipWithError("instruction set not available");
        return;
    }
    const kvx::SimdLevel previous = kvx::SetSimdLevel(level);
    kvx::FrameBitmap raw, out;
    raw.Create(kWidth, kHeight, deep ? 16 : 8);
    out.Create(kWidth, kHeight, static_cast<int>(state.range(1)));
    FillRandom(raw, deep ? 4095 : 255);
    kvx::DemosaicParams params{0, 120, 100, 90};
    for (auto _ : state) {
        out.RunKernel(deep ? kvx::DemosaicInterior16 : kvx::DemosaicInterior8, &raw, nullptr, 0, 0, &params, 0);
        out.RunKernel(deep ? kvx::DemosaicBorder16 : kvx::DemosaicBorder8, &raw, nullptr, 0, 0, &params, 0);
        benchmark::DoNotOptimize(out.bits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetLabel(kvx::SimdLevelName(level));
    kvx::SetSimdLevel(previous);
}

// Levels by their number (labels name them): scalar 0, sse2 1, avx2 2, ssse3 3.
void Levels(benchmark::internal::Benchmark* b, int narrow, int wide) {
    for (int level = 0; level <= 3; ++level) {
        b->Args({level, narrow});
        b->Args({level, wide});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Demosaic, 8bit, false)->Apply([](auto* b) { Levels(b, 24, 32); });
BENCHMARK_CAPTURE(BM_Demosaic, 16bit, true)->Apply([](auto* b) { Levels(b, 48, 64); });

#if KOLVEX_BENCH_WITH_OPENCV
void OpenCvBayerToBgr(benchmark::State& state, bool deep, bool allThreads) {
    cv::setNumThreads(allThreads ? -1 : 1);
    cv::Mat raw(kHeight, kWidth, deep ? CV_16UC1 : CV_8UC1);
    cv::randu(raw, 0, deep ? 4096 : 256);
    cv::Mat out;
    for (auto _ : state) {
        cv::cvtColor(raw, out, cv::COLOR_BayerGB2BGR);
        benchmark::DoNotOptimize(out.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    cv::setNumThreads(1);
}
void BM_OpenCvBayerToBgr(benchmark::State& state, bool deep) { OpenCvBayerToBgr(state, deep, false); }
BENCHMARK_CAPTURE(BM_OpenCvBayerToBgr, 8bit, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenCvBayerToBgr, 16bit, true)->Unit(benchmark::kMillisecond);
const bool kAllThreadsRegistered = [] {
    for (const bool deep : {false, true}) {
        benchmark::RegisterBenchmark(deep ? "BM_OpenCvBayerToBgr/16bit/all_threads" : "BM_OpenCvBayerToBgr/8bit/all_threads",
                                     [deep](benchmark::State& state) { OpenCvBayerToBgr(state, deep, true); })
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();
#endif

}  // namespace
