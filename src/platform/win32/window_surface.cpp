#include "platform/window_surface.h"

#include <windows.h>

#include <algorithm>

namespace kvx::platform {

namespace {

HWND Hwnd(WindowHandle window) { return static_cast<HWND>(window); }

// Bitmaps whose section could not be made have no memory device context;
// they are drawn from their bits instead.
bool DrawBits(HDC dc, int x, int y, int width, int height, const DibSurface& surface, const DibInfo& info,
              int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    // StretchDIBits counts source rows from the bottom of the bitmap.
    const int bitmapHeight = info.header.biHeight;
    const int bottomY = sourceHeight < 0 ? bitmapHeight - 1 - sourceY : bitmapHeight - sourceY - sourceHeight;
    return StretchDIBits(dc, x, y, width, height, sourceX, bottomY, sourceWidth, sourceHeight, surface.bits,
                         reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY) != 0;
}

}  // namespace

bool RegisterWindowClass(const char* className) {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className;
    return RegisterClassA(&wc) != 0;
}

bool UnregisterWindowClass(const char* className) {
    return UnregisterClassA(className, GetModuleHandleA(nullptr)) != 0;
}

WindowHandle CreateChildWindow(const char* className, const char* title, uint32_t style, WindowHandle parent, int x,
                               int y, int width, int height, int childId) {
    return CreateWindowExA(0, className, title, style, x, y, width, height, Hwnd(parent),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)), GetModuleHandleA(nullptr),
                           nullptr);
}

WindowHandle CreateCentredWindow(const char* className, const char* title, uint32_t style, int clientWidth,
                                 int clientHeight) {
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    return CreateWindowExA(0, className, title, style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool FocusShowUpdate(WindowHandle window) {
    SetFocus(Hwnd(window));
    ShowWindow(Hwnd(window), SW_SHOW);
    return UpdateWindow(Hwnd(window)) != 0;
}

void DestroyPlatformWindow(WindowHandle window) {
    HWND hwnd = Hwnd(window);
    if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(hwnd);
    } else {
        // Only the creating thread may destroy a window; its default
        // procedure destroys it when it handles the close request.
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    }
}

void* AcquireWindowDc(WindowHandle window) { return GetDC(Hwnd(window)); }

void ReleaseWindowDc(WindowHandle window, void* dc) { ReleaseDC(Hwnd(window), static_cast<HDC>(dc)); }

bool IsWindowShown(WindowHandle window) { return IsWindowVisible(Hwnd(window)) != 0; }

bool ClientSize(WindowHandle window, int* width, int* height) {
    RECT client;
    if (!GetClientRect(Hwnd(window), &client)) return false;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
}

bool StretchToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                     const DibInfo& info, int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    HDC dc = static_cast<HDC>(windowDc);
    if (!dc || !surface.bits) return false;
    if (!surface.memoryDc)
        return DrawBits(dc, x, y, width, height, surface, info, sourceX, sourceY, sourceWidth, sourceHeight);
    return StretchBlt(dc, x, y, width, height, static_cast<HDC>(surface.memoryDc), sourceX, sourceY, sourceWidth,
                      sourceHeight, SRCCOPY) != 0;
}

bool BlitToWindow(void* windowDc, int x, int y, int width, int height, const DibSurface& surface,
                  const DibInfo& info, int sourceX, int sourceY) {
    HDC dc = static_cast<HDC>(windowDc);
    if (!dc || !surface.bits) return false;
    if (!surface.memoryDc) return DrawBits(dc, x, y, width, height, surface, info, sourceX, sourceY, width, height);
    return BitBlt(dc, x, y, width, height, static_cast<HDC>(surface.memoryDc), sourceX, sourceY, SRCCOPY) != 0;
}

bool QueryWindow(WindowHandle window, WindowFacts* facts) {
    HWND hwnd = Hwnd(window);
    if (!IsWindow(hwnd)) return false;
    RECT client, frame;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &frame);
    HWND parent = GetParent(hwnd);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    POINT origin = {frame.left, frame.top};
    if ((style & WS_CHILD) && parent) ScreenToClient(parent, &origin);
    char text[256] = "", name[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, name, sizeof name);
    facts->x = origin.x;
    facts->y = origin.y;
    facts->width = frame.right - frame.left;
    facts->height = frame.bottom - frame.top;
    facts->clientWidth = client.right - client.left;
    facts->clientHeight = client.bottom - client.top;
    facts->style = static_cast<uint32_t>(style);
    facts->childId = (style & WS_CHILD) ? GetDlgCtrlID(hwnd) : 0;
    facts->parent = (style & WS_CHILD) ? parent : nullptr;
    facts->title = text;
    facts->className = name;
    return true;
}

bool WindowExists(WindowHandle window) { return IsWindow(Hwnd(window)) != 0; }

bool ResizeClient(WindowHandle window, int clientWidth, int clientHeight) {
    HWND hwnd = Hwnd(window);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE);
    return SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool ReadWindowPixel(WindowHandle window, int x, int y, uint32_t* rgb) {
    HWND hwnd = Hwnd(window);
    HDC dc = GetDC(hwnd);
    if (!dc) return false;
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    if (c == CLR_INVALID) return false;
    *rgb = (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
    return true;
}

void PrimaryScreenSize(int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace kvx::platform
