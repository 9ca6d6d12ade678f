/* wait_message.h on Windows: a message-only window and the thread's queue. */
#include <windows.h>

#include "wait_message.h"

KolvexWindow open_message_window(void) {
    /* Message-only: never shown, it only receives what is posted to it. */
    return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, GetModuleHandleA(NULL), NULL);
}

void close_message_window(KolvexWindow window) { DestroyWindow((HWND)window); }

int wait_message(KolvexWindow window, unsigned int timeout_ms, PostedMessage *message) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        DWORD waited;
        /* Other windows of the thread (a preview window) are served too. */
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == (HWND)window && (msg.message == KOLVEX_WM_FRAME || msg.message == KOLVEX_WM_ERROR)) {
                message->message = msg.message;
                message->wParam = msg.wParam;
                message->lParam = msg.lParam;
                return 1;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        waited = GetTickCount() - start;
        if (waited >= timeout_ms) return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, timeout_ms - waited, QS_ALLINPUT);
    }
}
