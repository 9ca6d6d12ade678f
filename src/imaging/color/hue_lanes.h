// The hue and saturation rows on 16-bit lanes with byte shuffles, written
// once for the SSSE3 rows (one 128-bit half: 8 pixels a step) and the AVX2
// rows (two halves: 16 pixels a step). Every operation works within a half,
// so a half is an SSSE3 vector of its own; only the loads and stores of
// 3-byte and 6-byte pixels place a block of eight pixels in each half.
//
// No lookup per pixel: the chroma reciprocal is a single-precision division
// (its correctly rounded quotient truncates to the table's value for every
// chroma), the saturation table one rounding multiply (pmulhrsw), and the
// sector table a byte shuffle whose pair of coefficients pmaddubsw applies
// to chroma and ramp.
//
// Included inside each path's anonymous namespace after its `Ops`, which
// maps the operations onto its instruction set (see hue_saturation_ssse3.cpp);
// templates that a path does not use need no operation it lacks.

// A cleared byte in a shuffle mask.
constexpr int kClear = -1;

template <class O>
struct HueLaneConstants {
    typename O::V step;
    typename O::V sectorIndex;  // see SectorIndex: the rotation's sector + 1
    typename O::V saturation;   // (saturation + 256) * 64, for S[k] = pmulhrsw(2k, it)
    // Fixed words, made once per row and passed through O::Kept: as plain
    // constants the compiler rebuilds each one inside the loop (on x86-64
    // a broadcast from a general register, three instructions) rather than
    // keep it in a register or read it from the stack.
    typename O::V one, v254, v255, v511, round8, highBytes;
    typename O::V sectorStep, sector2, sector4, sector5, sector6;
};

// A sector s is carried as the shuffle index of the s-th word of a table,
// s * 0x0202 + 0x0100 (bytes 2s and 2s + 1), so that it takes no work to
// look up. Sector arithmetic therefore steps by 0x0202.
constexpr short SectorIndex(int sector) { return static_cast<short>(sector * 0x0202 + 0x0100); }
constexpr short kSectorStep = 0x0202;

template <class O>
HueLaneConstants<O> MakeHueLaneConstants(const kvx::HueTransform& t) {
    return {O::Set16(static_cast<short>(t.rotation.step)),
            O::Set16(SectorIndex(t.rotation.sector + 1)),
            O::Set16(static_cast<short>((t.saturationValue + 256) * 64)),
            O::Kept(O::Set16(1)),
            O::Kept(O::Set16(254)),
            O::Kept(O::Set16(255)),
            O::Kept(O::Set16(511)),
            O::Kept(O::Set16(128)),
            O::Kept(O::Set16(static_cast<short>(0xFF00))),
            O::Kept(O::Set16(kSectorStep)),
            O::Kept(O::Set16(2 * kSectorStep)),
            O::Kept(O::Set16(4 * kSectorStep)),
            O::Kept(O::Set16(SectorIndex(5))),
            O::Kept(O::Set16(6 * kSectorStep))};
}

// R[C] = 0xFF0000 / C for 32-bit lanes of chroma 1..255: the quotient
// rounded to nearest in single precision truncates to the integer one for
// every such C. Rounded upwards it is one too large for C = 7 alone, which
// moves no position of a chroma-7 pixel (the tests try every chroma with
// every offset under every rounding mode).
template <class O>
typename O::V ReciprocalOf(typename O::V c) {
    return O::TruncateToInt(O::Divide(O::Float(16711680.0f), O::ToFloat(c)));
}

// The same results as TransformPixel on 16-bit lanes of B, G, R (0..255
// each).
template <class O>
KVX_SIMD_INLINE void TransformLanes(typename O::V B, typename O::V G, typename O::V R, const HueLaneConstants<O>& k,
                                    typename O::V* outB, typename O::V* outG, typename O::V* outR) {
    using V = typename O::V;
    const V zero = O::Zero();
    const V v254 = k.v254, v255 = k.v255;
    const V v511 = k.v511, round8 = k.round8;
    const V sectorStep = k.sectorStep;
    const V rBelowG = O::Greater(G, R);
    V mx = O::Max(R, G);
    const V candidateMin = O::Min(R, G);
    V diff = O::Select(rBelowG, O::Sub(B, R), O::Sub(G, B));
    const V bAbove = O::Greater(B, mx);
    mx = O::Max(mx, B);
    diff = O::Select(bAbove, O::Sub(R, G), diff);
    // The sector less one before the offset's sign: 0 (R largest), 2 (G)
    // or 4 (B).
    V sec = O::Max(O::And(rBelowG, k.sector2), O::And(bAbove, k.sector4));
    const V mn = O::Min(candidateMin, B);
    const V c = O::Sub(mx, mn);
    const V sum = O::Add(mx, mn);
    const V negative = O::Greater(zero, diff);
    sec = O::Sub(sec, O::And(negative, sectorStep));
    diff = O::Add(diff, O::And(negative, c));

    // S[C] = (C * scale + 0x8000) >> 16 with scale = (saturation + 256) << 8
    // is (2C * (saturation + 256) * 64 + 0x4000) >> 15, exactly.
    const V satv = O::MulHighRound(O::Add(c, c), k.saturation);

    // Gray lanes (C = 0, hence d = 0) divide by 1 instead, which gives the
    // same position 0 and raises no division by zero.
    const V divisor = O::Max(c, k.one);
    const V r03 = ReciprocalOf<O>(O::UnpackLo16(divisor, zero));
    const V r47 = ReciprocalOf<O>(O::UnpackHi16(divisor, zero));
    // (R[C] * d + 0x8000) >> 16 with R[C] = high * 65536 + low: high * d
    // + the upper half of low * d, plus the carry of adding 0x8000 to its
    // lower half.
    const V halves = O::Bytes(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
    const V s03 = O::Shuffle(r03, halves), s47 = O::Shuffle(r47, halves);
    const V low = O::UnpackLo64(s03, s47);
    const V high = O::UnpackHi64(s03, s47);
    const V base = O::Add(O::Add(O::MulLow(high, diff), O::MulHighUnsigned(low, diff)),
                          O::template ShiftRight<15>(O::MulLow(low, diff)));

    const V limit = O::Min(sum, O::Sub(v511, sum));
    const V scaled = O::Min(satv, limit);
    const V newMin = O::template ShiftRight<1>(O::Sub(sum, scaled));
    const V newChroma = O::Sub(O::template ShiftRight<1>(O::Add(scaled, sum)), newMin);

    V pos = O::Add(base, k.step);
    sec = O::Add(sec, k.sectorIndex);
    const V wrap = O::Greater(pos, v254);
    pos = O::Sub(pos, O::And(wrap, v255));
    sec = O::Add(sec, O::And(wrap, sectorStep));
    sec = O::Sub(sec, O::And(O::Greater(sec, k.sector5), k.sector6));
    // newChroma in the low byte, the ramp (newChroma * pos + 128) >> 8 in
    // the high byte: both 0..255.
    const V chromaAndRamp = O::Or(newChroma, O::And(O::Add(O::MulLow(newChroma, pos), round8), k.highBytes));

    // The sector table per channel as a pair of signed bytes for pmaddubsw:
    // whether the channel takes the full chroma (1 or 0), and the sign with
    // which the ramp goes to it (1, -1 or 0).
    //   s:      0      1      2      3      4      5
    //   full:   R,B    R      R,G    G      G,B    B
    //   ramp:  -B     +G     -R     +B     -G     +R
    constexpr short kFull = 1, kUp = 0x0100, kDown = -0x0100;
    const V tableR = O::Words(kFull, kFull, kFull + kDown, 0, 0, kUp, 0, 0);
    const V tableG = O::Words(0, kUp, kFull, kFull, kFull + kDown, 0, 0, 0);
    const V tableB = O::Words(kFull + kDown, 0, 0, kUp, kFull, kFull, 0, 0);
    *outR = O::Add(newMin, O::MultiplyAddBytes(chromaAndRamp, O::Shuffle(tableR, sec)));
    *outG = O::Add(newMin, O::MultiplyAddBytes(chromaAndRamp, O::Shuffle(tableG, sec)));
    *outB = O::Add(newMin, O::MultiplyAddBytes(chromaAndRamp, O::Shuffle(tableB, sec)));
}

template <class O>
typename O::V Shuffle2(typename O::V a, typename O::V maskA, typename O::V b, typename O::V maskB) {
    return O::Or(O::Shuffle(a, maskA), O::Shuffle(b, maskB));
}

// Eight 4-byte pixels (B, G, R, x) per half as 16-bit lanes: four from `lo`
// and four from `hi`.
template <class O>
void SplitQuads(typename O::V lo, typename O::V hi, typename O::V* b, typename O::V* g, typename O::V* r) {
    constexpr int x = kClear;
    *b = Shuffle2<O>(lo, O::Bytes(0, x, 4, x, 8, x, 12, x, x, x, x, x, x, x, x, x), hi,
                     O::Bytes(x, x, x, x, x, x, x, x, 0, x, 4, x, 8, x, 12, x));
    *g = Shuffle2<O>(lo, O::Bytes(1, x, 5, x, 9, x, 13, x, x, x, x, x, x, x, x, x), hi,
                     O::Bytes(x, x, x, x, x, x, x, x, 1, x, 5, x, 9, x, 13, x));
    *r = Shuffle2<O>(lo, O::Bytes(2, x, 6, x, 10, x, 14, x, x, x, x, x, x, x, x, x), hi,
                     O::Bytes(x, x, x, x, x, x, x, x, 2, x, 6, x, 10, x, 14, x));
}

// Eight 3-byte pixels per half as 16-bit lanes, from bytes 0-15 and 8-23 of
// the half's block.
template <class O>
void SplitTriples(typename O::V v0, typename O::V v1, typename O::V* b, typename O::V* g, typename O::V* r) {
    constexpr int x = kClear;
    *b = Shuffle2<O>(v0, O::Bytes(0, x, 3, x, 6, x, 9, x, 12, x, 15, x, x, x, x, x), v1,
                     O::Bytes(x, x, x, x, x, x, x, x, x, x, x, x, 10, x, 13, x));
    *g = Shuffle2<O>(v0, O::Bytes(1, x, 4, x, 7, x, 10, x, 13, x, x, x, x, x, x, x), v1,
                     O::Bytes(x, x, x, x, x, x, x, x, x, x, 8, x, 11, x, 14, x));
    *r = Shuffle2<O>(v0, O::Bytes(2, x, 5, x, 8, x, 11, x, 14, x, x, x, x, x, x, x), v1,
                     O::Bytes(x, x, x, x, x, x, x, x, x, x, 9, x, 12, x, 15, x));
}

// Lanes of B, G, R (0..255) back to the half's 24 bytes: the first 16 in
// *o0, the last 8 in the low 8 bytes of *o1.
template <class O>
void MergeTriples(typename O::V b, typename O::V g, typename O::V r, typename O::V* o0, typename O::V* o1) {
    constexpr int x = kClear;
    const typename O::V bg = O::PackUnsigned(b, g);  // B0..B7 G0..G7
    const typename O::V rr = O::PackUnsigned(r, r);  // R0..R7
    *o0 = Shuffle2<O>(bg, O::Bytes(0, 8, x, 1, 9, x, 2, 10, x, 3, 11, x, 4, 12, x, 5), rr,
                      O::Bytes(x, x, 0, x, x, 1, x, x, 2, x, x, 3, x, x, 4, x));
    *o1 = Shuffle2<O>(bg, O::Bytes(13, x, 6, 14, x, 7, 15, x, x, x, x, x, x, x, x, x), rr,
                      O::Bytes(x, 5, x, x, 6, x, x, 7, x, x, x, x, x, x, x, x));
}

// Eight 8-byte pixels (B, G, R, x words) per half into lanes, from four
// vectors: interleaving twice gathers each channel (B0 B1 B2 B3 | G0 ..,
// then R0 .. | x ..). Whichever pixels a half holds, ScatterWordQuads puts
// them back where they came from.
template <class O>
void GatherWordQuads(const typename O::V a[4], typename O::V* B, typename O::V* G, typename O::V* R) {
    using V = typename O::V;
    const V b0 = O::UnpackLo16(a[0], a[1]), b1 = O::UnpackHi16(a[0], a[1]);
    const V b2 = O::UnpackLo16(a[2], a[3]), b3 = O::UnpackHi16(a[2], a[3]);
    const V bg01 = O::UnpackLo16(b0, b1), ra01 = O::UnpackHi16(b0, b1);
    const V bg23 = O::UnpackLo16(b2, b3), ra23 = O::UnpackHi16(b2, b3);
    *B = O::UnpackLo64(bg01, bg23);
    *G = O::UnpackHi64(bg01, bg23);
    *R = O::UnpackLo64(ra01, ra23);
}

// The interleaving in reverse: B G R 0 per pixel.
template <class O>
void ScatterWordQuads(typename O::V B, typename O::V G, typename O::V R, typename O::V a[4]) {
    using V = typename O::V;
    const V bg0 = O::UnpackLo16(B, G), bg1 = O::UnpackHi16(B, G);
    const V r0 = O::UnpackLo16(R, O::Zero()), r1 = O::UnpackHi16(R, O::Zero());
    a[0] = O::UnpackLo32(bg0, r0);
    a[1] = O::UnpackHi32(bg0, r0);
    a[2] = O::UnpackLo32(bg1, r1);
    a[3] = O::UnpackHi32(bg1, r1);
}

// 8-bit B, G, R pixels of 3 or 4 bytes; returns how many pixels were done.
template <class O>
int HueRow8Lanes(uint8_t* d, const uint8_t* s, int width, int bpp, const kvx::HueTransform& transform) {
    using V = typename O::V;
    constexpr int kStep = 8 * O::kHalves, kVector = static_cast<int>(sizeof(V));
    if (bpp != 3 && bpp != 4) return 0;
    const HueLaneConstants<O> k = MakeHueLaneConstants<O>(transform);
    int i = 0;
    for (; i + kStep <= width; i += kStep) {
        V B, G, R;
        if (bpp == 4) {
            SplitQuads<O>(O::Load(s + 4 * i), O::Load(s + 4 * i + kVector), &B, &G, &R);
        } else {
            // Each half's 24 bytes as bytes 0-15 and 8-23, so nothing past
            // the block is read.
            const uint8_t* p = s + 3 * i;
            SplitTriples<O>(O::LoadHalves(p, 24), O::LoadHalves(p + 8, 24), &B, &G, &R);
        }
        V outB, outG, outR;
        TransformLanes<O>(B, G, R, k, &outB, &outG, &outR);
        if (bpp == 4) {
            // Every output is 0..255, so B | G << 8 beside R | 0 << 8 is B, G,
            // R and a fourth byte of 0; each half gets back its own pixels.
            const V bg = O::Or(outB, O::template ShiftLeft<8>(outG));
            O::Store(d + 4 * i, O::UnpackLo16(bg, outR));
            O::Store(d + 4 * i + kVector, O::UnpackHi16(bg, outR));
        } else {
            uint8_t* q = d + 3 * i;
            V o0, o1;
            MergeTriples<O>(outB, outG, outR, &o0, &o1);
            O::StoreHalves(q, o0, 24);
            O::StoreLowHalves(q + 16, o1, 24);
        }
    }
    return i;
}

// Words of 12 significant bits, 6 or 8 bytes a pixel: >> 4, saturated at
// 255, through the same lanes, then << 4.
template <class O>
int HueRow16Lanes(uint8_t* d, const uint8_t* s, int width, int bpp, const kvx::HueTransform& transform) {
    using V = typename O::V;
    constexpr int kStep = 8 * O::kHalves, kVector = static_cast<int>(sizeof(V));
    if ((bpp != 6 && bpp != 8) || transform.shift != 4) return 0;
    const HueLaneConstants<O> k = MakeHueLaneConstants<O>(transform);
    const V top = k.v255;
    int i = 0;
    for (; i + kStep <= width; i += kStep) {
        const uint8_t* p = s + bpp * i;
        uint8_t* q = d + bpp * i;
        V B, G, R, outB, outG, outR;
        if (bpp == 6) {
            // Through the 8-bit layout: >> 4 leaves at most 4095, which
            // packus saturates at 255, and each half's 24 bytes take the
            // shuffles of 3-byte pixels.
            const V b0 = O::PackUnsigned(O::template ShiftRight<4>(O::LoadHalves(p, 48)),
                                         O::template ShiftRight<4>(O::LoadHalves(p + 16, 48)));
            const V w2 = O::template ShiftRight<4>(O::LoadHalves(p + 32, 48));
            const V b1 = O::PackUnsigned(w2, w2);
            SplitTriples<O>(b0, O::template AlignRight<8>(b1, b0), &B, &G, &R);
            TransformLanes<O>(B, G, R, k, &outB, &outG, &outR);
            V o0, o1;
            MergeTriples<O>(outB, outG, outR, &o0, &o1);
            const V zero = O::Zero();
            O::StoreHalves(q, O::template ShiftLeft<4>(O::UnpackLo8(o0, zero)), 48);
            O::StoreHalves(q + 16, O::template ShiftLeft<4>(O::UnpackHi8(o0, zero)), 48);
            O::StoreHalves(q + 32, O::template ShiftLeft<4>(O::UnpackLo8(o1, zero)), 48);
            continue;
        }
        V a[4];
        for (int n = 0; n < 4; ++n) a[n] = O::Load(p + n * kVector);
        GatherWordQuads<O>(a, &B, &G, &R);
        // Unsigned >> 4 leaves at most 4095; min against 255 saturates.
        B = O::Min(O::template ShiftRight<4>(B), top);
        G = O::Min(O::template ShiftRight<4>(G), top);
        R = O::Min(O::template ShiftRight<4>(R), top);
        TransformLanes<O>(B, G, R, k, &outB, &outG, &outR);
        ScatterWordQuads<O>(O::template ShiftLeft<4>(outB), O::template ShiftLeft<4>(outG),
                            O::template ShiftLeft<4>(outR), a);
        for (int n = 0; n < 4; ++n) O::Store(q + n * kVector, a[n]);
    }
    return i;
}
