// A window that the library can post notifications to, and a way to collect
// what it received: a real (hidden) window and its message queue on Windows,
// a mailbox elsewhere.
#pragma once

#include <cstdint>
#include <vector>

#include "KolvexSdk.h"

namespace kvx::test {

struct Notification {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Notification& o) const {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

class NotificationWindow {
public:
    NotificationWindow();
    ~NotificationWindow();
    NotificationWindow(const NotificationWindow&) = delete;
    NotificationWindow& operator=(const NotificationWindow&) = delete;

    KolvexWindow handle() const { return handle_; }
    // Every message posted to this window so far, oldest first.
    std::vector<Notification> Take();

private:
    KolvexWindow handle_ = nullptr;
};

}  // namespace kvx::test
