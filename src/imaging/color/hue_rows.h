// The per-pixel hue and saturation transform and its row workers.
#pragma once

#include <cstdint>

#include "imaging/color/hue_tables.h"
#include "imaging/simd_dispatch.h"

namespace kvx {

struct HueTransform {
    const uint16_t* saturation;  // S, for this saturation
    const int16_t* chromaLimit;  // Tri
    const int32_t* reciprocal;   // R
    HueRotation rotation;
    int saturationValue;  // the saturation the table was built for, -255..255
    int shift;            // words: significant bits - 8
};

// B, G, R in, packed 0x00RRGGBB out.
//
//   hexcone:  max, min of the three  ->  chroma C = max - min, sum = max + min
//             the channel that is max and the sign of the other two's
//             difference give the sector s (0..5) and the offset d (0..C)
//             within it; position = d / C of a sector of 255 steps.
inline uint32_t TransformPixel(int b, int g, int r, const HueTransform& t) {
    // Written as selects rather than branches: neighbouring pixels of a
    // noisy image take the branches at random.
    const bool rBelowG = r < g;
    int mx = rBelowG ? g : r;
    const int candidateMin = rBelowG ? r : g;
    int d = rBelowG ? b - r : g - b;
    int s = rBelowG ? 3 : 1;
    const bool bAbove = b > mx;
    mx = bAbove ? b : mx;
    d = bAbove ? r - g : d;
    s = bAbove ? 5 : s;
    const int mn = candidateMin < b ? candidateMin : b;
    const int chroma = mx - mn, sum = mx + mn;
    const int negative = d < 0 ? 1 : 0;
    s -= negative;
    d += negative ? chroma : 0;
    const int limit = t.chromaLimit[sum];
    const int saturated = t.saturation[chroma];
    const int scaled = saturated < limit ? saturated : limit;
    const int newMin = (sum - scaled) >> 1;
    const int newChroma = ((scaled + sum) >> 1) - newMin;
    int pos = ((t.reciprocal[chroma] * d + 0x8000) >> 16) + t.rotation.step;
    s += t.rotation.sector;
    const int wrap = pos >= 255 ? 1 : 0;
    pos -= wrap ? 255 : 0;
    s += wrap;
    s -= s >= 6 ? 6 : 0;
    const int32_t packed = newMin * 0x010101 + ((newChroma * 0x010101) & kSectorMask[s]) +
                           ((newChroma * pos + 128) >> 8) * kSectorRamp[s];
    return static_cast<uint32_t>(packed);
}

#if KVX_SIMD_X86
// 8-bit B, G, R pixels of 3 or 4 bytes (a fourth byte is written 0). Returns
// how many pixels were done from the start of the row.
int HueRow8Avx2(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
int HueRow8Ssse3(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
int HueRow8Sse2(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
// 16-bit words, 6 or 8 bytes per pixel (a fourth word is written 0).
int HueRow16Avx2(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
int HueRow16Ssse3(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
int HueRow16Sse2(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
#endif

}  // namespace kvx
