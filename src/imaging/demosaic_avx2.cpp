// The AVX2 interior rows (32 pixels a step). Compiled with -mavx2; only
// called after dispatch has seen AVX2. Unpacks work within 128-bit lanes,
// so the pixel groups come out as [0-3 | 16-19] and are put back in order
// on the way out.
#include "imaging/demosaic_detail.h"
#include "imaging/simd_dispatch.h"

#if KVX_SIMD_X86
#include <immintrin.h>

#include <cstring>

namespace {

struct Avx2 {
    using V = __m256i;
    static constexpr int kLanes = 16;
    // Packs saturate every channel anyway.
    static constexpr bool kClipsByGain = false;

    static V Zero() { return _mm256_setzero_si256(); }
    static V Set1(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Times3(V a) { return _mm256_add_epi16(_mm256_add_epi16(a, a), a); }
    static V MulHi(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    static V Min(V a, V b) { return _mm256_min_epi16(a, b); }
    static V Half(V a) { return _mm256_srli_epi16(a, 1); }
    static bool AnyAbove12Bits(V seen) { return !_mm256_testz_si256(seen, Set1(0xF000)); }

    // 32 samples of 8 bits; the even columns' in the low byte of each lane.
    static V Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    static V EvenBytes(V v) { return _mm256_and_si256(v, Set1(0xFF)); }
    static V OddBytes(V v) { return _mm256_srli_epi16(v, 8); }
    static V HighBytes(V v) { return _mm256_and_si256(v, Set1(0xFF00)); }
    static V Average(V a, V b) { return _mm256_avg_epu16(a, b); }
    static V Times3Even(V bytes) { return _mm256_maddubs_epi16(bytes, Set1(3)); }
    static V Times3Odd(V bytes) { return _mm256_maddubs_epi16(bytes, Set1(0x0300)); }
    // Lanes across the two halves: palignr works within each, so the half
    // that crosses is brought beside it first.
    static V ShiftIn(V current, V previous) {
        return _mm256_alignr_epi8(current, _mm256_permute2x128_si256(previous, current, 0x21), 14);
    }
    static V ShiftNext(V current, V next) {
        return _mm256_alignr_epi8(_mm256_permute2x128_si256(current, next, 0x21), current, 2);
    }
    static V FirstLaneToLast(V v) { return _mm256_slli_si256(_mm256_permute2x128_si256(v, v, 0x08), 14); }

    static void Split(const uint16_t* p, V& even, V& odd) {
        const V a = _mm256_loadu_si256(reinterpret_cast<const V*>(p));
        const V b = _mm256_loadu_si256(reinterpret_cast<const V*>(p + 16));
        const V e = _mm256_packs_epi32(_mm256_srai_epi32(_mm256_slli_epi32(a, 16), 16),
                                       _mm256_srai_epi32(_mm256_slli_epi32(b, 16), 16));
        const V o = _mm256_packs_epi32(_mm256_srai_epi32(a, 16), _mm256_srai_epi32(b, 16));
        // packs interleaves a and b per 128-bit lane: quads a0 b0 a1 b1.
        even = _mm256_permute4x64_epi64(e, _MM_SHUFFLE(3, 1, 2, 0));
        odd = _mm256_permute4x64_epi64(o, _MM_SHUFFLE(3, 1, 2, 0));
    }

    static void Store16(uint8_t* out, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v); }
    static void Store12(uint8_t* out, __m128i v) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
        const int tail = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
        std::memcpy(out + 8, &tail, 4);
    }
    static void StoreMerged(uint8_t* out, V v, V keep) {
        const V old = _mm256_loadu_si256(reinterpret_cast<const V*>(out));
        _mm256_storeu_si256(reinterpret_cast<V*>(out), _mm256_or_si256(_mm256_and_si256(old, keep), v));
    }
    // `groups` are 12-byte groups in address order, each in bytes 0-11.
    static void StorePacked(uint8_t* out, const __m128i* groups, int count) {
        for (int i = 0; i < count - 1; ++i) Store16(out + 12 * i, groups[i]);
        Store12(out + 12 * (count - 1), groups[count - 1]);
    }

    // Thirty-two 8-bit pixels from even and odd lanes of B, G and R,
    // saturated to bytes; for 4-byte pixels G is in the high byte of its
    // lanes. Each half packs to the planes (see kPlaneShuffles) of its 16
    // pixels: 0-15 and 16-31.
    template <int Bpp, int Clips>
    static void StoreBytes(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        const V b = _mm256_packus_epi16(bE, bO), r = _mm256_packus_epi16(rE, rO);
        const V g = Bpp == 3 ? _mm256_packus_epi16(gE, gO)
                             : _mm256_packus_epi16(_mm256_srli_epi16(gE, 8), _mm256_srli_epi16(gO, 8));
        if (Bpp == 3) {
            using kvx::demosaic_detail::kPlaneShuffles;
            V o[3];
            for (int v = 0; v < 3; ++v) {
                const auto* shuffles = reinterpret_cast<const __m128i*>(kPlaneShuffles[v]);
                o[v] =
                    _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(b, _mm256_broadcastsi128_si256(shuffles[0])),
                                                    _mm256_shuffle_epi8(g, _mm256_broadcastsi128_si256(shuffles[1]))),
                                    _mm256_shuffle_epi8(r, _mm256_broadcastsi128_si256(shuffles[2])));
            }
            // Bytes 0-47 in the low halves, 48-95 in the high ones.
            _mm256_storeu_si256(reinterpret_cast<V*>(out), _mm256_permute2x128_si256(o[0], o[1], 0x20));
            _mm256_storeu_si256(reinterpret_cast<V*>(out + 32), _mm256_permute2x128_si256(o[2], o[0], 0x30));
            _mm256_storeu_si256(reinterpret_cast<V*>(out + 64), _mm256_permute2x128_si256(o[1], o[2], 0x31));
            return;
        }
        const V bgEven = _mm256_unpacklo_epi8(b, g), bgOdd = _mm256_unpackhi_epi8(b, g);
        const V rEven = _mm256_unpacklo_epi8(r, Zero()), rOdd = _mm256_unpackhi_epi8(r, Zero());
        const V even0 = _mm256_unpacklo_epi16(bgEven, rEven), even1 = _mm256_unpackhi_epi16(bgEven, rEven);
        const V odd0 = _mm256_unpacklo_epi16(bgOdd, rOdd), odd1 = _mm256_unpackhi_epi16(bgOdd, rOdd);
        // Pixels [0-3|16-19], [4-7|20-23], [8-11|24-27], [12-15|28-31] as B G R x.
        const V p0 = _mm256_unpacklo_epi32(even0, odd0), p1 = _mm256_unpackhi_epi32(even0, odd0);
        const V p2 = _mm256_unpacklo_epi32(even1, odd1), p3 = _mm256_unpackhi_epi32(even1, odd1);
        const V keep = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
        StoreMerged(out, _mm256_permute2x128_si256(p0, p1, 0x20), keep);
        StoreMerged(out + 32, _mm256_permute2x128_si256(p2, p3, 0x20), keep);
        StoreMerged(out + 64, _mm256_permute2x128_si256(p0, p1, 0x31), keep);
        StoreMerged(out + 96, _mm256_permute2x128_si256(p2, p3, 0x31), keep);
    }

    // Thirty-two pixels from even and odd lanes of B, G and R words, in the
    // destination's layout.
    template <typename Sample, int Bpp>
    static void Store(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        // B, G, R words in pixel order: [0-7|16-23] and [8-15|24-31].
        const V bLo = _mm256_unpacklo_epi16(bE, bO), bHi = _mm256_unpackhi_epi16(bE, bO);
        const V gLo = _mm256_unpacklo_epi16(gE, gO), gHi = _mm256_unpackhi_epi16(gE, gO);
        const V rLo = _mm256_unpacklo_epi16(rE, rO), rHi = _mm256_unpackhi_epi16(rE, rO);
        V q[8];  // q[i] holds pixels [2i, 2i+1 | 2i+16, 2i+17] as B G R 0
        const V bs[2] = {bLo, bHi}, gs[2] = {gLo, gHi}, rs[2] = {rLo, rHi};
        for (int h = 0; h < 2; ++h) {
            const V bg0 = _mm256_unpacklo_epi16(bs[h], gs[h]), bg1 = _mm256_unpackhi_epi16(bs[h], gs[h]);
            const V r0 = _mm256_unpacklo_epi16(rs[h], Zero()), r1 = _mm256_unpackhi_epi16(rs[h], Zero());
            q[4 * h + 0] = _mm256_unpacklo_epi32(bg0, r0);
            q[4 * h + 1] = _mm256_unpackhi_epi32(bg0, r0);
            q[4 * h + 2] = _mm256_unpacklo_epi32(bg1, r1);
            q[4 * h + 3] = _mm256_unpackhi_epi32(bg1, r1);
        }
        if (Bpp == 8) {
            const V keep = _mm256_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
            for (int i = 0; i < 4; ++i) {
                StoreMerged(out + 32 * i, _mm256_permute2x128_si256(q[2 * i], q[2 * i + 1], 0x20), keep);
                StoreMerged(out + 128 + 32 * i, _mm256_permute2x128_si256(q[2 * i], q[2 * i + 1], 0x31), keep);
            }
        } else {
            const V pick = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, -1, -1, -1, -1,  //
                                            0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, -1, -1, -1, -1);
            __m128i groups[16];
            for (int i = 0; i < 8; ++i) {
                const V c = _mm256_shuffle_epi8(q[i], pick);
                groups[i] = _mm256_castsi256_si128(c);
                groups[8 + i] = _mm256_extracti128_si256(c, 1);
            }
            StorePacked(out, groups, 16);
        }
    }
};

#include "imaging/demosaic_simd_body.h"

}  // namespace

namespace kvx::demosaic_detail {

int RowAvx2_8(const RowJob& job) { return Row<Avx2, uint8_t>(job); }
int RowAvx2_16(const RowJob& job) { return Row<Avx2, uint16_t>(job); }

}  // namespace kvx::demosaic_detail
#endif
