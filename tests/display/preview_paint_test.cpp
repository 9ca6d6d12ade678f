// Painting converted frames into a preview window, without a camera: which
// way up the picture lands, how it is scaled and reduced, and when the
// preview bitmap is made again.
#include <gtest/gtest.h>

#include "display/frame_bitmap.h"
#include "display/preview_window.h"
#include "platform/window_surface.h"

namespace {

using kvx::FrameBitmap;
using kvx::ModeBitmaps;
using kvx::PreviewPlacement;
using kvx::PreviewWindowHandles;
namespace platform = kvx::platform;

class PreviewPaint : public ::testing::Test {
protected:
    PreviewPaint() {
        // Children, since top-level windows have a smallest size; the parent
        // is shown so that its children can be painted.
        platform::RegisterWindowClass(kParentClass);
        parent_ = platform::CreateCentredWindow(kParentClass, "preview paint test",
                                                platform::kStyleOverlappedWindow | platform::kStyleVisible, 200, 150);
        platform::FocusShowUpdate(parent_);
    }
    ~PreviewPaint() override {
        kvx::ClosePreviewWindow(&window_);
        platform::DestroyPlatformWindow(parent_);
        platform::UnregisterWindowClass(kParentClass);
    }

    // A child window whose client area is width x height.
    void OpenWindow(int width, int height) {
        ASSERT_NE(parent_, nullptr);
        PreviewPlacement placement{parent_, 0, 0, width, height};
        ASSERT_TRUE(kvx::OpenPreviewWindow(this, placement, width, height, &window_));
        int w = 0, h = 0;
        ASSERT_TRUE(platform::ClientSize(window_.window, &w, &h));
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
    }

    // Every pixel a value of its own: v = 16 * row + column (+ channel).
    static void Fill(FrameBitmap& bitmap) {
        const int bytes = bitmap.bytesPerPixel();
        for (int row = 0; row < bitmap.height(); ++row)
            for (int x = 0; x < bitmap.width() * bytes; ++x)
                bitmap.bits()[row * bitmap.stride() + x] = static_cast<uint8_t>(16 * row + x);
    }

    // What the window shows at (x, y), or a skip where it cannot be read.
    bool Pixel(int x, int y, uint32_t* rgb) { return platform::ReadWindowPixel(window_.window, x, y, rgb); }

    static constexpr const char* kParentClass = "KolvexPreviewPaintTestParent";
    platform::WindowHandle parent_ = nullptr;
    PreviewWindowHandles window_;
    FrameBitmap preview_;
};

uint32_t Gray(uint8_t v) { return (uint32_t{v} << 16) | (uint32_t{v} << 8) | v; }

TEST_F(PreviewPaint, ThePlacementDecidesWhetherThereIsAWindow) {
    EXPECT_FALSE(PreviewPlacement({nullptr, 0, 0, 0, 0}).WantsWindow());
    EXPECT_TRUE(PreviewPlacement({nullptr, 0, 0, 0, 1}).WantsWindow());
    EXPECT_TRUE(PreviewPlacement({reinterpret_cast<platform::WindowHandle>(1), 0, 0, 0, 0}).WantsWindow());
    std::string name;
    EXPECT_EQ(kvx::CreatePreviewWindow(this, PreviewPlacement{nullptr, 0, 0, 0, 0}, 64, 48, &name), nullptr);
    EXPECT_TRUE(name.empty());
}

TEST_F(PreviewPaint, AFrameOfTheClientSizeLandsWithItsTopRowOnTop) {
    OpenWindow(6, 5);
    FrameBitmap gray;
    ASSERT_EQ(gray.Create(6, 5, 8), 1);
    Fill(gray);
    kvx::PaintPreview(window_, 0, ModeBitmaps{&gray}, preview_);
    EXPECT_TRUE(preview_.empty()) << "drawn directly, no preview bitmap";
    uint32_t rgb = 0;
    if (!Pixel(0, 0, &rgb)) GTEST_SKIP() << "this system cannot read the window back";
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            ASSERT_TRUE(Pixel(x, y, &rgb));
            EXPECT_EQ(rgb, Gray(static_cast<uint8_t>(16 * y + x))) << x << "," << y;
        }
}

TEST_F(PreviewPaint, ALargerWindowIsFilledByNearestNeighbourUpright) {
    OpenWindow(12, 10);
    FrameBitmap color;
    ASSERT_EQ(color.Create(6, 5, 24), 1);
    Fill(color);
    kvx::PaintPreview(window_, 2, ModeBitmaps{nullptr, nullptr, &color}, preview_);
    ASSERT_EQ(preview_.width(), 12);
    ASSERT_EQ(preview_.height(), 10);
    ASSERT_EQ(preview_.bitsPerPixel(), 24);
    uint32_t rgb = 0;
    const bool readable = Pixel(0, 0, &rgb);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const uint8_t* source = color.bits() + (y / 2) * color.stride() + (x / 2) * 3;
            // The preview bitmap is kept bottom-up, as the system draws it.
            const uint8_t* kept = preview_.bits() + (9 - y) * preview_.stride() + x * 3;
            EXPECT_EQ(std::vector<uint8_t>(kept, kept + 3), std::vector<uint8_t>(source, source + 3)) << x << "," << y;
            if (readable) {
                ASSERT_TRUE(Pixel(x, y, &rgb));
                EXPECT_EQ(rgb, (uint32_t{source[2]} << 16) | (uint32_t{source[1]} << 8) | source[0]) << x << "," << y;
            }
        }
}

TEST_F(PreviewPaint, DeepModesAreReducedToWhatCanBeDrawn) {
    OpenWindow(4, 3);
    FrameBitmap color, deep;
    ASSERT_EQ(color.Create(4, 3, 24), 1);
    ASSERT_EQ(deep.Create(4, 3, 48), 1);
    auto* words = reinterpret_cast<uint16_t*>(deep.bits());
    for (int i = 0; i < deep.stride() * 3 / 2; ++i) words[i] = 0x0AB0;  // 12 bits, 0xAB once reduced
    kvx::PaintPreview(window_, 4, ModeBitmaps{nullptr, nullptr, &color, nullptr, &deep}, preview_);
    EXPECT_EQ(color.bits()[0], 0xAB);
    EXPECT_EQ(color.bits()[color.stride() * 2 + 11], 0xAB);
    uint32_t rgb = 0;
    if (Pixel(3, 2, &rgb)) {
        EXPECT_EQ(rgb, 0xABABABu);
    }
}

TEST_F(PreviewPaint, AHiddenOrEmptyWindowIsNotPainted) {
    FrameBitmap gray;
    ASSERT_EQ(gray.Create(6, 5, 8), 1);
    kvx::PaintPreview(PreviewWindowHandles{}, 0, ModeBitmaps{&gray}, preview_);
    OpenWindow(6, 5);
    ASSERT_TRUE(platform::ResizeClient(window_.window, 0, 0));
    kvx::PaintPreview(window_, 1, ModeBitmaps{&gray}, preview_);
    EXPECT_TRUE(preview_.empty());
}

TEST_F(PreviewPaint, ThePreviewBitmapFollowsSizeAndDepth) {
    FrameBitmap preview;
    ASSERT_TRUE(kvx::FitPreviewBitmap(preview, 10, 8, 0));
    EXPECT_EQ(preview.bitsPerPixel(), 8);
    const uint8_t* kept = preview.bits();
    ASSERT_TRUE(kvx::FitPreviewBitmap(preview, 10, 8, 1));
    EXPECT_EQ(preview.bits(), kept) << "an 8-bit bitmap of the size is kept";
    // Same size, deeper mode: an 8-bit bitmap would be overrun by 24-bit rows.
    ASSERT_TRUE(kvx::FitPreviewBitmap(preview, 10, 8, 3));
    EXPECT_EQ(preview.bitsPerPixel(), 24);
    ASSERT_TRUE(kvx::FitPreviewBitmap(preview, 11, 8, 3));
    EXPECT_EQ(preview.width(), 11);
}

TEST_F(PreviewPaint, ClosingLeavesNeitherWindowNorClass) {
    OpenWindow(8, 8);
    const platform::WindowHandle window = window_.window;
    const std::string name = window_.className;
    kvx::ClosePreviewWindow(&window_);
    EXPECT_FALSE(window_.open());
    EXPECT_TRUE(window_.className.empty());
    EXPECT_FALSE(platform::WindowExists(window));
    EXPECT_TRUE(platform::RegisterWindowClass(name.c_str()));
    EXPECT_TRUE(platform::UnregisterWindowClass(name.c_str()));
}

}  // namespace
