#include <windows.h>

#include "message_window.h"

namespace {
const char kClassName[] = "KolvexCliMessages";
}

MessageWindow::MessageWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    // Hidden: it only receives what the library posts.
    handle_ = CreateWindowExA(0, kClassName, "kolvex-cli", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
}

MessageWindow::~MessageWindow() {
    if (handle_) DestroyWindow(static_cast<HWND>(handle_));
}

bool MessageWindow::Wait(unsigned timeoutMs, PostedMessage* out) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == static_cast<HWND>(handle_) && msg.message >= WM_APP) {
                *out = {msg.message, msg.wParam, static_cast<intptr_t>(msg.lParam)};
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLINPUT);
    }
}
