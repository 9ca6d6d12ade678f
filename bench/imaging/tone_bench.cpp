// Tone kernels at 2048 x 1536, each beside the nearest OpenCV operation on
// the same frame: cv::LUT for the table-driven steps and gray gains, a 4x4
// cv::blur plus cv::addWeighted for sharpness.
#include <benchmark/benchmark.h>

#include "imaging/simd_dispatch.h"
#include "imaging/tone/auto_exposure.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "tone_bench_frames.h"

#include <string>
#include <vector>

#ifdef KOLVEX_BENCH_WITH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace kvx::bench {
namespace {

const int kBytesPerPixel[6] = {1, 2, 3, 4, 6, 8};

// state.range(0): colour mode; state.range(1): SIMD level.
void RunToneStep(benchmark::State& state, const PixelKernel* kernels, int value) {
    const int mode = int(state.range(0));
    const SimdLevel previous = SetSimdLevel(SimdLevel(state.range(1)));
    state.SetLabel(SimdLevelName(ActiveSimdLevel()));
    const BenchFrame src(kBytesPerPixel[mode]);
    BenchFrame dst(kBytesPerPixel[mode]);
    ToneParams params{value, 12};
    for (auto _ : state) {
        Run(kernels[mode], dst, src, &params);
        benchmark::DoNotOptimize(dst.bytes.data());
        benchmark::ClobberMemory();
    }
    SetSimdLevel(previous);
}

void BM_Gamma(benchmark::State& state) { RunToneStep(state, kGammaKernels.data(), 150); }
void BM_Contrast(benchmark::State& state) { RunToneStep(state, kContrastKernels.data(), 40); }
void BM_Brightness(benchmark::State& state) { RunToneStep(state, kBrightnessKernels.data(), 60); }
void BM_Sharpness(benchmark::State& state) { RunToneStep(state, kSharpnessKernels.data(), 15); }

void ModesAndLevels(benchmark::internal::Benchmark* b) {
    for (int mode = 0; mode < 6; ++mode)
        for (int level : {0, 1, 2, 3})
            if (SimdLevelSupported(SimdLevel(level))) b->Args({mode, level});
}
void EveryModeBestLevel(benchmark::internal::Benchmark* b) {
    int best = 0;
    for (int level : {1, 2})
        if (SimdLevelSupported(SimdLevel(level))) best = level;
    for (int mode : {0, 1, 2, 3, 4, 5}) b->Args({mode, best});
}

BENCHMARK(BM_Gamma)->Apply(EveryModeBestLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Contrast)->Apply(EveryModeBestLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Brightness)->Apply(EveryModeBestLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpness)->Apply(ModesAndLevels)->Unit(benchmark::kMillisecond);

// state.range(0): 0 = 8-bit, 1 = 16-bit; state.range(1): SIMD level.
void BM_GrayGain(benchmark::State& state) {
    const bool words = state.range(0) == 1;
    const SimdLevel previous = SetSimdLevel(SimdLevel(state.range(1)));
    state.SetLabel(SimdLevelName(ActiveSimdLevel()));
    const BenchFrame src(words ? 2 : 1);
    BenchFrame dst(words ? 2 : 1);
    GrayGainParams params{1, 150, 128, 131, 170, 3, 0, -2, 5, words ? 12 : 8};
    for (auto _ : state) {
        Run(words ? GrayGain16 : GrayGain8, dst, src, &params);
        benchmark::DoNotOptimize(dst.bytes.data());
        benchmark::ClobberMemory();
    }
    SetSimdLevel(previous);
}
BENCHMARK(BM_GrayGain)->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

void BM_GrayBalance(benchmark::State& state) {
    const bool words = state.range(0) == 1;
    const BenchFrame src(words ? 2 : 1);
    BenchFrame dst(words ? 2 : 1);
    for (auto _ : state) {
        GrayGainParams params{1, 128, 128, 128, 128, 0, 0, 0, 0, words ? 12 : 8};
        Run(words ? GrayBalance16 : GrayBalance8, dst, src, &params);
        benchmark::DoNotOptimize(params);
    }
}
BENCHMARK(BM_GrayBalance)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_AutoExposureRegions(benchmark::State& state) {
    const bool words = state.range(0) == 1;
    const BenchFrame src(words ? 2 : 1);
    for (auto _ : state) {
        std::array<int, kAutoExposureRegionCount> means{};
        const auto regions = AutoExposureRegions(kWidth, kHeight);
        for (int i = 0; i < kAutoExposureRegionCount; ++i)
            means[i] = (words ? RegionMean16 : RegionMean8)(nullptr, src.bytes.data(), ToMemoryRows(regions[i], kHeight),
                                                            0, 0, src.bytesPerPixel, src.bytesPerPixel, src.stride,
                                                            src.stride, nullptr, 12);
        benchmark::DoNotOptimize(AutoExposureFactor(means));
    }
}
BENCHMARK(BM_AutoExposureRegions)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

#ifdef KOLVEX_BENCH_WITH_OPENCV
int CvType(int mode) {
    const int types[6] = {CV_8UC1, CV_16UC1, CV_8UC3, CV_8UC4, CV_16UC3, CV_16UC4};
    return types[mode];
}

// The OpenCV yardsticks for the 8-bit modes 0, 2, 3 (state.range(0)).
void OpenCvLut(benchmark::State& state, int mode, bool allThreads) {
    cv::setNumThreads(allThreads ? -1 : 1);
    BenchFrame frame(kBytesPerPixel[mode]);
    const cv::Mat src(kHeight, kWidth, CvType(mode), frame.bytes.data(), size_t(frame.stride));
    cv::Mat dst(kHeight, kWidth, CvType(mode));
    cv::Mat lut(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i) lut.at<uint8_t>(i) = uint8_t(255 - i);
    for (auto _ : state) {
        cv::LUT(src, lut, dst);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    cv::setNumThreads(1);
}
void BM_OpenCvLut(benchmark::State& state) { OpenCvLut(state, int(state.range(0)), false); }
BENCHMARK(BM_OpenCvLut)->Arg(0)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void OpenCvBlurAddWeighted(benchmark::State& state, int mode, bool allThreads) {
    cv::setNumThreads(allThreads ? -1 : 1);
    BenchFrame frame(kBytesPerPixel[mode]);
    const cv::Mat src(kHeight, kWidth, CvType(mode), frame.bytes.data(), size_t(frame.stride));
    cv::Mat blurred(kHeight, kWidth, CvType(mode)), dst(kHeight, kWidth, CvType(mode));
    for (auto _ : state) {
        cv::blur(src, blurred, cv::Size(4, 4));
        cv::addWeighted(src, 2.5, blurred, -1.5, 0, dst);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    cv::setNumThreads(1);
}
void BM_OpenCvBlurAddWeighted(benchmark::State& state) { OpenCvBlurAddWeighted(state, int(state.range(0)), false); }
BENCHMARK(BM_OpenCvBlurAddWeighted)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// cv::LUT takes 8-bit samples only; for the 16-bit modes (1, 4, 5) the
// nearest per-sample operation is a saturating scale.
void OpenCvScale16(benchmark::State& state, int mode, bool allThreads) {
    cv::setNumThreads(allThreads ? -1 : 1);
    BenchFrame frame(kBytesPerPixel[mode]);
    const cv::Mat src(kHeight, kWidth, CvType(mode), frame.bytes.data(), size_t(frame.stride));
    cv::Mat dst(kHeight, kWidth, CvType(mode));
    for (auto _ : state) {
        src.convertTo(dst, -1, 1.5);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    cv::setNumThreads(1);
}
void BM_OpenCvScale16(benchmark::State& state) { OpenCvScale16(state, int(state.range(0)), false); }
BENCHMARK(BM_OpenCvScale16)->Arg(1)->Arg(4)->Arg(5)->Unit(benchmark::kMillisecond);

// The same yardsticks on OpenCV's default number of threads.
const bool kAllThreadsRegistered = [] {
    using Yardstick = void (*)(benchmark::State&, int, bool);
    const struct {
        const char* name;
        Yardstick run;
        std::vector<int> modes;
    } yardsticks[] = {{"BM_OpenCvLut", OpenCvLut, {0, 2, 3}},
                      {"BM_OpenCvBlurAddWeighted", OpenCvBlurAddWeighted, {0, 1, 2, 3, 4, 5}},
                      {"BM_OpenCvScale16", OpenCvScale16, {1, 4, 5}}};
    for (const auto& y : yardsticks) {
        for (int mode : y.modes) {
            const std::string name = std::string(y.name) + "/" + std::to_string(mode) + "/all_threads";
            const Yardstick run = y.run;
            benchmark::RegisterBenchmark(name.c_str(), [run, mode](benchmark::State& state) { run(state, mode, true); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();
#endif

}  // namespace
}  // namespace kvx::bench
