// Millisecond clocks and sleeping.
//
// Blocking and threads: TickCount and MultimediaTime never block; SleepMs
// blocks the calling thread for its time. All three may be called from any
// thread.
#pragma once

#include <cstdint>

namespace kvx::platform {

// Milliseconds since system start, wrapping at 2^32 (GetTickCount).
uint32_t TickCount();

// The multimedia timer (timeGetTime): milliseconds, wrapping at 2^32; the
// clock for frame rates and recording times.
uint32_t MultimediaTime();

void SleepMs(uint32_t milliseconds);

}  // namespace kvx::platform
