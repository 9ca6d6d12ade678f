// Still images of a full 2048 x 1536 frame by format beside OpenCV's
// imwrite of the same picture with the same settings, followed by the same
// durability steps as our save: the file synced, renamed over the
// destination, the folder synced.
//
// The two alternate, round after round, and each keeps its best wall time
// (disk and page cache are part of the work), and its best thread CPU
// time beside it (_cpu), which other work on the machine disturbs less.
// Counters, in milliseconds: ours (the whole save), cv (imwrite and the
// durability steps), cv_write (imwrite alone), sync (the durability steps
// alone), and the ratios ours:cv and ours:cv_cpu; same tells whether the
// two files are identical byte for byte (1), hold the same pixels only
// (0.5, decoded by imread) or differ (0).
#include <benchmark/benchmark.h>

#ifdef KOLVEX_BENCH_WITH_OPENCV
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "display/frame_bitmap.h"
#include "output/still_image.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 9;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("kolvex-bench-" + name)).string();
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

bool Sync(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// What our save does after the encoder: the file to disk, the rename, the
// folder to disk.
bool MakeDurable(const std::string& written, const std::string& destination) {
    const std::string folder = std::filesystem::path(destination).parent_path().string();
    return Sync(written, O_RDONLY) && std::rename(written.c_str(), destination.c_str()) == 0 &&
           Sync(folder, O_RDONLY | O_DIRECTORY);
}

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A picture with real structure (gradients, edges and a little noise), so
// that JPEG does its usual work.
const kvx::FrameBitmap& Frame(int bits) {
    static kvx::FrameBitmap frames[2];
    kvx::FrameBitmap& frame = frames[bits == 8 ? 0 : 1];
    if (frame.empty()) {
        frame.Create(2048, 1536, bits);
        uint32_t noise = 12345;
        for (int y = 0; y < frame.height(); ++y) {
            uint8_t* row = frame.bits() + static_cast<size_t>(y) * frame.stride();
            for (int x = 0; x < frame.width(); ++x) {
                for (int c = 0; c < frame.bytesPerPixel(); ++c) {
                    noise = noise * 1103515245u + 12345u;
                    const int v = ((x * (c + 1) + y * (3 - c)) / 4 + ((x / 64 + y / 64) % 2) * 40) % 256;
                    row[x * frame.bytesPerPixel() + c] = static_cast<uint8_t>(std::min(255, v + int(noise >> 29)));
                }
            }
        }
    }
    return frame;
}

struct Still {
    const char* name;
    int format;
    const char* extension;
    std::vector<int> params;  // imwrite's for the same file
};

void BM_Still(benchmark::State& state, const Still& still, int bits) {
    const kvx::FrameBitmap& frame = Frame(bits);
    const cv::Mat picture(frame.height(), frame.width(), bits == 8 ? CV_8UC1 : CV_8UC3,
                          const_cast<uint8_t*>(frame.bits()), static_cast<size_t>(frame.stride()));
    const std::string ours = TempFile(std::string("ours.") + still.extension);
    const std::string theirs = TempFile(std::string("cv.") + still.extension);
    const std::string theirsWriting = TempFile(std::string("cv-writing.") + still.extension);
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double best[4] = {kNone, kNone, kNone, kNone};  // ours, cv, cv_write, sync
    double bestCpu[2] = {kNone, kNone};             // ours, cv
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            auto start = Clock::now();
            double cpu = ThreadCpuMs();
            if (!kvx::SaveFrameFile(ours.c_str(), &frame, still.format, 12)) state.SkipWithError("save failed");
            best[0] = std::min(best[0], MsSince(start));
            bestCpu[0] = std::min(bestCpu[0], ThreadCpuMs() - cpu);

            start = Clock::now();
            cpu = ThreadCpuMs();
            if (!cv::imwrite(theirsWriting, picture, still.params)) state.SkipWithError("imwrite failed");
            const double written = MsSince(start);
            const auto syncStart = Clock::now();
            if (!MakeDurable(theirsWriting, theirs)) state.SkipWithError("sync failed");
            const double synced = MsSince(syncStart);
            bestCpu[1] = std::min(bestCpu[1], ThreadCpuMs() - cpu);
            best[1] = std::min(best[1], written + synced);
            best[2] = std::min(best[2], written);
            best[3] = std::min(best[3], synced);
        }
    }
    double same = 0;
    if (ReadAll(ours) == ReadAll(theirs)) {
        same = 1;
    } else {
        const cv::Mat a = cv::imread(ours, cv::IMREAD_UNCHANGED), b = cv::imread(theirs, cv::IMREAD_UNCHANGED);
        if (!a.empty() && a.size == b.size && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0) same = 0.5;
    }
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    state.counters["ours"] = best[0];
    state.counters["cv"] = best[1];
    state.counters["cv_write"] = best[2];
    state.counters["sync"] = best[3];
    state.counters["ours:cv"] = best[0] / best[1];
    state.counters["ours_cpu"] = bestCpu[0];
    state.counters["cv_cpu"] = bestCpu[1];
    state.counters["ours:cv_cpu"] = bestCpu[0] / bestCpu[1];
    state.counters["same"] = same;
}

const bool kRegistered = [] {
    static const Still stills[] = {
        {"bmp", kvx::kStillBmp, "bmp", {}},
        {"jpeg70", kvx::kStillJpegGood, "jpg", {cv::IMWRITE_JPEG_QUALITY, 70, cv::IMWRITE_JPEG_PROGRESSIVE, 1}},
        {"jpeg100", kvx::kStillJpegBest, "jpg", {cv::IMWRITE_JPEG_QUALITY, 100, cv::IMWRITE_JPEG_PROGRESSIVE, 1}},
        {"tiff", kvx::kStillTiff, "tif", {cv::IMWRITE_TIFF_COMPRESSION, 1}},
    };
    for (const Still& still : stills) {
        for (const int bits : {24, 8}) {
            const std::string name = std::string("BM_Still/") + still.name + "/" + std::to_string(bits);
            benchmark::RegisterBenchmark(name.c_str(), [&still, bits](benchmark::State& state) {
                BM_Still(state, still, bits);
            })->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
        }
    }
    return true;
}();

}  // namespace
#endif
