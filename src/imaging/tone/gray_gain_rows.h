// Row workers of the gray gain kernels, one per instruction set. Each
// handles a row of tightly packed samples starting at an even pixel and
// returns how many pixels it did (an even number); the scalar worker does
// the rest.
#pragma once

#include <cstdint>

#include "imaging/simd_dispatch.h"

namespace kvx {

// Gain and offset of the row's even pixels [0] and odd pixels [1].
struct GainRow {
    int gain[2];
    int offset[2];
};

void GrayGainRow8Scalar(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, const GainRow& rule);
void GrayGainRow16Scalar(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, const GainRow& rule,
                         int maxValue);

#if KVX_SIMD_X86
// Gains 0..255 and offsets -255..255 only (the products then fit 16-bit lanes).
int GrayGainRow8Sse2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule);
int GrayGainRow8Avx2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule);
int GrayGainRow16Sse2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule, int maxValue);
int GrayGainRow16Avx2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule, int maxValue);
#endif

}  // namespace kvx
