#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <immintrin.h>

namespace kvx {
namespace {

// floor(0xFF0000 / c), 0 for c = 0. The single-precision quotient is within
// one of the true one; one step each way makes it exact.
KVX_TARGET_AVX2 inline __m256i Reciprocal(__m256i c) {
    const __m256i dividend = _mm256_set1_epi32(0xFF0000);
    __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_set1_ps(16711680.0f), _mm256_cvtepi32_ps(c)));
    const __m256i zero = _mm256_cmpeq_epi32(c, _mm256_setzero_si256());
    q = _mm256_andnot_si256(zero, q);
    q = _mm256_add_epi32(q, _mm256_cmpgt_epi32(_mm256_mullo_epi32(q, c), dividend));  // too large: -1
    const __m256i next = _mm256_add_epi32(q, _mm256_set1_epi32(1));
    const __m256i fits = _mm256_andnot_si256(
        zero, _mm256_cmpgt_epi32(_mm256_add_epi32(dividend, _mm256_set1_epi32(1)), _mm256_mullo_epi32(next, c)));
    return _mm256_sub_epi32(q, fits);  // too small: +1
}

// Eight pixels, one per 32-bit lane as 0x??RRGGBB in, 0x00RRGGBB out: the
// same sequence of operations as TransformPixel, with the branches as
// selects. S[C] and R[C] are computed with the tables' own formulas rather
// than gathered, gathers being slow on several cores.
KVX_TARGET_AVX2 inline __m256i TransformLanes(__m256i px, __m256i satScale, __m256i step, __m256i sector) {
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256i b = _mm256_and_si256(px, byteMask);
    const __m256i g = _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask);
    const __m256i r = _mm256_and_si256(_mm256_srli_epi32(px, 16), byteMask);

    const __m256i rBelowG = _mm256_cmpgt_epi32(g, r);
    __m256i mx = _mm256_max_epi32(r, g);
    const __m256i candidateMin = _mm256_min_epi32(r, g);
    __m256i diff = _mm256_blendv_epi8(_mm256_sub_epi32(g, b), _mm256_sub_epi32(b, r), rBelowG);
    __m256i sec = _mm256_blendv_epi8(_mm256_set1_epi32(1), _mm256_set1_epi32(3), rBelowG);
    const __m256i bAbove = _mm256_cmpgt_epi32(b, mx);
    mx = _mm256_max_epi32(mx, b);
    diff = _mm256_blendv_epi8(diff, _mm256_sub_epi32(r, g), bAbove);
    sec = _mm256_blendv_epi8(sec, _mm256_set1_epi32(5), bAbove);
    const __m256i mn = _mm256_min_epi32(candidateMin, b);
    const __m256i chroma = _mm256_sub_epi32(mx, mn);
    const __m256i sum = _mm256_add_epi32(mx, mn);
    const __m256i negative = _mm256_cmpgt_epi32(_mm256_setzero_si256(), diff);
    sec = _mm256_add_epi32(sec, negative);  // -1 where negative
    diff = _mm256_add_epi32(diff, _mm256_and_si256(negative, chroma));

    const __m256i round16 = _mm256_set1_epi32(0x8000);
    const __m256i sat = _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(chroma, satScale), round16), 16);
    const __m256i chromaLimit = _mm256_min_epi32(sum, _mm256_sub_epi32(_mm256_set1_epi32(511), sum));
    const __m256i scaled = _mm256_min_epi32(sat, chromaLimit);
    const __m256i newMin = _mm256_srai_epi32(_mm256_sub_epi32(sum, scaled), 1);
    const __m256i newChroma = _mm256_sub_epi32(_mm256_srai_epi32(_mm256_add_epi32(scaled, sum), 1), newMin);

    __m256i pos = _mm256_add_epi32(
        _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(Reciprocal(chroma), diff), round16), 16), step);
    sec = _mm256_add_epi32(sec, sector);
    const __m256i wrap = _mm256_cmpgt_epi32(pos, _mm256_set1_epi32(254));
    pos = _mm256_sub_epi32(pos, _mm256_and_si256(wrap, _mm256_set1_epi32(255)));
    sec = _mm256_sub_epi32(sec, wrap);
    sec = _mm256_sub_epi32(sec, _mm256_and_si256(_mm256_cmpgt_epi32(sec, _mm256_set1_epi32(5)), _mm256_set1_epi32(6)));

    const __m256i ramp = _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(newChroma, pos), _mm256_set1_epi32(128)), 8);
    const __m256i masks = _mm256_setr_epi32(0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0, 0);
    const __m256i ramps = _mm256_setr_epi32(-1, 256, -65536, 1, -256, 65536, 0, 0);
    const __m256i gray = _mm256_set1_epi32(0x010101);
    const __m256i mask = _mm256_permutevar8x32_epi32(masks, sec);
    const __m256i rampMul = _mm256_permutevar8x32_epi32(ramps, sec);
    return _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(newMin, gray),
                                             _mm256_and_si256(_mm256_mullo_epi32(newChroma, gray), mask)),
                            _mm256_mullo_epi32(ramp, rampMul));
}

//   3-byte pixels (bytes):  B0 G0 R0 B1 G1 R1 ...  <-> lanes B G R 0
KVX_TARGET_AVX2 inline __m256i SpreadTriples(__m128i first4, __m128i next4) {
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    return _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(first4), next4, 1), spread);
}

// Lanes back to 24 bytes in dwords 0..5 (the fourth byte of each lane
// dropped within each half, then the gap between the halves closed).
KVX_TARGET_AVX2 inline __m256i CompactTriples(__m256i lanes) {
    const __m256i compact = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(lanes, compact), _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
}

struct Constants {
    __m256i satScale, step, sector;
};

KVX_TARGET_AVX2 Constants MakeConstants(const HueTransform& t) {
    return Constants{_mm256_set1_epi32(SaturationScale(t.saturationValue)), _mm256_set1_epi32(t.rotation.step),
                     _mm256_set1_epi32(t.rotation.sector)};
}

}  // namespace

KVX_TARGET_AVX2 int HueRow8Avx2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    if (bpp != 3 && bpp != 4) return 0;
    const Constants k = MakeConstants(t);
    // 3-byte pixels: each half loads 16 bytes for 12, so stop while 4 bytes
    // past the eighth pixel still belong to the row.
    const int last = bpp == 3 ? width - 10 : width - 8;
    int x = 0;
    for (; x <= last; x += 8) {
        if (bpp == 4) {
            const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x),
                                TransformLanes(px, k.satScale, k.step, k.sector));
        } else {
            const __m256i px = SpreadTriples(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x)),
                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x + 12)));
            const __m256i packed = CompactTriples(TransformLanes(px, k.satScale, k.step, k.sector));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x), _mm256_castsi256_si128(packed));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 3 * x + 16), _mm256_extracti128_si256(packed, 1));
        }
    }
    return x;
}

// Words of 12 significant bits: >> 4 with saturation at 255 (packus of the
// non-negative shifted words), the 8-bit transform, then << 4.
KVX_TARGET_AVX2 int HueRow16Avx2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& t) {
    if ((bpp != 6 && bpp != 8) || t.shift != 4) return 0;
    const Constants k = MakeConstants(t);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        if (bpp == 8) {
            const __m256i a = _mm256_srli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 8 * x)), 4);
            const __m256i b =
                _mm256_srli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 8 * x + 32)), 4);
            // packus interleaves the halves: pixels 0,1,4,5 | 2,3,6,7; put them back in order.
            const __m256i px = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
            const __m256i out = TransformLanes(px, k.satScale, k.step, k.sector);
            const __m256i lo = _mm256_slli_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(out)), 4);
            const __m256i hi = _mm256_slli_epi16(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(out, 1)), 4);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 8 * x), lo);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 8 * x + 32), hi);
        } else {
            const __m128i* p = reinterpret_cast<const __m128i*>(s + 6 * x);
            const __m128i w0 = _mm_srli_epi16(_mm_loadu_si128(p), 4);
            const __m128i w1 = _mm_srli_epi16(_mm_loadu_si128(p + 1), 4);
            const __m128i w2 = _mm_srli_epi16(_mm_loadu_si128(p + 2), 4);
            const __m128i bytes0 = _mm_packus_epi16(w0, w1);  // pixels 0..4 and B, of pixel 5
            const __m128i bytes1 = _mm_packus_epi16(w2, w2);  // the rest of pixels 5..7
            const __m256i px = SpreadTriples(bytes0, _mm_alignr_epi8(bytes1, bytes0, 12));
            const __m256i packed = CompactTriples(TransformLanes(px, k.satScale, k.step, k.sector));
            const __m256i lo = _mm256_slli_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(packed)), 4);
            const __m128i hi = _mm_slli_epi16(_mm_cvtepu8_epi16(_mm256_extracti128_si256(packed, 1)), 4);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 6 * x), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 6 * x + 32), hi);
        }
    }
    return x;
}

}  // namespace kvx
#endif
