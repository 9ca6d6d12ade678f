// Gamma: a power curve through a lookup table built from the control value
// (100 = neutral, below brightens, above darkens). `argument` is a ToneParams.
#pragma once

#include <cstdint>

#include "imaging/mode_kernels.h"
#include "imaging/tone/tone_params.h"

namespace kvx {

// Exponent for a gamma control value: g / 100 up to 100, then (g - 100) / 10 + 1.
double GammaExponent(int gamma);

// Indexed by colour mode 0..5. A fourth byte or word is left alone.
extern const ModeKernels kGammaKernels;

}  // namespace kvx
