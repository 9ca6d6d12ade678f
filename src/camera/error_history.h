// The last twenty error codes of a camera, newest first.
#pragma once

#include <array>
#include <mutex>

namespace kvx {

class ErrorHistory {
public:
    static constexpr size_t kDepth = 20;

    // Pushes a code in as the newest; the oldest of twenty falls out.
    void Push(int code);
    // Takes the newest code out; 0 when none is left.
    int Take();

private:
    // Application threads and the camera's workers record concurrently; the
    // lock keeps each shift whole and the codes of one thread in order.
    std::mutex lock_;  // guards codes_
    std::array<int, kDepth> codes_{};
};

}  // namespace kvx
