// Millisecond clocks and sleeping.
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
