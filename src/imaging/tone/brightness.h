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
inline const PixelKernel& BrightnessGray8 = kBrightnessKernels[0];
inline const PixelKernel& BrightnessGray16 = kBrightnessKernels[1];
inline const PixelKernel& BrightnessColor8 = kBrightnessKernels[2];
inline const PixelKernel& BrightnessColor16 = kBrightnessKernels[4];

}  // namespace kvx
