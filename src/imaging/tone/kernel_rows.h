// Walks a kernel's source rectangle row by row together with the matching
// destination row, so each kernel only has to say what it does to one row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace kvx {

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

inline KernelLayout MakeLayout(uint8_t* dst, const uint8_t* src, KernelRect rect, int dstX, int dstY,
                               int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride) {
    return KernelLayout{dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
}

// Clips a real value to 0..maxValue and truncates it towards zero; NaN gives 0.
inline int TruncToRange(double value, int maxValue) {
    if (!(value > 0.0)) return 0;
    if (value >= static_cast<double>(maxValue)) return maxValue;
    return static_cast<int>(value);
}

inline uint16_t LoadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void StoreWord(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace kvx
