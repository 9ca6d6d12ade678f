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

// Unsigned 32-bit lanes (at most 65535) to unsigned 16-bit: SSE2 only packs signed.
KVX_TARGET_SSE2 inline __m128i PackUnsigned(__m128i a, __m128i b) {
    const __m128i bias = _mm_set1_epi32(32768);
    return _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias)), _mm_set1_epi16(-32768));
}

KVX_TARGET_SSE2 inline __m128i MinEpi32(__m128i a, __m128i b) {
    const __m128i greater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
}

KVX_TARGET_SSE2 inline __m128i ScaleLanes(__m128i v, __m128 factor, __m128i limit) {
    const __m128i q = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(v), factor));
    // A product can only be negative by a hair (factor just below 0): it truncates to 0.
    return MinEpi32(_mm_andnot_si128(_mm_srai_epi32(q, 31), q), limit);
}

}  // namespace

KVX_TARGET_SSE2 int ScaleWordsSse2(uint8_t* d, const uint8_t* s, int count, int wpp, float factor, int maxValue) {
    const __m128 f = _mm_set1_ps(factor);
    const __m128i limit = _mm_set1_epi32(maxValue);
    const __m128i keep = KeepSse2(wpp);
    const int unit = wpp == 3 ? 24 : 8;  // whole pixels per step
    int i = 0;
    for (; i + unit <= count; i += unit) {
        for (int j = 0; j < unit; j += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * (i + j)));
            const __m128i zero = _mm_setzero_si128();
            const __m128i out = PackUnsigned(ScaleLanes(_mm_unpacklo_epi16(v, zero), f, limit),
                                             ScaleLanes(_mm_unpackhi_epi16(v, zero), f, limit));
            StoreKeeping(d + 2 * (i + j), out, keep);
        }
    }
    return i;
}

KVX_TARGET_AVX2 int ScaleWordsAvx2(uint8_t* d, const uint8_t* s, int count, int wpp, float factor, int maxValue) {
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

namespace {

// Four lanes: trunc(ratio * (v - t)) in double precision, as 32-bit integers.
KVX_TARGET_SSE2 inline __m128i StretchLanes(__m128i v, __m128d ratio, __m128i t) {
    const __m128i x = _mm_sub_epi32(v, t);
    const __m128i a = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(x), ratio));
    const __m128i b = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(x, 0x0E)), ratio));
    return _mm_unpacklo_epi64(a, b);
}

KVX_TARGET_SSE2 inline __m128i StretchClamp(__m128i v, __m128i q, __m128i t, __m128i high, __m128i limit) {
    const __m128i below = _mm_cmpgt_epi32(t, v);     // v < t
    const __m128i above = _mm_cmpgt_epi32(v, high);  // v > maxValue - t, or beyond the depth
    q = MinEpi32(_mm_andnot_si128(_mm_srai_epi32(q, 31), q), limit);
    q = _mm_or_si128(_mm_andnot_si128(above, q), _mm_and_si128(above, limit));
    return _mm_andnot_si128(below, q);
}

}  // namespace

KVX_TARGET_SSE2 int StretchWordsSse2(uint8_t* d, const uint8_t* s, int count, int wpp, double ratio, int t,
                                     int maxValue) {
    const __m128d r = _mm_set1_pd(ratio);
    const __m128i tv = _mm_set1_epi32(t);
    // Above maxValue - t maps to maxValue; so does anything beyond the depth.
    const __m128i high = _mm_set1_epi32(maxValue - t < maxValue ? maxValue - t : maxValue);
    const __m128i limit = _mm_set1_epi32(maxValue);
    const __m128i keep = KeepSse2(wpp);
    const __m128i zero = _mm_setzero_si128();
    const int unit = wpp == 3 ? 24 : 8;
    int i = 0;
    for (; i + unit <= count; i += unit) {
        for (int j = 0; j < unit; j += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * (i + j)));
            const __m128i lo = _mm_unpacklo_epi16(v, zero), hi = _mm_unpackhi_epi16(v, zero);
            const __m128i out = PackUnsigned(StretchClamp(lo, StretchLanes(lo, r, tv), tv, high, limit),
                                             StretchClamp(hi, StretchLanes(hi, r, tv), tv, high, limit));
            StoreKeeping(d + 2 * (i + j), out, keep);
        }
    }
    return i;
}

KVX_TARGET_AVX2 int StretchWordsAvx2(uint8_t* d, const uint8_t* s, int count, int wpp, double ratio, int t,
                                     int maxValue) {
    const __m256d r = _mm256_set1_pd(ratio);
    const __m256i tv = _mm256_set1_epi32(t);
    const __m256i high = _mm256_set1_epi32(maxValue - t < maxValue ? maxValue - t : maxValue);
    const __m256i limit = _mm256_set1_epi32(maxValue);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keep = KeepAvx2(wpp);
    const int unit = wpp == 3 ? 48 : 16;
    int i = 0;
    for (; i + unit <= count; i += unit) {
        for (int j = 0; j < unit; j += 16) {
            // Words in order 0..15 as two runs of eight 32-bit lanes.
            const __m128i* p = reinterpret_cast<const __m128i*>(s + 2 * (i + j));
            __m256i out[2];
            for (int h = 0; h < 2; ++h) {
                const __m256i v = _mm256_cvtepu16_epi32(_mm_loadu_si128(p + h));
                const __m256i x = _mm256_sub_epi32(v, tv);
                const __m128i a = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(x)), r));
                const __m128i b = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(x, 1)), r));
                __m256i q = _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
                q = _mm256_min_epi32(_mm256_max_epi32(q, zero), limit);
                q = _mm256_blendv_epi8(q, limit, _mm256_cmpgt_epi32(v, high));
                out[h] = _mm256_andnot_si256(_mm256_cmpgt_epi32(tv, v), q);
            }
            // packus interleaves 128-bit halves; put the words back in order.
            const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(out[0], out[1]), 0xD8);
            StoreKeeping(d + 2 * (i + j), packed, keep);
        }
    }
    return i;
}

}  // namespace kvx
#endif
