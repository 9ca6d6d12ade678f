// Vector workers for the 16-bit brightness step. Each takes a run of `count`
// words (whole pixels of `wordsPerPixel` words, 1, 3 or 4; with 4 the
// fourth word of each pixel stays), returns how many words it did from the
// start (whole pixels), and leaves the rest to the scalar loop.
#pragma once

#include <cstdint>

#include "imaging/simd_dispatch.h"

namespace kvx {

#if KVX_SIMD_X86
// out = min(trunc(in * factor), maxValue), in single precision.
int ScaleWordsSse2(uint8_t* d, const uint8_t* s, int count, int wordsPerPixel, float factor, int maxValue);
int ScaleWordsAvx2(uint8_t* d, const uint8_t* s, int count, int wordsPerPixel, float factor, int maxValue);

#endif

}  // namespace kvx
