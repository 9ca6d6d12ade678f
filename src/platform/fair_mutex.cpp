#include "platform/fair_mutex.h"

namespace kvx::platform {

void FairRecursiveMutex::lock() {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(mutex_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return;
    }
    const uint64_t ticket = nextTicket_++;
    turnChanged_.wait(hold, [&] { return serving_ == ticket; });
    owner_ = self;
    depth_ = 1;
}

void FairRecursiveMutex::unlock() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (--depth_ > 0) return;
        owner_ = std::thread::id();
        ++serving_;
    }
    // Every waiter looks: only the one holding the next ticket goes on.
    turnChanged_.notify_all();
}

}  // namespace kvx::platform
