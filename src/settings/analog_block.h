// Where each sensor setting lives in the camera's analog block: nine 32-bit
// words, in the order they are stored under "Gain" and edited by the analog
// settings dialog.
#pragma once

namespace kvx {

enum AnalogIndex : int {
    kGlobalGain = 0,
    kColorGainGreen1 = 1,
    kColorGainRed = 2,
    kColorGainBlue = 3,
    kColorGainGreen2 = 4,
    kExposureLines = 5,
    kMirrorV = 6,
    kMirrorH = 7,
    kAutoIris = 8,  // 0 off, 1 by exposure time, 2 by gain
    kAnalogBlockSize = 9,
};

}  // namespace kvx
