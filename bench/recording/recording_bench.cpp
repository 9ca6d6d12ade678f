// Recording throughput: the virtual camera at its fastest, full frame,
// 24-bit, recorded through Kolvex_Record until the file passes 4 GiB, set
// against dd writing the same number of bytes to the same folder in the
// same run. The recording is then handed to the four outside readers
// (tests/output/readers/check_avi_readers.py), which must read it whole.
//
// Counters: fps and MB_s of the recording (from its first frame in the
// file to the stop), camera_fps (frames the camera converted meanwhile: the
// recorder can take no more), dd_MB_s, x_dd (the recording's MB/s over
// dd's), GiB written, readers_ok. One iteration: this writes some 9 GB.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"
#include "sim/camera_table.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const fs::path path = fs::temp_directory_path() / ("kolvex-bench-recording-" + std::to_string(getpid()));
        fs::create_directories(path);
        return path.string();
    }();
    return folder;
}

// A settings store and a device table of this run's own, and one virtual
// camera delivering frames as fast as they are read.
const bool g_environment = [] {
    setenv("KOLVEX_SETTINGS_FILE", (ScratchFolder() + "/settings.reg").c_str(), 1);
    kvx::CKolvex::SetSharedTableNameForTesting("KolvexBenchRecording" + std::to_string(getpid()));
    kvx::sim::UnplugAll();
    kvx::sim::CameraOptions options;
    options.fastFrames = true;
    kvx::sim::Plug(0, options);
    return true;
}();

uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const uint64_t bytes = fs::file_size(path, error);
    return error ? 0 : bytes;
}

uint32_t U32At(const std::string& path, long offset) {
    uint8_t b[4] = {};
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        if (std::fseek(f, offset, SEEK_SET) != 0 || std::fread(b, 1, 4, f) != 4) b[0] = b[1] = b[2] = b[3] = 0;
        std::fclose(f);
    }
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Seconds dd takes to write `bytes` of zeros into the folder, with the
// disk's earlier writes flushed first, as they are before the recording.
double TimeDd(uint64_t bytes) {
    const std::string target = ScratchFolder() + "/dd.bin";
    const std::string command = "dd if=/dev/zero of=" + target + " bs=8M iflag=count_bytes count=" +
                                std::to_string(bytes) + " status=none";
    std::system("sync");
    const auto start = Clock::now();
    const int rc = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::remove(target.c_str());
    return rc == 0 ? seconds : 0;
}

void BM_RecordPastFourGiB(benchmark::State& state) {
    constexpr uint64_t kTarget = (uint64_t{4} << 30) + (uint64_t{256} << 20);
    const std::string path = ScratchFolder() + "/recording.avi";
    // A fresh settings store starts with the full sensor.
    const int handle = Kolvex_Initialize(nullptr);
    auto camera = kvx::SdkChain().Lookup(handle);
    Kolvex_SetColorMode(handle, 24);
    Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    // A skip before the loop keeps it from running.
    if (!camera || Kolvex_Width(handle) != 2048 || Kolvex_Height(handle) != 1536)
        state.SkipWithError("no full-frame camera");
    for (auto _ : state) {
        std::system("sync");
        // Ten minutes at most; the run stops once the file is past 4 GiB.
        if (!Kolvex_Record(handle, path.c_str(), 600000, 0)) {
            state.SkipWithError("the recording did not start");
            break;
        }
        const uint64_t headers = FileBytes(path);
        const int64_t cameraFramesBefore = camera->workerFrames();
        Clock::time_point first;
        bool started = false;
        const auto deadline = Clock::now() + std::chrono::minutes(10);
        while (FileBytes(path) < kTarget && Clock::now() < deadline && Kolvex_GetLastError(handle) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!started && FileBytes(path) > headers) started = true, first = Clock::now();
        }
        const int64_t cameraFrames = camera->workerFrames() - cameraFramesBefore;
        Kolvex_StopPreview(handle);  // finishes the file
        if (!started) {
            state.SkipWithError("no frame reached the file");
            break;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - first).count();
        state.SetIterationTime(seconds);
        const uint64_t bytes = FileBytes(path);
        const uint32_t frames = U32At(path, 140);
        if (bytes < kTarget) state.SkipWithError("the recording stopped before 4 GiB");
        const double megabytes = bytes / 1e6;
        const double ddSeconds = TimeDd(bytes);
        state.counters["fps"] = frames / seconds;
        state.counters["camera_fps"] = cameraFrames / seconds;
        state.counters["MB_s"] = megabytes / seconds;
        state.counters["dd_MB_s"] = ddSeconds > 0 ? megabytes / ddSeconds : 0;
        state.counters["x_dd"] = ddSeconds > 0 ? ddSeconds / seconds : 0;
        state.counters["GiB"] = bytes / double(uint64_t{1} << 30);
        std::fflush(stdout);
        const std::string check = "/usr/bin/python3 " KOLVEX_AVI_READERS " file " + path;
        const bool readersOk = std::system(check.c_str()) == 0;
        state.counters["readers_ok"] = readersOk ? 1 : 0;
        if (!readersOk) state.SkipWithError("a reader did not read the recording whole");
        std::remove(path.c_str());
    }
    Kolvex_Release(handle);
    std::error_code ignored;
    fs::remove_all(ScratchFolder(), ignored);
}
BENCHMARK(BM_RecordPastFourGiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
