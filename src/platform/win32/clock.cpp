#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace kvx::platform {

uint32_t TickCount() { return GetTickCount(); }

uint32_t MultimediaTime() { return timeGetTime(); }

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace kvx::platform
