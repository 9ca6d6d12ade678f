// Gray gains and offsets per Bayer site, and the one-shot balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "imaging/tone/gray_gain.h"
#include "tone_test_frames.h"

namespace kvx {
namespace {

using test::TestFrame;

// Site of memory pixel (x, y): the phase gives the start states.
//   row state 0: G1 R     row state 1: B G2
void SiteRule(const GrayGainParams& p, int x, int y, int* gain, int* offset) {
    const int rowState = (p.phase & 1) ^ (y & 1);
    const int columnState = ((p.phase >> 1) & 1) ^ (x & 1);
    if (rowState == 0 && columnState == 0) *gain = p.gainG1, *offset = p.offsetG1;
    if (rowState == 0 && columnState == 1) *gain = p.gainR, *offset = p.offsetR;
    if (rowState == 1 && columnState == 0) *gain = p.gainB, *offset = p.offsetB;
    if (rowState == 1 && columnState == 1) *gain = p.gainG2, *offset = p.offsetG2;
}

TestFrame Expected(const TestFrame& in, const GrayGainParams& p, bool words) {
    TestFrame out = in;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            int gain = 0, offset = 0;
            SiteRule(p, x, y, &gain, &offset);
            const int v = words ? in.Word(x, y, 0) : in.Pixel(x, y)[0];
            const int r = std::clamp(offset + gain * v / 128, 0, words ? 4095 : 255);
            if (words) out.SetWord(x, y, 0, r);
            else out.Pixel(x, y)[0] = uint8_t(r);
        }
    return out;
}

TEST(ToneGrayGain, EveryPhaseMatchesTheRuleOnEveryPath) {
    const GrayGainParams settings[] = {
        {0, 200, 128, 100, 255, 20, 0, -20, -255, 0},
        {1, 0, 64, 255, 130, 255, -1, 7, 3, 0},
        {2, 129, 127, 128, 300, 0, 0, 0, 0, 0},  // a gain beyond the control's range
        {3, 256, 512, 1, 2, -300, 300, 0, 0, 0},
    };
    test::ForEachSimdLevel([&](SimdLevel level) {
        for (GrayGainParams p : settings)
            for (const auto& size : test::TestSizes())
                for (int kind = 0; kind < 3; ++kind) {
                    // bytes; words of 12 bits; words using all 16 bits
                    const bool words = kind > 0;
                    p.bitDepth = words ? 12 : 8;
                    const TestFrame in = test::RandomFrame(size.width, size.height, words ? 2 : 1,
                                                           uint32_t(size.width * 31 + p.phase), kind == 2 ? 65535 : 4095);
                    TestFrame out = in;
                    ASSERT_EQ(1, test::RunInPlace(words ? GrayGain16 : GrayGain8, out, &p));
                    ASSERT_TRUE(out == Expected(in, p, words))
                        << "phase " << p.phase << " " << size.width << "x" << size.height << " words " << words
                        << " on " << SimdLevelName(level);
                }
    });
}

TEST(ToneGrayGain, NegativeOffsetClipsAtZeroAndOnlyGainsTrigger) {
    TestFrame frame(4, 2, 1);
    std::fill(frame.bytes.begin(), frame.bytes.end(), 10);
    GrayGainParams p{0, 128, 128, 128, 128, -20, -20, -20, -20, 8};
    EXPECT_FALSE(GrayGainsActive(p));
    test::RunInPlace(GrayGain8, frame, &p);
    EXPECT_EQ(0, frame.Pixel(0, 0)[0]);
    p.gainB = 129;
    EXPECT_TRUE(GrayGainsActive(p));
}

// A mosaic whose four sites hold fixed levels, with some dead (0) and
// saturated samples that the balance must leave out.
TestFrame SiteMosaic(int w, int h, int phase, int g1, int r, int b, int g2, bool words) {
    TestFrame f(w, h, words ? 2 : 1);
    const int saturated = words ? 4095 : 255;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int rowState = (phase & 1) ^ (y & 1), columnState = ((phase >> 1) & 1) ^ (x & 1);
            int v = rowState == 0 ? (columnState == 0 ? g1 : r) : (columnState == 0 ? b : g2);
            if ((x * 7 + y * 5) % 11 == 0) v = 0;
            if ((x * 3 + y * 13) % 17 == 0) v = saturated;
            if (words) f.SetWord(x, y, 0, v);
            else f.Pixel(x, y)[0] = uint8_t(v);
        }
    return f;
}

TEST(ToneGrayGain, BalanceBringsEverySiteToTheBrightest) {
    for (bool words : {false, true}) {
        const int scale = words ? 16 : 1;
        for (int phase = 0; phase < 4; ++phase) {
            const TestFrame f = SiteMosaic(30, 20, phase, 200 * scale, 100 * scale, 160 * scale, 150 * scale, words);
            GrayGainParams p{phase, 1, 2, 3, 4, 5, 6, 7, 8, words ? 12 : 8};
            const PixelKernel balance = words ? GrayBalance16 : GrayBalance8;
            ASSERT_EQ(1, balance(nullptr, f.bytes.data(), f.Whole(), 0, 0, f.bytesPerPixel, f.bytesPerPixel,
                                 f.stride, f.stride, &p, 0));
            EXPECT_EQ(128, p.gainG1);
            EXPECT_EQ(255, p.gainR);  // 256 is beyond the control's range
            EXPECT_EQ(160, p.gainB);
            EXPECT_EQ(170, p.gainG2);  // trunc(200 / 150 * 128)
            EXPECT_EQ(5, p.offsetR);
            EXPECT_EQ(8, p.offsetB);
        }
    }
}

TEST(ToneGrayGain, BalanceWithoutUsableSamplesChangesNothing) {
    TestFrame f = SiteMosaic(10, 10, 0, 255, 100, 100, 100, false);  // G1 only saturated
    GrayGainParams p{0, 1, 2, 3, 4, 5, 6, 7, 8, 8};
    const GrayGainParams before = p;
    EXPECT_EQ(0, GrayBalance8(nullptr, f.bytes.data(), f.Whole(), 0, 0, 1, 1, f.stride, f.stride, &p, 0));
    EXPECT_EQ(0, std::memcmp(&before, &p, sizeof p));
}

}  // namespace
}  // namespace kvx
