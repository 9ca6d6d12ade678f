#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

namespace kvx {

// Eight pixels per step, one per 32-bit lane holding 0x00RRGGBB; the same
// sequence of operations as TransformPixel, with the branches as selects.
KVX_TARGET_AVX2 int HueRow8Avx2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    if (bpp != 3 && bpp != 4) return 0;
    // 3-byte pixels: each half loads 16 bytes for 12, so stop while 4 bytes
    // past the eighth pixel still belong to the row.
    const int last = bpp == 3 ? width - 10 : width - 8;
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i gather = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                            0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256i masks = _mm256_setr_epi32(0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0, 0);
    const __m256i ramps = _mm256_setr_epi32(-1, 256, -65536, 1, -256, 65536, 0, 0);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i three = _mm256_set1_epi32(3);
    const __m256i five = _mm256_set1_epi32(5);
    const __m256i limit511 = _mm256_set1_epi32(511);
    const __m256i round16 = _mm256_set1_epi32(0x8000);
    const __m256i round8 = _mm256_set1_epi32(128);
    const __m256i step = _mm256_set1_epi32(t.rotation.step);
    const __m256i sector = _mm256_set1_epi32(t.rotation.sector);
    const __m256i v254 = _mm256_set1_epi32(254);
    const __m256i v255 = _mm256_set1_epi32(255);
    const __m256i v5 = _mm256_set1_epi32(5);
    const __m256i v6 = _mm256_set1_epi32(6);
    const __m256i gray = _mm256_set1_epi32(0x010101);
    // S[C] = (C * ((saturation + 256) << 8) + 0x8000) >> 16 is read from the
    // table too, so that the one table is the only definition of it.
    const int* reciprocal = reinterpret_cast<const int*>(t.reciprocal);
    int x = 0;
    for (; x <= last; x += 8) {
        __m256i px;
        if (bpp == 4) {
            px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
        } else {
            const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x));
            const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x + 12));
            px = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1), spread);
        }
        const __m256i b = _mm256_and_si256(px, byteMask);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask);
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(px, 16), byteMask);

        const __m256i rBelowG = _mm256_cmpgt_epi32(g, r);
        __m256i mx = _mm256_blendv_epi8(r, g, rBelowG);
        const __m256i candidateMin = _mm256_blendv_epi8(g, r, rBelowG);
        __m256i diff = _mm256_blendv_epi8(_mm256_sub_epi32(g, b), _mm256_sub_epi32(b, r), rBelowG);
        __m256i sec = _mm256_blendv_epi8(one, three, rBelowG);
        const __m256i bAbove = _mm256_cmpgt_epi32(b, mx);
        mx = _mm256_max_epi32(mx, b);
        diff = _mm256_blendv_epi8(diff, _mm256_sub_epi32(r, g), bAbove);
        sec = _mm256_blendv_epi8(sec, five, bAbove);
        const __m256i mn = _mm256_min_epi32(candidateMin, b);
        const __m256i chroma = _mm256_sub_epi32(mx, mn);
        const __m256i sum = _mm256_add_epi32(mx, mn);
        const __m256i negative = _mm256_cmpgt_epi32(_mm256_setzero_si256(), diff);
        sec = _mm256_add_epi32(sec, negative);  // -1 where negative
        diff = _mm256_add_epi32(diff, _mm256_and_si256(negative, chroma));

        // Saturation table entries are 16-bit: gather 32 bits at 2-byte
        // steps and keep the low half.
        const __m256i sat = _mm256_and_si256(
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(t.saturation), chroma, 2), _mm256_set1_epi32(0xFFFF));
        const __m256i chromaLimit = _mm256_min_epi32(sum, _mm256_sub_epi32(limit511, sum));
        const __m256i scaled = _mm256_min_epi32(sat, chromaLimit);
        const __m256i newMin = _mm256_srai_epi32(_mm256_sub_epi32(sum, scaled), 1);
        const __m256i newChroma = _mm256_sub_epi32(_mm256_srai_epi32(_mm256_add_epi32(scaled, sum), 1), newMin);

        const __m256i recip = _mm256_i32gather_epi32(reciprocal, chroma, 4);
        __m256i pos = _mm256_add_epi32(
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(recip, diff), round16), 16), step);
        sec = _mm256_add_epi32(sec, sector);
        const __m256i wrap = _mm256_cmpgt_epi32(pos, v254);
        pos = _mm256_sub_epi32(pos, _mm256_and_si256(wrap, v255));
        sec = _mm256_sub_epi32(sec, wrap);
        sec = _mm256_sub_epi32(sec, _mm256_and_si256(_mm256_cmpgt_epi32(sec, v5), v6));

        const __m256i ramp = _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(newChroma, pos), round8), 8);
        const __m256i mask = _mm256_permutevar8x32_epi32(masks, sec);
        const __m256i rampMul = _mm256_permutevar8x32_epi32(ramps, sec);
        const __m256i out = _mm256_add_epi32(
            _mm256_add_epi32(_mm256_mullo_epi32(newMin, gray), _mm256_and_si256(_mm256_mullo_epi32(newChroma, gray), mask)),
            _mm256_mullo_epi32(ramp, rampMul));

        if (bpp == 4) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x), out);
        } else {
            // Drop the fourth byte of each lane, then close the gap between the halves.
            const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(out, gather), join);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x), _mm256_castsi256_si128(packed));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 3 * x + 16), _mm256_extracti128_si256(packed, 1));
        }
    }
    return x;
}

}  // namespace kvx
#endif
