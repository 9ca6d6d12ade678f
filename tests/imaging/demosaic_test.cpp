// The demosaic kernels against the plain rule, once per SIMD path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demosaic_reference.h"
#include "imaging/bayer.h"
#include "imaging/demosaic.h"
#include "imaging/simd_dispatch.h"
#include "imaging/white_balance.h"
#include "simd_levels.h"

namespace kvx {
namespace {

using test::Plane;
using test::Region;
using test::ScopedSimd;

template <typename T>
struct Case {
    int width, height, phase, gainRed, gainBlue, outPixelBytes;
};

// Runs the kernels the region needs into a destination pre-filled with a
// pattern, so that bytes the kernels must leave alone (fourth bytes, pixels
// outside the region or the frame) are checked too.
template <typename T>
Plane<T> RunKernels(const Plane<T>& in, int phase, int gainRed, int gainBlue, Region region, int outPixelBytes) {
    Plane<T> out(in.width + 3, in.height + 2, outPixelBytes);
    for (size_t i = 0; i < out.bytes.size(); ++i) out.bytes[i] = static_cast<uint8_t>(0xA5 ^ i);
    DemosaicParams params{phase, gainRed, 100, gainBlue};
    const KernelRect rect{0, 0, in.width, in.height};
    // Into the middle of a larger destination: (1, 1) onwards.
    uint8_t* origin = out.bytes.data();
    const bool deep = sizeof(T) == 2;
    if (region != Region::Border) {
        (deep ? DemosaicInterior16 : DemosaicInterior8)(origin, in.bytes.data(), rect, 1, 1, outPixelBytes,
                                                        sizeof(T), out.stride, in.stride, &params, 0);
    }
    if (region != Region::Interior) {
        (deep ? DemosaicBorder16 : DemosaicBorder8)(origin, in.bytes.data(), rect, 1, 1, outPixelBytes, sizeof(T),
                                                    out.stride, in.stride, &params, 0);
    }
    return out;
}

template <typename T>
Plane<T> RunReference(const Plane<T>& in, int phase, int gainRed, int gainBlue, Region region, int outPixelBytes) {
    Plane<T> out(in.width + 3, in.height + 2, outPixelBytes);
    for (size_t i = 0; i < out.bytes.size(); ++i) out.bytes[i] = static_cast<uint8_t>(0xA5 ^ i);
    // The same placement as RunKernels: a view starting at pixel (1, 1).
    Plane<T> view;
    view.width = in.width;
    view.height = in.height;
    view.stride = out.stride;
    view.bytes.assign(out.bytes.begin() + out.stride + outPixelBytes, out.bytes.end());
    test::ReferenceDemosaic(in, phase, gainRed, gainBlue, region, view, outPixelBytes);
    std::copy(view.bytes.begin(), view.bytes.end(), out.bytes.begin() + out.stride + outPixelBytes);
    return out;
}

template <typename T>
void ExpectMatchesReference(int width, int height, uint32_t maxValue) {
    uint32_t seed = static_cast<uint32_t>(width * 7919 + height);
    const int baseBytes = static_cast<int>(sizeof(T)) * 3;
    for (SimdLevel level : test::SupportedSimdLevels()) {
        ScopedSimd simd(level);
        for (int phase = 0; phase < 4; ++phase) {
            for (int outPixelBytes : {baseBytes, baseBytes + static_cast<int>(sizeof(T))}) {
                for (Region region : {Region::Interior, Region::Border, Region::All}) {
                    const Plane<T> in = test::RandomMosaic<T>(width, height, ++seed, maxValue);
                    const int gainRed = static_cast<int>(seed % 401), gainBlue = static_cast<int>((seed * 13) % 401);
                    const Plane<T> got = RunKernels(in, phase, gainRed, gainBlue, region, outPixelBytes);
                    const Plane<T> want = RunReference(in, phase, gainRed, gainBlue, region, outPixelBytes);
                    ASSERT_EQ(got.bytes, want.bytes)
                        << SimdLevelName(level) << " " << width << "x" << height << " phase " << phase << " bpp "
                        << outPixelBytes << " region " << static_cast<int>(region) << " gains " << gainRed << "/"
                        << gainBlue;
                }
            }
        }
    }
}

TEST(DemosaicKernels, EightBitMatchesTheRuleOnOddAndEvenSizes) {
    // The widest rows take the vector paths several passes.
    for (auto [w, h] : {std::pair{4, 4}, {5, 5}, {6, 7}, {36, 9}, {67, 35}, {107, 6}, {130, 11}, {200, 8}, {1100, 4},
                        {2051, 5}}) {
        ExpectMatchesReference<uint8_t>(w, h, 255);
    }
}

TEST(DemosaicKernels, SixteenBitMatchesTheRuleOnOddAndEvenSizes) {
    for (auto [w, h] : {std::pair{4, 4}, {5, 5}, {6, 7}, {36, 9}, {67, 35}, {107, 6}, {130, 11}, {200, 8}, {1100, 4}}) {
        ExpectMatchesReference<uint16_t>(w, h, 4095);
    }
}

// Samples beyond 12 bits do not fit the vector paths' 16-bit sums; those
// rows must still come out as the rule says.
TEST(DemosaicKernels, SixteenBitRowsWithWideSamplesStillMatch) {
    ExpectMatchesReference<uint16_t>(100, 9, 65535);
    ExpectMatchesReference<uint16_t>(71, 8, 5000);
}

TEST(DemosaicKernels, SaturatedEightBitFrameClipsEverywhere) {
    for (SimdLevel level : test::SupportedSimdLevels()) {
        ScopedSimd simd(level);
        Plane<uint8_t> in(70, 10, 1);
        std::fill(in.bytes.begin(), in.bytes.end(), 255);
        const Plane<uint8_t> got = RunKernels(in, 2, 400, 400, Region::All, 3);
        for (int y = 1; y <= 10; ++y) {
            for (int x = 1; x <= 70; ++x) {
                for (int c = 0; c < 3; ++c) ASSERT_EQ(got.Row(y)[3 * x + c], 255) << x << "," << y;
            }
        }
    }
}

// A flat mosaic of one colour demosaics to that colour everywhere, the
// border bands included, also when the last band starts on an odd row.
TEST(DemosaicKernels, FlatColourSceneKeepsItsColourUpToTheEdges) {
    for (SimdLevel level : test::SupportedSimdLevels()) {
        ScopedSimd simd(level);
        for (int phase = 0; phase < 4; ++phase) {
            for (auto [w, h] : {std::pair{64, 35}, {66, 36}, {40, 1535 % 64 + 64}}) {
                Plane<uint8_t> in(w, h, 1);
                const uint8_t colour[3] = {50, 100, 200};  // B, G, R
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        const int site = test::SiteOf(phase, x, y);
                        in.Row(y)[x] = colour[site == 0 ? 1 : (site == 1 ? 0 : 2)];
                    }
                }
                const Plane<uint8_t> got = RunKernels(in, phase, 100, 100, Region::All, 4);
                for (int y = 1; y <= h; ++y) {
                    for (int x = 1; x <= w; ++x) {
                        const uint8_t* p = &got.Row(y)[4 * x];
                        ASSERT_EQ(p[0], 50) << SimdLevelName(level) << " phase " << phase << " " << x << "," << y;
                        ASSERT_EQ(p[1], 100);
                        ASSERT_EQ(p[2], 200);
                    }
                }
            }
        }
    }
}

TEST(DemosaicKernels, FlatGrayHundredStaysHundredWithUnityGains) {
    Plane<uint8_t> in(20, 12, 1);
    std::fill(in.bytes.begin(), in.bytes.end(), 100);
    const Plane<uint8_t> got = RunKernels(in, 0, 100, 100, Region::All, 3);
    for (int y = 1; y <= 12; ++y) {
        for (int x = 1; x <= 20; ++x) {
            for (int c = 0; c < 3; ++c) ASSERT_EQ(got.Row(y)[3 * x + c], 100);
        }
    }
}

// 80 x 16 x 512 = 655360 >= 0x80000.
TEST(DemosaicKernels, GainFourHundredOnRedEightyClips) {
    Plane<uint8_t> in(8, 8, 1);
    std::fill(in.bytes.begin(), in.bytes.end(), 80);
    const Plane<uint8_t> got = RunKernels(in, 0, 400, 100, Region::All, 3);
    EXPECT_EQ(got.Row(4)[3 * 4 + 2], 255);
    EXPECT_EQ(got.Row(4)[3 * 4 + 0], 80);
    EXPECT_EQ(DemosaicFixedGain(100), 128);
    EXPECT_EQ(DemosaicFixedGain(400), 512);
}

// Out-of-range gains from a damaged settings block must neither wrap the
// output nor overflow the products.
TEST(DemosaicKernels, GainsOutsideTheControlRangeAreHeld) {
    EXPECT_EQ(DemosaicFixedGain(-50), 0);
    EXPECT_EQ(DemosaicFixedGain(100000), 512);
    Plane<uint16_t> in = test::RandomMosaic<uint16_t>(40, 8, 3, 4095);
    const Plane<uint16_t> got = RunKernels(in, 1, 100000, -7, Region::All, 6);
    const Plane<uint16_t> want = RunReference(in, 1, 400, 0, Region::All, 6);
    EXPECT_EQ(got.bytes, want.bytes);
}

TEST(DemosaicKernels, TinyFramesStayInsideTheirMemory) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {3, 2}, {2, 5}, {3, 3}}) {
        Plane<uint8_t> in = test::RandomMosaic<uint8_t>(w, h, 9, 255);
        std::vector<uint8_t> exact(static_cast<size_t>(w) * h * 3);
        DemosaicParams params{0, 100, 100, 100};
        DemosaicBorder8(exact.data(), in.bytes.data(), KernelRect{0, 0, w, h}, 0, 0, 3, 1, w * 3, in.stride, &params,
                        0);
        DemosaicInterior8(exact.data(), in.bytes.data(), KernelRect{0, 0, w, h}, 0, 0, 3, 1, w * 3, in.stride,
                          &params, 0);
    }
}

TEST(BayerPhase, MirroringMovesThePattern) {
    EXPECT_EQ(EffectivePhase(0, true, false), 1);
    EXPECT_EQ(EffectivePhase(0, true, true), 3);
    EXPECT_EQ(EffectivePhase(2, false, true), 0);
    EXPECT_EQ(EffectivePhase(3, true, false), 2);
    // The site table: phase 0 is G B / R G.
    EXPECT_EQ(SiteColorAt(0, 0, 0), SiteColor::Green);
    EXPECT_EQ(SiteColorAt(0, 1, 0), SiteColor::Blue);
    EXPECT_EQ(SiteColorAt(0, 0, 1), SiteColor::Red);
    EXPECT_EQ(SiteColorAt(3, 1, 0), SiteColor::Red);
}

TEST(WhiteBalance, GrayCardGivesUnityAndColourCastIsCorrected) {
    Plane<uint8_t> gray(16, 8, 1);
    std::fill(gray.bytes.begin(), gray.bytes.end(), 120);
    WhiteBalanceResult result{0, 0, 0, 0};
    ASSERT_EQ(WhiteBalance8(nullptr, gray.bytes.data(), KernelRect{0, 0, 16, 8}, 0, 0, 0, 1, 0, gray.stride, &result, 0), 1);
    EXPECT_EQ(result.gainRed, 100);
    EXPECT_EQ(result.gainGreen, 100);
    EXPECT_EQ(result.gainBlue, 100);

    // Red at half of green, blue at green: red needs about twice the gain.
    for (int phase = 0; phase < 4; ++phase) {
        Plane<uint16_t> cast(16, 8, 2);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int site = test::SiteOf(phase, x, y);
                cast.Row(y)[x] = static_cast<uint16_t>(site == 2 ? 1000 : 2000);
            }
        }
        WhiteBalanceResult r{0, 0, 0, phase};
        ASSERT_EQ(WhiteBalance16(nullptr, cast.bytes.data(), KernelRect{0, 0, 16, 8}, 0, 0, 0, 2, 0, cast.stride, &r, 0), 1);
        // S = 5000: red ((5000/1000)/3*100) / ((5000/2000)/3) = 200.
        EXPECT_EQ(r.gainRed, 200) << phase;
        EXPECT_EQ(r.gainBlue, 100) << phase;
    }
}

// A black frame (or one with a colour missing) has no ratio: the gains the
// caller put in stay instead of a division by zero becoming a gain.
TEST(WhiteBalance, BlackFrameLeavesTheGains) {
    Plane<uint8_t> black(16, 8, 1);
    WhiteBalanceResult result{77, 100, 88, 0};
    EXPECT_EQ(WhiteBalance8(nullptr, black.bytes.data(), KernelRect{0, 0, 16, 8}, 0, 0, 0, 1, 0, black.stride, &result, 0), 0);
    EXPECT_EQ(result.gainBlue, 77);
    EXPECT_EQ(result.gainRed, 88);
    EXPECT_EQ(WhiteBalanceGain(100, 1, 100, 1), 400);  // held to the gains' range
}

}  // namespace
}  // namespace kvx
