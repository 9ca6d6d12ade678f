#include "imaging/tone/gray_gain_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

namespace kvx {
namespace {

// One 32-bit lane of two 16-bit ones, the even pixel's value low: set in
// every lane, the 16-bit lanes alternate even / odd pixel (g0, g1, g0, ...).
inline int PairedWords(int even, int odd) {
    return static_cast<int>((static_cast<uint32_t>(odd) << 16) | (static_cast<uint32_t>(even) & 0xFFFF));
}

KVX_TARGET_SSE2 __m128i Alternate16(int even, int odd) { return _mm_set1_epi32(PairedWords(even, odd)); }

// (product >> 7) + offset clipped to 0..limit, moved down by 32768 for the
// signed pack that SSE2 offers.
KVX_TARGET_SSE2 inline __m128i FinishWords(__m128i product, __m128i offset, __m128i limit) {
    __m128i v = _mm_add_epi32(_mm_srli_epi32(product, 7), offset);
    v = _mm_andnot_si128(_mm_cmpgt_epi32(_mm_setzero_si128(), v), v);
    const __m128i over = _mm_cmpgt_epi32(v, limit);
    v = _mm_or_si128(_mm_andnot_si128(over, v), _mm_and_si128(over, limit));
    return _mm_sub_epi32(v, _mm_set1_epi32(32768));
}

}  // namespace

KVX_TARGET_SSE2 int GrayGainRow8Sse2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule) {
    const __m128i gain = Alternate16(rule.gain[0], rule.gain[1]);
    const __m128i offset = Alternate16(rule.offset[0], rule.offset[1]);
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        // gain * in <= 255 * 255 fits an unsigned 16-bit lane; >> 7 is the
        // truncating division by 128 of a non-negative product.
        __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), gain), 7);
        __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), gain), 7);
        lo = _mm_add_epi16(lo, offset);
        hi = _mm_add_epi16(hi, offset);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_packus_epi16(lo, hi));
    }
    return x;
}

KVX_TARGET_AVX2 int GrayGainRow8Avx2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule) {
    const __m256i gain = _mm256_set1_epi32(PairedWords(rule.gain[0], rule.gain[1]));
    const __m256i offset = _mm256_set1_epi32(PairedWords(rule.offset[0], rule.offset[1]));
    const __m256i zero = _mm256_setzero_si256();
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
        // Unpack and pack both work within 128-bit halves, so the byte order survives.
        __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), gain), 7);
        __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), gain), 7);
        lo = _mm256_add_epi16(lo, offset);
        hi = _mm256_add_epi16(hi, offset);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_packus_epi16(lo, hi));
    }
    return x;
}

KVX_TARGET_SSE2 int GrayGainRow16Sse2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule, int maxValue) {
    const __m128i gain = Alternate16(rule.gain[0], rule.gain[1]);
    const __m128i offset = _mm_set_epi32(rule.offset[1], rule.offset[0], rule.offset[1], rule.offset[0]);
    const __m128i limit = _mm_set1_epi32(maxValue);
    const __m128i bias16 = _mm_set1_epi16(-32768);
    const bool narrow = maxValue <= 32767;
    const __m128i gain32 = _mm_slli_epi16(gain, 5);
    const __m128i offset16 = Alternate16(rule.offset[0], rule.offset[1]);
    const __m128i limit16 = _mm_set1_epi16(static_cast<short>(narrow ? maxValue : 0));
    const __m128i wide = _mm_set1_epi16(static_cast<short>(0xF000));
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * x));
        if (narrow && _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, wide), zero)) == 0xFFFF) {
            // Samples within 12 bits: (v << 4) * (g << 5) >> 16 is v * g / 128
            // exactly, in 16-bit lanes.
            const __m128i q = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(v, 4), gain32), offset16);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x), _mm_min_epi16(_mm_max_epi16(q, zero), limit16));
            continue;
        }
        const __m128i low = _mm_mullo_epi16(v, gain);
        const __m128i high = _mm_mulhi_epu16(v, gain);
        const __m128i a = FinishWords(_mm_unpacklo_epi16(low, high), offset, limit);
        const __m128i b = FinishWords(_mm_unpackhi_epi16(low, high), offset, limit);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x), _mm_xor_si128(_mm_packs_epi32(a, b), bias16));
    }
    return x;
}

KVX_TARGET_AVX2 int GrayGainRow16Avx2(uint8_t* d, const uint8_t* s, int width, const GainRow& rule, int maxValue) {
    const __m256i gain = _mm256_set1_epi32(PairedWords(rule.gain[0], rule.gain[1]));
    const __m256i offset = _mm256_set_epi32(rule.offset[1], rule.offset[0], rule.offset[1], rule.offset[0],
                                            rule.offset[1], rule.offset[0], rule.offset[1], rule.offset[0]);
    const __m256i limit = _mm256_set1_epi32(maxValue);
    const __m256i zero = _mm256_setzero_si256();
    const bool narrow = maxValue <= 32767;
    const __m256i gain32 = _mm256_slli_epi16(gain, 5);
    const __m256i offset16 = _mm256_set1_epi32(PairedWords(rule.offset[0], rule.offset[1]));
    const __m256i limit16 = _mm256_set1_epi16(static_cast<short>(narrow ? maxValue : 0));
    const __m256i wide = _mm256_set1_epi16(static_cast<short>(0xF000));
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * x));
        if (narrow && _mm256_testz_si256(v, wide)) {
            // Samples within 12 bits: (v << 4) * (g << 5) >> 16 is v * g / 128
            // exactly, in 16-bit lanes.
            const __m256i q = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_slli_epi16(v, 4), gain32), offset16);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * x),
                                _mm256_min_epi16(_mm256_max_epi16(q, zero), limit16));
            continue;
        }
        const __m256i low = _mm256_mullo_epi16(v, gain);
        const __m256i high = _mm256_mulhi_epu16(v, gain);
        __m256i a = _mm256_add_epi32(_mm256_srli_epi32(_mm256_unpacklo_epi16(low, high), 7), offset);
        __m256i b = _mm256_add_epi32(_mm256_srli_epi32(_mm256_unpackhi_epi16(low, high), 7), offset);
        a = _mm256_min_epi32(_mm256_max_epi32(a, zero), limit);
        b = _mm256_min_epi32(_mm256_max_epi32(b, zero), limit);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * x), _mm256_packus_epi32(a, b));
    }
    return x;
}

}  // namespace kvx
#endif
