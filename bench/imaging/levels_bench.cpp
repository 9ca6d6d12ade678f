// Every kernel that has a path per instruction set, at each level (scalar,
// SSE2, SSSE3, AVX2) beside the nearest OpenCV operation on one thread, as
// one row of a table per kernel and layout, all on one 2048 x 1536 frame.
//
// The cases of a row alternate, round after round, and each keeps its best
// round in thread CPU time: other work on the machine shows in wall time
// far more than in the thread's own time, and alternating lets every case
// meet the same state of the machine. Counters are milliseconds per frame;
// avx2:ssse3 and LEVEL:cv are ratios (below 1: the first is faster). The
// table needs OpenCV (scripts/setup --bench).
#include <benchmark/benchmark.h>

#ifdef KOLVEX_BENCH_WITH_OPENCV
#include <time.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/color/hue_saturation.h"
#include "imaging/demosaic.h"
#include "imaging/simd_dispatch.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "tone_bench_frames.h"

namespace kvx::bench {
namespace {

// At least this many rounds, and more while a row has spent less than
// kRowCpuMs: best-of-N needs more rounds where a round is short.
constexpr int kRounds = 9, kMaxRounds = 200;
constexpr double kRowCpuMs = 500;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <class Body>
void KeepBest(double& best, Body&& body) {
    const double start = ThreadCpuMs();
    body();
    best = std::min(best, ThreadCpuMs() - start);
}

// `ours` runs the kernel at the active level.
void LevelRow(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& opencv) {
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double best[4] = {kNone, kNone, kNone, kNone}, yardstick = kNone;
    const SimdLevel previous = ActiveSimdLevel();
    const double started = ThreadCpuMs();
    for (auto _ : state) {
        for (int round = 0; round < kMaxRounds && (round < kRounds || ThreadCpuMs() - started < kRowCpuMs); ++round) {
            for (int i = 0; i < 4; ++i) {
                if (!SimdLevelSupported(kSimdLevels[i])) continue;
                SetSimdLevel(kSimdLevels[i]);
                KeepBest(best[i], ours);
            }
            SetSimdLevel(previous);
            KeepBest(yardstick, opencv);
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (best[i] == kNone) continue;
        const std::string name = SimdLevelName(kSimdLevels[i]);
        state.counters[name] = best[i];
        if (i > 0) state.counters[name + ":cv"] = best[i] / yardstick;
    }
    state.counters["opencv"] = yardstick;
    if (best[2] != kNone && best[3] != kNone) state.counters["avx2:ssse3"] = best[3] / best[2];
}

void Register(const std::string& name, std::function<void(benchmark::State&)> body) {
    benchmark::RegisterBenchmark(("BM_Levels/" + name).c_str(), std::move(body))
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

cv::Mat MatOf(BenchFrame& frame, int type) {
    return cv::Mat(kHeight, kWidth, type, frame.bytes.data(), size_t(frame.stride));
}

int CvType(int bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1: return CV_8UC1;
        case 2: return CV_16UC1;
        case 3: return CV_8UC3;
        case 4: return CV_8UC4;
        case 6: return CV_16UC3;
        default: return CV_16UC4;
    }
}

// One thread for OpenCV: the yardstick of a kernel that runs on one thread.
const bool kOneThread = [] {
    cv::setNumThreads(1);
    return true;
}();

// OpenCV's operation from one picture into another of the same layout; it
// may keep scratch pictures of its own between calls.
using CvStep = std::function<void(const cv::Mat& in, cv::Mat& out)>;

// A kernel from one frame into another of the same layout, beside `step`.
template <class Params>
void RegisterSameLayout(const std::string& name, int bytes, PixelKernel kernel, Params params, CvStep step) {
    Register(name + "/" + std::to_string(8 * bytes), [=](benchmark::State& state) {
        BenchFrame src(bytes), dst(bytes);
        Params argument = params;
        const cv::Mat in = MatOf(src, CvType(bytes));
        cv::Mat out = MatOf(dst, CvType(bytes));
        LevelRow(state, [&] { Run(kernel, dst, src, &argument); }, [&] { step(in, out); });
    });
}

const bool kDemosaicRegistered = [] {
    for (const int bits : {8, 16}) {
        for (const int outBytes : {3, 4}) {
            const int srcBytes = bits / 8, dstBytes = outBytes * srcBytes;
            Register("demosaic/" + std::to_string(bits) + "to" + std::to_string(8 * dstBytes),
                     [=](benchmark::State& state) {
                         BenchFrame raw(srcBytes), out(dstBytes);
                         DemosaicParams params{0, 120, 100, 90};
                         const PixelKernel interior = bits == 8 ? DemosaicInterior8 : DemosaicInterior16;
                         const PixelKernel border = bits == 8 ? DemosaicBorder8 : DemosaicBorder16;
                         cv::Mat bgr;
                         const cv::Mat mosaic = MatOf(raw, CvType(srcBytes));
                         const int code = outBytes == 3 ? cv::COLOR_BayerGB2BGR : cv::COLOR_BayerGB2BGRA;
                         LevelRow(
                             state,
                             [&] {
                                 Run(interior, out, raw, &params);
                                 Run(border, out, raw, &params);
                             },
                             [&] { cv::cvtColor(mosaic, bgr, code); });
                     });
        }
    }
    return true;
}();

const bool kSameLayoutRegistered = [] {
    // Hue and saturation beside BGR to HSV and back; 16-bit samples go down
    // to 8 bits and back around it, as the kernel takes them.
    for (const int mode : {2, 3, 4, 5}) {
        const bool words = mode >= 4;
        const int channels = mode == 2 || mode == 4 ? 3 : 4;
        RegisterSameLayout("hue_saturation", words ? 2 * channels : channels, kHueSaturationKernels[mode],
                           HueSaturationParams{40, 0, 60, 12},
                           [words, channels, narrow = cv::Mat(), hsv = cv::Mat(),
                            back = cv::Mat()](const cv::Mat& in, cv::Mat& out) mutable {
                               if (words) in.convertTo(narrow, CV_8U, 1.0 / 16);
                               cv::cvtColor(words ? narrow : in, hsv, cv::COLOR_BGR2HSV);
                               cv::cvtColor(hsv, words ? back : out, cv::COLOR_HSV2BGR, channels);
                               if (words) back.convertTo(out, CV_16U, 16);
                           });
    }
    // Gray gains, a gain and an offset per site, beside one scale and offset
    // for all samples.
    RegisterSameLayout("gray_gain", 1, GrayGain8, GrayGainParams{1, 150, 128, 131, 170, 3, 0, -2, 5, 8},
                       [](const cv::Mat& in, cv::Mat& out) { in.convertTo(out, -1, 1.17, 3); });
    RegisterSameLayout("gray_gain", 2, GrayGain16, GrayGainParams{1, 150, 128, 131, 170, 3, 0, -2, 5, 12},
                       [](const cv::Mat& in, cv::Mat& out) { in.convertTo(out, -1, 1.17, 3); });
    // Sharpness beside a 4x4 box blur and a weighted difference.
    for (const int mode : {0, 1, 2, 3, 4, 5}) {
        static const int kBytes[6] = {1, 2, 3, 4, 6, 8};
        RegisterSameLayout("sharpness", kBytes[mode], kSharpnessKernels[mode], ToneParams{15, 12},
                           [blurred = cv::Mat()](const cv::Mat& in, cv::Mat& out) mutable {
                               cv::blur(in, blurred, cv::Size(4, 4));
                               cv::addWeighted(in, 2.5, blurred, -1.5, 0, out);
                           });
    }
    // Brightness on 16-bit samples is a scale (8-bit tone steps are table
    // lookups with no path per level), beside a saturating scale.
    for (const int mode : {1, 4, 5}) {
        static const int kBytes[6] = {0, 2, 0, 0, 6, 8};
        RegisterSameLayout("brightness", kBytes[mode], kBrightnessKernels[mode], ToneParams{60, 12},
                           [](const cv::Mat& in, cv::Mat& out) { in.convertTo(out, -1, 1.5); });
    }
    return true;
}();

}  // namespace
}  // namespace kvx::bench
#endif
