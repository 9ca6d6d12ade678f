// Gamma, contrast and brightness in one pass: the three are per-sample
// curves, so consecutive ones are one curve, and one table built from the
// kernels themselves gives, sample for sample, what running them one after
// the other gives. A neutral control is left out of the chain.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

struct ToneChainParams {
    int32_t gamma;       // 100 = neutral
    int32_t contrast;    // 0 = neutral
    int32_t brightness;  // 0 = neutral
    int32_t bitDepth;    // significant bits of 16-bit samples (12)
};

// Whether the controls lie in the ranges their setters allow, which the
// chain's table cache relies on.
bool ToneChainFits(const ToneChainParams& params);

// Indexed by colour mode 0..5, like the single steps' tables.
extern const PixelKernel kToneChainKernels[6];

}  // namespace kvx
