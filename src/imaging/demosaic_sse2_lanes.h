// What the SSE2 and SSSE3 demosaic rows share: the 16-bit lane arithmetic,
// the 8-bit split, and pixels of four bytes or four words put back in
// order. The two differ only in taking 16-bit samples apart and in laying
// out 3-byte and 6-byte pixels, which `Path` supplies:
//   static void Split(const uint16_t* p, V& even, V& odd);
//   static void StoreBytes3(uint8_t* out, V b, V g, V r);   16 pixels
//   static void StoreWords6(uint8_t* out, const V px[8]);  px as Quads16 gives them
// Included inside each path's anonymous namespace, after its intrinsics
// header, so each keeps its own copy compiled for its instruction set.

template <class Path>
struct Sse2Lanes {
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

    static void Store16(uint8_t* out, V v) { _mm_storeu_si128(reinterpret_cast<V*>(out), v); }
    // Keeps the destination bytes that `keep` selects.
    static void StoreMerged(uint8_t* out, V v, V keep) {
        const V old = _mm_loadu_si128(reinterpret_cast<const V*>(out));
        Store16(out, _mm_or_si128(_mm_and_si128(old, keep), v));
    }

    // Even and odd lanes back into pixel order, one byte each.
    static V JoinBytes(V even, V odd) { return _mm_or_si128(even, _mm_slli_epi16(odd, 8)); }

    // Sixteen pixels from planes of B, G and R bytes: B G R 0, four a vector.
    static void Quads8(V b, V g, V r, V px[4]) {
        const V bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
        const V r0Lo = _mm_unpacklo_epi8(r, Zero()), r0Hi = _mm_unpackhi_epi8(r, Zero());
        px[0] = _mm_unpacklo_epi16(bgLo, r0Lo);
        px[1] = _mm_unpackhi_epi16(bgLo, r0Lo);
        px[2] = _mm_unpacklo_epi16(bgHi, r0Hi);
        px[3] = _mm_unpackhi_epi16(bgHi, r0Hi);
    }
    // 4-byte pixels keep their fourth byte.
    static void StoreQuads8(uint8_t* out, const V px[4]) {
        const V keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        for (int i = 0; i < 4; ++i) StoreMerged(out + 16 * i, px[i], keep);
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

    // Sixteen pixels from even and odd lanes of B, G and R, in the
    // destination's layout.
    template <typename Sample, int Bpp>
    static void Store(uint8_t* out, V bE, V bO, V gE, V gO, V rE, V rO) {
        if (sizeof(Sample) == 1) {
            const V b = JoinBytes(bE, bO), g = JoinBytes(gE, gO), r = JoinBytes(rE, rO);
            if (Bpp == 3) {
                Path::StoreBytes3(out, b, g, r);
            } else {
                V px[4];
                Quads8(b, g, r, px);
                StoreQuads8(out, px);
            }
        } else {
            V px[8];
            Quads16(bE, bO, gE, gO, rE, rO, px);
            if (Bpp == 6) Path::StoreWords6(out, px);
            else StoreQuads16(out, px);
        }
    }
};
