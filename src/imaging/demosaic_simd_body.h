// The interior row loop shared by the SIMD paths; included by each path's
// translation unit with its own vector operations (`Ops`), inside an
// anonymous namespace so nothing compiled for a newer instruction set leaks
// into code that runs before dispatch.
//
// A block of 2L output pixels at x (L = lanes of 16 bits) is split by
// column parity: "e" lanes hold columns x+2k, "o" lanes x+2k+1. Every
// even-offset column of a row has the same column state, so one of red and
// blue (called X) sits in the "e" columns and the other (Y) in the "o"
// columns. With V = 3 x near row + far row of that colour, and m and p the
// columns two to the left and right:
//
//   column   x-2  x-1  x   x+1  x+2
//            em   om   e0  o0   ep
//
//   X at even x = 3 V(e0) + V(em)     X at odd x = 3 V(e0) + V(ep)
//   Y at even x = 3 V(om) + V(o0)     Y at odd x = 3 V(o0) + V(om)
//
// Green at an even column is the Y rows' green there (nye) plus the X rows'
// green to its left, at an odd column nye plus the X rows' green to its
// right (nxo), halved, whichever of the two rows is above.
//
// A block loads each of its four rows once: the sums of its m and p columns
// are its neighbours' sums moved by one lane (ShiftIn, ShiftNext), so it
// finds the previous block's in registers and reads the next block ahead.
// All sums fit 16 bits for 12-bit samples (at most 16 x 4095); 16-bit rows
// holding larger values are left to the scalar rule. 8-bit results reach
// at most 4 x 255 through a gain of 400 %, and saturate to bytes when they
// are packed, which is the rule's clip.
template <class Ops>
struct Sums {
    typename Ops::V vx, vy, nxo, nye;
};

template <class Ops, typename Sample>
struct Rows {
    using V = typename Ops::V;
    const Sample* nearX;
    const Sample* farX;
    const Sample* nearY;
    const Sample* farY;

    // 8-bit greens at columns at..at+2L-1, each in the high byte of its
    // lane (the low byte is left over): pavgw of two samples that each sit
    // alone in a high byte keeps their sum's ninth bit, so the high byte is
    // the floor of their mean, with no widening and no shift.
    void Greens8(int at, V& even, V& odd) const {
        const V y = Ops::HighBytes(Ops::Load(nearY + at - 1));
        even = Ops::Average(y, Ops::HighBytes(Ops::Load(nearX + at - 2)));
        odd = Ops::Average(y, Ops::HighBytes(Ops::Load(nearX + at)));
    }

    // Columns at..at+2L-1; 16-bit samples also go into `seen`.
    Sums<Ops> Load(int at, V& seen) const {
        if constexpr (sizeof(Sample) == 1) {
            const V nx = Ops::Load(nearX + at), fx = Ops::Load(farX + at);
            const V ny = Ops::Load(nearY + at), fy = Ops::Load(farY + at);
            return {Ops::Add(Ops::Times3Even(nx), Ops::EvenBytes(fx)),
                    Ops::Add(Ops::Times3Odd(ny), Ops::OddBytes(fy)), Ops::OddBytes(nx), Ops::EvenBytes(ny)};
        } else {
            V nxe, nxo, fxe, fxo, nye, nyo, fye, fyo;
            Ops::Split(nearX + at, nxe, nxo);
            Ops::Split(farX + at, fxe, fxo);
            Ops::Split(nearY + at, nye, nyo);
            Ops::Split(farY + at, fye, fyo);
            seen = Ops::Or(seen, Ops::Or(Ops::Or(Ops::Or(nxe, nxo), Ops::Or(fxe, nye)), Ops::Or(nyo, fyo)));
            return {Ops::Add(Ops::Times3(nxe), fxe), Ops::Add(Ops::Times3(nyo), fyo), nxo, nye};
        }
    }
};

// One block of 2L pixels at `out` from its sums, those of its m and p
// columns and its greens (for 8-bit 4-byte pixels as Greens8 gives them).
// `Clips` (see Row) tells an 8-bit store which of blue (1) and red (2) may
// pass 255.
template <class Ops, typename Sample, int Bpp, int Clips>
void Block(uint8_t* out, const Sums<Ops>& c, typename Ops::V vxm, typename Ops::V vxp, typename Ops::V vym,
           typename Ops::V gEven, typename Ops::V gOdd, typename Ops::V gainX, typename Ops::V gainY, bool xIsRed) {
    using V = typename Ops::V;
    const V vx3 = Ops::Times3(c.vx);
    V xEven = Ops::MulHi(Ops::Add(vx3, vxm), gainX);
    V xOdd = Ops::MulHi(Ops::Add(vx3, vxp), gainX);
    // 3 vym + vy and 3 vy + vym, from their sum.
    const V both = Ops::Add(vym, c.vy);
    V yEven = Ops::MulHi(Ops::Add(Ops::Add(both, vym), vym), gainY);
    V yOdd = Ops::MulHi(Ops::Add(Ops::Add(both, c.vy), c.vy), gainY);
    if constexpr (sizeof(Sample) == 1) {
        if (xIsRed) {
            Ops::template StoreBytes<Bpp, Clips>(out, yEven, yOdd, gEven, gOdd, xEven, xOdd);
        } else {
            Ops::template StoreBytes<Bpp, Clips>(out, xEven, xOdd, gEven, gOdd, yEven, yOdd);
        }
    } else {
        const V clip = Ops::Set1(4095);
        xEven = Ops::Min(xEven, clip), xOdd = Ops::Min(xOdd, clip);
        yEven = Ops::Min(yEven, clip), yOdd = Ops::Min(yOdd, clip);
        if (xIsRed) {
            Ops::template Store<Sample, Bpp>(out, yEven, yOdd, gEven, gOdd, xEven, xOdd);
        } else {
            Ops::template Store<Sample, Bpp>(out, xEven, xOdd, gEven, gOdd, yEven, yOdd);
        }
    }
}

template <class Ops, typename Sample, int Bpp, int Clips>
int RowBody(const kvx::demosaic_detail::RowJob& job) {
    using V = typename Ops::V;
    constexpr int kBlock = 2 * Ops::kLanes;
    const Sample* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = static_cast<const Sample*>(job.rows[k]);
    // X's rows are y and y-2 when red lies on row y and X is red, or
    // neither; otherwise y-1 and y+1.
    const bool xIsRed = job.columnState0 == 0;
    const bool xOnRowY = xIsRed == (job.rowState == 1);
    const Rows<Ops, Sample> r{xOnRowY ? rows[2] : rows[1], xOnRowY ? rows[0] : rows[3],
                              xOnRowY ? rows[1] : rows[2], xOnRowY ? rows[3] : rows[0]};
    const V gainX = Ops::Set1(static_cast<int>((xIsRed ? job.gainRed : job.gainBlue) << 5));
    const V gainY = Ops::Set1(static_cast<int>((xIsRed ? job.gainBlue : job.gainRed) << 5));
    // A block reads the two columns before it, and the block after it or,
    // for the last one, the block two columns on; the row runs two columns
    // past x1.
    const int x0 = job.x0, x1 = job.x1;
    if (x0 < 2 || x0 + kBlock > x1) return 0;
    V seen = Ops::Zero();
    // A local copy: stores through `out` could otherwise be taken to change
    // the job, and the pointer reloaded every block.
    uint8_t* const out = job.out;
    auto at = [out](int x) { return out + static_cast<intptr_t>(x) * Bpp; };
    // The greens of the block at x with sums `c`; `nxmo` is the X rows'
    // green one pair of columns back. 8-bit 4-byte pixels load theirs
    // again, as their loop needs every register it has.
    auto greens = [&](int x, const Sums<Ops>& c, V nxmo, V& even, V& odd) {
        if constexpr (sizeof(Sample) == 1 && Bpp == 4) {
            r.Greens8(x, even, odd);
        } else {
            even = Ops::Half(Ops::Add(c.nye, nxmo));
            odd = Ops::Half(Ops::Add(c.nye, c.nxo));
        }
    };
    // A block on loads of its own: those two columns before and after it
    // hold the neighbours' sums in the block's own lanes.
    auto standalone = [&](int x) {
        const Sums<Ops> before = r.Load(x - 2, seen), here = r.Load(x, seen), after = r.Load(x + 2, seen);
        V gEven, gOdd;
        greens(x, here, before.nxo, gEven, gOdd);
        Block<Ops, Sample, Bpp, Clips>(at(x), here, before.vx, after.vx, before.vy, gEven, gOdd, gainX, gainY, xIsRed);
    };
    int x = x0;
    // 4-byte pixels 8 bytes off a 16-byte boundary (x0 = 2 on aligned
    // rows) would split one load and one store in four across cache
    // lines: the first block goes on its own loads and the loop starts two
    // columns on, which keeps the column parity.
    if (Bpp == 4 && (reinterpret_cast<uintptr_t>(at(x)) & 15) == 8 && x + 2 + kBlock <= x1) {
        standalone(x);
        x += 2;
    }
    // The previous block's last lane: columns x0-2 and x0-1.
    Sums<Ops> previous = r.Load(x - 2, seen), current = r.Load(x, seen);
    previous.vx = Ops::FirstLaneToLast(previous.vx);
    previous.vy = Ops::FirstLaneToLast(previous.vy);
    previous.nxo = Ops::FirstLaneToLast(previous.nxo);
    for (; x + 2 * kBlock <= x1 + 2; x += kBlock) {
        const Sums<Ops> next = r.Load(x + kBlock, seen);
        // 8-bit greens to the left cost less loaded again one pair of
        // columns back than moved across blocks.
        V nxmo, gEven, gOdd;
        if constexpr (sizeof(Sample) == 1) {
            nxmo = Ops::OddBytes(Ops::Load(r.nearX + x - 2));
        } else {
            nxmo = Ops::ShiftIn(current.nxo, previous.nxo);
        }
        greens(x, current, nxmo, gEven, gOdd);
        Block<Ops, Sample, Bpp, Clips>(at(x), current, Ops::ShiftIn(current.vx, previous.vx),
                                       Ops::ShiftNext(current.vx, next.vx), Ops::ShiftIn(current.vy, previous.vy),
                                       gEven, gOdd, gainX, gainY, xIsRed);
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
    if (sizeof(Sample) == 2 && Ops::AnyAbove12Bits(seen)) return 0;
    return x - x0;
}

template <class Ops, typename Sample>
int Row(const kvx::demosaic_detail::RowJob& job) {
    constexpr int kWords = static_cast<int>(sizeof(Sample));
    switch (job.dstBytesPerPixel) {
        case 3 * kWords: return RowBody<Ops, Sample, 3 * kWords, 3>(job);
        case 4 * kWords:
            if constexpr (sizeof(Sample) == 1 && Ops::kClipsByGain) {
                // The weights of 8-bit samples sum to at most 16 x 255, which
                // a gain of at most 100 % (128 steps) takes to at most 255:
                // that channel's clip is left out.
                switch ((job.gainBlue > 128 ? 1 : 0) | (job.gainRed > 128 ? 2 : 0)) {
                    case 0: return RowBody<Ops, Sample, 4, 0>(job);
                    case 1: return RowBody<Ops, Sample, 4, 1>(job);
                    case 2: return RowBody<Ops, Sample, 4, 2>(job);
                    default: return RowBody<Ops, Sample, 4, 3>(job);
                }
            }
            return RowBody<Ops, Sample, 4 * kWords, 3>(job);
        default: return 0;
    }
}
