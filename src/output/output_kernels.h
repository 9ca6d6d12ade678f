// The few file-format layouts the shared export kernels do not cover, in the
// same PixelKernel form so that RunKernel clips for them.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// 48 or 64 bpp -> 24 bpp B, G, R, rows flipped: each of the first three
// words (v >> extra) & 0xFF (extra 4 for 12-bit samples, 2 for 10-bit).
extern const PixelKernel ReduceColorWordsToBgr24Flipped;

// 8 bpp -> 24 bpp through a 256-entry palette (`argument`, blue, green, red,
// reserved), as the system draws a palette bitmap; rows flipped when
// `extra` is non-zero.
extern const PixelKernel ExpandPaletteToBgr24;

// 32 bpp B, G, R, x -> R, G, B, 0.
extern const PixelKernel SwapColor32FourthZero;

// The shift that keeps the top eight of `sampleBits` significant bits.
inline int ShiftDownFor(int sampleBits) { return sampleBits == 10 ? 2 : 4; }

}  // namespace kvx
