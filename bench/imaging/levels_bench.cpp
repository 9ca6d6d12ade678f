// Every kernel that has a path per instruction set, at each level (scalar,
// SSE2, SSSE3, AVX2) beside the nearest OpenCV operation on one thread, as
// one row of a table per kernel and layout, all on one 2048 x 1536 frame.
//
// The cases of a row alternate, round after round, and each keeps its best
// round in thread CPU time: other work on the machine shows in wall time
// far more than in the thread's own time, and alternating lets every case
// meet the same state of the machine. Counters are milliseconds per frame;
// avx2:ssse3 and LEVEL:cv are ratios (below 1: the first is faster).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>

#include "imaging/color/hue_saturation.h"
#include "imaging/demosaic.h"
#include "imaging/simd_dispatch.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "tone_bench_frames.h"

#ifdef KOLVEX_BENCH_WITH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace kvx::bench {
namespace {

constexpr int kRounds = 9;

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

// `ours` runs the kernel at the active level; `opencv` may be empty.
void LevelRow(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& opencv) {
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double best[4] = {kNone, kNone, kNone, kNone}, yardstick = kNone;
    const SimdLevel previous = ActiveSimdLevel();
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            for (int i = 0; i < 4; ++i) {
                if (!SimdLevelSupported(kSimdLevels[i])) continue;
                SetSimdLevel(kSimdLevels[i]);
                KeepBest(best[i], ours);
            }
            SetSimdLevel(previous);
            if (opencv) KeepBest(yardstick, opencv);
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (best[i] == kNone) continue;
        const std::string name = SimdLevelName(kSimdLevels[i]);
        state.counters[name] = best[i];
        if (opencv && i > 0) state.counters[name + ":cv"] = best[i] / yardstick;
    }
    if (opencv) state.counters["opencv"] = yardstick;
    if (best[2] != kNone && best[3] != kNone) state.counters["avx2:ssse3"] = best[3] / best[2];
}

void Register(const std::string& name, std::function<void(benchmark::State&)> body) {
    benchmark::RegisterBenchmark(("BM_Levels/" + name).c_str(), std::move(body))->Iterations(1)->Unit(benchmark::kMillisecond);
}

#ifdef KOLVEX_BENCH_WITH_OPENCV
cv::Mat MatOf(BenchFrame& frame, int type) { return cv::Mat(kHeight, kWidth, type, frame.bytes.data(), size_t(frame.stride)); }
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
#endif

// One thread for OpenCV: the yardstick of a kernel that runs on one thread.
const bool kOneThread = [] {
#ifdef KOLVEX_BENCH_WITH_OPENCV
    cv::setNumThreads(1);
#endif
    return true;
}();

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
                         std::function<void()> opencv;
#ifdef KOLVEX_BENCH_WITH_OPENCV
                         cv::Mat bgr;
                         const cv::Mat mosaic = MatOf(raw, CvType(srcBytes));
                         const int code = outBytes == 3 ? cv::COLOR_BayerGB2BGR : cv::COLOR_BayerGB2BGRA;
                         opencv = [&] { cv::cvtColor(mosaic, bgr, code); };
#endif
                         LevelRow(state,
                                  [&] {
                                      Run(interior, out, raw, &params);
                                      Run(border, out, raw, &params);
                                  },
                                  opencv);
                     });
        }
    }
    return true;
}();

// OpenCV's nearest: BGR to HSV and back; 16-bit samples go down to 8 bits
// and back around it, as the kernel takes them.
const bool kHueRegistered = [] {
    for (const int mode : {2, 3, 4, 5}) {
        static const int kBytes[6] = {0, 0, 3, 4, 6, 8};
        const int bytes = kBytes[mode];
        Register("hue_saturation/" + std::to_string(8 * bytes), [=](benchmark::State& state) {
            BenchFrame src(bytes), dst(bytes);
            HueSaturationParams params{40, 0, 60, 12};
            std::function<void()> opencv;
#ifdef KOLVEX_BENCH_WITH_OPENCV
            const bool words = mode >= 4;
            const int channels = mode == 2 || mode == 4 ? 3 : 4;
            cv::Mat in = MatOf(src, CvType(bytes)), out = MatOf(dst, CvType(bytes)), narrow, hsv, back;
            opencv = [&, words, channels] {
                if (words) in.convertTo(narrow, CV_8U, 1.0 / 16);
                cv::cvtColor(words ? narrow : in, hsv, cv::COLOR_BGR2HSV);
                cv::cvtColor(hsv, words ? back : out, cv::COLOR_HSV2BGR, channels);
                if (words) back.convertTo(out, CV_16U, 16);
            };
#endif
            LevelRow(state, [&] { Run(kHueSaturationKernels[mode], dst, src, &params); }, opencv);
        });
    }
    return true;
}();

// Gray gains: a gain and an offset per site; OpenCV's nearest is one scale
// and offset for all samples.
const bool kGrayGainRegistered = [] {
    for (const int bits : {8, 16}) {
        Register("gray_gain/" + std::to_string(bits), [=](benchmark::State& state) {
            const bool words = bits == 16;
            BenchFrame src(words ? 2 : 1), dst(words ? 2 : 1);
            GrayGainParams params{1, 150, 128, 131, 170, 3, 0, -2, 5, words ? 12 : 8};
            std::function<void()> opencv;
#ifdef KOLVEX_BENCH_WITH_OPENCV
            const cv::Mat in = MatOf(src, CvType(src.bytesPerPixel));
            cv::Mat out = MatOf(dst, CvType(dst.bytesPerPixel));
            opencv = [&] { in.convertTo(out, -1, 1.17, 3); };
#endif
            LevelRow(state, [&] { Run(words ? GrayGain16 : GrayGain8, dst, src, &params); }, opencv);
        });
    }
    return true;
}();

// Sharpness: a 4x4 box blur and a weighted difference in OpenCV.
const bool kSharpnessRegistered = [] {
    for (const int mode : {0, 1, 2, 3, 4, 5}) {
        static const int kBytes[6] = {1, 2, 3, 4, 6, 8};
        const int bytes = kBytes[mode];
        Register("sharpness/" + std::to_string(8 * bytes), [=](benchmark::State& state) {
            BenchFrame src(bytes), dst(bytes);
            ToneParams params{15, 12};
            std::function<void()> opencv;
#ifdef KOLVEX_BENCH_WITH_OPENCV
            const cv::Mat in = MatOf(src, CvType(bytes));
            cv::Mat out = MatOf(dst, CvType(bytes)), blurred;
            opencv = [&] {
                cv::blur(in, blurred, cv::Size(4, 4));
                cv::addWeighted(in, 2.5, blurred, -1.5, 0, out);
            };
#endif
            LevelRow(state, [&] { Run(kSharpnessKernels[mode], dst, src, &params); }, opencv);
        });
    }
    return true;
}();

// Brightness on 16-bit samples is a scale (8-bit tone steps are table
// lookups with no path per level); OpenCV's nearest is a saturating scale.
const bool kBrightnessRegistered = [] {
    for (const int mode : {1, 4, 5}) {
        static const int kBytes[6] = {0, 2, 0, 0, 6, 8};
        const int bytes = kBytes[mode];
        Register("brightness/" + std::to_string(8 * bytes), [=](benchmark::State& state) {
            BenchFrame src(bytes), dst(bytes);
            ToneParams params{60, 12};
            std::function<void()> opencv;
#ifdef KOLVEX_BENCH_WITH_OPENCV
            const cv::Mat in = MatOf(src, CvType(bytes));
            cv::Mat out = MatOf(dst, CvType(bytes));
            opencv = [&] { in.convertTo(out, -1, 1.5); };
#endif
            LevelRow(state, [&] { Run(kBrightnessKernels[mode], dst, src, &params); }, opencv);
        });
    }
    return true;
}();

}  // namespace
}  // namespace kvx::bench
