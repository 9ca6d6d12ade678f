#include "dropped_frames.h"

#include <algorithm>

namespace kvx::dshow {

void DroppedFrameLog::Reset() {
    std::lock_guard<std::mutex> hold(lock_);
    delivered_ = dropped_ = 0;
    bytes_ = 0;
}

void DroppedFrameLog::Delivered(long, long bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    ++delivered_;
    bytes_ += bytes;
}

void DroppedFrameLog::Dropped(long frameNumber) {
    std::lock_guard<std::mutex> hold(lock_);
    recent_[static_cast<size_t>(dropped_ % kKeptNumbers)] = frameNumber;
    ++dropped_;
}

long DroppedFrameLog::delivered() const {
    std::lock_guard<std::mutex> hold(lock_);
    return delivered_;
}

long DroppedFrameLog::dropped() const {
    std::lock_guard<std::mutex> hold(lock_);
    return dropped_;
}

long DroppedFrameLog::averageBytes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return delivered_ ? static_cast<long>(bytes_ / delivered_) : 0;
}

long DroppedFrameLog::Recent(long* numbers, long capacity) const {
    std::lock_guard<std::mutex> hold(lock_);
    const long count = std::min({capacity, dropped_, kKeptNumbers});
    for (long i = 0; i < count; ++i)
        numbers[i] = recent_[static_cast<size_t>((dropped_ - count + i) % kKeptNumbers)];
    return count;
}

}  // namespace kvx::dshow
