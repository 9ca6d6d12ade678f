// The device writes rows tightly packed; bitmaps pad each row to a multiple
// of 4 bytes. These kernels spread a packed frame to the padded stride in
// place, last row first and, within a row, last sample first, so no sample
// is overwritten before it has moved. The frame is the rectangle's size;
// `dst` and `src` are the same bitmap.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace kvx {

int ExpandPackedRows8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                      int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);
int ExpandPackedRows16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                       int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                       int extra);

}  // namespace kvx
