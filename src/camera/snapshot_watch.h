// Watches a snapshot's frame read from a thread of its own. The read runs
// under controlLock_ on the application's thread; a camera that never
// answers would hold that thread and, through the lock, every stop. The
// watch cancels the read once the frame time-out has passed, or a short
// grace after a stop starts waiting for the lock, and goes on cancelling
// until the read is back.
#pragma once

#include <thread>

#include "camera/kolvex.h"

namespace kvx {

class CKolvex::SnapshotWatch {
public:
    // Without a thread (none could be made) the read simply is not watched.
    explicit SnapshotWatch(CKolvex& camera);
    // The read is back: the watch ends and is joined.
    ~SnapshotWatch();
    SnapshotWatch(const SnapshotWatch&) = delete;
    SnapshotWatch& operator=(const SnapshotWatch&) = delete;

private:
    void Run(uint32_t timeoutMs);

    CKolvex& camera_;
    bool done_ = false;  // guarded by camera_.stopGateLock_
    std::thread thread_;
};

}  // namespace kvx
