// A message-only window on the calling thread, to which the library posts
// its frame announcements (and the filter its own requests), with a wait
// for the next message that never runs another window's procedure.
#pragma once

#include <windows.h>

#include "KolvexSdk.h"

namespace kvx::dshow {

class AnnouncementWindow {
public:
    AnnouncementWindow();
    ~AnnouncementWindow();
    AnnouncementWindow(const AnnouncementWindow&) = delete;
    AnnouncementWindow& operator=(const AnnouncementWindow&) = delete;

    HWND handle() const { return window_; }
    // The next message posted to this window, or false after `timeoutMs`.
    bool Next(DWORD timeoutMs, MSG* message);
    // Takes every queued frame announcement off the queue; how many.
    int DiscardQueuedFrames();

private:
    HWND window_ = nullptr;
};

inline bool IsFrameReady(const MSG& m) { return m.message == KOLVEX_WM_FRAME && m.wParam != 0; }
inline bool IsFrameError(const MSG& m) { return m.message == KOLVEX_WM_FRAME && m.wParam == 0; }

}  // namespace kvx::dshow
