// The pixel loop of the simple per-pixel kernels: every source pixel of the
// rectangle goes to the destination at (dstX, dstY) onwards, in order or
// with the rows reversed.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace kvx {

template <typename PerPixel>
inline int ForEachPixel(uint8_t* dst, const uint8_t* src, KernelRect rect, int dstX, int dstY, int dstBytesPerPixel,
                        int srcBytesPerPixel, int dstStride, int srcStride, bool flipRows, PerPixel perPixel) {
    if (dst == nullptr || src == nullptr) return 1;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    for (int i = 0; i < height; ++i) {
        const int sourceRow = flipRows ? rect.bottom - 1 - i : rect.top + i;
        const uint8_t* in = src + static_cast<intptr_t>(sourceRow) * srcStride +
                            static_cast<intptr_t>(rect.left) * srcBytesPerPixel;
        uint8_t* out = dst + static_cast<intptr_t>(dstY + i) * dstStride + static_cast<intptr_t>(dstX) * dstBytesPerPixel;
        for (int x = 0; x < width; ++x) {
            perPixel(out, in);
            out += dstBytesPerPixel;
            in += srcBytesPerPixel;
        }
    }
    return 1;
}

inline uint16_t LoadWord(const uint8_t* p, int index) {
    uint16_t v;
    __builtin_memcpy(&v, p + 2 * index, 2);
    return v;
}

inline void StoreWord(uint8_t* p, int index, uint16_t v) { __builtin_memcpy(p + 2 * index, &v, 2); }

}  // namespace kvx
