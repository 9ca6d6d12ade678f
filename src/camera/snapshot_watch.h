// Watches a snapshot's frame read from a thread of its own. The read runs
// under controlLock_ on the application's thread; a camera that never
// answers would hold that thread and, through the lock, every other call.
// The watch cancels the read at the snapshot's deadline, or a short grace
// after a stop starts waiting for the lock, and goes on cancelling until the
// read is back.
#pragma once

#include <chrono>
#include <thread>

#include "camera/kolvex.h"

namespace kvx {

class CKolvex::SnapshotWatch {
public:
    // Without a thread (none could be made) the read simply is not watched.
    SnapshotWatch(CKolvex& camera, std::chrono::steady_clock::time_point deadline);
    // The read is back: the watch ends and is joined.
    ~SnapshotWatch();
    SnapshotWatch(const SnapshotWatch&) = delete;
    SnapshotWatch& operator=(const SnapshotWatch&) = delete;

private:
    void Run(std::chrono::steady_clock::time_point deadline);

    CKolvex& camera_;
    bool done_ = false;  // guarded by camera_.stopGateLock_
    std::thread thread_;
};

}  // namespace kvx
