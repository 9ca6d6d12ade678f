// Copies of the image in the layouts applications and file formats expect.
// "Flipped" kernels read the source rows last to first, so the copy is
// upside down against the source (bottom-up files and buffers); the others
// keep the row order. Samples hold 12 significant bits; the "10-bit"
// variants treat them as 10-bit data.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// Flipped.
extern const PixelKernel ExportGray16To8Bits10;         // (v >> 2) & 0xFF
extern const PixelKernel ExportGray16To8Bits12;         // (v >> 4) & 0xFF
extern const PixelKernel ExportColor48To24Bits10;       // each word (v >> 2) & 0xFF
extern const PixelKernel ExportCopy24Flipped;           // B, G, R as stored

// In order.
extern const PixelKernel ExportSwap24;                  // R, G, B
extern const PixelKernel ExportColor32InvertedFourth;   // B, G, R, ~fourth
extern const PixelKernel ExportGray16Scaled12;          // v << 4
extern const PixelKernel ExportGray16Scaled10;          // v << 6
extern const PixelKernel ExportColor48Scaled12;         // B, G, R words << 4
extern const PixelKernel ExportColor48Scaled10;         // B, G, R words << 6
extern const PixelKernel ExportColor48Scaled12Swapped;  // R, G, B words << 4
extern const PixelKernel ExportColor48Scaled10Swapped;  // R, G, B words << 6
extern const PixelKernel ExportColor64Scaled12;         // as 48, fourth word 0xFFFF
extern const PixelKernel ExportColor64Scaled10;
extern const PixelKernel ExportColor64Scaled12Swapped;
extern const PixelKernel ExportColor64Scaled10Swapped;

}  // namespace kvx
