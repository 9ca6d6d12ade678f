// The Linux application's side of posted messages. Built into the Linux
// library only: Windows applications have their own message queues.
#include "KolvexSdkLinux.h"
#include "platform/posix/mailbox.h"

extern "C" {

KOLVEX_API int KOLVEX_CALL KolvexLinux_WaitMessage(KolvexWindow window, unsigned int timeoutMs,
                                                   KolvexMessage* message) {
    if (!message) return 0;
    try {
        kvx::platform::posix::PostedMessage posted{};
        if (!kvx::platform::posix::WaitMessage(window, timeoutMs, &posted)) return 0;
        message->message = posted.message;
        message->wParam = posted.wParam;
        message->lParam = posted.lParam;
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
