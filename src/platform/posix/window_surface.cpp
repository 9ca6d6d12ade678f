// The window service on POSIX: window classes here, windows in the backend
// this process uses (X11 where a display is reachable, off-screen memory
// otherwise).
#include "platform/window_surface.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/posix/window_backend.h"

namespace kvx::platform {

namespace {

struct ClassTable {
    std::mutex lock;  // guards names
    std::set<std::string> names;
};

ClassTable& Classes() {
    static ClassTable* table = new ClassTable;  // never destroyed, as the windows
    return *table;
}

bool ClassRegistered(const char* className) {
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> hold(t.lock);
    return className && t.names.count(className) != 0;
}

posix::WindowBackend& Backend() { return posix::ActiveWindowBackend(); }

}  // namespace

namespace posix {

WindowBackend& ActiveWindowBackend() {
    static WindowBackend* chosen = [] {
        WindowBackend* x11 = X11Windows(std::getenv("DISPLAY"));
        return x11 ? x11 : &OffscreenWindows();
    }();
    return *chosen;
}

}  // namespace posix

bool RegisterWindowClass(const char* className) {
    if (!className || !*className) return false;
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> hold(t.lock);
    return t.names.insert(className).second;
}

bool UnregisterWindowClass(const char* className) {
    if (!className) return false;
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> hold(t.lock);
    if (t.names.count(className) == 0 || Backend().HasWindowsOfClass(className)) return false;
    return t.names.erase(className) == 1;
}

WindowHandle CreateChildWindow(const char* className, const char* title, uint32_t style, WindowHandle parent, int x,
                               int y, int width, int height, int childId) {
    if (!parent || !ClassRegistered(className)) return nullptr;
    return Backend().Create(className, title, style, parent, x, y, width, height, childId);
}

WindowHandle CreateCentredWindow(const char* className, const char* title, uint32_t style, int clientWidth,
                                 int clientHeight) {
    if (!ClassRegistered(className)) return nullptr;
    int screenWidth = 0, screenHeight = 0;
    Backend().ScreenSize(&screenWidth, &screenHeight);
    // These windows have no frame of their own: the window is its client
    // area (a window manager may add one around it).
    const int x = std::max(0, (screenWidth - clientWidth) / 2);
    const int y = std::max(0, (screenHeight - clientHeight) / 2);
    return Backend().Create(className, title, style, nullptr, x, y, clientWidth, clientHeight, 0);
}

bool FocusShowUpdate(WindowHandle window) { return Backend().FocusShowUpdate(window); }

void DestroyPlatformWindow(WindowHandle window) { Backend().Destroy(window); }

void* AcquireWindowDc(WindowHandle window) { return Backend().AcquireDc(window); }

void ReleaseWindowDc(WindowHandle, void* dc) {
    if (dc) Backend().ReleaseDc(dc);
}

bool IsWindowShown(WindowHandle window) { return Backend().IsShown(window); }

bool ClientSize(WindowHandle window, int* width, int* height) { return Backend().ClientSize(window, width, height); }

bool StretchToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                     const DibInfo& info, int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    return Backend().Draw(windowDc, x, y, width, height, surface, info, sourceX, sourceY, sourceWidth, sourceHeight);
}

bool BlitToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                  const DibInfo& info, int sourceX, int sourceY) {
    return Backend().Draw(windowDc, x, y, width, height, surface, info, sourceX, sourceY, width, height);
}

bool QueryWindow(WindowHandle window, WindowFacts* facts) { return Backend().Query(window, facts); }

bool WindowExists(WindowHandle window) { return Backend().Exists(window); }

bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight) {
    return Backend().ResizeClient(window, clientWidth, clientHeight);
}

bool ReadWindowPixel(WindowHandle window, int x, int y, uint32_t* rgb) {
    return Backend().ReadPixel(window, x, y, rgb);
}

void PrimaryScreenSize(int* width, int* height) { Backend().ScreenSize(width, height); }

}  // namespace kvx::platform
