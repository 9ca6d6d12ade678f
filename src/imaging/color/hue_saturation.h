// Hue rotation and saturation change in a hexcone (lightness, chroma, hue
// sector) model, in integer arithmetic on 8-bit channel values. Deep images
// (16-bit words) are taken down to 8 bits for the transform and shifted
// back, so their low bits become 0.
#pragma once

#include <cstdint>

#include "imaging/mode_kernels.h"

namespace kvx {

struct HueSaturationParams {
    int32_t hue;         // degrees, -360..360
    int32_t lightness;   // always 0
    int32_t saturation;  // -255..255
    int32_t bitDepth;    // significant bits of 16-bit words (12)
};

// Indexed by colour mode 0..5; null for the monochrome modes 0 and 1.
extern const ModeKernels kHueSaturationKernels;
// Colour mode 2 (B, G, R bytes) and 3 (B, G, R, 0: the fourth byte is written 0).
inline const PixelKernel& HueSaturation24 = kHueSaturationKernels[2];
inline const PixelKernel& HueSaturation32 = kHueSaturationKernels[3];
// Colour mode 4 (B, G, R words) and 5 (B, G, R, 0 words: the fourth word is written 0).
inline const PixelKernel& HueSaturation48 = kHueSaturationKernels[4];
inline const PixelKernel& HueSaturation64 = kHueSaturationKernels[5];

}  // namespace kvx
