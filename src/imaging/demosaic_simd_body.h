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

template <class Ops, typename Sample, int Bpp>
int RowBody(const kvx::demosaic_detail::RowJob& job) {
    using V = typename Ops::V;
    constexpr int kBlock = 2 * Ops::kLanes;
    const Sample* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = static_cast<const Sample*>(job.rows[k]);
    // Pair A = 3 x row y + row y-2, pair B = 3 x row y-1 + row y+1. Red
    // lies on row y when the row state is 1.
    const bool xIsRed = job.columnState0 == 0;
    const bool redOnA = job.rowState == 1;
    const bool xOnA = xIsRed == redOnA;
    const Sample* nearX = xOnA ? rows[2] : rows[1];
    const Sample* farX = xOnA ? rows[0] : rows[3];
    const Sample* nearY = xOnA ? rows[1] : rows[2];
    const Sample* farY = xOnA ? rows[3] : rows[0];
    const Sample* above = rows[1];
    const Sample* here = rows[2];
    const bool greenOnDiagonal = job.columnState0 == job.rowState;
    const V gainX = Ops::Set1(static_cast<int>((xIsRed ? job.gainRed : job.gainBlue) << 5));
    const V gainY = Ops::Set1(static_cast<int>((xIsRed ? job.gainBlue : job.gainRed) << 5));
    const V clip = Ops::Set1(sizeof(Sample) == 1 ? 255 : 4095);
    V seen = Ops::Zero();

    int x = job.x0;
    for (; x + kBlock <= job.x1; x += kBlock) {
        V nxm, nxmo, nx0, nx0o, nxp, nxpo, fxm, fxmo, fx0, fx0o, fxp, fxpo;
        V nyme, nym, ny0e, ny0, fyme, fym, fy0e, fy0;
        V ame, am, a0, a0o, hme, hm, h0, h0o;
        Ops::Split(nearX + x - 2, nxm, nxmo);
        Ops::Split(nearX + x, nx0, nx0o);
        Ops::Split(nearX + x + 2, nxp, nxpo);
        Ops::Split(farX + x - 2, fxm, fxmo);
        Ops::Split(farX + x, fx0, fx0o);
        Ops::Split(farX + x + 2, fxp, fxpo);
        Ops::Split(nearY + x - 2, nyme, nym);
        Ops::Split(nearY + x, ny0e, ny0);
        Ops::Split(farY + x - 2, fyme, fym);
        Ops::Split(farY + x, fy0e, fy0);
        Ops::Split(above + x - 2, ame, am);
        Ops::Split(above + x, a0, a0o);
        Ops::Split(here + x - 2, hme, hm);
        Ops::Split(here + x, h0, h0o);
        if (sizeof(Sample) == 2) {
            seen = Ops::Or(seen, Ops::Or(Ops::Or(Ops::Or(nxm, nx0), Ops::Or(nxp, fxm)), Ops::Or(fx0, fxp)));
            seen = Ops::Or(seen, Ops::Or(Ops::Or(nym, ny0), Ops::Or(fym, fy0)));
            seen = Ops::Or(seen, Ops::Or(Ops::Or(am, a0), Ops::Or(a0o, Ops::Or(hm, Ops::Or(h0, h0o)))));
        }
        const V vxm = Ops::Add(Ops::Times3(nxm), fxm);
        const V vx0 = Ops::Times3(Ops::Add(Ops::Times3(nx0), fx0));
        const V vxp = Ops::Add(Ops::Times3(nxp), fxp);
        const V vym = Ops::Add(Ops::Times3(nym), fym);
        const V vy0 = Ops::Add(Ops::Times3(ny0), fy0);
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

template <class Ops, typename Sample>
int Row(const kvx::demosaic_detail::RowJob& job) {
    constexpr int kWords = static_cast<int>(sizeof(Sample));
    switch (job.dstBytesPerPixel) {
        case 3 * kWords: return RowBody<Ops, Sample, 3 * kWords>(job);
        case 4 * kWords: return RowBody<Ops, Sample, 4 * kWords>(job);
        default: return 0;
    }
}
