// Contrast: a linear stretch about the middle of the range through a lookup
// table; negative values compress towards the middle. `argument` is a
// ToneParams (value -127..127, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/tone/tone_params.h"
#include "pixels/pixel_kernel.h"

namespace kvx {

extern const PixelKernel ContrastGray8;
extern const PixelKernel ContrastGray16;
extern const PixelKernel ContrastColor8;
extern const PixelKernel ContrastColor16;

// Indexed by colour mode 0..5.
extern const PixelKernel kContrastKernels[6];

}  // namespace kvx
