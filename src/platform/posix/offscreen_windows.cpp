// Off-screen windows: a process-wide table of windows whose client areas are
// memory. Painting fills that memory the way the system would draw it, so
// what a window shows can be read back pixel by pixel.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/posix/dib_sampling.h"
#include "platform/posix/window_backend.h"

namespace kvx::platform::posix {

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

// A device context keeps its window's memory alive, so painting through
// it after the window is gone draws into nothing rather than freed memory.
struct OffscreenDc {
    std::shared_ptr<OffscreenWindow> window;
};

class Offscreen final : public WindowBackend {
public:
    WindowHandle Create(const std::string& className, const char* title, uint32_t style, WindowHandle parent, int x,
                        int y, int width, int height, int childId) override {
        if (width < 0 || height < 0) return nullptr;
        auto window = std::make_shared<OffscreenWindow>();
        window->className = className;
        window->facts = {x, y, width, height, width, height, style, childId, parent, title ? title : "", className};
        window->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        std::lock_guard<std::mutex> hold(lock_);
        // The object's address is unique while it lives, as a window handle is.
        auto handle = static_cast<WindowHandle>(window.get());
        windows_[handle] = std::move(window);
        return handle;
    }

    bool HasWindowsOfClass(const std::string& className) override {
        std::lock_guard<std::mutex> hold(lock_);
        for (const auto& entry : windows_)
            if (entry.second->className == className) return true;
        return false;
    }

    bool FocusShowUpdate(WindowHandle window) override {
        auto w = Find(window);
        if (!w) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        w->focused = true;
        w->facts.style |= kStyleVisible;
        return true;
    }

    void Destroy(WindowHandle window) override {
        std::lock_guard<std::mutex> hold(lock_);
        windows_.erase(window);
    }

    void* AcquireDc(WindowHandle window) override {
        auto w = Find(window);
        if (!w) return nullptr;
        return new OffscreenDc{std::move(w)};
    }

    void ReleaseDc(void* dc) override { delete static_cast<OffscreenDc*>(dc); }

    bool IsShown(WindowHandle window) override {
        auto w = Find(window);
        if (!w) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        return (w->facts.style & kStyleVisible) != 0;
    }

    bool ClientSize(WindowHandle window, int* width, int* height) override {
        auto w = Find(window);
        if (!w) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        *width = w->facts.clientWidth;
        *height = w->facts.clientHeight;
        return true;
    }

    bool Draw(void* windowDc, int x, int y, int width, int height, const DibSurface& surface, const DibInfo& info,
              int sourceX, int sourceY, int sourceWidth, int sourceHeight) override {
        auto* dc = static_cast<OffscreenDc*>(windowDc);
        if (!dc || !DibDrawable(surface, info) || width <= 0 || height <= 0 || sourceWidth == 0 ||
            sourceHeight == 0)
            return false;
        const int bitmapWidth = info.header.biWidth, bitmapHeight = info.header.biHeight;
        OffscreenWindow& w = *dc->window;
        std::lock_guard<std::mutex> hold(w.lock);
        const int clientWidth = w.facts.clientWidth, clientHeight = w.facts.clientHeight;
        for (int row = 0; row < height; ++row) {
            const int dy = y + row;
            if (dy < 0 || dy >= clientHeight) continue;
            // System row r of a bottom-up bitmap is memory row height - 1 - r.
            const int systemRow = DibSourceCoordinate(row, height, sourceY, sourceHeight);
            if (systemRow < 0 || systemRow >= bitmapHeight) continue;
            const int memoryRow = bitmapHeight - 1 - systemRow;
            uint32_t* out = w.pixels.data() + static_cast<size_t>(dy) * static_cast<size_t>(clientWidth);
            for (int column = 0; column < width; ++column) {
                const int dx = x + column;
                if (dx < 0 || dx >= clientWidth) continue;
                const int sx = DibSourceCoordinate(column, width, sourceX, sourceWidth);
                if (sx < 0 || sx >= bitmapWidth) continue;
                out[dx] = DibPixel(surface, info, sx, memoryRow);
            }
        }
        return true;
    }

    bool Query(WindowHandle window, WindowFacts* facts) override {
        auto w = Find(window);
        if (!w) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        *facts = w->facts;
        return true;
    }

    bool Exists(WindowHandle window) override { return Find(window) != nullptr; }

    bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight) override {
        auto w = Find(window);
        if (!w || clientWidth < 0 || clientHeight < 0) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        w->facts.width = w->facts.clientWidth = clientWidth;
        w->facts.height = w->facts.clientHeight = clientHeight;
        w->pixels.assign(static_cast<size_t>(clientWidth) * static_cast<size_t>(clientHeight), 0);
        return true;
    }

    bool ReadPixel(WindowHandle window, int x, int y, uint32_t* rgb) override {
        auto w = Find(window);
        if (!w) return false;
        std::lock_guard<std::mutex> hold(w->lock);
        if (x < 0 || y < 0 || x >= w->facts.clientWidth || y >= w->facts.clientHeight) return false;
        *rgb = w->pixels[static_cast<size_t>(y) * static_cast<size_t>(w->facts.clientWidth) + static_cast<size_t>(x)];
        return true;
    }

    void ScreenSize(int* width, int* height) override {
        *width = kScreenWidth;
        *height = kScreenHeight;
    }

private:
    std::shared_ptr<OffscreenWindow> Find(WindowHandle window) {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = windows_.find(window);
        return it == windows_.end() ? nullptr : it->second;
    }

    std::mutex lock_;  // guards windows_
    std::map<WindowHandle, std::shared_ptr<OffscreenWindow>> windows_;
};

}  // namespace

WindowBackend& OffscreenWindows() {
    // Never destroyed: a window may be painted while the process exits.
    static Offscreen* backend = new Offscreen;
    return *backend;
}

}  // namespace kvx::platform::posix
