// A window for the library to post frames and errors to, and a way to wait
// for them: a hidden window and its message queue on Windows, the library's
// mailbox on Linux.
#pragma once

#include <cstdint>

#include "KolvexSdk.h"

struct PostedMessage {
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    KolvexWindow handle() const { return handle_; }
    // The next message for this window, waiting up to timeoutMs; other
    // windows of the thread (the preview) are serviced meanwhile.
    bool Wait(unsigned timeoutMs, PostedMessage* out);

private:
    KolvexWindow handle_ = nullptr;
};
