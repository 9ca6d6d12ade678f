// Contrast: a linear stretch about the middle of the range through a lookup
// table; negative values compress towards the middle. `argument` is a
// ToneParams (value -127..127, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"
#include "imaging/tone/tone_params.h"

namespace kvx {

int ContrastGray8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                  int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);
int ContrastGray16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                   int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);
int ContrastColor8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                   int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);
int ContrastColor16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                    int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);

// Indexed by colour mode 0..5.
extern const PixelKernel kContrastKernels[6];

}  // namespace kvx
