// Splitting a frame's rows into bands that run on several threads. Every
// band covers consecutive rows, the bands cover every row once, and the
// split depends only on the row count and the band count, so the results of
// a banded step never depend on which thread ran which band.
#pragma once

namespace kvx {

// Bands a conversion step is cut into. Rows per band stay small enough that
// a band's rows pass through several steps while they are in the cache.
constexpr int kMaxRowBands = 128;
constexpr int kRowsPerBand = 32;

inline int RowBandCount(int rows, int threads) {
    if (rows <= 0) return 0;
    int bands = (rows + kRowsPerBand - 1) / kRowsPerBand;
    if (threads > 1 && bands < 4 * threads) bands = 4 * threads;
    if (bands > rows) bands = rows;
    return bands > kMaxRowBands ? kMaxRowBands : bands;
}

struct RowBand {
    int first;  // first row
    int end;    // one past the last row
};

// Band `index` of `count` over rows [0, rows).
inline RowBand RowBandOf(int rows, int count, int index) {
    const long long r = rows;
    return RowBand{static_cast<int>(r * index / count), static_cast<int>(r * (index + 1) / count)};
}

}  // namespace kvx
