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

// Indexed by colour mode 0..5; null for the monochrome modes 0 and 1. Modes
// 3 and 5 write the fourth byte or word 0.
extern const ModeKernels kHueSaturationKernels;

}  // namespace kvx
