// Copies of the image in the layouts applications and file formats expect.
// "Flipped" kernels read the source rows last to first, so the copy is
// upside down against the source (bottom-up files and buffers); the others
// keep the row order. Samples hold 12 significant bits; the "10-bit"
// variants treat them as 10-bit data.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace kvx {

#define KVX_EXPORT_KERNEL(name)                                                                                 \
    int name(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,   \
             int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra)

// Flipped.
KVX_EXPORT_KERNEL(ExportGray16To8Bits10);   // (v >> 2) & 0xFF
KVX_EXPORT_KERNEL(ExportGray16To8Bits12);   // (v >> 4) & 0xFF
KVX_EXPORT_KERNEL(ExportColor48To24Bits10); // each word (v >> 2) & 0xFF
KVX_EXPORT_KERNEL(ExportCopy24Flipped);     // B, G, R as stored
KVX_EXPORT_KERNEL(ExportRowsFlipped);       // whole rows, the smaller stride's bytes each

// In order.
KVX_EXPORT_KERNEL(ExportSwap24);                // R, G, B
KVX_EXPORT_KERNEL(ExportColor32InvertedFourth); // B, G, R, ~fourth
KVX_EXPORT_KERNEL(ExportGray16Scaled12);        // v << 4
KVX_EXPORT_KERNEL(ExportGray16Scaled10);        // v << 6
KVX_EXPORT_KERNEL(ExportColor48Scaled12);       // B, G, R words << 4
KVX_EXPORT_KERNEL(ExportColor48Scaled10);       // B, G, R words << 6
KVX_EXPORT_KERNEL(ExportColor48Scaled12Swapped); // R, G, B words << 4
KVX_EXPORT_KERNEL(ExportColor48Scaled10Swapped); // R, G, B words << 6
KVX_EXPORT_KERNEL(ExportColor64Scaled12);       // as 48, fourth word 0xFFFF
KVX_EXPORT_KERNEL(ExportColor64Scaled10);
KVX_EXPORT_KERNEL(ExportColor64Scaled12Swapped);
KVX_EXPORT_KERNEL(ExportColor64Scaled10Swapped);

#undef KVX_EXPORT_KERNEL

}  // namespace kvx
