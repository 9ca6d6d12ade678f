// The SSSE3 interior rows (16 pixels a step): the SSE2 arithmetic, with byte
// shuffles where SSE2 needs masks and shifts, to take 16-bit samples apart
// and to lay B, G, R out in 3-byte and 6-byte pixels. Compiled with
// -mssse3; only called after dispatch has seen SSSE3.
#include "imaging/demosaic_detail.h"
#include "imaging/simd_dispatch.h"

#if KVX_SIMD_X86
#include <tmmintrin.h>

namespace {

// Byte masks for _mm_shuffle_epi8; -1 clears the byte.
inline __m128i Bytes(int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7, int b8, int b9, int b10, int b11,
                     int b12, int b13, int b14, int b15) {
    return _mm_setr_epi8(static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
                         static_cast<char>(b4), static_cast<char>(b5), static_cast<char>(b6), static_cast<char>(b7),
                         static_cast<char>(b8), static_cast<char>(b9), static_cast<char>(b10), static_cast<char>(b11),
                         static_cast<char>(b12), static_cast<char>(b13), static_cast<char>(b14), static_cast<char>(b15));
}

struct Ssse3 {
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

    static void Split(const uint8_t* p, V& even, V& odd) {
        const V v = _mm_loadu_si128(reinterpret_cast<const V*>(p));
        even = _mm_and_si128(v, Set1(0xFF));
        odd = _mm_srli_epi16(v, 8);
    }
    // Even words to the low half, odd words to the high half of each load;
    // a word above 12 bits keeps its high bits and shows in `seen`.
    static void Split(const uint16_t* p, V& even, V& odd) {
        const V order = Bytes(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
        const V a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const V*>(p)), order);
        const V b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const V*>(p + 8)), order);
        even = _mm_unpacklo_epi64(a, b);
        odd = _mm_unpackhi_epi64(a, b);
    }

    static void Store16(uint8_t* out, V v) { _mm_storeu_si128(reinterpret_cast<V*>(out), v); }
    static void StoreMerged(uint8_t* out, V v, V keep) {
        const V old = _mm_loadu_si128(reinterpret_cast<const V*>(out));
        Store16(out, _mm_or_si128(_mm_and_si128(old, keep), v));
    }
    // Four runs of 12 bytes (each in bytes 0-11 of its vector) as 48
    // contiguous bytes in three stores.
    static void Store48(uint8_t* out, V c0, V c1, V c2, V c3) {
        Store16(out, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
        Store16(out + 16, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
        Store16(out + 32, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
    }

    template <typename Sample, int Bpp>
    static void Store(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        if (sizeof(Sample) == 1) {
            // Even and odd lanes back into pixel order, one byte each.
            const V b = _mm_or_si128(bE, _mm_slli_epi16(bO, 8));
            const V g = _mm_or_si128(gE, _mm_slli_epi16(gO, 8));
            const V r = _mm_or_si128(rE, _mm_slli_epi16(rO, 8));
            if (Bpp == 3) {
                // Pixels 0-15 as B G R: each output vector takes its bytes
                // from the three planes.
                //   out0: B0 G0 R0 B1 G1 R1 B2 G2 R2 B3 G3 R3 B4 G4 R4 B5
                //   out1: G5 R5 B6 ... B10 G10    out2: R10 B11 ... G15 R15
                const int x = -1;
                const V o0 = _mm_or_si128(
                    _mm_or_si128(_mm_shuffle_epi8(b, Bytes(0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x, x, 5)),
                                 _mm_shuffle_epi8(g, Bytes(x, 0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x, x))),
                    _mm_shuffle_epi8(r, Bytes(x, x, 0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x)));
                const V o1 = _mm_or_si128(
                    _mm_or_si128(_mm_shuffle_epi8(b, Bytes(x, x, 6, x, x, 7, x, x, 8, x, x, 9, x, x, 10, x)),
                                 _mm_shuffle_epi8(g, Bytes(5, x, x, 6, x, x, 7, x, x, 8, x, x, 9, x, x, 10))),
                    _mm_shuffle_epi8(r, Bytes(x, 5, x, x, 6, x, x, 7, x, x, 8, x, x, 9, x, x)));
                const V o2 = _mm_or_si128(
                    _mm_or_si128(_mm_shuffle_epi8(b, Bytes(x, 11, x, x, 12, x, x, 13, x, x, 14, x, x, 15, x, x)),
                                 _mm_shuffle_epi8(g, Bytes(x, x, 11, x, x, 12, x, x, 13, x, x, 14, x, x, 15, x))),
                    _mm_shuffle_epi8(r, Bytes(10, x, x, 11, x, x, 12, x, x, 13, x, x, 14, x, x, 15)));
                Store16(out, o0);
                Store16(out + 16, o1);
                Store16(out + 32, o2);
            } else {
                const V bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
                const V r0Lo = _mm_unpacklo_epi8(r, Zero()), r0Hi = _mm_unpackhi_epi8(r, Zero());
                const V px[4] = {_mm_unpacklo_epi16(bgLo, r0Lo), _mm_unpackhi_epi16(bgLo, r0Lo),
                                 _mm_unpacklo_epi16(bgHi, r0Hi), _mm_unpackhi_epi16(bgHi, r0Hi)};  // B G R 0 x 4
                const V keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
                for (int i = 0; i < 4; ++i) StoreMerged(out + 16 * i, px[i], keep);
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
                // Two 6-byte pixels per vector closed up to 12 bytes.
                const V close = Bytes(0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, -1, -1, -1, -1);
                V c[8];
                for (int i = 0; i < 8; ++i) c[i] = _mm_shuffle_epi8(px[i], close);
                Store48(out, c[0], c[1], c[2], c[3]);
                Store48(out + 48, c[4], c[5], c[6], c[7]);
            }
        }
    }
};

#include "imaging/demosaic_simd_body.h"

}  // namespace

namespace kvx::demosaic_detail {

int RowSsse3_8(const RowJob& job) { return Row<Ssse3, uint8_t>(job); }
int RowSsse3_16(const RowJob& job) { return Row<Ssse3, uint16_t>(job); }

}  // namespace kvx::demosaic_detail
#endif
