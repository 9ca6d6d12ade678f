// What IAMDroppedFrames reports: frames the camera announced while the
// graph ran, counted as delivered or dropped by their announcement number,
// with the numbers of the latest drops.
#pragma once

#include <array>
#include <mutex>

namespace kvx::dshow {

class DroppedFrameLog {
public:
    void Reset();
    void Delivered(long frameNumber, long bytes);
    void Dropped(long frameNumber);

    long delivered() const;
    long dropped() const;
    long averageBytes() const;
    // The latest drops, oldest first, at most `capacity` of them; the count.
    long Recent(long* numbers, long capacity) const;

    static constexpr long kKeptNumbers = 64;

private:
    mutable std::mutex lock_;  // every field; held for an instant per frame
    long delivered_ = 0;
    long dropped_ = 0;
    long long bytes_ = 0;
    std::array<long, kKeptNumbers> recent_{};
};

}  // namespace kvx::dshow
