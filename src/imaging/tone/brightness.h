// Brightness: a multiplicative factor in single precision, 1 - |b| / 255
// below zero and 1 + 10 b / 255 above. `argument` is a ToneParams
// (value -255..255, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/mode_kernels.h"
#include "imaging/tone/tone_params.h"

namespace kvx {

float BrightnessFactor(int brightness);


// Indexed by colour mode 0..5.
extern const ModeKernels kBrightnessKernels;

}  // namespace kvx
