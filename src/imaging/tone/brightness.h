// Brightness: a multiplicative factor in single precision, 1 - |b| / 255
// below zero and 1 + 10 b / 255 above. `argument` is a ToneParams
// (value -255..255, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/tone/tone_params.h"
#include "pixels/pixel_kernel.h"

namespace kvx {

float BrightnessFactor(int brightness);

extern const PixelKernel BrightnessGray8;
extern const PixelKernel BrightnessGray16;
extern const PixelKernel BrightnessColor8;
extern const PixelKernel BrightnessColor16;

// Indexed by colour mode 0..5.
extern const PixelKernel kBrightnessKernels[6];

}  // namespace kvx
