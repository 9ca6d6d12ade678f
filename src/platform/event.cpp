#include "platform/event.h"

#include <chrono>

namespace kvx::platform {

Event::Event(Reset mode, bool initiallySet) : mode_(mode), signalled_(initiallySet) {}

void Event::Set() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        signalled_ = true;
    }
    if (mode_ == Reset::Manual)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    signalled_ = false;
}

bool Event::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> hold(mutex_);
    auto signalled = [this] { return signalled_; };
    if (timeoutMs == kInfinite)
        changed_.wait(hold, signalled);
    else if (!changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs), signalled))
        return false;
    if (mode_ == Reset::Auto) signalled_ = false;
    return true;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return signalled_;
}

}  // namespace kvx::platform
