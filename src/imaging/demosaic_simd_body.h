// The interior row loop shared by the SIMD paths; included by each path's
// translation unit with its own vector operations (`Ops`), inside an
// anonymous namespace so nothing compiled for a newer instruction set leaks
// into code that runs before dispatch.
//
// A block of 2L output pixels at x0 (L = lanes of 16 bits) is split by
// column parity: "e" lanes hold columns x0+2k, "o" lanes x0+2k+1, loaded
// from three places so each lane sees its neighbours:
//
//   column   x0-2  x0-1  x0  x0+1  x0+2  x0+3 ...
//   load@-2  em    om    .   .     .
//   load@0               e0  o0
//   load@+2                        ep
//
// Every even-offset column of the block has the same column state, so one
// of red and blue (called X) sits in the "e" columns and the other (Y) in
// the "o" columns. With V = 3 x near row + far row of that colour:
//
//   X at even x = 3 V(e0) + V(em)     X at odd x = 3 V(e0) + V(ep)
//   Y at even x = 3 V(om) + V(o0)     Y at odd x = 3 V(o0) + V(om)
//
// All sums fit 16 bits for 12-bit samples (at most 16 x 4095); 16-bit rows
// holding larger values are left to the scalar rule.

// XOnA: whether X's rows are pair A (3 x row y + row y-2) rather than pair
// B (3 x row y-1 + row y+1). Fixed per row, so the rows that green reads
// (y-1 and y, the two near rows) are known at compile time and loaded once.
template <class Ops, typename Sample, int Bpp, bool XOnA>
int RowBody(const kvx::demosaic_detail::RowJob& job) {
    using V = typename Ops::V;
    constexpr int kBlock = 2 * Ops::kLanes;
    const Sample* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = static_cast<const Sample*>(job.rows[k]);
    const bool xIsRed = job.columnState0 == 0;
    const Sample* nearX = XOnA ? rows[2] : rows[1];
    const Sample* farX = XOnA ? rows[0] : rows[3];
    const Sample* nearY = XOnA ? rows[1] : rows[2];
    const Sample* farY = XOnA ? rows[3] : rows[0];
    const bool greenOnDiagonal = job.columnState0 == job.rowState;
    const V gainX = Ops::Set1(static_cast<int>((xIsRed ? job.gainRed : job.gainBlue) << 5));
    const V gainY = Ops::Set1(static_cast<int>((xIsRed ? job.gainBlue : job.gainRed) << 5));
    const V clip = Ops::Set1(sizeof(Sample) == 1 ? 255 : 4095);
    V seen = Ops::Zero();

    int x = job.x0;
    for (; x + kBlock <= job.x1; x += kBlock) {
        V nxme, nxmo, nx0e, nx0o, nxpe, nxpo, fxme, fxmo, fx0e, fx0o, fxpe, fxpo;
        V nyme, nymo, ny0e, ny0o, fyme, fymo, fy0e, fy0o;
        Ops::Split(nearX + x - 2, nxme, nxmo);
        Ops::Split(nearX + x, nx0e, nx0o);
        Ops::Split(nearX + x + 2, nxpe, nxpo);
        Ops::Split(farX + x - 2, fxme, fxmo);
        Ops::Split(farX + x, fx0e, fx0o);
        Ops::Split(farX + x + 2, fxpe, fxpo);
        Ops::Split(nearY + x - 2, nyme, nymo);
        Ops::Split(nearY + x, ny0e, ny0o);
        Ops::Split(farY + x - 2, fyme, fymo);
        Ops::Split(farY + x, fy0e, fy0o);
        // Row y-1 ("above") and row y ("here") are the two near rows.
        const V am = XOnA ? nymo : nxmo, a0 = XOnA ? ny0e : nx0e, a0o = XOnA ? ny0o : nx0o;
        const V hm = XOnA ? nxmo : nymo, h0 = XOnA ? nx0e : ny0e, h0o = XOnA ? nx0o : ny0o;
        if (sizeof(Sample) == 2) {
            seen = Ops::Or(seen, Ops::Or(Ops::Or(Ops::Or(nxme, nx0e), Ops::Or(nxpe, fxme)), Ops::Or(fx0e, fxpe)));
            seen = Ops::Or(seen, Ops::Or(Ops::Or(nymo, ny0o), Ops::Or(fymo, fy0o)));
            seen = Ops::Or(seen, Ops::Or(Ops::Or(nxmo, nx0o), Ops::Or(nyme, ny0e)));
        }
        const V vxm = Ops::Add(Ops::Times3(nxme), fxme);
        const V vx0 = Ops::Times3(Ops::Add(Ops::Times3(nx0e), fx0e));
        const V vxp = Ops::Add(Ops::Times3(nxpe), fxpe);
        const V vym = Ops::Add(Ops::Times3(nymo), fymo);
        const V vy0 = Ops::Add(Ops::Times3(ny0o), fy0o);
        const V xEven = Ops::Min(Ops::MulHi(Ops::Add(vx0, vxm), gainX), clip);
        const V xOdd = Ops::Min(Ops::MulHi(Ops::Add(vx0, vxp), gainX), clip);
        const V yEven = Ops::Min(Ops::MulHi(Ops::Add(Ops::Times3(vym), vy0), gainY), clip);
        const V yOdd = Ops::Min(Ops::MulHi(Ops::Add(Ops::Times3(vy0), vym), gainY), clip);
        V gEven, gOdd;
        if (greenOnDiagonal) {
            gEven = Ops::Add(am, h0);
            gOdd = Ops::Add(a0o, h0);
        } else {
            gEven = Ops::Add(a0, hm);
            gOdd = Ops::Add(a0, h0o);
        }
        gEven = Ops::Min(Ops::Half(gEven), clip);
        gOdd = Ops::Min(Ops::Half(gOdd), clip);
        uint8_t* out = job.out + static_cast<intptr_t>(x) * Bpp;
        if (xIsRed) {
            Ops::template Store<Sample, Bpp>(out, yEven, yOdd, gEven, gOdd, xEven, xOdd);
        } else {
            Ops::template Store<Sample, Bpp>(out, xEven, xOdd, gEven, gOdd, yEven, yOdd);
        }
    }
    if (sizeof(Sample) == 2 && Ops::AnyAbove12Bits(seen)) return 0;
    return x - job.x0;
}

// 8-bit rows, each block's loads shared with its neighbours: the sums of
// the columns two to the left or right of a block are its neighbours' sums
// moved by one lane (ShiftIn, ShiftNext), so a block loads each of its four
// rows once instead of ten times, and finds the previous block's sums in
// registers. For a row of X's near row n and far row f, in 16-bit lanes of
// column pairs (even column in the low byte):
//
//   vx  = 3 n + f at the X columns "e"      vy  = 3 n + f at the Y columns "o"
//   nxo = the X rows' greens ("o")          nye = the Y rows' greens ("e")
//
// Green at an even column is nye + the nxo to its left, at an odd column
// nye + the nxo to its right (halved), for either order of the two rows.
// Sums of 8-bit samples stay far below 16 bits; the results reach at most
// 4 x 255 through a gain of 400 %, and the stores saturate them at 255,
// which is the rule's clip.
template <class Ops>
struct Sums8 {
    typename Ops::V vx, vy, nxo, nye;
};

template <class Ops>
struct Rows8 {
    const uint8_t* nearX;
    const uint8_t* farX;
    const uint8_t* nearY;
    const uint8_t* farY;

    // The X rows' greens two columns to the left: a load one pair of
    // columns back costs less than moving lanes across blocks.
    typename Ops::V GreensBefore(int at) const { return Ops::OddBytes(Ops::Load(nearX + at - 2)); }

    Sums8<Ops> Load(int at) const {
        using V = typename Ops::V;
        const V nx = Ops::Load(nearX + at), fx = Ops::Load(farX + at);
        const V ny = Ops::Load(nearY + at), fy = Ops::Load(farY + at);
        return {Ops::Add(Ops::Times3Even(nx), Ops::EvenBytes(fx)), Ops::Add(Ops::Times3Odd(ny), Ops::OddBytes(fy)),
                Ops::OddBytes(nx), Ops::EvenBytes(ny)};
    }
};

// One block of 2L pixels at `out` from its sums and those of the columns
// two to the left (m) and two to the right (p).
template <class Ops, int Bpp>
void Block8(uint8_t* out, const Sums8<Ops>& c, typename Ops::V vxm, typename Ops::V vxp, typename Ops::V vym,
            typename Ops::V nxmo, typename Ops::V gainX, typename Ops::V gainY, bool xIsRed) {
    using V = typename Ops::V;
    const V vx3 = Ops::Times3(c.vx);
    const V xEven = Ops::MulHi(Ops::Add(vx3, vxm), gainX);
    const V xOdd = Ops::MulHi(Ops::Add(vx3, vxp), gainX);
    // 3 vym + vy and 3 vy + vym, from their sum.
    const V both = Ops::Add(vym, c.vy);
    const V yEven = Ops::MulHi(Ops::Add(Ops::Add(both, vym), vym), gainY);
    const V yOdd = Ops::MulHi(Ops::Add(Ops::Add(both, c.vy), c.vy), gainY);
    const V gEven = Ops::Half(Ops::Add(c.nye, nxmo));
    const V gOdd = Ops::Half(Ops::Add(c.nye, c.nxo));
    if (xIsRed) {
        Ops::template StoreBytes<Bpp>(out, yEven, yOdd, gEven, gOdd, xEven, xOdd);
    } else {
        Ops::template StoreBytes<Bpp>(out, xEven, xOdd, gEven, gOdd, yEven, yOdd);
    }
}

template <class Ops, int Bpp>
int RowBody8(const kvx::demosaic_detail::RowJob& job) {
    constexpr int kBlock = 2 * Ops::kLanes;
    const uint8_t* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = static_cast<const uint8_t*>(job.rows[k]);
    // X's rows are y and y-2 when red lies on row y and X is red, or
    // neither; otherwise y-1 and y+1.
    const bool xIsRed = job.columnState0 == 0;
    const bool xOnRowY = xIsRed == (job.rowState == 1);
    const Rows8<Ops> r{xOnRowY ? rows[2] : rows[1], xOnRowY ? rows[0] : rows[3], xOnRowY ? rows[1] : rows[2],
                       xOnRowY ? rows[3] : rows[0]};
    const typename Ops::V gainX = Ops::Set1(static_cast<int>((xIsRed ? job.gainRed : job.gainBlue) << 5));
    const typename Ops::V gainY = Ops::Set1(static_cast<int>((xIsRed ? job.gainBlue : job.gainRed) << 5));
    // A block reads the two columns before it, and the block after it or,
    // for the last one, the block two columns on; the row runs two columns
    // past x1.
    const int x0 = job.x0, x1 = job.x1;
    if (x0 < 2 || x0 + kBlock > x1) return 0;
    uint8_t* const out = job.out;
    // A block on loads of its own: those two columns before and after it
    // hold the neighbours' sums in the block's own lanes.
    auto standalone = [&](int x) {
        const Sums8<Ops> before = r.Load(x - 2), after = r.Load(x + 2);
        Block8<Ops, Bpp>(out + static_cast<intptr_t>(x) * Bpp, r.Load(x), before.vx, after.vx, before.vy,
                         before.nxo, gainX, gainY, xIsRed);
    };
    int x = x0;
    // The previous block's last lane: columns x0-2 and x0-1.
    Sums8<Ops> previous = r.Load(x - 2), current = r.Load(x);
    previous.vx = Ops::FirstLaneToLast(previous.vx);
    previous.vy = Ops::FirstLaneToLast(previous.vy);
    for (; x + 2 * kBlock <= x1 + 2; x += kBlock) {
        const Sums8<Ops> next = r.Load(x + kBlock);
        Block8<Ops, Bpp>(out + static_cast<intptr_t>(x) * Bpp, current, Ops::ShiftIn(current.vx, previous.vx),
                         Ops::ShiftNext(current.vx, next.vx), Ops::ShiftIn(current.vy, previous.vy),
                         r.GreensBefore(x), gainX, gainY, xIsRed);
        previous = current;
        current = next;
    }
    // The rest as whole blocks on their own loads, the last one moved back
    // to end at x1 or just before it (it must start on a column of x0's
    // parity): it writes some pixels a second time, with the same values.
    for (; x + kBlock <= x1; x += kBlock) standalone(x);
    const int last = x1 - kBlock - ((x1 - kBlock - x0) & 1);
    if (x < x1 && last >= x0) {
        standalone(last);
        x = last + kBlock;
    }
    return x - x0;
}

template <class Ops>
int Row8(const kvx::demosaic_detail::RowJob& job) {
    switch (job.dstBytesPerPixel) {
        case 3: return RowBody8<Ops, 3>(job);
        case 4: return RowBody8<Ops, 4>(job);
        default: return 0;
    }
}

template <class Ops, typename Sample>
int Row(const kvx::demosaic_detail::RowJob& job) {
    constexpr int kWords = static_cast<int>(sizeof(Sample));
    // Red lies on row y when the row state is 1; X is red when the block's
    // even columns have column state 0.
    const bool xOnA = (job.columnState0 == 0) == (job.rowState == 1);
    switch (job.dstBytesPerPixel) {
        case 3 * kWords:
            return xOnA ? RowBody<Ops, Sample, 3 * kWords, true>(job) : RowBody<Ops, Sample, 3 * kWords, false>(job);
        case 4 * kWords:
            return xOnA ? RowBody<Ops, Sample, 4 * kWords, true>(job) : RowBody<Ops, Sample, 4 * kWords, false>(job);
        default: return 0;
    }
}
