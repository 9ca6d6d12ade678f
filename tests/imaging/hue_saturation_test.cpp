// Hue and saturation against the table rule, worked figures, and two
// cameras converting with different saturations at the same time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "imaging/color/hue_saturation.h"
#include "tone_test_frames.h"

#if KVX_SIMD_X86
#include <xmmintrin.h>
#endif

namespace kvx {
namespace {

using test::TestFrame;

// The rule with its own tables: G, R, L, Tri, S and the sector table.
struct Reference {
    int G[256], R[256], L[512], Tri[512], S[256];
    int rotSector, rotStep;

    Reference(int hue, int saturation) {
        for (int k = 0; k < 256; ++k) {
            G[k] = k * 0x010101;
            R[k] = k == 0 ? 0 : 0xFF0000 / k;
            S[k] = (k * ((saturation + 256) << 8) + 0x8000) >> 16;
        }
        for (int k = 0; k < 512; ++k) {
            L[k] = k;
            Tri[k] = k < 256 ? k : 511 - k;
        }
        int H = int((long long)hue * 65536 / 360) % 65536;
        if (H < 0) H += 65536;
        const int p = (H * 6) >> 8;
        int a = p % 512;
        if (a >= 256) a -= 512;
        const int b = ((p + 256) >> 9) % 3;
        int rot = b * 510 + a;
        if (rot < 0) rot += 1530;
        if (rot >= 1530) rot -= 1530;
        rotSector = rot / 255;
        rotStep = rot % 255;
    }

    // Returns 0x00RRGGBB.
    int Apply(int B, int Gc, int Rc) const {
        static const int mask[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
        static const int mul[6] = {-1, 256, -65536, 1, -256, 65536};
        int max = Rc, cmin = Gc, d = Gc - B, s = 1;
        if (Rc < Gc) max = Gc, cmin = Rc, d = B - Rc, s = 3;
        if (B > max) max = B, d = Rc - Gc, s = 5;
        const int min = std::min(cmin, B);
        const int C = max - min, sum = max + min;
        if (d < 0) s -= 1, d += C;
        const int Cs = std::min(S[C], Tri[sum]);
        const int newMin = (L[sum] - Cs) >> 1;
        const int newC = ((Cs + L[sum]) >> 1) - newMin;
        if (C == 0) return newMin * 0x010101;
        int pos = ((R[C] * d + 0x8000) >> 16) + rotStep;
        s += rotSector;
        if (pos >= 255) pos -= 255, s += 1;
        s %= 6;
        return newMin * 0x010101 + (G[newC] & mask[s]) + ((newC * pos + 128) >> 8) * mul[s];
    }
};

const int kBytesPerPixel[6] = {0, 0, 3, 4, 6, 8};

TestFrame Expected(const TestFrame& in, int mode, const Reference& ref) {
    TestFrame out = in;
    const bool words = mode >= 4;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            int c[3];
            // Words beyond 12 bits count as the brightest 8-bit value.
            for (int i = 0; i < 3; ++i) c[i] = words ? std::min(in.Word(x, y, i) >> 4, 255) : in.Pixel(x, y)[i];
            const int v = ref.Apply(c[0], c[1], c[2]);
            const int o[3] = {v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF};
            for (int i = 0; i < 3; ++i) {
                if (words) out.SetWord(x, y, i, o[i] << 4);
                else out.Pixel(x, y)[i] = uint8_t(o[i]);
            }
            if (mode == 3) out.Pixel(x, y)[3] = 0;
            if (mode == 5) out.SetWord(x, y, 3, 0);
        }
    return out;
}

TEST(HueSaturation, EveryModeMatchesTheRuleOnEveryPath) {
    const int settings[][2] = {{0, 1}, {120, 0}, {-90, 40}, {359, -255}, {-360, 255}, {17, -100}, {200, 3}};
    test::ForEachSimdLevel([&](SimdLevel level) {
        for (const auto& hs : settings) {
            const Reference ref(hs[0], hs[1]);
            for (int mode = 2; mode < 6; ++mode)
                for (const auto& size : test::TestSizes())
                    for (int content = 0; content < 3; ++content) {
                        const uint32_t seed = uint32_t(mode * 13 + hs[0] + size.width);
                        const TestFrame in =
                            content == 0   ? test::RandomFrame(size.width, size.height, kBytesPerPixel[mode], seed)
                            : content == 1 ? test::StructuredFrame(size.width, size.height, kBytesPerPixel[mode],
                                                                   mode >= 4 ? 4095 : 255)
                                           : test::RandomFrame(size.width, size.height, kBytesPerPixel[mode], seed,
                                                               65535);
                        TestFrame out = in;
                        HueSaturationParams params{hs[0], 0, hs[1], 12};
                        ASSERT_EQ(1, test::RunInPlace(kHueSaturationKernels[mode], out, &params));
                        ASSERT_TRUE(out == Expected(in, mode, ref))
                            << "hue " << hs[0] << " saturation " << hs[1] << " mode " << mode << " " << size.width
                            << "x" << size.height << " on " << SimdLevelName(level);
                    }
        }
    });
}

// Every chroma 0..255 with many positions within the sectors: pixel (x, y)
// has R = x, G = y and B from both.
TEST(HueSaturation, EveryChromaOnEveryPath) {
    test::ForEachSimdLevel([&](SimdLevel level) {
        for (int mode = 2; mode < 6; ++mode) {
            TestFrame in(256, 256, kBytesPerPixel[mode]);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) {
                    const int c[3] = {(x * 3 + y * 5) & 255, y, x};
                    for (int i = 0; i < 3; ++i) {
                        if (mode >= 4) in.SetWord(x, y, i, c[i] << 4 | (x & 15));
                        else in.Pixel(x, y)[i] = uint8_t(c[i]);
                    }
                }
            for (int saturation : {-255, 0, 255}) {
                TestFrame out = in;
                HueSaturationParams params{77, 0, saturation, 12};
                test::RunInPlace(kHueSaturationKernels[mode], out, &params);
                ASSERT_TRUE(out == Expected(in, mode, Reference(77, saturation)))
                    << "mode " << mode << " saturation " << saturation << " on " << SimdLevelName(level);
            }
        }
    });
}

// Every pair of chroma and offset within a sector: pixel (x, y) has R = x
// as the largest channel, B = 0 and G = y, so chroma x and offset y.
TestFrame EveryOffsetOfEveryChroma(int mode) {
    TestFrame in(256, 256, kBytesPerPixel[mode]);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int c[3] = {0, std::min(x, y), x};
            for (int i = 0; i < 3; ++i) {
                if (mode >= 4) in.SetWord(x, y, i, c[i] << 4);
                else in.Pixel(x, y)[i] = uint8_t(c[i]);
            }
        }
    return in;
}

TEST(HueSaturation, EveryOffsetOfEveryChromaOnEveryPath) {
    test::ForEachSimdLevel([&](SimdLevel level) {
        for (int mode : {2, 4}) {
            const TestFrame in = EveryOffsetOfEveryChroma(mode);
            TestFrame out = in;
            HueSaturationParams params{77, 0, 0, 12};
            test::RunInPlace(kHueSaturationKernels[mode], out, &params);
            ASSERT_TRUE(out == Expected(in, mode, Reference(77, 0)))
                << "mode " << mode << " on " << SimdLevelName(level);
        }
    });
}

#if KVX_SIMD_X86
// The 32-bit build enables SSE per function only.
KVX_TARGET_SSE2 unsigned ReadFloatControl() { return _mm_getcsr(); }
KVX_TARGET_SSE2 void WriteFloatControl(unsigned value) { _mm_setcsr(value); }

// A host application may leave the vector unit rounding another way; the
// result must not depend on it.
TEST(HueSaturation, SameResultUnderEveryFloatRoundingMode) {
    const unsigned saved = ReadFloatControl();
    const TestFrame in = EveryOffsetOfEveryChroma(2);
    const TestFrame expected = Expected(in, 2, Reference(77, 0));
    for (unsigned mode : {_MM_ROUND_UP, _MM_ROUND_DOWN, _MM_ROUND_TOWARD_ZERO}) {
        test::ForEachSimdLevel([&](SimdLevel level) {
            TestFrame out = in;
            HueSaturationParams params{77, 0, 0, 12};
            WriteFloatControl((saved & ~_MM_ROUND_MASK) | mode);
            test::RunInPlace(kHueSaturationKernels[2], out, &params);
            WriteFloatControl(saved);
            EXPECT_TRUE(out == expected) << "rounding " << mode << " on " << SimdLevelName(level);
        });
    }
}
#endif

TestFrame OnePixel(int b, int g, int r) {
    TestFrame f(1, 1, 3);
    f.Pixel(0, 0)[0] = uint8_t(b);
    f.Pixel(0, 0)[1] = uint8_t(g);
    f.Pixel(0, 0)[2] = uint8_t(r);
    return f;
}

TEST(HueSaturation, WorkedFigures) {
    // Hue 120 turns pure red into green, up to the rounding of the circle.
    TestFrame red = OnePixel(0, 0, 255);
    HueSaturationParams params{120, 0, 0, 12};
    test::RunInPlace(kHueSaturationKernels[2], red, &params);
    EXPECT_EQ(0, red.Pixel(0, 0)[0]);
    EXPECT_EQ(255, red.Pixel(0, 0)[1]);
    EXPECT_LE(red.Pixel(0, 0)[2], 2);

    // -90 and 270 are the same rotation.
    const TestFrame in = test::RandomFrame(37, 5, 3, 11);
    TestFrame a = in, b = in;
    HueSaturationParams minus90{-90, 0, 0, 12}, plus270{270, 0, 0, 12};
    test::RunInPlace(kHueSaturationKernels[2], a, &minus90);
    test::RunInPlace(kHueSaturationKernels[2], b, &plus270);
    EXPECT_TRUE(a == b);

    // Saturation -255 leaves at most one level of chroma.
    TestFrame washed = in;
    HueSaturationParams gray{0, 0, -255, 12};
    test::RunInPlace(kHueSaturationKernels[2], washed, &gray);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x) {
            const uint8_t* p = washed.Pixel(x, y);
            EXPECT_LE(std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}), 1);
        }
}

TEST(HueSaturation, GrayPixelsIgnoreHue) {
    test::ForEachSimdLevel([&](SimdLevel) {
        TestFrame ramp(256, 1, 4);
        for (int i = 0; i < 256; ++i) std::fill(ramp.Pixel(i, 0), ramp.Pixel(i, 0) + 3, uint8_t(i));
        for (int hue : {-360, -271, -1, 45, 180, 359}) {
            TestFrame out = ramp;
            HueSaturationParams params{hue, 0, 0, 12};
            test::RunInPlace(kHueSaturationKernels[3], out, &params);
            for (int i = 0; i < 256; ++i)
                for (int c = 0; c < 3; ++c) ASSERT_EQ(i, out.Pixel(i, 0)[c]) << "hue " << hue;
        }
    });
}

TEST(HueSaturation, DeepWordsBeyondTheDepthStayInRange) {
    TestFrame deep = test::RandomFrame(9, 3, 6, 2, 65535);
    HueSaturationParams params{33, 0, 100, 12};
    test::RunInPlace(kHueSaturationKernels[4], deep, &params);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            for (int c = 0; c < 3; ++c) EXPECT_LE(deep.Word(x, y, c), 4080);
}

// Two cameras convert at the same time, one with saturation -200 and one
// with +150, while a third keeps switching saturation; each must get
// exactly its own result every time.
TEST(HueSaturation, ConcurrentConversionsWithDifferentSaturations) {
    const TestFrame in = test::RandomFrame(64, 16, 3, 99);
    const int saturations[2] = {-200, 150};
    TestFrame expected[2] = {in, in};
    for (int i = 0; i < 2; ++i) expected[i] = Expected(in, 2, Reference(30, saturations[i]));

    std::atomic<bool> mismatch{false};
    std::atomic<bool> stop{false};
    auto camera = [&](int i) {
        for (int round = 0; round < 60; ++round) {
            TestFrame frame = in;
            HueSaturationParams params{30, 0, saturations[i], 12};
            kHueSaturationKernels[2](frame.bytes.data(), frame.bytes.data(), frame.Whole(), 0, 0, 3, 3, frame.stride,
                            frame.stride, &params, 0);
            if (!(frame == expected[i])) mismatch = true;
        }
    };
    std::thread switching([&] {
        for (int s = -255; !stop; s = s == 255 ? -255 : s + 1) {
            TestFrame frame = in;
            HueSaturationParams params{30, 0, s, 12};
            kHueSaturationKernels[2](frame.bytes.data(), frame.bytes.data(), frame.Whole(), 0, 0, 3, 3, frame.stride,
                            frame.stride, &params, 0);
        }
    });
    std::thread first(camera, 0), second(camera, 1);
    first.join();
    second.join();
    stop = true;
    switching.join();
    EXPECT_FALSE(mismatch);
}

}  // namespace
}  // namespace kvx
