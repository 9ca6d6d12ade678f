// Gamma, contrast and brightness against the per-sample rules, on every
// instruction set, every colour-mode group, odd and even sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "tone_test_frames.h"

namespace kvx {
namespace {

using test::TestFrame;

// Results pass through volatile variables so that a 32-bit x87 build rounds
// them to their stated precision, as the rules require.
int Trunc(double v, int maxValue) { return v <= 0 ? 0 : (v >= maxValue ? maxValue : int(v)); }
double Rounded(double v) {
    volatile double r = v;
    return r;
}

// The rules, one sample at a time. `mode` is the colour mode 0..5.
int GammaRule(int v, int g, int mode) {
    double e = g > 100 ? (g - 100) / 10.0 + 1 : g / 100.0;
    if (mode == 0) return Trunc(Rounded(std::pow(Rounded(v / 255.0), e) * 255), 255);
    if (mode == 2 || mode == 3) {
        e = std::min(std::max(e, 0.001), 99.999);
        return Trunc(Rounded(std::pow(Rounded(v / 255.0), e) * 255), 255);
    }
    return Trunc(Rounded(std::pow(Rounded(std::min(v, 4095) / 4096.0), e) * 4095), 4095);
}

int ContrastRule(int v, int c, int mode) {
    if (mode == 0 || mode == 2 || mode == 3) {
        if (v < c) return 0;
        if (v > 255 - c) return 255;
        return int(Rounded(Rounded(256.0 / (256 - 2 * c)) * (v - c)));
    }
    const int t = c * 16;
    if (v >= 4096 || v > 4095 - t) return 4095;
    if (v < t) return 0;
    return int(Rounded(Rounded(4096.0 / (4096 - 2 * t)) * (v - t)));
}

int BrightnessRule(int v, int b, int mode) {
    volatile float step = b < 0 ? float(-b) * (1.0f / 255.0f) : float(b) * (10.0f / 255.0f);
    volatile float f = b < 0 ? 1.0f - step : 1.0f + step;
    volatile float product = float(v) * f;
    return Trunc(product, (mode == 1 || mode >= 4) ? 4095 : 255);
}

struct Step {
    const char* name;
    const PixelKernel* kernels;
    std::function<int(int, int, int)> rule;
    std::vector<int> values;
};

const int kBytesPerPixel[6] = {1, 2, 3, 4, 6, 8};

TestFrame Expected(const TestFrame& in, int mode, int value, const std::function<int(int, int, int)>& rule) {
    TestFrame out = in;
    const bool words = mode == 1 || mode >= 4;
    const int channels = (mode <= 1) ? 1 : 3;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < channels; ++c) {
                if (words) out.SetWord(x, y, c, rule(in.Word(x, y, c), value, mode));
                else out.Pixel(x, y)[c] = uint8_t(rule(in.Pixel(x, y)[c], value, mode));
            }
    return out;
}

std::vector<Step> Steps() {
    return {{"gamma", kGammaKernels.data(), GammaRule, {0, 1, 37, 50, 99, 105, 150, 200}},
            {"contrast", kContrastKernels.data(), ContrastRule, {-127, -40, -1, 1, 64, 126, 127}},
            {"brightness", kBrightnessKernels.data(), BrightnessRule, {-255, -254, -100, -1, 1, 77, 255}}};
}

TEST(ToneLookup, EveryModeMatchesTheRuleOnEveryPath) {
    for (const Step& step : Steps()) {
        test::ForEachSimdLevel([&](SimdLevel level) {
            for (int mode = 0; mode < 6; ++mode)
                for (const auto& size : test::TestSizes())
                    for (int value : step.values) {
                        // Words up to 5000 include samples beyond the 12-bit depth.
                        const TestFrame in = test::RandomFrame(size.width, size.height, kBytesPerPixel[mode],
                                                               uint32_t(mode * 1000 + value + 300), 5000);
                        TestFrame out = in;
                        ToneParams params{value, 12};
                        ASSERT_EQ(1, test::RunInPlace(step.kernels[mode], out, &params));
                        ASSERT_TRUE(out == Expected(in, mode, value, step.rule))
                            << step.name << " " << value << " mode " << mode << " " << size.width << "x"
                            << size.height << " on " << SimdLevelName(level);
                    }
        });
    }
}

TEST(ToneLookup, GammaExponents) {
    EXPECT_EQ(0.0, GammaExponent(0));
    EXPECT_EQ(0.5, GammaExponent(50));
    EXPECT_EQ(1.0, GammaExponent(100));
    EXPECT_EQ(1.5, GammaExponent(105));
    EXPECT_EQ(11.0, GammaExponent(200));
}

TEST(ToneLookup, GammaZeroWhitensGrayButKeepsColourBlack) {
    TestFrame gray(9, 3, 1);
    ToneParams params{0, 12};
    test::RunInPlace(kGammaKernels[0], gray, &params);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(255, gray.Pixel(x, y)[0]);

    TestFrame colour(9, 3, 3);
    test::RunInPlace(kGammaKernels[2], colour, &params);
    for (uint8_t b : colour.bytes) EXPECT_EQ(0, b);
}

TEST(ToneLookup, ContrastExtremes) {
    TestFrame ramp(256, 1, 1);
    for (int i = 0; i < 256; ++i) ramp.Pixel(i, 0)[0] = uint8_t(i);
    TestFrame stretched = ramp, squeezed = ramp;
    ToneParams hard{127, 12}, soft{-127, 12};
    test::RunInPlace(kContrastKernels[0], stretched, &hard);
    test::RunInPlace(kContrastKernels[0], squeezed, &soft);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(i < 128 ? 0 : (i == 128 ? 128 : 255), stretched.Pixel(i, 0)[0]) << i;
    EXPECT_EQ(63, squeezed.Pixel(0, 0)[0]);
    EXPECT_EQ(191, squeezed.Pixel(255, 0)[0]);
}

TEST(ToneLookup, BrightnessMinimumIsBlackAndFourthChannelsStay) {
    TestFrame frame = test::RandomFrame(13, 5, 4, 7);
    const TestFrame before = frame;
    ToneParams params{-255, 12};
    test::RunInPlace(kBrightnessKernels[2], frame, &params);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) {
            for (int c = 0; c < 3; ++c) EXPECT_EQ(0, frame.Pixel(x, y)[c]);
            EXPECT_EQ(before.Pixel(x, y)[3], frame.Pixel(x, y)[3]);
        }

    TestFrame deep = test::RandomFrame(13, 5, 8, 8);
    const TestFrame deepBefore = deep;
    params.value = 255;
    test::RunInPlace(kBrightnessKernels[4], deep, &params);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) EXPECT_EQ(deepBefore.Word(x, y, 3), deep.Word(x, y, 3));
}

TEST(ToneLookup, KernelsWriteAtTheDestinationPosition) {
    // A 3x2 block from (2, 1) of the source lands at (4, 3) of another bitmap.
    TestFrame src = test::RandomFrame(8, 4, 1, 3), dst(10, 6, 1);
    ToneParams params{50, 12};
    ASSERT_EQ(1, kGammaKernels[0](dst.bytes.data(), src.bytes.data(), KernelRect{2, 1, 5, 3}, 4, 3, 1, 1, dst.stride,
                            src.stride, &params, 0));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 3 && y < 5;
            const int expected = inside ? GammaRule(src.Pixel(x - 2, y - 2)[0], 50, 0) : 0;
            EXPECT_EQ(expected, dst.Pixel(x, y)[0]) << x << "," << y;
        }
}

}  // namespace
}  // namespace kvx
