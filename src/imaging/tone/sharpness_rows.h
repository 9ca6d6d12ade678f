// Row workers of the sharpness kernels. `rows` are the four source rows
// y-2 .. y+1 at the rectangle's left edge; a worker writes the interior
// samples of destination row `d` (pixels 2 .. width-3) and returns true, or
// returns false without writing when the row does not suit it.
#pragma once

#include <cstdint>

#include "imaging/simd_dispatch.h"

namespace kvx {

// Strengths a vector worker takes: |orig - blur| * s must fit a 16-bit
// lane and its division by 10 by reciprocal multiplication must be exact.
constexpr int kVectorSharpnessLimit = 30;

void SharpenRow8Scalar(uint8_t* d, const uint8_t* const rows[4], int width, int dstStep, int srcStep, int channels,
                       int strength);
void SharpenRow16Scalar(uint8_t* d, const uint8_t* const rows[4], int width, int dstStep, int srcStep, int channels,
                        int strength, int maxValue);

#if KVX_SIMD_X86
// Samples of 1, 3 or 4 bytes per pixel (the fourth byte is left alone).
bool SharpenRow8Sse2(uint8_t* d, const uint8_t* const rows[4], int width, int bytesPerPixel, int strength);
bool SharpenRow8Ssse3(uint8_t* d, const uint8_t* const rows[4], int width, int bytesPerPixel, int strength);
bool SharpenRow8Avx2(uint8_t* d, const uint8_t* const rows[4], int width, int bytesPerPixel, int strength);
// Samples of 2, 6 or 8 bytes per pixel holding at most 12 significant bits
// (a row with a larger one is refused); maxValue at most 32767.
bool SharpenRow16Sse2(uint8_t* d, const uint8_t* const rows[4], int width, int bytesPerPixel, int strength,
                      int maxValue);
bool SharpenRow16Avx2(uint8_t* d, const uint8_t* const rows[4], int width, int bytesPerPixel, int strength,
                      int maxValue);
#endif

}  // namespace kvx
