#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "platform/posix/mailbox.h"

namespace kvx::platform {

namespace {

struct Mailboxes {
    std::mutex lock;  // guards boxes
    std::condition_variable posted;
    std::map<WindowHandle, std::deque<posix::PostedMessage>> boxes;
};

Mailboxes& Table() {
    // Never destroyed: threads may still post while the process exits.
    static Mailboxes* table = new Mailboxes;
    return *table;
}

}  // namespace

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Mailboxes& t = Table();
    {
        std::lock_guard<std::mutex> hold(t.lock);
        auto& box = t.boxes[window];
        if (box.size() >= posix::kMailboxCapacity) return false;
        box.push_back({message, wParam, lParam});
    }
    t.posted.notify_all();
    return true;
}

namespace posix {

std::vector<PostedMessage> TakeMessages(WindowHandle window) {
    Mailboxes& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    std::vector<PostedMessage> out;
    auto it = t.boxes.find(window);
    if (it == t.boxes.end()) return out;
    out.assign(it->second.begin(), it->second.end());
    t.boxes.erase(it);
    return out;
}

bool WaitMessage(WindowHandle window, uint32_t timeoutMs, PostedMessage* out) {
    Mailboxes& t = Table();
    std::unique_lock<std::mutex> hold(t.lock);
    auto ready = [&] {
        auto it = t.boxes.find(window);
        return it != t.boxes.end() && !it->second.empty();
    };
    if (!t.posted.wait_for(hold, std::chrono::milliseconds(timeoutMs), ready)) return false;
    auto& box = t.boxes[window];
    *out = box.front();
    box.pop_front();
    return true;
}

}  // namespace posix
}  // namespace kvx::platform
