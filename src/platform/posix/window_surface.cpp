// Off-screen windows: a process-wide table of windows whose client areas are
// memory. Painting fills that memory the way the system would draw it, so
// what a window shows can be read back pixel by pixel.
#include "platform/window_surface.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace kvx::platform {

namespace {

// The screen the windows are centred on: the size of the virtual X server
// the Windows suites run in, so both builds place windows alike.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

struct OffscreenWindow {
    std::string className;    // fixed at creation
    mutable std::mutex lock;  // guards everything below
    WindowFacts facts;
    bool focused = false;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

struct WindowTable {
    std::mutex lock;  // guards classes and windows
    std::set<std::string> classes;
    std::map<WindowHandle, std::shared_ptr<OffscreenWindow>> windows;
};

WindowTable& Table() {
    // Never destroyed: a window may be painted while the process exits.
    static WindowTable* table = new WindowTable;
    return *table;
}

std::shared_ptr<OffscreenWindow> Find(WindowHandle window) {
    WindowTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.windows.find(window);
    return it == t.windows.end() ? nullptr : it->second;
}

// A device context keeps its window's memory alive, so painting through
// it after the window is gone draws into nothing rather than freed memory.
struct OffscreenDc {
    std::shared_ptr<OffscreenWindow> window;
};

WindowHandle Create(const char* className, const char* title, uint32_t style, WindowHandle parent, int x, int y,
                    int width, int height, int childId) {
    if (!className || width < 0 || height < 0) return nullptr;
    auto window = std::make_shared<OffscreenWindow>();
    window->className = className;
    window->facts = {x, y, width, height, width, height, style, childId, parent, title ? title : "", className};
    window->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    WindowTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    if (t.classes.count(className) == 0) return nullptr;
    // The object's address is unique while it lives, as a window handle is.
    auto handle = static_cast<WindowHandle>(window.get());
    t.windows[handle] = std::move(window);
    return handle;
}

// 0x00RRGGBB of pixel (column, memoryRow) of a device-independent bitmap.
uint32_t SourcePixel(const DibSurface& surface, const DibInfo& info, int column, int memoryRow) {
    const int bits = info.header.biBitCount;
    const int stride = ((info.header.biWidth * (bits / 8)) + 3) & ~3;
    const uint8_t* p = surface.bits + static_cast<size_t>(memoryRow) * static_cast<size_t>(stride) +
                       static_cast<size_t>(column) * static_cast<size_t>(bits / 8);
    if (bits == 8) {
        const DibColor& c = info.colors[p[0]];
        return (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// Maps destination offset d (0..extent-1) onto the source span that starts
// at `origin` and runs `span` pixels. A negative span runs backwards from
// its origin, which it includes, as the system's mirrored transfers do.
int SourceCoordinate(int d, int extent, int origin, int span) {
    const int64_t magnitude = span < 0 ? -int64_t{span} : span;
    const int64_t offset = (int64_t{d} * magnitude) / extent;
    return static_cast<int>(span < 0 ? origin - offset : origin + offset);
}

bool Draw(void* windowDc, int x, int y, int width, int height, const DibSurface& surface, const DibInfo& info,
          int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    auto* dc = static_cast<OffscreenDc*>(windowDc);
    if (!dc || !surface.bits || width <= 0 || height <= 0 || sourceWidth == 0 || sourceHeight == 0) return false;
    const int bits = info.header.biBitCount;
    if (bits != 8 && bits != 24 && bits != 32) return false;
    const int bitmapWidth = info.header.biWidth, bitmapHeight = info.header.biHeight;
    OffscreenWindow& w = *dc->window;
    std::lock_guard<std::mutex> hold(w.lock);
    const int clientWidth = w.facts.clientWidth, clientHeight = w.facts.clientHeight;
    for (int row = 0; row < height; ++row) {
        const int dy = y + row;
        if (dy < 0 || dy >= clientHeight) continue;
        // System row r of a bottom-up bitmap is memory row height - 1 - r.
        const int systemRow = SourceCoordinate(row, height, sourceY, sourceHeight);
        if (systemRow < 0 || systemRow >= bitmapHeight) continue;
        const int memoryRow = bitmapHeight - 1 - systemRow;
        uint32_t* out = w.pixels.data() + static_cast<size_t>(dy) * static_cast<size_t>(clientWidth);
        for (int column = 0; column < width; ++column) {
            const int dx = x + column;
            if (dx < 0 || dx >= clientWidth) continue;
            const int sx = SourceCoordinate(column, width, sourceX, sourceWidth);
            if (sx < 0 || sx >= bitmapWidth) continue;
            out[dx] = SourcePixel(surface, info, sx, memoryRow);
        }
    }
    return true;
}

}  // namespace

bool RegisterWindowClass(const char* className) {
    if (!className || !*className) return false;
    WindowTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    return t.classes.insert(className).second;
}

bool UnregisterWindowClass(const char* className) {
    if (!className) return false;
    WindowTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    for (const auto& entry : t.windows)
        if (entry.second->className == className) return false;
    return t.classes.erase(className) == 1;
}

WindowHandle CreateChildWindow(const char* className, const char* title, uint32_t style, WindowHandle parent, int x,
                               int y, int width, int height, int childId) {
    if (!parent) return nullptr;
    return Create(className, title, style, parent, x, y, width, height, childId);
}

WindowHandle CreateCentredWindow(const char* className, const char* title, uint32_t style, int clientWidth,
                                 int clientHeight) {
    // Off-screen windows have no frame: the window is its client area.
    const int x = std::max(0, (kScreenWidth - clientWidth) / 2);
    const int y = std::max(0, (kScreenHeight - clientHeight) / 2);
    return Create(className, title, style, nullptr, x, y, clientWidth, clientHeight, 0);
}

bool FocusShowUpdate(WindowHandle window) {
    auto w = Find(window);
    if (!w) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    w->focused = true;
    w->facts.style |= kStyleVisible;
    return true;
}

void DestroyPlatformWindow(WindowHandle window) {
    WindowTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    t.windows.erase(window);
}

void* AcquireWindowDc(WindowHandle window) {
    auto w = Find(window);
    if (!w) return nullptr;
    return new OffscreenDc{std::move(w)};
}

void ReleaseWindowDc(WindowHandle, void* dc) { delete static_cast<OffscreenDc*>(dc); }

bool IsWindowShown(WindowHandle window) {
    auto w = Find(window);
    if (!w) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    return (w->facts.style & kStyleVisible) != 0;
}

bool ClientSize(WindowHandle window, int* width, int* height) {
    auto w = Find(window);
    if (!w) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    *width = w->facts.clientWidth;
    *height = w->facts.clientHeight;
    return true;
}

bool StretchToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                     const DibInfo& info, int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    return Draw(windowDc, x, y, width, height, surface, info, sourceX, sourceY, sourceWidth, sourceHeight);
}

bool BlitToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                  const DibInfo& info, int sourceX, int sourceY) {
    return Draw(windowDc, x, y, width, height, surface, info, sourceX, sourceY, width, height);
}

bool QueryWindow(WindowHandle window, WindowFacts* facts) {
    auto w = Find(window);
    if (!w) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    *facts = w->facts;
    return true;
}

bool WindowExists(WindowHandle window) { return Find(window) != nullptr; }

bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight) {
    auto w = Find(window);
    if (!w || clientWidth < 0 || clientHeight < 0) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    w->facts.width = w->facts.clientWidth = clientWidth;
    w->facts.height = w->facts.clientHeight = clientHeight;
    w->pixels.assign(static_cast<size_t>(clientWidth) * static_cast<size_t>(clientHeight), 0);
    return true;
}

bool ReadWindowPixel(WindowHandle window, int x, int y, uint32_t* rgb) {
    auto w = Find(window);
    if (!w) return false;
    std::lock_guard<std::mutex> hold(w->lock);
    if (x < 0 || y < 0 || x >= w->facts.clientWidth || y >= w->facts.clientHeight) return false;
    *rgb = w->pixels[static_cast<size_t>(y) * static_cast<size_t>(w->facts.clientWidth) + static_cast<size_t>(x)];
    return true;
}

void PrimaryScreenSize(int* width, int* height) {
    *width = kScreenWidth;
    *height = kScreenHeight;
}

}  // namespace kvx::platform
