// kolvex-cli: the first program a user runs against the camera library.
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "KolvexSdk.h"
#include "console.h"
#include "error_report.h"
#include "frame_stats.h"
#include "message_window.h"
#include "parameters.h"
#include "recording_watch.h"
#include "command_line.h"
#include "device_list.h"

namespace {

// One camera object for the length of a command, released on every path.
class Camera {
public:
    Camera() : handle_(Kolvex_Initialize(nullptr)) {
        if (!handle_) std::fprintf(stderr, "kolvex-cli: the library could not create a camera object\n");
    }
    ~Camera() {
        if (handle_) Kolvex_Release(handle_);
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    int handle() const { return handle_; }
    // Selects the device and makes sure a camera answers there, so that a
    // missing camera is told once, plainly, before anything else fails.
    bool Select(int device, const char* what) const {
        SetReportedDevice(device);
        if (device != 0) {
            if (!Kolvex_SetDeviceNumber(handle_, device)) {
                ReportErrors(what);
                return false;
            }
            // What initialisation said about device 0 no longer matters.
            while (Kolvex_GetLastError(handle_) != 0) {
            }
        }
        char name[32] = "";
        if (Kolvex_GetDeviceName(handle_, device, name, sizeof name)) return true;
        if (!ReportErrors(what)) std::fprintf(stderr, "kolvex-cli: %s: no camera at device %d\n", what, device);
        return false;
    }
    // Explains what went wrong since the last call, in a user's words.
    bool ReportErrors(const char* what) const { return ReportCameraErrors(handle_, what); }

private:
    int handle_;
};

int List() {
    Camera camera;
    if (!camera.handle()) return 1;
    const std::vector<DeviceEntry> devices = SurveyDevices(camera.handle());
    std::printf("%zu camera%s\n", devices.size(), devices.size() == 1 ? "" : "s");
    if (!devices.empty()) std::printf("  %-6s  %-20s %s\n", "device", "name", "state");
    for (const DeviceEntry& d : devices)
        std::printf("  %6d  %-20s %s\n", d.device, d.name.c_str(), d.inUse ? "in use by another program" : "free");
    return 0;
}

int Info(int device) {
    std::printf("%s\n", VersionText().c_str());
    Camera camera;
    if (!camera.handle()) {
        std::fprintf(stderr, "kolvex-cli: no camera object could be created\n");
        return 1;
    }
    if (!camera.Select(device, "info")) return 1;
    char name[32] = "";
    Kolvex_GetDeviceName(camera.handle(), device, name, sizeof name);
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

// The size and depth of the frames the camera delivers now: one frame
// through a callback preview tells them in its information record.
bool LearnFrameLayout(const Camera& camera, FrameLayout* layout) {
    MessageWindow messages;
    if (!Kolvex_CallBackPreview(camera.handle(), messages.handle(), nullptr, 0, 0)) return false;
    PostedMessage m{};
    bool got = false;
    while (!got && messages.Wait(10000, &m)) {
        if (m.message != KOLVEX_WM_FRAME) continue;
        if (m.wParam == 0) break;  // the frame failed: the caller reports why
        const auto* info = reinterpret_cast<const KolvexFrameInfo*>(m.wParam);
        *layout = {info->width, info->height, info->bitsPerPixel};
        got = true;
    }
    Kolvex_StopPreview(camera.handle());
    return got;
}

// The still image format a file name asks for by its extension; -1 for raw.
int StillFormatFor(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp") return KOLVEX_FILE_BMP;
    if (ext == "jpg" || ext == "jpeg") return KOLVEX_FILE_JPEG_100;
    if (ext == "png") return KOLVEX_FILE_PNG;
    if (ext == "tif" || ext == "tiff") return KOLVEX_FILE_TIFF;
    return -1;
}

int Snapshot(const CommandLine& options) {
    const char* what = "snapshot";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    OneShotParameters oneShot(camera.handle());
    if (!oneShot.Apply(options.oneShot)) return 1;
    Kolvex_SetPreviewWindow(camera.handle(), nullptr, 0, 0, 0, 0);
    FrameLayout layout;
    if (!LearnFrameLayout(camera, &layout)) {
        if (!camera.ReportErrors(what)) std::fprintf(stderr, "kolvex-cli: %s: the camera delivered no frame\n", what);
        return 1;
    }
    std::vector<uint8_t> pixels(layout.bytes());
    const auto start = std::chrono::steady_clock::now();
    if (!Kolvex_SnapShot(camera.handle(), pixels.data(), static_cast<int>(pixels.size()), 0)) {
        camera.ReportErrors("snapshot");
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const std::string path = options.output.empty() ? "snapshot.png" : options.output;
    const int format = StillFormatFor(path);
    bool written = false;
    if (format >= 0) {
        written = Kolvex_SaveImage(camera.handle(), path.c_str(), format) != 0;
        camera.ReportErrors("save image");
    } else {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        written = file && std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
        written = file && std::fclose(file) == 0 && written;
    }
    if (!written) {
        const std::string why = WhyCannotWrite(path);
        std::fprintf(stderr, "kolvex-cli: snapshot: cannot write %s%s%s\n", path.c_str(), why.empty() ? "" : ": ",
                     why.c_str());
        return 1;
    }
    std::printf("snapshot:  %d x %d, %d bits per pixel, %d bytes a row, %zu bytes in %.1f ms\n", layout.width,
                layout.height, layout.bitsPerPixel, layout.stride(), pixels.size(), ms);
    std::printf("pixels:    %s\n", DescribeFrame(layout, pixels.data()).c_str());
    std::printf("written:   %s (%s)\n", path.c_str(), format >= 0 ? "image file" : "raw, top row first");
    return camera.ReportErrors("snapshot") ? 1 : 0;
}

bool EndsInAvi(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".avi";
}

int Record(const CommandLine& options) {
    const char* what = "record";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    OneShotParameters oneShot(camera.handle());
    if (!oneShot.Apply(options.oneShot)) return 1;
    if (!options.window) Kolvex_SetPreviewWindow(camera.handle(), nullptr, 0, 0, 0, 0);
    const std::string path = options.output.empty() ? "recording.avi" : options.output;
    if (!EndsInAvi(path))
        std::fprintf(stderr, "kolvex-cli: record: %s does not end in .avi; it will hold an AVI file all the same\n",
                     path.c_str());
    const double seconds = options.seconds > 0 ? options.seconds : 3.0;
    const int ms = seconds < INT_MAX / 1000.0 ? static_cast<int>(seconds * 1000) : INT_MAX;
    SurviveFileSizeLimit();
    if (!Kolvex_Record(camera.handle(), path.c_str(), ms, options.window ? 1 : 0)) {
        camera.ReportErrors(what);
        return 1;
    }
    std::printf("recording %.1f s into %s\n", seconds, path.c_str());
    std::fflush(stdout);
    MessageWindow messages;  // services the preview window on Windows meanwhile
    const RecordingOutcome outcome = FollowRecording(camera.handle(), path, seconds, OutputIsTerminal(), [&] {
        PostedMessage ignored;
        messages.Wait(100, &ignored);
    });
    // Finishes the file, unless the library already has.
    Kolvex_StopPreview(camera.handle());
    return ReportRecording(camera.handle(), path, outcome, what) ? 0 : 1;
}

// Frames through a callback preview until enough arrived or time is up,
// with a line of statistics about once a second.
int Stream(const CommandLine& options) {
    const char* what = "stream";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    OneShotParameters oneShot(camera.handle());
    if (!oneShot.Apply(options.oneShot)) return 1;
    if (!options.window) Kolvex_SetPreviewWindow(camera.handle(), nullptr, 0, 0, 0, 0);
    FrameLayout layout;
    if (!LearnFrameLayout(camera, &layout)) {
        if (!camera.ReportErrors(what)) std::fprintf(stderr, "kolvex-cli: %s: the camera delivered no frame\n", what);
        return 1;
    }
    const int wanted = options.frames > 0 || options.seconds > 0 ? options.frames : 100;
    std::vector<uint8_t> pixels(layout.bytes());
    MessageWindow messages;
    // In trigger mode a frame comes with each pulse on the camera's input.
    auto begin = options.trigger ? Kolvex_Trigger : Kolvex_CallBackPreview;
    if (!begin(camera.handle(), messages.handle(), pixels.data(), static_cast<int>(pixels.size()), 0)) {
        camera.ReportErrors("stream");
        return 1;
    }
    std::printf("streaming %d x %d, %d bits per pixel%s\n", layout.width, layout.height, layout.bitsPerPixel,
                options.trigger ? ", a frame per trigger pulse" : "");
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastFrame = start;
    int received = 0, errors = 0, late = 0;
    RateMeter meter;
    bool lost = false;
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    auto report = [&] {
        std::printf("  %6.1f s  frames %5d  rate %5.1f fps  errors %d  late %d\n", elapsed(), received,
                    meter.rate(), errors, late);
        std::fflush(stdout);
    };
    while (!lost && (wanted <= 0 || received < wanted) && (options.seconds <= 0 || elapsed() < options.seconds)) {
        PostedMessage m{};
        if (!messages.Wait(200, &m)) {
            if (!options.trigger && std::chrono::duration<double>(Clock::now() - lastFrame).count() > 10) break;
            continue;
        }
        if (m.message != KOLVEX_WM_FRAME) continue;
        const auto now = Clock::now();
        if (m.wParam == 0) {
            ++errors;
            lost = m.lParam == KOLVEX_ERR_DEVICE_LOST;
            continue;
        }
        // Late: more than twice the frame period measured so far.
        const double gapMs = std::chrono::duration<double, std::milli>(now - lastFrame).count();
        if (received > 0 && meter.rate() > 0 && gapMs > 2 * 1000.0 / meter.rate()) ++late;
        lastFrame = now;
        ++received;
        if (meter.Frame(std::chrono::duration<double>(now - start).count())) report();
    }
    Kolvex_StopPreview(camera.handle());
    report();
    std::printf("last frame: %s\n", DescribeFrame(layout, pixels.data()).c_str());
    const bool failed = camera.ReportErrors("stream");
    if (lost) std::fprintf(stderr, "kolvex-cli: the camera stopped delivering frames\n");
    return lost || failed || received == 0 ? 1 : 0;
}

// get, params, set and reset.
int Parameters(const CommandLine& options) {
    const char* what = options.command.c_str();
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    const std::string& command = options.command;
    if (command == "get") return PrintParameters(camera.handle(), options.parameter) ? 0 : 1;
    if (command == "params") return PrintParameterTable(camera.handle()) ? 0 : 1;
    if (command == "reset") {
        if (!ResetParameters(camera.handle())) return 1;
        std::printf("device %d: every parameter the camera keeps is back at its default\n", options.device);
        return 0;
    }
    const ParameterInfo& p = *options.parameter;
    if (!WriteParameter(camera.handle(), p, options.value)) return 1;
    return PrintParameters(camera.handle(), &p) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine options;
    const int status = ParseCommandLine(argc, argv, &options, std::cout, std::cerr);
    if (status >= 0) return status;
    const std::string& command = options.command;
    if (command == "version") {
        std::printf("%s\n", VersionText().c_str());
        return 0;
    }
    if (command == "list") return List();
    if (command == "info") return Info(options.device);
    if (command == "snapshot") return Snapshot(options);
    if (command == "record") return Record(options);
    if (command == "stream") return Stream(options);
    return Parameters(options);
}
