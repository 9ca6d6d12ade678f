#include "imaging/tone/sharpness_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

#include <cstring>

namespace kvx {
namespace {

#include "imaging/tone/sharpness_lanes_sse2.h"

struct Sse2Path {
    // Each row widened to 16-bit lanes and added.
    static void ColumnSums16(uint16_t* v, const uint8_t* const rows[4], int j) {
        const __m128i zero = _mm_setzero_si128();
        __m128i lo = zero, hi = zero;
        for (int r = 0; r < 4; ++r) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + j));
            lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(s, zero));
            hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(s, zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v + 8), hi);
    }

    // The reciprocal 6554 / 65536 is exact on that range for magnitudes,
    // and the sign is put back afterwards.
    static __m128i DivideBy10(__m128i n) {
        const __m128i sign = _mm_srai_epi16(n, 15);
        const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(n, sign), sign);
        const __m128i q = _mm_mulhi_epu16(magnitude, _mm_set1_epi16(6554));
        return _mm_sub_epi16(_mm_xor_si128(q, sign), sign);
    }
};

// trunc(n / 10) for |n| <= 7650, sixteen lanes at a time.
KVX_TARGET_AVX2 inline __m256i DivideBy10Avx2(__m256i n) {
    const __m256i sign = _mm256_srai_epi16(n, 15);
    const __m256i magnitude = _mm256_abs_epi16(n);
    const __m256i q = _mm256_mulhi_epu16(magnitude, _mm256_set1_epi16(6554));
    return _mm256_sub_epi16(_mm256_xor_si256(q, sign), sign);
}

}  // namespace

KVX_TARGET_SSE2 bool SharpenRow8Sse2(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength) {
    return SharpenRow8Lanes<Sse2Path>(d, rows, width, bpp, strength);
}

KVX_TARGET_AVX2 bool SharpenRow8Avx2(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength) {
    const int first = 2 * bpp, end = (width - 2) * bpp;
    if (end - first < 16) return false;
    alignas(32) uint16_t sums[kChunk + kMargin];
    const __m256i s16 = _mm256_set1_epi16(static_cast<short>(strength));
    const __m128i keep = bpp == 4 ? _mm_set1_epi32(0x00FFFFFF) : _mm_set1_epi32(-1);
    for (int c = first; c < end; c += kChunk) {
        int e = c + kChunk < end ? c + kChunk : end;
        // Keep every chunk at least one vector long by starting a short last
        // chunk earlier; samples done twice come out the same.
        int start = e - c < 16 ? e - 16 : c;
        const int base = start - 2 * bpp;
        {
            const int count = e - start + 3 * bpp;
            int i = 0;
            for (; i + 16 <= count; i += 16) {
                __m256i acc = _mm256_setzero_si256();
                for (int r = 0; r < 4; ++r)
                    acc = _mm256_add_epi16(acc, _mm256_cvtepu8_epi16(_mm_loadu_si128(
                                                    reinterpret_cast<const __m128i*>(rows[r] + base + i))));
                _mm256_store_si256(reinterpret_cast<__m256i*>(sums + i), acc);
            }
            for (; i < count; ++i) {
                const int j = base + i;
                sums[i] = static_cast<uint16_t>(rows[0][j] + rows[1][j] + rows[2][j] + rows[3][j]);
            }
        }
        for (int k = start;; k += 16) {
            if (k + 16 > e) k = e - 16;
            const uint16_t* v = sums + (k - start);  // V[k - 2bpp]
            __m256i sum = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + bpp)));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + 2 * bpp)));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + 3 * bpp)));
            const __m256i blur = _mm256_srli_epi16(sum, 4);
            const __m256i orig =
                _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2] + k)));
            const __m256i boost = DivideBy10Avx2(_mm256_mullo_epi16(_mm256_sub_epi16(orig, blur), s16));
            const __m256i packed = _mm256_packus_epi16(_mm256_add_epi16(orig, boost), _mm256_setzero_si256());
            // packus works per 128-bit half: gather the two low quarters.
            __m128i out = _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
            if (bpp == 4) {
                const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k));
                out = _mm_or_si128(_mm_and_si128(out, keep), _mm_andnot_si128(keep, old));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), out);
            if (k + 16 >= e) break;
        }
    }
    return true;
}

// 16-bit samples of at most 12 significant bits: four-row sums stay below
// 16384 and 4x4 sums below 65536, so the sums fit 16-bit lanes; the product
// (orig - blur) * s goes to 32 bits and is divided by 10 in single
// precision, which is exact there (|n| < 2^24 and no quotient lies within
// 0.1 of an integer without being one). A row holding a larger sample is
// left to the scalar worker, which redoes the whole row.
namespace {

constexpr uint16_t kWideSampleBits = 0xF000;

KVX_TARGET_SSE2 bool VerticalSums16Sse2(uint16_t* v, const uint8_t* const rows[4], int first, int count) {
    __m128i seen = _mm_setzero_si128();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i acc = _mm_setzero_si128();
        for (int r = 0; r < 4; ++r) {
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + 2 * (first + i)));
            seen = _mm_or_si128(seen, w);
            acc = _mm_add_epi16(acc, w);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v + i), acc);
    }
    uint16_t tail = 0;
    for (; i < count; ++i) {
        int sum = 0;
        for (int r = 0; r < 4; ++r) {
            uint16_t w;
            std::memcpy(&w, rows[r] + 2 * (first + i), 2);
            tail |= w;
            sum += w;
        }
        v[i] = static_cast<uint16_t>(sum);
    }
    alignas(16) uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), seen);
    for (uint16_t l : lanes) tail |= l;
    return (tail & kWideSampleBits) == 0;
}

KVX_TARGET_SSE2 inline __m128i DivideBy10Words(__m128i product) {
    return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(product), _mm_set1_ps(10.0f)));
}

// Which words of a run of 4-word pixels are B, G, R (the fourth stays).
KVX_TARGET_SSE2 inline __m128i WordMask(int wordsPerPixel) {
    return wordsPerPixel == 4 ? _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1) : _mm_set1_epi32(-1);
}

}  // namespace

KVX_TARGET_SSE2 bool SharpenRow16Sse2(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength,
                                      int maxValue) {
    const int step = bpp / 2;
    const int first = 2 * step, end = (width - 2) * step;
    if (end - first < 8) return false;
    alignas(16) uint16_t sums[kChunk + kMargin];
    const __m128i s16 = _mm_set1_epi16(static_cast<short>(strength));
    const __m128i limit = _mm_set1_epi16(static_cast<short>(maxValue));
    const __m128i zero = _mm_setzero_si128();
    const __m128i keep = WordMask(step);
    for (int c = first; c < end; c += kChunk) {
        const int e = c + kChunk < end ? c + kChunk : end;
        const int start = e - c < 8 ? e - 8 : c;
        if (!VerticalSums16Sse2(sums, rows, start - 2 * step, e - start + 3 * step)) return false;
        for (int k = start;; k += 8) {
            if (k + 8 > e) k = e - 8;
            const uint16_t* v = sums + (k - start);  // V[k - 2 step]
            __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + step)));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 2 * step)));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 3 * step)));
            const __m128i blur = _mm_srli_epi16(sum, 4);
            const __m128i orig = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2] + 2 * k));
            const __m128i diff = _mm_sub_epi16(orig, blur);
            const __m128i low = _mm_mullo_epi16(diff, s16), high = _mm_mulhi_epi16(diff, s16);
            const __m128i boost = _mm_packs_epi32(DivideBy10Words(_mm_unpacklo_epi16(low, high)),
                                                  DivideBy10Words(_mm_unpackhi_epi16(low, high)));
            __m128i out = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(orig, boost), zero), limit);
            uint8_t* q = d + 2 * k;
            if (step == 4) {
                const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
                out = _mm_or_si128(_mm_and_si128(out, keep), _mm_andnot_si128(keep, old));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(q), out);
            if (k + 8 >= e) break;
        }
    }
    return true;
}

KVX_TARGET_AVX2 bool SharpenRow16Avx2(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength,
                                      int maxValue) {
    const int step = bpp / 2;
    const int first = 2 * step, end = (width - 2) * step;
    if (end - first < 16) return false;
    alignas(32) uint16_t sums[kChunk + kMargin];
    const __m256i s16 = _mm256_set1_epi16(static_cast<short>(strength));
    const __m256i limit = _mm256_set1_epi16(static_cast<short>(maxValue));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keep = step == 4 ? _mm256_set1_epi64x(0x0000FFFFFFFFFFFFLL) : _mm256_set1_epi32(-1);
    const __m256 ten = _mm256_set1_ps(10.0f);
    for (int c = first; c < end; c += kChunk) {
        const int e = c + kChunk < end ? c + kChunk : end;
        const int start = e - c < 16 ? e - 16 : c;
        const int base = start - 2 * step;
        const int count = e - start + 3 * step;
        __m256i seen = zero;
        int i = 0;
        for (; i + 16 <= count; i += 16) {
            __m256i acc = zero;
            for (int r = 0; r < 4; ++r) {
                const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[r] + 2 * (base + i)));
                seen = _mm256_or_si256(seen, w);
                acc = _mm256_add_epi16(acc, w);
            }
            _mm256_store_si256(reinterpret_cast<__m256i*>(sums + i), acc);
        }
        if (!_mm256_testz_si256(seen, _mm256_set1_epi16(static_cast<short>(kWideSampleBits)))) return false;
        for (; i < count; ++i) {
            int sum = 0;
            for (int r = 0; r < 4; ++r) {
                uint16_t w;
                std::memcpy(&w, rows[r] + 2 * (base + i), 2);
                if (w & kWideSampleBits) return false;
                sum += w;
            }
            sums[i] = static_cast<uint16_t>(sum);
        }
        for (int k = start;; k += 16) {
            if (k + 16 > e) k = e - 16;
            const uint16_t* v = sums + (k - start);  // V[k - 2 step]
            __m256i sum = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + step)));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + 2 * step)));
            sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + 3 * step)));
            const __m256i blur = _mm256_srli_epi16(sum, 4);
            const __m256i orig = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2] + 2 * k));
            const __m256i diff = _mm256_sub_epi16(orig, blur);
            const __m256i low = _mm256_mullo_epi16(diff, s16), high = _mm256_mulhi_epi16(diff, s16);
            // unpack and pack both work within 128-bit halves, so the order survives.
            const __m256i qLow = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(_mm256_unpacklo_epi16(low, high)), ten));
            const __m256i qHigh = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(_mm256_unpackhi_epi16(low, high)), ten));
            const __m256i boost = _mm256_packs_epi32(qLow, qHigh);
            __m256i out = _mm256_min_epi16(_mm256_max_epi16(_mm256_add_epi16(orig, boost), zero), limit);
            uint8_t* q = d + 2 * k;
            if (step == 4) out = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q)), out, keep);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(q), out);
            if (k + 16 >= e) break;
        }
    }
    return true;
}

}  // namespace kvx
#endif
