#include "control_interfaces.h"

namespace kvx::dshow {

// Automatic exposure by gain can lengthen frames; a longer exposure is a
// longer frame.
const ControlFunctions kVideoProcAmpFunctions = {VideoProcAmpRange, GetVideoProcAmp, SetVideoProcAmp,
                                                 [](long property) { return property == VideoProcAmp_Gain; }};
const ControlFunctions kCameraControlFunctions = {CameraControlRange, GetCameraControl, SetCameraControl,
                                                  [](long) { return true; }};

}  // namespace kvx::dshow
