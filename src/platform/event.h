// Events with Win32 semantics on top of the C++ standard library, the same
// code on every system: a manual-reset event stays signalled until Reset, an
// auto-reset event releases one waiter and clears itself.
//
// Blocking and threads: Set, Clear and IsSet never block (they hold the
// event's own mutex for an instant); Wait blocks until the event is set or
// the time-out passes. Every call may come from any thread, on the same
// event at the same time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kvx::platform {

class Event {
public:
    enum class Reset { Manual, Auto };

    explicit Event(Reset mode, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Clear();

    // Waits until the event is signalled or timeoutMs have passed.
    // kInfinite waits without a time-out. Returns true when signalled.
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
    bool Wait(uint32_t timeoutMs = kInfinite);

    bool IsSet() const;

private:
    const Reset mode_;
    mutable std::mutex mutex_;  // guards signalled_
    std::condition_variable changed_;
    bool signalled_;
};

}  // namespace kvx::platform
