// Posting messages to application windows.
//
// Blocking and threads: PostWindowMessage never blocks and may be called
// from any thread, with or without a camera lock held (on POSIX it holds the
// mailbox's own lock for an instant).
#pragma once

#include <cstdint>

namespace kvx::platform {

// A window handle as the application gave it (an HWND on Windows, an opaque
// key elsewhere).
using WindowHandle = void*;

// Posts (never sends) a message. A null window posts to the calling thread's
// queue on Windows. Returns false when the message could not be queued.
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace kvx::platform
