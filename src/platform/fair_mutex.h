// A recursive mutex that hands the lock to waiting threads in the order they
// came. std::recursive_mutex promises no order: a thread that unlocks and
// locks again in a loop (a snapshot loop on a camera that stopped answering)
// takes it back before a woken waiter runs, turn after turn, and a setter on
// another thread waits for as long as the loop goes on.
//
// Blocking and threads: lock blocks until every thread that came earlier has
// had its turn and left; the owner may lock again without waiting. unlock
// never blocks. Any thread; unlock only on the owning thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kvx::platform {

class FairRecursiveMutex {
public:
    FairRecursiveMutex() = default;
    FairRecursiveMutex(const FairRecursiveMutex&) = delete;
    FairRecursiveMutex& operator=(const FairRecursiveMutex&) = delete;

    void lock();
    void unlock();

private:
    std::mutex mutex_;  // guards everything below
    std::condition_variable turnChanged_;
    uint64_t nextTicket_ = 0;  // the ticket the next newcomer draws
    uint64_t serving_ = 0;     // the ticket whose turn it is
    std::thread::id owner_;
    int depth_ = 0;
};

}  // namespace kvx::platform
