// Real windows on an X server, drawn like the off-screen ones: a picture
// converted to the server's pixel format, uploaded through shared memory
// where the server offers it (MIT-SHM) and as a plain image otherwise.
//
// One connection per process, made on first use and kept. Every Xlib call
// on it happens under `lock_`, so windows made on the application's thread
// and pictures drawn from acquisition threads never interleave requests.
// Events are read whenever the backend is called: as on Windows, where a
// window's messages wait until its thread looks at them, a window that the
// window manager asks to close is destroyed at the next call, and from then
// on it is neither shown nor painted.
//
// The server may go away under us (killed, or stopped and given up by the
// call watch, x11_connection.h). Its connection is then marked lost instead
// of ending the process, as Xlib would: every window of it counts as gone,
// painting fails quietly and acquisition goes on, new windows are refused.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/posix/dib_sampling.h"
#include "platform/posix/window_backend.h"
#include "platform/posix/x11_connection.h"

namespace kvx::platform::posix {

namespace {

// Errors on our connection are noted here instead of ending the process,
// as Xlib's default handlers would. Written only while the backend's lock is
// held, since errors arrive during our own calls.
Display* errorDisplay = nullptr;
int lastError = 0;
bool connectionLost = false;
XErrorHandler outerHandler = nullptr;
XIOErrorHandler outerIoHandler = nullptr;

int NoteError(Display* display, XErrorEvent* event) {
    if (display == errorDisplay) {
        lastError = event->error_code;
        return 0;
    }
    return outerHandler ? outerHandler(display, event) : 0;
}

// Xlib calls the exit handler of the display after the I/O error handler;
// returning from it keeps the process, and the connection answers every
// later call at once, with nothing.
int NoteIoError(Display* display) {
    if (display == errorDisplay) return 0;
    return outerIoHandler ? outerIoHandler(display) : 0;
}

void LoseConnection(Display*, void*) { connectionLost = true; }

// The error handlers are one per process and the application may have its
// own: ours are installed only while the backend's lock is held, around our
// own requests, and the application's are put back afterwards. The call
// watch bounds how long the requests may wait for the server.
class ErrorTrap {
public:
    ErrorTrap() : saved_(XSetErrorHandler(NoteError)), savedIo_(XSetIOErrorHandler(NoteIoError)) {
        if (saved_ != NoteError) outerHandler = saved_;
        if (savedIo_ != NoteIoError) outerIoHandler = savedIo_;
        lastError = 0;
        ArmCallWatch();
    }
    ~ErrorTrap() {
        DisarmCallWatch();
        XSetIOErrorHandler(savedIo_);
        XSetErrorHandler(saved_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    XErrorHandler saved_;
    XIOErrorHandler savedIo_;
};

// One colour channel of a TrueColor visual: where its bits sit.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(unsigned long mask = 0) {
        if (!mask) return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    unsigned long Encode(uint32_t value8) const {
        return bits >= 8 ? static_cast<unsigned long>(value8) << (shift + bits - 8)
                         : static_cast<unsigned long>(value8 >> (8 - bits)) << shift;
    }
    uint32_t Decode(unsigned long pixel) const {
        if (bits == 0) return 0;
        const unsigned long v = (pixel >> shift) & ((1ul << bits) - 1);
        return static_cast<uint32_t>(bits >= 8 ? v >> (bits - 8) : v * 255 / ((1ul << bits) - 1));
    }
};

struct X11Window {
    Window id = 0;
    bool topLevel = false;
    bool collapsedWidth = false, collapsedHeight = false;  // asked for 0: X has no empty windows
    bool destroyed = false;  // closed by the window manager or gone with its parent
    WindowFacts facts;       // what does not change: style, title, class, parent, child id
};

// A device context: the window and the picture uploaded to it, reused while
// the size stays.
struct X11Dc {
    std::shared_ptr<X11Window> window;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool shared = false;
};

class X11 final : public WindowBackend {
public:
    explicit X11(Display* display) : display_(display) {
        screen_ = DefaultScreen(display_);
        root_ = RootWindow(display_, screen_);
        visual_ = DefaultVisual(display_, screen_);
        depth_ = DefaultDepth(display_, screen_);
        red_ = Channel(visual_->red_mask);
        green_ = Channel(visual_->green_mask);
        blue_ = Channel(visual_->blue_mask);
        gc_ = XCreateGC(display_, root_, 0, nullptr);
        wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
        wmDelete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        int major = 0, minor = 0;
        Bool pixmaps = False;
        const char* noShm = std::getenv("KOLVEX_X11_NO_SHM");
        shmAvailable_ = !(noShm && *noShm) && XShmQueryVersion(display_, &major, &minor, &pixmaps) == True;
        errorDisplay = display_;
        XSetIOErrorExitHandler(display_, LoseConnection, nullptr);
    }

    bool UsesSharedMemory() {
        std::lock_guard<std::mutex> hold(lock_);
        return shmAvailable_;
    }

    WindowHandle Create(const std::string& className, const char* title, uint32_t style, WindowHandle parent, int x,
                        int y, int width, int height, int childId) override {
        if (width < 0 || height < 0) return nullptr;
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        if (connectionLost) return nullptr;  // Xlib would hand out an id for a window that never exists
        auto window = std::make_shared<X11Window>();
        window->topLevel = parent == nullptr;
        window->collapsedWidth = width == 0;
        window->collapsedHeight = height == 0;
        window->facts = {x, y, width, height, width, height, style, childId, parent, title ? title : "", className};

        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(display_, screen_);
        attributes.event_mask = StructureNotifyMask;
        const Window parentId = parent ? static_cast<Window>(reinterpret_cast<uintptr_t>(parent)) : root_;
        XWindowAttributes parentAttributes;
        if (!Attributes(parentId, &parentAttributes)) return nullptr;  // no window of this display
        lastError = 0;
        const Window id = XCreateWindow(display_, parentId, x, y, std::max(1, width), std::max(1, height), 0,
                                        CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
                                        &attributes);
        XSync(display_, False);
        if (lastError || !id) {
            // Refused: a parent that cannot hold such a window, or no resources.
            if (id && lastError != BadWindow) XDestroyWindow(display_, id);
            XSync(display_, False);
            return nullptr;
        }
        window->id = id;
        if (window->topLevel) {
            XStoreName(display_, id, title ? title : "");
            XClassHint hint{};
            std::string name = "kolvex";
            hint.res_name = name.data();
            hint.res_class = window->facts.className.data();
            XSetClassHint(display_, id, &hint);
            XSizeHints size{};
            size.flags = USPosition | USSize;
            size.x = x;
            size.y = y;
            size.width = std::max(1, width);
            size.height = std::max(1, height);
            XSetWMNormalHints(display_, id, &size);
            Atom protocols[] = {wmDelete_};
            XSetWMProtocols(display_, id, protocols, 1);
        }
        XSync(display_, False);
        auto handle = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(id));
        windows_[handle] = std::move(window);
        return handle;
    }

    bool HasWindowsOfClass(const std::string& className) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        for (const auto& entry : windows_)
            if (!entry.second->destroyed && entry.second->facts.className == className) return true;
        return false;
    }

    bool FocusShowUpdate(WindowHandle handle) override {
        bool topLevel = false;
        {
            std::lock_guard<std::mutex> hold(lock_);
            ErrorTrap trap;
            ReadEvents();
            auto w = Live(handle);
            if (!w) return false;
            XMapRaised(display_, w->id);
            XSync(display_, False);
            if (lastError) return false;
            topLevel = w->topLevel;
        }
        // A window manager maps a top-level window in its own time; wait a
        // little so that the first frame has somewhere to go.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                ErrorTrap trap;
                ReadEvents();
                auto w = Live(handle);
                if (!w) return false;
                if (Viewable(w->id)) {
                    XSetInputFocus(display_, w->id, RevertToParent, CurrentTime);
                    XSync(display_, False);  // a window manager may refuse the focus; the window still stands
                    return true;
                }
                if (!topLevel || std::chrono::steady_clock::now() >= giveUp) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void Destroy(WindowHandle handle) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        auto it = windows_.find(handle);
        if (it == windows_.end()) return;
        if (!it->second->destroyed) {
            lastError = 0;
            XDestroyWindow(display_, it->second->id);
            XSync(display_, False);
            it->second->destroyed = true;
        }
        windows_.erase(it);
    }

    void* AcquireDc(WindowHandle handle) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        auto w = Live(handle);
        if (!w) return nullptr;
        auto* dc = new X11Dc;
        dc->window = std::move(w);
        return dc;
    }

    void ReleaseDc(void* context) override {
        auto* dc = static_cast<X11Dc*>(context);
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        FreeImage(dc);
        delete dc;
    }

    bool IsShown(WindowHandle handle) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        auto w = Live(handle);
        return w && Viewable(w->id);
    }

    bool ClientSize(WindowHandle handle, int* width, int* height) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        XWindowAttributes a;
        auto w = LiveWithAttributes(handle, &a);
        if (!w) return false;
        *width = w->collapsedWidth ? 0 : a.width;
        *height = w->collapsedHeight ? 0 : a.height;
        return true;
    }

    bool Draw(void* context, int x, int y, int width, int height, const DibSurface& surface, const DibInfo& info,
              int sourceX, int sourceY, int sourceWidth, int sourceHeight) override {
        auto* dc = static_cast<X11Dc*>(context);
        if (!dc || !DibDrawable(surface, info) || width <= 0 || height <= 0 || sourceWidth == 0 ||
            sourceHeight == 0)
            return false;
        {
            std::lock_guard<std::mutex> hold(lock_);
            ErrorTrap trap;
            ReadEvents();
            if (dc->window->destroyed || !FitImage(dc, width, height)) return false;
        }
        // The picture is made outside the lock: the device context and its
        // image belong to the one thread that paints through it.
        Fill(dc->image, width, height, surface, info, sourceX, sourceY, sourceWidth, sourceHeight);
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        if (dc->window->destroyed || connectionLost) return false;
        lastError = 0;
        if (dc->shared)
            XShmPutImage(display_, dc->window->id, gc_, dc->image, 0, 0, x, y, width, height, False);
        else
            XPutImage(display_, dc->window->id, gc_, dc->image, 0, 0, x, y, width, height);
        // Also makes sure the server has read the shared image before the
        // next frame overwrites it.
        XSync(display_, False);
        return lastError == 0 && !connectionLost;
    }

    bool Query(WindowHandle handle, WindowFacts* facts) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        XWindowAttributes a;
        auto w = LiveWithAttributes(handle, &a);
        if (!w) return false;
        *facts = w->facts;
        facts->x = a.x;
        facts->y = a.y;
        if (w->topLevel) {
            Window child = 0;
            XTranslateCoordinates(display_, w->id, root_, 0, 0, &facts->x, &facts->y, &child);
        }
        facts->width = facts->clientWidth = w->collapsedWidth ? 0 : a.width;
        facts->height = facts->clientHeight = w->collapsedHeight ? 0 : a.height;
        if (a.map_state != IsUnmapped) facts->style |= kStyleVisible;
        return true;
    }

    bool Exists(WindowHandle handle) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        return Live(handle) != nullptr;
    }

    bool ResizeClient(WindowHandle handle, int clientWidth, int clientHeight) override {
        if (clientWidth < 0 || clientHeight < 0) return false;
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        auto w = Live(handle);
        if (!w) return false;
        lastError = 0;
        XResizeWindow(display_, w->id, std::max(1, clientWidth), std::max(1, clientHeight));
        XSync(display_, False);
        w->collapsedWidth = clientWidth == 0;
        w->collapsedHeight = clientHeight == 0;
        return lastError == 0;
    }

    bool ReadPixel(WindowHandle handle, int x, int y, uint32_t* rgb) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        ReadEvents();
        auto w = Live(handle);
        XWindowAttributes a;
        if (!w || !Attributes(w->id, &a) || x < 0 || y < 0 || x >= a.width || y >= a.height) return false;
        lastError = 0;
        XImage* image = XGetImage(display_, w->id, x, y, 1, 1, AllPlanes, ZPixmap);
        XSync(display_, False);
        if (!image) return false;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        *rgb = (red_.Decode(pixel) << 16) | (green_.Decode(pixel) << 8) | blue_.Decode(pixel);
        return true;
    }

    void ScreenSize(int* width, int* height) override {
        std::lock_guard<std::mutex> hold(lock_);
        ErrorTrap trap;
        *width = DisplayWidth(display_, screen_);
        *height = DisplayHeight(display_, screen_);
    }

private:
    // Takes what the server sent: a close request from the window manager
    // destroys the window, as the default window procedure does on
    // Windows; a window destroyed with its parent is marked gone.
    void ReadEvents() {
        if (connectionLost) {
            for (auto& entry : windows_) entry.second->destroyed = true;
            return;
        }
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && event.xclient.message_type == wmProtocols_ &&
                static_cast<Atom>(event.xclient.data.l[0]) == wmDelete_) {
                if (auto w = ById(event.xclient.window); w && !w->destroyed) {
                    lastError = 0;
                    XDestroyWindow(display_, w->id);
                    XSync(display_, False);
                    w->destroyed = true;
                }
            } else if (event.type == DestroyNotify) {
                if (auto w = ById(event.xdestroywindow.window)) w->destroyed = true;
            }
        }
    }

    std::shared_ptr<X11Window> ById(Window id) {
        auto it = windows_.find(reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(id)));
        return it == windows_.end() ? nullptr : it->second;
    }

    // The window after the pending events, with its attributes; null when it
    // is gone. Under lock_ and an ErrorTrap.
    std::shared_ptr<X11Window> LiveWithAttributes(WindowHandle handle, XWindowAttributes* a) {
        ReadEvents();
        auto w = Live(handle);
        return w && Attributes(w->id, a) ? w : nullptr;
    }

    std::shared_ptr<X11Window> Live(WindowHandle handle) {
        auto it = windows_.find(handle);
        return it == windows_.end() || it->second->destroyed ? nullptr : it->second;
    }

    bool Attributes(Window id, XWindowAttributes* a) {
        lastError = 0;
        const Status ok = XGetWindowAttributes(display_, id, a);
        return ok && lastError == 0;
    }

    bool Viewable(Window id) {
        XWindowAttributes a;
        return Attributes(id, &a) && a.map_state == IsViewable;
    }

    void FreeImage(X11Dc* dc) {
        if (!dc->image) return;
        if (dc->shared) {
            if (!connectionLost) {
                XShmDetach(display_, &dc->shm);
                XSync(display_, False);
            }
            XDestroyImage(dc->image);
            shmdt(dc->shm.shmaddr);
        } else {
            XDestroyImage(dc->image);  // frees the pixel memory too
        }
        dc->image = nullptr;
        dc->shared = false;
        dc->shm = XShmSegmentInfo{};
    }

    // An image of exactly width x height for this device context, in shared
    // memory when the server takes it.
    bool FitImage(X11Dc* dc, int width, int height) {
        if (dc->image && dc->image->width == width && dc->image->height == height) return true;
        FreeImage(dc);
        if (shmAvailable_ && MakeSharedImage(dc, width, height)) return true;
        XImage* image =
            XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!image) return false;
        image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line),
                                                     static_cast<size_t>(height)));
        if (!image->data) {
            XDestroyImage(image);
            return false;
        }
        dc->image = image;
        return true;
    }

    bool MakeSharedImage(X11Dc* dc, int width, int height) {
        XImage* image = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                                        &dc->shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!image) return false;
        const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
        dc->shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (dc->shm.shmid < 0) {
            XDestroyImage(image);
            return false;
        }
        dc->shm.shmaddr = image->data = static_cast<char*>(shmat(dc->shm.shmid, nullptr, 0));
        dc->shm.readOnly = False;
        bool attached = false;
        if (dc->shm.shmaddr != reinterpret_cast<char*>(-1)) {
            lastError = 0;
            XShmAttach(display_, &dc->shm);
            XSync(display_, False);
            attached = lastError == 0;
        }
        // Marked for removal at once: it goes away with its last user, even
        // if this process dies.
        shmctl(dc->shm.shmid, IPC_RMID, nullptr);
        if (!attached) {
            // A server on another machine cannot see our memory: plain
            // uploads from now on.
            shmAvailable_ = false;
            if (dc->shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(dc->shm.shmaddr);
            image->data = nullptr;
            XDestroyImage(image);
            dc->shm = XShmSegmentInfo{};
            return false;
        }
        dc->image = image;
        dc->shared = true;
        return true;
    }

    unsigned long Encode(uint32_t rgb) const {
        return red_.Encode(rgb >> 16 & 0xFF) | green_.Encode(rgb >> 8 & 0xFF) | blue_.Encode(rgb & 0xFF);
    }

    // Converts the source span into the image's pixels: one lookup per
    // column and row, then straight byte moves for the usual 8-bit-per-
    // channel screens. Pixels the source does not cover are black.
    void Fill(XImage* image, int width, int height, const DibSurface& surface, const DibInfo& info, int sourceX,
              int sourceY, int sourceWidth, int sourceHeight) const {
        const int bitmapWidth = info.header.biWidth, bitmapHeight = info.header.biHeight;
        const int bytesPerPixel = info.header.biBitCount / 8;
        const size_t stride = static_cast<size_t>(((bitmapWidth * bytesPerPixel) + 3) & ~3);
        std::vector<int> columns(static_cast<size_t>(width));
        for (int column = 0; column < width; ++column) {
            const int sx = DibSourceCoordinate(column, width, sourceX, sourceWidth);
            columns[static_cast<size_t>(column)] = sx >= 0 && sx < bitmapWidth ? sx * bytesPerPixel : -1;
        }
        uint32_t palette[256] = {};
        if (bytesPerPixel == 1)
            for (int i = 0; i < 256; ++i) {
                const DibColor& c = info.colors[i];
                palette[i] = static_cast<uint32_t>(Encode((uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue));
            }
        const bool plain888 = visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
        const bool direct = image->bits_per_pixel == 32 && image->byte_order == NativeOrder();
        for (int row = 0; row < height; ++row) {
            // System row r of a bottom-up bitmap is memory row height - 1 - r.
            const int systemRow = DibSourceCoordinate(row, height, sourceY, sourceHeight);
            const bool rowInside = systemRow >= 0 && systemRow < bitmapHeight;
            const uint8_t* in = rowInside ? surface.bits + static_cast<size_t>(bitmapHeight - 1 - systemRow) * stride
                                          : nullptr;
            auto* out = reinterpret_cast<uint32_t*>(image->data + static_cast<size_t>(row) * image->bytes_per_line);
            for (int column = 0; column < width; ++column) {
                const int at = columns[static_cast<size_t>(column)];
                uint32_t pixel = 0;
                if (in && at >= 0) {
                    const uint8_t* p = in + at;
                    if (bytesPerPixel == 1) {
                        pixel = palette[p[0]];
                    } else {
                        const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
                        pixel = plain888 ? rgb : static_cast<uint32_t>(Encode(rgb));
                    }
                } else {
                    pixel = static_cast<uint32_t>(Encode(0));
                }
                if (direct)
                    out[column] = pixel;
                else
                    XPutPixel(image, column, row, pixel);
            }
        }
    }

    static int NativeOrder() {
        const uint16_t probe = 1;
        return *reinterpret_cast<const uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
    }

    std::mutex lock_;  // guards every call on display_, windows_ and shmAvailable_
    Display* display_;
    int screen_ = 0;
    Window root_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    Channel red_, green_, blue_;
    GC gc_ = nullptr;
    Atom wmProtocols_ = 0, wmDelete_ = 0;
    bool shmAvailable_ = false;
    std::map<WindowHandle, std::shared_ptr<X11Window>> windows_;
};

}  // namespace

bool X11DisplayReachable(const char* displayName) {
    if (!displayName || !*displayName) return false;
    Display* display = OpenDisplayWithin(displayName, kX11CallBound);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

bool X11SharedMemoryInUse() {
    auto* backend = static_cast<X11*>(X11Windows(nullptr));
    return backend && backend->UsesSharedMemory();
}

WindowBackend* X11Windows(const char* displayName) {
    static WindowBackend* backend = [displayName]() -> WindowBackend* {
        if (!displayName || !*displayName) return nullptr;
        XInitThreads();
        Display* display = OpenDisplayWithin(displayName, kX11CallBound);
        if (!display) return nullptr;
        const Visual* visual = DefaultVisual(display, DefaultScreen(display));
        // Colour-mapped screens are left to the off-screen windows.
        if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
            XCloseDisplay(display);
            return nullptr;
        }
        StartCallWatch(display);
        return new X11(display);  // never destroyed: windows may be painted while the process exits
    }();
    return backend;
}

}  // namespace kvx::platform::posix
