// Windows that the library makes for itself and paints into from any thread.
//
// On Windows these are real windows of a class registered here, with the
// system's default window procedure, painted through a device context with
// StretchBlt or BitBlt. Elsewhere a window is off-screen: its client area is
// memory that painting fills and that ReadWindowPixel reads back, so tests
// and tools can see what would have been drawn.
//
// Blocking and threads: classes, windows and device contexts are made and
// released on one thread (the application's); QueryWindow, IsWindowShown,
// ClientSize and the two drawing calls may run on any thread while the
// window exists and the caller keeps its device context. No call waits for
// the application's thread or its messages. Under X11 every call holds the
// backend's one connection lock for its request, so it may wait briefly for
// another thread's request and for the server's answer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dib_surface.h"
#include "platform/window_message.h"

namespace kvx::platform {

// Window style bits, with the values Windows gives them.
enum WindowStyle : uint32_t {
    kStyleChild = 0x40000000u,
    kStyleVisible = 0x10000000u,
    kStyleClipSiblings = 0x04000000u,
    kStyleClipChildren = 0x02000000u,
    kStyleOverlappedWindow = 0x00CF0000u,
};

// No class styles, the default window procedure, the executable's module,
// the arrow cursor and a black background. False when the name is taken.
bool RegisterWindowClass(const char* className);
// False while windows of the class exist or when no such class is known.
bool UnregisterWindowClass(const char* className);

// A child at (x, y) of the parent's client area with the given size.
WindowHandle CreateChildWindow(const char* className, const char* title, uint32_t style, WindowHandle parent, int x,
                               int y, int width, int height, int childId);
// A top-level window whose client area is exactly clientWidth x
// clientHeight, centred on the primary screen; a coordinate that would be
// negative becomes 0.
WindowHandle CreateCentredWindow(const char* className, const char* title, uint32_t style, int clientWidth,
                                 int clientHeight);
// Gives the window the keyboard focus, shows and updates it. False when
// the update fails.
bool FocusShowUpdate(WindowHandle window);
void DestroyPlatformWindow(WindowHandle window);

// The window's device context, for painting from other threads; null on
// failure. Release it before the window is destroyed.
void* AcquireWindowDc(WindowHandle window);
void ReleaseWindowDc(WindowHandle window, void* dc);

bool IsWindowShown(WindowHandle window);
// The client area's size; false when the window does not exist.
bool ClientSize(WindowHandle window, int* width, int* height);

// Draws a bottom-up device-independent bitmap (`info`, `surface`) into a
// window's device context. Coordinates are the system's: row 0 of the
// source is its last memory row. A negative source height mirrors the
// picture vertically, exactly as StretchBlt does: the rows taken are the
// origin row and those above it.
bool StretchToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                     const DibInfo& info, int sourceX, int sourceY, int sourceWidth, int sourceHeight);
bool BlitToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                  const DibInfo& info, int sourceX, int sourceY);

// --- looking at windows (tests and tools) ----------------------------------

struct WindowFacts {
    int x = 0, y = 0;  // in the parent's client area, or on the screen
    int width = 0, height = 0;  // the whole window, frame included
    int clientWidth = 0, clientHeight = 0;
    uint32_t style = 0;
    int childId = 0;
    WindowHandle parent = nullptr;
    std::string title;
    std::string className;
};
bool QueryWindow(WindowHandle window, WindowFacts* facts);
bool WindowExists(WindowHandle window);
// Changes the client area's size, as a user dragging the frame would.
bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight);
// The pixel at (x, y) of the client area as 0x00RRGGBB; false outside it.
bool ReadWindowPixel(WindowHandle window, int x, int y, uint32_t* rgb);
void PrimaryScreenSize(int* width, int* height);

}  // namespace kvx::platform
