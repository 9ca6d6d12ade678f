// A step's kernels by colour mode 0..5: 8-bit gray, 16-bit gray, B, G, R
// bytes in 3 and in 4 bytes per pixel, B, G, R words in 6 and in 8.
#pragma once

#include <array>

#include "pixels/pixel_kernel.h"

namespace kvx {

using ModeKernels = std::array<PixelKernel, 6>;

// The usual table: one kernel for each sample size of gray and of colour,
// the colour ones indifferent to a fourth byte or word.
constexpr ModeKernels ByColourMode(PixelKernel gray8, PixelKernel gray16, PixelKernel colour8, PixelKernel colour16) {
    return ModeKernels{gray8, gray16, colour8, colour8, colour16, colour16};
}

}  // namespace kvx
