// kolvex-cli streaming full 24-bit frames from a virtual camera that
// delivers as fast as frames are read: the whole road from the device to
// the application, as a user meets it. Runs the kolvex-cli beside this
// program and, when KOLVEX_BENCH_OTHER_CLI names another one (the other
// word size's, say), that one too, in the same run on the same machine.
// An iteration's time is the stream's own, as kolvex-cli measures it,
// without the start of the process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "run_capture.h"

namespace {

constexpr int kFrames = 150;

void Stream(benchmark::State& state, const std::string& cli) {
    // The closing statistics line: "  12.3 s  frames   150  rate ...".
    const std::regex statistics(R"(\s([0-9.]+) s\s+frames\s+([0-9]+)\s+rate)");
    double frames = 0, seconds = 0;
    for (auto _ : state) {
        std::string out;
        const bool ran = kvx::bench::RunCapturing(
            cli, {"stream", "--device", "0", "--color", "24", "--frames", std::to_string(kFrames)}, &out);
        std::smatch last;
        for (auto it = std::sregex_iterator(out.begin(), out.end(), statistics); it != std::sregex_iterator(); ++it)
            last = *it;
        if (!ran || last.empty() || std::stoi(last[2]) != kFrames || std::stod(last[1]) <= 0) {
            state.SkipWithError((cli + " did not stream " + std::to_string(kFrames) + " frames:\n" + out).c_str());
            break;
        }
        state.SetIterationTime(std::stod(last[1]));
        frames += kFrames;
        seconds += std::stod(last[1]);
    }
    if (seconds > 0) state.counters["fps"] = frames / seconds;
}

void Register(const char* name, const std::string& cli) {
    benchmark::RegisterBenchmark(name, [cli](benchmark::State& s) { Stream(s, cli); })
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    // One virtual camera at device 0, frames as fast as they are read.
    static char simulator[] = "KOLVEX_SIMULATOR=0:fps=max";
    putenv(simulator);
    const std::string self = argv[0];
    const size_t slash = self.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
    // kolvex-cli saves the camera's settings as it ends: on Linux into a file
    // of this run's own rather than the user's (Windows keeps them in the
    // registry, which scripts/bench-wine gives a throwaway Wine prefix).
    const std::string settings = folder + "kolvex_bench_cli-settings.reg";
    static std::string settingsVariable = "KOLVEX_SETTINGS_FILE=" + settings;
    putenv(&settingsVariable[0]);
    const std::string suffix = self.size() > 4 && self.compare(self.size() - 4, 4, ".exe") == 0 ? ".exe" : "";
    Register("CliStream/full_frame_24bit/this_build", folder + "kolvex-cli" + suffix);
    if (const char* other = std::getenv("KOLVEX_BENCH_OTHER_CLI"))
        Register("CliStream/full_frame_24bit/other_build", other);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(settings.c_str());
    std::remove((settings + ".lock").c_str());
    return 0;
}
