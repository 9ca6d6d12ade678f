// The controls a DirectShow client sets (IAMVideoProcAmp, IAMCameraControl)
// mapped onto the library's parameters, with the ranges and defaults of the
// parameter table every tool shares (tools/parameter_table):
//
//   Brightness, Contrast, Hue,     the image filter values of the same names
//   Saturation, Sharpness, Gamma
//   Gain                           the sensor's global gain; automatic is the
//                                  library's automatic exposure by gain
//   WhiteBalance                   the white balance gains as one tilt t from
//                                  red to blue: red 100 - t, blue 100 + t
//                                  (percent); automatic is the library's
//                                  automatic white balance
//   Exposure                       the exposure time as DirectShow counts it,
//                                  log2 seconds; automatic is the library's
//                                  automatic exposure by time
//
// Every other property is unsupported (E_PROP_ID_UNSUPPORTED).
#pragma once

#include <windows.h>
#include <strmif.h>

#include "property_set_results.h"

namespace kvx::dshow {

struct ControlRange {
    long minimum = 0, maximum = 0, step = 1, defaultValue = 0, flags = 0;
};

HRESULT VideoProcAmpRange(int handle, long property, ControlRange* range);
HRESULT GetVideoProcAmp(int handle, long property, long* value, long* flags);
HRESULT SetVideoProcAmp(int handle, long property, long value, long flags);

HRESULT CameraControlRange(int handle, long property, ControlRange* range);
HRESULT GetCameraControl(int handle, long property, long* value, long* flags);
HRESULT SetCameraControl(int handle, long property, long value, long flags);

}  // namespace kvx::dshow
