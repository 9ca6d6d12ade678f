// The settings store when it has grown large: what a camera's start reads
// and what its release writes, with the store's file at 1, 10 and 100 MB
// (values of other programs around the camera's own). Every iteration of
// the start finds a file this process has not read yet, so the parse is
// part of the figure.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/settings_file.h"
#include "settings/size_settings.h"
#include "settings/value_group.h"

namespace {

using namespace kvx::settings;

// Two copies of the same store; the start alternates between them.
struct BigStore {
    std::array<std::string, 2> files;

    explicit BigStore(int megabytes) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/kolvex-bench-store-" +
                                 std::to_string(::getpid()) + "-" + std::to_string(megabytes);
        std::string text;
        text.reserve(static_cast<size_t>(megabytes) << 20);
        char line[96];
        for (int key = 0; text.size() < (static_cast<size_t>(megabytes) << 20); ++key) {
            std::snprintf(line, sizeof line, "[Software\\Other\\Program_%07d]\n", key);
            text += line;
            for (int v = 0; v < 8; ++v) {
                std::snprintf(line, sizeof line, "\"Setting_%d\"=dword:%08x\n", v, key * 8 + v);
                text += line;
            }
            text += "\n";
        }
        text +=
            "[Software\\Benmor\\Kolvex410QFXZQPSdk\\Camera_00]\n\"Size\"=dword:00000000\n\"Color\"=dword:00000002\n"
            "\"SubSample\"=dword:00000000\n\"WaitTime\"=dword:00000001\n\"Clock\"=dword:00000002\n\n"
            "[Software\\Benmor\\Kolvex410QFXZQPSdk\\Camera_00\\Size_00]\n\"TH\"=dword:00000800\n"
            "\"TV\"=dword:00000600\n\"EH\"=dword:00000800\n\"EV\"=dword:00000600\n\"EHS\"=dword:00000000\n"
            "\"EVS\"=dword:00000000\n\"Buf\"=dword:00000004\n\n";
        for (int i = 0; i < 2; ++i) {
            files[static_cast<size_t>(i)] = base + "-" + std::to_string(i) + ".reg";
            if (std::FILE* f = std::fopen(files[static_cast<size_t>(i)].c_str(), "wb")) {
                std::fwrite(text.data(), 1, text.size(), f);
                std::fclose(f);
            }
        }
    }
    ~BigStore() {
        kvx::platform::posix::SetSettingsFile("");
        for (const auto& f : files) {
            std::remove(f.c_str());
            std::remove((f + ".lock").c_str());
        }
    }
};

// What initialisation reads: the current size, the three groups, the format.
void BM_StartReads(benchmark::State& state) {
    BigStore store(static_cast<int>(state.range(0)));
    size_t which = 0;
    for (auto _ : state) {
        kvx::platform::posix::SetSettingsFile(store.files[which]);
        which ^= 1;
        SizeEntry size = kDefaultSize;
        LoadCurrentSize(0, &size);
        std::array<int32_t, kFilterValues> filter{};
        std::array<int32_t, kGrayValues> gray{};
        std::array<int32_t, kAnalogValues> analog{};
        FilterGroup().Load(0, filter.data());
        GrayGroup().Load(0, gray.data());
        AnalogGroup().Load(0, analog.data());
        FormatValues format = kFirstUseFormat;
        LoadFormat(0, &format);
        benchmark::DoNotOptimize(format);
    }
}

// What release writes: the analog, filter and gray groups.
void BM_ReleaseWrites(benchmark::State& state) {
    BigStore store(static_cast<int>(state.range(0)));
    kvx::platform::posix::SetSettingsFile(store.files[0]);
    const std::array<int32_t, kAnalogValues> analog = {40, 0, 0, 0, 0, 1561, 0, 1, 0};
    const std::array<int32_t, kFilterValues> filter = {10, 0, 0, 0, 0, 100, 100, 100, 100, 2};
    const std::array<int32_t, kGrayValues> gray = {0, 128, 128, 128, 128, 0, 0, 0, 0};
    for (auto _ : state) {
        AnalogGroup().Save(0, analog.data());
        FilterGroup().Save(0, filter.data());
        GrayGroup().Save(0, gray.data());
    }
}

BENCHMARK(BM_StartReads)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReleaseWrites)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
