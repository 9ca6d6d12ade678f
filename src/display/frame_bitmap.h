// FrameBitmap: the one image container. The same pixels are written by the
// conversion kernels, drawn by the system and read by the file writers.
//
// Row 0 is first in memory and is the top of the picture. The header
// declares a positive height, so the system sees the rows bottom-up: its row
// 0 is our last row. Rectangles given to RunKernel and BlitFrom use the
// system's view; kernels always get memory rows.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"
#include "platform/dib_surface.h"

namespace kvx {

// left, top, right, bottom; right and bottom exclusive.
struct BitmapRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class FrameBitmap {
public:
    FrameBitmap();
    ~FrameBitmap();
    FrameBitmap(const FrameBitmap&) = delete;
    FrameBitmap& operator=(const FrameBitmap&) = delete;

    // Back to the empty state, releasing nothing (see Destroy).
    void Clear();

    // 1, or 0 with the bitmap left empty. Bits per pixel: 8, 16, 24, 32, 48
    // or 64. 8-bit bitmaps get the gray palette.
    int Create(int width, int height, int bitsPerPixel);
    // Same header and size as `other` (not its palette).
    int CreateLike(const FrameBitmap* other);
    void Destroy();

    enum PaletteKind { kGrayPalette = 0, kPaletteEntries = 2 };
    int SetPalette(int kind, const platform::DibColor* entries, int first, int count);

    // Runs `kernel` with this bitmap as destination. `sourceRect` and (x, y)
    // count rows from the source's and this bitmap's last memory row; both
    // are clipped so that they keep equal sizes. 0 when nothing overlaps.
    int RunKernel(PixelKernel kernel, const FrameBitmap* source, const BitmapRect* sourceRect, int x, int y,
                  void* argument, int extra);
    // No clipping: the kernel gets both rectangles (whole bitmaps when null)
    // and does its own geometry.
    int RunKernelScaled(ScaledPixelKernel kernel, const FrameBitmap* source, const BitmapRect* destinationRect,
                        const BitmapRect* sourceRect, void* argument, int extra);
    // A source-copy block transfer in the system's coordinates. Bitmaps
    // without a device context (heap memory) of the same depth are copied
    // in memory with the same geometry. 1 when something was copied.
    int BlitFrom(const FrameBitmap* source, const BitmapRect* sourceRect, int x, int y);

    void* deviceContext() const { return surface_.memoryDc; }
    uint8_t* bits() const { return surface_.bits; }
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    int bytesPerPixel() const { return bitsPerPixel_ / 8; }
    bool empty() const { return surface_.bits == nullptr; }
    const platform::DibInfo& info() const { return info_; }
    // The pixel memory as the system knows it, for drawing into windows.
    const platform::DibSurface& surface() const { return surface_; }
    bool drawable() const { return surface_.memoryDc != nullptr; }

    // Rows padded to a multiple of 4 bytes; -1 when the row cannot be
    // addressed with 32-bit sizes.
    static int32_t StrideFor(int width, int bitsPerPixel);

private:
    int CreateSurface(void* compatibleDc);
    void WriteGrayPalette();

    platform::DibInfo info_;
    platform::DibSurface surface_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    int32_t bitsPerPixel_ = 0;
};

}  // namespace kvx
