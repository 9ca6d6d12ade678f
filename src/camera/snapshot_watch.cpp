#include "camera/snapshot_watch.h"

#include <chrono>
#include <mutex>
#include <system_error>

#include "device/kolvex_410qfx_zqp_sdk.h"

namespace kvx {

CKolvex::SnapshotWatch::SnapshotWatch(CKolvex& camera, std::chrono::steady_clock::time_point deadline)
    : camera_(camera) {
    try {
        thread_ = std::thread(&SnapshotWatch::Run, this, deadline);
    } catch (const std::system_error&) {
    }
}

CKolvex::SnapshotWatch::~SnapshotWatch() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> gate(camera_.stopGateLock_);
        done_ = true;
    }
    camera_.stopGateOpen_.notify_all();
    thread_.join();
}

void CKolvex::SnapshotWatch::Run(std::chrono::steady_clock::time_point deadline) {
    using std::chrono::milliseconds;
    std::unique_lock<std::mutex> gate(camera_.stopGateLock_);
    camera_.stopGateOpen_.wait_until(gate, deadline, [this] { return done_ || camera_.stopsWaiting_ > 0; });
    if (done_) return;
    // A stop is waiting: a read that is merely slow gets the same grace a
    // stop gives the transfer thread's.
    if (std::chrono::steady_clock::now() < deadline)
        camera_.stopGateOpen_.wait_for(gate, milliseconds(CKVXSdkLib::kStopGraceMs), [this] { return done_; });
    // The device outlives the watch: the snapshot holds controlLock_, without
    // which nothing replaces it, until the watch is joined.
    while (!done_) {
        gate.unlock();
        camera_.device_->CancelSingleFrame();
        gate.lock();
        camera_.stopGateOpen_.wait_for(gate, milliseconds(CKVXSdkLib::kCancelRepeatMs), [this] { return done_; });
    }
}

}  // namespace kvx
