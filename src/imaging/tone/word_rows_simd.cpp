#include "imaging/tone/word_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

namespace kvx {
namespace {

// Lanes of 4-word pixels that are B, G, R.
KVX_TARGET_SSE2 inline __m128i KeepSse2(int wordsPerPixel) {
    return wordsPerPixel == 4 ? _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1) : _mm_set1_epi32(-1);
}
KVX_TARGET_AVX2 inline __m256i KeepAvx2(int wordsPerPixel) {
    return wordsPerPixel == 4 ? _mm256_set1_epi64x(0x0000FFFFFFFFFFFFLL) : _mm256_set1_epi32(-1);
}

// Only 4-word pixels need the old fourth word read back; other rows are
// written straight, without reading the destination.
KVX_TARGET_SSE2 inline void StoreKeeping(uint8_t* q, __m128i out, __m128i keep) {
    if (_mm_movemask_epi8(keep) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), out);
        return;
    }
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_or_si128(_mm_and_si128(out, keep), _mm_andnot_si128(keep, old)));
}
KVX_TARGET_AVX2 inline void StoreKeeping(uint8_t* q, __m256i out, __m256i keep) {
    if (_mm256_movemask_epi8(keep) == -1) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(q), out);
        return;
    }
    const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(q), _mm256_blendv_epi8(old, out, keep));
}

}  // namespace

// Products of a word (at most 65535) and a factor below 32768 (brightness
// gives at most 11; larger ones are left to the table) stay inside 32 bits.
// Packing them with signed saturation keeps every value up to 32767 and so
// any limit of 15 bits or fewer, which makes the clip two 16-bit steps. A
// product can only be negative by a hair (a factor just below 0), which
// truncates to 0.
KVX_TARGET_SSE2 int ScaleWordsSse2(uint8_t* d, const uint8_t* s, int count, int wpp, float factor, int maxValue) {
    if (maxValue > 32767 || !(factor < 32768.0f)) return 0;
    const __m128 f = _mm_set1_ps(factor);
    const __m128i limit = _mm_set1_epi16(static_cast<short>(maxValue));
    const __m128i zero = _mm_setzero_si128();
    const __m128i keep = KeepSse2(wpp);
    const int unit = wpp == 3 ? 24 : 8;  // whole pixels per step
    int i = 0;
    for (; i + unit <= count; i += unit) {
        for (int j = 0; j < unit; j += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * (i + j)));
            const __m128i lo = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(v, zero)), f));
            const __m128i hi = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(v, zero)), f));
            const __m128i out = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(lo, hi), zero), limit);
            StoreKeeping(d + 2 * (i + j), out, keep);
        }
    }
    return i;
}

KVX_TARGET_AVX2 int ScaleWordsAvx2(uint8_t* d, const uint8_t* s, int count, int wpp, float factor, int maxValue) {
    if (!(factor < 32768.0f)) return 0;  // products beyond 32 bits: the table
    const __m256 f = _mm256_set1_ps(factor);
    const __m256i limit = _mm256_set1_epi32(maxValue);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keep = KeepAvx2(wpp);
    const int unit = wpp == 3 ? 48 : 16;
    int i = 0;
    for (; i + unit <= count; i += unit) {
        for (int j = 0; j < unit; j += 16) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * (i + j)));
            __m256i lo = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_unpacklo_epi16(v, zero)), f));
            __m256i hi = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_unpackhi_epi16(v, zero)), f));
            lo = _mm256_min_epi32(_mm256_max_epi32(lo, zero), limit);
            hi = _mm256_min_epi32(_mm256_max_epi32(hi, zero), limit);
            StoreKeeping(d + 2 * (i + j), _mm256_packus_epi32(lo, hi), keep);
        }
    }
    return i;
}

}  // namespace kvx
#endif
