#include "camera_controls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "KolvexSdk.h"
#include "parameter_table.h"

namespace kvx::dshow {
namespace {

// Automatic exposure modes of Kolvex_SetAutoIris.
enum AutoExposure { kAutoOff = 0, kAutoByTime = 1, kAutoByGain = 2 };

// A row of the parameter table every tool shares; the table is compiled
// in, so a missing row is a build fault.
const ParameterInfo& Row(const char* name) {
    const ParameterInfo* row = FindParameterRow(name);
    if (!row) std::abort();
    return *row;
}

// The image filter values that map one to one, under the table's names.
struct PlainControl {
    long property;
    const char* parameter;
};

const PlainControl kPlainControls[] = {
    {VideoProcAmp_Brightness, "brightness"}, {VideoProcAmp_Contrast, "contrast"},
    {VideoProcAmp_Hue, "hue"},               {VideoProcAmp_Saturation, "saturation"},
    {VideoProcAmp_Sharpness, "sharpness"},   {VideoProcAmp_Gamma, "gamma"},
};

const PlainControl* FindPlain(long property) {
    for (const PlainControl& c : kPlainControls)
        if (c.property == property) return &c;
    return nullptr;
}

long UnityGain() { return Row("bayer-gain-red").defaultValue; }

// The largest tilt that keeps both white balance gains within their range,
// so every tilt reads back as it was set.
long MaxTilt() {
    const ParameterInfo& red = Row("bayer-gain-red");
    const ParameterInfo& blue = Row("bayer-gain-blue");
    return std::min({UnityGain() - red.min, red.max - UnityGain(), UnityGain() - blue.min, blue.max - UnityGain()});
}

// Filter values by the table's names.
bool Read(int handle, const char* parameter, long* value) {
    int ok = 0;
    *value = Kolvex_GetFilterValue(handle, Row(parameter).id, &ok);
    return ok != 0;
}

bool Write(int handle, const char* parameter, long value) {
    return Kolvex_SetFilterValue(handle, Row(parameter).id, static_cast<int>(value)) != 0;
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
    if (!ok || !Read(handle, "exposure-lines", &lines) || lines <= 0 || microseconds <= 0) return false;
    *perLine = static_cast<double>(microseconds) / lines;
    return true;
}

long Log2Seconds(double microseconds) { return std::lround(std::log2(microseconds / 1e6)); }

}  // namespace

HRESULT VideoProcAmpRange(int handle, long property, ControlRange* range) {
    *range = ControlRange{};
    if (const PlainControl* c = FindPlain(property)) {
        const ParameterInfo& row = Row(c->parameter);
        *range = {row.min, row.max, row.step, row.defaultValue, VideoProcAmp_Flags_Manual};
        return S_OK;
    }
    if (property == VideoProcAmp_Gain) return GainRange(handle, range);
    if (property == VideoProcAmp_WhiteBalance) {
        *range = {-MaxTilt(), MaxTilt(), 1, 0, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual};
        return S_OK;
    }
    return E_PROP_ID_UNSUPPORTED;
}

HRESULT GetVideoProcAmp(int handle, long property, long* value, long* flags) {
    *flags = VideoProcAmp_Flags_Manual;
    if (const PlainControl* c = FindPlain(property)) return Read(handle, c->parameter, value) ? S_OK : E_FAIL;
    if (property == VideoProcAmp_Gain) {
        if (AutoExposureMode(handle) == kAutoByGain) *flags = VideoProcAmp_Flags_Auto;
        return Read(handle, "global-gain", value) ? S_OK : E_FAIL;
    }
    if (property == VideoProcAmp_WhiteBalance) {
        long red = 0, blue = 0, automatic = 0;
        if (!Read(handle, "bayer-gain-red", &red) || !Read(handle, "bayer-gain-blue", &blue) ||
            !Read(handle, "bayer-gain-auto", &automatic))
            return E_FAIL;
        if (automatic) *flags = VideoProcAmp_Flags_Auto;
        // Automatic balance may leave gains no tilt reaches; the nearest one.
        *value = std::max(-MaxTilt(), std::min(MaxTilt(), (blue - red) / 2));
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
    if (const PlainControl* c = FindPlain(property))
        return Write(handle, c->parameter, value) ? S_OK : E_INVALIDARG;
    if (property == VideoProcAmp_Gain) {
        if (WantsAuto(flags)) return SetAutoExposure(handle, kAutoByGain, true) ? S_OK : E_FAIL;
        return SetAutoExposure(handle, kAutoByGain, false) && Write(handle, "global-gain", value) ? S_OK : E_INVALIDARG;
    }
    // White balance.
    if (WantsAuto(flags)) return Write(handle, "bayer-gain-auto", 1) ? S_OK : E_FAIL;
    return Write(handle, "bayer-gain-auto", 0) && Write(handle, "bayer-gain-red", UnityGain() - value) &&
                   Write(handle, "bayer-gain-blue", UnityGain() + value)
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
    range->defaultValue = Log2Seconds(perLine * Row("exposure-lines").defaultValue);
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
