// A 2048 x 1536 frame like the camera's: smooth shading, colour patches and
// sensor noise, in any of the six layouts.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "pixels/pixel_kernel.h"

namespace kvx::bench {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

struct BenchFrame {
    int bytesPerPixel;
    int stride;
    std::vector<uint8_t> bytes;

    explicit BenchFrame(int bpp) : bytesPerPixel(bpp), stride((kWidth * bpp + 3) & ~3), bytes(size_t(stride) * kHeight) {
        const bool words = bpp == 2 || bpp == 6 || bpp == 8;
        const int channels = words ? bpp / 2 : bpp;
        const int colourChannels = channels >= 3 ? 3 : 1;
        std::mt19937 rng(1234);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = bytes.data() + size_t(y) * stride;
            for (int x = 0; x < kWidth; ++x) {
                const int patch = (x / 256 + (y / 256) * 8) % 6;
                for (int c = 0; c < colourChannels; ++c) {
                    int v = (x * 255 / kWidth + y * 255 / kHeight) / 2;
                    if ((patch + c) % 3 == 0) v = (v + 128) / 2;
                    v += int(rng() % 9) - 4;
                    v = v < 0 ? 0 : (v > 255 ? 255 : v);
                    if (words) {
                        const int w = v * 16 + int(rng() % 16);
                        row[x * bpp + 2 * c] = uint8_t(w);
                        row[x * bpp + 2 * c + 1] = uint8_t(w >> 8);
                    } else {
                        row[x * bpp + c] = uint8_t(v);
                    }
                }
            }
        }
    }

    KernelRect Whole() const { return KernelRect{0, 0, kWidth, kHeight}; }
};

// Runs `kernel` from `src` into `dst` (same layout) over the whole frame.
inline int Run(PixelKernel kernel, BenchFrame& dst, const BenchFrame& src, void* argument) {
    return kernel(dst.bytes.data(), src.bytes.data(), src.Whole(), 0, 0, dst.bytesPerPixel, src.bytesPerPixel,
                  dst.stride, src.stride, argument, 0);
}

}  // namespace kvx::bench
