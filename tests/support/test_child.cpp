// A second process for the tests that need one. Each command does one thing
// with the library's platform services and reports through its exit code
// (0 success, 1 wrong result, 2 bad usage, 3 failure).
//
//   shm-check NAME OFFSET VALUE   open an existing block, byte at OFFSET must be VALUE
//   shm-set NAME OFFSET VALUE     open an existing block, store VALUE at OFFSET
//   shm-absent NAME               no block of that name may exist
//   settings-write PATH PREFIX N  write values PREFIX0..PREFIX{N-1} = index
#include <cstdlib>
#include <string>

#include "platform/settings_store.h"
#include "platform/shared_memory.h"

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
    return 2;
}
