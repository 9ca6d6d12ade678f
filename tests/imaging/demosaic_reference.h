// The demosaic written out plainly from its rule, pixel by pixel, for the
// kernels to be compared against. Shared by the demosaic and conversion
// tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "pixels/pixel_kernel.h"

namespace kvx::test {

// A tightly described frame in memory: stride in bytes, samples of T.
template <typename T>
struct Plane {
    int width = 0, height = 0, stride = 0;
    std::vector<uint8_t> bytes;

    Plane() = default;
    Plane(int w, int h, int pixelBytes, int padding = 0)
        : width(w), height(h), stride(((w * pixelBytes + 3) & ~3) + padding),
          bytes(static_cast<size_t>(stride) * h) {}
    T* Row(int y) { return reinterpret_cast<T*>(bytes.data() + static_cast<size_t>(y) * stride); }
    const T* Row(int y) const { return reinterpret_cast<const T*>(bytes.data() + static_cast<size_t>(y) * stride); }
};

// Colour of a mosaic site: 0 green, 1 blue, 2 red.
inline int SiteOf(int phase, int x, int y) {
    const int column = ((phase >> 1) & 1) ^ (x & 1);
    const int row = (phase & 1) ^ (y & 1);
    if (column == row) return 0;
    return row == 0 ? 1 : 2;
}

// Which pixels to produce.
enum class Region { Interior, Border, All };

inline bool InRegion(Region region, int x, int y, int w, int h) {
    const bool interior = x >= 2 && x <= w - 3 && y >= 2 && y <= h - 3;
    return region == Region::All || (region == Region::Interior) == interior;
}

// Frames of at least 4 x 4. `out` is a destination of `outPixelBytes`
// per pixel at least w x h; pixels outside the region stay as they were.
template <typename T>
void ReferenceDemosaic(const Plane<T>& in, int phase, int gainRedPercent, int gainBluePercent, Region region,
                       Plane<T>& out, int outPixelBytes) {
    const int w = in.width, h = in.height;
    const uint32_t clip = sizeof(T) == 1 ? 255 : 4095;
    const uint32_t limit = sizeof(T) == 1 ? 0x80000 : 0x800000;
    const uint32_t gainRed = static_cast<uint32_t>(gainRedPercent * 1.28);
    const uint32_t gainBlue = static_cast<uint32_t>(gainBluePercent * 1.28);
    auto at = [&](int x, int y) -> uint32_t {
        if (y < 0) y += 4;
        if (y >= h) y -= 4;
        if (x < 0) x += 4;
        if (x >= w) x -= 4;
        return in.Row(y)[x];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!InRegion(region, x, y, w, h)) continue;
            uint32_t greens = 0, bgr[3] = {0, 0, 0};
            for (int cy = y - 1; cy <= y; ++cy) {
                for (int cx = x - 1; cx <= x; ++cx) {
                    const int site = SiteOf(phase, cx, cy);
                    if (site == 0) {
                        greens += at(cx, cy);
                        continue;
                    }
                    const int px = cx == x - 1 ? cx + 2 : cx - 2;
                    const int py = cy == y - 1 ? cy + 2 : cy - 2;
                    const uint32_t sum = 9 * at(cx, cy) + 3 * at(px, cy) + 3 * at(cx, py) + at(px, py);
                    const uint32_t v = sum * (site == 2 ? gainRed : gainBlue);
                    bgr[site == 1 ? 0 : 2] = v < limit ? v >> 11 : clip;
                }
            }
            bgr[1] = greens >> 1;
            if (bgr[1] > clip) bgr[1] = clip;
            T* pixel = reinterpret_cast<T*>(out.bytes.data() + static_cast<size_t>(y) * out.stride +
                                            static_cast<size_t>(x) * outPixelBytes);
            for (int c = 0; c < 3; ++c) pixel[c] = static_cast<T>(bgr[c]);
        }
    }
}

template <typename T>
Plane<T> RandomMosaic(int w, int h, uint32_t seed, uint32_t maxValue) {
    Plane<T> plane(w, h, sizeof(T));
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) plane.Row(y)[x] = static_cast<T>(random() % (maxValue + 1));
    }
    return plane;
}

}  // namespace kvx::test
