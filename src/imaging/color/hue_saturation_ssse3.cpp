// The SSSE3 rows of the hue and saturation transform (8 pixels a step):
// byte shuffles gather and scatter 3-byte and 6-byte pixels, and the
// saturation table becomes one rounding multiply (pmulhrsw), which leaves
// one lookup per pixel, the reciprocal of its chroma.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

#include <cstring>

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
    __m128i step, sector;
    __m128i saturation;  // (saturation + 256) * 64, for S[k] = pmulhrsw(2k, it)
    const int32_t* reciprocal;
};

// The same sequence of operations as TransformPixel on eight pixels in
// 16-bit lanes of B, G, R (0..255 each).
inline void TransformLanes(__m128i B, __m128i G, __m128i R, const Lanes& k, __m128i* outB, __m128i* outG,
                           __m128i* outR) {
    const __m128i five = _mm_set1_epi16(5);
    const __m128i v254 = _mm_set1_epi16(254), v255 = _mm_set1_epi16(255), v6 = _mm_set1_epi16(6);
    const __m128i v511 = _mm_set1_epi16(511), round8 = _mm_set1_epi16(128);
    const HueLanes h = SectorOfLanes(B, G, R);
    __m128i diff = h.diff, sec = h.sector;
    const __m128i c = h.chroma, sum = h.sum;

    // S[C] = (C * scale + 0x8000) >> 16 with scale = (saturation + 256) << 8
    // is (2C * (saturation + 256) * 64 + 0x4000) >> 15, exactly.
    const __m128i satv = _mm_mulhrs_epi16(_mm_add_epi16(c, c), k.saturation);

    // R[C] for each lane: eight 32-bit loads, then the low and high words
    // gathered into one vector each.
    alignas(16) uint16_t chroma[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(chroma), c);
    const int32_t* Rc = k.reciprocal;
    const __m128i r03 = _mm_setr_epi32(Rc[chroma[0]], Rc[chroma[1]], Rc[chroma[2]], Rc[chroma[3]]);
    const __m128i r47 = _mm_setr_epi32(Rc[chroma[4]], Rc[chroma[5]], Rc[chroma[6]], Rc[chroma[7]]);
    const __m128i halves = Bytes(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
    const __m128i s03 = _mm_shuffle_epi8(r03, halves), s47 = _mm_shuffle_epi8(r47, halves);
    const __m128i low = _mm_unpacklo_epi64(s03, s47);
    const __m128i high = _mm_unpackhi_epi64(s03, s47);

    const __m128i limit = _mm_min_epi16(sum, _mm_sub_epi16(v511, sum));
    const __m128i scaled = _mm_min_epi16(satv, limit);
    const __m128i newMin = _mm_srli_epi16(_mm_sub_epi16(sum, scaled), 1);
    const __m128i newChroma = _mm_sub_epi16(_mm_srli_epi16(_mm_add_epi16(scaled, sum), 1), newMin);

    // (R[C] * d + 0x8000) >> 16 with R[C] = high * 65536 + low: high * d
    // + the upper half of low * d, plus the carry of adding 0x8000 to its
    // lower half.
    const __m128i base = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(high, diff), _mm_mulhi_epu16(low, diff)),
                                       _mm_srli_epi16(_mm_mullo_epi16(low, diff), 15));
    __m128i pos = _mm_add_epi16(base, k.step);
    sec = _mm_add_epi16(sec, k.sector);
    const __m128i wrap = _mm_cmpgt_epi16(pos, v254);
    pos = _mm_sub_epi16(pos, _mm_and_si128(wrap, v255));
    sec = _mm_sub_epi16(sec, wrap);
    sec = _mm_sub_epi16(sec, _mm_and_si128(_mm_cmpgt_epi16(sec, five), v6));
    const __m128i ramp = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(newChroma, pos), round8), 8);

    // The sector table per channel, looked up by byte shuffles on the
    // sector: whether the channel takes the full chroma, and the sign with
    // which the ramp goes to it (psignw: +ramp, -ramp or nothing).
    //   s:      0      1      2      3      4      5
    //   full:   R,B    R      R,G    G      G,B    B
    //   ramp:  -B     +G     -R     +B     -G     +R
    const __m128i index = _mm_add_epi16(_mm_mullo_epi16(sec, _mm_set1_epi16(0x0202)), _mm_set1_epi16(0x0100));
    const __m128i fullR = _mm_shuffle_epi8(_mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0), index);
    const __m128i fullG = _mm_shuffle_epi8(_mm_setr_epi16(0, 0, -1, -1, -1, 0, 0, 0), index);
    const __m128i fullB = _mm_shuffle_epi8(_mm_setr_epi16(-1, 0, 0, 0, -1, -1, 0, 0), index);
    const __m128i signR = _mm_shuffle_epi8(_mm_setr_epi16(0, 0, -1, 0, 0, 1, 0, 0), index);
    const __m128i signG = _mm_shuffle_epi8(_mm_setr_epi16(0, 1, 0, 0, -1, 0, 0, 0), index);
    const __m128i signB = _mm_shuffle_epi8(_mm_setr_epi16(-1, 0, 0, 1, 0, 0, 0, 0), index);
    *outR = _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullR, newChroma)), _mm_sign_epi16(ramp, signR));
    *outG = _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullG, newChroma)), _mm_sign_epi16(ramp, signG));
    *outB = _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullB, newChroma)), _mm_sign_epi16(ramp, signB));
}

Lanes MakeLanes(const HueTransform& t) {
    return Lanes{_mm_set1_epi16(static_cast<short>(t.rotation.step)),
                 _mm_set1_epi16(static_cast<short>(t.rotation.sector)),
                 _mm_set1_epi16(static_cast<short>((t.saturationValue + 256) * 64)), t.reciprocal};
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
            const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
            B = Shuffle3(v0, Bytes(0, x, 3, x, 6, x, 9, x, 12, x, 15, x, x, x, x, x), v1,
                         Bytes(x, x, x, x, x, x, x, x, x, x, x, x, 10, x, 13, x));
            G = Shuffle3(v0, Bytes(1, x, 4, x, 7, x, 10, x, 13, x, x, x, x, x, x, x), v1,
                         Bytes(x, x, x, x, x, x, x, x, x, x, 8, x, 11, x, 14, x));
            R = Shuffle3(v0, Bytes(2, x, 5, x, 8, x, 11, x, 14, x, x, x, x, x, x, x), v1,
                         Bytes(x, x, x, x, x, x, x, x, x, x, 9, x, 12, x, 15, x));
        }
        __m128i outB, outG, outR;
        TransformLanes(B, G, R, k, &outB, &outG, &outR);
        const __m128i bg = _mm_packus_epi16(outB, outG);  // B0..B7 G0..G7
        const __m128i rr = _mm_packus_epi16(outR, outR);  // R0..R7
        if (bpp == 4) {
            // B, G, R and a fourth byte of 0.
            const __m128i lo = Shuffle3(bg, Bytes(0, 8, x, x, 1, 9, x, x, 2, 10, x, x, 3, 11, x, x), rr,
                                        Bytes(x, x, 0, x, x, x, 1, x, x, x, 2, x, x, x, 3, x));
            const __m128i hi = Shuffle3(bg, Bytes(4, 12, x, x, 5, 13, x, x, 6, 14, x, x, 7, 15, x, x), rr,
                                        Bytes(x, x, 4, x, x, x, 5, x, x, x, 6, x, x, x, 7, x));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i + 16), hi);
        } else {
            uint8_t* q = d + 3 * i;
            const __m128i o0 = Shuffle3(bg, Bytes(0, 8, x, 1, 9, x, 2, 10, x, 3, 11, x, 4, 12, x, 5), rr,
                                        Bytes(x, x, 0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x));
            const __m128i o1 = Shuffle3(bg, Bytes(13, x, 6, 14, x, 7, 15, x, x, x, x, x, x, x, x, x), rr,
                                        Bytes(x, 5, x, x, 6, x, x, 7, x, x, x, x, x, x, x, x));
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
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const uint8_t* p = s + bpp * i;
        const __m128i* v = reinterpret_cast<const __m128i*>(p);
        __m128i B, G, R;
        if (bpp == 8) {
            GatherWordQuads(p, &B, &G, &R);
        } else {
            const __m128i v0 = _mm_loadu_si128(v), v1 = _mm_loadu_si128(v + 1), v2 = _mm_loadu_si128(v + 2);
            B = _mm_or_si128(Shuffle3(v0, Bytes(0, 1, 6, 7, 12, 13, x, x, x, x, x, x, x, x, x, x), v1,
                                      Bytes(x, x, x, x, x, x, 2, 3, 8, 9, 14, 15, x, x, x, x)),
                             _mm_shuffle_epi8(v2, Bytes(x, x, x, x, x, x, x, x, x, x, x, x, 4, 5, 10, 11)));
            G = _mm_or_si128(Shuffle3(v0, Bytes(2, 3, 8, 9, 14, 15, x, x, x, x, x, x, x, x, x, x), v1,
                                      Bytes(x, x, x, x, x, x, 4, 5, 10, 11, x, x, x, x, x, x)),
                             _mm_shuffle_epi8(v2, Bytes(x, x, x, x, x, x, x, x, x, x, 0, 1, 6, 7, 12, 13)));
            R = _mm_or_si128(Shuffle3(v0, Bytes(4, 5, 10, 11, x, x, x, x, x, x, x, x, x, x, x, x), v1,
                                      Bytes(x, x, x, x, 0, 1, 6, 7, 12, 13, x, x, x, x, x, x)),
                             _mm_shuffle_epi8(v2, Bytes(x, x, x, x, x, x, x, x, x, x, 2, 3, 8, 9, 14, 15)));
        }
        // Unsigned >> 4 leaves at most 4095; min against 255 saturates.
        B = _mm_min_epi16(_mm_srli_epi16(B, 4), top);
        G = _mm_min_epi16(_mm_srli_epi16(G, 4), top);
        R = _mm_min_epi16(_mm_srli_epi16(R, 4), top);
        __m128i outB, outG, outR;
        TransformLanes(B, G, R, k, &outB, &outG, &outR);
        outB = _mm_slli_epi16(outB, 4);
        outG = _mm_slli_epi16(outG, 4);
        outR = _mm_slli_epi16(outR, 4);
        uint8_t* q = d + bpp * i;
        __m128i* w = reinterpret_cast<__m128i*>(q);
        if (bpp == 8) {
            ScatterWordQuads(q, outB, outG, outR);
        } else {
            _mm_storeu_si128(w, _mm_or_si128(Shuffle3(outB, Bytes(0, 1, x, x, x, x, 2, 3, x, x, x, x, 4, 5, x, x),
                                                      outG, Bytes(x, x, 0, 1, x, x, x, x, 2, 3, x, x, x, x, 4, 5)),
                                             _mm_shuffle_epi8(outR, Bytes(x, x, x, x, 0, 1, x, x, x, x, 2, 3, x, x, x, x))));
            _mm_storeu_si128(w + 1,
                             _mm_or_si128(Shuffle3(outB, Bytes(x, x, 6, 7, x, x, x, x, 8, 9, x, x, x, x, 10, 11),
                                                   outG, Bytes(x, x, x, x, 6, 7, x, x, x, x, 8, 9, x, x, x, x)),
                                          _mm_shuffle_epi8(outR, Bytes(4, 5, x, x, x, x, 6, 7, x, x, x, x, 8, 9, x, x))));
            _mm_storeu_si128(w + 2,
                             _mm_or_si128(Shuffle3(outB, Bytes(x, x, x, x, 12, 13, x, x, x, x, 14, 15, x, x, x, x),
                                                   outG, Bytes(10, 11, x, x, x, x, 12, 13, x, x, x, x, 14, 15, x, x)),
                                          _mm_shuffle_epi8(outR, Bytes(x, x, 10, 11, x, x, x, x, 12, 13, x, x, x, x, 14, 15))));
        }
    }
    return i;
}

}  // namespace kvx
#endif
