// Shared by the demosaic kernels: the per-pixel rule that every path must
// match, and the row jobs handed to the SIMD paths.
#pragma once

#include <cstdint>

namespace kvx::demosaic_detail {

// One output pixel from the 4x4 neighbourhood rows[0..3] = rows y-2..y+1,
// cols[0..3] = columns x-2..x+1 (already moved inward at the borders).
// `multiplierRed/Blue` are the fixed-point gains (1/128 steps).
template <typename Sample>
inline void Pixel(const Sample* const rows[4], const int cols[4], int columnState, int rowState, uint32_t gainRed,
                  uint32_t gainBlue, uint32_t clip, uint32_t out[3]) {
    // Red sits where the row state is 1 and the column state 0, blue where
    // the row state is 0 and the column state 1; the partner of a cell
    // sample lies two rows or columns further out.
    const int redRow = rowState ? 2 : 1, redRowPartner = rowState ? 0 : 3;
    const int redCol = columnState ? 1 : 2, redColPartner = columnState ? 3 : 0;
    const int blueRow = rowState ? 1 : 2, blueRowPartner = rowState ? 3 : 0;
    const int blueCol = columnState ? 2 : 1, blueColPartner = columnState ? 0 : 3;

    auto weighted = [&](int row, int rowPartner, int col, int colPartner) {
        return 9u * rows[row][cols[col]] + 3u * rows[row][cols[colPartner]] + 3u * rows[rowPartner][cols[col]] +
               rows[rowPartner][cols[colPartner]];
    };
    auto scaled = [clip](uint32_t sum, uint32_t gain) {
        const uint32_t v = (sum * gain) >> 11;
        return v < clip ? v : clip;
    };
    uint32_t green;
    if (columnState == rowState) {
        green = (static_cast<uint32_t>(rows[2][cols[2]]) + rows[1][cols[1]]) >> 1;
    } else {
        green = (static_cast<uint32_t>(rows[2][cols[1]]) + rows[1][cols[2]]) >> 1;
    }
    out[0] = scaled(weighted(blueRow, blueRowPartner, blueCol, blueColPartner), gainBlue);
    out[1] = green < clip ? green : clip;
    out[2] = scaled(weighted(redRow, redRowPartner, redCol, redColPartner), gainRed);
}

// A neighbour index outside 0..size-1 moves four places inward, which keeps
// its colour. Frames under four samples have no such place: the index then
// stays inside with its parity where it can.
inline int FoldIndex(int index, int size) {
    if (index < 0) index += 4;
    else if (index >= size) index -= 4;
    if (index >= 0 && index < size) return index;
    const int wanted = index & 1;
    index = index < 0 ? 0 : size - 1;
    if ((index & 1) != wanted && size > 1) index += index == 0 ? 1 : -1;
    return index;
}

// One interior row for a SIMD path: output columns [x0, x1) of one row.
// rows[k] point at frame column 0 of rows y-2..y+1; out at frame column 0 of
// the destination row. The path returns how many columns from x0 it did
// (whole blocks only); the scalar rule finishes the rest.
struct RowJob {
    const void* rows[4];
    uint8_t* out;
    int x0;
    int x1;
    int columnState0;  // column state of x0
    int rowState;
    uint32_t gainRed;
    uint32_t gainBlue;
    int dstBytesPerPixel;
};

// The 8-bit vector rows compute each channel of a block of pixels in two
// halves, even and odd columns, and saturate them to bytes side by side:
// a "plane" E0..E7 O0..O7 per 16 pixels. PlaneShuffle(v, c) is the byte
// shuffle that takes channel c's bytes of the v-th 16 bytes of those 16
// pixels laid out as B, G, R, from its plane (-1 clears a byte).
struct ByteShuffle {
    alignas(16) signed char bytes[16];
};
constexpr ByteShuffle PlaneShuffle(int vector, int channel) {
    ByteShuffle shuffle{};
    for (int i = 0; i < 16; ++i) {
        const int at = 16 * vector + i, pixel = at / 3;
        shuffle.bytes[i] = static_cast<signed char>(at % 3 != channel ? -1 : (pixel & 1) ? 8 + pixel / 2 : pixel / 2);
    }
    return shuffle;
}
inline constexpr ByteShuffle kPlaneShuffles[3][3] = {
    {PlaneShuffle(0, 0), PlaneShuffle(0, 1), PlaneShuffle(0, 2)},
    {PlaneShuffle(1, 0), PlaneShuffle(1, 1), PlaneShuffle(1, 2)},
    {PlaneShuffle(2, 0), PlaneShuffle(2, 1), PlaneShuffle(2, 2)},
};

int RowSse2_8(const RowJob& job);
int RowSse2_16(const RowJob& job);
int RowSsse3_8(const RowJob& job);
int RowSsse3_16(const RowJob& job);
int RowAvx2_8(const RowJob& job);
int RowAvx2_16(const RowJob& job);

}  // namespace kvx::demosaic_detail
