// Reading a device-independent bitmap the way the system's stretching
// transfers do, for the windows that the POSIX build draws itself.
#pragma once

#include <cstdint>

#include "platform/dib_surface.h"

namespace kvx::platform::posix {

// 0x00RRGGBB of pixel (column, memoryRow) of an 8-bit (palette), 24-bit or
// 32-bit bitmap.
inline uint32_t DibPixel(const DibSurface& surface, const DibInfo& info, int column, int memoryRow) {
    const int bits = info.header.biBitCount;
    const int stride = ((info.header.biWidth * (bits / 8)) + 3) & ~3;
    const uint8_t* p = surface.bits + static_cast<size_t>(memoryRow) * static_cast<size_t>(stride) +
                       static_cast<size_t>(column) * static_cast<size_t>(bits / 8);
    if (bits == 8) {
        const DibColor& c = info.colors[p[0]];
        return (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// Maps destination offset d (0..extent-1) onto the source span that starts
// at `origin` and runs `span` pixels. A negative span runs backwards from
// its origin, which it includes, as the system's mirrored transfers do.
inline int DibSourceCoordinate(int d, int extent, int origin, int span) {
    const int64_t magnitude = span < 0 ? -int64_t{span} : span;
    const int64_t offset = (int64_t{d} * magnitude) / extent;
    return static_cast<int>(span < 0 ? origin - offset : origin + offset);
}

inline bool DibDrawable(const DibSurface& surface, const DibInfo& info) {
    const int bits = info.header.biBitCount;
    return surface.bits && (bits == 8 || bits == 24 || bits == 32);
}

}  // namespace kvx::platform::posix
