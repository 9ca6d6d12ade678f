// The preview window on a real X server (run under a virtual one): what the
// library draws is read back with XGetImage through a connection of the
// test's own, never through the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "display/frame_bitmap.h"
#include "display/preview_window.h"
#include "platform/posix/window_backend.h"
#include "platform/window_surface.h"
#include "camera_sandbox.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace platform = kvx::platform;
using kvx::FrameBitmap;

int ignoredErrors = 0;
int IgnoreError(Display*, XErrorEvent*) {
    ++ignoredErrors;
    return 0;
}

Window XId(platform::WindowHandle handle) { return static_cast<Window>(reinterpret_cast<uintptr_t>(handle)); }
platform::WindowHandle Handle(Window id) { return reinterpret_cast<platform::WindowHandle>(static_cast<uintptr_t>(id)); }

// The test's own view of the server.
class X11Preview : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = XOpenDisplay(std::getenv("DISPLAY"));
        ASSERT_NE(display_, nullptr) << "no X server: run under xvfb-run";
        XSetErrorHandler(IgnoreError);
        static int serial = 0;
        className_ = "KolvexX11Test_" + std::to_string(++serial);
        ASSERT_TRUE(platform::RegisterWindowClass(className_.c_str()));
    }
    void TearDown() override {
        for (auto w : libraryWindows_) platform::DestroyPlatformWindow(w);
        platform::UnregisterWindowClass(className_.c_str());
        for (Window w : testWindows_) XDestroyWindow(display_, w);
        if (display_) XCloseDisplay(display_);
    }

    // A mapped window of the test's own, as an application would make.
    Window MakeParent(int width, int height) {
        Window w = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, width, height, 0, 0,
                                       WhitePixel(display_, DefaultScreen(display_)));
        XMapWindow(display_, w);
        XSync(display_, False);
        testWindows_.push_back(w);
        return w;
    }

    platform::WindowHandle TopLevel(int width, int height) {
        auto w = platform::CreateCentredWindow(className_.c_str(), "Active Window", 0, width, height);
        if (w) {
            libraryWindows_.push_back(w);
            platform::FocusShowUpdate(w);
        }
        return w;
    }

    // Every pixel of a window as 0xRRGGBB, top row first.
    std::vector<uint32_t> Pixels(Window w, int width, int height) {
        XSync(display_, False);
        XImage* image = XGetImage(display_, w, 0, 0, width, height, AllPlanes, ZPixmap);
        std::vector<uint32_t> out;
        if (!image) return out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
        return out;
    }

    XWindowAttributes Attributes(Window w) {
        XWindowAttributes a{};
        XSync(display_, False);
        XGetWindowAttributes(display_, w, &a);
        return a;
    }

    Display* display_ = nullptr;
    std::string className_;
    std::vector<platform::WindowHandle> libraryWindows_;
    std::vector<Window> testWindows_;
};

// A picture whose every pixel differs from its mirror images: red follows
// the column, green the row, blue both.
void Paint24(FrameBitmap& bitmap) {
    for (int y = 0; y < bitmap.height(); ++y) {
        uint8_t* row = bitmap.bits() + static_cast<size_t>(y) * bitmap.stride();
        for (int x = 0; x < bitmap.width(); ++x) {
            row[3 * x + 0] = static_cast<uint8_t>(x * 7 + y * 3);  // blue
            row[3 * x + 1] = static_cast<uint8_t>(y * 5);          // green
            row[3 * x + 2] = static_cast<uint8_t>(x * 3);          // red
        }
    }
}

// Memory row 0 is the top of the picture.
uint32_t Picture(const FrameBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.bits() + static_cast<size_t>(y) * bitmap.stride() + static_cast<size_t>(x) * 3;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

TEST_F(X11Preview, ADisplayMeansRealWindows) {
    EXPECT_TRUE(platform::posix::X11DisplayReachable(std::getenv("DISPLAY")));
    EXPECT_FALSE(platform::posix::X11DisplayReachable(":4242"));
    EXPECT_FALSE(platform::posix::X11DisplayReachable(""));
    auto w = TopLevel(64, 48);
    ASSERT_NE(w, nullptr);
    XWindowAttributes a = Attributes(XId(w));
    EXPECT_EQ(a.width, 64);
    EXPECT_EQ(a.map_state, IsViewable);
    // Both ways of uploading run: CTest runs this suite once with each.
    FrameBitmap frame;
    ASSERT_EQ(frame.Create(64, 48, 24), 1);
    void* dc = platform::AcquireWindowDc(w);
    ASSERT_TRUE(platform::StretchToWindow(dc, 0, 0, 64, 48, frame.surface(), frame.info(), 0, 47, 64, -48));
    platform::ReleaseWindowDc(w, dc);
    const char* noShm = std::getenv("KOLVEX_X11_NO_SHM");
    EXPECT_EQ(platform::posix::X11SharedMemoryInUse(), !(noShm && *noShm));
}

TEST_F(X11Preview, TopLevelWindowIsCentredWithTheFrameSizeAndTitle) {
    auto w = TopLevel(320, 240);
    ASSERT_NE(w, nullptr);
    XWindowAttributes a = Attributes(XId(w));
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 240);
    int x = -1, y = -1;
    Window child;
    XTranslateCoordinates(display_, XId(w), DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    EXPECT_EQ(x, (DisplayWidth(display_, 0) - 320) / 2);
    EXPECT_EQ(y, (DisplayHeight(display_, 0) - 240) / 2);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display_, XId(w), &name));
    EXPECT_STREQ(name, "Active Window");
    XFree(name);
    // Larger than the screen: pinned to the corner, never off it.
    auto big = TopLevel(4000, 3000);
    ASSERT_NE(big, nullptr);
    XTranslateCoordinates(display_, XId(big), DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(X11Preview, FrameOfTheClientSizeIsDrawnUpright) {
    FrameBitmap frame;
    ASSERT_EQ(frame.Create(97, 61, 24), 1);  // odd width: rows are padded
    Paint24(frame);
    auto w = TopLevel(97, 61);
    ASSERT_NE(w, nullptr);
    void* dc = platform::AcquireWindowDc(w);
    ASSERT_NE(dc, nullptr);
    // As the preview paints a frame of the window's size: a vertical flip
    // from the last system row.
    EXPECT_TRUE(platform::StretchToWindow(dc, 0, 0, 97, 61, frame.surface(), frame.info(), 0, 60, 97, -61));
    const auto pixels = Pixels(XId(w), 97, 61);
    ASSERT_EQ(pixels.size(), 97u * 61u);
    int wrong = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) wrong += pixels[static_cast<size_t>(y) * 97 + x] != Picture(frame, x, y);
    EXPECT_EQ(wrong, 0);
    platform::ReleaseWindowDc(w, dc);
}

TEST_F(X11Preview, GrayFramesUseTheirPalette) {
    FrameBitmap frame;
    ASSERT_EQ(frame.Create(40, 30, 8), 1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) frame.bits()[y * frame.stride() + x] = static_cast<uint8_t>(x * 6 + y);
    auto w = TopLevel(40, 30);
    ASSERT_NE(w, nullptr);
    void* dc = platform::AcquireWindowDc(w);
    ASSERT_TRUE(platform::StretchToWindow(dc, 0, 0, 40, 30, frame.surface(), frame.info(), 0, 29, 40, -30));
    const auto pixels = Pixels(XId(w), 40, 30);
    ASSERT_EQ(pixels.size(), 1200u);
    for (int y : {0, 13, 29})
        for (int x : {0, 21, 39}) {
            const uint32_t v = static_cast<uint32_t>(x * 6 + y) & 0xFF;
            EXPECT_EQ(pixels[static_cast<size_t>(y) * 40 + x], v << 16 | v << 8 | v) << x << "," << y;
        }
    platform::ReleaseWindowDc(w, dc);
}

// Where nearest-neighbour scaling with the flip of the preview path puts
// source pixels: window row y shows picture row floor(step * y) counted the
// way the kernel counts (from the bitmap's other end, then flipped back).
int ScaledSource(int d, int destination, int source) {
    const float step = static_cast<float>(source) / static_cast<float>(destination);
    return std::min(static_cast<int>(step * static_cast<float>(d)), source - 1);
}

TEST_F(X11Preview, ALargerOrSmallerWindowIsScaledUprightAndFollowsResizes) {
    FrameBitmap frame, gray, preview;
    ASSERT_EQ(frame.Create(64, 48, 24), 1);
    Paint24(frame);
    kvx::ModeBitmaps bitmaps{&gray, nullptr, &frame, nullptr, nullptr, nullptr};
    auto w = TopLevel(150, 100);
    ASSERT_NE(w, nullptr);
    kvx::PreviewWindowHandles handles;
    handles.window = w;
    handles.deviceContext = platform::AcquireWindowDc(w);
    ASSERT_NE(handles.deviceContext, nullptr);

    auto check = [&](int width, int height) {
        kvx::PaintPreview(handles, 2, bitmaps, preview);
        const auto pixels = Pixels(XId(w), width, height);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            // The kernel walks rows from the bottom of the window upwards.
            const int sourceRow = 47 - ScaledSource(height - 1 - y, height, 48);
            for (int x = 0; x < width; ++x)
                wrong += pixels[static_cast<size_t>(y) * width + x] != Picture(frame, ScaledSource(x, width, 64), sourceRow);
        }
        EXPECT_EQ(wrong, 0) << width << " x " << height;
        // Upright and not mirrored: green grows downwards, red rightwards.
        EXPECT_LT(pixels.front() >> 8 & 0xFF, pixels.back() >> 8 & 0xFF);
        EXPECT_LT(pixels.front() >> 16, pixels.back() >> 16);
    };
    check(150, 100);
    // A user resizing the window: the next frame fills the new size.
    XResizeWindow(display_, XId(w), 50, 30);
    XSync(display_, False);
    int width = 0, height = 0;
    ASSERT_TRUE(platform::ClientSize(w, &width, &height));
    EXPECT_EQ(width, 50);
    EXPECT_EQ(height, 30);
    check(50, 30);
    EXPECT_EQ(preview.width(), 50);
    ASSERT_TRUE(platform::ResizeClient(w, 200, 170));
    check(200, 170);
    platform::ReleaseWindowDc(w, handles.deviceContext);
}

TEST_F(X11Preview, ChildOfAWindowTheApplicationMade) {
    const Window parent = MakeParent(400, 300);
    auto child = platform::CreateChildWindow(className_.c_str(), "ActiveMovie Window",
                                             platform::kStyleChild | platform::kStyleVisible, Handle(parent), 10, 20,
                                             97, 61, 6540);
    ASSERT_NE(child, nullptr);
    libraryWindows_.push_back(child);
    ASSERT_TRUE(platform::FocusShowUpdate(child));
    Window root, parentOf, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display_, XId(child), &root, &parentOf, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(parentOf, parent);
    XWindowAttributes a = Attributes(XId(child));
    EXPECT_EQ(a.x, 10);
    EXPECT_EQ(a.y, 20);
    EXPECT_EQ(a.width, 97);
    EXPECT_EQ(a.height, 61);
    platform::WindowFacts facts;
    ASSERT_TRUE(platform::QueryWindow(child, &facts));
    EXPECT_EQ(facts.parent, Handle(parent));
    EXPECT_EQ(facts.childId, 6540);

    FrameBitmap frame;
    ASSERT_EQ(frame.Create(97, 61, 24), 1);
    Paint24(frame);
    void* dc = platform::AcquireWindowDc(child);
    ASSERT_TRUE(platform::StretchToWindow(dc, 0, 0, 97, 61, frame.surface(), frame.info(), 0, 60, 97, -61));
    // Seen in the parent, at the child's place.
    const auto pixels = Pixels(parent, 400, 300);
    ASSERT_EQ(pixels.size(), 400u * 300u);
    EXPECT_EQ(pixels[20 * 400 + 10], Picture(frame, 0, 0));
    EXPECT_EQ(pixels[(20 + 60) * 400 + 10 + 96], Picture(frame, 96, 60));
    EXPECT_EQ(pixels[5 * 400 + 5], 0xFFFFFFu);  // the parent's own background around it
    platform::ReleaseWindowDc(child, dc);

    // Gone with its parent: no longer shown nor painted, and no error.
    XDestroyWindow(display_, parent);
    XSync(display_, False);
    testWindows_.clear();
    EXPECT_FALSE(platform::IsWindowShown(child));
    EXPECT_FALSE(platform::WindowExists(child));
}

TEST_F(X11Preview, AParentThatIsNoWindowIsRefused) {
    EXPECT_EQ(platform::CreateChildWindow(className_.c_str(), "ActiveMovie Window", platform::kStyleChild,
                                          Handle(0x7FFFFF0), 0, 0, 10, 10, 6540),
              nullptr);
    EXPECT_TRUE(platform::UnregisterWindowClass(className_.c_str()));
    EXPECT_TRUE(platform::RegisterWindowClass(className_.c_str()));
}

TEST_F(X11Preview, WindowManagerCloseDestroysTheWindowAsOnWindows) {
    auto w = TopLevel(80, 60);
    ASSERT_NE(w, nullptr);
    void* dc = platform::AcquireWindowDc(w);
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(platform::IsWindowShown(w));
    EXPECT_FALSE(platform::UnregisterWindowClass(className_.c_str()));  // a window of the class lives

    // What a window manager sends when the user clicks the close button.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = XId(w);
    close.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, XId(w), False, NoEventMask, &close);
    XSync(display_, False);

    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (platform::WindowExists(w) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(platform::WindowExists(w));
    EXPECT_FALSE(platform::IsWindowShown(w));
    FrameBitmap frame;
    ASSERT_EQ(frame.Create(80, 60, 24), 1);
    EXPECT_FALSE(platform::StretchToWindow(dc, 0, 0, 80, 60, frame.surface(), frame.info(), 0, 59, 80, -60));
    ignoredErrors = 0;
    XWindowAttributes a;
    XGetWindowAttributes(display_, XId(w), &a);
    XSync(display_, False);
    EXPECT_GT(ignoredErrors, 0) << "the X window still exists";
    // Closing the preview afterwards finds nothing to destroy and frees the class.
    platform::ReleaseWindowDc(w, dc);
    platform::DestroyPlatformWindow(w);
    EXPECT_TRUE(platform::UnregisterWindowClass(className_.c_str()));
    EXPECT_TRUE(platform::RegisterWindowClass(className_.c_str()));
}

// Through the public interface: a callback preview into a child of the
// application's window; the last frame painted is the last one delivered.
class X11PublicPreview : public X11Preview {};

std::vector<uint8_t> StreamInto(int handle, platform::WindowHandle mailbox, int frames, std::vector<uint8_t> buffer) {
    if (!Kolvex_CallBackPreview(handle, mailbox, buffer.data(), static_cast<int>(buffer.size()), 0)) return {};
    int seen = 0;
    KolvexMessage m;
    while (seen < frames && KolvexLinux_WaitMessage(mailbox, 10000, &m))
        if (m.message == KOLVEX_WM_FRAME && m.wParam) ++seen;
    Kolvex_StopPreview(handle);
    while (KolvexLinux_WaitMessage(mailbox, 0, &m)) {
    }
    return seen == frames ? buffer : std::vector<uint8_t>{};
}

TEST_F(X11PublicPreview, WindowShowsTheDeliveredFrameExactlyOrScaled) {
    // A device table of its own: other tests may stream from device 0 meanwhile.
    kvx::test::CameraSandbox sandbox;
    const int handle = Kolvex_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    ASSERT_EQ(Kolvex_SetColorMode(handle, 24), 1);
    ASSERT_EQ(Kolvex_SetSubSample(handle, 1), 1);
    const int width = Kolvex_Width(handle) / 2, height = Kolvex_Height(handle) / 2;
    const int stride = (width * 3 + 3) & ~3;
    const Window parent = MakeParent(width + 20, height + 20);
    int mailboxKey = 0;
    auto mailbox = static_cast<platform::WindowHandle>(&mailboxKey);

    auto framePixel = [&](const std::vector<uint8_t>& frame, int x, int y) {
        const uint8_t* p = frame.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    };
    auto previewChild = [&]() -> Window {
        Window root, parentOf, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, parent, &root, &parentOf, &children, &count);
        const Window child = count == 1 ? children[0] : 0;
        if (children) XFree(children);
        return child;
    };

    // The window has the frame's size: copied pixel for pixel, upright.
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle, Handle(parent), 10, 10, width, height), 1);
    auto frame = StreamInto(handle, mailbox, 3, std::vector<uint8_t>(static_cast<size_t>(stride) * height));
    ASSERT_FALSE(frame.empty());
    Window child = previewChild();
    ASSERT_NE(child, 0u);
    auto pixels = Pixels(child, width, height);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) wrong += pixels[static_cast<size_t>(y) * width + x] != framePixel(frame, x, y);
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(Kolvex_Close(handle), 1);
    EXPECT_EQ(previewChild(), 0u) << "closing the preview destroys its window";

    // A smaller window: every pixel is the frame's nearest source pixel.
    const int small = 200, smallHeight = 150;
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle, Handle(parent), 0, 0, small, smallHeight), 1);
    frame = StreamInto(handle, mailbox, 2, std::vector<uint8_t>(static_cast<size_t>(stride) * height));
    ASSERT_FALSE(frame.empty());
    child = previewChild();
    ASSERT_NE(child, 0u);
    pixels = Pixels(child, small, smallHeight);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(small) * smallHeight);
    wrong = 0;
    for (int y = 0; y < smallHeight; ++y) {
        const int sourceRow = height - 1 - ScaledSource(smallHeight - 1 - y, smallHeight, height);
        for (int x = 0; x < small; ++x)
            wrong += pixels[static_cast<size_t>(y) * small + x] != framePixel(frame, ScaledSource(x, small, width), sourceRow);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Kolvex_Release(handle), 1);
}

}  // namespace
