// The one signature of every image kernel. Kernels are plain functions over
// raw pixel memory: no bounds tests in the hot loops, no allocation, and a
// result bit-identical to the scalar rule each implements, whatever SIMD
// path computes it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx {

// A rectangle in memory rows: row `top` is the first row processed, `bottom`
// and `right` are exclusive.
struct KernelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// dst, src: first byte of each bitmap's pixel memory (they may be the same).
// srcRect:  the source pixels to process, already clipped to both bitmaps.
// dstX, dstY: where srcRect's first pixel lands in the destination.
// dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride: the layouts.
// argument: the step's parameter record (or null); extra: one more integer.
// Returns 1 for image kernels, the region mean for measuring kernels.
using PixelKernel = int (*)(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                            int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride,
                            void* argument, int extra);

// A kernel call's first nine arguments, which place its pixels, as one value.
struct KernelLayout {
    uint8_t* dst;
    const uint8_t* src;
    KernelRect rect;
    int dstX;
    int dstY;
    int dstBytesPerPixel;
    int srcBytesPerPixel;
    int dstStride;
    int srcStride;

    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
    bool Empty() const { return Width() <= 0 || Height() <= 0 || src == nullptr; }

    // Row `y` of the source (a memory row of the source bitmap) at the rectangle's left edge.
    const uint8_t* SrcRow(int y) const {
        return src + static_cast<ptrdiff_t>(y) * srcStride + static_cast<ptrdiff_t>(rect.left) * srcBytesPerPixel;
    }
    // The destination row that source row `y` lands on, at dstX.
    uint8_t* DstRow(int y) const {
        return dst + static_cast<ptrdiff_t>(dstY + y - rect.top) * dstStride +
               static_cast<ptrdiff_t>(dstX) * dstBytesPerPixel;
    }
};

// What a kernel is written as: its layout, the parameter record and the
// extra integer.
using KernelBody = int (*)(const KernelLayout& layout, void* argument, int extra);

// A body made callable as a PixelKernel, so that the long signature is
// spelled here and nowhere else. The body is a template argument and is
// inlined into the adapter: no extra call per kernel.
template <KernelBody Body>
int AdaptKernel(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra) {
    return Body(KernelLayout{dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                argument, extra);
}

// The scaling kernels' signature: no clipping, both rectangles in memory
// rows, and the whole sizes of both bitmaps.
using ScaledPixelKernel = int (*)(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect,
                                  int dstWidth, int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel,
                                  int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int extra);

}  // namespace kvx
