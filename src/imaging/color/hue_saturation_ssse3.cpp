// The SSSE3 rows of the hue and saturation transform: hue_lanes.h on one
// 128-bit vector, 8 pixels a step.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

namespace kvx {
namespace {

struct Ssse3Ops {
    using V = __m128i;
    using F = __m128;
    static constexpr int kHalves = 1;

    static V Zero() { return _mm_setzero_si128(); }
    static V Set16(short v) { return _mm_set1_epi16(v); }
    static V Words(short w0, short w1, short w2, short w3, short w4, short w5, short w6, short w7) {
        return _mm_setr_epi16(w0, w1, w2, w3, w4, w5, w6, w7);
    }
    static V Bytes(int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7, int b8, int b9, int b10, int b11,
                   int b12, int b13, int b14, int b15) {
        return _mm_setr_epi8(static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
                             static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
                             static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10),
                             static_cast<char>(b11), static_cast<char>(b12), static_cast<char>(b13),
                             static_cast<char>(b14), static_cast<char>(b15));
    }

    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V Max(V a, V b) { return _mm_max_epi16(a, b); }
    static V Min(V a, V b) { return _mm_min_epi16(a, b); }
    static V Greater(V a, V b) { return _mm_cmpgt_epi16(a, b); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Select(V mask, V yes, V no) { return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no)); }
    static V MulLow(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MulHighUnsigned(V a, V b) { return _mm_mulhi_epu16(a, b); }
    static V MulHighRound(V a, V b) { return _mm_mulhrs_epi16(a, b); }
    static V MultiplyAddBytes(V unsignedBytes, V signedBytes) { return _mm_maddubs_epi16(unsignedBytes, signedBytes); }
    template <int n>
    static V ShiftRight(V a) { return _mm_srli_epi16(a, n); }
    template <int n>
    static V ShiftLeft(V a) { return _mm_slli_epi16(a, n); }
    template <int n>
    static V AlignRight(V high, V low) { return _mm_alignr_epi8(high, low, n); }
    static V Shuffle(V a, V mask) { return _mm_shuffle_epi8(a, mask); }
    static V PackUnsigned(V a, V b) { return _mm_packus_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V UnpackLo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V UnpackHi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V UnpackLo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
    static V UnpackHi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
    static V UnpackLo64(V a, V b) { return _mm_unpacklo_epi64(a, b); }
    static V UnpackHi64(V a, V b) { return _mm_unpackhi_epi64(a, b); }

    static F Float(float v) { return _mm_set1_ps(v); }
    static F ToFloat(V a) { return _mm_cvtepi32_ps(a); }
    static F Divide(F a, F b) { return _mm_div_ps(a, b); }
    static V TruncateToInt(F a) { return _mm_cvttps_epi32(a); }

    static V Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
    // One half: the blocks of further halves would lie `stride` bytes on.
    static V LoadHalves(const uint8_t* p, int) { return Load(p); }
    static void StoreHalves(uint8_t* p, V v, int) { Store(p, v); }
    static void StoreLowHalves(uint8_t* p, V v, int) { _mm_storel_epi64(reinterpret_cast<V*>(p), v); }
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
