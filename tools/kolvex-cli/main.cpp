// kolvex-cli: the first program a user runs against the camera library.
#include <cstdio>
#include <cstring>

#include "KolvexSdk.h"

namespace {

void PrintUsage() {
    std::puts(
        "usage: kolvex-cli <command>\n"
        "\n"
        "commands:\n"
        "  version   print the library version\n"
        "  info      open a camera, show what the library reports, release it");
}

void PrintVersion() {
    unsigned v = static_cast<unsigned>(Kolvex_GetDllVersion());
    std::printf("KolvexSdk library version %u (0x%08X)\n", v, v);
}

int Info() {
    PrintVersion();
    int handle = Kolvex_Initialize(nullptr);
    if (handle == 0) {
        std::fprintf(stderr, "kolvex-cli: no camera object could be created\n");
        return 1;
    }
    std::printf("camera handle: %d\n", handle);
    int error = Kolvex_GetLastError(handle);
    std::printf("last error: %d\n", error);
    if (Kolvex_Release(handle) != 1) {
        std::fprintf(stderr, "kolvex-cli: release failed\n");
        return 1;
    }
    std::puts("camera released");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        PrintUsage();
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "version") == 0) {
        PrintVersion();
        return 0;
    }
    if (std::strcmp(argv[1], "info") == 0) return Info();
    std::fprintf(stderr, "kolvex-cli: unknown command '%s'\n", argv[1]);
    PrintUsage();
    return 2;
}
