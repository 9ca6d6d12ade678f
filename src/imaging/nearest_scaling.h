// Nearest-neighbour scaling into the preview bitmap, flipped vertically on
// the way, since the preview is drawn bottom-up. For destination row i of
// H_d and column j of W_d:
//
//   u = trunc((float)H_s / H_d * i)   v = trunc((float)W_s / W_d * j)
//   read source row H_s - 1 - u, column v (both clamped into the source)
//
// Rectangles are in memory rows; each is held inside its bitmap.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

int ScaleNearest8(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect, int dstWidth,
                  int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel, int srcBytesPerPixel,
                  int dstStride, int srcStride, void* argument, int extra);
int ScaleNearest24(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect, int dstWidth,
                   int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel, int srcBytesPerPixel,
                   int dstStride, int srcStride, void* argument, int extra);

}  // namespace kvx
