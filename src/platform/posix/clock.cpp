#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace kvx::platform {

namespace {
uint64_t MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}
}  // namespace

uint32_t TickCount() { return static_cast<uint32_t>(MonotonicMs()); }

uint32_t MultimediaTime() { return static_cast<uint32_t>(MonotonicMs()); }

void SleepMs(uint32_t milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace kvx::platform
