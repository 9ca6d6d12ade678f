// FrameBitmap: layout, palette, lifetime and the rectangle conversion of
// RunKernel (rows counted from the last memory row, clipped to both bitmaps).
#include <gtest/gtest.h>

#include <cstring>

#include "display/frame_bitmap.h"

namespace kvx {
namespace {

// What the last kernel call received.
struct KernelCall {
    int calls = 0;
    uint8_t* dst = nullptr;
    const uint8_t* src = nullptr;
    KernelRect rect{};
    int dstX = 0, dstY = 0, dstBytes = 0, srcBytes = 0, dstStride = 0, srcStride = 0, extra = 0;
    void* argument = nullptr;
};
KernelCall g_call;

int RecordingKernel(uint8_t* dst, const uint8_t* src, KernelRect rect, int dstX, int dstY, int dstBytes, int srcBytes,
                    int dstStride, int srcStride, void* argument, int extra) {
    g_call = KernelCall{g_call.calls + 1, dst, src, rect, dstX, dstY, dstBytes, srcBytes, dstStride, srcStride, extra,
                        argument};
    return 42;
}

void ExpectEmpty(const FrameBitmap& bitmap) {
    EXPECT_TRUE(bitmap.empty());
    EXPECT_EQ(bitmap.width(), 0);
    EXPECT_EQ(bitmap.height(), 0);
    EXPECT_EQ(bitmap.stride(), 0);
    EXPECT_EQ(bitmap.bitsPerPixel(), 0);
    EXPECT_EQ(bitmap.info().header.biSize, 40u);
    EXPECT_EQ(bitmap.info().header.biWidth, 0);
    EXPECT_EQ(bitmap.bits(), nullptr);
}

TEST(FrameBitmap, RowsArePaddedToFourBytes) {
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(641, 480, 8), 1);
    EXPECT_EQ(bitmap.stride(), 644);
    ASSERT_EQ(bitmap.Create(641, 480, 24), 1);
    EXPECT_EQ(bitmap.stride(), 1924);
    ASSERT_EQ(bitmap.Create(641, 480, 48), 1);
    EXPECT_EQ(bitmap.stride(), 3848);
    EXPECT_EQ(bitmap.info().header.biBitCount, 48);
    EXPECT_EQ(bitmap.info().header.biHeight, 480);
    EXPECT_EQ(bitmap.info().header.biPlanes, 1);
    // Pixel memory starts zeroed.
    for (int i = 0; i < bitmap.height() * bitmap.stride(); i += 97) ASSERT_EQ(bitmap.bits()[i], 0);
    EXPECT_EQ(bitmap.bits()[bitmap.height() * bitmap.stride() - 1], 0);
}

TEST(FrameBitmap, RefusedSizesLeaveItEmpty) {
    FrameBitmap bitmap;
    EXPECT_EQ(bitmap.Create(0, 480, 8), 0);
    ExpectEmpty(bitmap);
    ASSERT_EQ(bitmap.Create(10, 10, 8), 1);
    EXPECT_EQ(bitmap.Create(10, -1, 8), 0);
    ExpectEmpty(bitmap);
    EXPECT_EQ(bitmap.Create(10, 10, 0), 0);
    // Depths without whole bytes per pixel would give rows of no bytes.
    EXPECT_EQ(bitmap.Create(10, 10, 4), 0);
    EXPECT_EQ(bitmap.Create(10, 10, 12), 0);
    // Sizes whose memory cannot be addressed with 32-bit offsets.
    EXPECT_EQ(bitmap.Create(0x7FFFFFFF, 2, 64), 0);
    EXPECT_EQ(bitmap.Create(70000, 70000, 64), 0);
    ExpectEmpty(bitmap);
}

TEST(FrameBitmap, EightBitCarriesTheGrayPalette) {
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(8, 8, 8), 1);
    for (int i = 0; i < 256; ++i) {
        const auto& c = bitmap.info().colors[i];
        ASSERT_TRUE(c.blue == i && c.green == i && c.red == i && c.reserved == 0) << i;
    }
    EXPECT_EQ(bitmap.SetPalette(FrameBitmap::kGrayPalette, nullptr, 0, 0), 1);
    const platform::DibColor red[2] = {{0, 0, 255, 0}, {0, 0, 128, 0}};
    EXPECT_EQ(bitmap.SetPalette(FrameBitmap::kPaletteEntries, red, 250, 10), 1);  // held inside 256 entries
    EXPECT_EQ(bitmap.SetPalette(7, nullptr, 0, 0), 1);
}

TEST(FrameBitmap, CreateLikeTakesHeaderAndSizeAndFreshPixels) {
    FrameBitmap model, copy;
    ASSERT_EQ(model.Create(33, 7, 32), 1);
    model.bits()[5] = 9;
    ASSERT_EQ(copy.CreateLike(&model), 1);
    EXPECT_EQ(std::memcmp(&copy.info().header, &model.info().header, sizeof(platform::DibHeader)), 0);
    EXPECT_EQ(copy.width(), 33);
    EXPECT_EQ(copy.height(), 7);
    EXPECT_EQ(copy.stride(), model.stride());
    EXPECT_NE(copy.bits(), model.bits());
    EXPECT_EQ(copy.bits()[5], 0);

    FrameBitmap empty;
    EXPECT_EQ(copy.CreateLike(&empty), 0);
    ExpectEmpty(copy);
    EXPECT_EQ(copy.CreateLike(nullptr), 0);

    ASSERT_EQ(copy.CreateLike(&model), 1);
    EXPECT_EQ(copy.CreateLike(&copy), 1);  // like itself: same format, fresh memory
    EXPECT_EQ(copy.width(), 33);
}

TEST(FrameBitmap, DestroyTwiceIsHarmless) {
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(16, 16, 24), 1);
    bitmap.Destroy();
    bitmap.Destroy();
    ExpectEmpty(bitmap);
}

TEST(FrameBitmapRunKernel, WholeSourceWithoutRectangle) {
    FrameBitmap dst, src;
    ASSERT_EQ(dst.Create(64, 48, 24), 1);
    ASSERT_EQ(src.Create(64, 48, 8), 1);
    int argument = 0;
    g_call = {};
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, nullptr, 0, 0, &argument, 5), 42);
    EXPECT_EQ(g_call.calls, 1);
    EXPECT_EQ(g_call.dst, dst.bits());
    EXPECT_EQ(g_call.src, src.bits());
    EXPECT_EQ(g_call.rect.left, 0);
    EXPECT_EQ(g_call.rect.top, 0);
    EXPECT_EQ(g_call.rect.right, 64);
    EXPECT_EQ(g_call.rect.bottom, 48);
    EXPECT_EQ(g_call.dstX, 0);
    EXPECT_EQ(g_call.dstY, 0);
    EXPECT_EQ(g_call.dstBytes, 3);
    EXPECT_EQ(g_call.srcBytes, 1);
    EXPECT_EQ(g_call.dstStride, dst.stride());
    EXPECT_EQ(g_call.srcStride, src.stride());
    EXPECT_EQ(g_call.argument, &argument);
    EXPECT_EQ(g_call.extra, 5);
}

//   system rows (top = last memory row)      memory rows
//   0 ........                               99 ........
//   20 [####]   rect (10,20)-(30,40)         60 [####]  kernel rect (10,60)-(30,80)
//   40 ........                              40 ........
TEST(FrameBitmapRunKernel, RectanglesCountFromTheLastRow) {
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(100, 100, 8), 1);
    const BitmapRect rect{10, 20, 30, 40};
    g_call = {};
    bitmap.RunKernel(RecordingKernel, &bitmap, &rect, 10, 20, nullptr, 0);
    EXPECT_EQ(g_call.rect.left, 10);
    EXPECT_EQ(g_call.rect.top, 60);
    EXPECT_EQ(g_call.rect.right, 30);
    EXPECT_EQ(g_call.rect.bottom, 80);
    EXPECT_EQ(g_call.dstX, 10);
    EXPECT_EQ(g_call.dstY, 60);
}

TEST(FrameBitmapRunKernel, ClipsAgainstBothBitmapsKeepingEqualSizes) {
    FrameBitmap dst, src;
    ASSERT_EQ(dst.Create(50, 40, 8), 1);
    ASSERT_EQ(src.Create(30, 20, 8), 1);

    // Destination hangs over the left and top edges: the source moves along.
    g_call = {};
    const BitmapRect whole{0, 0, 30, 20};
    dst.RunKernel(RecordingKernel, &src, &whole, -5, -3, nullptr, 0);
    EXPECT_EQ(g_call.calls, 1);
    EXPECT_EQ(g_call.rect.left, 5);
    EXPECT_EQ(g_call.rect.right, 30);
    // Source system rows 3..20 -> memory rows 0..17.
    EXPECT_EQ(g_call.rect.top, 0);
    EXPECT_EQ(g_call.rect.bottom, 17);
    EXPECT_EQ(g_call.dstX, 0);
    EXPECT_EQ(g_call.dstY, 40 - 17);

    // Source rectangle beyond the source's right edge: the destination shrinks.
    g_call = {};
    const BitmapRect wide{20, 0, 45, 10};
    dst.RunKernel(RecordingKernel, &src, &wide, 0, 0, nullptr, 0);
    EXPECT_EQ(g_call.rect.left, 20);
    EXPECT_EQ(g_call.rect.right, 30);
    EXPECT_EQ(g_call.dstX, 0);
    EXPECT_EQ(g_call.rect.top, 10);
    EXPECT_EQ(g_call.rect.bottom, 20);
    EXPECT_EQ(g_call.dstY, 30);

    // Source rectangle starting left of the source: destination moves right.
    g_call = {};
    const BitmapRect leftOf{-4, 0, 6, 5};
    dst.RunKernel(RecordingKernel, &src, &leftOf, 10, 0, nullptr, 0);
    EXPECT_EQ(g_call.rect.left, 0);
    EXPECT_EQ(g_call.rect.right, 6);
    EXPECT_EQ(g_call.dstX, 14);
}

TEST(FrameBitmapRunKernel, NothingOverlappingRunsNothing) {
    FrameBitmap dst, src, empty;
    ASSERT_EQ(dst.Create(50, 40, 8), 1);
    ASSERT_EQ(src.Create(30, 20, 8), 1);
    g_call = {};
    const BitmapRect rect{0, 0, 10, 10};
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &rect, 50, 0, nullptr, 0), 0);
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &rect, -10, 0, nullptr, 0), 0);
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &rect, 0, 40, nullptr, 0), 0);
    const BitmapRect outside{30, 0, 40, 10};
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &outside, 0, 0, nullptr, 0), 0);
    const BitmapRect inverted{10, 10, 5, 20};
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &inverted, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &empty, nullptr, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(empty.RunKernel(RecordingKernel, &src, nullptr, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dst.RunKernel(RecordingKernel, nullptr, nullptr, 0, 0, nullptr, 0), 0);
    // Positions near the integer limits must not wrap into the bitmap.
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &rect, 0x7FFFFFF0, 0, nullptr, 0), 0);
    const BitmapRect huge{-0x7FFFFFFF, 0, 0x7FFFFFFF, 10};
    EXPECT_EQ(dst.RunKernel(RecordingKernel, &src, &huge, 0x7FFFFFF0, 0, nullptr, 0), 0);
    EXPECT_EQ(g_call.calls, 0);
}

int g_scaledCalls = 0;
KernelRect g_scaledDst{}, g_scaledSrc{};
int ScaledRecorder(uint8_t*, const uint8_t*, KernelRect dstRect, KernelRect srcRect, int dstWidth, int dstHeight,
                   int srcWidth, int srcHeight, int, int, int, int, void*, int) {
    ++g_scaledCalls;
    g_scaledDst = dstRect;
    g_scaledSrc = srcRect;
    EXPECT_EQ(dstWidth, 20);
    EXPECT_EQ(dstHeight, 10);
    EXPECT_EQ(srcWidth, 40);
    EXPECT_EQ(srcHeight, 30);
    return 1;
}

TEST(FrameBitmapRunKernel, ScaledGetsWholeBitmapsWhenNoRectangles) {
    FrameBitmap dst, src;
    ASSERT_EQ(dst.Create(20, 10, 24), 1);
    ASSERT_EQ(src.Create(40, 30, 24), 1);
    EXPECT_EQ(dst.RunKernelScaled(ScaledRecorder, &src, nullptr, nullptr, nullptr, 0), 1);
    EXPECT_EQ(g_scaledCalls, 1);
    EXPECT_EQ(g_scaledDst.right, 20);
    EXPECT_EQ(g_scaledDst.bottom, 10);
    EXPECT_EQ(g_scaledSrc.right, 40);
    EXPECT_EQ(g_scaledSrc.bottom, 30);
}

TEST(FrameBitmapBlit, CopiesInTheSystemsCoordinates) {
    FrameBitmap dst, src;
    ASSERT_EQ(dst.Create(8, 6, 24), 1);
    ASSERT_EQ(src.Create(8, 6, 24), 1);
    for (int y = 0; y < 6; ++y) {
        for (int i = 0; i < 24; ++i) src.bits()[y * src.stride() + i] = static_cast<uint8_t>(16 * y + i);
    }
    ASSERT_EQ(dst.BlitFrom(&src, nullptr, 0, 0), 1);
    EXPECT_EQ(std::memcmp(dst.bits(), src.bits(), static_cast<size_t>(6) * src.stride()), 0);

    // System row 0 is the last memory row: (0,0)-(2,1) lands at (3,1).
    FrameBitmap target;
    ASSERT_EQ(target.Create(8, 6, 24), 1);
    const BitmapRect corner{0, 0, 2, 1};
    ASSERT_EQ(target.BlitFrom(&src, &corner, 3, 1), 1);
    EXPECT_EQ(target.bits()[4 * target.stride() + 9], src.bits()[5 * src.stride() + 0]);
    EXPECT_EQ(target.bits()[4 * target.stride() + 14], src.bits()[5 * src.stride() + 5]);
    EXPECT_EQ(target.bits()[4 * target.stride() + 15], 0);

    FrameBitmap other;
    ASSERT_EQ(other.Create(8, 6, 8), 1);
    if (!other.drawable()) {
        EXPECT_EQ(other.BlitFrom(&src, nullptr, 0, 0), 0);  // depths differ
    }
}

}  // namespace
}  // namespace kvx
