// The SSE2 interior rows (16 pixels a step). Compiled with -msse2 where the
// baseline lacks it; only called after dispatch has seen SSE2.
#include "imaging/demosaic_detail.h"
#include "imaging/simd_dispatch.h"

#if KVX_SIMD_X86
#include <emmintrin.h>

#include <cstring>

namespace {

#include "imaging/demosaic_sse2_lanes.h"

struct Sse2 : Sse2Lanes<Sse2> {
    static V ShiftIn(V current, V previous) {
        return _mm_or_si128(_mm_slli_si128(current, 2), _mm_srli_si128(previous, 14));
    }
    static V ShiftNext(V current, V next) { return _mm_or_si128(_mm_srli_si128(current, 2), _mm_slli_si128(next, 14)); }
    // 3 x the even (odd) bytes: the byte alone in the high half of its lane
    // times 3 x 256, high word; a multiply needs no register copy, which a
    // shift-and-add would.
    static V Times3Even(V bytes) { return _mm_mulhi_epu16(_mm_slli_epi16(bytes, 8), Set1(3 << 8)); }
    static V Times3Odd(V bytes) { return _mm_mulhi_epu16(_mm_and_si128(bytes, Set1(0xFF00)), Set1(3 << 8)); }

    // Values above 32767 saturate, which still shows as above 12 bits.
    static void Split(const uint16_t* p, V& even, V& odd) {
        const V a = _mm_loadu_si128(reinterpret_cast<const V*>(p));
        const V b = _mm_loadu_si128(reinterpret_cast<const V*>(p + 8));
        const V low = _mm_set1_epi32(0xFFFF);
        even = _mm_packs_epi32(_mm_and_si128(a, low), _mm_and_si128(b, low));
        odd = _mm_packs_epi32(_mm_srli_epi32(a, 16), _mm_srli_epi32(b, 16));
    }

    // Two 6-byte halves (bytes 0-5 and 8-13) into 12 contiguous bytes.
    static V Close12(V t) {
        const V low = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
        const V mid = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000u), 0);
        return _mm_or_si128(_mm_and_si128(t, low), _mm_and_si128(_mm_srli_si128(t, 2), mid));
    }
    static void Store12(uint8_t* out, V v) {
        _mm_storel_epi64(reinterpret_cast<V*>(out), v);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
        std::memcpy(out + 8, &tail, 4);
    }

    // No byte shuffle: a pair of pixels is three 16-bit words (B0 G0, R0 B1,
    // G1 R1), and each 64-bit half of a vector holds one pair, stored 6
    // bytes apart with overlapping 8-byte stores; the block's last pair is
    // stored exactly, since the bytes after it may be another kernel's.
    static void StorePlanes3(uint8_t* out, V b, V g, V r) {
        const V bgEven = _mm_unpacklo_epi8(b, g);
        const V rEvenBOdd = _mm_unpacklo_epi8(r, _mm_unpackhi_epi64(b, b));
        const V grOdd = _mm_unpackhi_epi8(g, r);
        const V first = _mm_unpacklo_epi16(bgEven, rEvenBOdd), second = _mm_unpackhi_epi16(bgEven, rEvenBOdd);
        const V thirdLo = _mm_unpacklo_epi16(grOdd, Zero()), thirdHi = _mm_unpackhi_epi16(grOdd, Zero());
        const V pairs[4] = {_mm_unpacklo_epi32(first, thirdLo), _mm_unpackhi_epi32(first, thirdLo),
                            _mm_unpacklo_epi32(second, thirdHi), _mm_unpackhi_epi32(second, thirdHi)};
        for (int i = 0; i < 4; ++i) {
            _mm_storel_epi64(reinterpret_cast<V*>(out + 12 * i), pairs[i]);
            if (i < 3) {
                // movhps: the high half straight from the register.
                _mm_storeh_pi(reinterpret_cast<__m64*>(out + 12 * i + 6), _mm_castsi128_ps(pairs[i]));
            } else {
                const V high = _mm_unpackhi_epi64(pairs[i], pairs[i]);
                const int four = _mm_cvtsi128_si32(high);
                const auto two = static_cast<uint16_t>(_mm_extract_epi16(high, 2));
                std::memcpy(out + 42, &four, 4);
                std::memcpy(out + 46, &two, 2);
            }
        }
    }

    static void StoreWords6(uint8_t* out, const V px[8]) {
        for (int i = 0; i < 8; ++i) {
            if (i < 7) Store16(out + 12 * i, Close12(px[i]));
            else Store12(out + 12 * i, Close12(px[i]));
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
