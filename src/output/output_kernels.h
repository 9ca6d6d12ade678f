// The few file-format layouts the shared export kernels do not cover, in the
// same PixelKernel form so that RunKernel clips for them.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace kvx {

// 48 or 64 bpp -> 24 bpp B, G, R, rows flipped: each of the first three
// words (v >> extra) & 0xFF (extra 4 for 12-bit samples, 2 for 10-bit).
int ReduceColorWordsToBgr24Flipped(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                                   int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride,
                                   void* argument, int extra);

// 8 bpp -> 24 bpp through a 256-entry palette (`argument`, blue, green, red,
// reserved), as the system draws a palette bitmap; rows flipped when
// `extra` is non-zero.
int ExpandPaletteToBgr24(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                         int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                         int extra);

// 32 bpp B, G, R, x -> R, G, B, 0.
int SwapColor32FourthZero(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                          int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                          int extra);

// The shift that keeps the top eight of `sampleBits` significant bits.
inline int ShiftDownFor(int sampleBits) { return sampleBits == 10 ? 2 : 4; }

}  // namespace kvx
