// The SSSE3 interior rows (16 pixels a step): the SSE2 arithmetic, with
// palignr to move lanes across blocks, pmaddubsw for the 8-bit vertical
// sums, and byte shuffles where SSE2 needs masks and shifts, to take 16-bit
// samples apart and to lay B, G, R out in 3-byte and 6-byte pixels.
// Compiled with -mssse3; only called after dispatch has seen SSSE3.
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

#include "imaging/demosaic_sse2_lanes.h"

struct Ssse3 : Sse2Lanes<Ssse3> {
    static V ShiftIn(V current, V previous) { return _mm_alignr_epi8(current, previous, 14); }
    static V ShiftNext(V current, V next) { return _mm_alignr_epi8(next, current, 2); }
    // 3 x the even (odd) bytes, each pair of bytes weighed (3, 0) or (0, 3).
    static V Times3Even(V bytes) { return _mm_maddubs_epi16(bytes, Set1(3)); }
    static V Times3Odd(V bytes) { return _mm_maddubs_epi16(bytes, Set1(0x0300)); }

    // Even words to the low half, odd words to the high half of each load;
    // a word above 12 bits keeps its high bits and shows in `seen`.
    static void Split(const uint16_t* p, V& even, V& odd) {
        const V order = Bytes(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
        const V a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const V*>(p)), order);
        const V b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const V*>(p + 8)), order);
        even = _mm_unpacklo_epi64(a, b);
        odd = _mm_unpackhi_epi64(a, b);
    }

    // Four runs of 12 bytes (each in bytes 0-11 of its vector) as 48
    // contiguous bytes in three stores.
    static void Store48(uint8_t* out, V c0, V c1, V c2, V c3) {
        Store16(out, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
        Store16(out + 16, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
        Store16(out + 32, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
    }

    // Each 16 bytes of the output takes its bytes from the three planes.
    static void StorePlanes3(uint8_t* out, V b, V g, V r) {
        using kvx::demosaic_detail::kPlaneShuffles;
        for (int v = 0; v < 3; ++v) {
            const V* shuffles = reinterpret_cast<const V*>(kPlaneShuffles[v]);
            Store16(out + 16 * v, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, _mm_load_si128(shuffles)),
                                                            _mm_shuffle_epi8(g, _mm_load_si128(shuffles + 1))),
                                               _mm_shuffle_epi8(r, _mm_load_si128(shuffles + 2))));
        }
    }

    static void StoreWords6(uint8_t* out, const V px[8]) {
        // Two 6-byte pixels per vector closed up to 12 bytes.
        const V close = Bytes(0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, -1, -1, -1, -1);
        V c[8];
        for (int i = 0; i < 8; ++i) c[i] = _mm_shuffle_epi8(px[i], close);
        Store48(out, c[0], c[1], c[2], c[3]);
        Store48(out + 48, c[4], c[5], c[6], c[7]);
    }
};

#include "imaging/demosaic_simd_body.h"

}  // namespace

namespace kvx::demosaic_detail {

int RowSsse3_8(const RowJob& job) { return Row<Ssse3, uint8_t>(job); }
int RowSsse3_16(const RowJob& job) { return Row<Ssse3, uint16_t>(job); }

}  // namespace kvx::demosaic_detail
#endif
