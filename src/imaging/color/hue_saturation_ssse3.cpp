// The SSSE3 rows of the hue and saturation transform: hue_lanes.h on one
// 128-bit vector, 8 pixels a step.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

namespace kvx {
namespace {

#include "imaging/color/hue_lanes_sse2.h"

struct Ssse3Ops : Sse2Ops {
    static V Bytes(int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7, int b8, int b9, int b10, int b11,
                   int b12, int b13, int b14, int b15) {
        return _mm_setr_epi8(static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
                             static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
                             static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10),
                             static_cast<char>(b11), static_cast<char>(b12), static_cast<char>(b13),
                             static_cast<char>(b14), static_cast<char>(b15));
    }
    static V MulHighRound(V a, V b) { return _mm_mulhrs_epi16(a, b); }
    static V MultiplyAddBytes(V unsignedBytes, V signedBytes) { return _mm_maddubs_epi16(unsignedBytes, signedBytes); }
    template <int n>
    static V AlignRight(V high, V low) { return _mm_alignr_epi8(high, low, n); }
    static V Shuffle(V a, V mask) { return _mm_shuffle_epi8(a, mask); }
};

#include "imaging/color/hue_lanes.h"

}  // namespace

int HueRow8Ssse3(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    return HueRow8Lanes<Ssse3Ops>(d, s, width, bpp, t);
}

int HueRow16Ssse3(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    return HueRow16Lanes<Ssse3Ops>(d, s, width, bpp, t);
}

}  // namespace kvx
#endif
