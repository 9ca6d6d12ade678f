// The SSSE3 rows of the hue and saturation transform (8 pixels a step):
// byte shuffles gather and scatter 3-byte and 6-byte pixels and look up the
// sector table, the saturation table becomes one rounding multiply
// (pmulhrsw), the reciprocal of the chroma one single-precision division per
// four pixels, and each output channel one pmaddubsw of chroma and ramp by
// the sector's pair of coefficients.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

namespace kvx {
namespace {

#include "imaging/color/hue_lanes_sse2.h"

constexpr int x = -1;  // a cleared byte in a shuffle mask

inline __m128i Bytes(int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7, int b8, int b9, int b10,
                     int b11, int b12, int b13, int b14, int b15) {
    return _mm_setr_epi8(static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
                         static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
                         static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10), static_cast<char>(b11),
                         static_cast<char>(b12), static_cast<char>(b13), static_cast<char>(b14), static_cast<char>(b15));
}

inline __m128i Shuffle3(__m128i a, __m128i ma, __m128i b, __m128i mb) {
    return _mm_or_si128(_mm_shuffle_epi8(a, ma), _mm_shuffle_epi8(b, mb));
}

struct Lanes {
    __m128i step;
    __m128i sectorIndex;  // see SectorIndex: the rotation's sector + 1
    __m128i saturation;   // (saturation + 256) * 64, for S[k] = pmulhrsw(2k, it)
};

// A sector s is carried as the shuffle index of the s-th word of a table,
// s * 0x0202 + 0x0100 (bytes 2s and 2s + 1), so that it takes no work to
// look up. Sector arithmetic therefore steps by 0x0202.
constexpr short SectorIndex(int sector) { return static_cast<short>(sector * 0x0202 + 0x0100); }
constexpr short kSectorStep = 0x0202;

// R[C] = 0xFF0000 / C for four 32-bit lanes of chroma 1..255: the quotient
// rounded to nearest in single precision truncates to the integer one for
// every such C. Rounded upwards it is one too large for C = 7 alone, which
// moves no position of a chroma-7 pixel (the tests try every chroma with
// every offset under every rounding mode).
inline __m128i ReciprocalQuad(__m128i c) {
    return _mm_cvttps_epi32(_mm_div_ps(_mm_set1_ps(16711680.0f), _mm_cvtepi32_ps(c)));
}

// The same results as TransformPixel on eight pixels in 16-bit lanes of B,
// G, R (0..255 each).
inline void TransformLanes(__m128i B, __m128i G, __m128i R, const Lanes& k, __m128i* outB, __m128i* outG,
                           __m128i* outR) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i v254 = _mm_set1_epi16(254), v255 = _mm_set1_epi16(255);
    const __m128i v511 = _mm_set1_epi16(511), round8 = _mm_set1_epi16(128);
    const __m128i sectorStep = _mm_set1_epi16(kSectorStep);
    const __m128i rBelowG = _mm_cmpgt_epi16(G, R);
    __m128i mx = _mm_max_epi16(R, G);
    const __m128i candidateMin = _mm_min_epi16(R, G);
    __m128i diff = Select(rBelowG, _mm_sub_epi16(B, R), _mm_sub_epi16(G, B));
    const __m128i bAbove = _mm_cmpgt_epi16(B, mx);
    mx = _mm_max_epi16(mx, B);
    diff = Select(bAbove, _mm_sub_epi16(R, G), diff);
    // The sector less one before the offset's sign: 0 (R largest), 2 (G)
    // or 4 (B).
    __m128i sec = _mm_max_epi16(_mm_and_si128(rBelowG, _mm_set1_epi16(2 * kSectorStep)),
                                _mm_and_si128(bAbove, _mm_set1_epi16(4 * kSectorStep)));
    const __m128i mn = _mm_min_epi16(candidateMin, B);
    const __m128i c = _mm_sub_epi16(mx, mn);
    const __m128i sum = _mm_add_epi16(mx, mn);
    const __m128i negative = _mm_cmpgt_epi16(zero, diff);
    sec = _mm_sub_epi16(sec, _mm_and_si128(negative, sectorStep));
    diff = _mm_add_epi16(diff, _mm_and_si128(negative, c));

    // S[C] = (C * scale + 0x8000) >> 16 with scale = (saturation + 256) << 8
    // is (2C * (saturation + 256) * 64 + 0x4000) >> 15, exactly.
    const __m128i satv = _mm_mulhrs_epi16(_mm_add_epi16(c, c), k.saturation);

    // Gray lanes (C = 0, hence d = 0) divide by 1 instead, which gives the
    // same position 0 and raises no division by zero.
    const __m128i divisor = _mm_max_epi16(c, _mm_set1_epi16(1));
    const __m128i r03 = ReciprocalQuad(_mm_unpacklo_epi16(divisor, zero));
    const __m128i r47 = ReciprocalQuad(_mm_unpackhi_epi16(divisor, zero));
    // (R[C] * d + 0x8000) >> 16 with R[C] = high * 65536 + low: high * d
    // + the upper half of low * d, plus the carry of adding 0x8000 to its
    // lower half.
    const __m128i halves = Bytes(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
    const __m128i s03 = _mm_shuffle_epi8(r03, halves), s47 = _mm_shuffle_epi8(r47, halves);
    const __m128i low = _mm_unpacklo_epi64(s03, s47);
    const __m128i high = _mm_unpackhi_epi64(s03, s47);
    const __m128i base = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(high, diff), _mm_mulhi_epu16(low, diff)),
                                       _mm_srli_epi16(_mm_mullo_epi16(low, diff), 15));

    const __m128i limit = _mm_min_epi16(sum, _mm_sub_epi16(v511, sum));
    const __m128i scaled = _mm_min_epi16(satv, limit);
    const __m128i newMin = _mm_srli_epi16(_mm_sub_epi16(sum, scaled), 1);
    const __m128i newChroma = _mm_sub_epi16(_mm_srli_epi16(_mm_add_epi16(scaled, sum), 1), newMin);

    __m128i pos = _mm_add_epi16(base, k.step);
    sec = _mm_add_epi16(sec, k.sectorIndex);
    const __m128i wrap = _mm_cmpgt_epi16(pos, v254);
    pos = _mm_sub_epi16(pos, _mm_and_si128(wrap, v255));
    sec = _mm_add_epi16(sec, _mm_and_si128(wrap, sectorStep));
    sec = _mm_sub_epi16(sec, _mm_and_si128(_mm_cmpgt_epi16(sec, _mm_set1_epi16(SectorIndex(5))),
                                           _mm_set1_epi16(6 * kSectorStep)));
    // newChroma in the low byte, the ramp (newChroma * pos + 128) >> 8 in
    // the high byte: both 0..255.
    const __m128i chromaAndRamp = _mm_or_si128(
        newChroma, _mm_and_si128(_mm_add_epi16(_mm_mullo_epi16(newChroma, pos), round8), _mm_set1_epi16(-256)));

    // The sector table per channel as a pair of signed bytes for pmaddubsw:
    // whether the channel takes the full chroma (1 or 0), and the sign with
    // which the ramp goes to it (1, -1 or 0).
    //   s:      0      1      2      3      4      5
    //   full:   R,B    R      R,G    G      G,B    B
    //   ramp:  -B     +G     -R     +B     -G     +R
    constexpr short kFull = 1, kUp = 0x0100, kDown = -0x0100;
    const __m128i tableR = _mm_setr_epi16(kFull, kFull, kFull + kDown, 0, 0, kUp, 0, 0);
    const __m128i tableG = _mm_setr_epi16(0, kUp, kFull, kFull, kFull + kDown, 0, 0, 0);
    const __m128i tableB = _mm_setr_epi16(kFull + kDown, 0, 0, kUp, kFull, kFull, 0, 0);
    *outR = _mm_add_epi16(newMin, _mm_maddubs_epi16(chromaAndRamp, _mm_shuffle_epi8(tableR, sec)));
    *outG = _mm_add_epi16(newMin, _mm_maddubs_epi16(chromaAndRamp, _mm_shuffle_epi8(tableG, sec)));
    *outB = _mm_add_epi16(newMin, _mm_maddubs_epi16(chromaAndRamp, _mm_shuffle_epi8(tableB, sec)));
}

Lanes MakeLanes(const HueTransform& t) {
    return Lanes{_mm_set1_epi16(static_cast<short>(t.rotation.step)),
                 _mm_set1_epi16(SectorIndex(t.rotation.sector + 1)),
                 _mm_set1_epi16(static_cast<short>((t.saturationValue + 256) * 64))};
}

// Eight 4-byte pixels (B, G, R, x) as 16-bit lanes.
inline void SplitQuads(const uint8_t* p, __m128i* b, __m128i* g, __m128i* r) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    *b = Shuffle3(lo, Bytes(0, x, 4, x, 8, x, 12, x, x, x, x, x, x, x, x, x), hi,
                  Bytes(x, x, x, x, x, x, x, x, 0, x, 4, x, 8, x, 12, x));
    *g = Shuffle3(lo, Bytes(1, x, 5, x, 9, x, 13, x, x, x, x, x, x, x, x, x), hi,
                  Bytes(x, x, x, x, x, x, x, x, 1, x, 5, x, 9, x, 13, x));
    *r = Shuffle3(lo, Bytes(2, x, 6, x, 10, x, 14, x, x, x, x, x, x, x, x, x), hi,
                  Bytes(x, x, x, x, x, x, x, x, 2, x, 6, x, 10, x, 14, x));
}

// Eight 3-byte pixels as 16-bit lanes, from bytes 0-15 and 8-23 of the
// block.
inline void SplitTriples(__m128i v0, __m128i v1, __m128i* b, __m128i* g, __m128i* r) {
    *b = Shuffle3(v0, Bytes(0, x, 3, x, 6, x, 9, x, 12, x, 15, x, x, x, x, x), v1,
                  Bytes(x, x, x, x, x, x, x, x, x, x, x, x, 10, x, 13, x));
    *g = Shuffle3(v0, Bytes(1, x, 4, x, 7, x, 10, x, 13, x, x, x, x, x, x, x), v1,
                  Bytes(x, x, x, x, x, x, x, x, x, x, 8, x, 11, x, 14, x));
    *r = Shuffle3(v0, Bytes(2, x, 5, x, 8, x, 11, x, 14, x, x, x, x, x, x, x), v1,
                  Bytes(x, x, x, x, x, x, x, x, x, x, 9, x, 12, x, 15, x));
}

// Lanes of B, G, R (0..255) back to 24 bytes: the first 16 in *o0, the
// last 8 in the low half of *o1.
inline void MergeTriples(__m128i b, __m128i g, __m128i r, __m128i* o0, __m128i* o1) {
    const __m128i bg = _mm_packus_epi16(b, g);  // B0..B7 G0..G7
    const __m128i rr = _mm_packus_epi16(r, r);  // R0..R7
    *o0 = Shuffle3(bg, Bytes(0, 8, x, 1, 9, x, 2, 10, x, 3, 11, x, 4, 12, x, 5), rr,
                   Bytes(x, x, 0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x));
    *o1 = Shuffle3(bg, Bytes(13, x, 6, 14, x, 7, 15, x, x, x, x, x, x, x, x, x), rr,
                   Bytes(x, 5, x, x, 6, x, x, 7, x, x, x, x, x, x, x, x));
}

}  // namespace

int HueRow8Ssse3(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& transform) {
    if (bpp != 3 && bpp != 4) return 0;
    const Lanes k = MakeLanes(transform);
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        __m128i B, G, R;
        if (bpp == 4) {
            SplitQuads(s + 4 * i, &B, &G, &R);
        } else {
            // 24 bytes: bytes 0-15 and 8-23, so nothing past the block is read.
            const uint8_t* p = s + 3 * i;
            SplitTriples(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), &B, &G, &R);
        }
        __m128i outB, outG, outR;
        TransformLanes(B, G, R, k, &outB, &outG, &outR);
        if (bpp == 4) {
            // Every output is 0..255, so B | G << 8 beside R | 0 << 8 is B, G,
            // R and a fourth byte of 0.
            const __m128i bg = _mm_or_si128(outB, _mm_slli_epi16(outG, 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), _mm_unpacklo_epi16(bg, outR));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i + 16), _mm_unpackhi_epi16(bg, outR));
        } else {
            uint8_t* q = d + 3 * i;
            __m128i o0, o1;
            MergeTriples(outB, outG, outR, &o0, &o1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(q), o0);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(q + 16), o1);
        }
    }
    return i;
}

// Words of 12 significant bits: >> 4, saturated at 255, through the same
// lanes, then << 4.
int HueRow16Ssse3(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& transform) {
    if ((bpp != 6 && bpp != 8) || transform.shift != 4) return 0;
    const Lanes k = MakeLanes(transform);
    const __m128i top = _mm_set1_epi16(255);
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m128i* v = reinterpret_cast<const __m128i*>(s + bpp * i);
        __m128i* w = reinterpret_cast<__m128i*>(d + bpp * i);
        __m128i B, G, R, outB, outG, outR;
        if (bpp == 6) {
            // Through the 8-bit layout: >> 4 leaves at most 4095, which
            // packus saturates at 255, and the 24 bytes take the same
            // shuffles as 3-byte pixels.
            const __m128i b0 = _mm_packus_epi16(_mm_srli_epi16(_mm_loadu_si128(v), 4),
                                                _mm_srli_epi16(_mm_loadu_si128(v + 1), 4));
            const __m128i w2 = _mm_srli_epi16(_mm_loadu_si128(v + 2), 4);
            const __m128i b1 = _mm_packus_epi16(w2, w2);
            SplitTriples(b0, _mm_alignr_epi8(b1, b0, 8), &B, &G, &R);
            TransformLanes(B, G, R, k, &outB, &outG, &outR);
            __m128i o0, o1;
            MergeTriples(outB, outG, outR, &o0, &o1);
            _mm_storeu_si128(w, _mm_slli_epi16(_mm_unpacklo_epi8(o0, zero), 4));
            _mm_storeu_si128(w + 1, _mm_slli_epi16(_mm_unpackhi_epi8(o0, zero), 4));
            _mm_storeu_si128(w + 2, _mm_slli_epi16(_mm_unpacklo_epi8(o1, zero), 4));
            continue;
        }
        GatherWordQuads(s + bpp * i, &B, &G, &R);
        // Unsigned >> 4 leaves at most 4095; min against 255 saturates.
        B = _mm_min_epi16(_mm_srli_epi16(B, 4), top);
        G = _mm_min_epi16(_mm_srli_epi16(G, 4), top);
        R = _mm_min_epi16(_mm_srli_epi16(R, 4), top);
        TransformLanes(B, G, R, k, &outB, &outG, &outR);
        ScatterWordQuads(d + bpp * i, _mm_slli_epi16(outB, 4), _mm_slli_epi16(outG, 4), _mm_slli_epi16(outR, 4));
    }
    return i;
}

}  // namespace kvx
#endif
