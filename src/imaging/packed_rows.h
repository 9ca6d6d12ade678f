// The device writes rows tightly packed; bitmaps pad each row to a multiple
// of 4 bytes. These kernels spread a packed frame to the padded stride in
// place, last row first and, within a row, last sample first, so no sample
// is overwritten before it has moved. The frame is the rectangle's size;
// `dst` and `src` are the same bitmap.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

extern const PixelKernel ExpandPackedRows8;
extern const PixelKernel ExpandPackedRows16;

}  // namespace kvx
