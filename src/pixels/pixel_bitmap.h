// PixelBitmap: a bitmap's pixel memory as the kernels see it, and the kernel
// calls over it. The pipeline's layers share this view from below: imaging
// converts in it, display's FrameBitmap owns the memory behind it.
//
// Row 0 is first in memory and is the top of the picture. A bitmap's
// header declares a positive height, so the system sees the rows bottom-up:
// its row 0 is our last row. Rectangles given to RunKernel use the system's
// view; kernels always get memory rows.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// left, top, right, bottom; right and bottom exclusive.
struct BitmapRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class PixelBitmap {
public:
    PixelBitmap(const PixelBitmap&) = delete;
    PixelBitmap& operator=(const PixelBitmap&) = delete;

    // Runs `kernel` with this bitmap as destination. `sourceRect` and (x, y)
    // count rows from the source's and this bitmap's last memory row; both
    // are clipped so that they keep equal sizes. 0 when nothing overlaps.
    int RunKernel(PixelKernel kernel, const PixelBitmap* source, const BitmapRect* sourceRect, int x, int y,
                  void* argument, int extra);
    // No clipping: the kernel gets both rectangles (whole bitmaps when null)
    // and does its own geometry.
    int RunKernelScaled(ScaledPixelKernel kernel, const PixelBitmap* source, const BitmapRect* destinationRect,
                        const BitmapRect* sourceRect, void* argument, int extra);

    uint8_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    int bytesPerPixel() const { return bitsPerPixel_ / 8; }
    bool empty() const { return bits_ == nullptr; }

protected:
    PixelBitmap() = default;
    ~PixelBitmap() = default;

    // Owners keep these in step with the memory they hold; no pixels means
    // a null `bits_`.
    uint8_t* bits_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    int32_t bitsPerPixel_ = 0;
};

}  // namespace kvx
