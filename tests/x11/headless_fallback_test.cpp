// Without a reachable X server (DISPLAY unset, or naming no server) the
// preview windows are the off-screen ones, exactly as before: run by CTest
// with such a DISPLAY.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/posix/window_backend.h"
#include "platform/window_surface.h"

namespace {

namespace platform = kvx::platform;

TEST(HeadlessFallback, WindowsAreOffScreenAndStillReadBack) {
    ASSERT_FALSE(platform::posix::X11DisplayReachable(std::getenv("DISPLAY")));
    EXPECT_EQ(&platform::posix::ActiveWindowBackend(), &platform::posix::OffscreenWindows());
    int width = 0, height = 0;
    platform::PrimaryScreenSize(&width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 1024);

    ASSERT_TRUE(platform::RegisterWindowClass("KolvexHeadless"));
    // Any value serves as a parent when there is no server to ask.
    auto child = platform::CreateChildWindow("KolvexHeadless", "ActiveMovie Window", platform::kStyleChild,
                                             reinterpret_cast<platform::WindowHandle>(0x1234), 10, 10, 32, 24, 6540);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(platform::FocusShowUpdate(child));
    EXPECT_TRUE(platform::IsWindowShown(child));
    uint32_t rgb = 1;
    EXPECT_TRUE(platform::ReadWindowPixel(child, 31, 23, &rgb));
    EXPECT_EQ(rgb, 0u);
    platform::DestroyPlatformWindow(child);
    EXPECT_TRUE(platform::UnregisterWindowClass("KolvexHeadless"));
}

}  // namespace
