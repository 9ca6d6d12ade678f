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

#include "imaging/demosaic_sse2_lanes.h"

struct Ssse3 : Sse2Lanes<Ssse3> {
    using Sse2Lanes::Split;

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

    static void StoreBytes3(uint8_t* out, V b, V g, V r) {
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

// 8-bit rows, each block's loads shared with its neighbours: the sums of
// the columns two to the left or right of a block are its neighbours'
// sums moved by one lane (palignr), so a block loads each of its four rows
// once instead of ten times, and finds the previous block's values in
// registers. The loop reads one block ahead, so it stops a block before
// the row's end and leaves the rest to the scalar rule.
//
//   lanes of "e" (even columns) for the block at x:   x   x+2 ... x+14
//   at -2:  alignr(e, previous e) = x-2  x ... x+12
//   at +2:  alignr(next e, e)     = x+2  x+4 ... x+16
struct Columns {
    __m128i nxe, nxo, nye, nyo;  // near rows of X and Y, even and odd columns
    __m128i vx, vy;              // 3 near + far: X in even columns, Y in odd ones
};

inline Columns LoadColumns(const uint8_t* nearX, const uint8_t* farX, const uint8_t* nearY, const uint8_t* farY,
                           int at) {
    const __m128i byte = _mm_set1_epi16(0xFF);
    const __m128i nx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nearX + at));
    const __m128i fx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(farX + at));
    const __m128i ny = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nearY + at));
    const __m128i fy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(farY + at));
    Columns c;
    c.nxe = _mm_and_si128(nx, byte);
    c.nxo = _mm_srli_epi16(nx, 8);
    c.nye = _mm_and_si128(ny, byte);
    c.nyo = _mm_srli_epi16(ny, 8);
    c.vx = _mm_add_epi16(Ssse3::Times3(c.nxe), _mm_and_si128(fx, byte));
    c.vy = _mm_add_epi16(Ssse3::Times3(c.nyo), _mm_srli_epi16(fy, 8));
    return c;
}

// The columns just left of the block at `at`, as a previous block's lane 7.
inline Columns ColumnsBefore(const uint8_t* nearX, const uint8_t* farX, const uint8_t* nearY, const uint8_t* farY,
                             int at) {
    Columns c = LoadColumns(nearX, farX, nearY, farY, at - 2);
    c.nxo = _mm_slli_si128(c.nxo, 14);
    c.nyo = _mm_slli_si128(c.nyo, 14);
    c.vx = _mm_slli_si128(c.vx, 14);
    c.vy = _mm_slli_si128(c.vy, 14);
    return c;
}

template <int Bpp, bool XOnA>
int RowBody8Shared(const kvx::demosaic_detail::RowJob& job) {
    using V = __m128i;
    constexpr int kBlock = 16;
    const uint8_t* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = static_cast<const uint8_t*>(job.rows[k]);
    const bool xIsRed = job.columnState0 == 0;
    const uint8_t* nearX = XOnA ? rows[2] : rows[1];
    const uint8_t* farX = XOnA ? rows[0] : rows[3];
    const uint8_t* nearY = XOnA ? rows[1] : rows[2];
    const uint8_t* farY = XOnA ? rows[3] : rows[0];
    const bool greenOnDiagonal = job.columnState0 == job.rowState;
    const V gainX = Ssse3::Set1(static_cast<int>((xIsRed ? job.gainRed : job.gainBlue) << 5));
    const V gainY = Ssse3::Set1(static_cast<int>((xIsRed ? job.gainBlue : job.gainRed) << 5));
    const V clip = Ssse3::Set1(255);

    int x = job.x0;
    // The block ahead is read whole: it must end inside the row, which
    // runs two columns past x1.
    if (x < 2 || x + 2 * kBlock > job.x1 + 2) return 0;
    Columns previous = ColumnsBefore(nearX, farX, nearY, farY, x);
    Columns current = LoadColumns(nearX, farX, nearY, farY, x);
    for (; x + 2 * kBlock <= job.x1 + 2; x += kBlock) {
        const Columns next = LoadColumns(nearX, farX, nearY, farY, x + kBlock);
        const V vxm = _mm_alignr_epi8(current.vx, previous.vx, 14);
        const V vxp = _mm_alignr_epi8(next.vx, current.vx, 2);
        const V vx0 = Ssse3::Times3(current.vx);
        const V vym = _mm_alignr_epi8(current.vy, previous.vy, 14);
        const V vy0 = current.vy;
        const V nxmo = _mm_alignr_epi8(current.nxo, previous.nxo, 14);
        const V nymo = _mm_alignr_epi8(current.nyo, previous.nyo, 14);
        // Row y-1 ("above") and row y ("here") are the two near rows.
        const V am = XOnA ? nymo : nxmo, a0 = XOnA ? current.nye : current.nxe, a0o = XOnA ? current.nyo : current.nxo;
        const V hm = XOnA ? nxmo : nymo, h0 = XOnA ? current.nxe : current.nye, h0o = XOnA ? current.nxo : current.nyo;
        const V xEven = Ssse3::Min(Ssse3::MulHi(Ssse3::Add(vx0, vxm), gainX), clip);
        const V xOdd = Ssse3::Min(Ssse3::MulHi(Ssse3::Add(vx0, vxp), gainX), clip);
        const V yEven = Ssse3::Min(Ssse3::MulHi(Ssse3::Add(Ssse3::Times3(vym), vy0), gainY), clip);
        const V yOdd = Ssse3::Min(Ssse3::MulHi(Ssse3::Add(Ssse3::Times3(vy0), vym), gainY), clip);
        V gEven, gOdd;
        if (greenOnDiagonal) {
            gEven = Ssse3::Add(am, h0);
            gOdd = Ssse3::Add(a0o, h0);
        } else {
            gEven = Ssse3::Add(a0, hm);
            gOdd = Ssse3::Add(a0, h0o);
        }
        gEven = Ssse3::Min(Ssse3::Half(gEven), clip);
        gOdd = Ssse3::Min(Ssse3::Half(gOdd), clip);
        uint8_t* out = job.out + static_cast<intptr_t>(x) * Bpp;
        if (xIsRed) {
            Ssse3::Store<uint8_t, Bpp>(out, yEven, yOdd, gEven, gOdd, xEven, xOdd);
        } else {
            Ssse3::Store<uint8_t, Bpp>(out, xEven, xOdd, gEven, gOdd, yEven, yOdd);
        }
        previous = current;
        current = next;
    }
    return x - job.x0;
}

int Row8Shared(const kvx::demosaic_detail::RowJob& job) {
    const bool xOnA = (job.columnState0 == 0) == (job.rowState == 1);
    switch (job.dstBytesPerPixel) {
        case 3: return xOnA ? RowBody8Shared<3, true>(job) : RowBody8Shared<3, false>(job);
        case 4: return xOnA ? RowBody8Shared<4, true>(job) : RowBody8Shared<4, false>(job);
        default: return 0;
    }
}

}  // namespace

namespace kvx::demosaic_detail {

int RowSsse3_8(const RowJob& job) { return Row8Shared(job); }
int RowSsse3_16(const RowJob& job) { return Row<Ssse3, uint16_t>(job); }

}  // namespace kvx::demosaic_detail
#endif
