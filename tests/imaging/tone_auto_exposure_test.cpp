// Automatic exposure: regions, their means, the factor and the new settings.
#include <gtest/gtest.h>

#include "imaging/tone/auto_exposure.h"
#include "tone_test_frames.h"

namespace kvx {
namespace {

using test::TestFrame;
using Means = std::array<int, kAutoExposureRegionCount>;

TEST(ToneAutoExposure, RegionsOfAFullFrame) {
    const auto regions = AutoExposureRegions(2048, 1536);
    EXPECT_EQ(204, regions[0].left);
    EXPECT_EQ(153, regions[0].top);
    EXPECT_EQ(409, regions[0].right);
    EXPECT_EQ(307, regions[0].bottom);
    EXPECT_EQ(921, regions[2].left);   // 0.45 * 2048 = 921.6
    EXPECT_EQ(1126, regions[2].right);  // 0.55 * 2048 = 1126.4
    EXPECT_EQ(1228, regions[1].top);    // 0.8 * 1536 = 1228.8
    // RunKernel counts rows from the last row in memory.
    const KernelRect rows = ToMemoryRows(regions[0], 1536);
    EXPECT_EQ(1536 - 307, rows.top);
    EXPECT_EQ(1536 - 153, rows.bottom);
}

TEST(ToneAutoExposure, FactorAccumulatesInRegionOrder) {
    EXPECT_DOUBLE_EQ(0.25, AutoExposureFactor(Means{255, 255, 255, 255, 255}));
    EXPECT_EQ(0.6000000000000001, AutoExposureFactor(Means{170, 180, 190, 200, 120}));
    EXPECT_EQ(1.2000000000000002, AutoExposureFactor(Means{60, 60, 60, 60, 120}));
    EXPECT_EQ(1.1, AutoExposureFactor(Means{30, 120, 120, 120, 120}));  // below 50: +0.1, not +0.05
    EXPECT_EQ(1.0, AutoExposureFactor(Means{100, 160, 120, 150, 140}));
}

TEST(ToneAutoExposure, DeadBandAndExposurePath) {
    EXPECT_FALSE(AutoExposureNeedsChange(0.6000000000000001));
    EXPECT_TRUE(AutoExposureNeedsChange(1.2000000000000002));
    EXPECT_TRUE(AutoExposureNeedsChange(0.6));

    // Five subtractions of 0.15 leave k a hair below 0.25, so a quarter
    // of 1000 lines truncates to 249.
    const double quarter = AutoExposureFactor(Means{255, 255, 255, 255, 255});
    EXPECT_EQ(249, AutoExposureLines(1000, quarter, 4000));
    EXPECT_EQ(1024, AutoExposureLines(4097, quarter, 4000));
    EXPECT_EQ(1200, AutoExposureLines(1000, 1.2000000000000002, 4000));
    EXPECT_EQ(1, AutoExposureLines(3, 0.25, 4000));      // 0 becomes 1
    EXPECT_EQ(4000, AutoExposureLines(3900, 1.3, 4000));  // capped at the device's maximum
    // Beyond the 16-bit register the value saturates instead of wrapping to a short exposure.
    EXPECT_EQ(65535, AutoExposureLines(60000, 1.3, 100000));
}

TEST(ToneAutoExposure, GainPath) {
    EXPECT_EQ(4, AutoExposureGain(0, 1.2000000000000002, 63));  // a gain below 4 is scaled as 4
    EXPECT_EQ(5, AutoExposureGain(2, 1.3, 63));
    EXPECT_EQ(1, AutoExposureGain(0, 0.25, 63));    // trunc(4 * 0.25)
    EXPECT_EQ(63, AutoExposureGain(60, 1.3, 63));
    EXPECT_EQ(10, AutoExposureGain(40, 0.25, 63));
}

TEST(ToneAutoExposure, RegionMeansOnAnEightBitScale) {
    TestFrame bytes(16, 8, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) bytes.Pixel(x, y)[0] = uint8_t(y < 4 ? 10 : 31);
    EXPECT_EQ(20, RegionMean8(nullptr, bytes.bytes.data(), bytes.Whole(), 0, 0, 1, 1, bytes.stride, bytes.stride,
                              nullptr, 0));  // (10 + 31) / 2 truncated
    EXPECT_EQ(31, RegionMean8(nullptr, bytes.bytes.data(), KernelRect{3, 4, 9, 8}, 0, 0, 1, 1, bytes.stride,
                              bytes.stride, nullptr, 0));

    // A mid-gray 12-bit frame reads as mid-gray, and saturated words as 255.
    TestFrame words(16, 8, 2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) words.SetWord(x, y, 0, y < 4 ? 2048 : 4095);
    EXPECT_EQ(128, RegionMean16(nullptr, words.bytes.data(), KernelRect{0, 0, 16, 4}, 0, 0, 2, 2, words.stride,
                                words.stride, nullptr, 12));
    EXPECT_EQ(255, RegionMean16(nullptr, words.bytes.data(), KernelRect{0, 4, 16, 8}, 0, 0, 2, 2, words.stride,
                                words.stride, nullptr, 0));
}

}  // namespace
}  // namespace kvx
