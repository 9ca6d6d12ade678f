// FrameBitmap: the one image container. The same pixels are written by the
// conversion kernels, drawn by the system and read by the file writers.
// It owns the memory (a section the system can draw on Windows, heap memory
// elsewhere) behind its PixelBitmap view; rows and rectangles as there.
#pragma once

#include <cstdint>

#include "pixels/pixel_bitmap.h"
#include "platform/dib_surface.h"

namespace kvx {

class FrameBitmap : public PixelBitmap {
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

    // A source-copy block transfer in the system's coordinates. Bitmaps
    // without a device context (heap memory) of the same depth are copied
    // in memory with the same geometry. 1 when something was copied.
    int BlitFrom(const FrameBitmap* source, const BitmapRect* sourceRect, int x, int y);

    void* deviceContext() const { return surface_.memoryDc; }
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
};

}  // namespace kvx
