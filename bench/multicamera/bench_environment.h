// What the benchmarks of this program share: a settings store and a device
// table of the run's own, on tmpfs so that the store's synced writes cost
// nothing, removed at exit; and the capture format every camera object
// starts from.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "camera/kolvex.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"

namespace kvx::bench {

constexpr uint32_t kColor24 = 2;

struct BenchEnvironment {
    std::string settings, table, wire;
    BenchEnvironment() {
        const std::string tag = std::to_string(getpid());
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
        settings = dir + std::string("kolvex-bench-multicamera-") + tag + ".reg";
        table = "KolvexBenchMultiTable" + tag;
        wire = "KolvexBenchMultiWire" + tag;
        setenv("KOLVEX_SETTINGS_FILE", settings.c_str(), 1);
        CKolvex::SetSharedTableNameForTesting(table);
    }
    ~BenchEnvironment() {
        std::remove(settings.c_str());
        std::remove((settings + ".lock").c_str());
    }
};

inline BenchEnvironment& Env() {
    static BenchEnvironment env;
    return env;
}

// Device 0's key, which every camera object starts from: a capture window
// of width x height at the sensor's corner, the colour mode index and the
// wait time between frames.
inline void StoreFormat(int width, int height, uint32_t colorMode, uint32_t waitTimeMs) {
    using platform::SettingsKey;
    Env();
    const std::string camera = settings::CameraKeyPath(0);
    auto key = SettingsKey::Open(camera, SettingsKey::Access::Write);
    const char* formatNames[] = {"Size", "Color", "SubSample", "WaitTime", "Clock"};
    const uint32_t formatValues[] = {0, colorMode, 0, waitTimeMs, 0};
    for (int i = 0; i < 5; ++i) key->WriteDword(formatNames[i], formatValues[i]);
    auto size = SettingsKey::Open(camera + "\\Size_00", SettingsKey::Access::Write);
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    const uint32_t values[] = {2048, 1536, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 0, 0, 4};
    for (int i = 0; i < 7; ++i) size->WriteDword(names[i], values[i]);
}

}  // namespace kvx::bench
