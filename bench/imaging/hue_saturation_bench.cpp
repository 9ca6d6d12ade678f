// Hue and saturation at 2048 x 1536 beside OpenCV's BGR -> HSV -> BGR round
// trip, on one thread and (suffix /all_threads) on OpenCV's default threads.
#include <benchmark/benchmark.h>

#include "imaging/color/hue_saturation.h"
#include "imaging/simd_dispatch.h"
#include "tone_bench_frames.h"

#ifdef KOLVEX_BENCH_WITH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace kvx::bench {
namespace {

const int kBytesPerPixel[6] = {0, 0, 3, 4, 6, 8};

// state.range(0): colour mode 2..5; state.range(1): SIMD level.
void BM_HueSaturation(benchmark::State& state) {
    const int mode = int(state.range(0));
    const SimdLevel previous = SetSimdLevel(SimdLevel(state.range(1)));
    state.SetLabel(SimdLevelName(ActiveSimdLevel()));
    const BenchFrame src(kBytesPerPixel[mode]);
    BenchFrame dst(kBytesPerPixel[mode]);
    HueSaturationParams params{40, 0, 60, 12};
    for (auto _ : state) {
        Run(kHueSaturationKernels[mode], dst, src, &params);
        benchmark::DoNotOptimize(dst.bytes.data());
        benchmark::ClobberMemory();
    }
    SetSimdLevel(previous);
}
void ModesAndLevels(benchmark::internal::Benchmark* b) {
    for (int mode = 2; mode < 6; ++mode)
        for (int level : {0, 1, 2, 3})
            if (SimdLevelSupported(SimdLevel(level))) b->Args({mode, level});
}
BENCHMARK(BM_HueSaturation)->Apply(ModesAndLevels)->Unit(benchmark::kMillisecond);

#ifdef KOLVEX_BENCH_WITH_OPENCV
void OpenCvHsvRoundTrip(benchmark::State& state, bool allThreads) {
    cv::setNumThreads(allThreads ? -1 : 1);
    BenchFrame frame(3);
    const cv::Mat src(kHeight, kWidth, CV_8UC3, frame.bytes.data(), size_t(frame.stride));
    cv::Mat hsv(kHeight, kWidth, CV_8UC3), dst(kHeight, kWidth, CV_8UC3);
    for (auto _ : state) {
        cv::cvtColor(src, hsv, cv::COLOR_BGR2HSV);
        cv::cvtColor(hsv, dst, cv::COLOR_HSV2BGR);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    cv::setNumThreads(1);
}
void BM_OpenCvHsvRoundTrip(benchmark::State& state) { OpenCvHsvRoundTrip(state, false); }
BENCHMARK(BM_OpenCvHsvRoundTrip)->Unit(benchmark::kMillisecond);
const bool kAllThreadsRegistered = [] {
    benchmark::RegisterBenchmark("BM_OpenCvHsvRoundTrip/all_threads",
                                 [](benchmark::State& state) { OpenCvHsvRoundTrip(state, true); })
        ->Unit(benchmark::kMillisecond);
    return true;
}();
#endif

}  // namespace
}  // namespace kvx::bench
