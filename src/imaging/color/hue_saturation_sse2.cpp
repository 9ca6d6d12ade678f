// The SSE2 rows of the hue and saturation transform (8 pixels a step): no
// byte shuffle, so 3-byte pixels are widened through scalar loads and the
// saturation and reciprocal tables are read per lane.
#include "imaging/color/hue_rows.h"

#if KVX_SIMD_X86
#include <emmintrin.h>

#include <cstring>

namespace kvx {
namespace {

#include "imaging/color/hue_lanes_sse2.h"
#include "imaging/color/hue_lanes.h"

struct HueLanes {
    __m128i diff;    // the position in the sector, 0 <= diff < chroma
    __m128i sector;  // 0..5
    __m128i chroma;  // max - min
    __m128i sum;     // max + min
};

// TransformPixel's sector search on eight pixels of B, G, R (0..255 each),
// with the branches as selects.
inline HueLanes SectorOfLanes(__m128i B, __m128i G, __m128i R) {
    const __m128i one = _mm_set1_epi16(1), three = _mm_set1_epi16(3), five = _mm_set1_epi16(5);
    const __m128i rBelowG = _mm_cmpgt_epi16(G, R);
    __m128i mx = _mm_max_epi16(R, G);
    const __m128i candidateMin = _mm_min_epi16(R, G);
    __m128i diff = Sse2Ops::Select(rBelowG, _mm_sub_epi16(B, R), _mm_sub_epi16(G, B));
    __m128i sec = Sse2Ops::Select(rBelowG, three, one);
    const __m128i bAbove = _mm_cmpgt_epi16(B, mx);
    mx = _mm_max_epi16(mx, B);
    diff = Sse2Ops::Select(bAbove, _mm_sub_epi16(R, G), diff);
    sec = Sse2Ops::Select(bAbove, five, sec);
    const __m128i mn = _mm_min_epi16(candidateMin, B);
    const __m128i c = _mm_sub_epi16(mx, mn);
    const __m128i negative = _mm_cmpgt_epi16(_mm_setzero_si128(), diff);
    return HueLanes{_mm_add_epi16(diff, _mm_and_si128(negative, c)), _mm_add_epi16(sec, negative), c,
                    _mm_add_epi16(mx, mn)};
}

// Eight pixels as 16-bit lanes of B, G and R, from two vectors of 4-byte
// pixels (B, G, R, x).
KVX_TARGET_SSE2 void Split(__m128i lo, __m128i hi, __m128i* b, __m128i* g, __m128i* r) {
    const __m128i byte = _mm_set1_epi32(0xFF);
    *b = _mm_packs_epi32(_mm_and_si128(lo, byte), _mm_and_si128(hi, byte));
    *g = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 8), byte), _mm_and_si128(_mm_srli_epi32(hi, 8), byte));
    *r = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 16), byte), _mm_and_si128(_mm_srli_epi32(hi, 16), byte));
}

// Four bytes from p; for 3-byte pixels the fourth belongs to the next pixel
// and is masked off later.
inline short Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return static_cast<short>(v);
}

inline int Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return static_cast<int>(v);
}

struct LaneConstants {
    __m128i step, sector;
};

// Eight pixels in 16-bit lanes of B, G, R (0..255 each) in and out: the same
// sequence of operations as TransformPixel, with the branches as selects.
KVX_TARGET_SSE2 inline void TransformLanes(__m128i B, __m128i G, __m128i R, const HueTransform& t,
                                           const LaneConstants& constants, __m128i* outB, __m128i* outG, __m128i* outR) {
    const __m128i five = _mm_set1_epi16(5);
    const __m128i v254 = _mm_set1_epi16(254), v255 = _mm_set1_epi16(255), v6 = _mm_set1_epi16(6);
    const __m128i v511 = _mm_set1_epi16(511), round8 = _mm_set1_epi16(128);
    const __m128i step = constants.step, sector = constants.sector;
    const HueLanes h = SectorOfLanes(B, G, R);
    __m128i diff = h.diff, sec = h.sector;
    const __m128i c = h.chroma, sum = h.sum;

    int k[8];
    k[0] = _mm_extract_epi16(c, 0);
    k[1] = _mm_extract_epi16(c, 1);
    k[2] = _mm_extract_epi16(c, 2);
    k[3] = _mm_extract_epi16(c, 3);
    k[4] = _mm_extract_epi16(c, 4);
    k[5] = _mm_extract_epi16(c, 5);
    k[6] = _mm_extract_epi16(c, 6);
    k[7] = _mm_extract_epi16(c, 7);
    const uint16_t* S = t.saturation;
    const int32_t* Rc = t.reciprocal;
    const __m128i satv = _mm_setr_epi16(S[k[0]], S[k[1]], S[k[2]], S[k[3]], S[k[4]], S[k[5]], S[k[6]], S[k[7]]);
    const __m128i low = _mm_setr_epi16(Rc[k[0]], Rc[k[1]], Rc[k[2]], Rc[k[3]], Rc[k[4]], Rc[k[5]], Rc[k[6]],
                                       Rc[k[7]]);
    const __m128i high = _mm_setr_epi16(Rc[k[0]] >> 16, Rc[k[1]] >> 16, Rc[k[2]] >> 16, Rc[k[3]] >> 16,
                                        Rc[k[4]] >> 16, Rc[k[5]] >> 16, Rc[k[6]] >> 16, Rc[k[7]] >> 16);
    const __m128i limit = _mm_min_epi16(sum, _mm_sub_epi16(v511, sum));
    const __m128i scaled = _mm_min_epi16(satv, limit);
    const __m128i newMin = _mm_srli_epi16(_mm_sub_epi16(sum, scaled), 1);
    const __m128i newChroma = _mm_sub_epi16(_mm_srli_epi16(_mm_add_epi16(scaled, sum), 1), newMin);

    // (R[C] * d + 0x8000) >> 16 with R[C] = high * 65536 + low:
    // high * d + the upper half of low * d, plus the carry of adding
    // 0x8000 to its lower half.
    const __m128i base = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(high, diff), _mm_mulhi_epu16(low, diff)),
        _mm_srli_epi16(_mm_mullo_epi16(low, diff), 15));
    __m128i pos = _mm_add_epi16(base, step);
    sec = _mm_add_epi16(sec, sector);
    const __m128i wrap = _mm_cmpgt_epi16(pos, v254);
    pos = _mm_sub_epi16(pos, _mm_and_si128(wrap, v255));
    sec = _mm_sub_epi16(sec, wrap);
    sec = _mm_sub_epi16(sec, _mm_and_si128(_mm_cmpgt_epi16(sec, five), v6));
    const __m128i ramp = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(newChroma, pos), round8), 8);

    // The sector table per channel: which channels take the full
    // chroma, and which one the ramp is added to or taken from.
    //   s:      0      1      2      3      4      5
    //   full:   R,B    R      R,G    G      G,B    B
    //   ramp:  -B     +G     -R     +B     -G     +R
    __m128i is[6];
    for (int i = 0; i < 6; ++i) is[i] = _mm_cmpeq_epi16(sec, _mm_set1_epi16(static_cast<short>(i)));
    const __m128i fullR = _mm_or_si128(_mm_or_si128(is[0], is[1]), is[2]);
    const __m128i fullG = _mm_or_si128(_mm_or_si128(is[2], is[3]), is[4]);
    const __m128i fullB = _mm_or_si128(_mm_or_si128(is[0], is[4]), is[5]);
    *outR = _mm_sub_epi16(
        _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullR, newChroma)), _mm_and_si128(is[5], ramp)),
        _mm_and_si128(is[2], ramp));
    *outG = _mm_sub_epi16(
        _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullG, newChroma)), _mm_and_si128(is[1], ramp)),
        _mm_and_si128(is[4], ramp));
    *outB = _mm_sub_epi16(
        _mm_add_epi16(_mm_add_epi16(newMin, _mm_and_si128(fullB, newChroma)), _mm_and_si128(is[3], ramp)),
        _mm_and_si128(is[0], ramp));
}

}  // namespace

KVX_TARGET_SSE2 int HueRow8Sse2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& transform) {
    if (bpp != 3 && bpp != 4) return 0;
    const HueTransform t = transform;
    const LaneConstants k{_mm_set1_epi16(static_cast<short>(t.rotation.step)),
                          _mm_set1_epi16(static_cast<short>(t.rotation.sector))};
    // 3-byte pixels are read four bytes at a time: keep one pixel after the block.
    const int last = bpp == 3 ? width - 9 : width - 8;
    int x = 0;
    for (; x <= last; x += 8) {
        __m128i B, G, R;
        if (bpp == 4) {
            Split(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x)),
                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x + 16)), &B, &G, &R);
        } else {
            // No byte shuffle in SSE2: widen 3-byte pixels through scalar loads.
            const uint8_t* p = s + 3 * x;
            Split(_mm_setr_epi32(Load32(p), Load32(p + 3), Load32(p + 6), Load32(p + 9)),
                  _mm_setr_epi32(Load32(p + 12), Load32(p + 15), Load32(p + 18), Load32(p + 21)), &B, &G, &R);
        }
        __m128i outBv, outGv, outRv;
        TransformLanes(B, G, R, t, k, &outBv, &outGv, &outRv);
        // B | G << 8 in each word, then R beside it: bytes B, G, R, 0.
        const __m128i bg = _mm_or_si128(outBv, _mm_slli_epi16(outGv, 8));
        __m128i lo = _mm_unpacklo_epi16(bg, outRv);
        __m128i hi = _mm_unpackhi_epi16(bg, outRv);
        if (bpp == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x + 16), hi);
        } else {
            // Each 4-byte store spills one byte into the next pixel, which
            // the next store then writes; the last pixel is written exactly,
            // since in place the byte after it is still to be read.
            uint8_t* q = d + 3 * x;
            for (int i = 0; i < 4; ++i) {
                const uint32_t v = static_cast<uint32_t>(_mm_cvtsi128_si32(lo));
                std::memcpy(q + 3 * i, &v, 4);
                lo = _mm_srli_si128(lo, 4);
            }
            for (int i = 4; i < 7; ++i) {
                const uint32_t v = static_cast<uint32_t>(_mm_cvtsi128_si32(hi));
                std::memcpy(q + 3 * i, &v, 4);
                hi = _mm_srli_si128(hi, 4);
            }
            const uint32_t v = static_cast<uint32_t>(_mm_cvtsi128_si32(hi));
            q[21] = static_cast<uint8_t>(v);
            q[22] = static_cast<uint8_t>(v >> 8);
            q[23] = static_cast<uint8_t>(v >> 16);
        }
    }
    return x;
}

// Words of 12 significant bits: >> 4, saturated at 255, through the same
// lanes, then << 4.
KVX_TARGET_SSE2 int HueRow16Sse2(uint8_t* d, const uint8_t* s, int width, int bpp, const HueTransform& transform) {
    if ((bpp != 6 && bpp != 8) || transform.shift != 4) return 0;
    const HueTransform t = transform;
    const LaneConstants k{_mm_set1_epi16(static_cast<short>(t.rotation.step)),
                          _mm_set1_epi16(static_cast<short>(t.rotation.sector))};
    const __m128i top = _mm_set1_epi16(255);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const uint8_t* p = s + bpp * x;
        __m128i B, G, R;
        if (bpp == 8) {
            __m128i a[4];
            for (int n = 0; n < 4; ++n) a[n] = Sse2Ops::Load(p + 16 * n);
            GatherWordQuads<Sse2Ops>(a, &B, &G, &R);
        } else {
            B = _mm_setr_epi16(Load16(p), Load16(p + 6), Load16(p + 12), Load16(p + 18), Load16(p + 24),
                               Load16(p + 30), Load16(p + 36), Load16(p + 42));
            G = _mm_setr_epi16(Load16(p + 2), Load16(p + 8), Load16(p + 14), Load16(p + 20), Load16(p + 26),
                               Load16(p + 32), Load16(p + 38), Load16(p + 44));
            R = _mm_setr_epi16(Load16(p + 4), Load16(p + 10), Load16(p + 16), Load16(p + 22), Load16(p + 28),
                               Load16(p + 34), Load16(p + 40), Load16(p + 46));
        }
        // Unsigned >> 4 leaves at most 4095; min against 255 saturates.
        B = _mm_min_epi16(_mm_srli_epi16(B, 4), top);
        G = _mm_min_epi16(_mm_srli_epi16(G, 4), top);
        R = _mm_min_epi16(_mm_srli_epi16(R, 4), top);
        __m128i outB, outG, outR;
        TransformLanes(B, G, R, t, k, &outB, &outG, &outR);
        outB = _mm_slli_epi16(outB, 4);
        outG = _mm_slli_epi16(outG, 4);
        outR = _mm_slli_epi16(outR, 4);
        uint8_t* q = d + bpp * x;
        if (bpp == 8) {
            __m128i a[4];
            ScatterWordQuads<Sse2Ops>(outB, outG, outR, a);
            for (int n = 0; n < 4; ++n) Sse2Ops::Store(q + 16 * n, a[n]);
        } else {
            alignas(16) uint16_t b[8], g[8], r[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(b), outB);
            _mm_store_si128(reinterpret_cast<__m128i*>(g), outG);
            _mm_store_si128(reinterpret_cast<__m128i*>(r), outR);
            for (int i = 0; i < 8; ++i) {
                const uint16_t px[3] = {b[i], g[i], r[i]};
                std::memcpy(q + 6 * i, px, 6);
            }
        }
    }
    return x;
}

}  // namespace kvx
#endif
