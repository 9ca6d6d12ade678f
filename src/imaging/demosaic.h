// Bilinear demosaic of the raw mosaic into B, G, R. Output pixel (x, y) is
// the centre of the 2x2 cell that ends at it, so the image is shifted by
// half a pixel against the mosaic and no row or column is lost:
//
//        x-2   x-1    x    x+1
//   y-2   .     .     .     .
//   y-1   .   [ a     b ]   .      cell = (x-1, y-1) .. (x, y)
//   y     .   [ c     d ]   .
//   y+1   .     .     .     .
//
// Green is the mean of the cell's two greens. Red and blue take the cell's
// sample at weight 9, its two same-colour neighbours outside the cell (two
// columns or two rows away) at 3 and the diagonal one at 1, over 16.
//
// The interior kernels cover rows 2..H-3 and columns 2..W-3 with no bounds
// tests; the border kernels cover the two outer rows and columns on every
// side, moving each neighbour that would leave the frame four rows or
// columns inward, which keeps its colour. The fourth byte or word of 32- and
// 64-bit pixels is left as it is. The frame is the source rectangle; its
// phase is the phase at the rectangle's first pixel.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// Gains in percent (100 = unity). Green's gain is carried, never applied.
// Only output rows [firstRow, endRow), counted from the source rectangle's
// first row, are written: a frame split into row bands gives each band the
// whole frame as its rectangle, so the borders and the phase stay those of
// the frame.
struct DemosaicParams {
    int32_t phase;
    int32_t gainRed;
    int32_t gainGreen;
    int32_t gainBlue;
    int32_t firstRow = 0;
    int32_t endRow = INT32_MAX;
};

// Percent to 1/128 steps: trunc(gain x 1.28). Gains are held to 0..400, the
// controls' range, so that the products stay inside 32 bits.
int DemosaicFixedGain(int percent);

// 8-bit mosaic -> 24 or 32 bpp (B, G, R), clip 255.
extern const PixelKernel DemosaicInterior8;
extern const PixelKernel DemosaicBorder8;
// 16-bit mosaic (12 significant bits) -> 48 or 64 bpp words, clip 4095.
extern const PixelKernel DemosaicInterior16;
extern const PixelKernel DemosaicBorder16;

}  // namespace kvx
