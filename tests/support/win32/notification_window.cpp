#include <windows.h>

#include "notification_window.h"

namespace kvx::test {

namespace {
const char kClassName[] = "KolvexTestNotificationWindow";

ATOM RegisterOnce() {
    static ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc);
    }();
    return atom;
}
}  // namespace

NotificationWindow::NotificationWindow() {
    RegisterOnce();
    handle_ = CreateWindowExA(0, kClassName, "kolvex test", WS_OVERLAPPED, 0, 0, 64, 64, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
}

NotificationWindow::~NotificationWindow() {
    if (handle_) DestroyWindow(static_cast<HWND>(handle_));
}

std::vector<Notification> NotificationWindow::Take() {
    std::vector<Notification> out;
    MSG msg;
    while (PeekMessageA(&msg, static_cast<HWND>(handle_), 0, 0, PM_REMOVE)) {
        if (msg.message >= WM_APP) out.push_back({msg.message, msg.wParam, msg.lParam});
    }
    return out;
}

}  // namespace kvx::test
