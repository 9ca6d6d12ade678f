#include "camera_controls.h"

#include <algorithm>
#include <cmath>

#include "KolvexSdk.h"

namespace kvx::dshow {
namespace {

// Filter value identifiers of the library.
enum Parameter {
    kBrightness = 1,
    kContrast = 2,
    kHue = 3,
    kSaturation = 4,
    kSharpness = 5,
    kGainRed = 7,
    kGainBlue = 9,
    kAutoWhiteBalance = 10,
    kGamma = 11,
    kGlobalGain = 13,
    kExposureLines = 18,
};

// Automatic exposure modes of Kolvex_SetAutoIris.
enum AutoExposure { kAutoOff = 0, kAutoByTime = 1, kAutoByGain = 2 };

// The camera's default exposure, which its analog settings restore.
constexpr int kDefaultExposureLines = 1561;
constexpr int kUnityGain = 100;
// Keeps both white balance gains within 0 to 200 %, so every tilt reads
// back as it was set.
constexpr long kMaxTilt = 100;

struct PlainControl {
    long property;
    int parameter;
    long minimum, maximum, defaultValue;
};

// The image filter values with their ranges and the values the image
// settings dialog's Default button restores.
const PlainControl kPlainControls[] = {
    {VideoProcAmp_Brightness, kBrightness, -255, 255, 0},
    {VideoProcAmp_Contrast, kContrast, -127, 127, 0},
    {VideoProcAmp_Hue, kHue, -360, 360, 0},
    {VideoProcAmp_Saturation, kSaturation, -255, 255, 0},
    {VideoProcAmp_Sharpness, kSharpness, 0, 30, 0},
    {VideoProcAmp_Gamma, kGamma, 0, 200, 100},
};

const PlainControl* FindPlain(long property) {
    for (const PlainControl& c : kPlainControls)
        if (c.property == property) return &c;
    return nullptr;
}

bool Read(int handle, int parameter, long* value) {
    int ok = 0;
    *value = Kolvex_GetFilterValue(handle, parameter, &ok);
    return ok != 0;
}

bool Write(int handle, int parameter, long value) {
    return Kolvex_SetFilterValue(handle, parameter, static_cast<int>(value)) != 0;
}

bool WantsAuto(long flags) { return (flags & VideoProcAmp_Flags_Auto) != 0; }

int AutoExposureMode(int handle) {
    int ok = 0;
    const int mode = Kolvex_GetAutoIris(handle, &ok);
    return ok ? mode : kAutoOff;
}

// Switches one automatic exposure mode on, or off when it is the one on
// (the other mode stays as it is).
bool SetAutoExposure(int handle, int mode, bool on) {
    if (on) return Kolvex_SetAutoIris(handle, mode) != 0;
    return AutoExposureMode(handle) != mode || Kolvex_SetAutoIris(handle, kAutoOff) != 0;
}

HRESULT GainRange(int handle, ControlRange* range) {
    KolvexCameraInfo info{};
    info.size = sizeof info;
    if (!Kolvex_GetCameraInfo(handle, &info)) return E_FAIL;
    range->minimum = info.minGlobalGain;
    range->maximum = info.maxGlobalGain;
    // The sensor's own default gain is its lowest.
    range->defaultValue = info.minGlobalGain;
    range->flags = VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual;
    return S_OK;
}

// Microseconds one exposure line lasts at the current readout.
bool MicrosecondsPerLine(int handle, double* perLine) {
    int ok = 0;
    const int microseconds = Kolvex_GetRealExposureTime(handle, &ok);
    long lines = 0;
    if (!ok || !Read(handle, kExposureLines, &lines) || lines <= 0 || microseconds <= 0) return false;
    *perLine = static_cast<double>(microseconds) / lines;
    return true;
}

long Log2Seconds(double microseconds) { return std::lround(std::log2(microseconds / 1e6)); }

}  // namespace

HRESULT VideoProcAmpRange(int handle, long property, ControlRange* range) {
    *range = ControlRange{};
    if (const PlainControl* c = FindPlain(property)) {
        *range = {c->minimum, c->maximum, 1, c->defaultValue, VideoProcAmp_Flags_Manual};
        return S_OK;
    }
    if (property == VideoProcAmp_Gain) return GainRange(handle, range);
    if (property == VideoProcAmp_WhiteBalance) {
        *range = {-kMaxTilt, kMaxTilt, 1, 0, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual};
        return S_OK;
    }
    return E_PROP_ID_UNSUPPORTED;
}

HRESULT GetVideoProcAmp(int handle, long property, long* value, long* flags) {
    *flags = VideoProcAmp_Flags_Manual;
    if (const PlainControl* c = FindPlain(property)) return Read(handle, c->parameter, value) ? S_OK : E_FAIL;
    if (property == VideoProcAmp_Gain) {
        if (AutoExposureMode(handle) == kAutoByGain) *flags = VideoProcAmp_Flags_Auto;
        return Read(handle, kGlobalGain, value) ? S_OK : E_FAIL;
    }
    if (property == VideoProcAmp_WhiteBalance) {
        long red = 0, blue = 0, automatic = 0;
        if (!Read(handle, kGainRed, &red) || !Read(handle, kGainBlue, &blue) ||
            !Read(handle, kAutoWhiteBalance, &automatic))
            return E_FAIL;
        if (automatic) *flags = VideoProcAmp_Flags_Auto;
        // Automatic balance may leave gains no tilt reaches; the nearest one.
        *value = std::max(-kMaxTilt, std::min(kMaxTilt, (blue - red) / 2));
        return S_OK;
    }
    return E_PROP_ID_UNSUPPORTED;
}

HRESULT SetVideoProcAmp(int handle, long property, long value, long flags) {
    ControlRange range;
    const HRESULT known = VideoProcAmpRange(handle, property, &range);
    if (FAILED(known)) return known;
    if (WantsAuto(flags) && !(range.flags & VideoProcAmp_Flags_Auto)) return E_INVALIDARG;
    if (!WantsAuto(flags) && (value < range.minimum || value > range.maximum)) return E_INVALIDARG;
    if (const PlainControl* c = FindPlain(property)) return Write(handle, c->parameter, value) ? S_OK : E_INVALIDARG;
    if (property == VideoProcAmp_Gain) {
        if (WantsAuto(flags)) return SetAutoExposure(handle, kAutoByGain, true) ? S_OK : E_FAIL;
        return SetAutoExposure(handle, kAutoByGain, false) && Write(handle, kGlobalGain, value) ? S_OK : E_INVALIDARG;
    }
    // White balance.
    if (WantsAuto(flags)) return Write(handle, kAutoWhiteBalance, 1) ? S_OK : E_FAIL;
    return Write(handle, kAutoWhiteBalance, 0) && Write(handle, kGainRed, kUnityGain - value) &&
                   Write(handle, kGainBlue, kUnityGain + value)
               ? S_OK
               : E_INVALIDARG;
}

HRESULT CameraControlRange(int handle, long property, ControlRange* range) {
    *range = ControlRange{};
    if (property != CameraControl_Exposure) return E_PROP_ID_UNSUPPORTED;
    KolvexCameraInfo info{};
    info.size = sizeof info;
    double perLine = 0;
    if (!Kolvex_GetCameraInfo(handle, &info) || !MicrosecondsPerLine(handle, &perLine)) return E_FAIL;
    range->minimum = static_cast<long>(std::ceil(std::log2(perLine * info.minExposureLines / 1e6)));
    range->maximum = static_cast<long>(std::floor(std::log2(perLine * info.maxExposureLines / 1e6)));
    range->defaultValue = Log2Seconds(perLine * kDefaultExposureLines);
    range->flags = CameraControl_Flags_Auto | CameraControl_Flags_Manual;
    return S_OK;
}

HRESULT GetCameraControl(int handle, long property, long* value, long* flags) {
    if (property != CameraControl_Exposure) return E_PROP_ID_UNSUPPORTED;
    int ok = 0;
    const int microseconds = Kolvex_GetRealExposureTime(handle, &ok);
    if (!ok || microseconds <= 0) return E_FAIL;
    *value = Log2Seconds(microseconds);
    *flags = AutoExposureMode(handle) == kAutoByTime ? CameraControl_Flags_Auto : CameraControl_Flags_Manual;
    return S_OK;
}

HRESULT SetCameraControl(int handle, long property, long value, long flags) {
    ControlRange range;
    const HRESULT known = CameraControlRange(handle, property, &range);
    if (FAILED(known)) return known;
    if (flags & CameraControl_Flags_Auto) return SetAutoExposure(handle, kAutoByTime, true) ? S_OK : E_FAIL;
    if (value < range.minimum || value > range.maximum) return E_INVALIDARG;
    const long microseconds = std::lround(std::ldexp(1e6, static_cast<int>(value)));
    return SetAutoExposure(handle, kAutoByTime, false) &&
                   Kolvex_SetRealExposureTime(handle, static_cast<int>(microseconds))
               ? S_OK
               : E_INVALIDARG;
}

}  // namespace kvx::dshow
