// kolvex-cli: the first program a user runs against the camera library.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KolvexSdk.h"

namespace {

void PrintUsage() {
    std::puts(
        "usage: kolvex-cli <command> [options]\n"
        "\n"
        "commands:\n"
        "  version            print the library version\n"
        "  list               list the cameras that are plugged in\n"
        "  info [--device N]  show a camera's name, sensor, limits and readout window\n"
        "\n"
        "On Linux the library serves a virtual camera at device 0; KOLVEX_SIMULATOR\n"
        "chooses other virtual cameras (see the README).");
}

void PrintVersion() {
    unsigned v = static_cast<unsigned>(Kolvex_GetDllVersion());
    std::printf("KolvexSdk library version %u (0x%08X)\n", v, v);
}

// One camera object for the length of a command, released on every path.
class Camera {
public:
    Camera() : handle_(Kolvex_Initialize(nullptr)) {}
    ~Camera() {
        if (handle_) Kolvex_Release(handle_);
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    int handle() const { return handle_; }
    // Reports every error code the library recorded since the last call.
    bool ReportErrors(const char* what) const {
        bool any = false;
        for (int code; (code = Kolvex_GetLastError(handle_)) != 0; any = true)
            std::fprintf(stderr, "kolvex-cli: %s: library error %d\n", what, code);
        return any;
    }

private:
    int handle_;
};

int List() {
    Camera camera;
    if (!camera.handle()) return 1;
    char names[10][256];
    int count = Kolvex_EnumDevice(camera.handle(), names);
    if (camera.ReportErrors("list")) return 1;
    std::printf("%d camera%s\n", count, count == 1 ? "" : "s");
    for (int i = 0; i < count; ++i) std::printf("  %s\n", names[i]);
    return 0;
}

int Info(int device) {
    PrintVersion();
    Camera camera;
    if (!camera.handle()) {
        std::fprintf(stderr, "kolvex-cli: no camera object could be created\n");
        return 1;
    }
    camera.ReportErrors("initialise");
    if (device != 0 && !Kolvex_SetDeviceNumber(camera.handle(), device)) {
        camera.ReportErrors("select device");
        return 1;
    }
    char name[32] = "";
    if (!Kolvex_GetDeviceName(camera.handle(), device, name, sizeof name)) {
        camera.ReportErrors("device name");
        std::fprintf(stderr, "kolvex-cli: no camera at device %d\n", device);
        return 1;
    }
    KolvexCameraInfo info{};
    info.size = sizeof info;
    if (!Kolvex_GetCameraInfo(camera.handle(), &info)) {
        camera.ReportErrors("camera information");
        return 1;
    }
    int ht = 0, hs = 0, w = 0, vt = 0, vs = 0, h = 0;
    Kolvex_GetCaptureWindowEx(camera.handle(), &ht, &hs, &w, &vt, &vs, &h);
    std::printf("camera:          %s (device %d)\n", name, device);
    std::printf("sensor:          %d x %d\n", info.sensorWidth, info.sensorHeight);
    std::printf("global gain:     %d .. %d\n", info.minGlobalGain, info.maxGlobalGain);
    std::printf("exposure lines:  %d .. %d\n", info.minExposureLines, info.maxExposureLines);
    std::printf("readout window:  %d x %d at (%d, %d) of %d x %d\n", w, h, hs, vs, ht, vt);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        PrintUsage();
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    if (command == "version") {
        PrintVersion();
        return 0;
    }
    if (command == "list") return List();
    if (command == "info") {
        int device = 0;
        if (argc == 4 && std::strcmp(argv[2], "--device") == 0) {
            char* end = nullptr;
            device = static_cast<int>(std::strtol(argv[3], &end, 10));
            if (*end != '\0') {
                std::fprintf(stderr, "kolvex-cli: not a device number: %s\n", argv[3]);
                return 2;
            }
        } else if (argc != 2) {
            PrintUsage();
            return 2;
        }
        return Info(device);
    }
    std::fprintf(stderr, "kolvex-cli: unknown command '%s'\n", argv[1]);
    PrintUsage();
    return 2;
}
