// The 2x2 Bayer mosaic in memory order. The phase fixes the colour at row 0,
// column 0; every site has a column state and a row state that flip from
// column to column and from row to row:
//
//   phase  start col  start row   rows 0-1, columns 0-1
//     0        0          0        G B / R G
//     1        0          1        R G / G B
//     2        1          0        B G / G R
//     3        1          1        G R / B G
//
// Equal states are green, row 0 / column 1 is blue, row 1 / column 0 red.
#pragma once

namespace kvx {

inline int StartColumnState(int phase) { return (phase >> 1) & 1; }
inline int StartRowState(int phase) { return phase & 1; }

inline int ColumnState(int phase, int x) { return StartColumnState(phase) ^ (x & 1); }
inline int RowState(int phase, int y) { return StartRowState(phase) ^ (y & 1); }

enum class SiteColor { Green, Blue, Red };

inline SiteColor SiteColorAt(int phase, int x, int y) {
    const int column = ColumnState(phase, x), row = RowState(phase, y);
    if (column == row) return SiteColor::Green;
    return row == 0 ? SiteColor::Blue : SiteColor::Red;
}

// The sensor reads out mirrored rows or columns, which moves the pattern by
// one row or one column: vertical mirroring swaps 0/1 and 2/3, horizontal
// mirroring swaps 0/2 and 1/3.
inline int EffectivePhase(int storedPhase, bool mirrorVertical, bool mirrorHorizontal) {
    int phase = storedPhase & 3;
    if (mirrorVertical) phase ^= 1;
    if (mirrorHorizontal) phase ^= 2;
    return phase;
}

}  // namespace kvx
