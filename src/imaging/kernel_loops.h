// The pixel loop of the simple per-pixel kernels: every source pixel of the
// rectangle goes to the destination at (dstX, dstY) onwards, in order or
// with the rows reversed.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

template <typename PerPixel>
inline int ForEachPixel(const KernelLayout& layout, bool flipRows, PerPixel perPixel) {
    if (layout.dst == nullptr || layout.src == nullptr) return 1;
    const KernelRect rect = layout.rect;
    const int width = layout.Width(), height = layout.Height();
    for (int i = 0; i < height; ++i) {
        const int sourceRow = flipRows ? rect.bottom - 1 - i : rect.top + i;
        const uint8_t* in = layout.SrcRow(sourceRow);
        uint8_t* out = layout.DstRow(rect.top + i);
        for (int x = 0; x < width; ++x) {
            perPixel(out, in);
            out += layout.dstBytesPerPixel;
            in += layout.srcBytesPerPixel;
        }
    }
    return 1;
}

using PixelRule = void (*)(uint8_t* out, const uint8_t* in);

// The body of a kernel that applies `Rule` to every pixel and needs no
// parameters.
template <PixelRule Rule, bool FlipRows>
int EveryPixel(const KernelLayout& layout, void*, int) {
    return ForEachPixel(layout, FlipRows, Rule);
}

template <PixelRule Rule, bool FlipRows = false>
constexpr PixelKernel kPerPixelKernel = AdaptKernel<EveryPixel<Rule, FlipRows>>;

inline uint16_t LoadWord(const uint8_t* p, int index) {
    uint16_t v;
    __builtin_memcpy(&v, p + 2 * index, 2);
    return v;
}

inline void StoreWord(uint8_t* p, int index, uint16_t v) { __builtin_memcpy(p + 2 * index, &v, 2); }

}  // namespace kvx
