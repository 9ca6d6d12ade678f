#include "announcement_window.h"

#include "module.h"

namespace kvx::dshow {
namespace {

const wchar_t kClassName[] = L"KolvexCaptureAnnouncements";

ATOM RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc);
    }();
    return atom;
}

}  // namespace

AnnouncementWindow::AnnouncementWindow() {
    RegisterOnce();
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
}

AnnouncementWindow::~AnnouncementWindow() {
    if (!window_) return;
    DestroyWindow(window_);
    // Whatever the library still posted goes with the window.
    MSG m;
    while (PeekMessageW(&m, window_, 0, 0, PM_REMOVE)) {
    }
}

bool AnnouncementWindow::Next(DWORD timeoutMs, MSG* message) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (PeekMessageW(message, window_, 0, 0, PM_REMOVE)) return true;
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLPOSTMESSAGE);
    }
}

int AnnouncementWindow::DiscardQueuedFrames() {
    int count = 0;
    MSG m;
    while (PeekMessageW(&m, window_, KOLVEX_WM_FRAME, KOLVEX_WM_FRAME, PM_NOREMOVE) && IsFrameReady(m)) {
        PeekMessageW(&m, window_, KOLVEX_WM_FRAME, KOLVEX_WM_FRAME, PM_REMOVE);
        ++count;
    }
    return count;
}

}  // namespace kvx::dshow
