// The SSSE3 row of the 8-bit sharpness step: the four-row column sums by
// pmaddubsw of two interleaved rows against ones, and the division of the
// signed boost by 10 through pabsw and psignw instead of the sign masks.
#include "imaging/tone/sharpness_rows.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

namespace kvx {
namespace {

#include "imaging/tone/sharpness_lanes_sse2.h"

struct Ssse3Path {
    // Two interleaved rows against ones: pmaddubsw adds each pair of bytes.
    static void ColumnSums16(uint16_t* v, const uint8_t* const rows[4], int j) {
        const __m128i ones = _mm_set1_epi8(1);
        const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0] + j));
        const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[1] + j));
        const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2] + j));
        const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[3] + j));
        const __m128i lo = _mm_add_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(r0, r1), ones),
                                         _mm_maddubs_epi16(_mm_unpacklo_epi8(r2, r3), ones));
        const __m128i hi = _mm_add_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(r0, r1), ones),
                                         _mm_maddubs_epi16(_mm_unpackhi_epi8(r2, r3), ones));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v + 8), hi);
    }

    // The reciprocal 6554 / 65536 is exact on that range for magnitudes;
    // psignw puts the sign back (and keeps 0 at 0).
    static __m128i DivideBy10(__m128i n) {
        return _mm_sign_epi16(_mm_mulhi_epu16(_mm_abs_epi16(n), _mm_set1_epi16(6554)), n);
    }
};

}  // namespace

bool SharpenRow8Ssse3(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength) {
    return SharpenRow8Lanes<Ssse3Path>(d, rows, width, bpp, strength);
}

}  // namespace kvx
#endif
