// The preview window a camera opens: where it goes, how big it is, what it
// shows, and that nothing of it is left after Close.
#include <cstring>

#include "acquisition_fixture.h"
#include "platform/window_surface.h"

namespace {

using kvx::test::AcquisitionTest;
using kvx::test::CollectFrames;
namespace platform = kvx::platform;

class PreviewWindow : public AcquisitionTest {
protected:
    platform::WindowFacts Facts(platform::WindowHandle window) {
        platform::WindowFacts facts;
        EXPECT_TRUE(platform::QueryWindow(window, &facts));
        return facts;
    }
};

TEST_F(PreviewWindow, TheDefaultIsACentredTopLevelWindowOfTheFrameSize) {
    ASSERT_NE(OpenWith(2048, 1536, 0, 1), 0);
    ASSERT_EQ(Kolvex_Preview(handle_), 1);
    platform::WindowHandle window = Object()->previewWindow();
    ASSERT_NE(window, nullptr);
    const platform::WindowFacts facts = Facts(window);
    EXPECT_EQ(facts.clientWidth, 1024);
    EXPECT_EQ(facts.clientHeight, 768);
    EXPECT_EQ(facts.title, "Active Window");
    EXPECT_EQ(facts.className.rfind("VideoRenderer_", 0), 0u) << facts.className;
    EXPECT_EQ(facts.className.size(), std::strlen("VideoRenderer_") + 17);
    EXPECT_EQ(facts.parent, nullptr);
    EXPECT_NE(facts.style & platform::kStyleVisible, 0u);
    EXPECT_EQ(facts.style & platform::kStyleChild, 0u);
    int screenWidth = 0, screenHeight = 0;
    platform::PrimaryScreenSize(&screenWidth, &screenHeight);
    EXPECT_EQ(facts.x, std::max(0, (screenWidth - facts.width) / 2));
    EXPECT_EQ(facts.y, std::max(0, (screenHeight - facts.height) / 2));

    // A second Preview keeps the window it has.
    EXPECT_EQ(Kolvex_Preview(handle_), 1);
    EXPECT_EQ(Object()->previewWindow(), window);

    EXPECT_EQ(Kolvex_Close(handle_), 1);
    EXPECT_FALSE(platform::WindowExists(window));
    EXPECT_EQ(Object()->previewWindow(), nullptr);
    // The class went with it: its name can be registered again.
    EXPECT_TRUE(platform::RegisterWindowClass(facts.className.c_str()));
    EXPECT_TRUE(platform::UnregisterWindowClass(facts.className.c_str()));
}

TEST_F(PreviewWindow, WithAParentItIsAChildAtTheGivenPlace) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, window_.handle(), 10, 10, 320, 240), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    const platform::WindowFacts facts = Facts(Object()->previewWindow());
    EXPECT_EQ(facts.x, 10);
    EXPECT_EQ(facts.y, 10);
    EXPECT_EQ(facts.clientWidth, 320);
    EXPECT_EQ(facts.clientHeight, 240);
    EXPECT_EQ(facts.title, "ActiveMovie Window");
    EXPECT_EQ(facts.childId, 6540);
    EXPECT_EQ(facts.parent, window_.handle());
    EXPECT_EQ(facts.style & (platform::kStyleChild | platform::kStyleVisible | platform::kStyleClipChildren),
              platform::kStyleChild | platform::kStyleVisible | platform::kStyleClipChildren);
    CollectFrames(callback_, 1);
    EXPECT_EQ(Kolvex_Close(handle_), 1);
}

TEST_F(PreviewWindow, NoParentAndNoRectangleMeansNoWindow) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    EXPECT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_EQ(Object()->previewWindow(), nullptr);
    EXPECT_GE(kvx::test::Count(CollectFrames(callback_, 2), kvx::test::IsFrameReady), 2);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
}

// What the window shows at (x, y), read from the window itself; false where
// the system cannot read a window back.
bool WindowPixel(platform::WindowHandle window, int x, int y, uint32_t* rgb) {
    return platform::ReadWindowPixel(window, x, y, rgb);
}

uint32_t Gray(uint8_t v) { return (uint32_t{v} << 16) | (uint32_t{v} << 8) | v; }

TEST_F(PreviewWindow, AFrameOfTheClientSizeIsDrawnUpright) {
    // Wide enough for a top-level window on every system.
    ASSERT_NE(OpenWith(256, 96, 0), 0);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 256, 96), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    const kvx::FrameBitmap& frame = Output(0);
    platform::WindowHandle window = Object()->previewWindow();
    uint32_t rgb = 0;
    if (!WindowPixel(window, 0, 0, &rgb)) GTEST_SKIP() << "this system cannot read the window back";
    for (int y : {0, 1, 47, 95})
        for (int x : {0, 3, 64, 255}) {
            ASSERT_TRUE(WindowPixel(window, x, y, &rgb));
            EXPECT_EQ(rgb, Gray(frame.bits()[y * frame.stride() + x])) << x << "," << y;
        }
}

TEST_F(PreviewWindow, AResizedWindowGetsAPreviewBitmapOfItsNewSize) {
    ASSERT_NE(OpenWith(256, 192, 2), 0);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 256, 192), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    platform::WindowHandle window = Object()->previewWindow();
    ASSERT_TRUE(platform::ResizeClient(window, 160, 100));
    callback_.Take();
    CollectFrames(callback_, 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    const kvx::FrameBitmap& preview = *Object()->bitmap(kvx::kBitmapDisplay);
    ASSERT_EQ(preview.width(), 160);
    ASSERT_EQ(preview.height(), 100);
    ASSERT_EQ(preview.bitsPerPixel(), 24);
    // Nearest neighbour, 256/160 across and 192/100 down, upright.
    const kvx::FrameBitmap& frame = Output(2);
    for (int y : {0, 13, 99})
        for (int x : {0, 31, 159}) {
            const int row = static_cast<int>(192.0f / 100 * y), column = static_cast<int>(256.0f / 160 * x);
            const uint8_t* p = frame.bits() + row * frame.stride() + column * 3;
            const uint8_t* q = preview.bits() + (99 - y) * preview.stride() + x * 3;
            EXPECT_EQ(std::memcmp(p, q, 3), 0) << x << "," << y;
            uint32_t rgb = 0;
            if (WindowPixel(window, x, y, &rgb)) {
                EXPECT_EQ(rgb, (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]) << x << "," << y;
            }
        }
    EXPECT_EQ(Kolvex_Close(handle_), 1);
}

TEST_F(PreviewWindow, SixteenBitGrayAlwaysGoesThroughThePreviewBitmap) {
    ASSERT_NE(OpenWith(256, 96, 1), 0);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 256, 96), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    const kvx::FrameBitmap& preview = *Object()->bitmap(kvx::kBitmapDisplay);
    EXPECT_EQ(preview.width(), 256);
    EXPECT_EQ(preview.height(), 96);
    EXPECT_EQ(preview.bitsPerPixel(), 8);
}

}  // namespace
