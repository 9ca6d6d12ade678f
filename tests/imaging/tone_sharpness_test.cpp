// The unsharp mask against its two-pass table rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imaging/tone/sharpness.h"
#include "tone_test_frames.h"

namespace kvx {
namespace {

using test::TestFrame;

// Blur written into the destination first, then the table pass over it,
// as the rule is stated.
TestFrame Reference(const TestFrame& src, const TestFrame& dstBefore, int s, bool words, int channels) {
    const int half = words ? 4095 : 255;
    std::vector<int> table(2 * half + 1);
    for (int k = 0; k <= 2 * half; ++k) table[k] = (k - half) * s / 10;
    TestFrame dst = dstBefore;
    auto get = [&](const TestFrame& f, int x, int y, int c) { return words ? f.Word(x, y, c) : f.Pixel(x, y)[c]; };
    auto set = [&](TestFrame& f, int x, int y, int c, int v) {
        if (words) f.SetWord(x, y, c, v);
        else f.Pixel(x, y)[c] = uint8_t(v);
    };
    const int w = src.width, h = src.height;
    for (int y = 2; y <= h - 3; ++y)
        for (int x = 2; x <= w - 3; ++x)
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (int yy = y - 2; yy <= y + 1; ++yy)
                    for (int xx = x - 2; xx <= x + 1; ++xx) sum += get(src, xx, yy, c);
                set(dst, x, y, c, sum >> 4);
            }
    for (int y = 2; y <= h - 3; ++y)
        for (int x = 2; x <= w - 3; ++x)
            for (int c = 0; c < channels; ++c) {
                const int orig = get(src, x, y, c), blur = get(dst, x, y, c);
                set(dst, x, y, c, std::clamp(orig + table[orig - blur + half], 0, half));
            }
    return dst;
}

struct Group {
    int mode;
    int bytesPerPixel;
    bool words;
    int channels;
};
const Group kGroups[] = {{0, 1, false, 1}, {1, 2, true, 1}, {2, 3, false, 3},
                         {3, 4, false, 3}, {4, 6, true, 3}, {5, 8, true, 3}};

TEST(ToneSharpness, MatchesTheTableRuleOnEveryPath) {
    test::ForEachSimdLevel([&](SimdLevel level) {
        for (const Group& g : kGroups)
            for (const auto& size : test::TestSizes())
                for (int s : {-30, -7, 1, 7, 15, 30}) {
                    for (int content = 0; content < 2; ++content) {
                        const uint32_t seed = uint32_t(g.mode * 97 + s + size.width);
                        const TestFrame src =
                            content == 0 ? test::RandomFrame(size.width, size.height, g.bytesPerPixel, seed)
                                         : test::StructuredFrame(size.width, size.height, g.bytesPerPixel,
                                                                 g.words ? 4095 : 255);
                        // The destination starts as a different image, so a kernel that
                        // reads it or writes the border shows.
                        TestFrame dst = test::RandomFrame(size.width, size.height, g.bytesPerPixel, seed + 1);
                        const TestFrame expected = Reference(src, dst, s, g.words, g.channels);
                        ToneParams params{s, 12};
                        ASSERT_EQ(1, kSharpnessKernels[g.mode](dst.bytes.data(), src.bytes.data(), src.Whole(), 0, 0,
                                                               g.bytesPerPixel, g.bytesPerPixel, dst.stride,
                                                               src.stride, &params, 0));
                        ASSERT_TRUE(dst == expected) << "mode " << g.mode << " s " << s << " " << size.width << "x"
                                                     << size.height << " content " << content << " on "
                                                     << SimdLevelName(level);
                    }
                }
    });
}

TEST(ToneSharpness, FlatImageIsUnchanged) {
    test::ForEachSimdLevel([&](SimdLevel) {
        for (const Group& g : kGroups) {
            TestFrame src(41, 9, g.bytesPerPixel);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 41; ++x)
                    for (int c = 0; c < g.channels; ++c) {
                        if (g.words) src.SetWord(x, y, c, 3000);
                        else src.Pixel(x, y)[c] = 200;
                    }
            TestFrame dst = src;
            ToneParams params{30, 12};
            kSharpnessKernels[g.mode](dst.bytes.data(), src.bytes.data(), src.Whole(), 0, 0, g.bytesPerPixel,
                                      g.bytesPerPixel, dst.stride, src.stride, &params, 0);
            EXPECT_TRUE(dst == src) << "mode " << g.mode;
        }
    });
}

TEST(ToneSharpness, SamplesBeyondTheDepthStayInRange) {
    // Words far above 12 bits would index past a 12-bit table; the result
    // must still be clipped to the depth.
    TestFrame src = test::RandomFrame(23, 9, 2, 5, 65535);
    TestFrame dst = src;
    ToneParams params{30, 12};
    kSharpnessKernels[1](dst.bytes.data(), src.bytes.data(), src.Whole(), 0, 0, 2, 2, dst.stride, src.stride, &params,
                         0);
    for (int y = 2; y < 7; ++y)
        for (int x = 2; x < 21; ++x) EXPECT_LE(dst.Word(x, y, 0), 4095);
}

TEST(ToneSharpness, RowsWithWordsBeyondTheDepthAgreeOnEveryPath) {
    // The vector workers refuse rows holding such words; the result must not
    // depend on which worker ran.
    for (int bpp : {2, 6, 8}) {
        TestFrame src = test::StructuredFrame(301, 12, bpp, 4095);
        src.SetWord(150, 3, 0, 40000);
        src.SetWord(7, 9, bpp == 2 ? 0 : 2, 4096);
        TestFrame scalar(301, 12, bpp);
        ToneParams params{25, 12};
        const PixelKernel kernel = bpp == 2 ? kSharpnessKernels[1] : kSharpnessKernels[4];
        {
            test::ScopedSimd scalarOnly(SimdLevel::Scalar);
            kernel(scalar.bytes.data(), src.bytes.data(), src.Whole(), 0, 0, bpp, bpp, scalar.stride, src.stride,
                   &params, 0);
        }
        test::ForEachSimdLevel([&](SimdLevel level) {
            TestFrame dst(301, 12, bpp);
            kernel(dst.bytes.data(), src.bytes.data(), src.Whole(), 0, 0, bpp, bpp, dst.stride, src.stride, &params, 0);
            EXPECT_TRUE(dst == scalar) << "bpp " << bpp << " on " << SimdLevelName(level);
        });
    }
}

}  // namespace
}  // namespace kvx
