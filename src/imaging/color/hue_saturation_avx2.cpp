// The AVX2 rows of the hue and saturation transform: hue_lanes.h on two
// 128-bit halves, 16 pixels a step. The AVX2 forms of the SSSE3 operations
// work within each half, so whatever pixels a load puts in a half come back
// to the same place on the store; 3-byte and 6-byte pixels are loaded and
// stored as one block of eight pixels per half.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

namespace kvx {
namespace {

struct Avx2Ops {
    using V = __m256i;
    using F = __m256;
    static constexpr int kHalves = 2;

    static V Zero() { return _mm256_setzero_si256(); }
    static V Set16(short v) { return _mm256_set1_epi16(v); }
    // The same eight words, or sixteen bytes, in both halves: spelt out whole, so that each is one 32-byte
    // constant rather than a load and an insert repeated inside the loop.
    static V Words(short w0, short w1, short w2, short w3, short w4, short w5, short w6, short w7) {
        return _mm256_setr_epi16(w0, w1, w2, w3, w4, w5, w6, w7, w0, w1, w2, w3, w4, w5, w6, w7);
    }
    static V Bytes(int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7, int b8, int b9, int b10, int b11,
                   int b12, int b13, int b14, int b15) {
        return _mm256_setr_epi8(
            static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
            static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
            static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10), static_cast<char>(b11),
            static_cast<char>(b12), static_cast<char>(b13), static_cast<char>(b14), static_cast<char>(b15),
            static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
            static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
            static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10), static_cast<char>(b11),
            static_cast<char>(b12), static_cast<char>(b13), static_cast<char>(b14), static_cast<char>(b15));
    }

    // The value as the compiler cannot see it: kept in a register or spilled, never rebuilt.
    static V Kept(V v) {
        __asm__("" : "+x"(v));
        return v;
    }

    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V Max(V a, V b) { return _mm256_max_epi16(a, b); }
    static V Min(V a, V b) { return _mm256_min_epi16(a, b); }
    static V Greater(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Select(V mask, V yes, V no) { return _mm256_blendv_epi8(no, yes, mask); }
    static V MulLow(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V MulHighUnsigned(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    static V MulHighRound(V a, V b) { return _mm256_mulhrs_epi16(a, b); }
    static V MultiplyAddBytes(V unsignedBytes, V signedBytes) {
        return _mm256_maddubs_epi16(unsignedBytes, signedBytes);
    }
    template <int n>
    static V ShiftRight(V a) { return _mm256_srli_epi16(a, n); }
    template <int n>
    static V ShiftLeft(V a) { return _mm256_slli_epi16(a, n); }
    template <int n>
    static V AlignRight(V high, V low) { return _mm256_alignr_epi8(high, low, n); }
    static V Shuffle(V a, V mask) { return _mm256_shuffle_epi8(a, mask); }
    static V PackUnsigned(V a, V b) { return _mm256_packus_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
    static V UnpackLo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
    static V UnpackHi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
    static V UnpackLo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
    static V UnpackHi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
    static V UnpackLo64(V a, V b) { return _mm256_unpacklo_epi64(a, b); }
    static V UnpackHi64(V a, V b) { return _mm256_unpackhi_epi64(a, b); }

    static F Float(float v) { return _mm256_set1_ps(v); }
    static F ToFloat(V a) { return _mm256_cvtepi32_ps(a); }
    static F Divide(F a, F b) { return _mm256_div_ps(a, b); }
    static V TruncateToInt(F a) { return _mm256_cvttps_epi32(a); }

    static V Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    static void Store(uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
    // 16 bytes at p into the low half and at p + stride into the high one.
    static V LoadHalves(const uint8_t* p, int stride) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + stride));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    static void StoreHalves(uint8_t* p, V v, int stride) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + stride), _mm256_extracti128_si256(v, 1));
    }
    static void StoreLowHalves(uint8_t* p, V v, int stride) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + stride), _mm256_extracti128_si256(v, 1));
    }
};

#include "imaging/color/hue_lanes.h"

}  // namespace

int HueRow8Avx2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    return HueRow8Lanes<Avx2Ops>(d, s, width, bpp, t);
}

int HueRow16Avx2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    return HueRow16Lanes<Avx2Ops>(d, s, width, bpp, t);
}

}  // namespace kvx
#endif
