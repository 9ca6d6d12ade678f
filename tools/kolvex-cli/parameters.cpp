#include "parameters.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "KolvexSdk.h"
#include "error_report.h"

namespace {

// Identifier order: the name of identifier n is kNames[n - 1].
const char* const kNames[28] = {
    "brightness",      "contrast",          "hue",               "saturation",      "sharpness",
    "bayer-gain-rgb",  "bayer-gain-red",    "bayer-gain-green",  "bayer-gain-blue", "bayer-gain-auto",
    "gamma",           "bayer-mode",        "global-gain",       "color-gain-red",  "color-gain-green1",
    "color-gain-green2", "color-gain-blue", "exposure-lines",    "gray-mode",       "gray-gain-r",
    "gray-gain-g1",    "gray-gain-g2",      "gray-gain-b",       "gray-offset-r",   "gray-offset-g1",
    "gray-offset-g2",  "gray-offset-b",     "gray-balance",
};

bool ReportErrors(int handle, const char* what) { return ReportCameraErrors(handle, what); }

bool PrintOne(int handle, int id) {
    int ok = 0;
    const int value = Kolvex_GetFilterValue(handle, id, &ok);
    if (!ok) {
        ReportErrors(handle, kNames[id - 1]);
        return false;
    }
    if (id == 6)
        std::printf("%2d  %-18s 0x%06X\n", id, kNames[id - 1], static_cast<unsigned>(value));
    else
        std::printf("%2d  %-18s %d\n", id, kNames[id - 1], value);
    return true;
}

}  // namespace

bool ParseInteger(const char* text, int* out) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0' || errno != 0 || value < INT_MIN || value > UINT_MAX) return false;
    // Hexadecimal values up to 0xFFFFFFFF are bit patterns.
    *out = static_cast<int>(static_cast<unsigned>(value));
    return true;
}

bool ParseFormatOption(const std::string& name, const char* value, FormatOptions* options, bool* bad) {
    int* field = name == "--color"         ? &options->colorBits
                 : name == "--subsample"   ? &options->subSample
                 : name == "--exposure-us" ? &options->exposureUs
                 : name == "--gain"        ? &options->gain
                                           : nullptr;
    if (!field) return false;
    *bad = !ParseInteger(value, field) || *field < 0;
    return true;
}

bool ApplyFormat(int handle, const FormatOptions& o) {
    bool ok = true;
    if (o.colorBits >= 0 && !Kolvex_SetColorMode(handle, o.colorBits)) {
        std::fprintf(stderr, "kolvex-cli: --color takes 8, 16, 24, 32, 48 or 64\n");
        ok = false;
    }
    // The library refuses other modes without a report of its own.
    if (o.subSample >= 0 && !Kolvex_SetSubSample(handle, o.subSample)) {
        std::fprintf(stderr, "kolvex-cli: --subsample takes 0 or 1\n");
        ok = false;
    }
    if (o.gain >= 0 && !Kolvex_SetGlobalGain(handle, o.gain)) {
        std::fprintf(stderr, "kolvex-cli: --gain is out of range (see 'info')\n");
        ok = false;
    }
    if (o.exposureUs >= 0 && !Kolvex_SetRealExposureTime(handle, o.exposureUs)) {
        std::fprintf(stderr, "kolvex-cli: --exposure-us is outside what the sensor can expose\n");
        ok = false;
    }
    if (ReportErrors(handle, "settings")) ok = false;
    return ok;
}

int ParameterId(const std::string& nameOrId) {
    for (int id = 1; id <= 28; ++id)
        if (nameOrId == kNames[id - 1] || nameOrId == std::to_string(id)) return id;
    return 0;
}

bool PrintParameters(int handle, int id) {
    if (id != 0) return PrintOne(handle, id);
    bool ok = true;
    for (int i = 1; i <= 28; ++i) ok = PrintOne(handle, i) && ok;
    int exposureOk = 0;
    const int exposureUs = Kolvex_GetRealExposureTime(handle, &exposureOk);
    std::printf("    %-18s %d\n", "color (depth)", Kolvex_GetColorMode(handle));
    std::printf("    %-18s %d\n", "subsample", Kolvex_GetSubSample(handle));
    if (exposureOk) std::printf("    %-18s %d\n", "exposure-us", exposureUs);
    std::printf("    %-18s %d\n", "mirror-h", Kolvex_GetMirrorH(handle));
    std::printf("    %-18s %d\n", "mirror-v", Kolvex_GetMirrorV(handle));
    return !ReportErrors(handle, "get") && ok;
}

bool SetParameter(int handle, int id, int value) {
    if (!Kolvex_SetFilterValue(handle, id, value)) {
        ReportErrors(handle, kNames[id - 1]);
        std::fprintf(stderr, "kolvex-cli: %s does not take %d\n", kNames[id - 1], value);
        return false;
    }
    return PrintOne(handle, id);
}

std::string ParameterNames() {
    std::string names;
    for (int id = 1; id <= 28; ++id) {
        const std::string name = std::to_string(id) + " " + kNames[id - 1];
        names += (id % 4 == 1 ? "\n    " : ", ") + name;
    }
    return names;
}
