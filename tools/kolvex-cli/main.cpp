// kolvex-cli: the first program a user runs against the camera library.
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KolvexSdk.h"
#include "console.h"
#include "error_report.h"
#include "frame_stats.h"
#include "message_window.h"
#include "parameters.h"
#include "recording_watch.h"

namespace {

void PrintUsage() {
    std::printf(
        "usage: kolvex-cli <command> [options]\n"
        "\n"
        "commands:\n"
        "  version            print the library version\n"
        "  list               list the cameras that are plugged in\n"
        "  info [--device N]  show a camera's name, sensor, limits and readout window\n"
        "  snapshot [--device N] [--output FILE]\n"
        "                     take one frame and print its size and pixel statistics;\n"
        "                     FILE ending in .bmp, .jpg, .png or .tif is saved in that\n"
        "                     format, anything else as raw pixels (default snapshot.raw:\n"
        "                     rows top first, each padded to 4 bytes)\n"
        "  record [--device N] [--seconds S] [--output FILE] [--window]\n"
        "                     record S seconds (default 3) of live video into an AVI\n"
        "                     file of any length (default recording.avi); prints the\n"
        "                     frames written and the rate measured while recording\n"
        "  stream [--device N] [--frames N | --seconds S] [--window]\n"
        "                     receive frames (default 100) with live statistics;\n"
        "                     --window also shows the preview window\n"
        "  get [PARAMETER] [--device N]\n"
        "                     print one parameter (by name or number) or all of them\n"
        "  set PARAMETER VALUE [--device N]\n"
        "                     change a parameter; the camera keeps it for later runs\n"
        "\n"
        "format options (snapshot, record, stream, get, set):\n"
        "  --color BITS       8, 16, 24, 32, 48 or 64 bits per pixel (this run)\n"
        "  --subsample 0|1    1 reads every other pixel and line (this run)\n"
        "  --exposure-us N    exposure time in microseconds (kept)\n"
        "  --gain N           sensor gain (kept)\n"
        "\n"
        "parameters:%s\n"
        "\n"
        "On Linux the library serves a virtual camera at device 0; KOLVEX_SIMULATOR\n"
        "chooses other virtual cameras (see the README).\n",
        ParameterNames().c_str());
}

void PrintVersion() {
    unsigned v = static_cast<unsigned>(Kolvex_GetDllVersion());
    std::printf("KolvexSdk library version %u (0x%08X)\n", v, v);
}

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

struct Options {
    int device = 0;
    int frames = 0;
    double seconds = 0;
    bool window = false;
    std::string output;  // empty: the command's own default
    FormatOptions format;
};

bool ParseNumber(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end != text && *end == '\0' && *out >= 0;
}

// Options from argv[first] on; false (with a message) on anything unknown.
bool ParseOptions(int argc, char** argv, int first, Options* options) {
    for (int i = first; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--window") {
            options->window = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "kolvex-cli: %s needs a value\n", argv[i]);
            return false;
        }
        const char* value = argv[++i];
        double number = 0;
        bool bad = false;
        if (ParseFormatOption(name, value, &options->format, &bad)) {
            if (bad) {
                std::fprintf(stderr, "kolvex-cli: bad option %s %s\n", name.c_str(), value);
                return false;
            }
        } else if (name == "--output") {
            options->output = value;
        } else if ((name == "--device" || name == "--frames" || name == "--seconds") && ParseNumber(value, &number)) {
            if (name == "--device") options->device = static_cast<int>(number);
            if (name == "--frames") options->frames = static_cast<int>(number);
            if (name == "--seconds") options->seconds = number;
        } else {
            std::fprintf(stderr, "kolvex-cli: bad option %s %s\n", name.c_str(), value);
            return false;
        }
    }
    return true;
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

int Snapshot(const Options& options) {
    const char* what = "snapshot";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    if (!ApplyFormat(camera.handle(), options.format)) return 1;
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
    const std::string output = options.output.empty() ? "snapshot.raw" : options.output;
    const int format = StillFormatFor(output);
    if (format >= 0) {
        if (!Kolvex_SaveImage(camera.handle(), output.c_str(), format)) {
            camera.ReportErrors("save image");
            std::fprintf(stderr, "kolvex-cli: cannot write %s\n", output.c_str());
            return 1;
        }
    } else {
        std::FILE* file = std::fopen(output.c_str(), "wb");
        bool written = file && std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
        written = file && std::fclose(file) == 0 && written;
        if (!written) {
            std::fprintf(stderr, "kolvex-cli: cannot write %s\n", output.c_str());
            return 1;
        }
    }
    std::printf("snapshot:  %d x %d, %d bits per pixel, %d bytes a row, %zu bytes in %.1f ms\n", layout.width,
                layout.height, layout.bitsPerPixel, layout.stride(), pixels.size(), ms);
    std::printf("pixels:    %s\n", DescribeFrame(layout, pixels.data()).c_str());
    std::printf("written:   %s (%s)\n", output.c_str(), format >= 0 ? "image file" : "raw, top row first");
    return camera.ReportErrors("snapshot") ? 1 : 0;
}

bool EndsInAvi(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".avi";
}

// Records for the time asked, counted from the first frame in the file,
// and returns as soon as the recording ends (recording_watch.h).
int Record(const Options& options) {
    const char* what = "record";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    if (!ApplyFormat(camera.handle(), options.format)) return 1;
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
int Stream(const Options& options) {
    const char* what = "stream";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    if (!ApplyFormat(camera.handle(), options.format)) return 1;
    if (!options.window) Kolvex_SetPreviewWindow(camera.handle(), nullptr, 0, 0, 0, 0);
    FrameLayout layout;
    if (!LearnFrameLayout(camera, &layout)) {
        if (!camera.ReportErrors(what)) std::fprintf(stderr, "kolvex-cli: %s: the camera delivered no frame\n", what);
        return 1;
    }
    const int wanted = options.frames > 0 || options.seconds > 0 ? options.frames : 100;
    std::vector<uint8_t> pixels(layout.bytes());
    MessageWindow messages;
    if (!Kolvex_CallBackPreview(camera.handle(), messages.handle(), pixels.data(), static_cast<int>(pixels.size()),
                                0)) {
        camera.ReportErrors("stream");
        return 1;
    }
    std::printf("streaming %d x %d, %d bits per pixel\n", layout.width, layout.height, layout.bitsPerPixel);
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
            if (std::chrono::duration<double>(Clock::now() - lastFrame).count() > 10) break;
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

// get [PARAMETER] and set PARAMETER VALUE.
int Parameters(int argc, char** argv, bool set) {
    int next = 2, id = 0, value = 0;
    if (next < argc && argv[next][0] != '-') {
        id = ParameterId(argv[next]);
        if (id == 0) {
            std::fprintf(stderr, "kolvex-cli: unknown parameter '%s' (see 'help')\n", argv[next]);
            return 2;
        }
        ++next;
    }
    if (set) {
        if (id == 0 || next >= argc || !ParseInteger(argv[next], &value)) {
            std::fprintf(stderr, "kolvex-cli: set needs a parameter and a number\n");
            return 2;
        }
        ++next;
    }
    Options options;
    if (!ParseOptions(argc, argv, next, &options)) return 2;
    const char* what = set ? "set" : "get";
    Camera camera;
    if (!camera.handle() || !camera.Select(options.device, what)) return 1;
    camera.ReportErrors("initialise");
    if (!ApplyFormat(camera.handle(), options.format)) return 1;
    const bool done = set ? SetParameter(camera.handle(), id, value) : PrintParameters(camera.handle(), id);
    return done ? 0 : 1;
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
    if (command == "snapshot" || command == "stream" || command == "record") {
        Options options;
        if (!ParseOptions(argc, argv, 2, &options)) return 2;
        if (command == "record") return Record(options);
        return command == "snapshot" ? Snapshot(options) : Stream(options);
    }
    if (command == "get" || command == "set") return Parameters(argc, argv, command == "set");
    std::fprintf(stderr, "kolvex-cli: unknown command '%s'\n", argv[1]);
    PrintUsage();
    return 2;
}
