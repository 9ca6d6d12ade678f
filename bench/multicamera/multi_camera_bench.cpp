// Several cameras at once: 1, 2, 4 and 8 virtual cameras paced at the
// sensor's own rate (full 2048 x 1536 frame, 24-bit output, a callback
// buffer each) in one process, and two processes of four cameras each.
//
// Counters:
//   of_sensor_min, of_sensor_mean  frames delivered to the application per
//                                  second, per camera, over the sensor's rate
//                                  (worst camera, and the mean)
//   cpu_ms_per_frame               process CPU time (user + system, all
//                                  processes of the run) per delivered frame
//   sensor_fps                     the sensor's rate from its registers
//   read_of_sensor_min             frames the transfer threads read per
//                                  second over the sensor's rate (worst
//                                  camera): below of_sensor_min's shortfall,
//                                  the worker dropped frames, not the device
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "camera/kolvex.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"
#include "sim/camera_table.h"
#include "sim/register_map.h"
#include "bench_environment.h"

namespace {

using kvx::bench::Env;

constexpr int kMeasureSeconds = 8;
using kvx::bench::kColor24;

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct RunResult {
    std::vector<double> fps;  // delivered per camera
    std::vector<double> readFps;  // read by the transfer thread, per camera
    double sensorFps = 0;
    double cpuSeconds = 0;
    long frames = 0;
};

// Streams cameras at device numbers first .. first + count - 1 for the
// measuring time, in this process.
RunResult StreamCameras(int first, int count) {
    RunResult result;
    kvx::sim::UnplugAll();
    kvx::sim::CameraOptions options;
    options.fastFrames = false;
    options.triggerBlock = Env().wire;
    std::vector<std::shared_ptr<kvx::sim::VirtualCamera>> cameras;
    for (int i = 0; i < count; ++i) cameras.push_back(kvx::sim::Plug(first + i, options));

    std::vector<int> handles(static_cast<size_t>(count));
    std::vector<std::vector<uint8_t>> buffers(static_cast<size_t>(count));
    std::vector<int> windows(static_cast<size_t>(count));  // any address is a mailbox key
    for (int i = 0; i < count; ++i) {
        const int h = Kolvex_Initialize(nullptr);
        handles[static_cast<size_t>(i)] = h;
        buffers[static_cast<size_t>(i)].resize(2048u * 1536u * 3u);
        Kolvex_SetDeviceNumber(h, first + i);
        Kolvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0);
        if (!Kolvex_CallBackPreview(h, &windows[static_cast<size_t>(i)], buffers[static_cast<size_t>(i)].data(),
                                    static_cast<int>(buffers[static_cast<size_t>(i)].size()), 0))
            std::fprintf(stderr, "camera %d did not start\n", first + i);
    }
    // The sensor's rate, from what it was programmed with.
    {
        using namespace kvx::sim::reg;
        auto& c = *cameras.front();
        const double line = c.SensorRegister(sensor::kLineLength) | (c.SensorRegister(sensor::kLineLength + 1) & 0x1F) << 8;
        const double frame = c.SensorRegister(sensor::kFrameLength) | c.SensorRegister(sensor::kFrameLength + 1) << 8 |
                             (c.SensorRegister(sensor::kFrameLength + 2) & 0x0F) << 16;
        double timer = 0;
        for (int i = 3; i >= 0; --i) timer = timer * 256 + c.LogicRegister(static_cast<uint8_t>(logic::kExposureTimer + i));
        result.sensorFps = 1.0 / std::max(line * frame / 74.25e6, timer / kTimerHz);
    }
    // Settle, then count only frames announced while measuring.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    KolvexMessage message;
    for (int& w : windows)
        while (KolvexLinux_WaitMessage(&w, 0, &message)) {
        }
    std::vector<uint64_t> readBefore;
    for (auto& c : cameras) readBefore.push_back(c->FramesDelivered());
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(kMeasureSeconds));
    std::vector<long> frames(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        while (KolvexLinux_WaitMessage(&windows[static_cast<size_t>(i)], 0, &message))
            frames[static_cast<size_t>(i)] += message.message == KOLVEX_WM_FRAME && message.wParam != 0 ? 1 : 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    for (size_t i = 0; i < cameras.size(); ++i)
        result.readFps.push_back(static_cast<double>(cameras[i]->FramesDelivered() - readBefore[i]) / seconds);
    for (long f : frames) {
        result.fps.push_back(static_cast<double>(f) / seconds);
        result.frames += f;
    }
    for (int h : handles) {
        Kolvex_StopPreview(h);
        Kolvex_Release(h);
    }
    for (int& w : windows)
        while (KolvexLinux_WaitMessage(&w, 0, &message)) {
        }
    kvx::sim::UnplugAll();
    return result;
}

void Report(benchmark::State& state, const RunResult& r) {
    double minimum = 1e9, sum = 0;
    for (double fps : r.fps) {
        minimum = std::min(minimum, fps / r.sensorFps);
        sum += fps / r.sensorFps;
    }
    state.counters["of_sensor_min"] = minimum;
    state.counters["of_sensor_mean"] = r.fps.empty() ? 0 : sum / static_cast<double>(r.fps.size());
    state.counters["cpu_ms_per_frame"] = r.frames ? r.cpuSeconds * 1000.0 / static_cast<double>(r.frames) : 0;
    state.counters["sensor_fps"] = r.sensorFps;
    double readMin = 1e9;
    for (double fps : r.readFps) readMin = std::min(readMin, fps / r.sensorFps);
    if (!r.readFps.empty()) state.counters["read_of_sensor_min"] = readMin;
}

void BM_CamerasInOneProcess(benchmark::State& state) {
    kvx::bench::StoreFormat(2048, 1536, kColor24, 10);
    const int count = static_cast<int>(state.range(0));
    RunResult r;
    for (auto _ : state) r = StreamCameras(0, count);
    Report(state, r);
}

// Two processes of four cameras each (device numbers 0-3 here, 4-7 in the
// other), sharing one device table; the other reports through a pipe.
void BM_TwoProcessesOfFourCameras(benchmark::State& state) {
    kvx::bench::StoreFormat(2048, 1536, kColor24, 10);
    RunResult r;
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) return state.SkipWithError("no pipe");
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            RunResult mine = StreamCameras(4, 4);
            std::string line = std::to_string(mine.frames) + " " + std::to_string(mine.cpuSeconds);
            for (double fps : mine.fps) line += " " + std::to_string(fps);
            line += "\n";
            if (write(fds[1], line.data(), line.size()) < 0) _exit(1);
            _exit(0);
        }
        close(fds[1]);
        r = StreamCameras(0, 4);
        char text[512] = {};
        size_t got = 0;
        for (ssize_t n; got < sizeof text - 1 && (n = read(fds[0], text + got, sizeof text - 1 - got)) > 0;)
            got += static_cast<size_t>(n);
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        // The other process measured its own CPU time over the same window.
        long childFrames = 0;
        double childCpu = 0, a, b, c, d;
        if (std::sscanf(text, "%ld %lf %lf %lf %lf %lf", &childFrames, &childCpu, &a, &b, &c, &d) != 6)
            return state.SkipWithError("the other process reported nothing");
        for (double fps : {a, b, c, d}) r.fps.push_back(fps);
        r.frames += childFrames;
        r.cpuSeconds += childCpu;
    }
    Report(state, r);
}

}  // namespace

BENCHMARK(BM_CamerasInOneProcess)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->ArgName("cameras")->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TwoProcessesOfFourCameras)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
