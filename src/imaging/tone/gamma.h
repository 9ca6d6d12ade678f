// Gamma: a power curve through a lookup table built from the control value
// (100 = neutral, below brightens, above darkens). `argument` is a ToneParams.
#pragma once

#include <cstdint>

#include "imaging/tone/tone_params.h"
#include "pixels/pixel_kernel.h"

namespace kvx {

// Exponent for a gamma control value: g / 100 up to 100, then (g - 100) / 10 + 1.
double GammaExponent(int gamma);

// Colour mode 0: 8-bit gray.
extern const PixelKernel GammaGray8;
// Colour mode 1: 16-bit gray.
extern const PixelKernel GammaGray16;
// Colour modes 2 and 3: B, G, R bytes, 3 or 4 bytes per pixel (a fourth byte is left alone).
extern const PixelKernel GammaColor8;
// Colour modes 4 and 5: B, G, R 16-bit words, 6 or 8 bytes per pixel.
extern const PixelKernel GammaColor16;

// Indexed by colour mode 0..5.
extern const PixelKernel kGammaKernels[6];

}  // namespace kvx
