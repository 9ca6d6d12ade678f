#include "dialog_user.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace kvx::test {

namespace {

BOOL CALLBACK CancelIfDialog(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window))
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

}  // namespace

void RunCancellingDialogs(const std::function<void()>& call) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        while (!done.load()) {
            EnumWindows(CancelIfDialog, 0);
            Sleep(20);
        }
    });
    call();
    done = true;
    user.join();
}

}  // namespace kvx::test
