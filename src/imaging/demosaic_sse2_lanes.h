// What the SSE2 and SSSE3 demosaic rows share: the 16-bit lane arithmetic,
// 8-bit samples taken apart by column parity, and pixels of four bytes or
// four words put back in order. The two differ in moving lanes across
// blocks, in the 8-bit vertical sums, in taking 16-bit samples apart and in
// laying out 3-byte and 6-byte pixels, which `Path` supplies:
//   static V ShiftIn(V current, V previous);   previous's last lane, current's lanes 0..L-2
//   static V ShiftNext(V current, V next);     current's lanes 1..L-1, next's first lane
//   static V Times3Even(V bytes);  static V Times3Odd(V bytes);
//   static void Split(const uint16_t* p, V& even, V& odd);
//   static void StorePlanes3(uint8_t* out, V b, V g, V r);  16 pixels from planes
//   static void StoreWords6(uint8_t* out, const V px[8]);  px as Quads16 gives them
// Included inside each path's anonymous namespace, after its intrinsics
// header, so each keeps its own copy compiled for its instruction set.

template <class Path>
struct Sse2Lanes {
    using V = __m128i;
    static constexpr int kLanes = 8;
    // 8-bit stores into 4-byte pixels clip only the channels that need it.
    static constexpr bool kClipsByGain = true;

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

    // 16 samples of 8 bits; the even columns' in the low byte of each lane.
    static V Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static V EvenBytes(V v) { return _mm_and_si128(v, Set1(0xFF)); }
    static V OddBytes(V v) { return _mm_srli_epi16(v, 8); }
    static V HighBytes(V v) { return _mm_and_si128(v, Set1(0xFF00)); }
    static V Average(V a, V b) { return _mm_avg_epu16(a, b); }
    static V FirstLaneToLast(V v) { return _mm_slli_si128(v, 14); }

    static void Store16(uint8_t* out, V v) { _mm_storeu_si128(reinterpret_cast<V*>(out), v); }
    // Keeps the destination bytes that `keep` selects.
    static void StoreMerged(uint8_t* out, V v, V keep) {
        const V old = _mm_loadu_si128(reinterpret_cast<const V*>(out));
        Store16(out, _mm_or_si128(_mm_and_si128(old, keep), v));
    }

    // Sixteen 8-bit pixels from even and odd lanes of B, G and R, saturated
    // to bytes; for 4-byte pixels G is in the high byte of its lanes, and
    // only the channels `Clips` names (blue 1, red 2) may pass 255.
    template <int Bpp, int Clips>
    static void StoreBytes(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        if (Bpp == 3) {
            Path::StorePlanes3(out, _mm_packus_epi16(bE, bO), _mm_packus_epi16(gE, gO), _mm_packus_epi16(rE, rO));
        } else {
            const V max = Set1(255);
            if (Clips & 1) bE = _mm_min_epi16(bE, max), bO = _mm_min_epi16(bO, max);
            if (Clips & 2) rE = _mm_min_epi16(rE, max), rO = _mm_min_epi16(rO, max);
            StoreQuads8(out, bE, bO, gE, gO, rE, rO);
        }
    }
    // B G R beside the destination's own fourth byte, B and R at most 255
    // (a minimum saturates them as a pack would), green in place. Each lane
    // becomes a pixel's B G word and its R 0 word without packing to bytes
    // first, which saves the byte interleave.
    static void StoreQuads8(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        const V bgEven = _mm_or_si128(bE, HighBytes(gE)), bgOdd = _mm_or_si128(bO, HighBytes(gO));
        const V even0 = _mm_unpacklo_epi16(bgEven, rE), even1 = _mm_unpackhi_epi16(bgEven, rE);  // 0 2 4 6 | 8 ..
        const V odd0 = _mm_unpacklo_epi16(bgOdd, rO), odd1 = _mm_unpackhi_epi16(bgOdd, rO);      // 1 3 5 7 | 9 ..
        const V keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        StoreMerged(out, _mm_unpacklo_epi32(even0, odd0), keep);
        StoreMerged(out + 16, _mm_unpackhi_epi32(even0, odd0), keep);
        StoreMerged(out + 32, _mm_unpacklo_epi32(even1, odd1), keep);
        StoreMerged(out + 48, _mm_unpackhi_epi32(even1, odd1), keep);
    }

    // Sixteen pixels from even and odd lanes of B, G and R words: B G R 0,
    // two a vector.
    static void Quads16(V bE, V bO, V gE, V gO, V rE, V rO, V px[8]) {
        const V b[2] = {_mm_unpacklo_epi16(bE, bO), _mm_unpackhi_epi16(bE, bO)};
        const V g[2] = {_mm_unpacklo_epi16(gE, gO), _mm_unpackhi_epi16(gE, gO)};
        const V r[2] = {_mm_unpacklo_epi16(rE, rO), _mm_unpackhi_epi16(rE, rO)};
        for (int h = 0; h < 2; ++h) {
            const V bg0 = _mm_unpacklo_epi16(b[h], g[h]), bg1 = _mm_unpackhi_epi16(b[h], g[h]);
            const V r0 = _mm_unpacklo_epi16(r[h], Zero()), r1 = _mm_unpackhi_epi16(r[h], Zero());
            px[4 * h + 0] = _mm_unpacklo_epi32(bg0, r0);
            px[4 * h + 1] = _mm_unpackhi_epi32(bg0, r0);
            px[4 * h + 2] = _mm_unpacklo_epi32(bg1, r1);
            px[4 * h + 3] = _mm_unpackhi_epi32(bg1, r1);
        }
    }
    // 8-byte pixels keep their fourth word.
    static void StoreQuads16(uint8_t* out, const V px[8]) {
        const V keep = _mm_set_epi32(static_cast<int>(0xFFFF0000u), 0, static_cast<int>(0xFFFF0000u), 0);
        for (int i = 0; i < 8; ++i) StoreMerged(out + 16 * i, px[i], keep);
    }

    // Sixteen pixels from even and odd lanes of B, G and R words, in the
    // destination's layout.
    template <typename Sample, int Bpp>
    static void Store(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        V px[8];
        Quads16(bE, bO, gE, gO, rE, rO, px);
        if (Bpp == 6) Path::StoreWords6(out, px);
        else StoreQuads16(out, px);
    }
};
