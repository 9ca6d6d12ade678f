#include <atomic>

#include "notification_window.h"
#include "platform/posix/mailbox.h"

namespace kvx::test {

NotificationWindow::NotificationWindow() {
    // Any value unique in the process will do as a key.
    static std::atomic<uintptr_t> next{0x10000};
    handle_ = reinterpret_cast<KolvexWindow>(next.fetch_add(0x10));
    platform::posix::TakeMessages(handle_);
}

NotificationWindow::~NotificationWindow() { platform::posix::TakeMessages(handle_); }

std::vector<Notification> NotificationWindow::Take() {
    std::vector<Notification> out;
    for (const auto& m : platform::posix::TakeMessages(handle_)) out.push_back({m.message, m.wParam, m.lParam});
    return out;
}

}  // namespace kvx::test
