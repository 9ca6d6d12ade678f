// The small kernels: packed-row expansion, display reductions, luminance,
// nearest-neighbour scaling and the export copies.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "demosaic_reference.h"
#include "imaging/display_reduction.h"
#include "imaging/export_kernels.h"
#include "imaging/nearest_scaling.h"
#include "imaging/packed_rows.h"

namespace kvx {
namespace {

using test::Plane;

uint16_t Word(const uint8_t* p, int index) {
    uint16_t v;
    std::memcpy(&v, p + 2 * index, 2);
    return v;
}

void SetWord(uint8_t* p, int index, uint16_t v) { std::memcpy(p + 2 * index, &v, 2); }

TEST(PackedRows, SpreadToThePaddedStrideInPlace) {
    for (int sampleBytes : {1, 2}) {
        const int w = 641, h = 5;  // 641 is not a multiple of 4
        Plane<uint8_t> bitmap(w, h, sampleBytes);
        const int packed = w * sampleBytes;
        ASSERT_GT(bitmap.stride, packed);
        for (int i = 0; i < packed * h; ++i) bitmap.bytes[i] = static_cast<uint8_t>(i * 31 + 7);
        const KernelRect rect{0, 0, w, h};
        (sampleBytes == 1 ? ExpandPackedRows8 : ExpandPackedRows16)(bitmap.bytes.data(), bitmap.bytes.data(), rect, 0, 0,
                                                                   sampleBytes, sampleBytes, bitmap.stride,
                                                                   bitmap.stride, nullptr, 0);
        for (int y = 0; y < h; ++y) {
            for (int i = 0; i < packed; ++i) {
                ASSERT_EQ(bitmap.Row(y)[i], static_cast<uint8_t>((y * packed + i) * 31 + 7)) << y << " " << i;
            }
        }
    }
}

TEST(DisplayReduction, KeepBitsFourToEleven) {
    Plane<uint8_t> gray16(3, 2, 2), gray8(3, 2, 1);
    SetWord(gray16.Row(0), 0, 0x0FFF);
    SetWord(gray16.Row(0), 1, 0x0123);
    SetWord(gray16.Row(1), 2, 0xF00F);  // high bits beyond 12 are dropped
    ReduceGray16To8(gray8.bytes.data(), gray16.bytes.data(), KernelRect{0, 0, 3, 2}, 0, 0, 1, 2, gray8.stride,
                    gray16.stride, nullptr, 0);
    EXPECT_EQ(gray8.Row(0)[0], 0xFF);
    EXPECT_EQ(gray8.Row(0)[1], 0x12);
    EXPECT_EQ(gray8.Row(1)[2], 0x00);

    for (int sourceBytes : {6, 8}) {
        Plane<uint8_t> deep(2, 1, sourceBytes), out(2, 1, 3);
        for (int c = 0; c < sourceBytes / 2; ++c) SetWord(deep.Row(0), c, static_cast<uint16_t>(0x100 * (c + 1) + 0x10));
        ReduceColor48To24(out.bytes.data(), deep.bytes.data(), KernelRect{0, 0, 1, 1}, 1, 0, 3, sourceBytes, out.stride,
                          deep.stride, nullptr, 0);
        EXPECT_EQ(out.Row(0)[3], 0x11);
        EXPECT_EQ(out.Row(0)[4], 0x21);
        EXPECT_EQ(out.Row(0)[5], 0x31);
        EXPECT_EQ(out.Row(0)[0], 0);  // pixel 0 untouched
    }

    Plane<uint8_t> wide(1, 1, 4), narrow(1, 1, 3);
    const uint8_t bgra[4] = {1, 2, 3, 4};
    std::memcpy(wide.Row(0), bgra, 4);
    ReduceColor32To24(narrow.bytes.data(), wide.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 3, 4, narrow.stride,
                      wide.stride, nullptr, 0);
    EXPECT_EQ(std::vector<uint8_t>(narrow.Row(0), narrow.Row(0) + 3), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(Luminance, WeightsFiftyNineThirtyEleven) {
    Plane<uint8_t> colour(2, 1, 3), gray(2, 1, 1);
    const uint8_t pixels[6] = {255, 255, 255, 10, 200, 100};  // B, G, R
    std::memcpy(colour.Row(0), pixels, 6);
    Luminance24To8(gray.bytes.data(), colour.bytes.data(), KernelRect{0, 0, 2, 1}, 0, 0, 1, 3, gray.stride,
                   colour.stride, nullptr, 0);
    EXPECT_EQ(gray.Row(0)[0], 255);
    EXPECT_EQ(gray.Row(0)[1], (59 * 200 + 30 * 100 + 11 * 10) / 100);
}

TEST(NearestScaling, HalvesAndFlipsVertically) {
    Plane<uint8_t> src(4, 4, 1), dst(2, 2, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.Row(y)[x] = static_cast<uint8_t>(10 * y + x);
    ScaleNearest8(dst.bytes.data(), src.bytes.data(), KernelRect{0, 0, 2, 2}, KernelRect{0, 0, 4, 4}, 2, 2, 4, 4, 1, 1,
                  dst.stride, src.stride, nullptr, 0);
    // Row i reads source row 3 - trunc(2 i); column j reads trunc(2 j).
    EXPECT_EQ(dst.Row(0)[0], 30);
    EXPECT_EQ(dst.Row(0)[1], 32);
    EXPECT_EQ(dst.Row(1)[0], 10);
    EXPECT_EQ(dst.Row(1)[1], 12);
}

TEST(NearestScaling, EnlargesTwentyFourBitAndStaysInsideBothBitmaps) {
    Plane<uint8_t> src(3, 2, 3), dst(7, 5, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x) src.Row(y)[x] = static_cast<uint8_t>(100 * y + x);
    // A destination rectangle larger than the bitmap is held inside it.
    ScaleNearest24(dst.bytes.data(), src.bytes.data(), KernelRect{0, 0, 9, 9}, KernelRect{0, 0, 3, 2}, 7, 5, 3, 2, 3,
                   3, dst.stride, src.stride, nullptr, 0);
    for (int i = 0; i < 5; ++i) {
        const int u = static_cast<int>(static_cast<float>(2) / 5 * i);
        for (int j = 0; j < 7; ++j) {
            const int v = static_cast<int>(static_cast<float>(3) / 7 * j);
            for (int c = 0; c < 3; ++c) ASSERT_EQ(dst.Row(i)[3 * j + c], src.Row(1 - u)[3 * v + c]);
        }
    }
}

TEST(ExportKernels, FlippedNarrowingCopies) {
    Plane<uint8_t> src(2, 2, 2), dst(2, 2, 1);
    SetWord(src.Row(0), 0, 0x3FF);
    SetWord(src.Row(1), 0, 0xABC);
    ExportGray16To8Bits10(dst.bytes.data(), src.bytes.data(), KernelRect{0, 0, 2, 2}, 0, 0, 1, 2, dst.stride, src.stride,
                          nullptr, 0);
    EXPECT_EQ(dst.Row(0)[0], (0xABC >> 2) & 0xFF);  // rows reversed
    EXPECT_EQ(dst.Row(1)[0], 0xFF);
    ExportGray16To8Bits12(dst.bytes.data(), src.bytes.data(), KernelRect{0, 0, 2, 2}, 0, 0, 1, 2, dst.stride, src.stride,
                          nullptr, 0);
    EXPECT_EQ(dst.Row(0)[0], 0xAB);

    Plane<uint8_t> deep(1, 2, 6), out24(1, 2, 3);
    for (int c = 0; c < 3; ++c) SetWord(deep.Row(1), c, static_cast<uint16_t>(0x104 * (c + 1)));
    ExportColor48To24Bits10(out24.bytes.data(), deep.bytes.data(), KernelRect{0, 0, 1, 2}, 0, 0, 3, 6, out24.stride,
                            deep.stride, nullptr, 0);
    EXPECT_EQ(out24.Row(0)[0], (0x104 >> 2) & 0xFF);
    EXPECT_EQ(out24.Row(0)[2], (0x30C >> 2) & 0xFF);

    Plane<uint8_t> colour(1, 2, 3), copy(1, 2, 3);
    colour.Row(0)[0] = 1;
    colour.Row(1)[2] = 9;
    ExportCopy24Flipped(copy.bytes.data(), colour.bytes.data(), KernelRect{0, 0, 1, 2}, 0, 0, 3, 3, copy.stride,
                        colour.stride, nullptr, 0);
    EXPECT_EQ(copy.Row(0)[2], 9);
    EXPECT_EQ(copy.Row(1)[0], 1);

}

TEST(ExportKernels, InOrderChannelCopies) {
    Plane<uint8_t> colour(1, 1, 4), out(1, 1, 4);
    const uint8_t bgra[4] = {1, 2, 3, 0x0F};
    std::memcpy(colour.Row(0), bgra, 4);
    ExportSwap24(out.bytes.data(), colour.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 3, 4, out.stride, colour.stride,
                 nullptr, 0);
    EXPECT_EQ(std::vector<uint8_t>(out.Row(0), out.Row(0) + 3), (std::vector<uint8_t>{3, 2, 1}));
    ExportColor32InvertedFourth(out.bytes.data(), colour.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 4, 4, out.stride,
                                colour.stride, nullptr, 0);
    EXPECT_EQ(std::vector<uint8_t>(out.Row(0), out.Row(0) + 4), (std::vector<uint8_t>{1, 2, 3, 0xF0}));

    Plane<uint8_t> gray(1, 1, 2), grayOut(1, 1, 2);
    SetWord(gray.Row(0), 0, 0xFFF);
    ExportGray16Scaled12(grayOut.bytes.data(), gray.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 2, 2, grayOut.stride,
                         gray.stride, nullptr, 0);
    EXPECT_EQ(Word(grayOut.Row(0), 0), 0xFFF0);
    ExportGray16Scaled10(grayOut.bytes.data(), gray.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 2, 2, grayOut.stride,
                         gray.stride, nullptr, 0);
    EXPECT_EQ(Word(grayOut.Row(0), 0), static_cast<uint16_t>(0xFFF << 6));

    Plane<uint8_t> deep(1, 1, 8), wide(1, 1, 8);
    SetWord(deep.Row(0), 0, 1);
    SetWord(deep.Row(0), 1, 2);
    SetWord(deep.Row(0), 2, 3);
    ExportColor48Scaled12Swapped(wide.bytes.data(), deep.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 6, 8, wide.stride,
                                 deep.stride, nullptr, 0);
    EXPECT_EQ(Word(wide.Row(0), 0), 3 << 4);
    EXPECT_EQ(Word(wide.Row(0), 2), 1 << 4);
    EXPECT_EQ(Word(wide.Row(0), 3), 0);
    ExportColor64Scaled10(wide.bytes.data(), deep.bytes.data(), KernelRect{0, 0, 1, 1}, 0, 0, 8, 8, wide.stride,
                          deep.stride, nullptr, 0);
    EXPECT_EQ(Word(wide.Row(0), 0), 1 << 6);
    EXPECT_EQ(Word(wide.Row(0), 2), 3 << 6);
    EXPECT_EQ(Word(wide.Row(0), 3), 0xFFFF);
}

}  // namespace
}  // namespace kvx
