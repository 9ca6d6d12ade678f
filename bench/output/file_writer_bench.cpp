// Writing a full 2048 x 1536 frame in every still format, from 24- and
// 48-bit bitmaps, each set against a plain fwrite of the same pixel bytes
// timed beside it (counter x_fwrite); and the AVI frame append rate.
// Files go to the system's temporary directory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "display/frame_bitmap.h"
#include "output/avi_file.h"
#include "output/avi_frame_conversion.h"
#include "output/still_image.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("kolvex-bench-" + name)).string();
}

// A picture with real structure (gradients and edges), so that the
// compressing formats do their usual work; 16-bit samples within 12 bits.
const kvx::FrameBitmap& Frame(int bits) {
    static std::map<int, kvx::FrameBitmap*> frames;
    kvx::FrameBitmap*& frame = frames[bits];
    if (frame == nullptr) {
        frame = new kvx::FrameBitmap;
        frame->Create(2048, 1536, bits);
        const int samples = bits == 48 ? 3 : frame->bytesPerPixel();
        for (int y = 0; y < frame->height(); ++y) {
            uint8_t* row = frame->bits() + static_cast<size_t>(y) * frame->stride();
            for (int x = 0; x < frame->width(); ++x) {
                for (int c = 0; c < samples; ++c) {
                    const int v = ((x * (c + 1) + y * (3 - c)) / 4 + ((x / 64 + y / 64) % 2) * 40) % 256;
                    if (bits == 48) {
                        const uint16_t word = static_cast<uint16_t>(v << 4 | (x & 15));
                        std::memcpy(row + x * 6 + 2 * c, &word, 2);
                    } else {
                        row[x * samples + c] = static_cast<uint8_t>(v);
                    }
                }
            }
        }
    }
    return *frame;
}

void PlainWrite(const kvx::FrameBitmap& frame, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(frame.bits(), 1, static_cast<size_t>(frame.stride()) * frame.height(), file);
    std::fclose(file);
}

void BM_PlainFwrite(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const kvx::FrameBitmap& frame = Frame(bits);
    const std::string path = TempFile("plain.bin");
    const size_t bytes = static_cast<size_t>(frame.stride()) * frame.height();
    for (auto _ : state) PlainWrite(frame, path);
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PlainFwrite)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveFrameFile(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const int format = static_cast<int>(state.range(1));
    static const char* const kNames[] = {"bmp", "raw", "jpeg100", "jpeg70", "jpeg20", "png", "tiff"};
    state.SetLabel(kNames[format]);
    const kvx::FrameBitmap& frame = Frame(bits);
    const std::string path = TempFile(std::string("still.") + kNames[format]);
    const std::string plainPath = TempFile("plain.bin");
    // The yardstick runs beside every save, so both meet the same state of
    // the disk and its cache.
    double saving = 0, plain = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto start = Clock::now();
        PlainWrite(frame, plainPath);
        plain += std::chrono::duration<double>(Clock::now() - start).count();
        state.ResumeTiming();
        start = Clock::now();
        if (!kvx::SaveFrameFile(path.c_str(), &frame, format, 12)) state.SkipWithError("save failed");
        saving += std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::remove(plainPath.c_str());
    std::error_code ignored;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path, ignored)) / 1e6;
    state.counters["x_fwrite"] = saving / plain;
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveFrameFile)
    ->ArgsProduct({{24, 48}, {0, 1, 2, 3, 4, 5, 6}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Frames appended to an open recording. The file starts over every 32
// frames (not timed) so the run does not fill the disk.
void BM_AviAddFrame(benchmark::State& state) {
    const std::string path = TempFile("append.avi");
    std::vector<uint8_t> pixels(static_cast<size_t>(2048) * 3 * 1536, 0x5A);
    kvx::CAviFile avi;
    avi.Open(path.c_str(), 2048, 1536, 24);
    for (auto _ : state) {
        if (avi.frameCount() == 32) {
            state.PauseTiming();
            avi.Close(3000);
            avi.Open(path.c_str(), 2048, 1536, 24);
            state.ResumeTiming();
        }
        if (!avi.AddFrame(pixels.data())) state.SkipWithError("append failed");
    }
    avi.Close(3000);
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixels.size()));
}
BENCHMARK(BM_AviAddFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The recording thread's conversion into the AVI frame, per source depth.
void BM_AviFrameConversion(benchmark::State& state) {
    const kvx::FrameBitmap& frame = Frame(static_cast<int>(state.range(0)));
    kvx::FrameBitmap bgr24, gray8;
    bgr24.Create(2048, 1536, 24);
    gray8.Create(2048, 1536, 8);
    for (auto _ : state) benchmark::DoNotOptimize(kvx::ConvertFrameForAvi(frame, 12, bgr24, gray8));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AviFrameConversion)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace
