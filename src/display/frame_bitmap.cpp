#include "display/frame_bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kvx {
namespace {

bool SupportedDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8: case 16: case 24: case 32: case 48: case 64: return true;
        default: return false;
    }
}

}  // namespace

FrameBitmap::FrameBitmap() { Clear(); }

FrameBitmap::~FrameBitmap() { Destroy(); }

void FrameBitmap::Clear() {
    info_ = platform::DibInfo{};
    std::memset(info_.colors, 0, sizeof(info_.colors));
    surface_ = platform::DibSurface{};
    bits_ = nullptr;
    width_ = height_ = stride_ = bitsPerPixel_ = 0;
}

int32_t FrameBitmap::StrideFor(int width, int bitsPerPixel) {
    const int64_t stride = (static_cast<int64_t>(width) * (bitsPerPixel / 8) + 3) & ~int64_t{3};
    return stride > std::numeric_limits<int32_t>::max() ? -1 : static_cast<int32_t>(stride);
}

void FrameBitmap::WriteGrayPalette() {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        info_.colors[i] = platform::DibColor{v, v, v, 0};
    }
}

int FrameBitmap::Create(int width, int height, int bitsPerPixel) {
    Destroy();
    // Other depths would give rows of no bytes or a layout no kernel knows.
    if (width <= 0 || height <= 0 || !SupportedDepth(bitsPerPixel)) return 0;
    info_.header.biSize = 40;
    info_.header.biWidth = width;
    info_.header.biHeight = height;
    info_.header.biPlanes = 1;
    info_.header.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    info_.header.biCompression = 0;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    stride_ = StrideFor(width, bitsPerPixel);
    return CreateSurface(nullptr);
}

int FrameBitmap::CreateLike(const FrameBitmap* other) {
    if (other == nullptr || other->empty()) {
        Destroy();
        return 0;
    }
    const platform::DibHeader header = other->info_.header;
    const int width = other->width_, height = other->height_, bitsPerPixel = other->bitsPerPixel_;
    const int stride = other->stride_;
    // Destroy below releases our own device context, so a bitmap made like
    // itself is made compatible with the screen.
    void* compatibleDc = other == this ? nullptr : other->surface_.memoryDc;
    Destroy();
    info_.header = header;
    width_ = width;
    height_ = height;
    stride_ = stride;
    bitsPerPixel_ = bitsPerPixel;
    return CreateSurface(compatibleDc);
}

int FrameBitmap::CreateSurface(void* compatibleDc) {
    const uint64_t bytes = static_cast<uint64_t>(height_) * static_cast<uint64_t>(stride_ < 0 ? 0 : stride_);
    // The kernels address pixels with 32-bit strides and offsets.
    if (stride_ <= 0 || bytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        Destroy();
        return 0;
    }
    if (bitsPerPixel_ == 8) WriteGrayPalette();
    if (!platform::CreateDibSurface(info_, static_cast<size_t>(bytes), compatibleDc, surface_)) {
        Destroy();
        return 0;
    }
    bits_ = surface_.bits;
    return 1;
}

int FrameBitmap::SetPalette(int kind, const platform::DibColor* entries, int first, int count) {
    if (kind == kGrayPalette) {
        WriteGrayPalette();
        platform::SetDibSurfaceColors(surface_, 0, 256, info_.colors);
    } else if (kind == kPaletteEntries) {
        // Kept inside the 256-entry table the section has.
        if (entries != nullptr && first >= 0 && first < 256 && count > 0) {
            platform::SetDibSurfaceColors(surface_, first, std::min(count, 256 - first), entries);
        }
    }
    return 1;
}

void FrameBitmap::Destroy() {
    platform::DestroyDibSurface(surface_);
    Clear();
}

int FrameBitmap::BlitFrom(const FrameBitmap* source, const BitmapRect* sourceRect, int x, int y) {
    if (source == nullptr || empty() || source->empty()) return 0;
    BitmapRect rect{0, 0, source->width_, source->height_};
    if (sourceRect != nullptr) rect = *sourceRect;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return 0;
    if (drawable() && source->drawable()) {
        return platform::BlitDibSurface(surface_, x, y, width, height, source->surface_, rect.left, rect.top) ? 1 : 0;
    }
    if (bitsPerPixel_ != source->bitsPerPixel_) return 0;
    // Heap memory: the same transfer by hand, clipped like the system clips.
    int64_t sl = rect.left, st = rect.top, dl = x, dt = y, w = width, h = height;
    if (sl < 0) dl -= sl, w += sl, sl = 0;
    if (st < 0) dt -= st, h += st, st = 0;
    if (dl < 0) sl -= dl, w += dl, dl = 0;
    if (dt < 0) st -= dt, h += dt, dt = 0;
    w = std::min({w, int64_t{source->width_} - sl, int64_t{width_} - dl});
    h = std::min({h, int64_t{source->height_} - st, int64_t{height_} - dt});
    if (w <= 0 || h <= 0) return 0;
    const int bytes = bytesPerPixel();
    for (int64_t row = 0; row < h; ++row) {
        const int64_t sourceRow = source->height_ - 1 - (st + row);
        const int64_t destinationRow = height_ - 1 - (dt + row);
        std::memmove(surface_.bits + destinationRow * stride_ + dl * bytes,
                     source->surface_.bits + sourceRow * source->stride_ + sl * bytes, static_cast<size_t>(w * bytes));
    }
    return 1;
}

}  // namespace kvx
