// What every benchmark of several cameras stands on: a settings store and a
// device table of the run's own, and the format each camera starts with.
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

constexpr int kColor24 = 2;

// A settings store and a device table of this run's own, on tmpfs so that
// the store's synced writes cost nothing; removed at exit.
struct Environment {
    std::string settings, table, wire;
    Environment() {
        const std::string tag = std::to_string(getpid());
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
        settings = dir + std::string("kolvex-bench-multicamera-") + tag + ".reg";
        table = "KolvexBenchMultiTable" + tag;
        wire = "KolvexBenchMultiWire" + tag;
        setenv("KOLVEX_SETTINGS_FILE", settings.c_str(), 1);
        kvx::CKolvex::SetSharedTableNameForTesting(table);
        StoreFormat();
    }
    ~Environment() {
        std::remove(settings.c_str());
        std::remove((settings + ".lock").c_str());
    }
    // Full frame, 24-bit, as every camera object starts from device 0's key.
    static void StoreFormat() {
        const std::string camera = kvx::settings::CameraKeyPath(0);
        auto key = kvx::platform::SettingsKey::Open(camera, kvx::platform::SettingsKey::Access::Write);
        key->WriteDword("Size", 0);
        key->WriteDword("Color", kColor24);
        key->WriteDword("SubSample", 0);
        key->WriteDword("WaitTime", 10);
        key->WriteDword("Clock", 0);
        auto size = kvx::platform::SettingsKey::Open(camera + "\\Size_00", kvx::platform::SettingsKey::Access::Write);
        const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
        const uint32_t values[] = {2048, 1536, 2048, 1536, 0, 0, 4};
        for (int i = 0; i < 7; ++i) size->WriteDword(names[i], values[i]);
    }
};

inline Environment& Env() {
    static Environment env;
    return env;
}

}  // namespace kvx::bench
