// The POSIX stand-in for window message queues: a per-process table of
// mailboxes keyed by the window value. The library posts into it; tests and
// Linux applications collect from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/window_message.h"

namespace kvx::platform::posix {

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// A mailbox holds at most this many messages, as a Windows message queue
// does; posting to a full one fails.
constexpr size_t kMailboxCapacity = 10000;

// Takes every message posted to `window` so far, oldest first.
std::vector<PostedMessage> TakeMessages(WindowHandle window);

// Takes the oldest message, waiting up to timeoutMs for one. False on time-out.
bool WaitMessage(WindowHandle window, uint32_t timeoutMs, PostedMessage* out);

}  // namespace kvx::platform::posix
