// What the SSE2 and SSSE3 hue rows share: the 8-byte pixels of 16-bit
// colour gathered into and scattered from lanes, and the lane select. The
// first half of the transform (sector, position in it, chroma) on eight
// pixels in 16-bit lanes serves the SSE2 rows; the SSSE3 rows carry the
// sector as a shuffle index instead.
// Included inside each path's anonymous namespace, after its intrinsics
// header, so each keeps its own copy compiled for its instruction set.

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

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
    __m128i diff = Select(rBelowG, _mm_sub_epi16(B, R), _mm_sub_epi16(G, B));
    __m128i sec = Select(rBelowG, three, one);
    const __m128i bAbove = _mm_cmpgt_epi16(B, mx);
    mx = _mm_max_epi16(mx, B);
    diff = Select(bAbove, _mm_sub_epi16(R, G), diff);
    sec = Select(bAbove, five, sec);
    const __m128i mn = _mm_min_epi16(candidateMin, B);
    const __m128i c = _mm_sub_epi16(mx, mn);
    const __m128i negative = _mm_cmpgt_epi16(_mm_setzero_si128(), diff);
    return HueLanes{_mm_add_epi16(diff, _mm_and_si128(negative, c)), _mm_add_epi16(sec, negative), c,
                    _mm_add_epi16(mx, mn)};
}

// Eight 8-byte pixels (B, G, R, x words) into lanes: interleaving twice
// gathers each channel (B0 B1 B2 B3 | G0 .., then R0 .. | x ..).
inline void GatherWordQuads(const uint8_t* p, __m128i* B, __m128i* G, __m128i* R) {
    const __m128i* v = reinterpret_cast<const __m128i*>(p);
    const __m128i a0 = _mm_loadu_si128(v), a1 = _mm_loadu_si128(v + 1);
    const __m128i a2 = _mm_loadu_si128(v + 2), a3 = _mm_loadu_si128(v + 3);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
    const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
    const __m128i bg01 = _mm_unpacklo_epi16(b0, b1), ra01 = _mm_unpackhi_epi16(b0, b1);
    const __m128i bg23 = _mm_unpacklo_epi16(b2, b3), ra23 = _mm_unpackhi_epi16(b2, b3);
    *B = _mm_unpacklo_epi64(bg01, bg23);
    *G = _mm_unpackhi_epi64(bg01, bg23);
    *R = _mm_unpacklo_epi64(ra01, ra23);
}

// The interleaving in reverse: B G R 0 per pixel.
inline void ScatterWordQuads(uint8_t* q, __m128i B, __m128i G, __m128i R) {
    const __m128i bg0 = _mm_unpacklo_epi16(B, G), bg1 = _mm_unpackhi_epi16(B, G);
    const __m128i r0 = _mm_unpacklo_epi16(R, _mm_setzero_si128());
    const __m128i r1 = _mm_unpackhi_epi16(R, _mm_setzero_si128());
    __m128i* w = reinterpret_cast<__m128i*>(q);
    _mm_storeu_si128(w, _mm_unpacklo_epi32(bg0, r0));
    _mm_storeu_si128(w + 1, _mm_unpackhi_epi32(bg0, r0));
    _mm_storeu_si128(w + 2, _mm_unpacklo_epi32(bg1, r1));
    _mm_storeu_si128(w + 3, _mm_unpackhi_epi32(bg1, r1));
}
