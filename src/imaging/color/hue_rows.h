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
};

// B, G, R in, packed 0x00RRGGBB out.
//
//   hexcone:  max, min of the three  ->  chroma C = max - min, sum = max + min
//             the channel that is max and the sign of the other two's
//             difference give the sector s (0..5) and the offset d (0..C)
//             within it; position = d / C of a sector of 255 steps.
inline uint32_t TransformPixel(int b, int g, int r, const HueTransform& t) {
    int mx = r, candidateMin = g, d = g - b, s = 1;
    if (r < g) {
        mx = g;
        candidateMin = r;
        d = b - r;
        s = 3;
    }
    if (b > mx) {
        mx = b;
        d = r - g;
        s = 5;
    }
    const int mn = candidateMin < b ? candidateMin : b;
    const int chroma = mx - mn, sum = mx + mn;
    if (d < 0) {
        s -= 1;
        d += chroma;
    }
    const int limit = t.chromaLimit[sum];
    const int scaled = t.saturation[chroma] < limit ? t.saturation[chroma] : limit;
    const int newMin = (sum - scaled) >> 1;
    const int newChroma = ((scaled + sum) >> 1) - newMin;
    int pos = ((t.reciprocal[chroma] * d + 0x8000) >> 16) + t.rotation.step;
    s += t.rotation.sector;
    if (pos >= 255) {
        pos -= 255;
        s += 1;
    }
    if (s >= 6) s -= 6;
    const int32_t packed = newMin * 0x010101 + ((newChroma * 0x010101) & kSectorMask[s]) +
                           ((newChroma * pos + 128) >> 8) * kSectorRamp[s];
    return static_cast<uint32_t>(packed);
}

#if KVX_SIMD_X86
// 8-bit B, G, R pixels of 3 or 4 bytes (a fourth byte is written 0). Returns
// how many pixels were done from the start of the row.
int HueRow8Avx2(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);
#endif

}  // namespace kvx
