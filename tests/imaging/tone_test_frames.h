// Frames in bitmap layout (rows padded to 4 bytes) for the tone and colour
// kernel tests; simd_levels.h runs them on every instruction set.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/simd_dispatch.h"
#include "pixels/pixel_kernel.h"
#include "simd_levels.h"

namespace kvx::test {

struct TestFrame {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int stride = 0;
    std::vector<uint8_t> bytes;

    TestFrame(int w, int h, int bpp)
        : width(w), height(h), bytesPerPixel(bpp), stride((w * bpp + 3) & ~3), bytes(size_t(stride) * h) {}

    uint8_t* Pixel(int x, int y) { return bytes.data() + size_t(y) * stride + size_t(x) * bytesPerPixel; }
    const uint8_t* Pixel(int x, int y) const { return bytes.data() + size_t(y) * stride + size_t(x) * bytesPerPixel; }
    int Word(int x, int y, int c) const { const uint8_t* p = Pixel(x, y) + 2 * c; return p[0] | (p[1] << 8); }
    void SetWord(int x, int y, int c, int v) {
        uint8_t* p = Pixel(x, y) + 2 * c;
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
    }
    KernelRect Whole() const { return KernelRect{0, 0, width, height}; }
    bool operator==(const TestFrame& o) const { return bytes == o.bytes; }
};

// Random samples: bytes anywhere in 0..255, words in 0..maxWord. Padding and
// fourth channels get random values too, so that a kernel touching them shows.
inline TestFrame RandomFrame(int w, int h, int bpp, uint32_t seed, int maxWord = 4095) {
    TestFrame f(w, h, bpp);
    std::mt19937 rng(seed);
    const bool words = bpp == 2 || bpp == 6 || bpp == 8;
    if (!words) {
        for (auto& b : f.bytes) b = uint8_t(rng());
    } else {
        for (size_t i = 0; i + 1 < f.bytes.size(); i += 2) {
            const int v = int(rng() % (uint32_t(maxWord) + 1));
            f.bytes[i] = uint8_t(v);
            f.bytes[i + 1] = uint8_t(v >> 8);
        }
    }
    return f;
}

// Smooth ramps with a few hard edges: the kind of content where sums and
// differences land on their extremes less often than in noise, and where
// neighbouring pixels agree.
inline TestFrame StructuredFrame(int w, int h, int bpp, int maxValue) {
    TestFrame f(w, h, bpp);
    const bool words = bpp == 2 || bpp == 6 || bpp == 8;
    const int channels = words ? bpp / 2 : bpp;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                int v = ((x * 7 + y * 3 + c * 50) % (maxValue + 1));
                if ((x / 5 + y / 3) % 4 == 0) v = maxValue - v;
                if (words) f.SetWord(x, y, c, v);
                else f.Pixel(x, y)[c] = uint8_t(v);
            }
    return f;
}

// Runs `kernel` over the whole frame in place.
inline int RunInPlace(PixelKernel kernel, TestFrame& f, void* argument, int extra = 0) {
    return kernel(f.bytes.data(), f.bytes.data(), f.Whole(), 0, 0, f.bytesPerPixel, f.bytesPerPixel, f.stride,
                  f.stride, argument, extra);
}

// Sizes that exercise vector bodies, scalar tails and odd shapes.
struct FrameSize {
    int width;
    int height;
};
inline const std::vector<FrameSize>& TestSizes() {
    static const std::vector<FrameSize> sizes = {{1, 1}, {5, 5}, {6, 7}, {17, 9}, {64, 8}, {107, 13}, {300, 11}, {1031, 6}};
    return sizes;
}

}  // namespace kvx::test
