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
    using Sse2Lanes::Split;

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
    static void Store12(uint8_t* out, V v) {
        _mm_storel_epi64(reinterpret_cast<V*>(out), v);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
        std::memcpy(out + 8, &tail, 4);
    }

    static void StoreBytes3(uint8_t* out, V b, V g, V r) {
        V px[4];  // B G R 0 x 4
        Quads8(b, g, r, px);
        const V low3 = _mm_set1_epi64x(0xFFFFFF);
        const V high3 = _mm_set1_epi64x(0xFFFFFF000000LL);
        for (int i = 0; i < 4; ++i) {
            const V t = _mm_or_si128(_mm_and_si128(px[i], low3), _mm_and_si128(_mm_srli_epi64(px[i], 8), high3));
            // Overlapping stores; the last stays inside the block.
            if (i < 3) Store16(out + 12 * i, Close12(t));
            else Store12(out + 12 * i, Close12(t));
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
