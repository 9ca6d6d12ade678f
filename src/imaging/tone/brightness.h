// Brightness: a multiplicative factor in single precision, 1 - |b| / 255
// below zero and 1 + 10 b / 255 above. `argument` is a ToneParams
// (value -255..255, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"
#include "imaging/tone/tone_params.h"

namespace kvx {

float BrightnessFactor(int brightness);

int BrightnessGray8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                    int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);
int BrightnessGray16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                     int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                     int extra);
int BrightnessColor8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                     int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                     int extra);
int BrightnessColor16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                      int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument,
                      int extra);

// Indexed by colour mode 0..5.
extern const PixelKernel kBrightnessKernels[6];

}  // namespace kvx
