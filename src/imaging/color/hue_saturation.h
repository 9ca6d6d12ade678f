// Hue rotation and saturation change in a hexcone (lightness, chroma, hue
// sector) model, in integer arithmetic on 8-bit channel values. Deep images
// (16-bit words) are taken down to 8 bits for the transform and shifted
// back, so their low bits become 0.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

struct HueSaturationParams {
    int32_t hue;         // degrees, -360..360
    int32_t lightness;   // always 0
    int32_t saturation;  // -255..255
    int32_t bitDepth;    // significant bits of 16-bit words (12)
};

// Colour mode 2 (B, G, R bytes) and 3 (B, G, R, 0: the fourth byte is written 0).
extern const PixelKernel HueSaturation24;
extern const PixelKernel HueSaturation32;
// Colour mode 4 (B, G, R words) and 5 (B, G, R, 0 words: the fourth word is written 0).
extern const PixelKernel HueSaturation48;
extern const PixelKernel HueSaturation64;

// Indexed by colour mode 0..5; null for the monochrome modes 0 and 1.
extern const PixelKernel kHueSaturationKernels[6];

}  // namespace kvx
