// The kinds of window the POSIX build can make, behind the functions of
// platform/window_surface.h: off-screen windows (memory that painting
// fills) and, where an X server is reachable, real X11 windows. One kind is
// chosen per process, the first time a window is needed.
//
// Contract as in window_surface.h: windows are made and destroyed on the
// application's thread; the size and visibility queries and Draw may run
// on any thread while the window exists and the caller keeps its device
// context. Window classes are kept by window_surface.cpp, not here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dib_surface.h"
#include "platform/window_surface.h"

namespace kvx::platform::posix {

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // A top-level window when `parent` is null, at (x, y) with a client area
    // of width x height; null on failure.
    virtual WindowHandle Create(const std::string& className, const char* title, uint32_t style,
                                WindowHandle parent, int x, int y, int width, int height, int childId) = 0;
    virtual bool HasWindowsOfClass(const std::string& className) = 0;
    virtual bool FocusShowUpdate(WindowHandle window) = 0;
    virtual void Destroy(WindowHandle window) = 0;
    virtual void* AcquireDc(WindowHandle window) = 0;
    virtual void ReleaseDc(void* dc) = 0;
    virtual bool IsShown(WindowHandle window) = 0;
    virtual bool ClientSize(WindowHandle window, int* width, int* height) = 0;
    // Draws (x, y, width, height) of the client area from the source span
    // (sourceX, sourceY, sourceWidth, sourceHeight) in the system's bottom-up
    // coordinates; a negative span mirrors (see StretchToWindow).
    virtual bool Draw(void* dc, int x, int y, int width, int height, const DibSurface& surface, const DibInfo& info,
                      int sourceX, int sourceY, int sourceWidth, int sourceHeight) = 0;
    virtual bool Query(WindowHandle window, WindowFacts* facts) = 0;
    virtual bool Exists(WindowHandle window) = 0;
    virtual bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight) = 0;
    virtual bool ReadPixel(WindowHandle window, int x, int y, uint32_t* rgb) = 0;
    virtual void ScreenSize(int* width, int* height) = 0;
};

WindowBackend& OffscreenWindows();

// The X11 windows on the display `displayName` names (the DISPLAY
// variable's form); null when it is null, empty or the server cannot be
// reached. Made once per process: later calls return the first result.
WindowBackend* X11Windows(const char* displayName);

// Whether the X11 windows upload pictures through shared memory (MIT-SHM;
// switched off with KOLVEX_X11_NO_SHM, and by a server that cannot attach
// this process's memory). False when there are no X11 windows.
bool X11SharedMemoryInUse();

// Whether an X server answers at `displayName` (opens and closes a
// connection).
bool X11DisplayReachable(const char* displayName);

// The backend of this process: X11 when DISPLAY names a reachable server,
// off-screen otherwise. Chosen at the first call and kept.
WindowBackend& ActiveWindowBackend();

}  // namespace kvx::platform::posix
