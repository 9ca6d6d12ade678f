// The SSE2 operations of hue_lanes.h on one 128-bit vector: all that the
// SSE2 rows take of it, and the base of the SSSE3 rows' operations.
// Included inside each path's anonymous namespace, after its intrinsics
// header, so each keeps its own copy compiled for its instruction set.

struct Sse2Ops {
    using V = __m128i;
    using F = __m128;
    static constexpr int kHalves = 1;

    static V Zero() { return _mm_setzero_si128(); }
    static V Set16(short v) { return _mm_set1_epi16(v); }
    static V Words(short w0, short w1, short w2, short w3, short w4, short w5, short w6, short w7) {
        return _mm_setr_epi16(w0, w1, w2, w3, w4, w5, w6, w7);
    }

    // The value as the compiler cannot see it: kept in a register or spilled, never rebuilt.
    static V Kept(V v) {
        __asm__("" : "+x"(v));
        return v;
    }

    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V Max(V a, V b) { return _mm_max_epi16(a, b); }
    static V Min(V a, V b) { return _mm_min_epi16(a, b); }
    static V Greater(V a, V b) { return _mm_cmpgt_epi16(a, b); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Select(V mask, V yes, V no) { return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no)); }
    static V MulLow(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MulHighUnsigned(V a, V b) { return _mm_mulhi_epu16(a, b); }
    template <int n>
    static V ShiftRight(V a) { return _mm_srli_epi16(a, n); }
    template <int n>
    static V ShiftLeft(V a) { return _mm_slli_epi16(a, n); }
    static V PackUnsigned(V a, V b) { return _mm_packus_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V UnpackLo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V UnpackHi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V UnpackLo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
    static V UnpackHi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
    static V UnpackLo64(V a, V b) { return _mm_unpacklo_epi64(a, b); }
    static V UnpackHi64(V a, V b) { return _mm_unpackhi_epi64(a, b); }

    static F Float(float v) { return _mm_set1_ps(v); }
    static F ToFloat(V a) { return _mm_cvtepi32_ps(a); }
    static F Divide(F a, F b) { return _mm_div_ps(a, b); }
    static V TruncateToInt(F a) { return _mm_cvttps_epi32(a); }

    static V Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
    // One half: the blocks of further halves would lie `stride` bytes on.
    static V LoadHalves(const uint8_t* p, int) { return Load(p); }
    static void StoreHalves(uint8_t* p, V v, int) { Store(p, v); }
    static void StoreLowHalves(uint8_t* p, V v, int) { _mm_storel_epi64(reinterpret_cast<V*>(p), v); }
};
