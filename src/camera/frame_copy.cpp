#include "camera/frame_copy.h"

#include <cstring>

namespace kvx {

int64_t FrameCopyBytes(const FrameBitmap& bitmap) { return int64_t{bitmap.stride()} * bitmap.height(); }

bool CopyFrameOut(const FrameBitmap& bitmap, int bottomUp, void* buffer, int64_t size) {
    if (bitmap.empty() || !buffer || size < FrameCopyBytes(bitmap)) return false;
    const size_t stride = static_cast<size_t>(bitmap.stride());
    const int height = bitmap.height();
    auto* out = static_cast<uint8_t*>(buffer);
    if (!bottomUp) {
        // Memory row 0 is the top of the picture already.
        std::memcpy(out, bitmap.bits(), stride * static_cast<size_t>(height));
        return true;
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(out + stride * static_cast<size_t>(row), bitmap.bits() + stride * static_cast<size_t>(height - 1 - row),
                    stride);
    return true;
}

bool CopyFrameBitmap(const FrameBitmap& source, FrameBitmap& copy) {
    if (source.empty() || !copy.Create(source.width(), source.height(), source.bitsPerPixel())) return false;
    std::memcpy(copy.bits(), source.bits(), static_cast<size_t>(FrameCopyBytes(source)));
    return true;
}

}  // namespace kvx
