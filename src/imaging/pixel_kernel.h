// The one signature of every image kernel. Kernels are plain functions over
// raw pixel memory: no bounds tests in the hot loops, no allocation, and a
// result bit-identical to the scalar rule each implements, whatever SIMD
// path computes it.
#pragma once

#include <cstdint>

namespace kvx {

// A rectangle in memory rows: row `top` is the first row processed, `bottom`
// and `right` are exclusive.
struct KernelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// dst, src: first byte of each bitmap's pixel memory (they may be the same).
// srcRect:  the source pixels to process, already clipped to both bitmaps.
// dstX, dstY: where srcRect's first pixel lands in the destination.
// dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride: the layouts.
// argument: the step's parameter record (or null); extra: one more integer.
// Returns 1 for image kernels, the region mean for measuring kernels.
using PixelKernel = int (*)(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                            int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride,
                            void* argument, int extra);

// The scaling kernels' signature: no clipping, both rectangles in memory
// rows, and the whole sizes of both bitmaps.
using ScaledPixelKernel = int (*)(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect,
                                  int dstWidth, int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel,
                                  int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);

}  // namespace kvx
