// A second process for the tests that need one. Each command does one thing
// with the library's platform services and reports through its exit code
// (0 success, 1 wrong result, 2 bad usage, 3 failure).
//
//   shm-check NAME OFFSET VALUE   open an existing block, byte at OFFSET must be VALUE
//   shm-set NAME OFFSET VALUE     open an existing block, store VALUE at OFFSET
//   shm-absent NAME               no block of that name may exist
//   shm-hold NAME                 create or open the block, then wait until killed (20 s)
//   shm-keep NAME                 create or open the block and end without closing it
//   settings-write PATH PREFIX N  write values PREFIX0..PREFIX{N-1} = index
//   devtable-hold NAME N          claim device N in the device table NAME, release it
//                                 once byte 64 of the block turns 1 (10 s at most)
//   devtable-abandon NAME N       claim device N and end without releasing it
//   devtable-interrupt NAME N K   claim device N and release it, but end the process at the
//                                 K-th point between two writes of the entry (exit code 10);
//                                 0 when both finished first
//   sim-trigger BLOCK N           pulse the virtual trigger line of device N
//   pulse-while-input N           copy standard input to standard output and pulse the
//                                 default trigger line of device N every 100 ms until
//                                 the input ends (a program piped in waits for pulses)
//   sim-power WIRE N              power up a virtual camera at device N on the wires WIRE
//   sim-power-keep WIRE N         the same, and end with the camera still plugged in
//
// Camera objects through the C interface, with virtual cameras at 0 and 2 on
// the wires WIRE and the shared device table TABLE, in a settings store of
// their own:
//   camera-open TABLE WIRE N      initialise, select device N, release
//   camera-preview TABLE WIRE N   initialise, select N, start preview: 0 when it
//                                 streams, 1 when refused with code 2
//   camera-hold TABLE WIRE N      as camera-preview, then stream until killed, or stop
//                                 and release once byte 64 of TABLE turns 1 (20 s at most)
// and in the settings store STORE (another process's sandbox) instead:
//   camera-save TABLE WIRE N STORE P V    set filter value P to V and release (which saves it)
//   camera-check TABLE WIRE N STORE P V   0 when filter value P opens as V, 1 otherwise
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <string>
#include <thread>

#include "KolvexSdk.h"
#include "camera/kolvex.h"
#include "device/shared_device_table.h"
#include "settings_sandbox.h"
#include "platform/settings_store.h"
#include "platform/shared_memory.h"
#include "platform/system_info.h"
#include "platform/device_io.h"
#include "sim/camera_table.h"
#include "sim/driver_protocol.h"
#include "sim/register_map.h"
#include "sim/trigger_line.h"

using kvx::platform::SettingsKey;
using kvx::platform::SharedMemory;

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    if (command == "shm-check" || command == "shm-set") {
        if (argc != 5) return 2;
        SharedMemory shm;
        if (!shm.Open(argv[2])) return 3;
        size_t offset = std::strtoul(argv[3], nullptr, 0);
        auto value = static_cast<unsigned char>(std::strtoul(argv[4], nullptr, 0));
        if (offset >= shm.size()) return 2;
        auto* bytes = static_cast<unsigned char*>(shm.view());
        if (command == "shm-set") {
            bytes[offset] = value;
            return 0;
        }
        return bytes[offset] == value ? 0 : 1;
    }
    if (command == "shm-hold") {
        SharedMemory shm;
        if (!shm.OpenOrCreate(argv[2], 4096)) return 3;
        std::this_thread::sleep_for(std::chrono::seconds(20));
        return 0;
    }
    if (command == "shm-keep") {
        // Like the process's never-destroyed objects: nobody closes it.
        auto* shm = new SharedMemory;
        return shm->OpenOrCreate(argv[2], 4096) ? 0 : 3;
    }
    if (command == "shm-absent") {
        SharedMemory shm;
        return shm.Open(argv[2]) ? 1 : 0;
    }
    if (command == "settings-write") {
        if (argc != 5) return 2;
        int count = std::atoi(argv[4]);
        auto key = SettingsKey::Open(argv[2], SettingsKey::Access::Write);
        if (!key) return 3;
        for (int i = 0; i < count; ++i)
            if (!key->WriteDword(std::string(argv[3]) + std::to_string(i), static_cast<uint32_t>(i))) return 3;
        return 0;
    }
    if (command == "devtable-hold" || command == "devtable-abandon") {
        if (argc != 4) return 2;
        kvx::SharedDeviceTable table;
        if (!table.OpenShared(argv[2])) return 3;
        const int device = std::atoi(argv[3]);
        auto* window = reinterpret_cast<kvx::platform::WindowHandle>(uintptr_t{0x7770});
        table.ClaimDevice(device, window, kvx::platform::ProgramModuleId());
        if (command == "devtable-abandon") return 0;
        auto* signal = static_cast<volatile unsigned char*>(table.view()) + 64;
        for (int waited = 0; *signal != 1; ++waited) {
            if (waited > 10000) return 3;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        table.ReleaseDevice(device, window, kvx::platform::ProgramModuleId());
        return 0;
    }
    if (command == "devtable-interrupt") {
        if (argc != 5) return 2;
        static int stepsLeft = std::atoi(argv[4]);
        kvx::SharedDeviceTable::SetChangeStepHookForTesting([] {
            // As a crash would: nothing after this point runs.
            if (--stepsLeft == 0) std::_Exit(10);
        });
        kvx::SharedDeviceTable table;
        if (!table.OpenShared(argv[2])) return 3;
        const int device = std::atoi(argv[3]);
        auto* window = reinterpret_cast<kvx::platform::WindowHandle>(uintptr_t{0x7770});
        if (!table.TryClaimDevice(device, window, kvx::platform::ProgramModuleId())) return 1;
        table.ReleaseDevice(device, window, kvx::platform::ProgramModuleId());
        return 0;
    }
    if (command == "sim-power" || command == "sim-power-keep") {
        if (argc != 4) return 2;
        kvx::sim::CameraOptions options;
        options.triggerBlock = argv[2];
        const int device = std::atoi(argv[3]);
        kvx::sim::Plug(device, options);
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\Kvex410qfxZQP-%c", "0123456789ABCDEFGHIJKLNMOPQRSTUV"[device & 31]);
        kvx::platform::DeviceHandle handle = kvx::platform::DeviceOpen(path);
        if (!handle) return 3;
        uint8_t block[64] = {kvx::sim::kControlWrite, kvx::sim::reg::control::kPower, 1};
        uint32_t pipe = kvx::sim::kCommandPipe, returned = 0;
        const bool sent = kvx::platform::DeviceControl(handle, kvx::sim::kIoctlPipeSend, &pipe, 4, block, 64, &returned);
        kvx::platform::DeviceClose(handle);
        if (command == "sim-power") kvx::sim::UnplugAll();
        return sent ? 0 : 3;
    }
    if (command.rfind("camera-", 0) == 0) {
        const bool stored = command == "camera-save" || command == "camera-check";
        if (argc != (stored ? 8 : 5)) return 2;
        // The sandbox's store on memory where there is some: its synced
        // writes would otherwise cost this short-lived process seconds.
        struct stat shm;
        if (stat("/dev/shm", &shm) == 0) putenv(const_cast<char*>("TMPDIR=/dev/shm"));
        std::unique_ptr<kvx::test::SettingsSandbox> settings(stored ? new kvx::test::SettingsSandbox(argv[5])
                                                                    : new kvx::test::SettingsSandbox);
        kvx::CKolvex::SetSharedTableNameForTesting(argv[2]);
        kvx::sim::CameraOptions options;
        options.fastFrames = true;
        options.triggerBlock = argv[3];
        kvx::sim::UnplugAll();
        kvx::sim::Plug(0, options);
        kvx::sim::Plug(2, options);
        const int device = std::atoi(argv[4]);
        const int handle = Kolvex_Initialize(nullptr);
        if (!handle) return 3;
        int result = Kolvex_SetDeviceNumber(handle, device) ? 0 : 3;
        if (result == 0 && stored) {
            const int parameter = std::atoi(argv[6]), value = std::atoi(argv[7]);
            int ok = 0;
            if (command == "camera-save")
                result = Kolvex_SetFilterValue(handle, parameter, value) ? 0 : 3;
            else
                result = Kolvex_GetFilterValue(handle, parameter, &ok) == value && ok ? 0 : 1;
        } else if (result == 0 && command != "camera-open") {
            Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
            if (!Kolvex_StartPreview(handle)) {
                result = Kolvex_GetLastError(handle) == KOLVEX_ERR_NO_DEVICE && Kolvex_GetLastError(handle) ==
                                 KOLVEX_ERR_DEVICE_NUMBER ? 1 : 3;
            } else if (command == "camera-hold") {
                kvx::platform::SharedMemory table;
                const auto* stop = table.Open(argv[2]) ? static_cast<volatile unsigned char*>(table.view()) + 64
                                                       : nullptr;
                for (int waited = 0; waited < 20000 && !(stop && *stop == 1); ++waited)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                result = Kolvex_StopPreview(handle) ? 0 : 3;
            }
        }
        Kolvex_Release(handle);
        kvx::sim::UnplugAll();
        return result;
    }
    if (command == "pulse-while-input") {
        // The block a virtual camera of this environment listens on.
        const std::string block = kvx::sim::CameraOptions{}.triggerBlock;
        const int device = std::atoi(argv[2]);
        std::atomic<bool> ended{false};
        std::thread copier([&ended] {
            for (int c; (c = std::getchar()) != EOF;) {
                std::putchar(c);
                if (c == '\n') std::fflush(stdout);
            }
            ended = true;
        });
        while (!ended) {
            kvx::sim::TriggerLine::Fire(block, device);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        copier.join();
        return 0;
    }
    if (command == "sim-trigger") {
        if (argc != 4) return 2;
        return kvx::sim::TriggerLine::Fire(argv[2], std::atoi(argv[3])) ? 0 : 3;
    }
    return 2;
}
