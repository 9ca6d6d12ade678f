// Deep and wide images reduced to what the system can draw (8-bit gray with
// a palette, or 24-bit B, G, R), and the luminance that gray mode 2 makes
// from a demosaiced image. Channel words carry 12 significant bits; the
// reductions keep bits 4..11.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// 16 bpp gray -> 8 bpp: (v >> 4) & 0xFF.
extern const PixelKernel ReduceGray16To8;
// 32 bpp -> 24 bpp: B, G, R copied.
extern const PixelKernel ReduceColor32To24;
// 48 or 64 bpp -> 24 bpp: each of B, G, R (v >> 4) & 0xFF.
extern const PixelKernel ReduceColor48To24;
// 24 (or 32) bpp -> 8 bpp: (59 G + 30 R + 11 B) / 100.
extern const PixelKernel Luminance24To8;

}  // namespace kvx
