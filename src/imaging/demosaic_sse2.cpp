// The SSE2 interior rows (16 pixels a step). Compiled with -msse2 where the
// baseline lacks it; only called after dispatch has seen SSE2.
#include "imaging/demosaic_detail.h"
#include "imaging/simd_dispatch.h"

#if KVX_SIMD_X86
#include <emmintrin.h>

#include <cstring>

namespace {

struct Sse2 {
    using V = __m128i;
    static constexpr int kLanes = 8;

    static V Zero() { return _mm_setzero_si128(); }
    static V Set1(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Times3(V a) { return _mm_add_epi16(_mm_add_epi16(a, a), a); }
    static V MulHi(V a, V b) { return _mm_mulhi_epu16(a, b); }
    static V Min(V a, V b) { return _mm_min_epi16(a, b); }
    static V Half(V a) { return _mm_srli_epi16(a, 1); }
    static bool AnyAbove12Bits(V seen) {
        return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(seen, Set1(0xF000)), Zero())) != 0xFFFF;
    }

    // 16 samples from p: even columns and odd columns as 16-bit lanes.
    static void Split(const uint8_t* p, V& even, V& odd) {
        const V v = _mm_loadu_si128(reinterpret_cast<const V*>(p));
        even = _mm_and_si128(v, Set1(0xFF));
        odd = _mm_srli_epi16(v, 8);
    }
    // Values above 32767 saturate, which still shows as above 12 bits.
    static void Split(const uint16_t* p, V& even, V& odd) {
        const V a = _mm_loadu_si128(reinterpret_cast<const V*>(p));
        const V b = _mm_loadu_si128(reinterpret_cast<const V*>(p + 8));
        even = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
        odd = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
    }

    // Two 6-byte halves (bytes 0-5 and 8-13) into 12 contiguous bytes.
    static V Close12(V t) {
        const V low = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
        const V mid = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000u), 0);
        return _mm_or_si128(_mm_and_si128(t, low), _mm_and_si128(_mm_srli_si128(t, 2), mid));
    }
    static void Store16(uint8_t* out, V v) { _mm_storeu_si128(reinterpret_cast<V*>(out), v); }
    static void Store12(uint8_t* out, V v) {
        _mm_storel_epi64(reinterpret_cast<V*>(out), v);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
        std::memcpy(out + 8, &tail, 4);
    }
    // Keeps the destination bytes that `keep` selects.
    static void StoreMerged(uint8_t* out, V v, V keep) {
        const V old = _mm_loadu_si128(reinterpret_cast<const V*>(out));
        Store16(out, _mm_or_si128(_mm_and_si128(old, keep), v));
    }

    template <typename Sample, int Bpp>
    static void Store(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        if (sizeof(Sample) == 1) {
            // Even and odd lanes back into pixel order, one byte each.
            const V b = _mm_or_si128(bE, _mm_slli_epi16(bO, 8));
            const V g = _mm_or_si128(gE, _mm_slli_epi16(gO, 8));
            const V r = _mm_or_si128(rE, _mm_slli_epi16(rO, 8));
            const V bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
            const V r0Lo = _mm_unpacklo_epi8(r, Zero()), r0Hi = _mm_unpackhi_epi8(r, Zero());
            const V px[4] = {_mm_unpacklo_epi16(bgLo, r0Lo), _mm_unpackhi_epi16(bgLo, r0Lo),
                             _mm_unpacklo_epi16(bgHi, r0Hi), _mm_unpackhi_epi16(bgHi, r0Hi)};  // B G R 0 x 4
            if (Bpp == 4) {
                const V keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
                for (int i = 0; i < 4; ++i) StoreMerged(out + 16 * i, px[i], keep);
            } else {
                const V low3 = _mm_set1_epi64x(0xFFFFFF);
                const V high3 = _mm_set1_epi64x(0xFFFFFF000000LL);
                for (int i = 0; i < 4; ++i) {
                    const V t = _mm_or_si128(_mm_and_si128(px[i], low3), _mm_and_si128(_mm_srli_epi64(px[i], 8), high3));
                    // Overlapping stores; the last stays inside the block.
                    if (i < 3) Store16(out + 12 * i, Close12(t));
                    else Store12(out + 12 * i, Close12(t));
                }
            }
        } else {
            const V b[2] = {_mm_unpacklo_epi16(bE, bO), _mm_unpackhi_epi16(bE, bO)};
            const V g[2] = {_mm_unpacklo_epi16(gE, gO), _mm_unpackhi_epi16(gE, gO)};
            const V r[2] = {_mm_unpacklo_epi16(rE, rO), _mm_unpackhi_epi16(rE, rO)};
            V px[8];  // two pixels each: B G R 0
            for (int h = 0; h < 2; ++h) {
                const V bg0 = _mm_unpacklo_epi16(b[h], g[h]), bg1 = _mm_unpackhi_epi16(b[h], g[h]);
                const V r0 = _mm_unpacklo_epi16(r[h], Zero()), r1 = _mm_unpackhi_epi16(r[h], Zero());
                px[4 * h + 0] = _mm_unpacklo_epi32(bg0, r0);
                px[4 * h + 1] = _mm_unpackhi_epi32(bg0, r0);
                px[4 * h + 2] = _mm_unpacklo_epi32(bg1, r1);
                px[4 * h + 3] = _mm_unpackhi_epi32(bg1, r1);
            }
            if (Bpp == 8) {
                const V keep = _mm_set_epi32(static_cast<int>(0xFFFF0000u), 0, static_cast<int>(0xFFFF0000u), 0);
                for (int i = 0; i < 8; ++i) StoreMerged(out + 16 * i, px[i], keep);
            } else {
                for (int i = 0; i < 8; ++i) {
                    if (i < 7) Store16(out + 12 * i, Close12(px[i]));
                    else Store12(out + 12 * i, Close12(px[i]));
                }
            }
        }
    }
};

#include "imaging/demosaic_simd_body.h"

}  // namespace

namespace kvx::demosaic_detail {

int RowSse2_8(const RowJob& job) { return Row<Sse2, uint8_t>(job); }
int RowSse2_16(const RowJob& job) { return Row<Sse2, uint16_t>(job); }

}  // namespace kvx::demosaic_detail
#endif
