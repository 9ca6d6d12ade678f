#include <cstdint>

#include "KolvexSdkLinux.h"
#include "message_window.h"

MessageWindow::MessageWindow() {
    // The mailbox is keyed by the value alone; this object's address is
    // unique in the process.
    handle_ = reinterpret_cast<KolvexWindow>(reinterpret_cast<uintptr_t>(this) | 1);
}

MessageWindow::~MessageWindow() {
    KolvexMessage drained;
    while (KolvexLinux_WaitMessage(handle_, 0, &drained)) {
    }
}

bool MessageWindow::Wait(unsigned timeoutMs, PostedMessage* out) {
    KolvexMessage m;
    if (!KolvexLinux_WaitMessage(handle_, timeoutMs, &m)) return false;
    *out = {m.message, m.wParam, m.lParam};
    return true;
}
