/* wait_message.h on Linux: the library's mailbox (KolvexSdkLinux.h). */
#include <KolvexSdkLinux.h>

#include "wait_message.h"

KolvexWindow open_message_window(void) {
    /* A mailbox is named by any value unique in the process. */
    static char key;
    return &key;
}

void close_message_window(KolvexWindow window) {
    KolvexMessage message;
    while (KolvexLinux_WaitMessage(window, 0, &message)) {
    }
}

int wait_message(KolvexWindow window, unsigned int timeout_ms, PostedMessage *message) {
    KolvexMessage taken;
    if (!KolvexLinux_WaitMessage(window, timeout_ms, &taken)) return 0;
    message->message = taken.message;
    message->wParam = taken.wParam;
    message->lParam = taken.lParam;
    return 1;
}
